#include "defs/cmcSheetBuilder.h"

#include "common/cmcMessage.h"
#include "defs/cmcGTex.h"
#include "image/cmcEeprom.h"
#include "image/datCh.h"

#include <algorithm>
#include <cstdio>

namespace qx {

namespace {

std::string Trim(const std::string& s) {
    size_t b = s.find_first_not_of(" \t");
    if (b == std::string::npos) return {};
    size_t e = s.find_last_not_of(" \t");
    return s.substr(b, e - b + 1);
}

// Calls `f` with the text of every "(...)" group of `line`; text outside the groups and an
// unclosed group are ignored.
template <class F>
void ForEachGroup(const std::string& line, F&& f) {
    size_t pos = 0;
    while (true) {
        size_t open = line.find('(', pos);
        if (open == std::string::npos) return;
        size_t close = line.find(')', open + 1);
        if (close == std::string::npos) return;
        f(line.substr(open + 1, close - open - 1));
        pos = close + 1;
    }
}

std::string ValueAfterEquals(const std::string& prop) {
    size_t eq = prop.find('=');
    return eq == std::string::npos ? std::string() : prop.substr(eq + 1);
}

}  // namespace

std::vector<std::string> SplitCellLines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (true) {
        size_t nl = text.find('\n', start);
        lines.push_back(text.substr(start, nl == std::string::npos ? std::string::npos : nl - start));
        if (nl == std::string::npos) break;
        start = nl + 1;
    }
    return lines;
}

// --- Parameter splitter ------------------------------------------------------------------------

