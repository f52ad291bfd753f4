// "rows": the list operations of the popup menu (copy, paste, carry, clear, delete, insert) on the
// rows of a clone file, run in order as the program runs them, then the file saved.
#include "cells/cmcCellCapsule.h"
#include "cells/cmcCellTable.h"
#include "cli/cliArgs.h"
#include "cli/cliCommand.h"
#include "cli/cliNumber.h"
#include "cli/cliVerify.h"
#include "common/cmcMessage.h"
#include "defs/cmcCellObj.h"
#include "defs/cmcEvMan.h"
#include "defs/cmcFCache.h"
#include "defs/cmcGTex.h"
#include "image/cmcQcfFile.h"
#include "image/datChannelShift.h"
#include "image/indMain.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace qx::cli {
namespace {

struct cliRowOp {
    std::string text;   // as given, for messages
    int command = 0;    // CL_PMenu_*
    std::string cell;   // the cell identity of the row
    bool block = false; // ..LAST given
    int lastIndex = 0;
};

bool ParseOp(const std::string& arg, cliRowOp* op) {
    static const struct {
        const char* name;
        int command;
    } names[] = {{"copy", CL_PMenu_Copy},     {"paste", CL_PMenu_Paste},   {"carry-up", CL_PMenu_CarryUp},
                 {"carry-down", CL_PMenu_CarryDown}, {"clear", CL_PMenu_Clear}, {"delete", CL_PMenu_Delete},
                 {"insert", CL_PMenu_Insert}};
    const size_t colon = arg.find(':');
    if (colon == std::string::npos) return false;
    const std::string name = arg.substr(0, colon);
    op->text = arg;
    op->command = 0;
    for (const auto& n : names)
        if (name == n.name) op->command = n.command;
    if (!op->command) return false;
    std::string cell = arg.substr(colon + 1);
    const size_t dots = cell.rfind("..");
    if (dots != std::string::npos) {
        int n = 0;
        if (!ReadCliNumber(cell.substr(dots + 2), 0, kMaxCliCellIndex, &n)) return false;
        op->block = true;
        op->lastIndex = n;
        cell.resize(dots);
    }
    op->cell = cell;
    std::string why;
    return !cell.empty() && CheckCellIndexes(cell, &why);
}

// Questions are answered OK (or Cancel with --cancel) without a word; an error box prints its
// message on stderr and fails the command.
class cliRowsSink final : public cmcMessageSink {
public:
    explicit cliRowsSink(bool cancel) : cancel_(cancel) {}
    unsigned Show(const std::string&, const std::string& text, cmcMsgIcon icon, unsigned buttons) override {
        if (icon == cmcMsgIcon::Error) {
            std::fprintf(stderr, "%s\n", text.c_str());
            failed = true;
            return MB_Ok;
        }
        if ((buttons & MB_Cancel) && cancel_) return MB_Cancel;
        return (buttons & MB_Ok) ? MB_Ok : MB_Yes;
    }
    [[noreturn]] void Fatal(const std::string& caption, const std::string& text, int status) override {
        previous->Fatal(caption, text, status);
        std::_Exit(status);  // a sink's Fatal never returns
    }
    bool failed = false;
    cmcMessageSink* previous = nullptr;

private:
    bool cancel_;
};

// What the main window does for the list operations: shows their status texts (here: one line on
// stdout), answers which bank is current, and moves channels between bank positions.
struct cliRowsWindow {
    indMain* main = nullptr;
    int bank = -1;  // the current bank of the operation running

