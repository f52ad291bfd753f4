#include "common/cmcDataDir.h"

#include "common/cmcMessage.h"

#include <filesystem>

#ifndef QX_DATA_SUBDIR
#define QX_DATA_SUBDIR "share/qx-p2210"
#endif
#ifndef QX_INSTALL_DATA_DIR
#define QX_INSTALL_DATA_DIR "/usr/local/share/qx-p2210"
#endif

namespace qx {

namespace {

// The file whose presence marks a data folder.
constexpr const char* kMarkerFile = "ZT5531K.OVL";

std::string WithSlash(std::string dir) {
    if (dir.empty() || dir.back() != '/') dir += '/';
    return dir;
}

}  // namespace

std::vector<std::string> cmcDataDirCandidates() {
    const std::string exeDir = cmcProgramDir();
    std::vector<std::string> dirs{exeDir};
    // <prefix>/bin/qx-p2210 -> <prefix>/share/qx-p2210/
    const std::filesystem::path prefix = std::filesystem::path(exeDir).parent_path().parent_path();
    dirs.push_back(WithSlash((prefix / QX_DATA_SUBDIR).lexically_normal().string()));
    const std::string installed = WithSlash(QX_INSTALL_DATA_DIR);
    if (installed != dirs.back()) dirs.push_back(installed);
    return dirs;
}

std::string cmcDataDir() {
    std::error_code ec;
    const std::vector<std::string> dirs = cmcDataDirCandidates();
    for (const std::string& dir : dirs)
        if (std::filesystem::is_regular_file(dir + kMarkerFile, ec)) return dir;
    return dirs.front();
}

std::string cmcDataFile(const std::string& name) { return cmcDataDir() + name; }

}  // namespace qx
