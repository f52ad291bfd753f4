#include "comm/cmcCloneDrv.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <cstdlib>

namespace qx {
namespace {

constexpr uint8_t kFrameStart = 0xFE;
constexpr uint8_t kFrameEnd = 0xFD;
constexpr uint8_t kAck = 0xFB;
constexpr uint8_t kRefusal = 0xFA;
constexpr uint8_t kCmdIdentReply = 0xE1;
constexpr uint8_t kCmdData = 0xE4;
constexpr uint8_t kCmdEnd = 0xE5;
constexpr const char kEndText[] = "Vexa Inc.";
constexpr int kEndTextLength = 9;
// Longest frame accepted from the radio (FE up to the byte before FD), and the frame buffer
// limits of the receiving states.
constexpr int kMaxFrame = 522;
constexpr int kMaxFrameBuffer = 521;
constexpr int kMaxExtractBuffer = 520;
constexpr int kMaxDiscard = 65535;
constexpr int kPassesPerStep = 8;

const char kHexDigits[] = "0123456789ABCDEF";

int HexDigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Received data frames carry uppercase digits only.
int UpperHexValue(uint8_t c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool IsPackedBcd(uint8_t b) { return (b >> 4) <= 9 && (b & 0x0F) <= 9; }

}  // namespace

std::vector<uint8_t> cmcCloneDrv::HexText(const std::string& text) {
    std::vector<uint8_t> bytes;
    int high = -1;
    for (char c : text) {
        int v = HexDigitValue(c);
        if (v < 0) continue;
        if (high < 0) {
            high = v;
        } else {
            bytes.push_back(static_cast<uint8_t>(high << 4 | v));
            high = -1;
        }
    }
    if (high >= 0) bytes.push_back(static_cast<uint8_t>(high << 4));
    return bytes;
}

cmcCloneDrv::cmcCloneDrv(std::unique_ptr<cmcSerialPort> port)
    : port_(port ? std::move(port) : std::make_unique<cmcComm>()), task_(cmcMakeTask()) {
    task_->SetCallback([this](cmcTask&) { Tick(); });
}

cmcCloneDrv::~cmcCloneDrv() {
    task_.reset();
    port_->Close();
}

void cmcCloneDrv::SetIdent(int word1, int word2) {
    word1_ = word1;
    word2_ = word2;
}

void cmcCloneDrv::SetImageSize(int size) { imageSize_ = size; }

void cmcCloneDrv::SetPort(int portNumber, const std::string& settings) {
    portNumber_ = portNumber;
    byDevice_ = false;
    portDevice_.clear();
    settings_ = settings;
}

void cmcCloneDrv::SetPortDevice(const std::string& device, const std::string& settings) {
    byDevice_ = true;
    portDevice_ = device;
    settings_ = settings;
}

void cmcCloneDrv::SetPreamble(int count) { preamble_ = std::max(0, count); }

void cmcCloneDrv::SetDataPreamble(int count) { dataPreambleFirst_ = dataPreambleLater_ = std::max(0, count); }

void cmcCloneDrv::SetScript(const std::string& script) { script_ = script; }

void cmcCloneDrv::SetEndCount(bool on) { endCount_ = on; }

void cmcCloneDrv::SetEchoCheck(bool on) { echoCheck_ = on; }

void cmcCloneDrv::SetStartAck(bool on) { startAck_ = on; }

void cmcCloneDrv::SetAckInterval(int interval, int offset) {
    if (interval > 0) ackInterval_ = interval;
    if (offset > 0) ackOffset_ = offset;
}

void cmcCloneDrv::SetTimeout(int ms) {
    if (ms > 0) defaultTimeout_ = ms;
}

void cmcCloneDrv::SetAckTimeout(int ms) {
    if (ms > 0) ackTimeout_ = ms;
}

void cmcCloneDrv::SetBlockSize(int bytes) { blockSize_ = std::clamp(bytes, 1, 254); }

bool cmcCloneDrv::Start(uint8_t mode, Callback callback) {
    callback_ = std::move(callback);
    mode_ = mode;
    state_ = S_Start;
    result_ = std::make_unique<dst_CDrv_Result>();
    result_->mode = mode;
    result_->code = CDRV_PortOpen;
    result_->word1 = word1_;
    result_->word2 = word2_;
    result_->image.Resize(std::max(0, imageSize_));
    frameCount_ = 0;
    imageCount_ = 0;
    settling_ = false;
    timeout_.Stop();
    receive_.Clear();
    frame_.Clear();
    echo_.Clear();
    task_->SetInterval(kStepIntervalMs);
    return true;
}

bool cmcCloneDrv::StartIdent(Callback callback) {
    if (IsBusy()) return false;
    ranges_.clear();
    haveRanges_ = false;
    copy_ = false;
    copyEarly_ = false;
    return Start(CDRV_ModeIdent, std::move(callback));
}

namespace {
std::vector<cmcRange> CopyRanges(const cmcRange* ranges) {
    std::vector<cmcRange> copy;
    if (!ranges) return copy;
    for (const cmcRange* r = ranges;; ++r) {
        copy.push_back(*r);
        if (r->last < r->first) break;
    }
    return copy;
}
}  // namespace

bool cmcCloneDrv::StartRead(const cmcRange* ranges, Callback callback) {
    if (IsBusy()) return false;
    ranges_ = CopyRanges(ranges);
    haveRanges_ = ranges != nullptr;
    copy_ = false;
    copyEarly_ = false;
    return Start(CDRV_ModeRead, std::move(callback));
}

bool cmcCloneDrv::StartCopyRead(const cmcRange* ranges, cmcCopyEnd end, Callback callback) {
    if (IsBusy()) return false;
    ranges_ = CopyRanges(ranges);
    if (ranges_.empty()) ranges_.push_back({1, 0});
    haveRanges_ = true;
    copy_ = true;
    copyEarly_ = end == CDRV_CopyUntilComplete;
    wanted_.assign(static_cast<size_t>((std::max(0, imageSize_) + 7) / 8), 0);
    missing_ = 0;
    for (const cmcRange& r : ranges_) {
        if (r.last < r.first) break;
        for (int a = std::max(0, r.first); a <= r.last && a < imageSize_; ++a) {
            uint8_t& byte = wanted_[static_cast<size_t>(a >> 3)];
            const uint8_t bit = static_cast<uint8_t>(1u << (a & 7));
            if (!(byte & bit)) ++missing_;
            byte |= bit;
        }
    }
    return Start(CDRV_ModeRead, std::move(callback));
}

bool cmcCloneDrv::StartWrite(const cmcEeprom& image, const cmcRange* ranges, Callback callback) {
    if (IsBusy()) return false;
    ranges_ = CopyRanges(ranges);
    if (ranges_.empty()) ranges_.push_back({1, 0});
    haveRanges_ = true;
    rangeIndex_ = 0;
    nextAddress_ = ranges_[0].first;
    bool started = Start(CDRV_ModeWrite, std::move(callback));
    result_->image.Assign(image);
    return started;
}

void cmcCloneDrv::SetCode(int code) {
    if (result_) result_->code = static_cast<uint8_t>(code);
}

uint32_t cmcCloneDrv::TimeoutFor(int state) const {
    switch (state) {
        case S_Script: return static_cast<uint32_t>(script_.empty() ? defaultTimeout_ : scriptTimeout_);
        case S_IdentReply: return static_cast<uint32_t>(identTimeout_);
        case S_StartAck: return static_cast<uint32_t>(ackTimeout_);
        case S_EndReply: return static_cast<uint32_t>(endReplyTimeout_);
        default: return static_cast<uint32_t>(defaultTimeout_);
    }
}

void cmcCloneDrv::Tick() {
    if (state_ == S_Idle) {
        task_->SetInterval(-1);
        return;
    }
    int before = state_;
    Step();
    // A wait that has just ended (an acknowledge, the last echo) goes on with the sending at once.
    bool sends = state_ == S_SendIdent || state_ == S_SendRead || state_ == S_SendWrite || state_ == S_SendData ||
                 state_ == S_SendEnd;
    if (state_ != before && sends && !settling_ && !port_->WriteFailed()) Step();
    if (state_ != S_Idle && port_->WriteFailed()) {
        SetCode(CDRV_PortWrite);
        state_ = S_Finish;
    }
    if (state_ == S_Finish) Finish();
}

bool cmcCloneDrv::Cancel() {
    if (state_ == S_Idle) return false;
    SetCode(CDRV_Cancelled);
    DiscardInput();
    Finish();
    return true;
}

void cmcCloneDrv::Finish() {
    port_->Close();
    state_ = S_Idle;
    settling_ = false;
    timeout_.Stop();
    receive_.Clear();
    frame_.Clear();
    echo_.Clear();
    script_.clear();
    task_->SetInterval(-1);
    // The driver is idle before the callback runs, so the callback may start the next operation
    // (which installs a new result and callback); nothing of this object is touched after it.
    std::unique_ptr<dst_CDrv_Result> result = std::move(result_);
    Callback callback = std::move(callback_);
    callback_ = nullptr;
    if (callback && result) callback(*result);
}

bool cmcCloneDrv::OpenPort(const std::string& settings) {
    std::string device = byDevice_ ? portDevice_ : cmcComm::PortDevice(portNumber_);
    // A port that stands for no device opens nothing: falling back to some other device would talk
    // to a radio (or anything else) the user did not choose.
    if (!device.empty() && port_->Open(device, settings)) return true;
    if (result_) {
        result_->portDevice = device;
        result_->portError = device.empty() ? ENODEV : port_->LastError();
    }
    return false;
}

// After an open the line needs 100 ms before it is used; the engine waits without blocking and
// runs no state step until the time has passed.
void cmcCloneDrv::BeginSettle() {
    settling_ = true;
    settle_.Start(kSettleMs);
    settleLimit_.Start(kMaxSettleMs);
}

int cmcCloneDrv::DiscardInput() {
    int dropped = 0;
    while (dropped < kMaxDiscard) {
        int n = port_->Read(readArea_, std::min(kReadChunk, kMaxDiscard - dropped));
        if (n <= 0) break;
        dropped += n;
    }
    // Whatever was received before the reopen belongs to the old line settings.
    receive_.Clear();
    return dropped;
}

void cmcCloneDrv::SendBytes(const uint8_t* bytes, int count) {
    if (count <= 0) return;
    port_->Send(bytes, count);
    echo_.Append(bytes, count);
}

int cmcCloneDrv::ReadPort() {
    int n = port_->Read(readArea_, kReadChunk);
    if (n > 0) receive_.Append(readArea_, n);
    return std::max(0, n);
}

void cmcCloneDrv::Step() {
    if (settling_) {
        if (settle_.Remaining() > 0) return;
        // The line is used once it is quiet: what still arrives belongs to no operation of ours.
        if (DiscardInput() > 0 && settleLimit_.Remaining() > 0) {
            settle_.Start(kQuietMs);
            return;
        }
        settling_ = false;
        timeout_.Start(TimeoutFor(state_));
        return;
    }

    bool timedOut = timeout_.Remaining() == 0;  // a timer never started counts as run out
    int next = state_ + 1;
    bool progress = true;
    bool stall = false;
    bool echoFailed = false;

    // Echo phase: every byte sent must come back from the single-wire cable unchanged.
    if (!echoCheck_) {
        echo_.Clear();
    } else if (state_ != S_Drain && echo_.Length() > 0) {
        progress = false;
        if (ReadPort() > 0) {
            while (receive_.Length() > 0 && echo_.Length() > 0) {
                if (*receive_.Data() != *echo_.Data()) {
                    next = S_Drain;
                    SetCode(CDRV_Echo);
                    echoFailed = true;
                    break;
                }
                receive_.Drop(1);
                echo_.Drop(1);
                progress = true;
            }
        }
        if (echo_.Length() == 0) echo_.Clear();
    }
    if (!echoFailed && echoCheck_ && state_ != S_Drain) {
        int limit = state_ == S_SendData ? kEchoWindow : 0;
        if (echo_.Length() > limit) {
            stall = true;
            next = state_;
        }
    }

    if (!stall && !echoFailed) {
        switch (state_) {
            case S_Start: break;
            case S_Script: StepScript(next, progress); break;
            case S_OpenOperating: StepOpenOperating(next); break;
            case S_SendIdent:
            case S_SendRead:
            case S_SendWrite: StepSendCommand(next); break;
            case S_IdentReply: StepIdentReply(next, progress); break;
            case S_Receive: StepReceive(next, progress); break;
            case S_StartAck:
            case S_Ack: StepAck(next, progress); break;
            case S_SendData: StepSendData(next, progress); break;
            case S_SendEnd: StepSendEnd(next); break;
            case S_EndReply: StepEndReply(next, progress); break;
            case S_Drain:
                progress = false;
                next = port_->Pending() > 0 ? S_Drain : S_Finish;
                break;
            default: next = S_Finish; break;
        }
    }

    if (next != state_) progress = true;
    if (settling_) {
        // The timeout starts when the wait after the open is over.
        timeout_.Stop();
    } else if (progress) {
        timeout_.Start(TimeoutFor(next));
    } else if (timedOut) {
        if (state_ == S_Drain) {
            // The outcome is known; a transmit side that does not drain must not hold it back.
            next = S_Finish;
        } else {
            // A write whose end reply never comes may have left the radio's memory incomplete:
            // that is reported as an unconfirmed write, not as a plain time-out.
            if (echoCheck_ && echo_.Length() > 0) SetCode(CDRV_Echo);
            else SetCode(state_ == S_EndReply ? CDRV_WriteNotConfirmed : CDRV_Timeout);
            next = S_Drain;
        }
    }
    state_ = next;
}

void cmcCloneDrv::StepScript(int& next, bool& progress) {
    progress = false;
    size_t consumed = 0;
    if (!script_.empty() && script_[0] == '(' && port_->Pending() > 0) {
        // Reopening would drop bytes not yet sent: wait until they have left.
        next = S_Script;
        return;
    }
    if (script_.empty()) {
        // nothing left to run
    } else if (script_[0] == '(') {
        port_->Close();
        size_t close = script_.find(')');
        std::string settings = script_.substr(1, close == std::string::npos ? std::string::npos : close - 1);
        consumed = settings.size() + 2;
        if (!OpenPort(settings)) {
            next = S_Drain;
            SetCode(CDRV_PortOpen);
            script_.clear();
        } else {
            BeginSettle();
        }
    } else {
        size_t open = script_.find('(');
        std::string segment = script_.substr(0, open);
        consumed = segment.size();
        SendBytes(HexText(segment));
        progress = true;
    }
    if (consumed == 0 || consumed >= script_.size())
        script_.clear();
    else
        script_.erase(0, consumed);
    // Stay until the script is done and everything has left the port. Waiting for the port alone
    // is no progress: a transmit side that never drains runs into the script's timeout.
    if (next != S_Drain && !script_.empty()) {
        next = S_Script;
        progress = true;
    } else if (next != S_Drain && port_->Pending() > 0) {
        next = S_Script;
    }
}

void cmcCloneDrv::StepOpenOperating(int& next) {
    port_->Close();
    if (!OpenPort(settings_)) {
        next = S_Drain;
        SetCode(CDRV_PortOpen);
        return;
    }
    BeginSettle();
    next = mode_ == CDRV_ModeIdent ? S_SendIdent : mode_ == CDRV_ModeRead ? S_SendRead : S_SendWrite;
}

void cmcCloneDrv::StepSendCommand(int& next) {
    const char* command = state_ == S_SendIdent ? "E0" : state_ == S_SendRead ? "E2" : "E3";
    char text[64];
    std::snprintf(text, sizeof text, "FEFE EE EF %s %04X %04X FD", command, word1_ & 0xFFFF, word2_ & 0xFFFF);
    std::vector<uint8_t> bytes(static_cast<size_t>(preamble_), kFrameStart);
    std::vector<uint8_t> frame = HexText(text);
    bytes.insert(bytes.end(), frame.begin(), frame.end());
    SendBytes(bytes);
    frame_.Clear();
    if (state_ == S_SendIdent)
        next = S_IdentReply;
    else if (state_ == S_SendRead)
        next = S_Receive;
    else
        next = startAck_ ? S_StartAck : S_SendData;
}

bool cmcCloneDrv::ExtractFrame(cmcBuff& extracted) {
    ReadPort();
    bool found = false;
    while (receive_.Length() > 0) {
        uint8_t b = static_cast<uint8_t>(receive_.TakeFront());
        if (b == kFrameStart) {
            frame_.Clear();
            frame_.Append(b);
        } else if (frame_.Length() == 0) {
            // outside a frame: dropped
        } else if (b == kFrameEnd) {
            extracted.Assign(frame_);
            frame_.Clear();
            found = true;
        } else if (frame_.Length() > kMaxExtractBuffer) {
            frame_.Clear();
            uint8_t zero = 0;
            extracted.Assign(&zero, 1);
            return true;
        } else {
            frame_.Append(b);
        }
    }
    return found;
}

void cmcCloneDrv::StepIdentReply(int& next, bool& progress) {
    progress = false;
    next = S_IdentReply;
    cmcBuff f;
    if (!ExtractFrame(f)) return;
    next = S_Drain;
    const uint8_t* d = f.Data();
    int n = f.Length();
    bool good = n >= 8 && d[0] == kFrameStart && d[1] == 0xEF && d[2] == 0xEE && d[3] == kCmdIdentReply &&
                IsPackedBcd(d[4]) && IsPackedBcd(d[5]) && IsPackedBcd(d[6]) && IsPackedBcd(d[7]);
    if (!good) {
        SetCode(CDRV_BadFrame);
        return;
    }
    result_->word1 = d[4] * 256 + d[5];
    result_->word2 = d[6] * 256 + d[7];
    result_->identData.Assign(d + 8, n - 8);
    SetCode(CDRV_Ok);
    progress = true;
}

void cmcCloneDrv::StepReceive(int& next, bool& progress) {
    progress = false;
    next = S_Receive;
    ReadPort();
    // Bytes left over from the echo phase count as arrived too.
    while (receive_.Length() > 0) {
        uint8_t b = static_cast<uint8_t>(receive_.TakeFront());
        if (b == kFrameStart) {
            frame_.Clear();
            frame_.Append(b);
        } else if (frame_.Length() == 0) {
            // outside a frame: dropped
        } else if (b == kFrameEnd) {
            int code = CheckDataFrame();
            frame_.Clear();
            if (code == CDRV_FrameAccepted) {
                ++frameCount_;
                progress = true;
                if (copy_ && copyEarly_ && missing_ == 0) {
                    // Everything asked for is in: the rest of the radio's data is not awaited.
                    DiscardInput();
                    SetCode(CDRV_Ok);
                    next = S_Drain;
                    return;
                }
                continue;
            }
            // A copy that ends once complete leaves the missing addresses to the received map.
            if (code == CDRV_Ok && haveRanges_ && !(copy_ && copyEarly_)) code = CheckCompleteness();
            SetCode(code);
            next = S_Drain;
            return;
        } else {
            frame_.Append(b);
            if (frame_.Length() > kMaxFrameBuffer) {
                SetCode(CDRV_BadFrame);
                next = S_Drain;
                return;
            }
        }
    }
}

int cmcCloneDrv::CheckDataFrame() {
    const uint8_t* f = frame_.Data();
    int length = frame_.Length();
    if (length < 12 || length > kMaxFrame || f[0] != kFrameStart || f[1] != 0xEF || f[2] != 0xEE)
        return CDRV_BadFrame;
    const uint8_t* body = f + 4;
    int bodyLength = length - 4;
    if (f[3] == kCmdData) {
        // Pairs of uppercase hexadecimal digits: address (2 bytes), count n, n data bytes, checksum.
        if (bodyLength % 2 != 0) return CDRV_BadFrame;
        int count = bodyLength / 2;
        uint8_t decoded[kMaxFrame / 2];
        unsigned sum = 0;
        for (int i = 0; i < count; ++i) {
            int hi = UpperHexValue(body[2 * i]);
            int lo = UpperHexValue(body[2 * i + 1]);
            if (hi < 0 || lo < 0) return CDRV_BadFrame;
            decoded[i] = static_cast<uint8_t>(hi << 4 | lo);
            sum += decoded[i];
        }
        int n = decoded[2];
        if (count != n + 4 || (sum & 0xFF) != 0) return CDRV_BadFrame;
        int address = decoded[0] * 256 + decoded[1];
        dst_CDrv_Result& r = *result_;
        for (int a = address; a < address + n; ++a)
            if (a < 0 || a >= imageSize_ || !r.image.IsValidAddress(a)) return CDRV_Address;
        if (n == 0) return CDRV_FrameAccepted;
        if (copy_) {
            // Only what was asked for is stored; the rest of the frame is passed over.
            for (int k = 0; k < n; ++k) {
                const int a = address + k;
                const uint8_t bit = static_cast<uint8_t>(1u << (a & 7));
                if (!(wanted_[static_cast<size_t>(a >> 3)] & bit)) continue;
                r.image.SetByte(a, decoded[3 + k]);
                if (r.receivedMap.Length() < (a >> 3) + 1) r.receivedMap.Resize((a >> 3) + 1);
                uint8_t& got = *r.receivedMap.At(a >> 3);
                if (!(got & bit)) {
                    --missing_;
                    ++imageCount_;
                }
                got |= bit;
            }
            return CDRV_FrameAccepted;
        }
        r.image.Write(address, decoded + 3, n);
        int mapBytes = (address + n + 7) / 8;
        if (r.receivedMap.Length() < mapBytes) r.receivedMap.Resize(mapBytes);
        for (int a = address; a < address + n; ++a) *r.receivedMap.At(a >> 3) |= static_cast<uint8_t>(1u << (a & 7));
        imageCount_ += n;
        return CDRV_FrameAccepted;
    }
    if (f[3] == kCmdEnd) {
        std::string expected = kEndText;
        if (endCount_) {
            char count[8];
            std::snprintf(count, sizeof count, "%02X", frameCount_ % 256);
            expected += count;
        }
        if (bodyLength != static_cast<int>(expected.size()) || std::memcmp(body, kEndText, kEndTextLength) != 0)
            return CDRV_BadFrame;
        if (std::memcmp(body, expected.data(), expected.size()) != 0) return CDRV_FrameCount;
        return CDRV_Ok;
    }
    return CDRV_BadFrame;
}

int cmcCloneDrv::CheckCompleteness() const {
    int mapBytes = (std::max(0, imageSize_) + 7) / 8;
    std::vector<uint8_t> expected(static_cast<size_t>(mapBytes), 0);
    for (const cmcRange& r : ranges_) {
        if (r.last < r.first) break;
        int first = std::max(0, r.first);
        int last = std::min(imageSize_ - 1, r.last);
        for (int a = first; a <= last; ++a) expected[static_cast<size_t>(a >> 3)] |= static_cast<uint8_t>(1u << (a & 7));
    }
    const dst_CDrv_Result& r = *result_;
    int received = r.receivedMap.Length();
    if (received > mapBytes) return CDRV_Address;
    bool missing = false;
    for (int i = 0; i < mapBytes; ++i) {
        uint8_t got = i < received ? r.receivedMap.Data()[i] : 0;
        if (got & ~expected[static_cast<size_t>(i)]) return CDRV_Address;
        if (got != expected[static_cast<size_t>(i)]) missing = true;
    }
    return missing ? CDRV_Incomplete : CDRV_Ok;
}

void cmcCloneDrv::StepAck(int& next, bool& progress) {
    progress = false;
    next = state_;
    // Frames held back by the flow rule go out before the wait: the radio acknowledges only
    // after it has received them.
    if (state_ == S_Ack && frame_.Length() > 0) {
        if (FlushFrames()) progress = true;
        return;
    }
    ReadPort();
    int b = receive_.TakeFront();
    if (b == kAck) {
        next = S_SendData;
    } else if (b == kRefusal) {
        next = S_Drain;
        SetCode(CDRV_BadFrame);
    }
}

bool cmcCloneDrv::FlushFrames() {
    int length = frame_.Length();
    if (length == 0 || port_->Pending() > 4 * length) return false;
    SendBytes(frame_.Data(), length);
    frame_.Clear();
    return true;
}

void cmcCloneDrv::BuildDataFrame(int address, int count) {
    int preamble = frameCount_ == 0 ? dataPreambleFirst_ : dataPreambleLater_;
    frame_.AppendFill(kFrameStart, preamble);
    static const uint8_t kHead[] = {0xFE, 0xFE, 0xEE, 0xEF, kCmdData};
    frame_.Append(kHead, sizeof kHead);
    char text[8];
    std::snprintf(text, sizeof text, "%04X%02X", address & 0xFFFF, count & 0xFF);
    frame_.Append(text, 6);
    unsigned sum = (address >> 8) + (address & 0xFF) + count;
    for (int i = 0; i < count; ++i) {
        uint8_t v = result_->image.GetByte(address + i);
        sum += v;
        frame_.Append(static_cast<uint8_t>(kHexDigits[v >> 4]));
        frame_.Append(static_cast<uint8_t>(kHexDigits[v & 0x0F]));
    }
    uint8_t check = static_cast<uint8_t>(-static_cast<int>(sum & 0xFF));
    frame_.Append(static_cast<uint8_t>(kHexDigits[check >> 4]));
    frame_.Append(static_cast<uint8_t>(kHexDigits[check & 0x0F]));
    frame_.Append(kFrameEnd);
}

void cmcCloneDrv::StepSendData(int& next, bool& progress) {
    progress = false;
    next = S_SendData;
    for (int pass = 0; pass < kPassesPerStep; ++pass) {
        const cmcRange& range = ranges_[rangeIndex_];
        if (range.last < range.first) {
            // All frames built: send what is held, then the end frame once everything has left.
            if (frame_.Length() > 0) {
                if (FlushFrames()) progress = true;
            } else if (port_->Pending() == 0) {
                next = S_SendEnd;
            }
            return;
        }
        if (nextAddress_ > range.last) {
            ++rangeIndex_;
            if (ranges_[rangeIndex_].last >= ranges_[rangeIndex_].first) nextAddress_ = ranges_[rangeIndex_].first;
        } else {
            int n = blockSize_ - nextAddress_ % blockSize_;
            n = std::min(n, range.last - nextAddress_ + 1);
            int imageSize = std::min(imageSize_, result_->image.GetSize());
            if (nextAddress_ < 0 || nextAddress_ + n > imageSize || nextAddress_ + n - 1 > 0xFFFF) {
                SetCode(CDRV_Address);
                next = S_Drain;
                return;
            }
            BuildDataFrame(nextAddress_, n);
            ++frameCount_;
            nextAddress_ += n;
            imageCount_ += n;
        }
        int length = frame_.Length();
        bool endStep = length == 0 || port_->Pending() > 4 * length;
        if (!endStep) {
            SendBytes(frame_.Data(), length);
            frame_.Clear();
            progress = true;
        }
        const cmcRange& current = ranges_[rangeIndex_];
        if (current.last >= current.first && nextAddress_ != current.first && ackInterval_ != 0 &&
            nextAddress_ % ackInterval_ == ackOffset_) {
            next = S_Ack;
            return;
        }
        if (endStep) return;
    }
}

void cmcCloneDrv::StepSendEnd(int& next) {
    std::vector<uint8_t> bytes = HexText("FEFE EE EF E5 56 65 78 61 20 49 6E 63 2E");
    if (endCount_) {
        char count[8];
        std::snprintf(count, sizeof count, "%02X", frameCount_ % 256);
        bytes.push_back(static_cast<uint8_t>(count[0]));
        bytes.push_back(static_cast<uint8_t>(count[1]));
    }
    bytes.push_back(kFrameEnd);
    SendBytes(bytes);
    next = S_EndReply;
}

void cmcCloneDrv::StepEndReply(int& next, bool& progress) {
    progress = false;
    next = S_EndReply;
    cmcBuff f;
    if (!ExtractFrame(f)) return;
    static const uint8_t kSuccess[] = {0xFE, 0xEF, 0xEE, 0xE6, 0x00};
    bool ok = f.Length() == 5 && std::memcmp(f.Data(), kSuccess, 5) == 0;
    SetCode(ok ? CDRV_Ok : CDRV_WriteNotConfirmed);
    next = S_Drain;
}

}  // namespace qx
