// qx-p2210-radiosim: a simulated radio of the ZT5531K family on a pseudo-terminal.
//
// It opens a pseudo-terminal, prints the device path of its terminal side on the first line of
// stdout and answers there as the radio does on its programming cable. The cable is one half-duplex
// wire: every byte the computer sends comes back to it (the echo) and reaches the radio, and the
// radio's replies travel on the same wire after it. The simulator models that wire: with pacing,
// each byte takes 10 bit times at the line speed in force, computer bytes at the speed the
// computer has set on its side of the terminal, radio bytes at the radio's own speed, which the
// line-control frames of the connection script switch between 9600 and 38400 bit/s. Bytes sent at a
// speed the radio is not listening at are lost for the radio, as on a real line.
//
// This is written from the radio's side of the protocol and shares no receiving code with the
// program's driver, so each checks the other.
//
// After each completed operation one line goes to stdout:
//   ident|read|write ok frames=<n> data=<bytes> wire_bytes=<n> wire_ms=<t>
// where wire_ms is the time the bytes that crossed the line take at their speeds.
#include "defs/cmcGTex.h"
#include "image/cmcEeprom.h"
#include "image/cmcQcfFile.h"
#include "image/cmcQcfWriter.h"
#include "image/indFileChecks.h"
#include "common/cmcDataDir.h"
#include "common/cmcMessage.h"
#include "common/cmcVersion.h"

#include <QCommandLineParser>
#include <QStringList>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <set>
#include <string>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace {

using Bytes = std::vector<uint8_t>;

constexpr int kEepromSize = 0x7D80;  // the radio's EEPROM area, 0x0000-0x7D7F
constexpr int kIdentSize = 80;
constexpr uint8_t kStart = 0xFE;
constexpr uint8_t kEnd = 0xFD;

volatile std::sig_atomic_t g_stop = 0;
void OnSignal(int) { g_stop = 1; }

int64_t NowUs() {
    using namespace std::chrono;
    return duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
}

const std::set<std::string>& FaultNames() {
    static const std::set<std::string> names = {
        "no-echo",        "wrong-echo",      "silence",        "bad-checksum", "missing-frame",
        "wrong-end-count", "refuse-write",   "end-reply-fail", "garbage",      "split",
        "wrong-model",    "bad-ident",       "short-ident",    "new-map",      "lowercase",
        "extra-address",  "no-ack",          "bad-store",      "pull-write",   "pull-readback",
    };
    return names;
}

void Usage(FILE* out) {
    std::fprintf(out,
                 "Usage: qx-p2210-radiosim [OPTIONS]\n\n"
                 "Simulates a ZT5531K radio on a pseudo-terminal. The first line printed is the device\n"
                 "to clone through (e.g. qx-p2210-cli info --port /dev/pts/3).\n\n"
                 "Options:\n"
                 "  --file FILE        radio memory from a clone file (default: the initial file of\n"
                 "                     the model type, in the data folder)\n"
                 "  --save FILE        after each completed write, save the memory as a clone file\n"
                 "  --model-type N     model type the radio reports: 0 LMR, 1 PMR, 2 Korv PMR,\n"
                 "                     3 dPMR446 (default 3)\n"
                 "  --end HEX          read end address reported in the identification (default 7D7F)\n"
                 "  --serial HEX12     the 12 hexadecimal serial characters of the identification\n"
                 "                     (default 07E80C001234: serial number 20241204660)\n"
                 "  --frame-size N     data bytes per frame the radio sends in a read (1-64, default 16)\n"
                 "  --baud auto|N|0    pace the wire: auto follows the line speeds (9600/38400),\n"
                 "                     N paces every byte at N bit/s, 0 does not pace (default)\n"
                 "  --fault NAME       inject a fault (repeatable):\n"
                 "                       no-echo, wrong-echo         the cable echo is missing or wrong\n"
                 "                       silence                     the radio never answers\n"
                 "                       bad-checksum, lowercase     a bad data frame in a read\n"
                 "                       missing-frame, extra-address a frame left out / one beyond the end\n"
                 "                       wrong-end-count             the read's end frame miscounts\n"
                 "                       refuse-write, no-ack        the write is refused / never acknowledged\n"
                 "                       end-reply-fail              the write's end reply reports failure\n"
                 "                       bad-store                   the write stores the first byte of its\n"
                 "                                                   third data frame wrongly (found by verify)\n"
                 "                       pull-write                  the cable is pulled after the write's\n"
                 "                                                   third data frame: nothing more crosses\n"
                 "                       pull-readback               the cable is pulled as the first read after\n"
                 "                                                   a completed write begins\n"
                 "                       garbage, split              junk between frames / replies in\n"
                 "                                                   small delayed pieces (both harmless)\n"
                 "                       wrong-model, bad-ident,     a wrong identification word, data not\n"
                 "                       short-ident, new-map        beginning with 80, 79 bytes, map revision 7\n"
                 "  --exit-after N     exit after N completed operations\n"
                 "  --verbose          log frames on stderr\n"
                 "  -h, --help         show this help and exit\n"
                 "  -v, --version      show the version and exit\n"
                 "\n"
                 "Exit status:\n"
                 "  0    ended by a signal or after --exit-after operations\n"
                 "  1    the memory file cannot be loaded or no pseudo-terminal can be opened\n"
                 "  64   the command line was wrong\n");
}

