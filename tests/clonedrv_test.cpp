// The clone engine and the clone manager over a scripted port: a fake line that echoes what is sent (or not) and a small
// radio that answers frames as the tests arrange. Time is stepped by hand.
#include "comm/cmcCloneDrv.h"
#include "comm/indCloneMan.h"
#include "comm/indWriteGuard.h"
#include "comm/cmcPortList.h"
#include "comm/indEnviron.h"
#include "defs/cmcGTex.h"
#include "support/cmcTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <deque>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace qx {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes B(const std::string& hex) { return cmcCloneDrv::HexText(hex); }
Bytes Ascii(const std::string& s) { return Bytes(s.begin(), s.end()); }
Bytes Cat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (auto& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

// What the engine sees of the line(). Everything is observable by the test after the port has
// moved into the driver.
struct Line {
    bool echo = true;
    std::function<uint8_t(uint8_t, size_t)> echoFilter;  // changes echoed bytes (index of byte sent)
    int failOpenNumber = -1;                               // the n-th open (from 0) fails
    int extraPending = 0;                                  // bytes that pretend to stay queued
    bool writeFails = false;
    std::vector<std::string> opens;  // settings of each successful open
    std::vector<std::string> devices;
    std::vector<size_t> sentAtOpen;  // sent.size() at each open
    Bytes sent;
    std::deque<uint8_t> input;
    bool isOpen = false;
    // Called after each Send with the bytes (after their echo was queued).
    std::function<void(const Bytes&)> radio;

    void Deliver(const Bytes& b) { input.insert(input.end(), b.begin(), b.end()); }
};

class FakePort final : public cmcSerialPort {
public:
    explicit FakePort(Line& line) : line_(line) {}
    bool Open(const std::string& device, const std::string& settings) override {
        if (line_.isOpen) return false;
        int number = static_cast<int>(line_.opens.size()) + failures_;
        if (number == line_.failOpenNumber) {
            ++failures_;
            error_ = 13;
            return false;
        }
        error_ = 0;
        line_.isOpen = true;
        line_.opens.push_back(settings);
        line_.devices.push_back(device);
        line_.sentAtOpen.push_back(line_.sent.size());
        return true;
    }
    void Close() override {
        line_.isOpen = false;
        failed_ = false;
    }
    bool IsOpen() const override { return line_.isOpen; }
    void Send(const uint8_t* bytes, int count) override {
        if (!line_.isOpen) return;
        Bytes b(bytes, bytes + count);
        for (size_t i = 0; i < b.size(); ++i) {
            size_t index = line_.sent.size();
            line_.sent.push_back(b[i]);
            if (line_.echo) line_.input.push_back(line_.echoFilter ? line_.echoFilter(b[i], index) : b[i]);
        }
        if (line_.writeFails) failed_ = true;
        if (line_.radio) line_.radio(b);
    }
    int Read(uint8_t* dest, int count) override {
        if (!line_.isOpen) return 0;
        int n = 0;
        while (n < count && !line_.input.empty()) {
            dest[n++] = line_.input.front();
            line_.input.pop_front();
        }
        return n;
    }
    int InputWaiting() override { return line_.isOpen ? static_cast<int>(line_.input.size()) : 0; }
    int OutputWaiting() override { return line_.isOpen ? line_.extraPending : 0; }
    int Pending() override { return OutputWaiting(); }
    bool WriteFailed() const override { return failed_; }
    int LastError() const override { return error_; }

private:
    Line& line_;
    int failures_ = 0;
    int error_ = 0;
    bool failed_ = false;
};

// A radio on the fake line: collects the computer's frames and answers them as arranged.
struct TestRadio {
    Line& line;
    Bytes identReply;                     // whole E1 frame to send on E0
    std::function<Bytes()> readStream;    // bytes to send on E2
    Bytes writeStart = {0xFB};            // answer to E3
    Bytes endReply = B("FEFE EF EE E6 00 FD");
    bool ackBlocks = true;                // FB after each data frame that ends a 128-byte block
    std::vector<std::pair<int, Bytes>> dataFrames;  // (address, data) of each E4 received
    Bytes endBody;
    Bytes readRequest;                    // the last E2 frame, FE .. before FD
    Bytes current;
    bool inFrame = false;
    int commandsSeen = 0;

    explicit TestRadio(Line& l) : line(l) {
        line.radio = [this](const Bytes& b) { Receive(b); };
    }
    void Receive(const Bytes& bytes) {
        for (uint8_t b : bytes) {
            if (b == 0xFE) {
                current.assign(1, 0xFE);
                inFrame = true;
            } else if (!inFrame) {
            } else if (b == 0xFD) {
                inFrame = false;
                Frame(current);
            } else {
                current.push_back(b);
            }
        }
    }
    void Frame(const Bytes& f) {
        if (f.size() < 4 || f[1] != 0xEE || f[2] != 0xEF) return;
        ++commandsSeen;
        switch (f[3]) {
            case 0xE0: line.Deliver(identReply); break;
            case 0xE2:
                readRequest = f;
                if (readStream) line.Deliver(readStream());
                break;
            case 0xE3: line.Deliver(writeStart); break;
            case 0xE4: {
                std::string body(f.begin() + 4, f.end());
                Bytes d = B(body);
                int address = d[0] * 256 + d[1];
                int n = d[2];
                dataFrames.push_back({address, Bytes(d.begin() + 3, d.begin() + 3 + n)});
                if (ackBlocks && (address + n) % 128 == 0) line.Deliver({0xFB});
                break;
            }
            case 0xE5:
                endBody.assign(f.begin() + 4, f.end());
                line.Deliver(endReply);
                break;
            default: break;
        }
    }
};

// Builds a data frame from the radio: FE FE EF EE E4 "AAAANN<data>CC" FD.
Bytes DataFrame(int address, const Bytes& data, int checksumDelta = 0) {
    char head[8];
    std::snprintf(head, sizeof head, "%04X%02X", address, static_cast<int>(data.size()));
    std::string body = head;
    unsigned sum = (address >> 8) + (address & 0xFF) + data.size();
    for (uint8_t v : data) {
        char h[4];
        std::snprintf(h, sizeof h, "%02X", v);
        body += h;
        sum += v;
    }
    char c[4];
    std::snprintf(c, sizeof c, "%02X", static_cast<uint8_t>(-static_cast<int>(sum) + checksumDelta));
    body += c;
    return Cat({B("FEFE EF EE E4"), Ascii(body), {0xFD}});
}

Bytes EndFrame(int count) {
    char c[4];
    std::snprintf(c, sizeof c, "%02X", count & 0xFF);
    return Cat({B("FEFE EF EE E5"), Ascii(std::string("Vexa Inc.") + c), {0xFD}});
}

// Frames of 16 bytes covering first..last (each byte = its address's low byte) and the end frame.
Bytes ReadStream(int first, int last, int countDelta = 0) {
    Bytes out;
    int frames = 0;
    for (int a = first; a <= last; a += 16) {
        Bytes d;
        for (int i = a; i < std::min(a + 16, last + 1); ++i) d.push_back(static_cast<uint8_t>(i));
        auto f = DataFrame(a, d);
        out.insert(out.end(), f.begin(), f.end());
        ++frames;
    }
    auto e = EndFrame(frames + countDelta);
    out.insert(out.end(), e.begin(), e.end());
    return out;
}

Bytes IdentReply(int word1, int word2, int dataLength = 80) {
    Bytes f = {0xFE, 0xFE, 0xEF, 0xEE, 0xE1, static_cast<uint8_t>(word1 >> 8), static_cast<uint8_t>(word1),
               static_cast<uint8_t>(word2 >> 8), static_cast<uint8_t>(word2)};
    for (int i = 0; i < dataLength; ++i) f.push_back(i == 0 ? 80 : static_cast<uint8_t>(0x20 + i % 64));
    f.push_back(0xFD);
    return f;
}

// The connection script the clone manager gives for word 0x6153 at normal speed.
const char* kScriptNormal =
    "(38400,N,8,1)FEFEFEFEFEFEFEFEFEFEFEFEFEFEFEFEFEFEFEFE EEEF E8 6153 0000 01 32 37 FD"
    "(9600,N,8,1)FEFE EEEF E8 6153 0000 55 30 30 FD"
    "(38400,N,8,1)FEFEFEFEFEFEFEFEFEFEFEFEFEFEFEFEFEFEFEFE EEEF E8 6153 0000 01 32 37 FD";

class CloneDrvTest : public ::testing::Test {
public:
    cmcScopedManualTime clock{1000};
    std::unique_ptr<Line> linePtr;
    std::unique_ptr<TestRadio> radioPtr;
    std::unique_ptr<cmcCloneDrv> drv;
    bool done = false;
    int code = -1;
    dst_CDrv_Result copy;

    Line& line() { return *linePtr; }
    TestRadio& radio() { return *radioPtr; }

    void SetUp() override { Reset(); }

    // A fresh line, radio and driver configured as the clone manager configures it.
    void Reset() {
        test::Messages().Clear();
        drv.reset();
        linePtr = std::make_unique<Line>();
        radioPtr = std::make_unique<TestRadio>(*linePtr);
        drv = std::make_unique<cmcCloneDrv>(std::make_unique<FakePort>(*linePtr));
        drv->SetIdent(0x6153, 0);
        drv->SetImageSize(0x200);
        drv->SetPortDevice("/dev/fake", "9600,n,8,1");
        drv->SetScript(kScriptNormal);
        drv->SetEchoCheck(true);
        drv->SetEndCount(true);
        drv->SetStartAck(true);
        drv->SetAckInterval(128, 0);
        drv->SetPreamble(12);
        radio().identReply = IdentReply(0x6153, 0x0012);
        done = false;
        code = -1;
    }

    cmcCloneDrv::Callback Done() {
        return [this](dst_CDrv_Result& r) {
            done = true;
            code = r.code;
            copy.mode = r.mode;
            copy.code = r.code;
            copy.word1 = r.word1;
            copy.word2 = r.word2;
            copy.identData = r.identData;
            copy.image = r.image;
            copy.receivedMap = r.receivedMap;
            copy.portError = r.portError;
            copy.portDevice = r.portDevice;
        };
    }

    // Steps time until the operation ends (or the limit passes); returns the ms it took.
    int RunToEnd(int limitMs = 60000) {
        int t = 0;
        while (!done && t < limitMs) {
            clock->Advance(1);
            ++t;
        }
        return t;
    }
};

TEST(CloneDrvHexText, Rule) {
    struct Case {
        const char* text;
        Bytes bytes;
    } cases[] = {
        {"FEFE EE EF E0 6153 0000 FD", {0xFE, 0xFE, 0xEE, 0xEF, 0xE0, 0x61, 0x53, 0x00, 0x00, 0xFD}},
        {"a b-C;d", {0xAB, 0xCD}},
        {"123", {0x12, 0x30}},  // a final unpaired nibble is the high nibble of a last byte
        {"xyz g", {}},
        {"", {}},
    };
    for (auto& c : cases) EXPECT_EQ(cmcCloneDrv::HexText(c.text), c.bytes) << c.text;
}

TEST_F(CloneDrvTest, IdentificationRunsTheScriptThenAsks) {
    ASSERT_TRUE(drv->StartIdent(Done()));
    EXPECT_FALSE(drv->StartIdent(Done())) << "a second start while busy is refused";
    int took = RunToEnd();
    ASSERT_TRUE(done);
    EXPECT_EQ(code, CDRV_Ok);
    EXPECT_FALSE(drv->IsBusy());
    EXPECT_FALSE(line().isOpen) << "the port is closed before the callback";

    // Three script opens and the operating open, each followed by 100 ms of quiet.
    std::vector<std::string> opens = {"38400,N,8,1", "9600,N,8,1", "38400,N,8,1", "9600,n,8,1"};
    EXPECT_EQ(line().opens, opens);
    EXPECT_EQ(line().devices[0], "/dev/fake");
    EXPECT_GE(took, 400);
    EXPECT_LT(took, 600);

    Bytes fe20(20, 0xFE);
    Bytes expected = Cat({fe20, B("EE EF E8 6153 0000 01 32 37 FD"), B("FEFE EE EF E8 6153 0000 55 30 30 FD"), fe20,
                          B("EE EF E8 6153 0000 01 32 37 FD"), Bytes(12, 0xFE), B("FEFE EE EF E0 6153 0000 FD")});
    EXPECT_EQ(line().sent, expected);
    // Nothing is sent on a line that was just opened: the segments start at the opens.
    EXPECT_EQ(line().sentAtOpen, (std::vector<size_t>{0, 31, 44, 75}));

    EXPECT_EQ(copy.word1, 0x6153);
    EXPECT_EQ(copy.word2, 0x0012);
    ASSERT_EQ(copy.identData.Length(), 80);
    EXPECT_EQ(copy.identData.Data()[0], 80);
    EXPECT_EQ(copy.mode, CDRV_ModeIdent);
}

TEST_F(CloneDrvTest, NoStepRunsDuringTheWaitAfterAnOpen) {
    ASSERT_TRUE(drv->StartIdent(Done()));
    // The first open happens on the second tick; for 100 ms after it nothing is sent.
    clock->Advance(25);
    ASSERT_EQ(line().opens.size(), 1u);
    clock->Advance(80);
    EXPECT_TRUE(line().sent.empty());
    clock->Advance(30);
    EXPECT_FALSE(line().sent.empty());
}

// A radio still sending the rest of a read that was ended early: nothing is sent until the line
// has been quiet, so the trickle is not taken for the echo, and the identification succeeds.
TEST_F(CloneDrvTest, BytesStillArrivingAfterTheWaitAreDroppedUntilTheLineIsQuiet) {
    ASSERT_TRUE(drv->StartIdent(Done()));
    size_t sentWhileArriving = 0;
    for (int t = 0; t < 400; ++t) {
        if (t % 5 == 0) line().Deliver({0x35, 0x41});
        clock->Advance(1);
        sentWhileArriving = line().sent.size();
    }
    EXPECT_EQ(sentWhileArriving, 0u);
    RunToEnd();
    EXPECT_EQ(code, CDRV_Ok);
}

TEST_F(CloneDrvTest, IdentificationReplyFaults) {
    struct Case {
        const char* what;
        std::function<void(CloneDrvTest&)> arrange;
        int code;
        int word1;  // expected result word 1 (-1: not checked)
    } cases[] = {
        {"word bytes not packed BCD", [](CloneDrvTest& t) { t.radio().identReply = IdentReply(0x61A3, 0); }, CDRV_BadFrame, 0x6153},
        {"a reply of 7 bytes", [](CloneDrvTest& t) { t.radio().identReply = B("FEFE EF EE E1 61 53 00 FD"); }, CDRV_BadFrame, -1},
        {"a frame of another command", [](CloneDrvTest& t) { t.radio().identReply = B("FEFE EF EE E6 61 53 00 00 FD"); }, CDRV_BadFrame, -1},
        {"two frames at once: the second counts",
         [](CloneDrvTest& t) { t.radio().identReply = Cat({B("FEFE EF EE E6 00 FD"), IdentReply(0x6152, 0x0001, 3)}); },
         CDRV_Ok, 0x6152},
        {"garbage before the reply is skipped",
         [](CloneDrvTest& t) { t.radio().identReply = Cat({B("00 11 41 FD 7F"), IdentReply(0x6153, 0)}); }, CDRV_Ok, 0x6153},
        {"no reply", [](CloneDrvTest& t) { t.radio().identReply = {}; }, CDRV_Timeout, -1},
        {"no echo", [](CloneDrvTest& t) { t.line().echo = false; }, CDRV_Echo, -1},
        {"a wrong echo",
         [](CloneDrvTest& t) { t.line().echoFilter = [](uint8_t b, size_t i) { return i == 25 ? uint8_t(b ^ 1) : b; }; },
         CDRV_Echo, -1},
        {"an overlong frame", [](CloneDrvTest& t) { t.radio().identReply = Cat({B("FE"), Bytes(600, 0x41), B("FD")}); },
         CDRV_BadFrame, -1},
    };
    for (auto& c : cases) {
        SCOPED_TRACE(c.what);
        Reset();
        c.arrange(*this);
        ASSERT_TRUE(drv->StartIdent(Done()));
        RunToEnd();
        ASSERT_TRUE(done);
        EXPECT_EQ(code, c.code);
        if (c.word1 >= 0) {
            EXPECT_EQ(copy.word1, c.word1);
        }
        EXPECT_FALSE(drv->IsBusy());
    }
}

TEST_F(CloneDrvTest, TimeoutsAreTheStates) {
    // Identification: 1000 ms after the request has been echoed.
    radio().identReply = {};
    ASSERT_TRUE(drv->StartIdent(Done()));
    int took = RunToEnd();
    EXPECT_EQ(code, CDRV_Timeout);
    EXPECT_GE(took, 1400);
    EXPECT_LT(took, 1600);
}

TEST_F(CloneDrvTest, PortThatFailsToOpen) {
    for (int failing : {0, 2, 3}) {
        SCOPED_TRACE(failing);
        Reset();
        line().failOpenNumber = failing;
        ASSERT_TRUE(drv->StartIdent(Done()));
        RunToEnd();
        EXPECT_EQ(code, CDRV_PortOpen);
        EXPECT_EQ(copy.portError, 13);
        EXPECT_EQ(copy.portDevice, "/dev/fake");
        EXPECT_EQ(static_cast<int>(line().opens.size()), failing) << "the rest of the script is dropped";
    }
}

TEST_F(CloneDrvTest, PortWriteFailure) {
    line().writeFails = true;
    ASSERT_TRUE(drv->StartIdent(Done()));
    RunToEnd();
    EXPECT_EQ(code, CDRV_PortWrite);
}

TEST_F(CloneDrvTest, ReadStoresTheFramesAndChecksCompleteness) {
    radio().readStream = [] { return ReadStream(0x000, 0x17F); };
    cmcRange ranges[] = {{0x000, 0x17F}, {1, 0}};
    ASSERT_TRUE(drv->StartRead(ranges, Done()));
    ranges[0].last = 0;  // the driver keeps its own copy
    RunToEnd();
    ASSERT_EQ(code, CDRV_Ok);
    EXPECT_EQ(copy.mode, CDRV_ModeRead);
    EXPECT_EQ(copy.image.GetSize(), 0x200);
    for (int a = 0; a < 0x200; ++a) ASSERT_EQ(copy.image.GetByte(a), a < 0x180 ? uint8_t(a) : 0) << a;
    ASSERT_EQ(copy.receivedMap.Length(), 0x180 / 8);
    EXPECT_EQ(copy.receivedMap.Data()[0], 0xFF);
    EXPECT_EQ(drv->ImageCount(), 0x180);
    EXPECT_EQ(drv->FrameCount(), 0x18);
    EXPECT_EQ(line().opens.back(), "9600,n,8,1");
}

TEST_F(CloneDrvTest, ReadFaults) {
    auto stream = [](std::initializer_list<Bytes> parts) { return [b = Cat(parts)] { return b; }; };
    Bytes good = DataFrame(0x00, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16});
    Bytes tail = DataFrame(0x10, Bytes(16, 0xAA));
    Bytes lowerFrame = Cat({B("FEFEEFEEE4"), Ascii("000002" "0a0b" "E9"), {0xFD}});
    struct Case {
        const char* what;
        std::function<Bytes()> radio;
        bool endCount;
        int code;
    } cases[] = {
        {"complete", stream({good, tail, EndFrame(2)}), true, CDRV_Ok},
        {"garbage between frames", stream({B("00 41"), good, B("13 37 FD"), tail, B("7F"), EndFrame(2)}), true, CDRV_Ok},
        {"a frame of odd length", stream({DataFrame(0, Bytes(15, 1)), DataFrame(15, Bytes(17, 2)), EndFrame(2)}), true, CDRV_Ok},
        {"a lowercase digit", stream({lowerFrame, EndFrame(1)}), true, CDRV_BadFrame},
        {"checksum sum 1", stream({DataFrame(0x00, Bytes(16, 7), 1), tail, EndFrame(2)}), true, CDRV_BadFrame},
        {"count byte not the length", stream({Cat({B("FEFEEFEEE4"), Ascii("0000030102FC"), {0xFD}})}), true, CDRV_BadFrame},
        {"frame too short", stream({B("FEFE EF EE E4 30 30 FD")}), true, CDRV_BadFrame},
        {"a frame from the computer's address", stream({B("FEFE EE EF E4 30303030303030 FD")}), true, CDRV_BadFrame},
        {"an unexpected command", stream({B("FEFE EF EE E1 30303030303030 FD")}), true, CDRV_BadFrame},
        {"an overlong frame", stream({Cat({B("FEFEEFEEE4"), Bytes(600, '0')})}), true, CDRV_BadFrame},
        {"end count one too low", stream({good, tail, EndFrame(1)}), true, CDRV_FrameCount},
        {"end count not compared when off", stream({good, tail, Cat({B("FEFE EF EE E5"), Ascii("Vexa Inc."), {0xFD}})}), false, CDRV_Ok},
        {"end text wrong", stream({good, tail, Cat({B("FEFE EF EE E5"), Ascii("Vexa Inx.02"), {0xFD}})}), true, CDRV_BadFrame},
        {"an address missing", stream({good, EndFrame(1)}), true, CDRV_Incomplete},
        {"an address beyond the range list", stream({good, tail, DataFrame(0x20, {9}), EndFrame(3)}), true, CDRV_Address},
        {"an address beyond the image", stream({good, DataFrame(0x1FF, {1, 2}), EndFrame(2)}), true, CDRV_Address},
        {"no end frame", stream({good, tail}), true, CDRV_Timeout},
    };
    for (auto& c : cases) {
        SCOPED_TRACE(c.what);
        Reset();
        radio().readStream = c.radio;
        drv->SetEndCount(c.endCount);
        cmcRange ranges[] = {{0x00, 0x1F}, {1, 0}};
        ASSERT_TRUE(drv->StartRead(ranges, Done()));
        RunToEnd();
        ASSERT_TRUE(done);
        EXPECT_EQ(code, c.code);
        if (std::string(c.what) == "an address beyond the image") {
            EXPECT_EQ(copy.image.GetByte(0x1FF), 0) << "not stored";
        }
    }
}

