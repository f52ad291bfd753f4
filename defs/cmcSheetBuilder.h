// The sheet builder: turns a sheet key's "_Style", "_BasicCell" and "_Cells" sections into a cell
// table with column widths and row heights, without any widget. The sheet (cuiSheet) shows and
// edits the result; printing and the render command use the same builder.
//
//     cmcSheetBuilder b(GTex(), "GI_Sheet_CloneInfo", ctx);
//     b.Build(measure);                    // measure: widths and heights of text in a font
//     b.ColCount(), b.RowCount(), b.ColWidth(c), b.RowHeight(r), b.Cell(c, r) ...
//
// Kinds: the plain builder; cmcSheetBuilderCommon adds the model and option row filters of the
// common-settings sheets; cmcSheetBuilderChBank shows one bank of memory channels.
#pragma once

#include "defs/cmcCellObj.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace qx {

class cmcGTex;
class cmcEeprom;

// One grid position: the cell and its selection bits.
struct clsSheetCellId {
    enum : uint8_t {
        RowSelectable = 0x01,  // the row takes part in multiple selection
        SelectedCell = 0x02,
        SelectedLine = 0x04,
    };
    std::unique_ptr<cmcCellObj> cell;
    uint8_t bits = RowSelectable;
};

// One grid row: the rows-section line it comes from and its select switch.
struct clsSheeRowAtr {
    int sourceLine = 0;
    bool select = true;
};

// Multi-select modes of a sheet.
enum cmcMultiSelect { MS_None = 0, MS_Cell = 1, MS_Line = 2 };

struct cmcSheetStyle {
    std::optional<std::string> title;           // none: no title panel
    uint32_t titleColour = 0x80000011;          // clGrayText
    std::optional<cmcFont> titleFont;
    int fixedCols = 0;
    int fixedRows = 0;
    bool noPrint = false;
    int printFontRatio = 100;
    int multiSelect = MS_None;
};

// Splits a sheet parameter such as "Bank 2" into a head word and a list of comma-separated items.
class cmcScrBlock {
public:
    explicit cmcScrBlock(const std::string& text);
    const std::string& Head() const { return head_; }
    int ItemCount() const { return static_cast<int>(items_.size()); }
    // The item at i, or the empty text outside the list.
    std::string Item(int i) const;

private:
    std::string head_;
    std::vector<std::string> items_;
};

// Measures text in a cell font for fitted column widths and row heights. The user interface
// measures with the platform's fonts; tests use a fixed rule.
class cmcTextMeasure {
public:
    virtual ~cmcTextMeasure() = default;
    virtual int TextWidth(const cmcFont& font, const std::string& line) = 0;
    virtual int LineHeight(const cmcFont& font) = 0;
};

// The lines of a cell's text, split at '\n' (an empty text is one empty line). Cells are fitted
// to these lines and the sheet draws the same lines.
std::vector<std::string> SplitCellLines(const std::string& text);

// What a build depends on besides the definitions.
struct cmcSheetContext {
    int modelType = 0;                 // 0 LMR, 1 PMR, 2 branded digital PMR, 3 dPMR446
    const cmcEeprom* image = nullptr;  // the working image (row filters, banks); none reads as zeros
    int fontPercent = 100;             // the user's font size percentage
    int explicitFontHeight = 0;        // 0: use fontPercent
    bool printing = false;
    int marginUnit = 1;                // m: 1 on screen, printer pixels per inch / 120 when printing
};

class cmcSheetBuilder {
public:
    cmcSheetBuilder(cmcGTex& store, std::string key, cmcSheetContext ctx);
    virtual ~cmcSheetBuilder();
    cmcSheetBuilder(const cmcSheetBuilder&) = delete;
    cmcSheetBuilder& operator=(const cmcSheetBuilder&) = delete;

    // The sheet parameter (for the channel/bank sheet "Bank n").
    virtual void SetParameter(const std::string& parameter) { parameter_ = parameter; }
    const std::string& Parameter() const { return parameter_; }
    const std::string& Key() const { return key_; }
    cmcSheetContext& Context() { return ctx_; }

