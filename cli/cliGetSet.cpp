// "get" and "set": read and edit cells of a clone file through the program's own cell handler, the
// way the sheets show and edit them, for scripting many radios at once.
#include "cells/cmcCellCapsule.h"
#include "cells/cmcCellViews.h"
#include "cells/cmcEditors.h"
#include "cli/cliCommand.h"
#include "cli/cliMessageSink.h"
#include "defs/cmcCellObj.h"
#include "defs/cmcFCache.h"
#include "defs/cmcGTex.h"
#include "image/cmcImageMap.h"
#include "image/cmcQcfFile.h"
#include "image/indMain.h"

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace qx::cli {
namespace {

// Opens a clone file as the program does (and as 'channels' does): from the start image the
// program holds before any file is opened (the dPMR446 model's), the file is read, checked and
// adopted with its model type. A refusal prints "error <code> <key>" on stdout (the message has
// gone to stderr) and returns the code.
int OpenFile(indMain& main, const std::string& path) {
    main.LoadStartImage(kModelDPmr446);
    const int code = main.OpenCloneFile(path);
    if (code != 0) std::printf("error %d %s\n", code, cmcQcfFile::ErrorKey(code));
    return code;
}

// A cell description as written in sheets ("{(%CT_Mch.CL_Mch_FreqT[3])}"), or a bare identity
// ("%CT_Mch.CL_Mch_FreqT[3]"), read as one property.
void ParseCellArgument(const std::string& arg, cmcCellObj& cell) {
    const std::string desc = arg.find('{') == std::string::npos ? "{(" + arg + ")}" : arg;
    cmcCellCounters counters;
    cell.category = CT_Null;
    cell.index = 0;
    ParseCell(desc, &cell, &counters, nullptr);
}

std::string Escaped(const std::string& text) {
    std::string out;
    for (char ch : text) {
        if (ch == '\n')
            out += "\\n";
        else
            out += ch;
    }
    return out;
}

const char* MarkWord(uint8_t flags) {
    if (flags & CRF_Error) return "error";
    if (flags & CRF_Warning) return "warning";
    return "ok";
}

// The grid that a scripted edit comes from: user actions act only on requests from a grid.
int g_scriptGrid = 0;

// Choosers of a scripted edit: the last one a cell opened is remembered, so that the next pick can
// be delivered to it. Flag windows and in-place editors started by a pick are not offered.
class cliScriptViews final : public cmcCellViews {
public:
    struct Opened {
        std::string sheetKey;
        int itemKind = 0;
    };
    bool OpenChooser(cmcCellRequest&, const std::string& sheetKey, int itemKind, int) override {
        opened_ = Opened{sheetKey, itemKind};
        hasOpened_ = true;
        return true;
    }
    bool OpenFlagWindow(cmcCellRequest&, uint32_t, int, int, int, int, const std::string&) override { return false; }
    bool StartInlineEdit(cmcCellRequest&) override { return false; }

    // Takes the chooser opened since the last call, if any.
    bool Take(Opened* out) {
        if (!hasOpened_) return false;
        *out = opened_;
        hasOpened_ = false;
        return true;
    }

private:
    Opened opened_;
    bool hasOpened_ = false;
};

// Splits CELL=TEXT at the first "=" outside braces and parentheses.
bool SplitAssignment(const std::string& arg, std::string* cell, std::string* text) {
    int depth = 0;
    for (size_t i = 0; i < arg.size(); ++i) {
        const char ch = arg[i];
        if (ch == '\\' && i + 1 < arg.size()) {
            ++i;
        } else if (ch == '{' || ch == '(') {
            ++depth;
        } else if ((ch == '}' || ch == ')') && depth > 0) {
            --depth;
        } else if (ch == '=' && depth == 0) {
            *cell = arg.substr(0, i);
            *text = arg.substr(i + 1);
            return !cell->empty();
        }
    }
    return false;
}

// A command cell runs its command on Enter; a scripted edit never presses Enter on one.
bool IsCommandLabel(int label) {
    return (label >= CL_Menu_File_New && label <= CallSheet) || (label >= CL_PMenu_NoItem && label <= CL_PMenu_Help);
}

class cliEditor {
public:
    explicit cliEditor(indMain& main) : capsule_(&main) {}

    // Applies one CELL=TEXT pair; false (with the reason in *why) when the cell refuses it.
    bool Apply(cmcCellObj& cell, const std::string& text, std::string* why) {
        if (text.rfind("@key:", 0) == 0) return Key(cell, text.substr(5), why);
        if (text.rfind("@pick:", 0) == 0) return Pick(cell, text.substr(6), why);
        return Type(cell, text, why);
    }

private:
    cmcCellRequest Request(cmcCellObj& cell, int action) {
        cmcCellRequest req;
        req.owner = &g_scriptGrid;
        req.grid = &g_scriptGrid;
        req.cell = &cell;
        req.action = action;
        return req;
    }

    bool Key(cmcCellObj& cell, const std::string& name, std::string* why) {
        int action = 0;
        if (name == "space")
            action = 32;
        else if (name == "backspace")
            action = 8;
        else {
            *why = "unknown key '" + name + "' (space or backspace)";
            return false;
        }
        cmcCellRequest req = Request(cell, action);
        capsule_.Execute(req, true);
        if (req.redirect) {
            *why = "the channel is empty: set its receive frequency first";
            return false;
        }
        if (!capsule_.Wrote()) {
            *why = "the cell does not change with this key";
            return false;
        }
        return true;
    }

    // Types the text as the in-place editor delivers it. The cell must start an in-place editor
    // for this text: with its first character typed (or Enter for a text that starts with a space).
    bool Type(cmcCellObj& cell, const std::string& text, std::string* why) {
        const unsigned char first = text.empty() ? 0 : static_cast<unsigned char>(text[0]);
        uint8_t started = CER_None;
        cmcCellRequest probe = Request(cell, 0);
        if (first > 32 && first < 127) {
            probe.action = first;
            started = capsule_.Execute(probe, false);
        }
        if (started != CER_Editor && !IsCommandLabel(cell.label) && (first == 0 || first == ' ')) {
            probe = Request(cell, 13);
            started = capsule_.Execute(probe, false);
        }
        if (probe.redirect) {
            *why = "the channel is empty: set its receive frequency first";
            return false;
        }
        if (started != CER_Editor) {
            *why = "the cell accepts no typed input";
            return false;
        }
        cmcCellRequest req = Request(cell, 0);
        req.resultKind = CRK_Input;
        req.input = text;
        capsule_.Execute(req, true);
        if (!capsule_.Wrote()) {
            *why = "the value was refused";
            return false;
        }
        return true;
    }

    // Picks items: "@pick:N" picks item N of the chooser the cell opens on Enter; "@pick:N,M"
    // goes on with item M of the chooser that the first pick opens, and so on.
    bool Pick(cmcCellObj& cell, const std::string& list, std::string* why) {
        std::vector<int> items;
        size_t at = 0;
        while (at <= list.size()) {
            size_t comma = list.find(',', at);
            const std::string part = list.substr(at, comma == std::string::npos ? std::string::npos : comma - at);
            char* end = nullptr;
            const long n = std::strtol(part.c_str(), &end, 10);
            if (part.empty() || *end != '\0') {
                *why = "bad item number '" + part + "'";
                return false;
            }
            items.push_back(static_cast<int>(n));
            if (comma == std::string::npos) break;
            at = comma + 1;
        }
        if (IsCommandLabel(cell.label)) {
            *why = "the cell opens no chooser";
            return false;
        }
        cliScriptViews views;
        cmcScopedCellViews use(&views);
        auto opener = std::make_unique<cmcCellRequest>(Request(cell, 13));
        capsule_.Execute(*opener, false);
        bool wrote = false;
        for (int item : items) {
            cliScriptViews::Opened chooser;
            if (!views.Take(&chooser)) {
                *why = opener->redirect ? "the channel is empty: set its receive frequency first"
                                        : "the cell opens no chooser here";
                return false;
            }
            if (!HasItem(chooser, item)) {
                *why = "item " + std::to_string(item) + " is not in " + chooser.sheetKey;
                return false;
            }
            cmcCellObj picked;
            picked.label = chooser.itemKind;
            picked.index = item;
            cmcCellRequest parent = *opener;
            parent.cell = &picked;
            auto result = std::make_unique<cmcCellRequest>(*opener);
            result->parent = &parent;
            result->resultKind = CRK_Chooser;
            result->action = 0;
            capsule_.Execute(*result, true);
            wrote = wrote || capsule_.Wrote() || Shows(cell, EditorLists().Text(chooser.sheetKey, chooser.itemKind, item));
            // A pick that opens the next chooser of a chain answers to this request.
            result->parent = nullptr;
            result->resultKind = CRK_Plain;
            opener = std::move(result);
        }
        if (!wrote) {
            *why = "the pick was refused";
            return false;
        }
        return true;
    }

    // Whether the cell shows this text now (a pick of the value it already holds writes nothing).
    bool Shows(cmcCellObj& cell, const std::string& text) {
        cmcCellRequest req = Request(cell, 0);
        req.grid = nullptr;
        capsule_.Execute(req, false);
        return req.display == text;
    }

    static bool HasItem(const cliScriptViews::Opened& chooser, int item) {
        for (const auto& e : EditorLists().Table(chooser.sheetKey, chooser.itemKind).byIndex)
            if (e.index == item) return true;
        return false;
    }

    cmcCellCapsule capsule_;
};

QX_CLI_COMMAND(
    "get",
    "show cells of a clone file as the program's sheets show them",
    "Usage: qx-p2210-cli get FILE CELL...\n\n"
    "Opens FILE as the program opens a clone file and prints one line per CELL: the text the\n"
    "cell shows (line feeds written as \\n), a tab, and \"ok\", \"warning\" or \"error\" for its\n"
    "marks. CELL is a cell description as sheets write it, for example\n"
    "'{(%CT_Mch.CL_Mch_FreqT[3])}', or a bare identity such as '%CT_Mch.CL_Mch_FreqT[3]'.\n\n"
    "Exit status 0. A file that cannot be opened prints \"error <code> <message key>\" and exits\n"
    "with the code, as 'load' does; an unknown category or label name ends with status 3.",
    [](const std::vector<std::string>& args) -> int {
        if (args.size() < 2) {
            PrintError("get takes FILE and at least one CELL (try 'get --help')");
            return kExitUsage;
        }
        OpenDefinitionFiles();
        indMain main;
        if (int code = OpenFile(main, args[0])) return code;
        cmcCellCapsule capsule(&main);
        for (size_t i = 1; i < args.size(); ++i) {
            cmcCellObj cell;
            ParseCellArgument(args[i], cell);
            cmcCellRequest req;
            req.cell = &cell;
            capsule.Execute(req, false);
            std::printf("%s\t%s\n", Escaped(req.display).c_str(), MarkWord(req.resultFlags));
        }
        return 0;
    });

QX_CLI_COMMAND(
    "set",
    "edit cells of a clone file and save the result",
    "Usage: qx-p2210-cli set FILE -o OUT [--yes] CELL=TEXT...\n\n"
    "Opens FILE as 'get' does and applies each CELL=TEXT in order (CELL as for 'get'; the first\n"
    "\"=\" outside braces and parentheses ends it):\n"
    "  TEXT            typed into the cell as into its in-place editor\n"
    "  @key:space      the space key (next value)\n"
    "  @key:backspace  the backspace key (previous value)\n"
    "  @pick:N         item N of the chooser the cell opens on Enter; @pick:N,M,... goes on in\n"
    "                  the choosers that each pick opens\n"
    "Then OUT is saved as the program saves a clone file.\n\n"
    "A value a cell refuses (an editor rejects it, or the cell takes no such input) is reported on\n"
    "stderr and the command exits 1 without saving. An edit the program would ask about first (such\n"
    "as a bank layout that removes channels in use) is refused the same way unless --yes is given,\n"
    "which answers OK. Exit 0 when OUT was saved.",
    [](const std::vector<std::string>& args) -> int {
        std::string in, out;
        std::vector<std::string> pairs;
        bool yes = false;
        for (size_t i = 0; i < args.size(); ++i) {
            if (args[i] == "-o" && i + 1 < args.size())
                out = args[++i];
            else if (args[i] == "--yes")
                yes = true;
            else if (in.empty())
                in = args[i];
            else
                pairs.push_back(args[i]);
        }
        if (in.empty() || out.empty() || pairs.empty()) {
            PrintError("set takes FILE, -o OUT and at least one CELL=TEXT (try 'set --help')");
            return kExitUsage;
        }
        std::vector<std::pair<std::string, std::string>> edits;
        for (const auto& p : pairs) {
            std::string cell, text;
            if (!SplitAssignment(p, &cell, &text)) {
                PrintError("'" + p + "' is not CELL=TEXT");
                return kExitUsage;
            }
            edits.emplace_back(cell, text);
        }
        OpenDefinitionFiles();
        indMain main;
        if (int code = OpenFile(main, in)) return code;
        cliEditor editor(main);
        cmcMessageSink& previous = cmcMessages();
        cliQuestionSink questions(previous, yes, false);
        cmcSetMessageSink(&questions);
        struct Restore {
            cmcMessageSink& sink;
            ~Restore() { cmcSetMessageSink(&sink); }
        } restore{previous};
        for (const auto& [cellArg, text] : edits) {
            cmcCellObj cell;
            ParseCellArgument(cellArg, cell);
            const cmcEeprom before(main.WorkingImage());
            std::string why;
            if (!editor.Apply(cell, text, &why)) {
                main.WorkingImage().Assign(before);
                PrintError(cellArg + "=" + text + ": " + why + "; nothing saved");
                return 1;
            }
        }
        if (!main.SaveCloneFile(out)) return 1;
        return 0;
    });

}  // namespace
}  // namespace qx::cli