// Every read asks with the radio's own request, byte for byte: the two words and nothing else.
TEST_F(CloneDrvTest, EveryReadSendsTheOriginalReadRequest) {
    const cmcRange ranges[] = {{0x000, 0x1FF}, {1, 0}};
    const cmcRange written[] = {{0x100, 0x13F}, {1, 0}};
    const Bytes request = Cat({Bytes(12, 0xFE), B("FEFE EE EF E2 6153 0000 FD")});
    for (int kind = 0; kind < 3; ++kind) {
        SCOPED_TRACE(kind);
        Reset();
        radio().readStream = [] { return ReadStream(0x000, 0x1FF); };
        ASSERT_TRUE(kind == 0   ? drv->StartRead(ranges, Done())
                    : kind == 1 ? drv->StartCopyRead(written, CDRV_CopyAtEnd, Done())
                                : drv->StartCopyRead(written, CDRV_CopyUntilComplete, Done()));
        RunToEnd();
        ASSERT_EQ(code, CDRV_Ok);
        EXPECT_EQ(Bytes(line().sent.begin() + static_cast<long>(line().sentAtOpen.back()), line().sent.end()), request);
    }
}

// A copy read keeps only its ranges of what the radio sends from address 0. Until complete, it
// ends as soon as its last address is in; at the end frame, every address must have come.
TEST_F(CloneDrvTest, CopyReadKeepsItsRangesAndEndsAsAsked) {
    const cmcRange ranges[] = {{0x010, 0x01F}, {0x100, 0x13F}, {1, 0}};
    struct Case {
        const char* what;
        cmcCopyEnd end;
        int radioLast;  // the radio sends 0 to this address, then its end frame
        int code;
        int frames;     // data frames taken before the read ended
        bool complete;  // every address of the ranges came
    } cases[] = {
        {"until complete, whole memory", CDRV_CopyUntilComplete, 0x1FF, CDRV_Ok, 0x14, true},
        {"until complete, a shorter radio", CDRV_CopyUntilComplete, 0x12F, CDRV_Ok, 0x13, false},
        {"at the end, whole memory", CDRV_CopyAtEnd, 0x1FF, CDRV_Ok, 0x20, true},
        {"at the end, a shorter radio", CDRV_CopyAtEnd, 0x12F, CDRV_Incomplete, 0x13, false},
    };
    for (auto& c : cases) {
        SCOPED_TRACE(c.what);
        Reset();
        radio().readStream = [&c] { return ReadStream(0x000, c.radioLast); };
        ASSERT_TRUE(drv->StartCopyRead(ranges, c.end, Done()));
        RunToEnd();
        ASSERT_TRUE(done);
        EXPECT_EQ(code, c.code);
        EXPECT_EQ(drv->FrameCount(), c.frames);
        EXPECT_FALSE(line().isOpen);
        if (c.code != CDRV_Ok) continue;
        for (int a = 0; a < 0x200; ++a) {
            const bool asked = (a >= 0x010 && a <= 0x01F) || (a >= 0x100 && a <= 0x13F);
            const bool came = asked && a <= c.radioLast;
            ASSERT_EQ(copy.image.GetByte(a), came ? uint8_t(a) : 0) << a;
            ASSERT_EQ(a / 8 < copy.receivedMap.Length() && (copy.receivedMap.Data()[a / 8] >> (a & 7) & 1), came) << a;
        }
        EXPECT_EQ(drv->ImageCount(), c.complete ? 0x50 : 0x40);
    }
    // A read after a copy that ended early is a whole read again.
    Reset();
    radio().readStream = [] { return ReadStream(0x000, 0x1FF); };
    ASSERT_TRUE(drv->StartCopyRead(ranges, CDRV_CopyUntilComplete, Done()));
    RunToEnd();
    ASSERT_EQ(drv->FrameCount(), 0x14);
    line().input.clear();  // what the radio sent after the copy ended
    const cmcRange all[] = {{0x000, 0x1FF}, {1, 0}};
    done = false;
    ASSERT_TRUE(drv->StartRead(all, Done()));
    RunToEnd();
    EXPECT_EQ(code, CDRV_Ok);
    EXPECT_EQ(drv->FrameCount(), 0x20);
    // Data outside the image is refused in a copy too.
    Reset();
    radio().readStream = [] { return Cat({DataFrame(0x1FF, {1, 2}), EndFrame(1)}); };
    ASSERT_TRUE(drv->StartCopyRead(ranges, CDRV_CopyUntilComplete, Done()));
    RunToEnd();
    EXPECT_EQ(code, CDRV_Address);
}