    // Reads the style and fills the cell table (StyleProperty .. CellHook below). Building again starts afresh.
    void Build(cmcTextMeasure& measure);
    bool Built() const { return built_; }

    // The result.
    const cmcSheetStyle& Style() const { return style_; }
    int ColCount() const { return cols_; }
    int RowCount() const { return rows_; }       // grid rows
    int CellRowCount() const { return cellRows_; }  // rows that hold cells (at least the grid rows)
    int ColWidth(int c) const { return colW_[c]; }
    int RowHeight(int r) const { return rowH_[r]; }
    void SetColWidth(int c, int w) { colW_[c] = w; }
    void SetRowHeight(int r, int h) { rowH_[r] = h; }
    int FixedCols() const { return style_.fixedCols; }
    int FixedRows() const { return style_.fixedRows; }
    // The cell of a position; outside the grid (or without cells) this is fatal ("Illegal Cell selection").
    cmcCellObj& Cell(int col, int row);
    clsSheetCellId& Id(int col, int row);
    bool InGrid(int col, int row) const { return col >= 0 && row >= 0 && col < cols_ && row < rows_; }
    // What a cell's value is called on the sheet, for naming a change to it: the nearest text of
    // its column's header rows, else the nearest caption to its left in its row (spaces trimmed);
    // empty when there is neither.
    std::string CaptionOf(int col, int row);
    const clsSheeRowAtr& RowAtr(int row) const { return rowMap_[row]; }
    int RowMapSize() const { return static_cast<int>(rowMap_.size()); }
    const cmcCellObj& BasicCell() const { return basic_; }
    // The basic cell's font, or the default font when it has none.
    cmcFont BasicFont() const;
    // Smallest column and row that hold a selectable cell (-1 when none).
    int FirstSelectableCol() const { return firstSelCol_; }
    int FirstSelectableRow() const { return firstSelRow_; }
    cmcCellCounters& Counters() { return counters_; }

    // The heading printed above the sheet, and whether the sheet can be printed at all.
    virtual std::string PrintHeading();
    virtual bool Printable();
    // The grid rows a printout shows: all of them; the channel/bank sheet stops after the bank's
    // last channel in use.
    virtual int PrintedRows() const { return rows_; }
    // Whether a grid row holds data: a printed page whose rows hold none is left out.
    virtual bool RowHoldsData(int row) const { return true; }

    // Grows (or shrinks) the grid by one row without a rebuild (the channel/bank sheet on
    // EVC_BankJoined and EVC_BankLeft). Rows beyond the cell table are refused.
    virtual bool AddRow();
    virtual bool RemoveRow();
    // Whether a grid row only stands in for an empty list (the channel/bank sheet of an empty
    // bank): its cells show nothing and take no edits; only the popup menu's Insert acts on it.
    virtual bool PlaceholderRow(int row) const { return false; }

protected:
    virtual void StyleProperty(const std::string& property);  // one "(...)" of the style line
    virtual void RowDirective(const std::string& directive);  // one "(...)" of a directive line
    virtual void SizeAndFill(cmcTextMeasure& measure);         // column widths, row heights, cell table
    virtual void ReadBasicCell();                              // the "_BasicCell" defaults
    virtual void ReadRows();                                   // the "_Cells" rows
    virtual void BuildCells(cmcTextMeasure& measure);          // the cells of every row
    virtual void RowHook(int row) {}                           // after a row is built
    virtual void CellHook(int col, int row) {}                 // after a cell is built
    // Rows of the cell table for a grid of `rows` rows (the channel/bank sheet keeps 74).
    virtual int CellRowsFor(int rows) const { return rows; }
    // Whether select switch directives are obeyed.
    virtual bool UsesSelectSwitches() const { return true; }

