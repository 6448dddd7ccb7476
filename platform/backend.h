// What a back end supplies to the facility: a place to show the visible page, key
// events, sleeping and a clock. Everything else lives in shared code (screen.cpp,
// image.cpp).
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/image.h"

namespace chartest {

class Backend {
public:
    virtual ~Backend() = default;
    // Prepares to show pages of width x height. Returns false on failure.
    virtual bool open(int32_t width, int32_t height) = 0;
    virtual void close() = 0;
    // `page` is now the visible page, or its pixels changed. The back end may show it
    // later (it keeps the reference), but no later than one display refresh after
    // the next call of poll_key or sleep_ms.
    virtual void show(const ImageData& page) = 0;
    // The next key in the facility's encoding, or "" when none waits.
    virtual std::string poll_key() = 0;
    virtual void sleep_ms(int32_t milliseconds) = 0;
    virtual double clock_seconds() = 0;
    virtual std::string driver() const = 0;
    virtual int32_t refresh_rate() const = 0;
    // True when the keys come from a person at a window (F12 then takes a screenshot).
    virtual bool interactive() const = 0;
};

std::unique_ptr<Backend> make_sdl_backend();
std::unique_ptr<Backend> make_headless_backend();

}  // namespace chartest