TEST_F(CloneDrvTest, SlowSteadyReadDoesNotTimeOut) {
    // Frames every 900 ms against a 1000 ms timeout: each frame restarts it.
    radio().readStream = nullptr;
    cmcRange ranges[] = {{0x00, 0x3F}, {1, 0}};
    ASSERT_TRUE(drv->StartRead(ranges, Done()));
    // Let the request go out.
    while (drv->GetState() != cmcCloneDrv::S_Receive) clock->Advance(1);
    for (int a = 0; a < 0x40; a += 16) {
        clock->Advance(900);
        line().Deliver(DataFrame(a, Bytes(16, 3)));
    }
    clock->Advance(900);
    line().Deliver(EndFrame(4));
    RunToEnd();
    EXPECT_EQ(code, CDRV_Ok);
}

TEST_F(CloneDrvTest, WriteSendsBlocksAndWaitsForAcknowledges) {
    drv->SetTimeout(2000);
    drv->SetAckTimeout(20000);
    cmcEeprom image;
    image.Resize(0x200);
    for (int a = 0; a < 0x200; ++a) image.SetByte(a, static_cast<uint8_t>(a * 7));
    cmcRange ranges[] = {{0x100, 0x1FF}, {1, 0}};

    // Track the frames sent before each acknowledge went out.
    std::vector<size_t> framesAtAck;
    auto base = line().radio;
    line().radio = [&, base](const Bytes& b) {
        size_t before = line().input.size();
        base(b);
        if (line().input.size() > before && line().input.back() == 0xFB) framesAtAck.push_back(radio().dataFrames.size());
    };
    ASSERT_TRUE(drv->StartWrite(image, ranges, Done()));
    RunToEnd();
    ASSERT_EQ(code, CDRV_Ok);
    EXPECT_EQ(copy.mode, CDRV_ModeWrite);

    // A write request with the preamble, then frames of 16 bytes from 0x100 with the image's bytes.
    ASSERT_EQ(radio().dataFrames.size(), 16u);
    for (size_t i = 0; i < radio().dataFrames.size(); ++i) {
        EXPECT_EQ(radio().dataFrames[i].first, static_cast<int>(0x100 + 16 * i));
        ASSERT_EQ(radio().dataFrames[i].second.size(), 16u);
        EXPECT_EQ(radio().dataFrames[i].second[3], static_cast<uint8_t>((0x100 + 16 * i + 3) * 7));
    }
    // The start acknowledge, then one after the frames ending at 0x17F and 0x1FF.
    EXPECT_EQ(framesAtAck, (std::vector<size_t>{0, 8, 16}));
    EXPECT_EQ(radio().endBody, Ascii("Vexa Inc.10"));
    EXPECT_EQ(drv->ImageCount(), 0x100);
}

