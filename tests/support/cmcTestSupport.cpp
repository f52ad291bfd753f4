#include "support/cmcTestSupport.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace qx::test {

unsigned cmcMessageRecorder::Show(const std::string& caption, const std::string& text, cmcMsgIcon icon,
                                  unsigned buttons) {
    messages_.push_back({caption, text, icon, buttons});
    if (!answers_.empty()) {
        unsigned b = answers_.front();
        answers_.pop_front();
        return b;
    }
    for (unsigned b : {MB_Ok, MB_Yes, MB_Cancel, MB_No})
        if (buttons & b) return b;
    return MB_Ok;
}

void cmcMessageRecorder::Fatal(const std::string& caption, const std::string& text, int status) {
    messages_.push_back({caption, text, cmcMsgIcon::Error, MB_Ok});
    throw cmcFatalError(caption, text, status);
}

cmcMessageRecorder& Messages() {
    static cmcMessageRecorder recorder;
    return recorder;
}

std::string SourceDir() {
    if (const char* s = std::getenv("QX_SOURCE_DIR")) return s;
    return QX_SOURCE_DIR_FALLBACK;
}

std::string BinDir() {
    if (const char* s = std::getenv("QX_BIN_DIR")) return s;
    return cmcProgramDir();
}

std::string TempDir() {
    static std::string dir = [] {
        std::string templ = (std::filesystem::temp_directory_path() / "qx-test-XXXXXX").string();
        char* made = mkdtemp(templ.data());
        std::string d = made ? made : "/tmp";
        // The exit handler runs after this static string is destroyed: it keeps its own copy.
        static char removeAtExit[4096];
        if (made && d.size() < sizeof removeAtExit) {
            d.copy(removeAtExit, d.size());
            removeAtExit[d.size()] = '\0';
            std::atexit([] {
                std::error_code ec;
                std::filesystem::remove_all(removeAtExit, ec);
            });
        }
        return d;
    }();
    return dir;
}

std::string WriteFile(const std::string& path, const std::string& content) {
    std::ofstream f(path, std::ios::binary);
    f << content;
    return path;
}

std::string ReadFile(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    std::stringstream ss;
    ss << f.rdbuf();
    return ss.str();
}

cmcCellObj CellOf(int category, int label, int index) {
    cmcCellObj c;
    c.category = category;
    c.label = label;
    c.index = index;
    return c;
}

}  // namespace qx::test
