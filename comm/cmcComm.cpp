#include "comm/cmcComm.h"

#include "comm/cmcPortList.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <vector>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <termios.h>
#include <unistd.h>

namespace qx {
namespace {

constexpr int kPumpRetryMs = 10;

// The termios speed constant of a baud rate; 0 when the rate is not one the system knows.
speed_t SpeedConstant(int baud) {
    static const std::pair<int, speed_t> kSpeeds[] = {
        {50, B50},         {75, B75},         {110, B110},       {134, B134},       {150, B150},
        {200, B200},       {300, B300},       {600, B600},       {1200, B1200},     {1800, B1800},
        {2400, B2400},     {4800, B4800},     {9600, B9600},     {19200, B19200},   {38400, B38400},
        {57600, B57600},   {115200, B115200}, {230400, B230400}, {460800, B460800}, {500000, B500000},
        {576000, B576000}, {921600, B921600}, {1000000, B1000000},
    };
    for (auto& [rate, constant] : kSpeeds)
        if (rate == baud) return constant;
    return 0;
}

std::string Trim(const std::string& s) {
    size_t b = s.find_first_not_of(" \t");
    if (b == std::string::npos) return "";
    size_t e = s.find_last_not_of(" \t");
    return s.substr(b, e - b + 1);
}

// Unix98 pseudo-terminal slaves have majors 136-143; the old BSD ones major 3.
bool IsPseudoTerminalDevice(int fd) {
    struct stat st {};
    if (fstat(fd, &st) != 0 || !S_ISCHR(st.st_mode)) return false;
    unsigned maj = major(st.st_rdev);
    return (maj >= 136 && maj <= 143) || maj == 3;
}

}  // namespace

cmcLineSettings cmcLineSettings::Parse(const std::string& text) {
    cmcLineSettings s;
    std::vector<std::string> fields;
    size_t start = 0;
    while (true) {
        size_t comma = text.find(',', start);
        fields.push_back(Trim(text.substr(start, comma == std::string::npos ? std::string::npos : comma - start)));
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
    s.baud = fields.empty() ? 0 : std::atoi(fields[0].c_str());
    if (fields.size() > 1) {
        char p = fields[1].empty() ? 'N' : fields[1][0];
        s.parityCheck = p == 'M' || p == 'm' || p == 'O' || p == 'o';
    }
    if (fields.size() > 2 && !fields[2].empty()) s.dataBits = std::clamp(std::atoi(fields[2].c_str()), 4, 8);
    if (fields.size() > 3) s.stopBits = fields[3] == "1.5" ? 1 : fields[3] == "2" ? 2 : 0;
    return s;
}

cmcComm::cmcComm() : pump_(cmcMakeTask()) {
    pump_->SetCallback([this](cmcTask&) { Pump(); });
}

cmcComm::~cmcComm() {
    Close();
    pump_.reset();
}

std::string cmcComm::PortDevice(int portNumber) { return cmcPortList().DeviceForNumber(portNumber); }

bool cmcComm::Open(int portNumber, const std::string& settings) {
    if (IsOpen()) return false;
    std::string device = PortDevice(portNumber);
    bool ok = Open(device, settings);
    portNumber_ = portNumber;
    return ok;
}

bool cmcComm::Open(const std::string& device, const std::string& settings) {
    if (IsOpen()) return false;
    portNumber_ = 0;
    device_ = device;
    writeFailed_ = false;
    lastError_ = 0;
    settings_ = cmcLineSettings::Parse(settings);

    if (device.empty()) {
        lastError_ = ENOENT;
        return false;
    }
    int fd = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        lastError_ = errno;
        return false;
    }
    if (!isatty(fd)) {
        ::close(fd);
        lastError_ = ENOTTY;
        return false;
    }
    // Exclusive use. An advisory lock keeps out every other program that locks (this one included)
    // and goes away with the descriptor, even when the program dies.
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        lastError_ = errno == EWOULDBLOCK ? EBUSY : errno;
        ::close(fd);
        return false;
    }
    fd_ = fd;
    pseudoTerminal_ = IsPseudoTerminalDevice(fd);
    // The terminal's own exclusive mode shuts out every other opener as well. It is not used on a
    // pseudo-terminal: there the mode outlives the descriptor while the other side stays open, and
    // the next open (the close and reopen of the connection script) would fail.
    exclusiveMode_ = !pseudoTerminal_ && ioctl(fd, TIOCEXCL) == 0;

    if (tcflush(fd_, TCIOFLUSH) != 0 || !Configure()) {
        lastError_ = errno ? errno : EINVAL;
        int keep = lastError_;
        Close();
        lastError_ = keep;
        return false;
    }
    return true;
}