TEST_F(CloneDrvTest, WriteFramesRespectBlocksAndRanges) {
    cmcEeprom image;
    image.Resize(0x200);
    cmcRange ranges[] = {{0x105, 0x123}, {0x1F0, 0x1F2}, {1, 0}};
    radio().ackBlocks = false;
    drv->SetAckInterval(128, 0);
    ASSERT_TRUE(drv->StartWrite(image, ranges, Done()));
    RunToEnd();
    ASSERT_EQ(code, CDRV_Ok);
    std::vector<std::pair<int, size_t>> frames;
    for (auto& f : radio().dataFrames) frames.push_back({f.first, f.second.size()});
    EXPECT_EQ(frames, (std::vector<std::pair<int, size_t>>{{0x105, 11}, {0x110, 16}, {0x120, 4}, {0x1F0, 3}}));
    EXPECT_EQ(radio().endBody, Ascii("Vexa Inc.04"));
}

TEST_F(CloneDrvTest, WriteFaults) {
    struct Case {
        const char* what;
        std::function<void(CloneDrvTest&)> arrange;
        int code;
    } cases[] = {
        {"refusal of the write request", [](CloneDrvTest& t) { t.radio().writeStart = {0xFA}; }, CDRV_BadFrame},
        {"other bytes before the acknowledge are skipped", [](CloneDrvTest& t) { t.radio().writeStart = {0x00, 0x13, 0xFB}; }, CDRV_Ok},
        {"end reply with status 1", [](CloneDrvTest& t) { t.radio().endReply = B("FEFE EF EE E6 01 FD"); }, CDRV_WriteNotConfirmed},
        {"end reply of another command", [](CloneDrvTest& t) { t.radio().endReply = B("FEFE EF EE E5 00 FD"); }, CDRV_WriteNotConfirmed},
        {"no end reply", [](CloneDrvTest& t) { t.radio().endReply = {}; }, CDRV_WriteNotConfirmed},
        {"no block acknowledge", [](CloneDrvTest& t) { t.radio().ackBlocks = false; }, CDRV_Timeout},
    };
    for (auto& c : cases) {
        SCOPED_TRACE(c.what);
        Reset();
        c.arrange(*this);
        cmcEeprom image;
        image.Resize(0x200);
        cmcRange ranges[] = {{0x100, 0x1FF}, {1, 0}};
        ASSERT_TRUE(drv->StartWrite(image, ranges, Done()));
        RunToEnd();
        ASSERT_TRUE(done);
        EXPECT_EQ(code, c.code);
    }
}