std::string Hex2(int v) {
    char b[4];
    std::snprintf(b, sizeof b, "%02X", v & 0xFF);
    return b;
}

int BaudOf(speed_t s) {
    switch (s) {
        case B1200: return 1200;
        case B2400: return 2400;
        case B4800: return 4800;
        case B9600: return 9600;
        case B19200: return 19200;
        case B38400: return 38400;
        case B57600: return 57600;
        case B115200: return 115200;
        default: return 9600;
    }
}

// ---------------------------------------------------------------------------------------------
// The radio: receives the computer's bytes as they cross the wire, answers with bytes to send.

class Radio {
public:
    std::set<std::string> faults;
    Bytes memory = Bytes(kEepromSize, 0xFF);
    int modelType = 3;
    int endAddress = 0x7D7F;
    std::string serial = "07E80C001234";
    int frameSize = 16;
    bool verbose = false;
    std::string savePath;
    int baud = 9600;  // the speed the radio listens and talks at

    // Filled by the radio; the wire takes them.
    struct Out {
        Bytes bytes;
        int gapUs = 0;       // quiet time on the wire before these bytes
        std::string report;  // a completed operation, reported once everything before it has crossed
    };
    std::deque<Out> outbox;

    bool Has(const char* fault) const { return faults.count(fault) != 0; }

    void Receive(uint8_t b) {
        if (b == kStart) {
            frame_.assign(1, b);
            return;
        }
        if (frame_.empty()) return;  // noise outside a frame
        if (b == kEnd) {
            Bytes f = frame_;
            frame_.clear();
            OnFrame(f);
            return;
        }
        if (frame_.size() > 1024) {
            frame_.clear();
            return;
        }
        frame_.push_back(b);
    }

    // Operation bookkeeping for the report line.
    int opFrames = 0;
    int opData = 0;
    // Set when a pull fault strikes: from then on nothing crosses the cable either way.
    bool cablePulled = false;

private:
    Bytes frame_;
    bool writing_ = false;
    Bytes pending_;  // memory as the write goes
    int writeFrames_ = 0;
    bool lineModeWrite_ = false;
    int splitBudget_ = 0;
    int writesDone_ = 0;

    void Send(const Bytes& b, int gapUs = 0) {
        if (Has("silence")) return;
        // The first replies of each operation come in pieces; the rest (the bulk of a read) whole,
        // which keeps a split read as fast as a normal one.
        if (!Has("split") || splitBudget_ <= 0) {
            outbox.push_back({b, gapUs, {}});
            return;
        }
        // Small pieces with pauses between them.
        --splitBudget_;
        for (size_t i = 0; i < b.size(); i += 3) {
            Bytes piece(b.begin() + static_cast<long>(i), b.begin() + static_cast<long>(std::min(b.size(), i + 3)));
            outbox.push_back({piece, i == 0 ? gapUs : 4000, {}});
        }
    }

