#include "cells/cmcSheetText.h"

#include "cells/cmcCellCapsule.h"
#include "defs/cmcCellObj.h"
#include "defs/cmcGTex.h"
#include "defs/cmcSheetBuilder.h"
#include "image/indMain.h"

#include <cctype>

namespace qx {
namespace {

// Text is read, not drawn: any fixed measure builds the same cells.
class NoMeasure final : public cmcTextMeasure {
public:
    int TextWidth(const cmcFont&, const std::string& line) override { return static_cast<int>(line.size()) * 8; }
    int LineHeight(const cmcFont&) override { return 16; }
};

struct SheetRef {
    std::string style, key, parameter;
};

SheetRef SplitReference(const std::string& reference) {
    SheetRef r;
    std::string rest = reference;
    if (!rest.empty() && rest[0] == '[') {
        const size_t close = rest.find(']');
        if (close != std::string::npos) {
            r.style = rest.substr(1, close - 1);
            rest = rest.substr(close + 1);
        }
    }
    const size_t comma = rest.find(',');
    r.key = rest.substr(0, comma);
    if (comma != std::string::npos) r.parameter = rest.substr(comma + 1);
    return r;
}

}  // namespace

std::string cmcSheetKey(const std::string& reference) { return SplitReference(reference).key; }

std::unique_ptr<cmcSheetBuilder> cmcBuildSheetAsText(cmcGTex& texts, const std::string& reference, indMain& main) {
    const SheetRef ref = SplitReference(reference);
    if (!texts.HasKey(ref.key + "_Cells")) return nullptr;
    cmcSheetContext ctx;
    ctx.modelType = main.ModelType();
    ctx.image = &main.WorkingImage();
    std::unique_ptr<cmcSheetBuilder> b;
    if (ref.style == "St_ChBank")
        b = std::make_unique<cmcSheetBuilderChBank>(texts, ref.key, ctx);
    else if (ref.style == "St_Common")
        b = std::make_unique<cmcSheetBuilderCommon>(texts, ref.key, ctx);
    else
        b = std::make_unique<cmcSheetBuilder>(texts, ref.key, ctx);
    if (!ref.parameter.empty()) b->SetParameter(ref.parameter);
    NoMeasure measure;
    b->Build(measure);
    return b;
}

std::string cmcOneLine(std::string text) {
    for (char& ch : text)
        if (ch == '\n' || ch == '\r' || ch == '\t') ch = ' ';
    while (!text.empty() && text.back() == ' ') text.pop_back();
    return text;
}

std::string cmcCompactText(const std::string& text) {
    std::string out;
    for (char ch : text) {
        if (ch == '\n' || ch == '\r' || ch == '\t') ch = ' ';
        if (ch == ' ') {
            if (out.empty() || out.back() == ' ') continue;
            if (out.back() == '-' && out.size() >= 2 && std::isdigit(static_cast<unsigned char>(out[out.size() - 2])))
                continue;
        }
        out += ch;
    }
    while (!out.empty() && out.back() == ' ') out.pop_back();
    return out;
}

std::string cmcSheetTitle(const std::string& heading) {
    std::string title = cmcCompactText(heading);
    while (!title.empty() && (title.back() == ':' || title.back() == ' ')) title.pop_back();
    return title;
}

std::string cmcShownAt(cmcSheetBuilder& b, cmcCellCapsule& capsule, int col, int row) {
    if (!b.InGrid(col, row) || !b.Id(col, row).cell) return {};
    cmcCellObj cell = *b.Id(col, row).cell;
    // A cell without a label (a column heading, a row caption) shows its own text.
    if (cell.label == kLabelNone) return cmcOneLine(cell.text.value_or(std::string()));
    if (b.PlaceholderRow(row)) return {};
    cmcCellRequest req;
    req.cell = &cell;
    capsule.Execute(req, false);
    return cmcOneLine(req.display);
}

}  // namespace qx
