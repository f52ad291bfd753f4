#include "defs/cmcKeyName.h"

#include <Qt>

#include <cctype>
#include <string_view>

namespace qx {

namespace {

struct KeyName {
    const char* name;
    int key;
};

// Canonical names first: KeyNameOf takes the first name of a key.
const KeyName kKeys[] = {
    {"Enter", Qt::Key_Return},   {"Return", Qt::Key_Return},  {"Esc", Qt::Key_Escape},
    {"Escape", Qt::Key_Escape},  {"Tab", Qt::Key_Tab},        {"Space", Qt::Key_Space},
    {"BkSp", Qt::Key_Backspace}, {"Backspace", Qt::Key_Backspace}, {"Ins", Qt::Key_Insert},
    {"Insert", Qt::Key_Insert},  {"Del", Qt::Key_Delete},     {"Delete", Qt::Key_Delete},
    {"Home", Qt::Key_Home},      {"End", Qt::Key_End},        {"PgUp", Qt::Key_PageUp},
    {"PageUp", Qt::Key_PageUp},  {"PgDn", Qt::Key_PageDown},  {"PageDown", Qt::Key_PageDown},
    {"Up", Qt::Key_Up},          {"Down", Qt::Key_Down},      {"Left", Qt::Key_Left},
    {"Right", Qt::Key_Right},
};

bool IEquals(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

int KeyOf(std::string_view name) {
    for (const KeyName& k : kKeys)
        if (IEquals(name, k.name)) return k.key;
    if (name.size() == 1) {
        unsigned char c = static_cast<unsigned char>(std::toupper(static_cast<unsigned char>(name[0])));
        if (std::isalnum(c) || std::ispunct(c)) return c;  // Qt's keys of printable ASCII are their codes
        return 0;
    }
    if ((name[0] == 'F' || name[0] == 'f') && name.size() <= 3) {
        int n = 0;
        for (size_t i = 1; i < name.size(); ++i) {
            if (!std::isdigit(static_cast<unsigned char>(name[i]))) return 0;
            n = n * 10 + (name[i] - '0');
        }
        if (n >= 1 && n <= 24) return Qt::Key_F1 + n - 1;
    }
    return 0;
}

}  // namespace

int ParseKeyName(const std::string& text) {
    // Trim spaces and tabs.
    size_t b = text.find_first_not_of(" \t");
    if (b == std::string::npos) return 0;
    size_t e = text.find_last_not_of(" \t");
    std::string_view s(text.data() + b, e - b + 1);
    int mods = 0;
    while (true) {
        // A "+" at the very end is the plus key itself ("Ctrl++").
        size_t plus = s.find('+', 1);
        if (plus == std::string_view::npos || plus == s.size() - 1) break;
        std::string_view mod = s.substr(0, plus);
        if (IEquals(mod, "Ctrl"))
            mods |= Qt::ControlModifier;
        else if (IEquals(mod, "Shift"))
            mods |= Qt::ShiftModifier;
        else if (IEquals(mod, "Alt"))
            mods |= Qt::AltModifier;
        else
            return 0;
        s.remove_prefix(plus + 1);
    }
    int key = KeyOf(s);
    return key ? (key | mods) : 0;
}

std::string KeyNameOf(int combination) {
    if (!combination) return {};
    int key = combination & ~Qt::KeyboardModifierMask;
    std::string out;
    if (combination & Qt::ControlModifier) out += "Ctrl+";
    if (combination & Qt::ShiftModifier) out += "Shift+";
    if (combination & Qt::AltModifier) out += "Alt+";
    for (const KeyName& k : kKeys)
        if (k.key == key) return out + k.name;
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24) return out + "F" + std::to_string(key - Qt::Key_F1 + 1);
    if (key > 0x20 && key < 0x7F) return out + static_cast<char>(key);
    return {};
}

}  // namespace qx
