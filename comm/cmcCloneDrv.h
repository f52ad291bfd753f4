// The clone driver: one clone operation at a time against a radio on the programming cable.
//
// An identification (the radio reports its identification words and 80 bytes of identification
// data), a read (the radio sends its EEPROM area, stored into an image) or a write (the driver sends
// the EEPROM area of an image). The driver runs a connection script, checks every byte the
// single-wire cable echoes back, builds and checks the frames of the clone protocol and reports the
// outcome in a dst_CDrv_Result. It is a state machine stepped by its own cmcTask on the
// user-interface thread: starting returns at once, the end arrives through the completion callback.
// The engine ticks every 2 ms, so that the line never idles long while the radio's acknowledge
// is awaited (a write waits for one every 128 bytes); a step that has just received what it waited
// for goes on with the next state's sending at once.
//
// Wire format: FE FE, destination, source, command, body, FD. The computer is EF, the radio EE.
// Image data travels as uppercase ASCII hexadecimal text, so bodies never hold FE or FD.
#pragma once

#include "comm/cmcBuff.h"
#include "comm/cmcComm.h"
#include "comm/cmcTask.h"
#include "comm/cmcTick.h"
#include "image/cmcEeprom.h"
#include "image/cmcQcfFile.h"  // cmcRange

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace qx {

// Result codes of a clone operation. The driver produces 0-10 and 17; the clone manager adds
// 11, 14, 15 and 16 from its checks of the identification and of the image read, and the clone
// write 18 when reading the radio back finds other data than was written and 19 when it refuses
// a radio of another model type. 20 is an operation stopped by the user (cmcCloneDrv::Cancel).
enum cmcCloneResult : int {
    CDRV_Ok = 0,
    CDRV_FrameAccepted = 1,    // internal: a data frame was stored; never ends an operation
    CDRV_PortOpen = 2,         // the port failed to open (also the value while running)
    CDRV_Echo = 4,             // an echoed byte differed, or echoes were missing at the timeout
    CDRV_Timeout = 5,          // no progress within the state's timeout
    CDRV_BadFrame = 6,         // bad header, length, characters or checksum; refusal; overflow
    CDRV_FrameCount = 7,       // the read's end frame counts other than the frames received
    CDRV_Incomplete = 8,       // the read ended with addresses of the range list missing
    CDRV_Address = 9,          // data outside the image or outside the range list
    CDRV_WriteNotConfirmed = 10,  // the write's end reply is missing or not a success
    CDRV_WrongRadio = 11,      // wrong identification word or identification data
    CDRV_NewerMap = 14,        // the radio's map revision (identification byte 35) is 7 or more
    CDRV_ImageRefused = 15,    // the image read fails the content check
    CDRV_ImageNewer = 16,      // the image read holds data newer than the program accepts
    CDRV_PortWrite = 17,       // the port stopped accepting bytes
    CDRV_VerifyMismatch = 18,  // the radio read back after a write differs from what was sent
    CDRV_OtherModel = 19,      // the radio is of another model type than the data to write
    CDRV_Cancelled = 20,       // the user stopped the operation
};

// Operation modes.
enum cmcCloneMode : uint8_t { CDRV_ModeIdent = 1, CDRV_ModeRead = 2, CDRV_ModeWrite = 3 };

// When a copy read (cmcCloneDrv::StartCopyRead) ends.
enum cmcCopyEnd : uint8_t {
    // At the radio's end frame; every address of the ranges must have come (else code 8).
    CDRV_CopyAtEnd = 0,
    // Successfully as soon as every address of the ranges has come: the rest of what the radio
    // sends is not awaited (the port is purged and closed; a read stopped early leaves the
    // radio's memory as it is, like a cable pulled during a read). An end frame that comes
    // first ends it successfully too; the received map then tells which addresses came.
    CDRV_CopyUntilComplete = 1,
};

// The outcome of one operation, handed to the completion callback and destroyed after it returns:
// a callback that needs the contents copies them.
struct dst_CDrv_Result {
    uint8_t mode = 0;
    uint8_t code = CDRV_PortOpen;
    int word1 = 0;  // the driver's identification words; the radio's after a good identification
    int word2 = 0;
    cmcBuff identData;   // the identification reply after the two words
    cmcEeprom image;     // the image read, or a copy of the image written
    cmcBuff receivedMap; // bit (a & 7) of byte (a >> 3) set when address a was stored by a frame
    // For code 2: the device that failed to open and the system's reason (errno).
    std::string portDevice;
    int portError = 0;
    // For code 18: the addresses that differ, as the message names them.
    std::string detail;
};

class cmcCloneDrv {
public:
    using Callback = std::function<void(dst_CDrv_Result& result)>;

    // Engine states.
    enum State : int {
        S_Idle = 0,
        S_Start = 2,
        S_Script = 3,
        S_OpenOperating = 4,
        S_SendIdent = 5,
        S_IdentReply = 6,
        S_SendRead = 7,
        S_Receive = 8,
        S_SendWrite = 9,
        S_StartAck = 10,
        S_SendData = 11,
        S_Ack = 12,
        S_SendEnd = 13,
        S_EndReply = 14,
        S_Drain = 15,
        S_Finish = 16,
    };

    static constexpr int kStepIntervalMs = 2;   // engine tick
    static constexpr int kSettleMs = 100;       // wait after each open before the line is used
    // Bytes still arriving after that wait (a radio sending the rest of a read that was ended
    // early) are dropped until the line has been quiet for kQuietMs, for at most kMaxSettleMs.
    static constexpr int kQuietMs = 20;
    static constexpr int kMaxSettleMs = 3000;
    static constexpr int kReadChunk = 256;      // bytes taken from the port per read call
    static constexpr int kEchoWindow = 128;     // sent bytes that may await their echo while sending data

    // Without a port the driver makes a cmcComm.
    explicit cmcCloneDrv(std::unique_ptr<cmcSerialPort> port = nullptr);
    ~cmcCloneDrv();
    cmcCloneDrv(const cmcCloneDrv&) = delete;
    cmcCloneDrv& operator=(const cmcCloneDrv&) = delete;

    // Configuration; takes effect for the next operation.
    void SetIdent(int word1, int word2);
    void SetImageSize(int size);
    // The port by number (cmcComm::PortDevice) or by device path, with the operating settings
    // used after the connection script. An empty device path stands for no device: the operation
    // then ends with CDRV_PortOpen without opening anything.
    void SetPort(int portNumber, const std::string& settings);
    void SetPortDevice(const std::string& device, const std::string& settings);
    void SetPreamble(int count);      // extra FE bytes before each command frame
    void SetDataPreamble(int count);  // extra FE bytes before each data frame of a write
    void SetScript(const std::string& script);
    void SetEndCount(bool on);
    void SetEchoCheck(bool on);
    void SetStartAck(bool on);
    void SetAckInterval(int interval, int offset);  // a value <= 0 keeps the current one
    void SetTimeout(int ms);                         // default timeout; <= 0 keeps it
    void SetAckTimeout(int ms);                      // write-request acknowledge timeout; <= 0 keeps it
    void SetBlockSize(int bytes);                    // data bytes per write frame, 1..254

    // Start an operation; false (and nothing happens) while one runs. The range list (read and
    // write) is an array ended by a pair whose last address is below its first; it is copied.
    bool StartIdent(Callback callback);
    bool StartRead(const cmcRange* ranges, Callback callback);
    // A copy of part of the radio (the backup and the read-back around a write). The read request
    // is the ordinary one: the radio sends its memory from address 0 up to its read end, in
    // address order. Only the addresses of the ranges are stored; data the radio sends outside
    // them (but inside the image) is passed over. `end` says when the copy is complete.
    bool StartCopyRead(const cmcRange* ranges, cmcCopyEnd end, Callback callback);
    bool StartWrite(const cmcEeprom& image, const cmcRange* ranges, Callback callback);
    bool IsBusy() const { return state_ != S_Idle; }
    // Stops the running operation at once: whatever waits on the line is dropped, the port is
    // closed and the completion callback is called with CDRV_Cancelled. A write stopped after its
    // first data frame leaves the radio with part of the data. False when nothing runs.
    bool Cancel();

    // Progress: image bytes stored (read) or built into frames (write), and data frames so far.
    int ImageCount() const { return imageCount_; }
    int FrameCount() const { return frameCount_; }
    int GetState() const { return state_; }
    int ImageSize() const { return imageSize_; }
    cmcSerialPort& Port() { return *port_; }

    // The hexadecimal text rule of command frames and connection scripts: every hexadecimal
    // digit is a nibble, everything else is skipped, nibbles pair up high first, and a final
    // unpaired nibble becomes the high nibble of a last byte.
    static std::vector<uint8_t> HexText(const std::string& text);

private:
    void Tick();
    void Step();
    void Finish();
    bool Start(uint8_t mode, Callback callback);
    bool OpenPort(const std::string& settings);
    void BeginSettle();
    int DiscardInput();  // returns the count of bytes dropped
    void SendBytes(const uint8_t* bytes, int count);
    void SendBytes(const std::vector<uint8_t>& bytes) { SendBytes(bytes.data(), static_cast<int>(bytes.size())); }
    int ReadPort();  // reads up to kReadChunk bytes into the receive buffer; returns the count
    uint32_t TimeoutFor(int state) const;
    void SetCode(int code);

    // State steps; each may change next and progress.
    void StepScript(int& next, bool& progress);
    void StepOpenOperating(int& next);
    void StepSendCommand(int& next);
    void StepIdentReply(int& next, bool& progress);
    void StepReceive(int& next, bool& progress);
    void StepAck(int& next, bool& progress);
    void StepSendData(int& next, bool& progress);
    void StepSendEnd(int& next);
    void StepEndReply(int& next, bool& progress);

    bool ExtractFrame(cmcBuff& frame);  // states 6 and 14: the last complete frame received
    int CheckDataFrame();               // state 8: the frame in frame_ (FE .. before FD)
    int CheckCompleteness() const;
    bool FlushFrames();                 // sends the held data frames when the flow rule allows
    void BuildDataFrame(int address, int count);

    std::unique_ptr<cmcSerialPort> port_;
    int word1_ = 0;
    int word2_ = 0;
    int imageSize_ = 1;
    int portNumber_ = 1;
    bool byDevice_ = false;   // portDevice_ is used (set by SetPortDevice), not portNumber_
    std::string portDevice_;
    std::string settings_ = "9600,n,8,1";
    int preamble_ = 0;
    int dataPreambleLater_ = 0;
    int dataPreambleFirst_ = 0;
    uint8_t mode_ = 0;
    bool endCount_ = true;
    bool echoCheck_ = false;
    bool startAck_ = false;
    int ackInterval_ = 0;
    int ackOffset_ = 0;
    int blockSize_ = 16;

    cmcBuff receive_;
    cmcBuff frame_;
    cmcBuff echo_;
    uint8_t readArea_[kReadChunk] = {};
    std::string script_;
    int frameCount_ = 0;
    int imageCount_ = 0;
    std::vector<cmcRange> ranges_;  // ended by its terminator; empty for an identification
    bool haveRanges_ = false;
    bool copy_ = false;             // a copy read: only addresses in wanted_ are stored
    bool copyEarly_ = false;        // the copy read ends once missing_ is 0 (CDRV_CopyUntilComplete)
    std::vector<uint8_t> wanted_;   // bit (a & 7) of byte (a >> 3): address a lies in a range
    int missing_ = 0;               // addresses of wanted_ not received yet
    size_t rangeIndex_ = 0;
    int nextAddress_ = 0;
    std::unique_ptr<dst_CDrv_Result> result_;
    Callback callback_;
    int state_ = S_Idle;
    cmcTick timeout_;
    bool settling_ = false;
    cmcTick settle_;
    cmcTick settleLimit_;

    int defaultTimeout_ = 1000;
    int scriptTimeout_ = 1000;
    int endReplyTimeout_ = 2000;
    int identTimeout_ = 1000;
    int ackTimeout_ = 1000;

    cmcTaskPtr task_;
};

}  // namespace qx