    void SendGarbage() {
        if (Has("garbage")) Send({0x00, 0x41, 0x13, 0x7F, 0x55});
    }

    void Log(const char* what, const Bytes& f) {
        if (!verbose) return;
        std::fprintf(stderr, "radiosim: %s", what);
        for (size_t i = 0; i < f.size() && i < 24; ++i) std::fprintf(stderr, " %02X", f[i]);
        std::fprintf(stderr, f.size() > 24 ? " ...\n" : "\n");
    }

    void OnFrame(const Bytes& raw) {
        // Any number of FE bytes may lead; then destination, source, command.
        size_t i = 0;
        while (i < raw.size() && raw[i] == kStart) ++i;
        if (raw.size() - i < 3 || raw[i] != 0xEE || raw[i + 1] != 0xEF) return;
        uint8_t cmd = raw[i + 2];
        Bytes body(raw.begin() + static_cast<long>(i + 3), raw.end());
        Log("frame", Bytes(raw.begin() + static_cast<long>(i), raw.end()));
        if (cmd == 0xE0 || cmd == 0xE2 || cmd == 0xE3) splitBudget_ = 24;
        switch (cmd) {
            case 0xE8: LineControl(body); break;
            case 0xE0: Identify(); break;
            case 0xE2:
                // The read request is the two words and nothing else; a radio refuses any other.
                if (body.size() != 4) {
                    Send({0xFA});
                    break;
                }
                SendMemory();
                break;
            case 0xE3: StartWrite(); break;
            case 0xE4: WriteData(body); break;
            case 0xE5: EndWrite(body); break;
            default: break;
        }
    }

    // E8: word 1 (2), 00 00, sub-command, two ASCII digits.
    void LineControl(const Bytes& body) {
        if (body.size() < 7) return;
        uint8_t sub = body[4];
        std::string digits(body.begin() + 5, body.begin() + 7);
        if (sub == 0x01 && digits == "27") baud = 9600;
        if (sub == 0x01 && digits == "09") baud = 38400;
        if (sub == 0x55) lineModeWrite_ = digits == "01";
    }

    Bytes IdentData() const {
        Bytes d(kIdentSize, 0x00);
        d[0] = kIdentSize;
        auto put = [&](int at, const std::string& text) {
            for (size_t k = 0; k < text.size(); ++k) d[static_cast<size_t>(at) + k] = static_cast<uint8_t>(text[k]);
        };
        put(2, "SIMULATED RADIO ");
        put(18, "BENCH UNIT 01   ");
        d[34] = 0x12;  // revision 1.2
        d[35] = memory[264] < 7 ? memory[264] : 6;
        put(37, serial);
        d[49] = 0x00;
        d[50] = 0x40;  // ten-key keyboard
        d[51] = 0x01;
        d[53] = 0x00;
        static const uint8_t kFlags[] = {0x80, 0x40, 0x20, 0x04};
        d[54] = kFlags[std::clamp(modelType, 0, 3)];
        char end[8];
        std::snprintf(end, sizeof end, "%04X", endAddress & 0xFFFF);
        put(58, end);
        unsigned sum = 0;
        for (int a = 0; a <= std::min(endAddress, kEepromSize - 1); ++a) sum += memory[static_cast<size_t>(a)];
        char check[8];
        std::snprintf(check, sizeof check, "%04X", sum & 0xFFFF);
        put(62, check);
        d[74] = 0x10;
        put(76, "0000");
        if (Has("bad-ident")) d[0] = 79;
        if (Has("new-map")) d[35] = 7;
        if (Has("short-ident")) d.pop_back();
        return d;
    }

    void Identify() {
        int word1 = Has("wrong-model") ? 0x6152 : 0x6153;
        Bytes f = {kStart, kStart, 0xEF, 0xEE, 0xE1, static_cast<uint8_t>(word1 >> 8), static_cast<uint8_t>(word1), 0x00, 0x01};
        Bytes d = IdentData();
        f.insert(f.end(), d.begin(), d.end());
        f.push_back(kEnd);
        SendGarbage();
        Send(f);
        Report("ident", 0, 0);
    }

