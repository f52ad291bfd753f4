// qx-p2210-initfiles: writes the initial clone files, one blank image per model type, named by the
// lines of "GI_App_InitialFile" in the definition file beside the executable.
//
//   qx-p2210-initfiles OUTDIR     writes the four files into OUTDIR
//   qx-p2210-initfiles --check DIR  compares the files in DIR with what would be written;
//                                   exit status 1 when any differs or is missing
#include "common/cmcMessage.h"
#include "defs/cmcGTex.h"
#include "image/cmcImageMap.h"
#include "image/cmcQcfWriter.h"
#include "image/indFileChecks.h"
#include "image/indInitialImage.h"

#include <QCoreApplication>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

namespace {

std::string WithSlash(std::string dir) {
    if (dir.empty()) return "./";
    if (dir.back() != '/') dir += '/';
    return dir;
}

bool ReadAll(const std::string& path, std::string& text) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::ostringstream s;
    s << in.rdbuf();
    text = s.str();
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    qx::cmcSetProgramPath(argv[0]);
    bool check = false;
    std::string dir;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "--check")
            check = true;
        else if (a == "-h" || a == "--help") {
            std::printf("Usage: qx-p2210-initfiles OUTDIR\n       qx-p2210-initfiles --check DIR\n");
            return 0;
        } else
            dir = a;
    }
    if (dir.empty()) {
        std::fprintf(stderr, "qx-p2210-initfiles: a folder is required (try --help)\n");
        return 64;
    }
    dir = WithSlash(dir);
    qx::OpenDefinitionFiles();

    int differing = 0;
    for (int t = 0; t < qx::kModelTypeCount; ++t) {
        const std::string path = dir + qx::GTex().Line("GI_App_InitialFile", t);
        if (check) {
            std::string have;
            if (!ReadAll(path, have) || have != qx::indInitialFileText(t)) {
                std::printf("differs %s\n", path.c_str());
                ++differing;
            } else {
                std::printf("same %s\n", path.c_str());
            }
            continue;
        }
        qx::cmcEeprom image;
        qx::indBuildInitialImage(t, image);
        qx::cmcQcfWriter writer;
        if (!writer.Write(path, image, qx::indEepromAreaRanges())) {
            std::fprintf(stderr, "qx-p2210-initfiles: %s\n", writer.ErrorText().c_str());
            return 1;
        }
        std::printf("wrote %s\n", path.c_str());
    }
    return differing ? 1 : 0;
}
