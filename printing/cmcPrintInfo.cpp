#include "printing/cmcPrintInfo.h"

#include "common/cmcFillText.h"
#include "defs/cmcGTex.h"
#include "image/indMain.h"

#include <QDateTime>

#include <filesystem>
#include <vector>

namespace qx {

namespace {

constexpr const char* kKey = "GI_Sys_Printer_Footer";

}  // namespace

std::string cmcPrintDate(int64_t when) {
    return QDateTime::fromSecsSinceEpoch(when).toString("yyyy-MM-dd HH:mm").toStdString();
}

cmcPrintInfo cmcPrintInfoOf(const indMain& main, int64_t when) {
    cmcPrintInfo info;
    if (!main.FileName().empty()) {
        info.origin = std::filesystem::path(main.FileName()).filename().string();
    } else if (main.ReadFromRadio()) {
        const std::string serial = main.ReadSerial().empty() ? GTex().Line(kKey, 5) : main.ReadSerial();
        info.origin = cmcFillText(GTex().Line(kKey, 2), {serial, cmcPrintDate(main.ReadTime())});
    } else {
        info.origin = GTex().Line(kKey, 3);
    }
    info.model = indMain::ModelName(main.ModelType());
    info.printed = cmcPrintDate(when);
    return info;
}

std::string cmcPageText(int page, int pages) {
    return cmcFillText(GTex().Line(kKey, 0), {std::to_string(page), std::to_string(pages)});
}

std::string cmcFooterText(const cmcPrintInfo& info) {
    return cmcFillText(GTex().Line(kKey, 1), {info.origin, info.model, info.printed});
}

std::string cmcPdfTitle(const cmcPrintInfo& info) {
    return cmcFillText(GTex().Line(kKey, 4), {GTex().FirstLine("GI_Sys_AppTitle"), info.origin, info.model});
}

}  // namespace qx
