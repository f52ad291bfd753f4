#include "defs/cmcHelpContext.h"

#include "defs/cmcCellNames.h"

namespace qx {
namespace {

std::string Trim(std::string s) {
    auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
    while (!s.empty() && blank(s.back())) s.pop_back();
    size_t i = 0;
    while (i < s.size() && blank(s[i])) ++i;
    return s.substr(i);
}

// Splits a table line into its two tab-separated fields; false without a tab.
bool Fields(const std::string& line, std::string* first, std::string* second) {
    size_t tab = line.find('\t');
    if (tab == std::string::npos) return false;
    size_t end = line.find('\t', tab + 1);
    *first = Trim(line.substr(0, tab));
    *second = Trim(line.substr(tab + 1, end == std::string::npos ? std::string::npos : end - tab - 1));
    return true;
}

// The key-assignment cells: eight labels per family, reading consecutive image bytes.
struct KeyFamily {
    int firstLabel;
    int firstAddress;
};
constexpr KeyFamily kKeyFamilies[] = {
    {CL_KDisp_Key_Conv_RightUp, 0x8800},
    {CL_KDisp_Key_SmTr_RightUp, 0x8808},
    {CL_KDisp_Key_Dig_RightUp, 0x8810},
};
static_assert(CL_KDisp_Key_Conv_P3 - CL_KDisp_Key_Conv_RightUp == 7);
static_assert(CL_KDisp_Key_SmTr_P3 - CL_KDisp_Key_SmTr_RightUp == 7);
static_assert(CL_KDisp_Key_Dig_P3 - CL_KDisp_Key_Dig_RightUp == 7);

const char* KeyList(int family, int modelType) {
    switch (family) {
    case 0:
        if (modelType == 1 || modelType == 2) return "GI_Sheet_Sel_Keys_Conv_Pmr";
        if (modelType == 3) return "GI_Sheet_Sel_Keys_Conv_DPmr446Ana";
        return "GI_Sheet_Sel_Keys_Conv_Lmr";
    case 1: return "GI_Sheet_Sel_KDisp_Key_SmTr";
    default: return "GI_Sheet_Sel_Keys_Conv_DPmr446Dig";
    }
}

}  // namespace

cmcHelpSearch HelpSearchOf(const cmcCellObj& cell, const cmcEeprom& image, int modelType, cmcFCache& lists) {
    for (int f = 0; f < 3; ++f) {
        int k = cell.label - kKeyFamilies[f].firstLabel;
        if (k < 0 || k > 7) continue;
        int code = image.GetByte(kKeyFamilies[f].firstAddress + k);
        return {lists.Text(KeyList(f, modelType), Flex0, code), true};
    }
    return {LabelName(cell.label), false};
}

std::string HelpTopicOf(const cmcHelpSearch& search, cmcHelpGTex& store) {
    const std::string key = search.keyAssign ? kHelpKeyAssignTable : kHelpTopicTable;
    for (int n = 0;; ++n) {
        std::string line = store.Line(key, n);
        if (!line.empty() && line[0] == '#') return {};
        std::string first, second;
        if (Fields(line, &first, &second) && first == search.text) return second;
    }
}

int HelpContextOfTopic(const std::string& topic, cmcHelpGTex& store) {
    int context = 0;
    if (topic.empty()) return 0;
    for (int n = 0;; ++n) {
        std::string line = store.Line(kHelpContextTable, n);
        if (!line.empty() && line[0] == '#') return context;
        std::string first, second;
        if (Fields(line, &first, &second) && first == topic) context = ReadLenientInt(second);
    }
}

int HelpContextOf(const cmcCellObj& cell, const cmcEeprom& image, int modelType, cmcFCache& lists) {
    return HelpContextOfTopic(HelpTopicOf(HelpSearchOf(cell, image, modelType, lists), HelpGTex()), HelpGTex());
}

}  // namespace qx
