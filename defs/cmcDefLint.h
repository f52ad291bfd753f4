// The definition file checker: reads ZT5531K.OVL and ZT5531KH.OVL the way the program will and
// reports every problem with its file, line and key instead of stopping at the first.
//
// What it checks:
//   - the files: "#End_Of_Ovl" present, no duplicate keys, no sections after "#End_Of_Ovl";
//   - every section that holds cell descriptions parses without a fatal error: cell models,
//     sheets ("_Style", "_BasicCell", "_Cells"; all three must exist), menus and popup menus
//     ("_BasicCell", "_Body"), the tool bar, trees and tree branches, the warning check list and
//     the main form's basic cell; unknown names, properties and attribute characters that the
//     program would silently pass over count as problems too;
//   - every "$" model and every popup menu key named exists; tree nodes refer to existing sheets;
//   - every key in the registry of required keys exists (RequiredDefKeys);
//   - the help tables: two tab-separated fields, label names in the topic table, decimal context
//     numbers, and a context for every topic;
//   - whatever later code adds with AddDefLintCheck.
//
// The checker parses through ParseCell and the definition store, whose faults are fatal: it must run
// under a message sink whose Fatal throws cmcFatalError (the test recorder, or the sink the 'lint'
// command installs), so that it can report the fault and go on.
#pragma once

#include "defs/cmcCellObj.h"

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace qx {

enum class cmcDefFileKind { Main, Help };

struct cmcLintProblem {
    std::string file;  // file name without folder
    int line = 0;      // 1-based line of the file; 0 for the file as a whole
    std::string key;   // the section, or empty
    std::string message;
};
// "FILE:LINE: KEY: MESSAGE" on one line (line feeds of the message become spaces).
std::string FormatLintProblem(const cmcLintProblem& p);

// ---- The registry of keys the program looks up by name -----------------------------------------

enum class cmcRequiredKind {
    Section,  // the key itself
    Sheet,    // KEY_Style, KEY_BasicCell and KEY_Cells
    Menu,     // KEY_BasicCell and KEY_Body
};
struct cmcRequiredKey {
    std::string key;
    cmcDefFileKind file = cmcDefFileKind::Main;
    cmcRequiredKind kind = cmcRequiredKind::Section;
    std::string usedBy;  // who reads it, for the report
};
// Every key the code reads by a fixed name. The list starts from the table in cmcDefLint.cpp, the one
// place to add the keys of new code; RequireDefKey adds more at run time (tools, tests).
const std::vector<cmcRequiredKey>& RequiredDefKeys();
void RequireDefKey(cmcRequiredKey key);

// ---- One definition file as the store reads it -------------------------------------------------

class cmcDefFile {
public:
    struct Line {
        int number;  // 1-based physical line
        std::string text;
    };
    struct Head {
        std::string key;
        int at;  // position of the head line in Lines()
    };

    // Reads the file: lines end at a line feed, a carriage return before it is dropped, and a longer
    // line than the store's 8191 characters comes out as several lines. False when it cannot be read.
    bool Load(const std::string& path);
    const std::string& Name() const { return name_; }
    const std::vector<Line>& Lines() const { return lines_; }
    // Every head in file order, those after "#End_Of_Ovl" and duplicates included.
    const std::vector<Head>& Heads() const { return heads_; }
    bool HasEnd() const { return endAt_ >= 0; }

    // The head the store finds for a key: the first one before "#End_Of_Ovl"; null when none.
    const Head* Find(const std::string& key) const;
    bool Has(const std::string& key) const { return Find(key) != nullptr; }
    // Body line n of a found section (it may be a later head line, as for the store); null past the end.
    const Line* BodyLine(const Head& head, int n) const;
    // The body lines of a list section, up to the first line that starts with "#". `*ended` tells
    // whether such a line was met before the end of the file.
    std::vector<const Line*> ListLines(const Head& head, bool* ended = nullptr) const;

private:
    std::string name_;
    std::vector<Line> lines_;
    std::vector<Head> heads_;
    std::vector<int> found_;  // indexes into heads_ of the keys the store can find
    int endAt_ = -1;
};

// ---- The check run -------------------------------------------------------------------------------

// The state of one run, handed to the checks.
class cmcDefLintContext {
public:
    struct Where {
        cmcDefFileKind file;
        int line;
        std::string key;
    };

    cmcDefLintContext(cmcDefFile& main, cmcDefFile& help) : main_(main), help_(help) {}
    cmcDefFile& Main() { return main_; }
    cmcDefFile& Help() { return help_; }
    cmcDefFile& File(cmcDefFileKind k) { return k == cmcDefFileKind::Main ? main_ : help_; }

    void Report(const Where& at, const std::string& message);
    const std::vector<cmcLintProblem>& Problems() const { return problems_; }

    // Runs `fn`; a fatal error it raises is reported at `at`. False when it raised one.
    bool Guard(const Where& at, const std::function<void()>& fn);
    // Parses one cell description into `cell`; fatal errors, ignored parts and missing popup menus
    // are reported at `at`. False after a fatal error.
    bool ParseDescription(const Where& at, std::string_view desc, cmcCellObj* cell, cmcCellCounters* counters,
                          const cmcCellObj* model);
    // Parses every cell of a row (continuing after a faulty cell); returns the number of cells.
    int ParseRow(const Where& at, std::string_view row, cmcCellCounters* counters, const cmcCellObj* model,
                 std::vector<cmcCellObj>* cells = nullptr);
    // Where line n of a section body is (the head's line + 1 + n).
    Where BodyWhere(cmcDefFileKind file, const cmcDefFile::Head& head, int n) const;
    Where HeadWhere(cmcDefFileKind file, const cmcDefFile::Head& head) const;
    // Line 0 of a section holding one description or one style line; reports an empty section.
    const cmcDefFile::Line* FirstLine(cmcDefFileKind file, const cmcDefFile::Head& head);
    // Whether a sheet (or a menu) base key has all its sections; reports the missing ones at `at`.
    bool CheckSheetSections(const Where& at, const std::string& base);
    bool CheckMenuSections(const Where& at, const std::string& base);

private:
    cmcDefFile& main_;
    cmcDefFile& help_;
    std::vector<cmcLintProblem> problems_;
};

// A check that later code adds (for instance for the sections it reads in its own format).
using cmcDefLintCheck = std::function<void(cmcDefLintContext&)>;
void AddDefLintCheck(cmcDefLintCheck check);

// Checks "<dir>ZT5531K.OVL" and "<dir>ZT5531KH.OVL" (dir ending with "/", default the data
// folder). The main store (GTex) reads the checked main file while the checks run.
std::vector<cmcLintProblem> LintDefinitionFiles(const std::string& dir = "");

}  // namespace qx
