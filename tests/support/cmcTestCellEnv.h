// The environment of cell calls in a test, built from the test's own objects instead of installed
// process-wide ones: an event manager, a selection list cache and tone lists of its own, the
// default application commands (which refuse every command), the views given (none by default)
// and a definition store (the program's opened files unless another is given).
//
//     indMain main_;
//     RecordingViews views_;
//     test::CellEnv env_{main_, &views_};
//     cmcCellCapsule capsule_{env_.Env()};
//     env_.Events().Tick();  // posted events reach the handlers registered with env_.Events()
#pragma once

#include "cells/cmcAppCommands.h"
#include "cells/cmcCellEnv.h"
#include "cells/cmcEditors.h"
#include "comm/indEnviron.h"
#include "defs/cmcEvMan.h"
#include "defs/cmcFCache.h"
#include "defs/cmcGTex.h"

namespace qx::test {

class CellEnv {
public:
    explicit CellEnv(indMain& main, cmcCellViews* views = nullptr, cmcGTex* store = nullptr) {
        env_.main = &main;
        env_.gtex = store ? store : &GTex();
        env_.lists = &lists_;
        env_.tones = &tones_;
        env_.views = views;
        env_.commands = &commands_;
        env_.events = &events_;
        env_.settings = &Environ();
    }
    CellEnv(const CellEnv&) = delete;
    CellEnv& operator=(const CellEnv&) = delete;

    const cmcCellEnv& Env() const { return env_; }
    cmcEvMan& Events() { return events_; }
    cmcFCache& Lists() { return lists_; }

private:
    cmcEvMan events_;
    cmcFCache lists_;
    cmcToneLists tones_;
    cmcAppCommands commands_;
    cmcCellEnv env_;
};

}  // namespace qx::test
