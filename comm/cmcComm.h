// The serial port of the programming cable.
//
// cmcSerialPort is the line as the clone driver sees it: open with a settings text, send through a
// transmit buffer, read what has arrived without waiting, and count what has not left yet. cmcComm
// is the real one over a Linux serial device (termios); tests drive the clone engine through a
// scripted port of their own.
#pragma once

#include "comm/cmcBuff.h"
#include "comm/cmcTask.h"
#include "comm/cmcTick.h"

#include <cstdint>
#include <string>

namespace qx {

// The line settings of a settings text "baud,parity,data bits,stop bits" such as "9600,N,8,1".
struct cmcLineSettings {
    int baud = 9600;
    bool parityCheck = false;  // set by the parity letters M, m, O and o; no parity bit is ever sent
    int dataBits = 8;          // limited to 4..8
    int stopBits = 0;          // 0 = one, 1 = one and a half, 2 = two

    // Reads the four comma-separated fields; missing or unreadable fields keep their defaults,
    // except the baud rate, which is the leading decimal number of the first field (0 if none).
    static cmcLineSettings Parse(const std::string& text);
};

class cmcSerialPort {
public:
    virtual ~cmcSerialPort() = default;

    // Opens the device with the settings text. Fails (false) when already open, leaving the open
    // port as it is; on any other failure the port is closed and LastError() tells why.
    virtual bool Open(const std::string& device, const std::string& settings) = 0;
    // Stops the transmit pump, discards what has not been sent, closes, clears the write failure.
    virtual void Close() = 0;
    virtual bool IsOpen() const = 0;
    // Queues bytes for sending and starts pushing them out; nothing happens while closed.
    virtual void Send(const uint8_t* bytes, int count) = 0;
    // Copies up to count received bytes without waiting; 0 when nothing has arrived or closed.
    virtual int Read(uint8_t* dest, int count) = 0;
    // Bytes received and not yet read; bytes in the device's output queue. 0 when closed.
    virtual int InputWaiting() = 0;
    virtual int OutputWaiting() = 0;
    // Bytes given to Send that have not left the device yet: output queue plus transmit buffer.
    virtual int Pending() = 0;
    // Set when the device stopped accepting bytes; cleared by Open and Close.
    virtual bool WriteFailed() const = 0;
    // The system error (errno) of the last failed Open; 0 after a successful one.
    virtual int LastError() const = 0;
};

class cmcComm final : public cmcSerialPort {
public:
    cmcComm();
    ~cmcComm() override;
    cmcComm(const cmcComm&) = delete;
    cmcComm& operator=(const cmcComm&) = delete;

    // Opens the port numbered portNumber (see PortDevice).
    bool Open(int portNumber, const std::string& settings);
    bool Open(const std::string& device, const std::string& settings) override;
    void Close() override;
    bool IsOpen() const override { return fd_ >= 0; }
    void Send(const uint8_t* bytes, int count) override;
    int Read(uint8_t* dest, int count) override;
    int InputWaiting() override;
    int OutputWaiting() override;
    int Pending() override;
    bool WriteFailed() const override { return writeFailed_; }
    int LastError() const override { return lastError_; }

    // The device last opened (or tried), its port number (0 when opened by path) and the settings
    // in force.
    const std::string& Device() const { return device_; }
    int PortNumber() const { return portNumber_; }
    const cmcLineSettings& Settings() const { return settings_; }
    // True when the open device is a pseudo-terminal (no modem lines, no exclusive mode).
    bool IsPseudoTerminal() const { return pseudoTerminal_; }

    // The device port n (from 1) stands for (cmcPortList); empty when there is no such port.
    static std::string PortDevice(int portNumber);
    // Largest single write and the transmit pump's chunk size.
    static constexpr int kOutputQueueSize = 1024;

private:
    void Pump();
    void StopPump();
    bool Configure();

    int fd_ = -1;
    int portNumber_ = 0;
    std::string device_;
    bool pseudoTerminal_ = false;
    bool exclusiveMode_ = false;
    bool writeFailed_ = false;
    int lastError_ = 0;
    cmcLineSettings settings_;
    cmcBuff transmit_;
    cmcTaskPtr pump_;
    // Runs while the device accepts nothing; its running out is a write failure.
    cmcTick stall_;
};

}  // namespace qx
