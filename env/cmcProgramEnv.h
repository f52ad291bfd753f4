// The program's cell environment: built from the process-wide objects (the image model, the
// definition store, the list cache, the installed views and application commands, the event
// manager and the settings). Runners of the cell handler outside cells/ (the program's default
// handler, the command-line tool, benchmarks) start from it; cells/ never reads the process-wide
// objects itself.
#pragma once

#include "cells/cmcCellEnv.h"

namespace qx {

// `main`: the image model to work on; the program's when null.
cmcCellEnv cmcProgramCellEnv(indMain* main = nullptr);

}  // namespace qx
