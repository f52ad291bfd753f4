// "check", "channels", "save" and "model": open a clone file as the program's open command does
// (through the main application object), list its memory channels, save it again, name its model.
#include "cli/cliArgs.h"
#include "cli/cliCommand.h"
#include "defs/cmcGTex.h"
#include "image/cmcImageMap.h"
#include "image/cmcQcfFile.h"
#include "image/datCh.h"
#include "image/indMain.h"

#include <cstdio>
#include <string>

namespace qx::cli {
namespace {

constexpr const char* kCodes =
    "  1 cannot be opened   2 read failed     3 other model     4 other variant\n"
    "  5 map revision       6 malformed line  7 data missing    8 data refused\n"
    "  9 newer data than this program accepts    10 larger than any clone file (1 MiB)";

// The main object with its start image: the expanded and packed initial image of the dPMR446 model
// (type 3), which is what the program holds before any file is opened.
void Start(indMain& main) {
    OpenDefinitionFiles();
    main.LoadStartImage(kModelDPmr446);
}

// Prints "error <code> <key>" for a refused file (its message has gone to stderr).
int Refused(int code) {
    std::printf("error %d %s\n", code, cmcQcfFile::ErrorKey(code));
    return code;
}

// Opens the file into the working image, adopting it as the program does (unpacked, model type,
// normalised).
int Open(indMain& main, const std::string& path) {
    Start(main);
    const int code = main.OpenCloneFile(path);
    return code == 0 ? 0 : Refused(code);
}

std::string ToneText(const datTone& t) {
    char buf[32];
    if (!t.enabled) return "off";
    if (t.dtcs) {
        std::snprintf(buf, sizeof buf, "dtcs:%03o%c", t.dtcsCode & 0x1FF, t.inverted ? 'I' : 'N');
    } else {
        std::snprintf(buf, sizeof buf, "ctcss:%d", t.ctcss);
    }
    return buf;
}

// The 8 raw name bytes: printable ASCII as it is, other bytes as \xNN; quoted as CSV quotes a
// field when it holds a quote or a comma.
std::string NameField(const uint8_t* name) {
    std::string s;
    for (int i = 0; i < 8; ++i) {
        const uint8_t c = name[i];
        if (c >= 0x20 && c <= 0x7E) {
            s += char(c);
        } else {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\x%02X", c);
            s += buf;
        }
    }
    if (s.find_first_of("\",") == std::string::npos) return s;
    std::string q = "\"";
    for (char c : s) {
        if (c == '"') q += '"';
        q += c;
    }
    return q + "\"";
}

QX_CLI_COMMAND(
    "check",
    "check a clone file as the program's open command does",
    std::string("Usage: qx-p2210-cli check FILE\n\n"
                "Opens FILE as the program opens a clone file: the file is read without a range\n"
                "list, then its content is checked (model identifier, the newer-data lockout) and\n"
                "last its coverage of the EEPROM area 0000-7D7F.\n\n"
                "Prints \"ok\" and exits 0 when the file would be opened. Otherwise prints\n"
                "\"error <code> <message key>\" on stdout and the message on stderr, and exits with\n"
                "the code:\n") +
        kCodes,
    [](const std::vector<std::string>& args) -> int {
        cliArgs a;
        if (!a.Parse(args, {}) || a.Positional().size() != 1) {
            PrintError("check takes one FILE (try 'check --help')");
            return kExitUsage;
        }
        const std::vector<std::string>& files = a.Positional();
        indMain main;
        Start(main);
        cmcEeprom scratch;
        const int code = main.LoadCloneFile(files[0], scratch);
        if (code != 0) return Refused(code);
        std::printf("ok\n");
        return 0;
    });

QX_CLI_COMMAND(
    "channels",
    "list the memory channels in use of a clone file as CSV",
    std::string("Usage: qx-p2210-cli channels FILE\n\n"
                "Opens FILE as 'check' does and adopts it as the program does (unpacking, model type,\n"
                "normalisation), then prints one CSV row per memory channel in use, channels 0-63 in\n"
                "order, after the header\n"
                "  ch,bank,rx_hz,tx_hz,rx_tone,tx_tone,name,narrow,inhibit,tx_inhibit\n"
                "bank is 0-4, or 5 for a channel outside the banks. Tones are \"off\",\n"
                "\"ctcss:<item number>\" or \"dtcs:<three octal digits><N|I>\". The name is the 8 raw\n"
                "bytes, each byte outside 0x20-0x7E written as \\xNN, quoted as CSV when it holds a\n"
                "quote or a comma. Flags are 0 or 1.\n\n"
                "A refused FILE prints \"error <code> <message key>\" and exits with the code:\n") +
        kCodes,
    [](const std::vector<std::string>& args) -> int {
        cliArgs a;
        if (!a.Parse(args, {}) || a.Positional().size() != 1) {
            PrintError("channels takes one FILE (try 'channels --help')");
            return kExitUsage;
        }
        const std::vector<std::string>& files = a.Positional();
        indMain main;
        if (int code = Open(main, files[0])) return code;
        uint8_t* w = main.WorkingImage().Data();
        const int kind = datChannelKind(main.ModelType());
        std::printf("ch,bank,rx_hz,tx_hz,rx_tone,tx_tone,name,narrow,inhibit,tx_inhibit\n");
        datCh ch(w);
        for (int n = 0; n < map::kChannelCount; ++n) {
            ch.Load(kind, n);
            if (!ch.inUse) continue;
            std::printf("%d,%d,%u,%u,%s,%s,%s,%d,%d,%d\n", n, datBankOfChannel(w, n), ch.rxFreq, ch.txFreq,
                        ToneText(ch.rxTone).c_str(), ToneText(ch.txTone).c_str(), NameField(ch.text).c_str(),
                        ch.narrow ? 1 : 0, ch.inhibit ? 1 : 0, ch.txInhibit ? 1 : 0);
        }
        return 0;
    });

QX_CLI_COMMAND(
    "save",
    "open a clone file and save it as the program saves its image",
    std::string("Usage: qx-p2210-cli save IN OUT\n\n"
                "Opens IN as 'channels' does, then saves the image to OUT: a normalised, packed copy\n"
                "(what a clone write would send) with the whole EEPROM area 0000-7D7F. Opening OUT\n"
                "gives the same channels and settings. OUT is replaced only once it is complete.\n\n"
                "Prints \"ok\" and exits 0. A refused IN prints \"error <code> <message key>\" and\n"
                "exits with its code (below); when OUT cannot be saved the message goes to stderr,\n"
                "\"error save\" to stdout, and the exit status is 10.\n") +
        kCodes,
    [](const std::vector<std::string>& args) -> int {
        cliArgs a;
        if (!a.Parse(args, {}) || a.Positional().size() != 2) {
            PrintError("save takes IN and OUT (try 'save --help')");
            return kExitUsage;
        }
        const std::vector<std::string>& files = a.Positional();
        indMain main;
        if (int code = Open(main, files[0])) return code;
        if (!main.SaveCloneFile(files[1])) {
            std::printf("error save\n");
            return 10;
        }
        std::printf("ok\n");
        return 0;
    });

QX_CLI_COMMAND(
    "model",
    "print the model type of a clone file",
    std::string("Usage: qx-p2210-cli model FILE\n\n"
                "Opens FILE as 'channels' does and prints its model type number and name, e.g.\n"
                "\"3 dPMR446\" (0 LMR, 1 PMR, 2 digital PMR, 3 dPMR446; names from \"GI_AppInd_Model\").\n\n"
                "A refused FILE prints \"error <code> <message key>\" and exits with the code:\n") +
        kCodes,
    [](const std::vector<std::string>& args) -> int {
        cliArgs a;
        if (!a.Parse(args, {}) || a.Positional().size() != 1) {
            PrintError("model takes one FILE (try 'model --help')");
            return kExitUsage;
        }
        const std::vector<std::string>& files = a.Positional();
        indMain main;
        if (int code = Open(main, files[0])) return code;
        std::printf("%d %s\n", main.ModelType(), indMain::ModelName(main.ModelType()).c_str());
        return 0;
    });

}  // namespace
}  // namespace qx::cli
