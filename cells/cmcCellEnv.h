// What one call of the cell handler works with beyond the cell and its request: the image model,
// the definition store, the selection list cache, the tone lists, the windows that choosers open
// in, the application's commands, the event manager, the settings and the bank the sheet shows.
//
// Whoever runs the handler builds it: the program from its process-wide objects
// (cmcProgramCellEnv, env/cmcProgramEnv.h), a sheet adding the bank it shows, the script runner of
// `set` and imports with its own chooser views, a test with its fixtures. The cell behaviours reach
// these objects only through the call's environment (cmcCellCall::env), never through a
// process-wide accessor.
#pragma once

namespace qx {

class indMain;
class indEnviron;
class cmcGTex;
class cmcFCache;
class cmcEvMan;
class cmcCellViews;
class cmcToneLists;
class cmcAppCommands;

struct cmcCellEnv {
    indMain* main = nullptr;             // the image model; without one cells show nothing
    cmcGTex* gtex = nullptr;             // the main definition store
    cmcFCache* lists = nullptr;          // the selection lists the editors read
    cmcToneLists* tones = nullptr;       // the tone item lists of `gtex` (cmcEditors.h)
    cmcCellViews* views = nullptr;       // choosers, flag and edit windows; null: none open
    cmcAppCommands* commands = nullptr;  // the application's commands (menus, tool bar, popups)
    cmcEvMan* events = nullptr;          // the event manager of the windows
    indEnviron* settings = nullptr;      // the program's settings (recent files, port, font size)
    // The bank the sheet shows (0-4), or -1 when the runner has none: then the shown sheet is
    // asked through the event manager, else a channel's own bank stands.
    int shownBank = -1;

    // The same environment over another image model.
    cmcCellEnv On(indMain& other) const {
        cmcCellEnv env = *this;
        env.main = &other;
        return env;
    }
};

}  // namespace qx
