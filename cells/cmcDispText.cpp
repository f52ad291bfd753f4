#include "cells/cmcDispText.h"

#include "common/cmcMessage.h"
#include "defs/cmcGTex.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace qx {

namespace {

constexpr size_t kMaxConvert = 255;

// The built-in segment font, codes 32-127.
constexpr uint16_t kFont[96] = {
    0x0000, 0x0042, 0x0140, 0x075A, 0x2D5A, 0x0924, 0x3699, 0x0020,  // space ! " # $ % & '
    0x0021, 0x0084, 0x00FF, 0x005A, 0x0004, 0x0018, 0x0001, 0x0024,  // ( ) * + , - . /
    0x3F24, 0x1800, 0x3618, 0x3C18, 0x1918, 0x2D18, 0x2F18, 0x3800,  // 0-7
    0x3F18, 0x3D18, 0x3230, 0x0D11, 0x0424, 0x0418, 0x0481, 0x300A,  // 8 9 : ; < = > ?
    0x3E12, 0x3B18, 0x3C4A, 0x2700, 0x3C42, 0x2718, 0x2318, 0x2F08,  // at sign, A-G
    0x1B18, 0x2442, 0x1E00, 0x0331, 0x0700, 0x1BA0, 0x1B81, 0x3F00,  // H-O
    0x3318, 0x3F01, 0x3319, 0x2C88, 0x2042, 0x1F00, 0x0324, 0x1B05,  // P-W
    0x00A5, 0x00A2, 0x2424, 0x2700, 0x0081, 0x3C00, 0x0005, 0x0400,  // X Y Z [ \ ] ^ _
    0x0080, 0x3E18, 0x0F18, 0x0618, 0x1E18, 0x3718, 0x2318, 0x3D18,  // ` a-g
    0x0B18, 0x0002, 0x1E00, 0x0331, 0x0042, 0x0A1A, 0x0A18, 0x0E18,  // h-o
    0x3318, 0x3918, 0x0218, 0x2C88, 0x0718, 0x0E00, 0x0324, 0x0E02,  // p-w
    0x00A5, 0x1D18, 0x2424, 0x2700, 0x0042, 0x3C00, 0x2000, 0x0405,  // x y z { | } ~ DEL
};

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// One character code (without the point) in editable form; false for a code that ends the text.
bool AppendCode(std::string& out, unsigned code) {
    char buf[4];
    if (code == '%') {
        out += "%%";
    } else if (code == '.') {
        // A typed point stands for a lit point; the point character itself is written as a code.
        out += "%2E";
    } else if (code >= 32 && code <= 126) {
        out += static_cast<char>(code);
    } else if (code != 0) {
        // User characters, DEL and the blank codes 1-15: kept as codes, so that the text comes
        // back byte for byte.
        std::snprintf(buf, sizeof buf, "%%%02X", code & 0xFF);
        out += buf;
    } else {
        return false;
    }
    return true;
}

// The length of the UTF-8 sequence at text[i] and its code point; 0 when it is not one.
size_t Utf8At(std::string_view text, size_t i, unsigned* codePoint) {
    const auto lead = static_cast<unsigned char>(text[i]);
    size_t n = 0;
    unsigned cp = 0, least = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        n = 2, cp = lead & 0x1F, least = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        n = 3, cp = lead & 0x0F, least = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        n = 4, cp = lead & 0x07, least = 0x10000;
    } else {
        return 0;
    }
    if (i + n > text.size()) return 0;
    for (size_t k = 1; k < n; ++k) {
        const auto c = static_cast<unsigned char>(text[i + k]);
        if ((c & 0xC0) != 0x80) return 0;
        cp = (cp << 6) | (c & 0x3F);
    }
    if (cp < least || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
    *codePoint = cp;
    return n;
}

}  // namespace

std::string EditableOf(const uint8_t* bytes, size_t count) {
    std::string out;
    count = std::min(count, kMaxConvert);
    for (size_t i = 0; i < count; ++i) {
        const uint8_t b = bytes[i];
        if (b & 0x80) {
            // A character with its point: the character in its own editable form (a blank code 0
            // as a space), then the point.
            const unsigned code = b & 0x7F;
            if (code == 0)
                out += ' ';
            else
                AppendCode(out, code);
            out += '.';
        } else if (!AppendCode(out, b)) {
            break;
        }
    }
    return out;
}

