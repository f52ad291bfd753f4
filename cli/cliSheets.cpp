// What the commands that draw sheets share: the graphical application object, the definition files
// with the program's cell handler, and the check that a sheet exists.
#include "cli/cliCommand.h"
#include "app/cuiTree.h"
#include "cells/cmcCellCapsule.h"
#include "image/indMain.h"
#include "defs/cmcGTex.h"

#include <QApplication>
#include <QWidget>

namespace qx::cli {

bool DrawingCommand(const std::string& name) { return name == "render" || name == "print" || name == "diff" || name == "validate"; }

bool RequireGraphics(const std::string& command) {
    if (qobject_cast<QApplication*>(QCoreApplication::instance())) return true;
    PrintError(command + " needs the graphical application object");
    return false;
}

void StartDrawing() {
    OpenDefinitionFiles();
    cmcSetDefaultCellHandler([](cmcCellRequest& r) { return cmcCellCapsule().Execute(r, true); });
}

bool HasSheet(const std::string& command, const std::string& key) {
    for (const char* suffix : {"_Style", "_BasicCell", "_Cells"})
        if (!GTex().HasKey(key + suffix)) {
            PrintError(command + ": the definition files have no sheet '" + key + "' (missing " + key + suffix + ")");
            return false;
        }
    return true;
}

}  // namespace qx::cli
