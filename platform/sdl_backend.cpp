// The SDL2 back end: a real window that shows the visible page at an integer scale with
// nearest-neighbour sampling, and the keyboard.
//
// Showing a page never waits for the display: the page is uploaded and presented at
// most once per display refresh, and a page that arrives sooner is presented as soon
// as the refresh interval has passed (on the next show, poll or sleep), so fast
// programs are not throttled to the refresh rate and the window never lags behind by
// more than one refresh once the program polls or sleeps.

#include <SDL.h>

#include <cerrno>  // program_invocation_short_name

#include <algorithm>
#include <deque>
#include <string>

#include "platform/backend.h"
#include "platform/sdl_keys.h"

namespace chartest {

namespace {

constexpr int MAX_SCALE = 4;

class SdlBackend final : public Backend {
public:
    ~SdlBackend() override { close(); }

    bool open(int32_t width, int32_t height) override {
        SDL_SetHint(SDL_HINT_RENDER_VSYNC, "0");
        SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "0");
        if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return false;
        initialised_ = true;
        width_ = width;
        height_ = height;

        SDL_Rect usable{0, 0, width * MAX_SCALE, height * MAX_SCALE};
        SDL_GetDisplayUsableBounds(0, &usable);
        int scale = MAX_SCALE;
        while (scale > 1 && (width * scale > usable.w || height * scale > usable.h)) --scale;

        // The window is named after the program that opens it (chartest, sheettool, ...).
        window_ = SDL_CreateWindow(program_invocation_short_name, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                                   width * scale, height * scale, SDL_WINDOW_RESIZABLE);
        if (!window_) return fail();
        renderer_ = SDL_CreateRenderer(window_, -1, 0);
        if (!renderer_) renderer_ = SDL_CreateRenderer(window_, -1, SDL_RENDERER_SOFTWARE);
        if (!renderer_) return fail();
        // The logical size with integer scaling keeps the picture crisp and centred
        // whatever size the window is given later.
        SDL_RenderSetLogicalSize(renderer_, width, height);
        SDL_RenderSetIntegerScale(renderer_, SDL_TRUE);
        texture_ = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_ARGB8888,
                                     SDL_TEXTUREACCESS_STREAMING, width, height);
        if (!texture_) return fail();
        SDL_SetTextureBlendMode(texture_, SDL_BLENDMODE_NONE);

        SDL_DisplayMode mode;
        if (SDL_GetCurrentDisplayMode(0, &mode) == 0 && mode.refresh_rate > 0)
            refresh_rate_ = mode.refresh_rate;
        interval_ms_ = std::max<Uint64>(1, 1000 / static_cast<Uint64>(refresh_rate_));
        SDL_StartTextInput();
        return true;
    }

    void close() override {
        if (texture_) SDL_DestroyTexture(texture_);
        if (renderer_) SDL_DestroyRenderer(renderer_);
        if (window_) SDL_DestroyWindow(window_);
        texture_ = nullptr;
        renderer_ = nullptr;
        window_ = nullptr;
        page_ = nullptr;
        if (initialised_) SDL_QuitSubSystem(SDL_INIT_VIDEO);
        initialised_ = false;
    }

    void show(const ImageData& page) override {
        page_ = &page;
        pending_ = true;
        present_if_due();
    }

    std::string poll_key() override {
        pump();
        if (keys_.empty()) return std::string();
        std::string k = std::move(keys_.front());
        keys_.pop_front();
        return k;
    }

    void sleep_ms(int32_t ms) override {
        if (ms > 0) SDL_Delay(static_cast<Uint32>(ms));
        pump();
    }

    double clock_seconds() override {
        return static_cast<double>(SDL_GetPerformanceCounter()) /
               static_cast<double>(SDL_GetPerformanceFrequency());
    }

    std::string driver() const override {
        const char* d = SDL_GetCurrentVideoDriver();
        return std::string("sdl2/") + (d ? d : "?");
    }
    int32_t refresh_rate() const override { return refresh_rate_; }
    bool interactive() const override { return true; }

private:
    bool fail() {
        close();
        return false;
    }

    void present_if_due() {
        if (!pending_ || !page_ || !renderer_) return;
        const Uint64 now = SDL_GetTicks64();
        if (presented_once_ && now - last_present_ < interval_ms_) return;
        present();
    }

    void present() {
        if (!page_ || !renderer_) return;
        SDL_UpdateTexture(texture_, nullptr, page_->pixels.data(), width_ * 4);
        SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
        SDL_RenderClear(renderer_);
        SDL_RenderCopy(renderer_, texture_, nullptr, nullptr);
        SDL_RenderPresent(renderer_);
        last_present_ = SDL_GetTicks64();
        presented_once_ = true;
        pending_ = false;
    }

    void pump() {
        SDL_Event e;
        while (SDL_PollEvent(&e)) {
            switch (e.type) {
                case SDL_QUIT: keys_.emplace_back("\xFFk"); break;
                case SDL_WINDOWEVENT:
                    if (e.window.event == SDL_WINDOWEVENT_CLOSE) {
                        keys_.emplace_back("\xFFk");
                    } else if (e.window.event == SDL_WINDOWEVENT_EXPOSED ||
                               e.window.event == SDL_WINDOWEVENT_SIZE_CHANGED) {
                        pending_ = true;
                    }
                    break;
                case SDL_TEXTINPUT:
                    for (std::string& k : keys_for_typed_text(e.text.text))
                        keys_.push_back(std::move(k));
                    break;
                case SDL_KEYDOWN:
                    if (std::string k = key_for_keycode(e.key.keysym.sym); !k.empty())
                        keys_.push_back(std::move(k));
                    break;
                default: break;
            }
        }
        present_if_due();
    }

    SDL_Window* window_ = nullptr;
    SDL_Renderer* renderer_ = nullptr;
    SDL_Texture* texture_ = nullptr;
    bool initialised_ = false;
    int32_t width_ = 0, height_ = 0;
    int32_t refresh_rate_ = 60;
    Uint64 interval_ms_ = 16;
    Uint64 last_present_ = 0;
    bool presented_once_ = false;
    bool pending_ = false;
    const ImageData* page_ = nullptr;
    std::deque<std::string> keys_;
};

}  // namespace

std::unique_ptr<Backend> make_sdl_backend() { return std::make_unique<SdlBackend>(); }

}  // namespace chartest
