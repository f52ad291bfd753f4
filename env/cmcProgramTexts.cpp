// The program's defaults of the cells' texts, checks and channel plans: the same functions with the
// program's environment (its definition store, list cache, tone lists and event manager), for the
// callers outside cells/ that have no environment of their own (the windows, the command-line tool,
// the clone manager).
#include "cells/cmcCellViews.h"
#include "cells/cmcChannelPlan.h"
#include "cells/cmcDispText.h"
#include "cells/cmcEditors.h"
#include "cells/cmcEditorsInternal.h"
#include "cells/cmcReasons.h"
#include "cells/cmcWarningCheck.h"
#include "defs/cmcEvMan.h"
#include "defs/cmcGTex.h"
#include "env/cmcProgramEnv.h"

namespace qx {

std::string FormatTimer(long long raw, const cmcTimerSpec& spec, bool showOff) {
    return FormatTimer(GTex(), raw, spec, showOff);
}
bool ParseToneText(std::string_view text, bool dpmr446, datTone* tone) {
    return ParseToneText(editors::TonesOf(cmcProgramCellEnv()), text, dpmr446, tone);
}
bool ToneInTable(const datTone& tone, bool dpmr446) {
    return ToneInTable(editors::TonesOf(cmcProgramCellEnv()), tone, dpmr446);
}

std::string RefusedTooLong(std::string_view typed, int length) { return RefusedTooLong(GTex(), typed, length); }
std::string MarkReasonText(int reason) { return MarkReasonText(GTex(), reason); }
std::string MarkText(bool error, std::string_view reason) { return MarkText(GTex(), error, reason); }
std::string ChannelReason(int channel, std::string_view reason) { return ChannelReason(GTex(), channel, reason); }
void ShowStatusText(const std::string& text, bool alarm) { ShowStatusText(EvMan(), text, alarm); }

uint8_t DeliverChooserAnswer(const cmcCellRequest& opener, const cmcCellHandler& handler, const std::string& input,
                             int itemKind, int item) {
    return DeliverChooserAnswer(EvMan(), opener, handler, input, itemKind, item);
}

std::string NoCharacterMessage(std::string_view editable) { return NoCharacterMessage(GTex(), editable); }
const cmcSegChar& DisplayGeometry() { return DisplayGeometry(GTex()); }

cmcWarningFindings cmcRunWarningCheck(const indMain& main, const cmcCellHandler& handler, void* owner) {
    return cmcRunWarningCheck(GTex(), main, handler, owner);
}
cmcWarningFindings cmcRunWarningCheck(indMain& main) { return cmcRunWarningCheck(cmcProgramCellEnv(&main), main); }
std::vector<cmcCellFinding> cmcFindMarkedCells(indMain& main, const std::vector<std::string>& sheetReferences) {
    return cmcFindMarkedCells(cmcProgramCellEnv(&main), main, sheetReferences);
}

std::string ExportChannelPlan(indMain& main) { return ExportChannelPlan(cmcProgramCellEnv(&main), main); }
std::vector<cmcPowerLevel> ChannelPowerLevels(int modelType) { return ChannelPowerLevels(EditorLists(), modelType); }
cmcPlanImport ImportChannelPlan(indMain& main, const std::string& csv, const cmcPlanOptions& options) {
    return ImportChannelPlan(cmcProgramCellEnv(&main), main, csv, options);
}
std::vector<cmcDiffLine> DiffImages(indMain& a, indMain& b, const std::vector<std::string>& sheetReferences,
                                    const cmcDiffOptions& options) {
    return DiffImages(cmcProgramCellEnv(&a), a, b, sheetReferences, options);
}

}  // namespace qx