    Bytes DataFrame(int address, int n, bool lower, int checksumDelta) const {
        std::string body = Hex2(address >> 8) + Hex2(address) + Hex2(n);
        unsigned sum = static_cast<unsigned>((address >> 8) + (address & 0xFF) + n);
        for (int k = 0; k < n; ++k) {
            uint8_t v = memory[static_cast<size_t>(address + k) % memory.size()];
            body += Hex2(v);
            sum += v;
        }
        body += Hex2(static_cast<int>((0x100 - (sum & 0xFF)) & 0xFF) + checksumDelta);
        if (lower)
            for (char& c : body) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        Bytes f = {kStart, kStart, 0xEF, 0xEE, 0xE4};
        f.insert(f.end(), body.begin(), body.end());
        f.push_back(kEnd);
        return f;
    }

    void SendMemory() {
        const int last = std::min(endAddress | 0x0F, kEepromSize - 1);
        // The cable is pulled just as the read-back after a write begins: nothing comes.
        if (Has("pull-readback") && writesDone_ > 0) {
            cablePulled = true;
            return;
        }
        int frames = 0;
        int sent = 0;
        int index = 0;
        for (int a = 0; a <= last; ++index) {
            int n = std::min(frameSize - a % frameSize, last - a + 1);
            bool fault = index == 2;
            if (!(fault && Has("missing-frame"))) {
                SendGarbage();
                Send(DataFrame(a, n, fault && Has("lowercase"), fault && Has("bad-checksum") ? 1 : 0));
                ++frames;
                sent += n;
            }
            a += n;
        }
        if (Has("extra-address")) {
            Send(DataFrame(last + 1, 1, false, 0));
            ++frames;
        }
        int count = Has("wrong-end-count") ? frames - 1 : frames;
        std::string end = "Vexa Inc." + Hex2(count);
        Bytes f = {kStart, kStart, 0xEF, 0xEE, 0xE5};
        f.insert(f.end(), end.begin(), end.end());
        f.push_back(kEnd);
        SendGarbage();
        Send(f);
        Report("read", frames, sent);
    }

    void StartWrite() {
        // A write must have been announced by the line control of the connection script.
        if (Has("refuse-write") || !lineModeWrite_) {
            Send({0xFA});
            return;
        }
        writing_ = true;
        pending_ = memory;
        writeFrames_ = 0;
        opData = 0;
        Send({0xFB});
    }

    static int HexValue(uint8_t c) {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
        return -1;  // the radio takes uppercase digits only
    }

    void WriteData(const Bytes& body) {
        if (!writing_) return;
        Bytes d;
        bool ok = body.size() % 2 == 0 && body.size() >= 8;
        for (size_t k = 0; ok && k + 1 < body.size(); k += 2) {
            int hi = HexValue(body[k]), lo = HexValue(body[k + 1]);
            if (hi < 0 || lo < 0) ok = false;
            d.push_back(static_cast<uint8_t>(hi << 4 | lo));
        }
        unsigned sum = 0;
        for (uint8_t v : d) sum += v;
        int address = ok ? d[0] * 256 + d[1] : 0;
        int n = ok ? d[2] : 0;
        if (!ok || static_cast<int>(d.size()) != n + 4 || (sum & 0xFF) != 0 || address + n > kEepromSize) {
            writing_ = false;
            if (verbose) std::fprintf(stderr, "radiosim: bad data frame, write refused\n");
            Send({0xFA});
            return;
        }
        std::copy(d.begin() + 3, d.begin() + 3 + n, pending_.begin() + address);
        // A memory cell that does not keep what it was given: the first byte of the third frame.
        if (Has("bad-store") && writeFrames_ == 2 && n > 0) pending_[static_cast<size_t>(address)] ^= 0x5A;
        ++writeFrames_;
        opData += n;
        if (Has("pull-write") && writeFrames_ == 3) {
            // What has arrived stays in the memory cells; the rest never comes.
            memory = pending_;
            cablePulled = true;
            return;
        }
        if ((address + n) % 128 == 0 && !Has("no-ack")) Send({0xFB});
    }

