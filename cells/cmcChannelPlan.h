// Channel plans in and out of an image, and the comparison of two images cell by cell.
//
// A channel plan is a CSV file in the common channel-plan layout: a header line naming the columns
// (Location, Name, Frequency, Duplex, Offset, Tone, rToneFreq, cToneFreq, DtcsCode, DtcsPolarity,
// RxDtcsCode, CrossMode, Mode, TStep, Skip, Power, Comment, URCALL, RPT1CALL, RPT2CALL, DVCODE, and
// our Bank), then one channel per line; lines starting with '#' are comments. Power is written in
// watts (the nominal watts of each model type's levels, from the Power lists of the definition
// file), so that plans written by other programming tools and ours read each other. Export writes the channels in use; import checks every value through the cell handler and
// the editors the channel sheets use, and changes the image only when the whole plan is accepted
// (or the lines with problems are skipped on request).
//
//     std::string csv = ExportChannelPlan(main);
//     cmcPlanImport r = ImportChannelPlan(main, csv, {.bank = -1, .skipBad = false, .fitNames = true});
//     if (!r.applied) for (auto& p : r.problems) ... "line N: column: message"
//
//     std::vector<cmcDiffLine> d = DiffImages(a, b, sheetReferences);            // a change list
//     std::vector<cmcDiffLine> c = DiffImages(a, b, sheetReferences, {.cells = true});  // every cell
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace qx {

class indMain;
class cmcFCache;
struct cmcCellEnv;

// ---------------- CSV ----------------

// Splits CSV text into records of fields (quoted fields may hold commas, quotes written twice and
// line breaks). Each record remembers the line it starts on, counted from 1.
struct cmcCsvRecord {
    int line = 0;
    std::vector<std::string> fields;
    size_t dropped = 0;  // fields beyond the reader's limit, counted but not kept
};
std::vector<cmcCsvRecord> ParseCsv(const std::string& text, char separator = ',');

// Reads the records of a CSV text one at a time, so that only one record is held at once. A
// record keeps at most maxFields fields; the rest are counted in `dropped`.
class cmcCsvReader {
public:
    explicit cmcCsvReader(const std::string& text, char separator = ',', size_t maxFields = static_cast<size_t>(-1))
        : text_(text), separator_(separator), maxFields_(maxFields) {}
    // The next record (blank lines are none); false at the end of the text.
    bool Next(cmcCsvRecord* record);

private:
    const std::string& text_;
    char separator_;
    size_t maxFields_;
    size_t pos_ = 0;
    int line_ = 1;
};
// The field separator of a CSV text: ';' when its first line (after '#' comment lines) has semicolons and no comma (as
// spreadsheets save CSV where the comma is the decimal mark), otherwise ','.
char CsvSeparator(const std::string& text);
// One field, quoted when it holds a comma, a quote, a line break or surrounding spaces.
std::string CsvField(const std::string& text);

// ---------------- export ----------------

// The header line of an exported plan (without the line break).
const char* ChannelPlanHeader();
// The plan of the image's channels in use, one line per channel in channel order, as the cells
// of the environment `env` show them.
std::string ExportChannelPlan(const cmcCellEnv& env, indMain& main);

// ---------------- import ----------------

struct cmcPlanOptions {
    int bank = -1;           // 0-4: append every channel after the last channel in use of this bank
    bool skipBad = false;    // apply the good lines when some lines have problems
    bool apply = true;       // false: only check and describe (the preview); the image is kept
    int firstLocation = -1;  // the Location of channel 1; -1: 0 when the smallest Location is 0, else 1
    bool fitNames = false;   // shorten names to what the display shows (upper case, 8 characters)
};

struct cmcPlanProblem {
    int line = 0;          // the file's line, the header being line 1; 0 for the plan as a whole
    std::string column;    // the column as the header names it ("" for the line as a whole)
    std::string message;
    std::string Text() const;  // "line N: column: message" ("message" for the plan as a whole)
};

// A channel the plan sets: where it goes and what it held before and holds after.
struct cmcPlanChange {
    int line = 0;
    int channel = 0;       // over all banks, from 0
    int bank = 0;          // 0-4
    bool added = false;    // the channel joined its bank (it was not one of the bank's channels)
    std::vector<std::string> before;  // the plan fields of the channel before (empty when added)
    std::vector<std::string> after;   // the plan fields as the image holds them after the import
};

struct cmcPlanImport {
    // The first kMaxPlanProblems problems in file order; the others are only counted.
    static constexpr int kMaxPlanProblems = 100;
    std::vector<cmcPlanProblem> problems;
    int moreProblems = 0;                // problems found beyond those kept
    int refusedLines = 0;                // lines with at least one problem
    std::vector<cmcPlanChange> changes;  // lines accepted, in file order
    // What the import did that the plan did not say: Locations counted from 0, names fitted.
    std::vector<cmcPlanProblem> notes;
    bool applied = false;                // the working image was changed (and marked modified)

    // Keeps a problem, or counts it once kMaxPlanProblems are kept.
    void AddProblem(cmcPlanProblem problem);
    // Every problem found, kept or counted.
    int ProblemCount() const { return static_cast<int>(problems.size()) + moreProblems; }
    // "and 9,900 more problems" after the kept ones; empty when every problem is kept.
    std::string MoreProblemsText() const;
};

// A plan file is read whole; one larger than this is refused unread. A plan holds at most 64
// channels, a few kilobytes even with long comments: the limit leaves room for plans made for
// radios with thousands of channels (their extra lines are refused with their reasons).
inline constexpr size_t kMaxPlanFileBytes = 16u * 1024 * 1024;
// Reads a plan file into `text`; false with the reason (naming the file) when it cannot be read
// or is larger than kMaxPlanFileBytes. A file whose size is unknown beforehand (a pipe, a device)
// is read up to the limit.
bool ReadChannelPlanFile(const std::string& path, std::string* text, std::string* why);

// A field as a message quotes it: in single quotes, control characters escaped ("\n", "\x00")
// and a long text shortened to its start followed by "...".
std::string QuotedField(const std::string& text);

// The columns of cmcPlanChange::before/after, as exported.
const std::vector<std::string>& ChannelPlanColumns();
// Their places in those fields, in the order ChannelPlanColumns() names them.
enum cmcPlanColumn : int {
    PC_Location, PC_Name, PC_Frequency, PC_Duplex, PC_Offset, PC_Tone, PC_RTone, PC_CTone, PC_Dtcs, PC_DtcsPol,
    PC_RxDtcs, PC_CrossMode, PC_Mode, PC_TStep, PC_Skip, PC_Power, PC_Comment, PC_UrCall, PC_Rpt1Call,
    PC_Rpt2Call, PC_DvCode, PC_Bank, PC_Count
};

// The power levels of a model type as its Power list names them ("High (5 W)"): the level's name
// and its nominal watts, in the order of the channel's power field.
struct cmcPowerLevel {
    std::string name;   // "High"
    double watts = 0;   // 5.0
};
std::vector<cmcPowerLevel> ChannelPowerLevels(cmcFCache& lists, int modelType);
// Watts as a plan writes them: "5.0W", "0.5W", "0.05W", "25W".
std::string WattsText(double watts);
// A plan's Power field as the level it names: watts ("5W", "5.0W", "0.5 W", a bare number) as the
// nearest level (by ratio), or a level's name ("High", "Very low"); -1 when it is neither.
int PowerLevelOf(const std::vector<cmcPowerLevel>& levels, const std::string& text);
// A name shortened to what the display can show: upper case, a character the display lacks
// replaced (an accented letter by its letter, anything else by '-'), at most 8 display
// characters; in the editable form the name cell takes.
std::string FitName(const std::string& name);
// The tones of a channel's plan fields as a person reads them: "TSQL 100.0", "Tone 77.0",
// "DTCS 754 NN", "Cross DTCS->Tone 114N/88.5"; empty for none.
std::string PlanToneText(const std::vector<std::string>& fields);

// Checks the plan through the cells of the environment `env` on `main`.
cmcPlanImport ImportChannelPlan(const cmcCellEnv& env, indMain& main, const std::string& csv,
                                const cmcPlanOptions& options);

// ---------------- compare ----------------

// What a line of a comparison says: one cell that differs, or a memory channel that only one of
// the two images has in use (its cells are one line then, not one line per cell).
enum class cmcDiffKind { Cell, NewChannel, RemovedChannel };

struct cmcDiffLine {
    cmcDiffKind kind = cmcDiffKind::Cell;
    std::string sheetReference;  // the sheet as the topic tree names it ("[St_ChBank]key,Bank 1")
    std::string sheet;           // its heading, without an empty ending ("Memory Channels, Bank 1")
    std::string row;             // the row's caption without its padding ("1-2"), or "row N"
    std::string column;          // the column's heading ("RX frequency"), or "column N"; empty for a channel
    int col = 0, gridRow = 0;    // the cell's place in the sheet's grid (a channel: its receive frequency)
    // What the cell shows for each image, without leading padding. A channel line: the channel as
    // the image that has it shows it ("446.100000 MHz EVENT"), empty for the other image.
    std::string valueA, valueB;
    std::vector<int> cols;       // every column of gridRow whose cell differs (the cell's own for a cell line)
    // "Sheet / row / column: valueA -> valueB"; "Sheet / row: new channel valueB" for a channel
    // only B has in use, "Sheet / row: removed channel valueA" for one only A has.
    std::string Text() const;
};

struct cmcDiffOptions {
    // Every cell on its own line, also the cells of a channel only one image has in use.
    bool cells = false;
};

// Walks the sheets (references as the topic tree names them) built for image A's model type and
// lists every cell whose shown text differs between the two images. Column headings and row
// captions are not compared; they name the lines. A cell that only one of the two sheets has (a
// bank of a different size) compares with an empty text. A memory channel row that is in use in
// one image only is one line (unless options.cells), new when B has it, removed when A has it.
// The sheets and the cells are those of the environment `env` (its store, lists and tones).
std::vector<cmcDiffLine> DiffImages(const cmcCellEnv& env, indMain& a, indMain& b,
                                    const std::vector<std::string>& sheetReferences, const cmcDiffOptions& options = {});

// The lines of one sheet, in the order DiffImages lists them (a sheet's lines stand together).
struct cmcDiffSheet {
    std::string sheetReference;
    std::string sheet;
    std::vector<const cmcDiffLine*> lines;
};
std::vector<cmcDiffSheet> GroupDiffBySheet(const std::vector<cmcDiffLine>& lines);

#ifndef QX_CELLS_SOURCE
// The same with the program's environment, for runners outside cells/. Defined with that
// environment (env/cmcProgramTexts.cpp).
std::string ExportChannelPlan(indMain& main);
std::vector<cmcPowerLevel> ChannelPowerLevels(int modelType);
cmcPlanImport ImportChannelPlan(indMain& main, const std::string& csv, const cmcPlanOptions& options);
std::vector<cmcDiffLine> DiffImages(indMain& a, indMain& b, const std::vector<std::string>& sheetReferences,
                                    const cmcDiffOptions& options = {});
#endif

}  // namespace qx
