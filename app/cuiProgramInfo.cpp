#include "app/cuiProgramInfo.h"

#include "common/cmcDataDir.h"
#include "common/cmcVersion.h"
#include "defs/cmcGTex.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QString>
#include <QStringList>

#include <cstdio>
#include <cstring>

namespace qx {

namespace {

constexpr int kExitUsage = 64;

std::string Format(const std::string& format, const std::string& value) {
    return QString::fromStdString(format).replace("%s", QString::fromStdString(value)).toStdString();
}

}  // namespace

std::string cuiUsageText() {
    return "Usage: qx-p2210 [OPTIONS] [FILE]\n"
           "\n"
           "Reads, edits and writes the settings and memory channels of the radios of the ZT5531K\n"
           "family through the programming cable. FILE, a clone file (.qcf), is opened at start-up;\n"
           "otherwise the program starts with the blank image of the model type used last.\n"
           "Only one copy runs per user: a second start ends at once, without a window.\n"
           "\n"
           "Options:\n"
           "  -h, --help       show this help and exit\n"
           "  -v, --version    show the version and exit\n"
           "  -platform NAME   the window system to use (for example offscreen); the other\n"
           "                   window system options of the toolkit are accepted as well\n"
           "\n"
           "Files:\n"
           "  ~/.config/Vexa/QX-P2210.ini   the settings (port, speed, model type, recent files)\n"
           "  PREFIX/share/qx-p2210/        the definition files ZT5531K.OVL and ZT5531KH.OVL, the\n"
           "                                initial clone files and the help file; a folder beside\n"
           "                                the executable holding them is used first\n"
           "\n"
           "Exit status:\n"
           "  0    the window was closed, or a second copy ended\n"
           "  3    a definition file or an initial clone file is missing or damaged\n"
           "  64   the command line was wrong\n"
           "  70   an internal check failed\n";
}

namespace {

// The program's own options, read with QCommandLineParser before and after the toolkit takes its
// options (such as "-platform NAME") from the command line. Single-dash words are read whole, as
// the toolkit writes its options, so that "-reverse" does not read as "-r -e -v ...".
struct ProgramOptions {
    QCommandLineParser parser;
    bool parsed = false;

    ProgramOptions(int argc, char** argv) {
        parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
        parser.addOption(QCommandLineOption(QStringList{"help", "h"}));
        parser.addOption(QCommandLineOption(QStringList{"version", "v"}));
        QStringList args;
        for (int i = 0; i < argc; ++i) args << QString::fromLocal8Bit(argv[i]);
        parsed = parser.parse(args);
    }
};

}  // namespace

std::optional<int> cuiInfoOptions(int argc, char** argv) {
    // The toolkit's options are still on the command line here: an unknown option is no fault yet.
    ProgramOptions options(argc, argv);
    // The first of --help and --version given wins.
    for (const QString& name : options.parser.optionNames()) {
        if (name == "help" || name == "h") {
            std::fputs(cuiUsageText().c_str(), stdout);
            return 0;
        }
        if (name == "version" || name == "v") {
            std::printf("qx-p2210 %s\n", cmcVersion().c_str());
            return 0;
        }
    }
    return std::nullopt;
}

int cuiFileArgument(int argc, char** argv, std::string* file) {
    // What is left once the toolkit took its options: FILE, or nothing.
    ProgramOptions options(argc, argv);
    if (!options.parsed) {
        for (int i = 1; i < argc && std::strcmp(argv[i], "--") != 0; ++i)
            if (argv[i][0] == '-' && argv[i][1] != '\0') {
                std::fprintf(stderr, "qx-p2210: unknown option '%s' (try --help)\n", argv[i]);
                return kExitUsage;
            }
        return kExitUsage;
    }
    const QStringList files = options.parser.positionalArguments();
    if (files.size() > 1) {
        std::fprintf(stderr, "qx-p2210: one FILE only (try --help)\n");
        return kExitUsage;
    }
    if (!files.isEmpty()) *file = QFileInfo(files.front()).absoluteFilePath().toStdString();
    return 0;
}

std::string cuiAboutText() {
    const std::string dataDir = QDir::toNativeSeparators(QDir::cleanPath(QString::fromStdString(cmcDataDir()))).toStdString();
    return GTex().SectionText("GI_AppMess_About") + "\n\n" +
           Format(GTex().Line("GI_AppMess_AboutVersion", 0), cmcVersion()) + "\n" +
           Format(GTex().Line("GI_AppMess_AboutVersion", 1), cmcBuildDate()) + "\n" +
           Format(GTex().Line("GI_AppMess_AboutVersion", 2), dataDir);
}

std::string cuiAboutRichText() {
    const QStringList lines = QString::fromStdString(cuiAboutText()).split('\n');
    QString html;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString line = lines[i].toHtmlEscaped();
        html += i == 0 ? "<p><b>" + line + "</b><br>" : line + "<br>";
    }
    return (html + "</p>").toStdString();
}

}  // namespace qx
