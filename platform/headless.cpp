#include "platform/headless.h"

#include <cstdio>
#include <cstdlib>
#include <deque>

#include "platform/backend.h"
#include "platform/screen.h"

namespace chartest {

namespace {

struct HeadlessState {
    bool selected = false;
    std::deque<std::string> keys;
    size_t polls = 0;
    bool close_when_empty = false;
    double clock = 0.0;
};

HeadlessState& state() {
    static HeadlessState s;
    return s;
}

class HeadlessBackend final : public Backend {
public:
    bool open(int32_t, int32_t) override { return true; }
    void close() override {}
    void show(const ImageData&) override {}
    std::string poll_key() override {
        HeadlessState& s = state();
        ++s.polls;
        if (s.keys.empty()) return s.close_when_empty ? key::CLOSE : std::string();
        std::string k = std::move(s.keys.front());
        s.keys.pop_front();
        return k;
    }
    void sleep_ms(int32_t ms) override {
        if (ms > 0) state().clock += ms / 1000.0;
    }
    double clock_seconds() override { return state().clock; }
    std::string driver() const override { return "headless"; }
    int32_t refresh_rate() const override { return 60; }
    bool interactive() const override { return false; }
};

struct NamedKey {
    const char* name;
    const char* key;
};

constexpr NamedKey NAMED_KEYS[] = {
    {"Up", "\xFFH"},     {"Down", "\xFFP"},     {"Left", "\xFFK"},  {"Right", "\xFFM"},
    {"Home", "\xFFG"},   {"End", "\xFFO"},      {"PgUp", "\xFFI"},  {"PgDn", "\xFFQ"},
    {"PageUp", "\xFFI"}, {"PageDown", "\xFFQ"}, {"Insert", "\xFFR"}, {"Delete", "\xFFS"},
    {"F1", "\xFF;"},     {"F2", "\xFF<"},       {"F3", "\xFF="},    {"F4", "\xFF>"},
    {"F5", "\xFF?"},     {"F6", "\xFF@"},       {"F7", "\xFF" "A"}, {"F8", "\xFF" "B"},
    {"F9", "\xFF" "C"},  {"F10", "\xFF" "D"},   {"F11", "\xFF\x85"}, {"F12", "\xFF\x86"},
    {"Close", "\xFFk"},
};

int hex_value(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

std::unique_ptr<Backend> make_headless_backend() { return std::make_unique<HeadlessBackend>(); }

bool decode_key_script(const std::string& script, std::vector<std::string>& keys,
                       std::string& error) {
    keys.clear();
    for (size_t i = 0; i < script.size(); ++i) {
        const char c = script[i];
        if (c != '\\') {
            keys.emplace_back(1, c);
            continue;
        }
        if (i + 1 >= script.size()) {
            error = "key script ends with a lone backslash";
            return false;
        }
        const char e = script[++i];
        switch (e) {
            case 'e': keys.push_back(key::ESCAPE); break;
            case 'r': keys.push_back(key::ENTER); break;
            case 'b': keys.push_back(key::BACKSPACE); break;
            case 't': keys.push_back(key::TAB); break;
            case '\\': keys.emplace_back("\\"); break;
            case 'x': {
                const int hi = i + 1 < script.size() ? hex_value(script[i + 1]) : -1;
                const int lo = i + 2 < script.size() ? hex_value(script[i + 2]) : -1;
                if (hi < 0 || lo < 0) {
                    error = "\\x in the key script needs two hex digits";
                    return false;
                }
                keys.emplace_back(1, static_cast<char>(hi * 16 + lo));
                i += 2;
                break;
            }
            case '{': {
                const size_t end = script.find('}', i + 1);
                if (end == std::string::npos) {
                    error = "\\{ in the key script has no closing }";
                    return false;
                }
                const std::string name = script.substr(i + 1, end - i - 1);
                const NamedKey* found = nullptr;
                for (const NamedKey& k : NAMED_KEYS)
                    if (name == k.name) found = &k;
                if (!found) {
                    error = "unknown key name \\{" + name + "} in the key script";
                    return false;
                }
                keys.emplace_back(found->key);
                i = end;
                break;
            }
            default:
                error = std::string("unknown escape \\") + e + " in the key script";
                return false;
        }
    }
    return true;
}

namespace headless {

void select() {
    SCREEN_CLOSE();
    HeadlessState& s = state();
    s = HeadlessState{};
    s.selected = true;
}

bool selected() { return state().selected; }

void push_keys(const std::string& encoded) {
    std::vector<std::string> keys;
    std::string error;
    if (!decode_key_script(encoded, keys, error)) {
        // A test with a broken script would otherwise wait for keys that never come.
        std::fprintf(stderr, "headless::push_keys: %s\n", error.c_str());
        std::abort();
    }
    for (std::string& k : keys) state().keys.push_back(std::move(k));
}

void push_key(const std::string& k) { state().keys.push_back(k); }
size_t pending_keys() { return state().keys.size(); }
size_t poll_count() { return state().polls; }
void set_close_when_empty(bool close) { state().close_when_empty = close; }
void set_clock(double seconds) { state().clock = seconds; }
double clock() { return state().clock; }

}  // namespace headless
}  // namespace chartest