TEST_F(CloneDrvTest, WriteBuildsNoFramesWhileMoreThan128BytesAwaitTheirEcho) {
    // Echoes arrive only when the test releases them; no acknowledges inside the range.
    line().echo = false;
    radio().ackBlocks = false;
    drv->SetAckInterval(1024, 0);
    // The radio's answers queue up behind the echoes of what it answers.
    std::deque<uint8_t> held;
    auto base = line().radio;
    line().radio = [&, base](const Bytes& b) {
        held.insert(held.end(), b.begin(), b.end());
        size_t before = line().input.size();
        base(b);
        held.insert(held.end(), line().input.begin() + static_cast<long>(before), line().input.end());
        line().input.resize(before);
    };
    auto release = [&](size_t n) {
        n = std::min(n, held.size());
        line().input.insert(line().input.end(), held.begin(), held.begin() + static_cast<long>(n));
        held.erase(held.begin(), held.begin() + static_cast<long>(n));
    };
    cmcEeprom image;
    image.Resize(0x200);
    cmcRange ranges[] = {{0x100, 0x1FF}, {1, 0}};
    ASSERT_TRUE(drv->StartWrite(image, ranges, Done()));
    while (drv->FrameCount() == 0 && !done) {
        release(held.size());
        clock->Advance(1);
    }
    // One step built eight frames of 46 bytes; their echoes are all outstanding.
    ASSERT_EQ(drv->FrameCount(), 8);
    ASSERT_EQ(held.size(), 8u * 46u);
    clock->Advance(200);
    EXPECT_EQ(drv->FrameCount(), 8);
    release(held.size() - 129);
    clock->Advance(50);
    EXPECT_EQ(drv->FrameCount(), 8) << "129 bytes outstanding";
    release(1);
    clock->Advance(20);
    EXPECT_EQ(drv->FrameCount(), 16) << "128 bytes outstanding";
    for (int t = 0; t < 60000 && !done; ++t) {
        release(held.size());
        clock->Advance(1);
    }
    EXPECT_EQ(code, CDRV_Ok);
}