    void EndWrite(const Bytes& body) {
        if (!writing_) return;
        writing_ = false;
        std::string text(body.begin(), body.end());
        bool ok = text == "Vexa Inc." + Hex2(writeFrames_);
        ok = ok && !Has("end-reply-fail");
        Send({kStart, kStart, 0xEF, 0xEE, 0xE6, static_cast<uint8_t>(ok ? 0x00 : 0x01), kEnd});
        if (!ok) return;
        memory = pending_;
        ++writesDone_;
        if (!savePath.empty()) {
            qx::cmcEeprom image;
            image.Resize(qx::kImageSize);
            image.Write(0, memory.data(), kEepromSize);
            qx::cmcQcfWriter writer;
            if (!writer.Write(savePath, image, qx::indEepromAreaRanges()))
                std::fprintf(stderr, "radiosim: %s\n", writer.ErrorText().c_str());
        }
        Report("write", writeFrames_, opData);
    }

    void Report(const char* op, int frames, int data) {
        if (Has("silence")) return;
        char line[96];
        std::snprintf(line, sizeof line, "%s ok frames=%d data=%d", op, frames, data);
        outbox.push_back({{}, 0, line});
    }
};

// ---------------------------------------------------------------------------------------------
// The wire: one byte at a time, in order, each taking its time at its speed.

struct WireByte {
    uint8_t byte;
    bool fromComputer;
    int speed;   // bit/s it crosses at
    int gapUs;   // quiet time before it
    bool marker = false;  // no byte: the next report is due when it reaches the head
};

class Simulator {
public:
    Radio radio;
    std::string paceMode = "0";  // "0", "auto" or a fixed rate
    int exitAfter = 0;

    bool OpenTerminal() {
        master_ = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0) return false;
        const char* name = ptsname(master_);
        if (!name) return false;
        path_ = name;
        // Holding the terminal side open keeps the line up while the program closes and reopens
        // it, and lets the simulator see the speed the program has set.
        slave_ = open(path_.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (slave_ < 0) return false;
        termios tio {};
        tcgetattr(slave_, &tio);
        cfmakeraw(&tio);
        cfsetspeed(&tio, B9600);
        tcsetattr(slave_, TCSANOW, &tio);
        fcntl(master_, F_SETFL, fcntl(master_, F_GETFL) | O_NONBLOCK);
        return true;
    }
    const std::string& Path() const { return path_; }

    int Run() {
        uint8_t buf[4096];
        while (!g_stop) {
            int64_t now = NowUs();
            // Bytes from the computer enter the wire at the speed its side is set to.
            for (;;) {
                ssize_t n = read(master_, buf, sizeof buf);
                if (n <= 0) break;
                int speed = ComputerSpeed();
                for (ssize_t k = 0; k < n; ++k) Push({buf[k], true, speed, 0}, now);
            }
            Advance(now);
            if (exitAfter > 0 && completed_ >= exitAfter && wire_.empty() && out_.empty()) break;
            Flush();

            // Sleep until the next byte is due, more input arrives or output can go on.
            pollfd p {master_, POLLIN, 0};
            if (!out_.empty()) p.events |= POLLOUT;
            int64_t waitUs = wire_.empty() ? 100000 : std::max<int64_t>(0, headDone_ - NowUs());
            timespec ts {static_cast<time_t>(waitUs / 1000000), static_cast<long>(waitUs % 1000000) * 1000};
            ppoll(&p, 1, &ts, nullptr);
        }
        return 0;
    }

private:
    int master_ = -1;
    int slave_ = -1;
    std::string path_;
    std::deque<WireByte> wire_;
    int64_t headDone_ = 0;  // when the first byte of the wire has crossed
    int64_t idleSince_ = 0; // when the wire last fell quiet
    Bytes out_;             // bytes to hand to the computer
    int64_t wireBytes_ = 0;
    double wireUs_ = 0;
    int64_t computerBytes_ = 0;
    int completed_ = 0;
    std::deque<std::string> reports_;

