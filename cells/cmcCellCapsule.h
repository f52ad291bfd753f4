// The cell handler: the one place that knows what each cell label means. Given a cell and a
// request it shows the cell's value (display text, marks, menu state), reacts to the user's action
// (step, chooser, inline editor, command) and writes accepted values back into the working image.
//
//     cmcCellObj cell;  ... ParseCell(...)                 // or a sheet's, menu's or probe's cell
//     cmcCellRequest req;
//     req.cell = &cell;
//     req.grid = grid;                                      // null outside grids: no user actions
//     req.action = CA_Enter;                                // CA_Refresh, CA_Enter, CA_Space, CA_Backspace
//     uint8_t opened = cmcCellCapsule().Execute(req, true); // 1 chooser opened, 2 inline editor
//     show(req.display, req.resultFlags);
//
// A chooser result comes back as a second call whose parent request is the first one (its cell
// then carries the picked item: label = item kind, index = item value), with result kind 2 and
// action 0. An inline edit comes back with result kind 1 and the typed text in `input`.
//
// The handler keeps no state between calls. It works with the environment it is given (the image
// model: model type, working and saved images, identification data; the definition store, the
// views, ...); the plain constructor takes the program's (cmcProgramCellEnv, env/cmcProgramEnv.h),
// with another main object when one is given.
#pragma once

#include "cells/cmcCellEnv.h"
#include "defs/cmcCellRequest.h"

#include <cstdint>
#include <string>

namespace qx {

class indMain;
class cmcCellObj;
class cmcCellTable;

class cmcCellCapsule {
public:
#ifndef QX_CELLS_SOURCE
    // A handler with the program's environment (on `main` when given), for runners outside
    // cells/. Defined with that environment (env/cmcProgramEnv.cpp).
    explicit cmcCellCapsule(indMain* main = nullptr, const cmcCellTable* table = nullptr);
#endif
    // `table`: the rows to dispatch over (tests); the program's table when null.
    explicit cmcCellCapsule(const cmcCellEnv& env, const cmcCellTable* table = nullptr);

    // The environment every call of this handler gets (a runner may change it between calls).
    cmcCellEnv& Env() { return env_; }
    // Processes one request; runs the request's notify callback at the end when `notify` is true.
    // Returns the editor result (cmcCellExecResult). Without a main object the cell shows nothing.
    uint8_t Execute(cmcCellRequest& req, bool notify);

    // Probes for the warning check list and the check cells: run the cell (category, label, index)
    // with action 0, the request's row number being the bank that holds the index, and return its
    // warning (0x04) or error (0x08) mark.
    uint8_t WarningOf(int category, int label, int index);
    uint8_t ErrorOf(int category, int label, int index);
    // What a cell shows outside a sheet (display texts in their editable form); the cell is not changed.
    std::string Shown(const cmcCellObj& cell);
    // Why the cell of the last probe carries its mark (empty without one).
    const std::string& ProbedReason() const { return probedReason_; }
    // Runs the handler for a cell and an action from outside a grid (menus, tool bar).
    uint8_t RunCell(cmcCellObj& cell, int action, void* owner = nullptr);

    // Whether the last Execute wrote an accepted value into the image (an editor that refused the
    // input, a cell without input, or a refresh writes nothing).
    bool Wrote() const { return wrote_; }

    // The record kind a category edits (0: none). A category outside 0..22 is fatal
    // ("Unknown Cell Category. (%d)", definition fault).
    static int RecordKindOf(int category, int modelType);

    // The name a user action on the request's cell gets in the undo history: the request's action
    // name, else (outside grids) the entry's text without "&", shortcut and trailing dots.
    static std::string ActionName(const cmcCellRequest& req);

private:
    uint8_t Probe(int category, int label, int index, uint8_t mask);

    cmcCellEnv env_;
    const cmcCellTable* table_;
    bool wrote_ = false;
    std::string probedReason_;
};

// Binds the program's cell handler (a fresh cmcCellCapsule with the program's environment per
// request, notify callback run) as the default handler of new sheets, menus and tool bars.
// Defined with the program's environment (env/cmcProgramEnv.cpp).
void cmcInstallCellHandler();

// The deferred check after an edit: 250 ms after the last edit the application refreshes all views
// and runs the warning check (cmcAppCommands::RefreshAllViews). A timer of the program's, defined
// with its environment (env/cmcProgramEnv.cpp).
inline constexpr int kDeferredCheckMs = 250;
void ScheduleDeferredCheck();
bool DeferredCheckPending();

// The keys the cell handler reads by name are registered with the definition checker.
void RegisterCellHandlerKeys();

}  // namespace qx
