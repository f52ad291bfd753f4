#include "defs/cmcFont.h"

#include <vector>

namespace qx {
namespace {

// a * b / c rounded to the nearest integer, halves away from zero.
int MulDivRound(long long a, long long b, long long c) {
    long long n = a * b;
    long long q = (n >= 0 ? n + c / 2 : n - c / 2) / c;
    return static_cast<int>(q);
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view TrimBlanks(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

std::vector<std::string_view> Split(std::string_view s, char sep) {
    std::vector<std::string_view> parts;
    size_t start = 0;
    for (;;) {
        size_t p = s.find(sep, start);
        if (p == std::string_view::npos) {
            parts.push_back(s.substr(start));
            return parts;
        }
        parts.push_back(s.substr(start, p - start));
        start = p + 1;
    }
}

// The height and size fields: a number sets the value, "%p" scales it; 0 or empty changes nothing.
// Returns false when the field leaves the value unchanged.
bool MeasureField(std::string_view field, int current, int* result) {
    while (!field.empty() && IsBlank(field.front())) field.remove_prefix(1);
    if (field.empty()) return false;
    if (field.front() == '%') {
        long long scaled = static_cast<long long>(current) * ReadLenientInt(field.substr(1)) / 100;
        *result = scaled == 0 ? 1 : static_cast<int>(scaled);
        return true;
    }
    int v = ReadLenientInt(field);
    if (v == 0) return false;
    *result = v;
    return true;
}

}  // namespace

int cmcFont::Size() const { return -MulDivRound(height, 72, kFontPixelsPerInch); }

void cmcFont::SetSize(int points) { height = -MulDivRound(points, kFontPixelsPerInch, 72); }

cmcFont DefaultFont() { return cmcFont{}; }

void ApplyFontSpec(cmcFont& font, std::string_view spec, const std::function<void(const std::string&)>& ignored) {
    auto note = [&](const std::string& what) {
        if (ignored) ignored(what);
    };
    std::vector<std::string_view> f = Split(spec, ',');
    f.resize(7);  // missing trailing fields are empty: they change nothing

    if (std::string_view name = TrimBlanks(f[0]); !name.empty()) {
        int v = 0;
        if (FindCharset(std::string(name), &v))
            font.charset = v;
        else
            note("unknown character set '" + std::string(name) + "'");
    }

    std::string_view face = f[1];
    while (!face.empty() && IsBlank(face.front())) face.remove_prefix(1);
    if (!face.empty()) font.face = std::string(face);

    if (!f[2].empty()) {
        uint32_t c = 0;
        if (FindColour(std::string(f[2]), &c))
            font.colour = c;
        else
            note("unknown colour '" + std::string(f[2]) + "'");
    }

    int v = 0;
    if (MeasureField(f[3], font.height, &v)) font.height = v;
    if (MeasureField(f[4], font.Size(), &v)) font.SetSize(v);

    if (!f[5].empty()) {
        bool any = false;
        for (std::string_view part : Split(f[5], '+')) {
            part = TrimBlanks(part);
            int style = 0;
            if (FindFontStyle(std::string(part), &style)) {
                if (!any) font.styles = 0;
                any = true;
                font.styles |= static_cast<uint8_t>(style);
            } else if (!part.empty()) {
                note("unknown font style '" + std::string(part) + "'");
            }
        }
    }

    if (std::string_view name = TrimBlanks(f[6]); !name.empty()) {
        int p = 0;
        if (FindFontPitch(std::string(name), &p))
            font.pitch = p;
        else
            note("unknown font pitch '" + std::string(name) + "'");
    }
}

std::string FontStyleList(uint8_t styles, const char* separator) {
    std::string out;
    for (const auto& s : kFontStyleNames)
        if (styles & s.value) {
            if (!out.empty()) out += separator;
            out += s.name;
        }
    return out;
}

}  // namespace qx