    int ComputerSpeed() {
        termios tio {};
        if (tcgetattr(slave_, &tio) != 0) return 9600;
        return BaudOf(cfgetospeed(&tio));
    }

    // Time a byte takes on the wire as paced; the nominal time is counted either way.
    int64_t PacedUs(const WireByte& b) const {
        if (paceMode == "0" || b.marker) return b.gapUs;
        int speed = paceMode == "auto" ? b.speed : std::atoi(paceMode.c_str());
        return b.gapUs + (speed > 0 ? 10000000LL / speed : 0);
    }

    void Push(const WireByte& b, int64_t now) {
        if (wire_.empty()) headDone_ = std::max(now, idleSince_) + PacedUs(b);
        wire_.push_back(b);
    }

    void Advance(int64_t now) {
        // A little slack keeps the simulator from waking for every single byte.
        while (!wire_.empty() && headDone_ <= now + 300) {
            WireByte b = wire_.front();
            wire_.pop_front();
            if (b.marker) {
                // Everything of the operation has crossed: report it with the line's figures.
                Flush();
                std::printf("%s wire_bytes=%lld wire_ms=%.1f\n", reports_.front().c_str(),
                            static_cast<long long>(wireBytes_), wireUs_ / 1000.0);
                std::fflush(stdout);
                reports_.pop_front();
                wireBytes_ = 0;
                wireUs_ = 0;
                ++completed_;
                if (!wire_.empty()) headDone_ += PacedUs(wire_.front());
                continue;
            }
            if (radio.cablePulled) {
                // Nothing crosses a pulled cable: no echo, nothing to the radio or from it.
                radio.outbox.clear();
                idleSince_ = headDone_;
                if (!wire_.empty()) headDone_ += PacedUs(wire_.front());
                continue;
            }
            ++wireBytes_;
            wireUs_ += 10000000.0 / b.speed;
            if (b.fromComputer) {
                ++computerBytes_;
                if (!radio.Has("no-echo")) {
                    uint8_t echo = b.byte;
                    if (radio.Has("wrong-echo") && computerBytes_ == 10) echo ^= 0x01;
                    out_.push_back(echo);
                }
                // A byte sent at a speed the radio is not listening at is noise to it.
                if (b.speed == radio.baud) radio.Receive(b.byte);
                // Replies queue behind what is already on the wire.
                for (auto& o : radio.outbox) {
                    if (!o.report.empty()) {
                        reports_.push_back(o.report);
                        wire_.push_back({0, false, radio.baud, 0, true});
                    }
                    for (size_t k = 0; k < o.bytes.size(); ++k)
                        wire_.push_back({o.bytes[k], false, radio.baud, k == 0 ? o.gapUs : 0});
                }
                radio.outbox.clear();
            } else {
                out_.push_back(b.byte);
            }
            idleSince_ = headDone_;
            if (!wire_.empty()) headDone_ += PacedUs(wire_.front());
        }
        if (wire_.empty() && idleSince_ < now - 1000) idleSince_ = now;
    }

    void Flush() {
        size_t done = 0;
        while (done < out_.size()) {
            ssize_t n = write(master_, out_.data() + done, out_.size() - done);
            if (n <= 0) break;
            done += static_cast<size_t>(n);
        }
        out_.erase(out_.begin(), out_.begin() + static_cast<long>(done));
    }
};