TEST_F(CloneDrvTest, CallbackMayStartTheNextOperation) {
    cmcRange ranges[] = {{0x00, 0x0F}, {1, 0}};
    radio().readStream = [] { return ReadStream(0, 0x0F); };
    int second = -1;
    ASSERT_TRUE(drv->StartIdent([&](dst_CDrv_Result& r) {
        EXPECT_EQ(r.code, CDRV_Ok);
        EXPECT_FALSE(drv->IsBusy());
        drv->SetScript(kScriptNormal);
        EXPECT_TRUE(drv->StartRead(ranges, [&](dst_CDrv_Result& r2) {
            second = r2.code;
            done = true;
        }));
    }));
    RunToEnd();
    EXPECT_EQ(second, CDRV_Ok);
}

// Cancel in the middle of each kind of operation: the port is closed at once, the completion
// callback comes exactly once with the cancelled code, and nothing more goes to the radio.
TEST_F(CloneDrvTest, CancelEndsTheOperationCleanly) {
    struct Case {
        const char* name;
        uint8_t mode;
        std::function<bool()> midway;  // true once the operation is well under way
    } cases[] = {
        {"identification", CDRV_ModeIdent, [this] { return drv->GetState() == cmcCloneDrv::S_IdentReply; }},
        {"read", CDRV_ModeRead, [this] { return drv->ImageCount() > 0; }},
        {"write", CDRV_ModeWrite, [this] { return drv->FrameCount() > 0; }},
    };
    for (auto& c : cases) {
        SCOPED_TRACE(c.name);
        Reset();
        int calls = 0;
        auto recorded = Done();
        auto callback = [&](dst_CDrv_Result& r) {
            ++calls;
            EXPECT_FALSE(drv->IsBusy());
            recorded(r);
        };
        radio().readStream = [] { return ReadStream(0x000, 0x1FF); };
        cmcRange ranges[] = {{0x100, 0x1FF}, {1, 0}};
        cmcEeprom image;
        image.Resize(0x200);
        switch (c.mode) {
            case CDRV_ModeIdent: ASSERT_TRUE(drv->StartIdent(callback)); break;
            case CDRV_ModeRead: ASSERT_TRUE(drv->StartRead(ranges, callback)); break;
            default: ASSERT_TRUE(drv->StartWrite(image, ranges, callback)); break;
        }
        for (int t = 0; t < 5000 && !c.midway(); ++t) clock->Advance(1);
        ASSERT_TRUE(c.midway());
        ASSERT_TRUE(drv->IsBusy());
        const size_t sentBefore = line().sent.size();

        EXPECT_TRUE(drv->Cancel());
        EXPECT_EQ(calls, 1);
        EXPECT_EQ(code, CDRV_Cancelled);
        EXPECT_EQ(copy.mode, c.mode);
        EXPECT_FALSE(drv->IsBusy());
        EXPECT_FALSE(line().isOpen);
        EXPECT_FALSE(drv->Cancel());  // nothing runs any more

        clock->Advance(5000);
        EXPECT_EQ(calls, 1);
        EXPECT_EQ(line().sent.size(), sentBefore);
        if (c.mode == CDRV_ModeWrite) {
            EXPECT_LT(radio().dataFrames.size(), 16u);
        }
        EXPECT_TRUE(radio().endBody.empty());
    }
}

TEST_F(CloneDrvTest, ATransmitSideThatNeverDrainsEndsWithATimeout) {
    line().extraPending = 5;
    ASSERT_TRUE(drv->StartIdent(Done()));
    RunToEnd(10000);
    ASSERT_TRUE(done);
    EXPECT_EQ(code, CDRV_Timeout);
}

}  // namespace
}  // namespace qx

// ---------------------------------------------------------------------------------------------
// The clone manager over the same scripted line.