std::vector<uint8_t> BytesOf(std::string_view text) {
    std::vector<uint8_t> out;
    text = text.substr(0, std::min(text.size(), kMaxConvert));
    bool afterCharacter = false;  // the last byte came from a character, not from a point
    for (size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c == '.') {
            if (afterCharacter && !out.empty()) {
                out.back() |= 0x80;
            } else {
                out.push_back(kLonePoint);
            }
            afterCharacter = false;
            continue;
        }
        if (c == '%' && i + 1 < text.size() && text[i + 1] == '%') {
            out.push_back('%');
            ++i;
        } else if (c == '%' && i + 2 < text.size() && HexDigit(text[i + 1]) >= 0 && HexDigit(text[i + 2]) >= 0) {
            const int code = HexDigit(text[i + 1]) * 16 + HexDigit(text[i + 2]);
            if (code != 0) {
                out.push_back(static_cast<uint8_t>(code));
                i += 2;
            } else {
                out.push_back('%');
            }
        } else {
            out.push_back(c >= 32 ? c : static_cast<unsigned char>(' '));
        }
        afterCharacter = true;
    }
    return out;
}

size_t MissingCharacterAt(std::string_view text) {
    for (size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c < 32 || c > 126) return i;
    }
    return std::string_view::npos;
}

std::string MissingCharacter(std::string_view text) {
    const size_t at = MissingCharacterAt(text);
    if (at == std::string_view::npos) return {};
    char buf[16];
    unsigned cp = static_cast<unsigned char>(text[at]);
    const size_t n = cp < 0x80 ? 1 : Utf8At(text, at, &cp);
    if (n == 0) {
        std::snprintf(buf, sizeof buf, "0x%02X", cp);
        return buf;
    }
    if (cp < 32 || (cp >= 127 && cp < 0xA0)) {
        std::snprintf(buf, sizeof buf, "U+%04X", cp);
        return buf;
    }
    return "'" + std::string(text.substr(at, n)) + "'";
}

std::string NoCharacterMessage(cmcGTex& texts, std::string_view text) {
    const std::string name = MissingCharacter(text);
    if (name.empty()) return {};
    std::string message = texts.FirstLine(kKeyNoCharacter);
    if (const size_t at = message.find("%s"); at != std::string::npos) message.replace(at, 2, name);
    return message;
}

std::vector<uint8_t> ShownBytes(const uint8_t* field, int length, bool zeroTerminated) {
    std::vector<uint8_t> out;
    for (int i = 0; i < length && field[i] != 0; ++i) out.push_back(field[i]);
    if (!zeroTerminated)
        while (!out.empty() && out.back() == ' ') out.pop_back();
    return out;
}

bool StoreEditable(uint8_t* field, int length, bool zeroTerminated, std::string_view editable) {
    std::vector<uint8_t> bytes = BytesOf(editable);
    bytes.resize(std::max<size_t>(bytes.size(), static_cast<size_t>(length)), zeroTerminated ? 0 : ' ');
    const bool changed = std::memcmp(field, bytes.data(), static_cast<size_t>(length)) != 0;
    std::memcpy(field, bytes.data(), static_cast<size_t>(length));
    return changed;
}

uint16_t SegPatternOf(uint8_t byte, const uint8_t* userTable) {
    const unsigned code = byte & 0x7F;
    uint16_t pattern = 0;
    if (code >= 32)
        pattern = kFont[code - 32];
    else if (code >= kUserCharFirst && userTable)
        pattern = static_cast<uint16_t>((userTable[2 * (code - kUserCharFirst)] << 8) |
                                        userTable[2 * (code - kUserCharFirst) + 1]);
    if (byte & 0x80) pattern |= kPointSegment;
    return pattern;
}

// ---- geometry -------------------------------------------------------------------------------------

