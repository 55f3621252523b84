// The KEY_ constants (SDL key codes, named after SDL's SDLK_ names) and the MOUSE_ button numbers.
#include "common/registry.hpp"

#include <SDL.h>

#include <cctype>
#include <iterator>
#include <string>
#include <utility>

namespace bv {

namespace {

struct KeyConstant {
    const char* sdlName;  // SDL's name without the SDLK_ prefix
    SDL_Keycode value;
};

#define K(name) KeyConstant{#name, SDLK_##name}
// In the module's documented order.
constexpr KeyConstant kKeys[] = {
    K(0), K(1), K(2), K(3), K(4), K(5), K(6), K(7), K(8), K(9), K(a), K(AC_BACK), K(AC_BOOKMARKS), K(AC_FORWARD),
    K(AC_HOME), K(AC_REFRESH), K(AC_SEARCH), K(AC_STOP), K(AGAIN), K(ALTERASE), K(QUOTE), K(APPLICATION),
    K(AUDIOMUTE), K(AUDIONEXT), K(AUDIOPLAY), K(AUDIOPREV), K(AUDIOSTOP), K(b), K(BACKSLASH), K(BACKSPACE),
    K(BRIGHTNESSDOWN), K(BRIGHTNESSUP), K(c), K(CALCULATOR), K(CANCEL), K(CAPSLOCK), K(CLEAR), K(CLEARAGAIN),
    K(COMMA), K(COMPUTER), K(COPY), K(CRSEL), K(CURRENCYSUBUNIT), K(CURRENCYUNIT), K(CUT), K(d), K(DECIMALSEPARATOR),
    K(DELETE), K(DISPLAYSWITCH), K(DOWN), K(e), K(EJECT), K(END), K(EQUALS), K(ESCAPE), K(EXECUTE), K(EXSEL), K(f),
    K(F1), K(F2), K(F3), K(F4), K(F5), K(F6), K(F7), K(F8), K(F9), K(F10), K(F11), K(F12), K(F13), K(F14), K(F15),
    K(F16), K(F17), K(F18), K(F19), K(F20), K(F21), K(F22), K(F23), K(F24), K(FIND), K(g), K(BACKQUOTE), K(h),
    K(HELP), K(HOME), K(i), K(INSERT), K(j), K(k), K(KBDILLUMDOWN), K(KBDILLUMTOGGLE), K(KBDILLUMUP), K(KP_0),
    K(KP_00), K(KP_000), K(KP_1), K(KP_2), K(KP_3), K(KP_4), K(KP_5), K(KP_6), K(KP_7), K(KP_8), K(KP_9), K(KP_A),
    K(KP_AMPERSAND), K(KP_AT), K(KP_B), K(KP_BACKSPACE), K(KP_BINARY), K(KP_C), K(KP_CLEAR), K(KP_CLEARENTRY),
    K(KP_COLON), K(KP_COMMA), K(KP_D), K(KP_DBLAMPERSAND), K(KP_DBLVERTICALBAR), K(KP_DECIMAL), K(KP_DIVIDE),
    K(KP_E), K(KP_ENTER), K(KP_EQUALS), K(KP_EQUALSAS400), K(KP_EXCLAM), K(KP_F), K(KP_GREATER), K(KP_HASH),
    K(KP_HEXADECIMAL), K(KP_LEFTBRACE), K(KP_LEFTPAREN), K(KP_LESS), K(KP_MEMADD), K(KP_MEMCLEAR), K(KP_MEMDIVIDE),
    K(KP_MEMMULTIPLY), K(KP_MEMRECALL), K(KP_MEMSTORE), K(KP_MEMSUBTRACT), K(KP_MINUS), K(KP_MULTIPLY), K(KP_OCTAL),
    K(KP_PERCENT), K(KP_PERIOD), K(KP_PLUS), K(KP_PLUSMINUS), K(KP_POWER), K(KP_RIGHTBRACE), K(KP_RIGHTPAREN),
    K(KP_SPACE), K(KP_TAB), K(KP_VERTICALBAR), K(KP_XOR), K(l), K(LALT), K(LCTRL), K(LEFT), K(LEFTBRACKET), K(LGUI),
    K(LSHIFT), K(m), K(MAIL), K(MEDIASELECT), K(MENU), K(MINUS), K(MODE), K(MUTE), K(n), K(NUMLOCKCLEAR), K(o),
    K(OPER), K(OUT), K(p), K(PAGEDOWN), K(PAGEUP), K(PASTE), K(PAUSE), K(PERIOD), K(POWER), K(PRINTSCREEN), K(PRIOR),
    K(q), K(r), K(RALT), K(RCTRL), K(RETURN), K(RETURN2), K(RGUI), K(RIGHT), K(RIGHTBRACKET), K(RSHIFT), K(s),
    K(SCROLLLOCK), K(SELECT), K(SEMICOLON), K(SEPARATOR), K(SLASH), K(SLEEP), K(SPACE), K(STOP), K(SYSREQ), K(t),
    K(TAB), K(THOUSANDSSEPARATOR), K(u), K(UNDO), K(UNKNOWN), K(UP), K(v), K(VOLUMEDOWN), K(VOLUMEUP), K(w), K(WWW),
    K(x), K(y), K(z), K(AMPERSAND), K(ASTERISK), K(AT), K(CARET), K(COLON), K(DOLLAR), K(EXCLAIM), K(GREATER),
    K(HASH), K(LEFTPAREN), K(LESS), K(PERCENT), K(PLUS), K(QUESTION), K(QUOTEDBL), K(RIGHTPAREN), K(UNDERSCORE),
};
#undef K
static_assert(std::size(kKeys) == 236);

constexpr std::pair<const char*, int> kMouseButtons[] = {
    {"MOUSE_LEFT", SDL_BUTTON_LEFT},
    {"MOUSE_MIDDLE", SDL_BUTTON_MIDDLE},
    {"MOUSE_RIGHT", SDL_BUTTON_RIGHT},
};

void addInt(PyObject* module, const char* name, long value) {
    Ref v = Ref::checked(PyLong_FromLong(value));
    check(PyModule_AddObjectRef(module, name, v));
}

StartupStep keyConstants(Startup::KeyConstants, [](PyObject* module) {
    for (const KeyConstant& k : kKeys) {
        std::string name = "KEY_";
        for (const char* c = k.sdlName; *c; ++c) name += char(std::toupper(static_cast<unsigned char>(*c)));
        addInt(module, name.c_str(), k.value);
    }
    for (auto [name, value] : kMouseButtons) addInt(module, name, value);
});

}  // namespace

}  // namespace bv