bool LoadMemory(Radio& radio, const std::string& path) {
    qx::cmcEeprom image;
    image.Resize(qx::kImageSize);
    qx::cmcQcfFile file;
    qx::indPrepareCloneFileReader(file, image);
    if (file.Load(path, qx::indEepromAreaRanges()) != 0) return false;
    image.Read(0, radio.memory.data(), kEepromSize);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    qx::cmcSetProgramPath(argv[0]);
    Simulator sim;
    Radio& radio = sim.radio;
    std::string file;
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsCompactedShortOptions);
    const QStringList flags{"help|h", "version|v", "verbose"};
    const QStringList valued{"file", "save", "model-type", "end", "serial", "frame-size", "baud", "fault", "exit-after"};
    for (const QString& f : flags) parser.addOption(QCommandLineOption(f.split('|')));
    for (const QString& v : valued) parser.addOption(QCommandLineOption(v, {}, "VALUE"));
    QStringList args;
    for (int i = 0; i < argc; ++i) args << QString::fromLocal8Bit(argv[i]);
    if (!parser.parse(args)) {
        const QStringList unknown = parser.unknownOptionNames();
        if (unknown.isEmpty()) {
            // Only the last argument can lack its value.
            std::fprintf(stderr, "qx-p2210-radiosim: %s needs a value\n", argv[argc - 1]);
            return 64;
        }
        std::string bad = "--" + unknown.front().toStdString();
        for (int i = 1; i < argc && std::strcmp(argv[i], "--") != 0; ++i) {
            const QString a = QString::fromLocal8Bit(argv[i]);
            if (a.startsWith('-') && a.size() > 1 && std::any_of(unknown.begin(), unknown.end(), [&](const QString& u) {
                    return a.section('=', 0, 0).endsWith(u);
                })) {
                bad = argv[i];
                break;
            }
        }
        std::fprintf(stderr, "qx-p2210-radiosim: unknown argument '%s' (see --help)\n", bad.c_str());
        return 64;
    }
    if (parser.isSet("help")) {
        Usage(stdout);
        return 0;
    }
    if (parser.isSet("version")) {
        std::printf("qx-p2210-radiosim %s\n", qx::cmcVersion().c_str());
        return 0;
    }
    if (!parser.positionalArguments().isEmpty()) {
        std::fprintf(stderr, "qx-p2210-radiosim: unknown argument '%s' (see --help)\n",
                     parser.positionalArguments().front().toLocal8Bit().constData());
        return 64;
    }
    auto value = [&](const char* name) { return parser.value(name).toLocal8Bit().toStdString(); };
    if (parser.isSet("file")) file = value("file");
    if (parser.isSet("save")) radio.savePath = value("save");
    if (parser.isSet("model-type")) radio.modelType = std::clamp(std::atoi(value("model-type").c_str()), 0, 3);
    if (parser.isSet("end")) radio.endAddress = static_cast<int>(std::strtol(value("end").c_str(), nullptr, 16)) & 0xFFFF;
    if (parser.isSet("serial")) {
        const std::string serial = value("serial");
        if (serial.size() != 12 || !std::all_of(serial.begin(), serial.end(), [](char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; })) {
            std::fprintf(stderr, "qx-p2210-radiosim: --serial takes 12 hexadecimal characters\n");
            return 64;
        }
        radio.serial = serial;
    }
    if (parser.isSet("frame-size")) radio.frameSize = std::clamp(std::atoi(value("frame-size").c_str()), 1, 64);
    if (parser.isSet("baud")) sim.paceMode = value("baud");
    for (const QString& f : parser.values("fault")) {
        const std::string name = f.toLocal8Bit().toStdString();
        if (!FaultNames().count(name)) {
            std::fprintf(stderr, "qx-p2210-radiosim: unknown fault '%s' (see --help)\n", name.c_str());
            return 64;
        }
        radio.faults.insert(name);
    }
    if (parser.isSet("exit-after")) sim.exitAfter = std::atoi(value("exit-after").c_str());
    if (parser.isSet("verbose")) radio.verbose = true;

    qx::OpenDefinitionFiles();
    if (file.empty()) file = qx::cmcDataFile(qx::GTex().Line("GI_App_InitialFile", radio.modelType));
    if (!LoadMemory(radio, file)) {
        std::fprintf(stderr, "qx-p2210-radiosim: cannot load the radio memory from '%s'\n", file.c_str());
        return 1;
    }
    if (!sim.OpenTerminal()) {
        std::fprintf(stderr, "qx-p2210-radiosim: cannot open a pseudo-terminal: %s\n", std::strerror(errno));
        return 1;
    }
    std::signal(SIGINT, OnSignal);
    std::signal(SIGTERM, OnSignal);
    std::signal(SIGHUP, OnSignal);
    std::printf("%s\n", sim.Path().c_str());
    std::fflush(stdout);
    return sim.Run();
}
