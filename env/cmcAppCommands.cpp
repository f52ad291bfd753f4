#include "cells/cmcAppCommands.h"

#include "cells/cmcCellEnv.h"
#include "cells/cmcListOps.h"
#include "image/indMain.h"

#include "common/cmcMessage.h"
#include "defs/cmcGTex.h"

namespace qx {

namespace {

cmcAppCommands* g_commands = nullptr;

cmcAppCommands& DefaultCommands() {
    static cmcAppCommands commands;
    return commands;
}

}  // namespace

bool cmcAppCommands::NotAvailable(const std::string& what) {
    std::string text = GTex().SectionText(kNotAvailableKey);
    const size_t at = text.find("%s");
    if (at != std::string::npos) text.replace(at, 2, what);
    cmcShowMessage(GTex().FirstLine("GI_Sys_AppTitle"), text, cmcMsgIcon::Error, MB_Ok);
    return false;
}

bool cmcAppCommands::RunListCommand(const cmcCellEnv& env, int command, cmcCellRequest& req, datCh& record, int first,
                                    int last) {
    return cmcRunListCommand(env, command, req, record, first, last);
}

bool cmcAppCommands::ClipboardHas(int kind) { return ProgramClipboard().Has(kind); }

cmcAppCommands& AppCommands() { return g_commands ? *g_commands : DefaultCommands(); }

void SetAppCommands(cmcAppCommands* commands) { g_commands = commands; }

cmcScopedAppCommands::cmcScopedAppCommands(cmcAppCommands* commands) : previous_(g_commands) {
    g_commands = commands;
}

cmcScopedAppCommands::~cmcScopedAppCommands() { g_commands = previous_; }

}  // namespace qx