bool cmcComm::Configure() {
    termios tio {};
    if (tcgetattr(fd_, &tio) != 0) return false;
    cfmakeraw(&tio);
    tio.c_cflag |= CLOCAL | CREAD;
    tio.c_cflag &= ~(CRTSCTS | PARENB | PARODD | CSTOPB | CSIZE);
    // Four data bits is beyond the Linux line discipline: five is the least it sends.
    static const tcflag_t kSizes[] = {CS5, CS5, CS6, CS7, CS8};
    tio.c_cflag |= kSizes[settings_.dataBits - 4];
    // One and a half stop bits is what a UART sends for "two" with five data bits.
    if (settings_.stopBits != 0) tio.c_cflag |= CSTOPB;
    tio.c_iflag &= ~(IXON | IXOFF | IXANY | INPCK | ISTRIP);
    if (settings_.parityCheck) tio.c_iflag |= INPCK;
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    speed_t speed = SpeedConstant(settings_.baud);
    if (speed == 0) {
        errno = EINVAL;
        return false;
    }
    if (cfsetispeed(&tio, speed) != 0 || cfsetospeed(&tio, speed) != 0) return false;
    if (tcsetattr(fd_, TCSANOW, &tio) != 0) return false;

    // DTR low and RTS high: the cable takes its supply from RTS. A pseudo-terminal has no modem
    // lines and refuses these calls, which is harmless.
    int dtr = TIOCM_DTR;
    int rts = TIOCM_RTS;
    (void)ioctl(fd_, TIOCMBIC, &dtr);
    (void)ioctl(fd_, TIOCMBIS, &rts);
    return true;
}

void cmcComm::StopPump() { pump_->SetInterval(-1); }

void cmcComm::Close() {
    StopPump();
    if (fd_ >= 0) {
        // Bytes still queued would make close() wait until they are sent; they are dropped, as
        // is the rest of the transmit buffer.
        tcflush(fd_, TCOFLUSH);
        if (exclusiveMode_) (void)ioctl(fd_, TIOCNXCL);
        ::close(fd_);
        fd_ = -1;
    }
    exclusiveMode_ = false;
    pseudoTerminal_ = false;
    transmit_.Clear();
    writeFailed_ = false;
    stall_.Stop();
}

void cmcComm::Send(const uint8_t* bytes, int count) {
    if (!IsOpen() || count <= 0) return;
    StopPump();
    transmit_.Append(bytes, count);
    pump_->SetInterval(0);
    Pump();
}

void cmcComm::Pump() {
    if (!IsOpen() || writeFailed_) {
        StopPump();
        return;
    }
    int n = std::min<int>(transmit_.Length(), kOutputQueueSize);
    if (n == 0) {
        stall_.Stop();
        StopPump();
        return;
    }
    // Each chunk goes out only when the device has sent everything before it.
    if (OutputWaiting() > 0) {
        pump_->SetInterval(kPumpRetryMs);
        return;
    }
    ssize_t written = ::write(fd_, transmit_.Data(), n);
    if (written < 0) {
        if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) {
            writeFailed_ = true;
            StopPump();
            return;
        }
        written = 0;
    }
    if (written > 0) {
        transmit_.Drop(static_cast<int32_t>(written));
        stall_.Stop();
    }
    if (written < n) {
        // The device took less than offered (its buffer is full). It gets as long as a blocking
        // write of these bytes would have: 100000 / baud ms per byte plus three seconds.
        if (!stall_.Running()) {
            int perByte = settings_.baud > 0 ? 100000 / settings_.baud : 0;
            stall_.Start(static_cast<uint32_t>(perByte * (n - written) + 3000));
        } else if (stall_.Remaining() == 0) {
            writeFailed_ = true;
            StopPump();
            return;
        }
    }
    if (transmit_.Length() > 0)
        pump_->SetInterval(kPumpRetryMs);
    else
        StopPump();
}

int cmcComm::Read(uint8_t* dest, int count) {
    if (!IsOpen() || count <= 0) return 0;
    ssize_t r = ::read(fd_, dest, static_cast<size_t>(count));
    return r > 0 ? static_cast<int>(r) : 0;
}

int cmcComm::InputWaiting() {
    if (!IsOpen()) return 0;
    int n = 0;
    return ioctl(fd_, FIONREAD, &n) == 0 ? n : 0;
}

int cmcComm::OutputWaiting() {
    if (!IsOpen()) return 0;
    int n = 0;
    return ioctl(fd_, TIOCOUTQ, &n) == 0 ? n : 0;
}

int cmcComm::Pending() { return OutputWaiting() + (IsOpen() ? transmit_.Length() : 0); }

}  // namespace qx
