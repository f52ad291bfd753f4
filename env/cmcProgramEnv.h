// The program's cell environment: built from the process-wide objects (the image model, the
// definition store, the list cache, the installed views and application commands, the event
// manager and the settings). Runners of the cell handler outside cells/ (the program's default
// handler, the command-line tool, benchmarks) start from it; cells/ never reads the process-wide
// objects itself.
#pragma once

#include "cells/cmcCellEnv.h"
#include "defs/cmcCellRequest.h"

#include <cstdint>
#include <functional>

namespace qx {

// `main`: the image model to work on; the program's when null.
cmcCellEnv cmcProgramCellEnv(indMain* main = nullptr);

// The program's cell handler (cmcInstallCellHandler binds it as the default handler): each request
// runs through a fresh cmcCellCapsule with the program's environment, notify callback run. A sheet
// makes its own with the bank it shows (`shownBank` answers -1 when it shows none).
class cmcProgramCellHandler {
public:
    explicit cmcProgramCellHandler(std::function<int()> shownBank = {}) : shownBank_(std::move(shownBank)) {}
    uint8_t operator()(cmcCellRequest& req) const;
    // Whether `handler` is the program's cell handler.
    static bool Is(const cmcCellHandler& handler) { return handler.target<cmcProgramCellHandler>() != nullptr; }

private:
    std::function<int()> shownBank_;
};

}  // namespace qx