namespace {

std::string TrimBlanks(const std::string& s) {
    size_t a = 0, b = s.size();
    while (a < b && (s[a] == ' ' || s[a] == '\t' || s[a] == '\r')) ++a;
    while (b > a && (s[b - 1] == ' ' || s[b - 1] == '\t' || s[b - 1] == '\r')) --b;
    return s.substr(a, b - a);
}

// Reads a decimal integer at *p (optional sign), skipping blanks before it.
bool ReadInt(const char*& p, int* value) {
    while (*p == ' ' || *p == '\t') ++p;
    char* end = nullptr;
    const long v = std::strtol(p, &end, 10);
    if (end == p) return false;
    *value = static_cast<int>(v);
    p = end;
    return true;
}

bool Expect(const char*& p, char c) {
    while (*p == ' ' || *p == '\t') ++p;
    if (*p != c) return false;
    ++p;
    return true;
}

bool ParseSegment(const std::string& line, cmcSegment* seg) {
    const char* p = line.c_str();
    int n = 0;
    if (!ReadInt(p, &n) || n == 0) return false;
    seg->clickable = n > 0;
    n = std::abs(n);
    for (int t = 0; t < n; ++t) {
        cmcSegTriangle tri;
        if (!Expect(p, '|')) return false;
        for (auto& pt : tri.p)
            if (!Expect(p, '(') || !ReadInt(p, &pt.x) || !Expect(p, ',') || !ReadInt(p, &pt.y) || !Expect(p, ')'))
                return false;
        seg->triangles.push_back(tri);
    }
    while (*p == ' ' || *p == '\t') ++p;
    return *p == '\0';
}

}  // namespace

bool cmcSegChar::Parse(const std::vector<std::string>& lines, int* badLine) {
    *this = cmcSegChar();
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::string line = TrimBlanks(lines[i]);
        if (!line.empty() && line[0] == '#') break;
        if (line.empty() || line == "0" || line.rfind("//", 0) == 0) continue;
        cmcSegment seg;
        if (!ParseSegment(line, &seg)) {
            if (badLine) *badLine = static_cast<int>(i);
            return false;
        }
        for (const auto& tri : seg.triangles)
            for (const auto& pt : tri.p) {
                minX_ = std::min(minX_, pt.x);
                minY_ = std::min(minY_, pt.y);
                maxX_ = std::max(maxX_, pt.x);
                maxY_ = std::max(maxY_, pt.y);
            }
        segments_.push_back(std::move(seg));
    }
    return true;
}

void cmcSegChar::SetPattern(uint16_t pattern) {
    const int n = Count();
    for (int i = 0; i < n; ++i) {
        const int bit = n - 1 - i;
        segments_[static_cast<size_t>(i)].on = bit < 16 && ((pattern >> bit) & 1);
    }
}

uint16_t cmcSegChar::Pattern() const {
    const int n = Count();
    uint16_t pattern = 0;
    for (int i = 0; i < n; ++i) {
        const int bit = n - 1 - i;
        if (bit < 16 && segments_[static_cast<size_t>(i)].on) pattern |= static_cast<uint16_t>(1u << bit);
    }
    return pattern;
}

const cmcSegChar& DisplayGeometry(cmcGTex& store) {
    struct Cache {
        cmcGTex* store = nullptr;
        cmcSegChar geometry;
    };
    static Cache cache;
    if (cache.store != &store) {
        std::vector<std::string> lines;
        const std::string text = store.SectionText(kKeySegData);
        size_t at = 0;
        while (at <= text.size()) {
            const size_t nl = text.find('\n', at);
            lines.push_back(text.substr(at, nl == std::string::npos ? std::string::npos : nl - at));
            if (nl == std::string::npos) break;
            at = nl + 1;
        }
        int bad = -1;
        if (!cache.geometry.Parse(lines, &bad))
            cmcFatal(std::string(kKeySegData) + ": line " + std::to_string(bad) + " is not a segment (\"" +
                         lines[static_cast<size_t>(bad)] + "\")",
                     kExitDefinitionFault);
        cache.store = &store;
    }
    return cache.geometry;
}

namespace {
struct SegScale {
    double s = 0;
    int k = 0, dx = 0, dy = 0, h = 0;
};
SegScale ScaleOf(const cmcSegChar& g, int width, int height, int perLine, int lines) {
    SegScale r;
    if (perLine <= 0 || lines <= 0 || g.Width() <= 0 || g.Height() <= 0) return r;
    const int w = width / perLine;
    r.h = height / lines;
    r.s = std::min(w * 0.8 / g.Width(), r.h * 0.8 / g.Height());
    if (r.s <= 0) return r;
    r.k = static_cast<int>(std::lround(r.s * g.Width() * 1.25));
    r.dx = static_cast<int>(std::lround(r.k * 0.2 * 0.5));
    r.dy = static_cast<int>(std::lround(r.h * 0.2 * 0.5));
    return r;
}
}  // namespace

