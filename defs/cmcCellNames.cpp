#include "defs/cmcCellNames.h"

#include "common/cmcMessage.h"
#include "defs/cmcGTex.h"

#include <iterator>
#include <memory>

namespace qx {

#define QX_CELL_NAME_ENTRY(name) #name,
const char* const kCategoryNames[kCategoryCount] = {QX_CELL_CATEGORIES(QX_CELL_NAME_ENTRY)};
const char* const kLabelNames[kLabelCount] = {QX_CELL_LABELS(QX_CELL_NAME_ENTRY)};
#undef QX_CELL_NAME_ENTRY

const cmcNamedValue kCharsetNames[19] = {
    {"ANSI_CHARSET", 0},         {"DEFAULT_CHARSET", 1},     {"SYMBOL_CHARSET", 2},
    {"MAC_CHARSET", 77},         {"SHIFTJIS_CHARSET", 128},  {"HANGEUL_CHARSET", 129},
    {"JOHAB_CHARSET", 130},      {"GB2312_CHARSET", 134},    {"CHINESEBIG5_CHARSET", 136},
    {"GREEK_CHARSET", 161},      {"TURKISH_CHARSET", 162},   {"VIETNAMESE_CHARSET", 163},
    {"HEBREW_CHARSET", 177},     {"ARABIC_CHARSET", 178},    {"BALTIC_CHARSET", 186},
    {"RUSSIAN_CHARSET", 204},    {"THAI_CHARSET", 222},      {"EASTEUROPE_CHARSET", 238},
    {"OEM_CHARSET", 255},
};

const cmcNamedValue kFontStyleNames[4] = {
    {"fsBold", fsBold}, {"fsItalic", fsItalic}, {"fsUnderline", fsUnderline}, {"fsStrikeOut", fsStrikeOut}};

const cmcNamedValue kFontPitchNames[3] = {{"fpDefault", fpDefault}, {"fpFixed", fpFixed}, {"fpVariable", fpVariable}};

namespace {

struct ColourEntry {
    const char* name;
    uint32_t value;
};

const ColourEntry kColours[] = {
    {"clAqua", 0x00FFFF00},         {"clBlack", 0x00000000},        {"clBlue", 0x00FF0000},
    {"clDkGray", 0x00808080},       {"clFuchsia", 0x00FF00FF},      {"clGray", 0x00808080},
    {"clGreen", 0x00008000},        {"clLime", 0x0000FF00},         {"clLtGray", 0x00C0C0C0},
    {"clMaroon", 0x00000080},       {"clNavy", 0x00800000},         {"clOlive", 0x00008080},
    {"clPurple", 0x00800080},       {"clRed", 0x000000FF},          {"clSilver", 0x00C0C0C0},
    {"clTeal", 0x00808000},         {"clWhite", 0x00FFFFFF},        {"clYellow", 0x0000FFFF},
    {"clBackground", 0x80000001},   {"clActiveCaption", 0x80000002}, {"clInactiveCaption", 0x80000003},
    {"clMenu", 0x80000004},         {"clWindow", 0x80000005},       {"clWindowFrame", 0x80000006},
    {"clMenuText", 0x80000007},     {"clWindowText", 0x80000008},   {"clCaptionText", 0x80000009},
    {"clActiveBorder", 0x8000000A}, {"clInactiveBorder", 0x8000000B}, {"clAppWorkSpace", 0x8000000C},
    {"clHighlight", 0x8000000D},    {"clHightlightText", 0x8000000E}, {"clBtnFace", 0x8000000F},
    {"clBtnShadow", 0x80000010},    {"clGrayText", 0x80000011},     {"clBtnText", 0x80000012},
    {"clInactiveCaptionText", 0x80000013}, {"clBtnHighlight", 0x80000014},
};

// Categories and labels live in separate tables: one shared table would let a label name pass as
// a category (and the reverse) once both had been entered, depending on which was looked up first.
// Each table is filled the first time a name of its kind is looked up.
const cmcHash& CategoryTable() {
    static std::unique_ptr<cmcHash> table = [] {
        auto t = std::make_unique<cmcHash>(1031);
        for (int i = 0; i < kCategoryCount; ++i) t->Insert(kCategoryNames[i], i);
        return t;
    }();
    return *table;
}

const cmcHash& LabelTable() {
    static std::unique_ptr<cmcHash> table = [] {
        auto t = std::make_unique<cmcHash>(1031);
        for (int i = 0; i < kLabelCount; ++i) t->Insert(kLabelNames[i], i);
        return t;
    }();
    return *table;
}

// Colour values do not fit every int; the table holds the position in kColours.
const cmcHash& ColourTable() {
    static std::unique_ptr<cmcHash> table = [] {
        auto t = std::make_unique<cmcHash>(101);
        for (int i = 0; i < static_cast<int>(std::size(kColours)); ++i) t->Insert(kColours[i].name, i);
        return t;
    }();
    return *table;
}

bool FindNamed(const cmcNamedValue* table, int count, const std::string& name, int* value) {
    for (int i = 0; i < count; ++i)
        if (name == table[i].name) {
            if (value) *value = table[i].value;
            return true;
        }
    return false;
}

std::string NameOf(const cmcNamedValue* table, int count, int value) {
    for (int i = 0; i < count; ++i)
        if (table[i].value == value) return table[i].name;
    return {};
}

}  // namespace

bool FindCategory(const std::string& name, int* value) {
    if (name.empty()) return false;
    const cmcHash::Entry* e = CategoryTable().Find(name);
    if (!e) return false;
    if (value) *value = e->value;
    return true;
}

bool FindLabel(const std::string& name, int* value) {
    if (name.empty()) return false;
    const cmcHash::Entry* e = LabelTable().Find(name);
    if (!e) return false;
    if (value) *value = e->value;
    return true;
}

int CategoryValue(const std::string& name) {
    if (name.empty()) return kCategoryNone;
    int v = 0;
    if (!FindCategory(name, &v)) cmcFatal("Cannot use the specified category.\n'" + name + "'", kExitDefinitionFault);
    return v;
}

int LabelValue(const std::string& name) {
    if (name.empty()) return kLabelNone;
    int v = 0;
    if (!FindLabel(name, &v)) cmcFatal("Cannot use the specified cell.\n'" + name + "'", kExitDefinitionFault);
    return v;
}

std::string CategoryName(int value) {
    return value >= 0 && value < kCategoryCount ? kCategoryNames[value] : std::string();
}

std::string LabelName(int value) { return value >= 0 && value < kLabelCount ? kLabelNames[value] : std::string(); }

bool FindColour(const std::string& name, uint32_t* value) {
    const cmcHash::Entry* e = ColourTable().Find(name);
    if (!e) return false;
    if (value) *value = kColours[e->value].value;
    return true;
}

std::string ColourName(uint32_t value) {
    for (const auto& c : kColours)
        if (c.value == value) return c.name;
    return {};
}

bool FindCharset(const std::string& name, int* value) { return FindNamed(kCharsetNames, 19, name, value); }
bool FindFontStyle(const std::string& name, int* value) { return FindNamed(kFontStyleNames, 4, name, value); }
bool FindFontPitch(const std::string& name, int* value) { return FindNamed(kFontPitchNames, 3, name, value); }
std::string CharsetName(int value) { return NameOf(kCharsetNames, 19, value); }
std::string FontPitchName(int value) { return NameOf(kFontPitchNames, 3, value); }

int ReadLenientInt(std::string_view text) {
    size_t i = 0;
    auto isSpace = [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; };
    while (i < text.size() && isSpace(text[i])) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    long long v = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        v = v * 10 + (text[i] - '0');
        if (v > 2147483648LL) v = 2147483648LL;  // clamp; further digits cannot bring it back
    }
    if (negative) v = -v;
    if (v > 2147483647LL) v = 2147483647LL;
    return static_cast<int>(v);
}

}  // namespace qx