    // Shared by the directive handlers: "Name n" -> n, or -1 when no number follows the first space.
    static int DirectiveNumber(const std::string& directive);
    static bool StartsWith(const std::string& s, const char* prefix);
    uint8_t ImageByte(int address) const;
    int ReadBE16(int address) const;
    void AppendRow(int sourceLine);
    void FitCell(const cmcCellObj& cell, int col, int row, cmcTextMeasure& measure);

    cmcGTex& store_;
    std::string key_;
    std::string parameter_;
    cmcSheetContext ctx_;
    cmcSheetStyle style_;
    cmcCellObj basic_;
    cmcCellCounters counters_;
    std::vector<clsSheetCellId> table_;  // row-major: col + row * cols
    std::vector<clsSheeRowAtr> rowMap_;
    int rowMapUsed_ = 0;
    std::vector<int> colW_, rowH_;
    int cols_ = 0, rows_ = 0, cellRows_ = 0;
    int firstSelCol_ = -1, firstSelRow_ = -1;
    bool built_ = false;

    // Row reading state.
    int skip_ = 0;
    int line_ = 0;
    int loopStart_ = -1, loopEnd_ = -1, loopCount_ = 0;
    bool select_ = true;
    int maxCells_ = 0;
    int loopRows_ = 0;
};

// The common-settings sheet: more row filters by model type and option bits.
class cmcSheetBuilderCommon : public cmcSheetBuilder {
public:
    using cmcSheetBuilder::cmcSheetBuilder;

protected:
    void RowDirective(const std::string& directive) override;
};

// The channel/bank sheet: one bank's memory channels.
class cmcSheetBuilderChBank : public cmcSheetBuilder {
public:
    static constexpr int kCellRows = 74;
    static constexpr int kBanks = 5;
    static constexpr int kChannels = 64;
    static constexpr int kBankCountAddr = 0x95CD;   // five 16-bit counts, high byte first
    static constexpr int kBankNameAddr = 38557;     // five names of 8 characters
    static constexpr int kSmarTrunkAddr = 0x9593;   // bit (7 - bank) per bank

    using cmcSheetBuilder::cmcSheetBuilder;

    void SetParameter(const std::string& parameter) override;
    int Bank() const { return bank_; }
    // Channel count and first channel of the bank shown, from the image's bank table.
    int BankCount() const;
    int FirstChannel() const;
    int TotalChannels() const;
    bool SmarTrunk() const;
    // The bank's name: 8 characters of the image through the display text decoder when one is
    // installed, else the printable ASCII bytes.
    std::string BankName() const;
    std::function<std::string(const uint8_t* bytes, int length)> decodeText;
    // "<title> <bank+1>: <name> <trunking text> (Left CH - <left>)", the title after EVC_BankChanged.
    std::string BankTitle(const std::string& title);
    std::string PrintHeading() override;
    // A bank prints when it has a channel in use, its rows up to the last one in use; the rows of
    // channels not in use hold no data.
    bool Printable() override;
    int PrintedRows() const override;
    bool RowHoldsData(int row) const override;
    // Whether memory channel n (0-63) is in use: its receive frequency is not 0.
    bool ChannelInUse(int channel) const;
    // The grid row where the bank's channel group starts (-1 without a bank loop).
    int GroupRow() const { return groupRow_; }
    // An empty bank keeps the group's first row as a placeholder, so that the first channel can be
    // inserted there; the first channel joining the bank turns it into that channel's row, and the
    // last one leaving turns it back.
    bool AddRow() override;
    bool RemoveRow() override;
    bool PlaceholderRow(int row) const override { return placeholder_ && row == groupRow_; }

protected:
    void RowDirective(const std::string& directive) override;
    void ReadRows() override;
    void RowHook(int row) override;
    int CellRowsFor(int rows) const override { return rows > kCellRows ? rows : kCellRows; }
    bool UsesSelectSwitches() const override { return false; }

private:
    std::string SmarTrunkText();
    int bank_ = 0;
    int groupRow_ = -1;
    bool placeholder_ = false;
};

}  // namespace qx