int SegTextWidth(const cmcSegChar& g, int width, int height, int count, int perLine, int lines) {
    const SegScale sc = ScaleOf(g, width, height, perLine, lines);
    const int n = std::min(count, perLine);
    if (sc.s <= 0 || n <= 0) return 0;
    return sc.dx + sc.k * (n - 1) + static_cast<int>(std::lround(sc.s * (g.MinX() + g.Width())));
}

void LayoutSegText(const cmcSegChar& g, int left, int top, int width, int height, const uint8_t* bytes, int count,
                   int perLine, int lines, const uint8_t* userTable, const cmcSegFill& fill) {
    const SegScale sc = ScaleOf(g, width, height, perLine, lines);
    if (sc.s <= 0) return;
    const double s = sc.s;
    const int k = sc.k, dx = sc.dx, dy = sc.dy, h = sc.h;
    const int n = g.Count();
    for (int j = 0; j < count && j < perLine * lines; ++j) {
        const uint16_t pattern = SegPatternOf(bytes[j], userTable);
        // Characters after the first line start again at the left.
        const int ox = left + dx + k * (j % perLine);
        const int oy = top + dy + (j / perLine) * h;
        for (int i = 0; i < n; ++i) {
            const int bit = n - 1 - i;
            if (bit >= 16 || !((pattern >> bit) & 1)) continue;
            for (const auto& tri : g.Segments()[static_cast<size_t>(i)].triangles) {
                cmcSegPoint pts[3];
                for (int v = 0; v < 3; ++v) {
                    pts[v].x = static_cast<int>(std::lround(tri.p[v].x * s)) + ox;
                    pts[v].y = static_cast<int>(std::lround(tri.p[v].y * s)) + oy;
                }
                fill(pts);
            }
        }
    }
}

// ---- character editor -----------------------------------------------------------------------------

cmcSegEditorMap::cmcSegEditorMap(const cmcSegChar& g) : minX(g.MinX()), minY(g.MinY()) {
    if (g.Width() > 0 && g.Height() > 0) scale = std::min(180.0 / g.Width(), 180.0 / g.Height());
}

cmcSegPoint cmcSegEditorMap::ToArea(cmcSegPoint p) const {
    return {static_cast<int>(std::lround((p.x - minX) * scale)) + 10,
            static_cast<int>(std::lround((p.y - minY) * scale)) + 10};
}

cmcSegPoint cmcSegEditorMap::FromArea(int x, int y) const {
    return {static_cast<int>(std::lround((x - 10) / scale + minX)),
            static_cast<int>(std::lround((y - 10) / scale + minY))};
}

namespace {
// |PQ| times the distance from R to the line PQ, halved: the area of the triangle PQR.
double Area(cmcSegPoint p, cmcSegPoint q, cmcSegPoint r) {
    const double ux = q.x - p.x, uy = q.y - p.y;
    const double len = std::hypot(ux, uy);
    if (len == 0) return 0;  // |PQ| is 0: the product is 0 whatever the distance
    const double dist = std::fabs(ux * (r.y - p.y) - uy * (r.x - p.x)) / len;
    return len * dist / 2;
}
}  // namespace

bool PointInTriangle(cmcSegPoint t, const cmcSegTriangle& abc) {
    const cmcSegPoint a = abc.p[0], b = abc.p[1], c = abc.p[2];
    return Area(a, b, c) + 0.01 >= Area(t, b, c) + Area(a, t, c) + Area(a, b, t);
}

int SegmentAt(const cmcSegChar& g, cmcSegPoint p) {
    const auto& segs = g.Segments();
    for (size_t i = 0; i < segs.size(); ++i) {
        if (!segs[i].clickable) continue;
        for (const auto& tri : segs[i].triangles)
            if (PointInTriangle(p, tri)) return static_cast<int>(i);
    }
    return -1;
}

}  // namespace qx
