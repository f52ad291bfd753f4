// The serial port over real pseudo-terminals: line settings, exclusive use, close and reopen,
// sending through the transmit pump, reading without waiting, and the write failure.
#include "comm/cmcComm.h"
#include "support/cmcTestSupport.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace qx {
namespace {

// A pseudo-terminal pair; the port opens its terminal side, the test plays the other end.
class Pty {
public:
    Pty() {
        master_ = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (master_ >= 0 && grantpt(master_) == 0 && unlockpt(master_) == 0) path_ = ptsname(master_);
        fcntl(master_, F_SETFL, fcntl(master_, F_GETFL) | O_NONBLOCK);
    }
    ~Pty() {
        if (master_ >= 0) close(master_);
    }
    const std::string& Path() const { return path_; }
    int Master() const { return master_; }

    // Reads what the port sent until `count` bytes have come or `ms` pass without any.
    std::vector<uint8_t> Receive(size_t count, int ms = 1000) {
        std::vector<uint8_t> got;
        uint8_t buf[4096];
        while (got.size() < count) {
            pollfd p {master_, POLLIN, 0};
            if (poll(&p, 1, ms) <= 0) break;
            ssize_t n = read(master_, buf, sizeof buf);
            if (n <= 0) break;
            got.insert(got.end(), buf, buf + n);
        }
        return got;
    }
    void Transmit(const std::vector<uint8_t>& bytes) { ASSERT_EQ(write(master_, bytes.data(), bytes.size()), ssize_t(bytes.size())); }

