#include "platform/sdl_keys.h"

#include <SDL.h>

#include "platform/cp437.h"

namespace chartest {

namespace {

// Decodes one UTF-8 sequence starting at s[i]; advances i. Returns U+FFFD when broken.
char32_t next_utf8(const char* s, size_t& i) {
    const unsigned char c = static_cast<unsigned char>(s[i++]);
    if (c < 0x80) return c;
    int extra = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : -1;
    if (extra < 0) return 0xFFFD;
    char32_t u = c & (0x3F >> extra);
    for (int k = 0; k < extra; ++k) {
        const unsigned char d = static_cast<unsigned char>(s[i]);
        if ((d & 0xC0) != 0x80) return 0xFFFD;
        u = (u << 6) | (d & 0x3F);
        ++i;
    }
    return u;
}

// The special-key code (second byte after 0xFF) of a key, or 0 when it has none.
char special_code(SDL_Keycode k) {
    switch (k) {
        case SDLK_UP: return 'H';
        case SDLK_DOWN: return 'P';
        case SDLK_LEFT: return 'K';
        case SDLK_RIGHT: return 'M';
        case SDLK_HOME: return 'G';
        case SDLK_END: return 'O';
        case SDLK_PAGEUP: return 'I';
        case SDLK_PAGEDOWN: return 'Q';
        case SDLK_INSERT: return 'R';
        case SDLK_DELETE: return 'S';
        case SDLK_F11: return static_cast<char>(133);
        case SDLK_F12: return static_cast<char>(134);
        default: break;
    }
    if (k >= SDLK_F1 && k <= SDLK_F10) return static_cast<char>(';' + (k - SDLK_F1));
    return 0;
}

}  // namespace

std::string key_for_keycode(int32_t keycode) {
    switch (keycode) {
        case SDLK_RETURN:
        case SDLK_KP_ENTER: return "\r";
        case SDLK_BACKSPACE: return "\b";
        case SDLK_TAB: return "\t";
        case SDLK_ESCAPE: return "\x1b";
        default: break;
    }
    if (const char c = special_code(keycode)) return std::string("\xFF") + c;
    return std::string();
}

std::vector<std::string> keys_for_typed_text(const char* utf8) {
    std::vector<std::string> keys;
    for (size_t i = 0; utf8[i];) {
        const int c = cp437_from_unicode(next_utf8(utf8, i));
        if (c >= 32) keys.emplace_back(1, static_cast<char>(c));
    }
    return keys;
}

}  // namespace chartest