namespace qx {
namespace {

std::string NoSpaces(std::string s) {
    s.erase(std::remove(s.begin(), s.end(), ' '), s.end());
    return s;
}

TEST(CloneManConnection, ScriptsSpeedsAndPreambles) {
    auto normal = indCloneMan::BuildConnection(0x6153, false, false);
    EXPECT_EQ(normal.script, NoSpaces(kScriptNormal));
    EXPECT_EQ(normal.settings, "9600,N,8,1");
    EXPECT_EQ(normal.preamble, 12);

    std::string fe20 = "FEFEFEFEFEFEFEFEFEFEFEFEFEFEFEFEFEFEFEFE";
    auto high = indCloneMan::BuildConnection(0x6153, true, true);
    EXPECT_EQ(high.script, "(38400,N,8,1)" + fe20 + "EEEFE8615300000132" "37FD" +
                               "(9600,N,8,1)FEFEEEEFE86153000055" "3031FD" +
                               "(9600,N,8,1)" + fe20 + "EEEFE8615300000130" "39FD");
    EXPECT_EQ(high.settings, "38400,N,8,1");
    EXPECT_EQ(high.preamble, 48);
}

TEST(CloneManMessages, ComposedFromTheDefinitionFile) {
    OpenDefinitionFiles(test::BinDir() + "/");
    auto head = [](int code) { return GTex().Line("GI_Mess_CloneErr_Head", code); };
    auto check = [](std::initializer_list<int> lines) {
        std::string t;
        for (int l : lines) t += (t.empty() ? "" : "\n") + GTex().Line("GI_Mess_CloneErr_Check", l);
        return t;
    };
    EXPECT_EQ(indCloneMan::ErrorText(0), "");
    for (int code : {4, 5, 6, 7, 8, 9, 15, 17})
        EXPECT_EQ(indCloneMan::ErrorText(code), head(code) + "\n\n" + check({0, 1, 2, 3})) << code;
    EXPECT_EQ(indCloneMan::ErrorText(10), head(10) + "\n\n" + check({0, 2, 3}));
    EXPECT_EQ(indCloneMan::ErrorText(11), head(11) + "\n\n" + check({0, 1, 2, 3, 4, 5}));
    EXPECT_EQ(indCloneMan::ErrorText(14), head(14) + "\n\n" + check({0, 4, 5}));
    EXPECT_EQ(indCloneMan::ErrorText(16), head(16) + "\n\n");

    // The port head names the device and why it could not be opened; no format is taken from it.
    struct Case {
        std::string device;
        int error;
        const char* fragment;
    } cases[] = {
        {"/dev/ttyUSB0", ENOENT, "/dev/ttyUSB0 (no such device"},
        {"/dev/ttyUSB0", EACCES, "dialout"},
        {"/dev/ttyS0", EBUSY, "another program"},
        {"/dev/%s%n", EIO, "/dev/%s%n (Input/output error)"},
        {"", 0, "port 3, where no serial device is present"},
    };
    for (auto& c : cases) {
        std::string text = indCloneMan::ErrorText(CDRV_PortOpen, c.device, c.error, 3);
        EXPECT_NE(text.find(c.fragment), std::string::npos) << text;
        EXPECT_NE(text.find(check({0, 1, 2, 3})), std::string::npos);
    }
}

// The backup reads the union of the radio's read range and the written ranges.
TEST(WriteGuard, UnionOfRanges) {
    using R = std::vector<cmcRange>;
    struct Case {
        const char* what;
        R a, b, want;
    } cases[] = {
        {"the radio's end inside the write", {{0x0000, 0x010F}, {1, 0}}, {{0x0100, 0x12FF}, {1, 0}}, {{0x0000, 0x12FF}, {1, 0}}},
        {"the write inside the radio's range", {{0x0000, 0x7D7F}, {1, 0}}, {{0x0100, 0x12FF}, {1, 0}}, {{0x0000, 0x7D7F}, {1, 0}}},
        {"apart, out of order", {{0x2000, 0x20FF}, {1, 0}}, {{0x0100, 0x01FF}, {1, 0}}, {{0x0100, 0x01FF}, {0x2000, 0x20FF}, {1, 0}}},
        {"adjacent", {{0x0000, 0x00FF}, {1, 0}}, {{0x0100, 0x017F}, {1, 0}}, {{0x0000, 0x017F}, {1, 0}}},
        {"one list empty", {{1, 0}}, {{0x0100, 0x017F}, {1, 0}}, {{0x0100, 0x017F}, {1, 0}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const R got = indWriteGuard::Union(c.a.data(), c.b.data());
        ASSERT_EQ(got.size(), c.want.size());
        for (size_t i = 0; i < got.size(); ++i) {
            EXPECT_EQ(got[i].first, c.want[i].first) << i;
            EXPECT_EQ(got[i].last, c.want[i].last) << i;
        }
    }
}

// A written address that did not come back is not taken as checked.
// A write can be backed up only when the radio's read range holds every address it sends.
TEST(WriteGuard, FirstWrittenAddressTheRadioDoesNotSend) {
    using R = std::vector<cmcRange>;
    struct Case {
        const char* what;
        R covered, wanted;
        int first;
    } cases[] = {
        {"the radio's end before the write's", {{0x0000, 0x010F}, {1, 0}}, {{0x0100, 0x12FF}, {1, 0}}, 0x0110},
        {"the write inside the radio's range", {{0x0000, 0x7D7F}, {1, 0}}, {{0x0100, 0x12FF}, {1, 0}}, -1},
        {"covered by two adjacent ranges", {{0x0180, 0x12FF}, {0x0000, 0x017F}, {1, 0}}, {{0x0100, 0x12FF}, {1, 0}}, -1},
        {"a hole between ranges", {{0x0000, 0x01FF}, {0x0300, 0x7D7F}, {1, 0}}, {{0x0100, 0x12FF}, {1, 0}}, 0x0200},
        {"nothing covered", {{1, 0}}, {{0x0100, 0x017F}, {1, 0}}, 0x0100},
        {"nothing wanted", {{1, 0}}, {{1, 0}}, -1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(indWriteGuard::FirstUncovered(c.covered.data(), c.wanted.data()), c.first) << c.what;
}

TEST(WriteGuard, AnAddressNotReadBackCountsAsDiffering) {
    cmcEeprom sent, back;
    sent.Resize(0x40);
    back.Resize(0x40);
    sent.SetByte(0x11, 7);
    back.SetByte(0x11, 7);
    sent.SetByte(0x12, 9);  // differs
    const cmcRange ranges[] = {{0x10, 0x1F}, {1, 0}};
    uint8_t map[4] = {0, 0, 0xFF, 0x7F};  // 0x10-0x1E came back, 0x1F did not
    EXPECT_EQ(indWriteGuard::Differences(sent, back, ranges, map, 4), (std::vector<int>{0x12, 0x1F}));
    EXPECT_EQ(indWriteGuard::Differences(sent, back, ranges, map, 3), (std::vector<int>{0x12, 0x18, 0x19, 0x1A, 0x1B, 0x1C, 0x1D, 0x1E, 0x1F}));
}

TEST(CloneManProgress, FilledCells) {
    EXPECT_EQ(indCloneView::FilledCells(16064, 32128), 16);  // cells 0-15
    EXPECT_EQ(indCloneView::FilledCells(0, 32128), 0);
    EXPECT_EQ(indCloneView::FilledCells(32128, 32128), 33);
    EXPECT_EQ(indCloneView::FilledCells(31154, 32128), 31);
    EXPECT_EQ(indCloneView::FilledCells(5, 0), 0);
}

class RecordingView final : public indCloneView {
public:
    std::vector<std::string> calls;
    int lastDone = -1;
    int lastTotal = -1;
    void EnableMain(bool on) override { calls.push_back(on ? "enable" : "disable"); }
    void ShowCloning() override { calls.push_back("show"); }
    void HideCloning() override { calls.push_back("hide"); }
    void Progress(int done, int total) override {
        if (calls.empty() || calls.back() != "progress") calls.push_back("progress");
        lastDone = done;
        lastTotal = total;
    }
};

class CloneManTest : public ::testing::Test {
protected:
    cmcScopedManualTime clock{5000};
    Line line;
    TestRadio radio{line};
    indCloneMan man{std::make_unique<FakePort>(line)};
    RecordingView view;
    int code = -1;
    int messagesAtEnd = -1;

    void SetUp() override {
        OpenDefinitionFiles(test::BinDir() + "/");
        test::Messages().Clear();
        man.SetView(&view);
        man.SetPortDevice("/dev/fake");
        man.SetHighSpeed(0);
        man.SetIdent(0x6153, 0);
        man.SetImageSize(0x200);
        radio.identReply = IdentReply(0x6153, 0);
    }
    indCloneMan::Callback Done() {
        return [this](dst_CDrv_Result& r) {
            code = r.code;
            messagesAtEnd = static_cast<int>(test::Messages().messages().size());
        };
    }
    void RunToEnd() {
        for (int t = 0; t < 60000 && code < 0; ++t) clock->Advance(1);
    }
};

TEST_F(CloneManTest, WithoutHooksIdentificationAndReadFail) {
    ASSERT_TRUE(man.StartIdent(Done()));
    EXPECT_FALSE(man.StartIdent(Done()));
    RunToEnd();
    EXPECT_EQ(code, CDRV_WrongRadio);
    EXPECT_EQ(view.calls, (std::vector<std::string>{"disable", "show", "enable", "hide"}));
    // The message is shown once, before the completion callback.
    ASSERT_EQ(messagesAtEnd, 1);
    EXPECT_EQ(test::Messages().messages()[0].text, indCloneMan::ErrorText(CDRV_WrongRadio));
    EXPECT_EQ(test::Messages().messages()[0].icon, cmcMsgIcon::Error);

    code = -1;
    radio.readStream = [] { return ReadStream(0, 0x7F); };
    cmcRange ranges[] = {{0, 0x7F}, {1, 0}};
    ASSERT_TRUE(man.StartRead(ranges, Done()));
    RunToEnd();
    EXPECT_EQ(code, CDRV_Incomplete);
}

TEST_F(CloneManTest, ReadShowsProgressAndHooksDecide) {
    int hooked = 0;
    man.SetReadHook([&](dst_CDrv_Result& r) {
        ++hooked;
        EXPECT_EQ(r.code, CDRV_Ok);
        r.code = CDRV_ImageRefused;  // a hook may turn a good read into a refusal
    });
    radio.readStream = [] { return ReadStream(0, 0x1FF); };
    cmcRange ranges[] = {{0, 0xFF}, {0x100, 0x1FF}, {1, 0}};
    view.calls.clear();
    ASSERT_TRUE(man.StartRead(ranges, Done()));
    EXPECT_EQ(man.Total(), 0x200);
    RunToEnd();
    EXPECT_EQ(hooked, 1);
    EXPECT_EQ(code, CDRV_ImageRefused);
    EXPECT_EQ(view.calls, (std::vector<std::string>{"disable", "show", "progress", "enable", "hide"}));
    EXPECT_EQ(view.lastDone, 0x200);
    EXPECT_EQ(view.lastTotal, 0x200);
    EXPECT_EQ(test::Messages().messages().size(), 1u);
}

TEST_F(CloneManTest, APortNumberWithoutADeviceOpensNothing) {
    // One USB adapter: port 1 stands for it, port 5 for no device.
    std::string root = test::TempDir() + "/one-adapter";
    std::filesystem::create_directories(root + "/dev");
    std::filesystem::create_directories(root + "/sys/class/tty/ttyUSB0");
    std::filesystem::create_directories(root + "/sys/devices/usb1/1-1/1-1:1.0/ttyUSB0");
    std::filesystem::create_symlink(root + "/sys/devices/usb1/1-1/1-1:1.0/ttyUSB0",
                                    root + "/sys/class/tty/ttyUSB0/device");
    test::WriteFile(root + "/dev/ttyUSB0", "");
    cmcPortList::SetDefaultRoots(root + "/dev", root + "/sys");
    ASSERT_EQ(cmcPortList().DeviceForNumber(1), root + "/dev/ttyUSB0");
    indEnvironOptions options;
    options.persistent = false;
    indEnviron settings("", "", options);
    SetEnviron(&settings);
    settings.SelectPortNumber(5);

    man.SetPortDevice("");  // the device follows the settings
    man.SetIdentHook([](dst_CDrv_Result&) {});
    ASSERT_TRUE(man.StartIdent(Done()));
    RunToEnd();
    SetEnviron(nullptr);
    cmcPortList::SetDefaultRoots("", "");

    EXPECT_EQ(code, CDRV_PortOpen);
    EXPECT_TRUE(line.devices.empty());
    ASSERT_EQ(test::Messages().messages().size(), 1u);
    EXPECT_NE(test::Messages().messages()[0].text.find("port 5, where no serial device is present"), std::string::npos)
        << test::Messages().messages()[0].text;
}

TEST_F(CloneManTest, WriteWaitsLongForTheRadioToAcceptIt) {
    // The write request's acknowledge may take the radio up to 20 s.
    radio.writeStart = {};
    cmcEeprom image;
    image.Resize(0x200);
    cmcRange ranges[] = {{0x100, 0x17F}, {1, 0}};
    ASSERT_TRUE(man.StartWrite(image, ranges, Done()));
    int t = 0;
    for (; t < 60000 && code < 0; ++t) {
        clock->Advance(1);
        if (t == 15000) line.Deliver({0xFB});
    }
    EXPECT_EQ(code, CDRV_Ok);
    EXPECT_EQ(radio.dataFrames.size(), 8u);
}

// The view's Cancel reaches the manager: a read stops at once with its own message (no error
// head), a write only after the question, which answered Cancel lets the write finish.
TEST_F(CloneManTest, CancelFromTheViewStopsReadsAtOnceAndWritesAfterAsking) {
    const auto cancelled = [](int line) { return GTex().Line("GI_Mess_Clone_Cancelled", line); };
    radio.readStream = [] { return ReadStream(0, 0x1FF); };
    cmcRange readRanges[] = {{0, 0x1FF}, {1, 0}};
    man.SetReadHook([](dst_CDrv_Result&) {});
    ASSERT_TRUE(man.StartRead(readRanges, Done()));
    for (int t = 0; t < 5000 && man.Done() == 0; ++t) clock->Advance(1);
    view.calls.clear();
    view.RequestCancel();
    EXPECT_EQ(code, CDRV_Cancelled);
    EXPECT_FALSE(man.IsBusy());
    EXPECT_EQ(view.calls, (std::vector<std::string>{"progress", "enable", "hide"}));
    ASSERT_EQ(messagesAtEnd, 1);
    EXPECT_EQ(test::Messages().messages()[0].text, cancelled(indCloneMan::CN_NothingWritten));
    EXPECT_EQ(test::Messages().messages()[0].icon, cmcMsgIcon::Information);

    cmcEeprom image;
    image.Resize(0x200);
    cmcRange writeRanges[] = {{0x100, 0x1FF}, {1, 0}};
    for (unsigned answer : {unsigned(MB_Cancel), unsigned(MB_Ok)}) {
        SCOPED_TRACE(answer == MB_Ok ? "stop" : "go on");
        test::Messages().Clear();
        test::Messages().QueueAnswer(answer);
        radio.dataFrames.clear();
        code = -1;
        ASSERT_TRUE(man.StartWrite(image, writeRanges, Done()));
        for (int t = 0; t < 5000 && man.Driver().FrameCount() == 0; ++t) clock->Advance(1);
        view.RequestCancel();
        const auto& shown = test::Messages().messages();
        ASSERT_GE(shown.size(), 1u);
        EXPECT_EQ(shown[0].text, GTex().SectionText("GI_Mess_Confirm_CloneCancel"));
        EXPECT_EQ(shown[0].buttons, unsigned(MB_Ok | MB_Cancel | MB_DefaultCancel));
        if (answer == MB_Cancel) {
            EXPECT_TRUE(man.IsBusy());
            RunToEnd();
            EXPECT_EQ(code, CDRV_Ok);
            EXPECT_EQ(radio.dataFrames.size(), 16u);
            EXPECT_EQ(shown.size(), 1u);
        } else {
            EXPECT_EQ(code, CDRV_Cancelled);
            EXPECT_LT(radio.dataFrames.size(), 16u);
            ASSERT_EQ(shown.size(), 2u);
            EXPECT_EQ(shown[1].text, cancelled(indCloneMan::CN_WriteStopped));
            EXPECT_EQ(shown[1].icon, cmcMsgIcon::Warning);
        }
    }
    // Nothing running: nothing asked, nothing stopped.
    test::Messages().Clear();
    EXPECT_FALSE(man.RequestCancel());
    EXPECT_TRUE(test::Messages().messages().empty());
}

}  // namespace
}  // namespace qx
