#include "env/cmcProgramEnv.h"

#include "cells/cmcAppCommands.h"
#include "cells/cmcCellCapsule.h"
#include "cells/cmcCellScript.h"
#include "cells/cmcCellViews.h"
#include "cells/cmcEditors.h"
#include "comm/cmcTask.h"
#include "comm/indEnviron.h"
#include "defs/cmcEvMan.h"
#include "defs/cmcFCache.h"
#include "defs/cmcGTex.h"
#include "image/indMain.h"

namespace qx {

namespace {

cmcTask*& DeferredTask() {
    // Lives until the process ends: a timer must not be torn down after the application object.
    static cmcTask* task = nullptr;
    return task;
}

// The application's commands installed when the check runs refresh the views.
void RunDeferredCheck(void*, cmcTask* task) {
    task->SetInterval(-1);
    AppCommands().RefreshAllViews();
}

}  // namespace

void ScheduleDeferredCheck() {
    cmcTask*& task = DeferredTask();
    if (!task) {
        task = new cmcTask();
        task->SetCallback(&RunDeferredCheck, nullptr);
    }
    // Every edit restarts the wait: the check runs once the edits pause.
    task->SetInterval(-1);
    task->SetInterval(kDeferredCheckMs);
}

bool DeferredCheckPending() { return DeferredTask() && !DeferredTask()->Idle(); }

// ---- The program's list cache and tone lists -------------------------------------------------------

namespace {

cmcFCache*& InstalledLists() {
    static cmcFCache* lists = nullptr;
    return lists;
}
cmcFCache& OwnLists() {
    static cmcFCache lists;
    return lists;
}
cmcToneLists& ProgramTones() {
    static cmcToneLists tones;
    return tones;
}

}  // namespace

cmcFCache& EditorLists() { return InstalledLists() ? *InstalledLists() : OwnLists(); }
void SetEditorLists(cmcFCache* lists) {
    InstalledLists() = lists;
    ProgramTones().Forget();
}
cmcScopedEditorLists::cmcScopedEditorLists(cmcFCache* lists) : previous_(InstalledLists()) { SetEditorLists(lists); }
cmcScopedEditorLists::~cmcScopedEditorLists() { SetEditorLists(previous_); }

cmcCellEnv cmcProgramCellEnv(indMain* main) {
    cmcCellEnv env;
    env.main = main ? main : indMain::Instance();
    env.gtex = &GTex();
    env.lists = &EditorLists();
    env.tones = &ProgramTones();
    env.views = CellViews();
    env.commands = &AppCommands();
    env.events = &EvMan();
    env.settings = &Environ();
    return env;
}

cmcEditor::cmcEditor(cmcCellRequest& req) : cmcEditor(req, cmcProgramCellEnv()) {}

cmcCellScript::cmcCellScript(indMain& main) : cmcCellScript(cmcProgramCellEnv(&main)) {}

cmcCellCapsule::cmcCellCapsule(indMain* main, const cmcCellTable* table)
    : cmcCellCapsule(cmcProgramCellEnv(main), table) {}

uint8_t cmcProgramCellHandler::operator()(cmcCellRequest& req) const {
    cmcCellEnv env = cmcProgramCellEnv();
    if (shownBank_) env.shownBank = shownBank_();
    return cmcCellCapsule(env).Execute(req, true);
}

void cmcInstallCellHandler() { cmcSetDefaultCellHandler(cmcProgramCellHandler()); }

}  // namespace qx