cmcScrBlock::cmcScrBlock(const std::string& text) {
    size_t sp = text.find(' ');
    head_ = Trim(text.substr(0, sp));
    if (sp == std::string::npos) return;
    std::string rest = text.substr(sp + 1);
    size_t start = 0;
    while (true) {
        size_t comma = rest.find(',', start);
        items_.push_back(Trim(rest.substr(start, comma == std::string::npos ? std::string::npos : comma - start)));
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
}

std::string cmcScrBlock::Item(int i) const {
    return i >= 0 && i < ItemCount() ? items_[i] : std::string();
}

// --- Builder -----------------------------------------------------------------------------------

cmcSheetBuilder::cmcSheetBuilder(cmcGTex& store, std::string key, cmcSheetContext ctx)
    : store_(store), key_(std::move(key)), ctx_(ctx) {}

cmcSheetBuilder::~cmcSheetBuilder() = default;

bool cmcSheetBuilder::StartsWith(const std::string& s, const char* prefix) {
    return s.rfind(prefix, 0) == 0;
}

int cmcSheetBuilder::DirectiveNumber(const std::string& directive) {
    size_t sp = directive.find(' ');
    if (sp == std::string::npos) return -1;
    std::string rest = directive.substr(sp + 1);
    if (rest.find_first_of("0123456789") == std::string::npos) return -1;
    return ReadLenientInt(rest);
}

uint8_t cmcSheetBuilder::ImageByte(int address) const {
    if (!ctx_.image || !ctx_.image->IsValidAddress(address)) return 0;
    return ctx_.image->GetByte(address);
}

int cmcSheetBuilder::ReadBE16(int address) const { return (ImageByte(address) << 8) | ImageByte(address + 1); }

cmcFont cmcSheetBuilder::BasicFont() const {
    const cmcFont* f = basic_.EffectiveFont();
    return f ? *f : DefaultFont();
}

void cmcSheetBuilder::Build(cmcTextMeasure& measure) {
    built_ = false;
    style_ = cmcSheetStyle{};
    counters_.Zero();
    table_.clear();
    rowMap_.clear();
    colW_.clear();
    rowH_.clear();
    cols_ = rows_ = cellRows_ = 0;
    firstSelCol_ = firstSelRow_ = -1;

    ForEachGroup(store_.Line(key_ + "_Style", 0), [&](const std::string& p) { StyleProperty(p); });
    SizeAndFill(measure);
    style_.fixedCols = std::clamp(style_.fixedCols, 0, std::max(0, cols_ - 1));
    style_.fixedRows = std::clamp(style_.fixedRows, 0, std::max(0, rows_ - 1));
    built_ = true;
}

void cmcSheetBuilder::StyleProperty(const std::string& p) {
    std::string value = ValueAfterEquals(p);
    if (StartsWith(p, "TitleString")) {
        if (!value.empty()) style_.title = value;
    } else if (StartsWith(p, "TitleColor")) {
        uint32_t c;
        if (FindColour(value, &c)) style_.titleColour = c;
    } else if (StartsWith(p, "TitleFont")) {
        cmcFont f = DefaultFont();
        ApplyFontSpec(f, value);
        style_.titleFont = f;
    } else if (StartsWith(p, "FixedCols")) {
        style_.fixedCols = ReadLenientInt(value);
    } else if (StartsWith(p, "FixedRows")) {
        style_.fixedRows = ReadLenientInt(value);
    } else if (p == "NoPrint") {
        style_.noPrint = true;
    } else if (StartsWith(p, "PrintFontRatio")) {
        style_.printFontRatio = ReadLenientInt(value);
    } else if (StartsWith(p, "MultiSelect")) {
        style_.multiSelect = value == "Cell" ? MS_Cell : value == "Line" ? MS_Line : MS_None;
    }
}

void cmcSheetBuilder::SizeAndFill(cmcTextMeasure& measure) {
    ReadBasicCell();
    ReadRows();
    cellRows_ = CellRowsFor(rows_);
    table_.resize(static_cast<size_t>(cols_) * cellRows_);
    colW_.assign(cols_, ctx_.marginUnit);
    rowH_.assign(cellRows_, ctx_.marginUnit);
    BuildCells(measure);
}

void cmcSheetBuilder::ReadBasicCell() {
    std::string line = store_.Line(key_ + "_BasicCell", 0);
    char buf[64];
    if (ctx_.explicitFontHeight != 0)
        std::snprintf(buf, sizeof buf, "{(Font=,,,%d,,,)}", ctx_.explicitFontHeight);
    else
        std::snprintf(buf, sizeof buf, "{(Font=,,,%%%d,,,)}", ctx_.fontPercent);
    line += buf;
    if (ctx_.printing && style_.printFontRatio != 100) {
        std::snprintf(buf, sizeof buf, "{(Font=,,,%%%d,,,)}", style_.printFontRatio);
        line += buf;
    }
    basic_ = cmcCellObj();
    ParseCell(line, &basic_, nullptr, nullptr);
}

void cmcSheetBuilder::AppendRow(int sourceLine) {
    rowMap_.push_back(clsSheeRowAtr{sourceLine, select_});
}

void cmcSheetBuilder::ReadRows() {
    skip_ = 0;
    loopStart_ = loopEnd_ = -1;
    loopCount_ = 0;
    select_ = true;
    maxCells_ = 0;
    loopRows_ = 0;
    const std::string key = key_ + "_Cells";
    for (line_ = 0;; ++line_) {
        std::string line = store_.Line(key, line_);
        if (!line.empty() && line[0] == '#') break;
        if (skip_ > 0) {
            --skip_;
            continue;
        }
        if (!line.empty() && line[0] == ':') {
            ForEachGroup(line.substr(1), [&](const std::string& d) { RowDirective(d); });
            if (loopStart_ >= 0 && loopEnd_ >= 0) {
                if (loopCount_ > 0) {
                    for (int k = 1; k < loopCount_; ++k)
                        for (int j = 1; j <= loopRows_; ++j) AppendRow(loopStart_ + j);
                    loopStart_ = loopEnd_ = -1;
                    loopCount_ = 0;
                    loopRows_ = 0;
                }
            }
        } else {
            maxCells_ = std::max(maxCells_, CountCells(line));
            AppendRow(line_);
            bool open = loopStart_ >= 0 && loopEnd_ < 0;
            loopRows_ = open ? loopRows_ + 1 : 0;
        }
    }
    if (rowMap_.empty() || maxCells_ == 0) cmcFatal("Illegal Cell assign", kExitDefinitionFault);
    cols_ = maxCells_;
    rows_ = static_cast<int>(rowMap_.size());
}

void cmcSheetBuilder::RowDirective(const std::string& d) {
    auto skipWhen = [&](bool cond) {
        int n = DirectiveNumber(d);
        if (cond && n > 0) skip_ = n;
    };
    if (StartsWith(d, "Only_notDPmr446")) {
        skipWhen(ctx_.modelType == 3);
    } else if (StartsWith(d, "Only_DPmr446")) {
        skipWhen(ctx_.modelType != 3);
    } else if (StartsWith(d, "Only_notEEDIT")) {
        // Read as usual.
    } else if (StartsWith(d, "Only_EEDIT")) {
        skipWhen(true);
    } else if (StartsWith(d, "LoopFrom")) {
        int n = DirectiveNumber(d);
        if (n < 0) return;
        loopStart_ = line_;
        loopEnd_ = -1;
        loopCount_ = std::max(n, 1);
        loopRows_ = 0;
    } else if (StartsWith(d, "LoopTo")) {
        loopEnd_ = line_;
    } else if (UsesSelectSwitches() && StartsWith(d, "SelectOFF")) {
        select_ = false;
    } else if (UsesSelectSwitches() && StartsWith(d, "SelectON")) {
        select_ = true;
    }
}

void cmcSheetBuilder::FitCell(const cmcCellObj& cell, int col, int row, cmcTextMeasure& measure) {
    if (!cell.FitColumn() && !cell.FitRow()) return;
    const cmcFont* own = cell.EffectiveFont();
    cmcFont font = own ? *own : BasicFont();
    std::vector<std::string> lines = SplitCellLines(cell.Text());
    const int m = ctx_.marginUnit;
    if (cell.FitColumn()) {
        int widest = 0;
        for (const auto& l : lines) widest = std::max(widest, measure.TextWidth(font, l));
        colW_[col] = std::max(colW_[col], widest + 8 * m);
    }
    if (cell.FitRow()) {
        int h = static_cast<int>(lines.size()) * measure.LineHeight(font);
        rowH_[row] = std::max(rowH_[row], h + 2 * m);
    }
}

void cmcSheetBuilder::BuildCells(cmcTextMeasure& measure) {
    const std::string key = key_ + "_Cells";
    for (int row = 0; row < cellRows_; ++row) {
        RowHook(row);
        bool inMap = row < RowMapSize();
        bool copy = row > 0 && (!inMap || rowMap_[row].sourceLine == rowMap_[row - 1].sourceLine);
        bool rowSelect = inMap ? rowMap_[row].select : rowMap_.back().select;
        if (copy) {
            for (int c = 0; c < cols_; ++c) {
                auto cell = std::make_unique<cmcCellObj>(*table_[c + (row - 1) * cols_].cell);
                cell->index += 1;
                table_[c + row * cols_].cell = std::move(cell);
            }
            rowH_[row] = rowH_[row - 1];
        } else {
            std::string line = store_.Line(key, rowMap_[row].sourceLine);
            std::string_view rest = line;
            for (int c = 0; c < cols_; ++c) {
                CellHook(c, row);
                auto cell = std::make_unique<cmcCellObj>();
                if (!rest.empty()) {
                    rest = ParseCell(rest, cell.get(), &counters_, &basic_);
                    FitCell(*cell, c, row, measure);
                }
                table_[c + row * cols_].cell = std::move(cell);
            }
        }
        for (int c = 0; c < cols_; ++c) {
            clsSheetCellId& id = table_[c + row * cols_];
            if (id.cell->Selectable()) {
                if (firstSelCol_ < 0 || c < firstSelCol_) firstSelCol_ = c;
                if (firstSelRow_ < 0 || row < firstSelRow_) firstSelRow_ = row;
            }
            id.bits = (style_.multiSelect != MS_None && rowSelect) ? clsSheetCellId::RowSelectable : 0;
        }
    }
}

clsSheetCellId& cmcSheetBuilder::Id(int col, int row) {
    if (!InGrid(col, row) || table_.empty()) cmcFatal("Illegal Cell selection", kExitDefinitionFault);
    return table_[col + row * cols_];
}

cmcCellObj& cmcSheetBuilder::Cell(int col, int row) { return *Id(col, row).cell; }

std::string cmcSheetBuilder::CaptionOf(int col, int row) {
    if (!InGrid(col, row)) return {};
    const auto trimmed = [](const std::string& text) {
        const size_t first = text.find_first_not_of(" \n");
        if (first == std::string::npos) return std::string();
        return text.substr(first, text.find_last_not_of(" \n") - first + 1);
    };
    const auto caption = [&](int c, int r) {
        const cmcCellObj& cell = Cell(c, r);
        return cell.label == kLabelNone || cell.label == CL_Null ? trimmed(cell.Text()) : std::string();
    };
    for (int r = std::min(FixedRows(), row) - 1; r >= 0; --r)
        if (std::string text = caption(col, r); !text.empty()) return text;
    for (int c = col - 1; c >= 0; --c)
        if (std::string text = caption(c, row); !text.empty()) return text;
    return {};
}

std::string cmcSheetBuilder::PrintHeading() { return style_.title.value_or(std::string()); }

bool cmcSheetBuilder::Printable() { return !style_.noPrint; }

bool cmcSheetBuilder::AddRow() {
    if (!built_ || rows_ >= cellRows_) return false;
    int last = rows_ - 1;
    ++rows_;
    for (int c = 0; c < cols_; ++c) {
        table_[c + (rows_ - 1) * cols_].bits &= ~clsSheetCellId::RowSelectable;
        if (style_.multiSelect != MS_None) table_[c + last * cols_].bits |= clsSheetCellId::RowSelectable;
    }
    if (rowH_[rows_ - 1] <= ctx_.marginUnit && last >= 0) rowH_[rows_ - 1] = rowH_[last];
    return true;
}

bool cmcSheetBuilder::RemoveRow() {
    if (!built_ || rows_ <= 1 || rows_ - 1 <= style_.fixedRows) return false;
    --rows_;
    int last = rows_ - 1;
    for (int c = 0; c < cols_; ++c) {
        table_[c + last * cols_].bits &= ~clsSheetCellId::RowSelectable;
        table_[c + last * cols_].bits &= ~(clsSheetCellId::SelectedCell | clsSheetCellId::SelectedLine);
    }
    for (int c = 0; c < cols_; ++c)
        table_[c + rows_ * cols_].bits &= ~(clsSheetCellId::SelectedCell | clsSheetCellId::SelectedLine);
    return true;
}

// --- Common-settings sheet ---------------------------------------------------------------------

void cmcSheetBuilderCommon::RowDirective(const std::string& d) {
    auto skipWhen = [&](bool cond) {
        int n = DirectiveNumber(d);
        if (cond && n > 0) skip_ = n;
    };
    const int t = ctx_.modelType;
    if (StartsWith(d, "Only_Pmr")) {
        skipWhen(t != 1 && t != 2);
    } else if (StartsWith(d, "Only_Lmr")) {
        skipWhen(t != 0);
    } else if (StartsWith(d, "Only_KORV")) {
        skipWhen(t != 2);
    } else if (StartsWith(d, "Only_notKORV")) {
        skipWhen(t == 2);
    } else if (StartsWith(d, "Only_SACC")) {
        skipWhen(!(ImageByte(11) & 0x08));
    } else if (StartsWith(d, "Only_EACC")) {
        skipWhen(!(ImageByte(11) & 0x10));
    } else {
        cmcSheetBuilder::RowDirective(d);
    }
}

// --- Channel/bank sheet ------------------------------------------------------------------------

void cmcSheetBuilderChBank::SetParameter(const std::string& parameter) {
    cmcSheetBuilder::SetParameter(parameter);
    cmcScrBlock block(parameter);
    // Only banks 0-4 exist; any other number shows bank 0 rather than reading past the bank table.
    int b = ReadLenientInt(block.Item(0));
    bank_ = (b >= 0 && b < kBanks) ? b : 0;
}

int cmcSheetBuilderChBank::FirstChannel() const {
    int first = 0;
    for (int b = 0; b < bank_; ++b) first += ReadBE16(kBankCountAddr + 2 * b);
    return std::min(first, kChannels);
}

int cmcSheetBuilderChBank::BankCount() const {
    // The counts of a damaged image may add up to more than the channel table holds; the sheet
    // never shows channels past its end.
    int n = ReadBE16(kBankCountAddr + 2 * bank_);
    return std::clamp(n, 0, kChannels - FirstChannel());
}

int cmcSheetBuilderChBank::TotalChannels() const {
    int total = 0;
    for (int b = 0; b < kBanks; ++b) total += ReadBE16(kBankCountAddr + 2 * b);
    return total;
}

bool cmcSheetBuilderChBank::SmarTrunk() const { return ImageByte(kSmarTrunkAddr) & (0x80 >> bank_); }

std::string cmcSheetBuilderChBank::BankName() const {
    uint8_t bytes[8];
    for (int i = 0; i < 8; ++i) bytes[i] = ImageByte(kBankNameAddr + 8 * bank_ + i);
    if (decodeText) return decodeText(bytes, 8);
    std::string name;
    for (uint8_t b : bytes) name += (b >= 0x20 && b < 0x7F) ? static_cast<char>(b) : ' ';
    return name;
}

std::string cmcSheetBuilderChBank::SmarTrunkText() {
    return SmarTrunk() ? store_.Line("GI_AppInd_MchSheet_Printer_SmarTrunk", 0) : std::string();
}

std::string cmcSheetBuilderChBank::BankTitle(const std::string& title) {
    char buf[512];
    std::snprintf(buf, sizeof buf, "%s %d: %s %s (Left CH - %d)", title.c_str(), bank_ + 1, BankName().c_str(),
                  SmarTrunkText().c_str(), kChannels - TotalChannels());
    return buf;
}

std::string cmcSheetBuilderChBank::PrintHeading() {
    char buf[512];
    std::snprintf(buf, sizeof buf, "%s %d: %s %s", store_.Line("GI_AppInd_MchSheet_Printer_Head", 0).c_str(),
                  bank_ + 1, BankName().c_str(), SmarTrunkText().c_str());
    return buf;
}

bool cmcSheetBuilderChBank::ChannelInUse(int channel) const {
    if (!ctx_.image || ctx_.image->GetSize() < kImageSize) return false;
    return datChannelInUse(ctx_.image->Data(), channel);
}

bool cmcSheetBuilderChBank::Printable() {
    if (style_.noPrint) return false;
    const int first = FirstChannel(), count = BankCount();
    for (int ch = first; ch < first + count; ++ch)
        if (ChannelInUse(ch)) return true;
    return false;
}

// The group holds one row per channel of the bank, from GroupRow() on.
int cmcSheetBuilderChBank::PrintedRows() const {
    const int count = BankCount();
    // Rows after the channels would be cut off with them: such a sheet prints whole.
    if (groupRow_ < 0 || placeholder_ || groupRow_ + count != rows_) return rows_;
    const int first = FirstChannel();
    int last = -1;
    for (int i = 0; i < count; ++i)
        if (ChannelInUse(first + i)) last = i;
    return groupRow_ + last + 1;
}

bool cmcSheetBuilderChBank::RowHoldsData(int row) const {
    if (groupRow_ < 0 || placeholder_ || row < groupRow_ || row >= groupRow_ + BankCount()) return true;
    return ChannelInUse(FirstChannel() + row - groupRow_);
}

void cmcSheetBuilderChBank::RowDirective(const std::string& d) {
    if (StartsWith(d, "LoopFrom") && DirectiveNumber(d) < 0) {
        loopStart_ = line_;
        loopEnd_ = -1;
        loopCount_ = BankCount();
        loopRows_ = 0;
        if (groupRow_ < 0) groupRow_ = RowMapSize();
        return;
    }
    cmcSheetBuilder::RowDirective(d);
}

void cmcSheetBuilderChBank::ReadRows() {
    groupRow_ = -1;
    placeholder_ = false;
    cmcSheetBuilder::ReadRows();
    // An empty bank: the group's rows stay in the cell table (so a channel joining the bank can show
    // them); when they end the grid, only the first stays, as a placeholder row that shows nothing
    // and takes no edits (its cells would otherwise show, and edit, the next bank's first channel).
    if (groupRow_ >= 0 && loopStart_ >= 0 && loopEnd_ >= 0 && loopCount_ == 0) {
        int groupRows = loopRows_;
        if (groupRow_ + groupRows == rows_ && groupRow_ > 0) {
            rows_ = groupRow_ + 1;
            placeholder_ = true;
        }
    }
}

bool cmcSheetBuilderChBank::AddRow() {
    if (placeholder_) {
        placeholder_ = false;
        return true;
    }
    return cmcSheetBuilder::AddRow();
}

bool cmcSheetBuilderChBank::RemoveRow() {
    if (!placeholder_ && groupRow_ >= 0 && rows_ == groupRow_ + 1 && built_) {
        placeholder_ = true;
        return true;
    }
    return cmcSheetBuilder::RemoveRow();
}

void cmcSheetBuilderChBank::RowHook(int row) {
    if (row == groupRow_) counters_.ch[0] = FirstChannel();
}

}  // namespace qx