    static void OnEvent(void* user, const cmcEvent& e) {
        auto* self = static_cast<cliRowsWindow*>(user);
        indMain& main = *self->main;
        switch (e.code) {
        case EVC_StatusText: std::printf("%s\n", e.data.Text().c_str()); break;
        case EVC_QueryBank:
            if (e.IsQuery() && self->bank >= 0)
                e.manager->Answer(self->bank, datBankFirst(main.WorkingImage().Data(), self->bank));
            break;
        case EVC_ChannelJoinsBank:
            datChannelJoinsBank(main.WorkingImage(), main.InitialImage(), main.ModelType(),
                                static_cast<int>(e.first), e.second);
            break;
        case EVC_ChannelLeavesBank:
            datChannelLeavesBank(main.WorkingImage(), main.InitialImage(), main.ModelType(),
                                 static_cast<int>(e.first), e.second);
            break;
        default: break;
        }
    }
};

// Whether the popup menu of a row of this category lists the command at all: memory channel rows
// have the channel menu (with clear, delete and insert), the other lists the list menu.
bool MenuOffers(int category, int command) {
    const std::string menu = category == CT_Mch ? "GI_PMenu_Mch_Body" : "GI_PMenu_List_Body";
    const std::string body = GTex().SectionText(menu);
    const std::string name = LabelName(command);
    for (size_t at = body.find(name); at != std::string::npos; at = body.find(name, at + 1)) {
        const size_t end = at + name.size();
        if (end < body.size() && (body[end] == ':' || body[end] == ')')) return true;
    }
    return false;
}

int g_rowsGrid = 0;  // the grid the operations come from: commands act only on requests from a grid

QX_CLI_COMMAND(
    "rows",
    "copy, paste, carry, clear, delete or insert rows of a list and save the result",
    "Usage: qx-p2210-cli rows FILE -o OUT [--bank N] [--cancel] OP...\n\n"
    "Opens FILE as 'get' does, runs each OP in order as the popup menu of a sheet row runs it, then\n"
    "saves OUT as the program saves a clone file.\n\n"
    "OP is NAME:CELL or NAME:CELL..LAST. NAME is one of copy, paste, carry-up, carry-down, clear,\n"
    "delete, insert. CELL is a cell identity of the row the command is given on, index as on the\n"
    "sheets, e.g. '%CT_Mch.CL_Mch_FreqR[5]' or '%CT_DTMF.CL_Dtmf_Name[2]'; with ..LAST the rows from\n"
    "CELL's index to LAST are selected. The clipboard lives for the whole command: copy then paste.\n\n"
    "Options:\n"
    "  --bank N   the current bank for memory channels, 1-based (default: the bank holding CELL's\n"
    "             channel; needed to insert into an empty bank)\n"
    "  --cancel   answer the confirmations with Cancel: that operation changes nothing and the\n"
    "             next one runs (default: OK)\n\n"
    "Each status text (\"Copied to the clipboard.\" ...) is printed on stdout, one line each.\n"
    "An error box (a priority channel in a delete, a full channel memory on insert) or a command that\n"
    "the popup menu does not offer on that row prints its message on stderr and the command exits 1\n"
    "without writing OUT. After saving, OUT is opened again: a named row whose cell does not show\n"
    "there what it showed before the save is reported, OUT is removed and the command exits 1.\n"
    "Exit 0 when OUT was saved; 64 for a wrong command line.",
    [](const std::vector<std::string>& args) -> int {
        cliArgs line;
        if (!line.Parse(args, {{"o", true}, {"bank", true}, {"cancel"}})) {
            PrintError("rows takes FILE, -o OUT and at least one OP (try 'rows --help')");
            return kExitUsage;
        }
        int bank = 0;
        for (const std::string& v : line.Values("bank"))
            if (!ReadCliNumber(v, 1, map::kBankCount, &bank)) {
                PrintError("--bank takes a bank number 1-5");
                return kExitUsage;
            }
        const std::string out = line.Value("o");
        const bool cancel = line.Has("cancel");
        const std::vector<std::string>& positional = line.Positional();
        const std::string in = positional.empty() ? std::string() : positional.front();
        std::vector<cliRowOp> ops;
        for (size_t i = 1; i < positional.size(); ++i) {
            cliRowOp op;
            if (!ParseOp(positional[i], &op)) {
                PrintError("'" + positional[i] + "' is not NAME:CELL or NAME:CELL..LAST (try 'rows --help')");
                return kExitUsage;
            }
            ops.push_back(op);
        }
        if (in.empty() || out.empty() || ops.empty()) {
            PrintError("rows takes FILE, -o OUT and at least one OP (try 'rows --help')");
            return kExitUsage;
        }
        OpenDefinitionFiles();
        indMain main;
        main.LoadStartImage(kModelDPmr446);
        if (int code = main.OpenCloneFile(in)) {
            std::printf("error %d %s\n", code, cmcQcfFile::ErrorKey(code));
            return code;
        }
        cliRowsSink sink(cancel);
        sink.previous = &cmcMessages();
        cmcSetMessageSink(&sink);
        cliRowsWindow window{&main, -1};
        EvMan().Register(&cliRowsWindow::OnEvent, &window);
        cmcCellCapsule capsule(&main);
        int rc = 0;
        std::vector<cliEditedCell> edited;
        for (const cliRowOp& op : ops) {
            cmcCellObj cell;
            cmcCellCounters counters;
            cell.category = CT_Null;
            ParseCell("{(" + op.cell + ")}", &cell, &counters, nullptr);
            const uint8_t* image = main.WorkingImage().Data();
            window.bank = bank > 0 ? bank - 1 : datBankOfChannel(image, cell.index);
            if (window.bank >= map::kBankCount) window.bank = map::kBankCount - 1;

            // The popup entry must be offered on this row, as the menu shows it.
            cmcCellRequest owner;
            owner.cell = &cell;
            cmcCellObj entry;
            entry.category = CT_PopupMenu;
            entry.label = op.command;
            cmcCellRequest probe;
            probe.cell = &entry;
            probe.parent = &owner;
            capsule.Execute(probe, false);
            if (cmcCellCapsule::RecordKindOf(cell.category, main.ModelType()) == KIND_None ||
                (entry.behaviour & CS_Disabled) || !MenuOffers(cell.category, op.command)) {
                PrintError(op.text + ": the popup menu does not offer this command on that row; nothing saved");
                rc = 1;
                break;
            }

            cmcCellRequest req;
            req.owner = &g_rowsGrid;
            req.grid = &g_rowsGrid;
            req.cell = &cell;
            req.popupCommand = op.command;
            if (op.block) {
                req.selFlags = 1;
                req.selFirst = std::min(cell.index, op.lastIndex);
                req.selLast = std::max(cell.index, op.lastIndex);
            }
            capsule.Execute(req, false);
            EvMan().Tick();  // the posted status text of a delete
            // The rows the command names are checked in the saved file.
            const int first = op.block ? std::min(cell.index, op.lastIndex) : cell.index;
            const int last = op.block ? std::max(cell.index, op.lastIndex) : cell.index;
            for (int index = first; index <= last; ++index) {
                cmcCellObj row = cell;
                row.index = index;
                edited.push_back({op.text, row});
            }
            if (sink.failed) {
                std::fprintf(stderr, "qx-p2210-cli: %s: refused; nothing saved\n", op.text.c_str());
                rc = 1;
                break;
            }
        }
        EvMan().Unregister(&cliRowsWindow::OnEvent, &window);
        cmcSetMessageSink(sink.previous);
        if (rc != 0) return rc;
        if (!main.SaveCloneFile(out)) return 1;
        if (!VerifySaved(main, out, edited)) return 1;
        return 0;
    });

}  // namespace
}  // namespace qx::cli