    // The terminal side's settings as the port left them.
    termios Settings() const {
        termios t {};
        int fd = open(path_.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        tcgetattr(fd, &t);
        close(fd);
        return t;
    }

private:
    int master_ = -1;
    std::string path_;
};

// Reads from the port until `count` bytes have come (the line delivers asynchronously).
std::vector<uint8_t> ReadPort(cmcComm& port, size_t count) {
    std::vector<uint8_t> got;
    uint8_t buf[256];
    for (int tries = 0; got.size() < count && tries < 200; ++tries) {
        int n = port.Read(buf, sizeof buf);
        if (n == 0) usleep(5000);
        got.insert(got.end(), buf, buf + n);
    }
    return got;
}

TEST(CommSettings, SettingsText) {
    struct Case {
        const char* text;
        int baud;
        bool parity;
        int dataBits;
        int stopBits;
    } cases[] = {
        {"9600,N,8,1", 9600, false, 8, 0},
        {"38400,N,8,2", 38400, false, 8, 2},
        {"9600,n,8,1", 9600, false, 8, 0},
        {"9600,N,9,1", 9600, false, 8, 0},
        {"9600,N,3,1", 9600, false, 4, 0},
        {"4800,O,7,1.5", 4800, true, 7, 1},
        {"4800,m,7,1", 4800, true, 7, 0},
        {"4800,E,7,1", 4800, false, 7, 0},
        {" 19200 , N , 6 , 2 ", 19200, false, 6, 2},
        {"1200", 1200, false, 8, 0},
        {"", 0, false, 8, 0},
    };
    for (auto& c : cases) {
        SCOPED_TRACE(c.text);
        cmcLineSettings s = cmcLineSettings::Parse(c.text);
        EXPECT_EQ(s.baud, c.baud);
        EXPECT_EQ(s.parityCheck, c.parity);
        EXPECT_EQ(s.dataBits, c.dataBits);
        EXPECT_EQ(s.stopBits, c.stopBits);
    }
}

TEST(Comm, OpensAPseudoTerminalRawWithTheLineSettings) {
    struct Case {
        const char* settings;
        speed_t speed;
        tcflag_t size;
        bool twoStop;
    } cases[] = {
        {"38400,N,8,2", B38400, CS8, true},
        {"9600,N,9,1", B9600, CS8, false},
        // (A pseudo-terminal keeps eight data bits whatever it is told; the settings text test
        // covers the limits.)
    };
    for (auto& c : cases) {
        SCOPED_TRACE(c.settings);
        Pty pty;
        cmcComm port;
        // The modem-line calls fail on a pseudo-terminal; opening does not.
        ASSERT_TRUE(port.Open(pty.Path(), c.settings)) << std::strerror(port.LastError());
        EXPECT_TRUE(port.IsOpen());
        EXPECT_TRUE(port.IsPseudoTerminal());
        termios t = pty.Settings();
        EXPECT_EQ(cfgetospeed(&t), c.speed);
        EXPECT_EQ(cfgetispeed(&t), c.speed);
        EXPECT_EQ(t.c_cflag & CSIZE, c.size);
        EXPECT_EQ((t.c_cflag & CSTOPB) != 0, c.twoStop);
        EXPECT_EQ(t.c_cflag & (PARENB | CRTSCTS), 0u);
        EXPECT_EQ(t.c_iflag & (IXON | IXOFF | ICRNL), 0u);
        EXPECT_EQ(t.c_lflag & (ICANON | ECHO | ISIG), 0u);
        EXPECT_EQ(t.c_oflag & OPOST, 0u);
        // No exclusive mode is left on a pseudo-terminal: it would outlive the close.
        int fd = open(pty.Path().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        int excl = -1;
        ASSERT_EQ(ioctl(fd, TIOCGEXCL, &excl), 0);
        EXPECT_EQ(excl, 0);
        close(fd);
    }
}

TEST(Comm, ExclusiveUseAndReopening) {
    Pty pty;
    cmcComm port;
    ASSERT_TRUE(port.Open(pty.Path(), "9600,N,8,1"));
    // Opening an open port fails and leaves it open and working.
    EXPECT_FALSE(port.Open(pty.Path(), "38400,N,8,1"));
    EXPECT_TRUE(port.IsOpen());
    termios t = pty.Settings();
    EXPECT_EQ(cfgetospeed(&t), B9600);

    // A second user of the device is refused as busy.
    cmcComm other;
    EXPECT_FALSE(other.Open(pty.Path(), "9600,N,8,1"));
    EXPECT_FALSE(other.IsOpen());
    EXPECT_EQ(other.LastError(), EBUSY);

    // Close and reopen at other speeds, as the connection script does.
    for (const char* s : {"38400,N,8,1", "9600,N,8,1", "38400,N,8,1", "9600,n,8,1"}) {
        port.Close();
        EXPECT_FALSE(port.IsOpen());
        ASSERT_TRUE(port.Open(pty.Path(), s)) << s << ": " << std::strerror(port.LastError());
        EXPECT_EQ(port.LastError(), 0);
    }
    port.Close();
    EXPECT_TRUE(other.Open(pty.Path(), "9600,N,8,1")) << "free again once closed";
}

TEST(Comm, OpenFailuresKeepTheReason) {
    Pty pty;
    struct Case {
        std::string device;
        std::string settings;
        int error;
    } cases[] = {
        {"/dev/qx-no-such-port", "9600,N,8,1", ENOENT},
        {"", "9600,N,8,1", ENOENT},
        {"/dev/null", "9600,N,8,1", ENOTTY},
        {pty.Path(), "12345,N,8,1", EINVAL},  // a speed the system does not know
    };
    for (auto& c : cases) {
        SCOPED_TRACE(c.device + " " + c.settings);
        cmcComm port;
        EXPECT_FALSE(port.Open(c.device, c.settings));
        EXPECT_FALSE(port.IsOpen());
        EXPECT_EQ(port.LastError(), c.error);
    }
    cmcComm port;
    EXPECT_FALSE(port.Open(0, "9600,N,8,1")) << "port 0 is no port";
    EXPECT_FALSE(port.IsOpen());
}

TEST(Comm, SendsEverythingAndReadsWithoutWaiting) {
    cmcScopedManualTime clock;
    Pty pty;
    cmcComm port;
    ASSERT_TRUE(port.Open(pty.Path(), "38400,N,8,1"));
    uint8_t buf[16];
    EXPECT_EQ(port.Read(buf, sizeof buf), 0) << "nothing has arrived: no waiting";
    EXPECT_EQ(port.InputWaiting(), 0);

    std::vector<uint8_t> data(3000);
    for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<uint8_t>(i * 7 + 1);
    port.Send(data.data(), static_cast<int>(data.size()));
    // The first chunk leaves at once; the rest follows on the pump's ticks.
    for (int i = 0; i < 100 && port.Pending() > 0; ++i) clock->Advance(10);
    EXPECT_EQ(port.Pending(), 0);
    EXPECT_EQ(pty.Receive(data.size()), data);
    EXPECT_FALSE(port.WriteFailed());

    std::vector<uint8_t> reply = {0xFE, 0xFE, 0xEF, 0xEE, 0xE1, 0x00, 0xFD, 0x0A, 0x0D, 0x11, 0x13};
    pty.Transmit(reply);
    EXPECT_EQ(ReadPort(port, reply.size()), reply) << "raw: no byte changed or swallowed";

    port.Close();
    EXPECT_EQ(port.Read(buf, sizeof buf), 0);
    EXPECT_EQ(port.Pending(), 0);
    port.Send(data.data(), 10);  // ignored while closed
    EXPECT_EQ(port.Pending(), 0);
}

TEST(Comm, ALineThatStopsTakingBytesIsAWriteFailure) {
    cmcScopedManualTime clock;
    Pty pty;  // nobody reads the other end
    cmcComm port;
    ASSERT_TRUE(port.Open(pty.Path(), "38400,N,8,1"));
    std::vector<uint8_t> data(1 << 20, 0x55);
    port.Send(data.data(), static_cast<int>(data.size()));
    // The device fills up; a full one gets the time a blocking write would have had, then fails.
    for (int i = 0; i < 2000 && !port.WriteFailed(); ++i) clock->Advance(10);
    EXPECT_TRUE(port.WriteFailed());
    EXPECT_GT(port.Pending(), 0);
    port.Close();
    EXPECT_FALSE(port.WriteFailed());
    ASSERT_TRUE(port.Open(pty.Path(), "38400,N,8,1")) << "closing did not wait for the stuck bytes";
}

}  // namespace
}  // namespace qx
