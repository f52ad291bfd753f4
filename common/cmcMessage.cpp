#include "common/cmcMessage.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace qx {
namespace {

std::string g_programPath;

class cmcStderrSink final : public cmcMessageSink {
public:
    unsigned Show(const std::string& caption, const std::string& text, cmcMsgIcon, unsigned buttons) override {
        std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
        for (unsigned b : {MB_Ok, MB_Yes, MB_Cancel, MB_No})
            if (buttons & b) return b;
        return MB_Ok;
    }
    [[noreturn]] void Fatal(const std::string& caption, const std::string& text, int status) override {
        std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
        std::fflush(stderr);
        std::exit(status);
    }
};

cmcStderrSink g_defaultSink;
cmcMessageSink* g_sink = &g_defaultSink;

}  // namespace

void cmcSetMessageSink(cmcMessageSink* sink) { g_sink = sink ? sink : &g_defaultSink; }

cmcMessageSink& cmcMessages() { return *g_sink; }

unsigned cmcShowMessage(const std::string& caption, const std::string& text, cmcMsgIcon icon, unsigned buttons) {
    return g_sink->Show(caption, text, icon, buttons);
}

void cmcFatal(const std::string& text, int status) {
    g_sink->Fatal(cmcProgramFileName(), text, status);
    std::abort();  // a sink that returns from Fatal is a programming error
}

void cmcSetProgramPath(const std::string& argv0) {
    std::error_code ec;
    std::filesystem::path p = std::filesystem::canonical("/proc/self/exe", ec);
    if (ec || p.empty()) p = std::filesystem::absolute(argv0, ec);
    g_programPath = p.string();
}

std::string cmcProgramFileName() {
    if (g_programPath.empty()) return "qx-p2210";
    return std::filesystem::path(g_programPath).filename().string();
}

std::string cmcProgramDir() {
    if (g_programPath.empty()) cmcSetProgramPath("");
    std::string dir = std::filesystem::path(g_programPath).parent_path().string();
    if (dir.empty() || dir.back() != '/') dir += '/';
    return dir;
}

}  // namespace qx
