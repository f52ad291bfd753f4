// The clone file reader and writer: header, map revision, data line and coverage rules, the error
// messages, the restore of the target image on every refusal, and a fuzz run over damaged files.
#include "defs/cmcGTex.h"
#include "image/cmcQcfFile.h"
#include "image/cmcQcfWriter.h"
#include "image/indFileChecks.h"
#include "support/cmcTestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <string>
#include <vector>

using namespace qx;

namespace {

// Definition texts that make every composed message recognisable.
const std::vector<std::string> kDefinitionLines = {
    "#GI_Sys_AppTitle", "Title",
    "#GI_Mess_FileErr_Headline", "Head",
    "#GI_Mess_FileErr_FileOpen", "E1",
    "#GI_Mess_FileErr_FileAccess", "E2",
    "#GI_Mess_FileErr_Model", "E3",
    "#GI_Mess_FileErr_Extra", "E4",
    "#GI_Mess_FileErr_MapRev", "E5",
    "#GI_Mess_FileErr_Format", "E6",
    "#GI_Mess_FileErr_Coverage", "E7",
    "#GI_Mess_FileErr_Data", "E8",
    "#GI_Mess_FileErr_Newer", "E9", "second line",
    "#GI_Mess_FileErr_TooLarge", "E10",
    "#End_Of_Ovl",
};

const cmcRange* Area() { return indEepromAreaRanges(); }

// An image whose EEPROM area holds a pattern.
cmcEeprom Source() {
    cmcEeprom e;
    e.Resize(kImageSize);
    for (int a = 0; a <= kEepromAreaEnd; ++a) e.SetByte(a, static_cast<uint8_t>((a * 31) ^ (a >> 8)));
    return e;
}

// A target image filled with a value no test file writes, so that any stray byte shows.
cmcEeprom Target() {
    cmcEeprom e;
    e.Resize(kImageSize);
    e.Fill(0xA5);
    return e;
}

std::string CompleteFile() {
    static const std::string text = [] {
        std::string t;
        cmcQcfWriter w;
        EXPECT_TRUE(w.Format(Source(), Area(), t)) << w.ErrorText();
        return t;
    }();
    return text;
}

std::string FilePath(const std::string& name) { return test::TempDir() + "/" + name; }

// A file of its own for each load (rewriting one file over and over is slow on some file systems),
// removed when it goes out of scope.
struct ScratchFile {
    explicit ScratchFile(const std::string& text) {
        static int serial = 0;
        path = test::WriteFile(FilePath("scratch-" + std::to_string(serial++) + ".qcf"), text);
    }
    ~ScratchFile() { std::filesystem::remove(path); }
    std::string path;
};

class QcfFile : public testing::Test {
protected:
    static void SetUpTestSuite() {
        store_ = new cmcGTex;
        store_->SetLineList(&kDefinitionLines);
        SetGTex(store_);
    }
    static void TearDownTestSuite() {
        SetGTex(nullptr);
        delete store_;
    }
    void SetUp() override { test::Messages().Clear(); }

    // Loads `text` as the initial file is read, into `target`.
    int Load(const std::string& text, const cmcRange* ranges, cmcEeprom& target) {
        ScratchFile file(text);
        cmcQcfFile reader;
        indPrepareCloneFileReader(reader, target);
        return reader.Load(file.path, ranges);
    }

    // Exactly the message of `code` was shown (none for 0).
    void ExpectMessageFor(int code) {
        const auto& m = test::Messages().messages();
        if (code == 0) {
            EXPECT_TRUE(m.empty()) << m.front().text;
            return;
        }
        ASSERT_EQ(m.size(), 1u);
        EXPECT_EQ(m[0].caption, "Title");
        EXPECT_EQ(m[0].text, cmcQcfFile::ErrorText(code));
        EXPECT_EQ(m[0].icon, cmcMsgIcon::Warning);
        EXPECT_EQ(m[0].buttons, static_cast<unsigned>(MB_Ok));
    }

    static cmcGTex* store_;
};
cmcGTex* QcfFile::store_ = nullptr;

std::string Repeat(const std::string& s, int n) {
    std::string r;
    for (int i = 0; i < n; ++i) r += s;
    return r;
}

}  // namespace

TEST_F(QcfFile, MessagesComposeHeadlineAndTheCodesText) {
    EXPECT_EQ(cmcQcfFile::ErrorText(3), "Head\n\nE3");
    EXPECT_EQ(cmcQcfFile::ErrorText(9), "Head\n\nE9\nsecond line");
    for (int code = 1; code <= 10; ++code) {
        test::Messages().Clear();
        cmcQcfFile::ShowError(code);
        EXPECT_EQ(test::Messages().messages().at(0).text, "Head\n\nE" + std::to_string(code) +
                                                           (code == 9 ? "\nsecond line" : ""));
        EXPECT_EQ(std::string(cmcQcfFile::ErrorKey(code)).rfind("GI_Mess_FileErr_", 0), 0u);
    }
    EXPECT_STREQ(cmcQcfFile::ErrorKey(6), "GI_Mess_FileErr_Format");
    test::Messages().Clear();
    for (int code : {0, -1, 11}) {
        cmcQcfFile::ShowError(code);
        EXPECT_STREQ(cmcQcfFile::ErrorKey(code), "");
    }
    EXPECT_TRUE(test::Messages().messages().empty());
}

TEST_F(QcfFile, CompleteFileLoadsAsWritten) {
    for (const char* header : {"61530000", "61530100"}) {
        test::Messages().Clear();
        std::string text = CompleteFile();
        text.replace(0, 8, header);
        cmcEeprom target = Target();
        ASSERT_EQ(Load(text, Area(), target), 0) << header;
        ExpectMessageFor(0);
        const cmcEeprom source = Source();
        for (int a = 0; a <= kEepromAreaEnd; ++a) ASSERT_EQ(target.GetByte(a), source.GetByte(a)) << a;
        EXPECT_EQ(target.GetByte(kWorkAreaStart), 0xA5);  // the work area is not part of a file
        EXPECT_EQ(target.GetByte(kImageSize - 1), 0xA5);
    }
}

// Each file is loaded into a filled target; a refusal must leave it as it was and show one message.
TEST_F(QcfFile, LineRulesAndTheirErrorCodes) {
    const std::string head = "61530000\n#MapRev=6\n";
    const std::string full = "0000FF" + Repeat("5A", 255);  // 516 characters
    struct Case {
        const char* name;
        std::string text;
        bool ranges;
        int code;
    };
    const Case cases[] = {
        {"empty file", "", false, 6},
        {"header only", "61530000\n", false, 0},
        {"header only, coverage required", "61530000\n", true, 7},
        {"letter in header", "6153000A\n", false, 6},
        {"other model", "61540000\n", false, 3},
        {"extra 0001", "61530001\n", false, 4},
        {"header of 7 digits", "6153000\n#MapRev=6\n", false, 6},
        {"header of 9 digits", "615300000\n", false, 6},
        {"header without line break", "61530000", false, 6},
        {"windows line ends", "61530000\r\n#MapRev=6\r\n000001AB\r\n", false, 0},
        {"map revision after the first data line", "61530000\n000001AB\n#MapRev=6\n", false, 5},
        {"no map revision", "61530000\n#Comment=x\n000001AB\n", false, 5},
        {"map revision 06", "61530000\n#MapRev=06\n000001AB\n", false, 0},
        {"map revision without number", "61530000\n#MapRev=\n000001AB\n", false, 5},
        {"map revision 7", "61530000\n#MapRev=7\n000001AB\n", false, 5},
        {"a later map revision replaces", "61530000\n#MapRev=7\n#MapRev=6\n000001AB\n", false, 0},
        {"comment that mentions MapRev=", head + "#Comment=was MapRev=5\n000001AB\n", false, 0},
        {"lower case digits", head + "7d7f01ab\n", false, 0},
        {"one byte at 7D7F", head + "7D7F01AB\n", false, 0},
        {"count FF, 516 characters", head + full + "\n", false, 0},
        {"count FF, one byte more", head + full + "5A\n", false, 6},
        {"count 00", head + "000000\n", false, 6},
        {"line of 7 characters", head + "0000010\n", false, 6},
        {"length does not match the count", head + "00000301AB\n", false, 6},
        {"not a hexadecimal digit", head + "000001AG\n", false, 6},
        {"NUL inside a line", head + std::string("000001A\0B\n", 10), false, 6},
        {"empty line", head + "000001AB\n\n", false, 6},
        {"last line without line break", head + "000001AB\n000101CD", false, 6},
        {"line past the end of the image", head + "000001AB\nA65002AABB\n", false, 8},
        {"address beyond the image", head + "000001AB\nFFFF01AA\n", false, 8},
        {"a line missing", CompleteFile().substr(0, CompleteFile().size() - 6 - 64 - 1), true, 7},
        {"two bytes at 7D7F", CompleteFile() + "7D7F02AABB\n", true, 8},
        {"a byte in the work area", CompleteFile() + "800001AB\n", true, 8},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::Messages().Clear();
        cmcEeprom target = Target();
        const int code = Load(c.text, c.ranges ? Area() : nullptr, target);
        EXPECT_EQ(code, c.code);
        ExpectMessageFor(c.code);
        if (c.code != 0) {
            EXPECT_TRUE(target.Equals(Target()));
        }
    }
}

TEST_F(QcfFile, DataLinesStoreInFileOrderAndTheLaterWins) {
    cmcEeprom target = Target();
    ASSERT_EQ(Load(CompleteFile() + "001002EEFF\n0011014D\n", Area(), target), 0);
    EXPECT_EQ(target.GetByte(0x10), 0xEE);
    EXPECT_EQ(target.GetByte(0x11), 0x4D);
    EXPECT_EQ(target.GetByte(0x12), Source().GetByte(0x12));

    cmcEeprom t2 = Target();
    ASSERT_EQ(Load("61530000\n#MapRev=6\n7D7F01ab\n0000FF" + Repeat("5A", 255) + "\n", nullptr, t2), 0);
    EXPECT_EQ(t2.GetByte(0x7D7F), 0xAB);
    EXPECT_EQ(t2.GetByte(254), 0x5A);
    EXPECT_EQ(t2.GetByte(255), 0xA5);
}

TEST_F(QcfFile, RefusalRestoresBytesStoredBeforeTheFault) {
    // The first lines are stored before the faulty one is met; all of them must be undone.
    for (const std::string& tail : {std::string("A65002AABB\n"), std::string("12\n")}) {
        test::Messages().Clear();
        cmcEeprom target = Target();
        EXPECT_NE(Load(CompleteFile() + tail, Area(), target), 0);
        EXPECT_TRUE(target.Equals(Target()));
    }
}

TEST_F(QcfFile, LongCommentIsSkippedWhole) {
    // A comment far longer than any data line, whose tail looks like a data line.
    const std::string comment = "#" + std::string(766, 'x') + "000001AB\n";
    cmcEeprom target = Target();
    cmcQcfFile file;
    indPrepareCloneFileReader(file, target);
    const std::string path = test::WriteFile(FilePath("comment.qcf"), "61530000\n#MapRev=6\n" + comment);
    EXPECT_EQ(file.Load(path), 0);
    EXPECT_FALSE(file.WasLoaded(0));
    EXPECT_EQ(target.GetByte(0), 0xA5);
    // The same length as a data line is too long.
    EXPECT_EQ(Load("61530000\n#MapRev=6\n0000FF" + Repeat("00", 380) + "\n", nullptr, target), 6);
}

TEST_F(QcfFile, FileLargerThanAnyCloneFileIsRefusedWithoutReadingItWhole) {
    // A complete file followed by comments past the limit: refused by its size before reading;
    // an endless device, whose size is unknown, by what was read (a header line that never ends).
    const std::string padding = "#" + std::string(99, 'x') + "\n";
    std::string big = CompleteFile();
    while (big.size() <= static_cast<size_t>(kMaxCloneFileBytes)) big += padding;
    cmcEeprom target = Target();
    EXPECT_EQ(Load(big, Area(), target), QCF_TooLarge);
    ExpectMessageFor(QCF_TooLarge);
    EXPECT_TRUE(target.Equals(Target()));
    // Just below the limit the comments are read and skipped.
    test::Messages().Clear();
    EXPECT_EQ(Load(big.substr(0, big.size() - 2 * padding.size()), Area(), target), 0);
    test::Messages().Clear();
    cmcQcfFile file;
    indPrepareCloneFileReader(file, target);
    EXPECT_EQ(file.Load("/dev/zero", Area()), QCF_TooLarge);
}

TEST_F(QcfFile, FileThatCannotBeOpened) {
    for (const std::string& path : {FilePath("no-such-file.qcf"), test::TempDir()}) {
        test::Messages().Clear();
        cmcEeprom target = Target();
        cmcQcfFile file;
        indPrepareCloneFileReader(file, target);
        EXPECT_EQ(file.Load(path, Area()), 1) << path;
        ExpectMessageFor(1);
        EXPECT_TRUE(target.Equals(Target()));
    }
}

TEST_F(QcfFile, ExpectedValuesAndCallbacks) {
    const std::string path = test::WriteFile(FilePath("plain.qcf"), "61530100\n#MapRev=3\n000001AB\n");
    cmcEeprom target = Target();
    cmcQcfFile file;
    file.AttachImage(target);

    // Without a header check the expected values decide; without a map revision check every
    // revision is refused unless the check is switched off.
    file.SetExpectedModel(0x6153);
    EXPECT_EQ(file.Load(path), 4);
    file.SetExpectedExtra(0x0100);
    EXPECT_EQ(file.Load(path), 5);
    EXPECT_EQ(file.MapRevision(), 3);
    file.SetCheckMapRevision(false);
    EXPECT_EQ(file.Load(path), 0);
    file.SetCheckMapRevision(true);
    int seen = -2;
    file.SetMapRevisionCheck([&](int rev) { seen = rev; return true; });
    EXPECT_EQ(file.Load(path), 0);
    EXPECT_EQ(seen, 3);

    // A header check that refuses decides the code; a refusal never reads as success.
    struct Case {
        int written;
        int code;
    };
    for (Case c : {Case{4, 4}, Case{9, 9}, Case{0, 3}, Case{-7, 3}, Case{42, 3}}) {
        file.SetHeaderCheck([&](int model, int extra, int& code) {
            EXPECT_EQ(model, 0x6153);
            EXPECT_EQ(extra, 0x0100);
            code = c.written;
            return false;
        });
        EXPECT_EQ(file.Load(path), c.code) << c.written;
    }
    file.SetHeaderCheck([](int, int, int&) { return false; });
    EXPECT_EQ(file.Load(path), 3);
    EXPECT_EQ(target.GetByte(0), 0xAB);  // from the loads that were accepted
    EXPECT_EQ(target.GetByte(1), 0xA5);
}

TEST_F(QcfFile, MapRevisionOfAnEarlierLoadDoesNotCarryOver) {
    cmcEeprom target = Target();
    cmcQcfFile file;
    indPrepareCloneFileReader(file, target);
    EXPECT_EQ(file.Load(test::WriteFile(FilePath("a.qcf"), "61530000\n#MapRev=6\n000001AB\n")), 0);
    EXPECT_EQ(file.MapRevision(), 6);
    EXPECT_EQ(file.Load(test::WriteFile(FilePath("b.qcf"), "61530000\n000001CD\n")), 5);
    EXPECT_EQ(file.MapRevision(), -1);
    EXPECT_EQ(target.GetByte(0), 0xAB);
}

TEST_F(QcfFile, CoverageCheckOnItsOwn) {
    cmcEeprom target = Target();
    cmcQcfFile file;
    EXPECT_EQ(file.CheckCoverage(Area()), 7);  // nothing attached, nothing loaded
    indPrepareCloneFileReader(file, target);
    ASSERT_EQ(file.Load(test::WriteFile(FilePath("part.qcf"), "61530000\n#MapRev=6\n001002AABB\n")), 0);
    test::Messages().Clear();

    const cmcRange exact[] = {{0x10, 0x11}, {1, 0}};
    const cmcRange twice[] = {{0x10, 0x10}, {0x10, 0x11}, {1, 0}};
    const cmcRange wider[] = {{0x10, 0x12}, {1, 0}};
    const cmcRange narrower[] = {{0x10, 0x10}, {1, 0}};
    const cmcRange stopsAtInvalid[] = {{0x10, 0x11}, {0x20, kImageSize}, {0x30, 0x30}, {1, 0}};
    const cmcRange empty[] = {{1, 0}};
    EXPECT_EQ(file.CheckCoverage(exact), 0);
    EXPECT_EQ(file.CheckCoverage(twice), 0);
    EXPECT_EQ(file.CheckCoverage(wider), 7);
    EXPECT_EQ(file.CheckCoverage(narrower), 8);
    EXPECT_EQ(file.CheckCoverage(stopsAtInvalid), 0);
    EXPECT_EQ(file.CheckCoverage(empty), 8);
    EXPECT_EQ(file.CheckCoverage(nullptr), 7);
    EXPECT_TRUE(test::Messages().messages().empty());
}

TEST_F(QcfFile, LoadWithoutAnImageIsAnInternalFault) {
    cmcQcfFile file;
    EXPECT_FATAL(file.Load(FilePath("x.qcf")), "No image attached", kExitInternalFault);
}

TEST_F(QcfFile, FamilyChecksAndRangeLists) {
    struct Case {
        int model, extra;
        bool ok;
        int code;
    };
    for (Case c : {Case{0x6153, 0x0000, true, 0}, Case{0x6153, 0x0100, true, 0}, Case{0x6153, 0x0001, false, 4},
                   Case{0x6152, 0x0000, false, 3}, Case{0x6152, 0x0001, false, 3}}) {
        int code = 0;
        EXPECT_EQ(indCheckHeader(c.model, c.extra, code), c.ok);
        EXPECT_EQ(code, c.code);
    }
    EXPECT_TRUE(indCheckMapRevision(6));
    EXPECT_FALSE(indCheckMapRevision(5));
    EXPECT_FALSE(indCheckMapRevision(-1));
    EXPECT_EQ(Area()[0].first, 0);
    EXPECT_EQ(Area()[0].last, 0x7D7F);
    EXPECT_LT(Area()[1].last, Area()[1].first);
    EXPECT_EQ(indRangeList(0)[0].first, 0x0100);
    EXPECT_EQ(indRangeList(3)[0].first, 0);
    EXPECT_EQ(indRangeList(3)[0].last, 0x7D7F);
}

// ---- writer

TEST_F(QcfFile, WriterFormatsUppercaseLinesOf32Bytes) {
    cmcEeprom image;
    image.Resize(0x50);
    for (int a = 0; a < 0x50; ++a) image.SetByte(a, static_cast<uint8_t>(0xA0 + a));
    const cmcRange ranges[] = {{0x00, 0x22}, {0x40, 0x40}, {1, 0}};
    std::string text;
    cmcQcfWriter w;
    ASSERT_TRUE(w.Format(image, ranges, text));
    std::string line0 = "000020", line1 = "002003", line2 = "004001E0";
    for (int a = 0; a < 0x20; ++a) line0 += "0123456789ABCDEF"[(0xA0 + a) >> 4], line0 += "0123456789ABCDEF"[a & 15];
    line1 += "C0C1C2";
    EXPECT_EQ(text, "61530000\n#MapRev=6\n" + line0 + "\n" + line1 + "\n" + line2 + "\n");

    w.SetHeader(0x1234, 0x0100);
    w.SetMapRevision(9);
    ASSERT_TRUE(w.Format(image, nullptr, text));
    EXPECT_EQ(text, "12340100\n#MapRev=9\n");
}

TEST_F(QcfFile, WriterRefusesWhatItCannotWrite) {
    cmcEeprom image = Source();
    std::string text;
    cmcQcfWriter w;
    const cmcRange outside[] = {{0x7D00, kImageSize}, {1, 0}};
    EXPECT_FALSE(w.Format(image, outside, text));
    EXPECT_FALSE(w.ErrorText().empty());
    EXPECT_TRUE(text.empty());
    w.SetHeader(0x61A3, 0);  // a letter cannot stand in the header
    EXPECT_FALSE(w.Format(image, Area(), text));

    const std::string path = FilePath("refused.qcf");
    EXPECT_FALSE(w.Write(path, image, Area()));
    EXPECT_NE(w.ErrorText().find(path), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(path));
}

TEST_F(QcfFile, WrittenFileReadsBackAndReplacesTheOldOne) {
    const std::string path = FilePath("round.qcf");
    test::WriteFile(path, "old contents");
    cmcQcfWriter w;
    ASSERT_TRUE(w.Write(path, Source(), Area())) << w.ErrorText();
    EXPECT_EQ(test::ReadFile(path), CompleteFile());

    cmcEeprom target = Target();
    ASSERT_EQ(Load(test::ReadFile(path), Area(), target), 0);
    const cmcEeprom source = Source();
    for (int a = 0; a <= kEepromAreaEnd; ++a) ASSERT_EQ(target.GetByte(a), source.GetByte(a));

    // Kind 0 (what a clone write sends) also reads back, without coverage of the whole area.
    const std::vector<cmcRange> kind0 = indRangeList(0);
    ASSERT_TRUE(w.Write(path, Source(), kind0.data()));
    cmcEeprom t2 = Target();
    cmcQcfFile file;
    indPrepareCloneFileReader(file, t2);
    EXPECT_EQ(file.Load(path, kind0.data()), 0);
    EXPECT_EQ(t2.GetByte(0xFF), 0xA5);
    EXPECT_EQ(t2.GetByte(0x100), source.GetByte(0x100));
}

TEST_F(QcfFile, WriteFailureNamesPathAndReasonAndLeavesNothingBehind) {
    const std::string dir = test::TempDir() + "/writer";
    std::filesystem::create_directories(dir + "/taken");
    struct Case {
        std::string path;
        const char* reason;
    };
    const Case cases[] = {
        {dir + "/missing/out.qcf", "No such file or directory"},
        {dir + "/taken", "Is a directory"},
        {dir + "/", "Is a directory"},
    };
    cmcQcfWriter w;
    for (const Case& c : cases) {
        EXPECT_FALSE(w.Write(c.path, Source(), Area())) << c.path;
        EXPECT_NE(w.ErrorText().find("'" + c.path + "'"), std::string::npos) << w.ErrorText();
        EXPECT_NE(w.ErrorText().find(c.reason), std::string::npos) << w.ErrorText();
    }
    // Only the folder that was there: no temporary file is left.
    int entries = 0;
    for (auto& e : std::filesystem::directory_iterator(dir)) {
        ++entries;
        EXPECT_EQ(e.path().filename(), "taken");
    }
    EXPECT_EQ(entries, 1);
}

// ---- damaged files

// Random damage to a valid file never crashes the reader, always gives a code 0-9, and a refused
// file never changes the target image. Seeded and bounded so that it stays quick under sanitizers.
TEST_F(QcfFile, DamagedFilesNeverCrashOrChangeTheImageUnlessAccepted) {
    // A small valid file (no coverage) and the complete one (with coverage).
    std::string small = "61530000\n#MapRev=6\n#Comment=sample\n";
    for (int a = 0; a < 0x100; a += 32) {
        cmcQcfWriter w;
        std::string t;
        const cmcRange r[] = {{a, a + 31}, {1, 0}};
        w.Format(Source(), r, t);
        small += t.substr(t.find('\n', 9) + 1);
    }
    const std::string bases[] = {small, CompleteFile()};
    const char alphabet[] = "0123456789ABCDEFabcdef#\n\r\n\0GMapRev= x\xff";

    std::mt19937 rng(20240611);
    auto pick = [&](size_t n) { return n == 0 ? size_t(0) : std::uniform_int_distribution<size_t>(0, n - 1)(rng); };
    int accepted = 0, refused = 0;
    for (int iter = 0; iter < 400; ++iter) {
        const bool complete = iter % 4 == 3;
        std::string text = bases[complete ? 1 : 0];
        // Mostly damage that keeps the line format, so that the checks behind it are reached too.
        const int mutations = 1 + static_cast<int>(pick(2));
        for (int m = 0; m < mutations; ++m) {
            const size_t at = pick(text.size() + 1);
            const size_t before = at == 0 ? std::string::npos : text.rfind('\n', at - 1);
            const size_t lineStart = before == std::string::npos ? 0 : before + 1;
            const size_t lineEnd = text.find('\n', lineStart);
            switch (pick(10)) {
            case 0: case 1: case 2: case 3:  // another hexadecimal digit
                if (at < text.size()) text[at] = "0123456789ABCDEF"[pick(16)];
                break;
            case 4: if (at < text.size()) text[at] = alphabet[pick(sizeof alphabet - 1)]; break;
            case 5:  // a line lost
                if (lineEnd != std::string::npos) text.erase(lineStart, lineEnd - lineStart + 1);
                break;
            case 6:  // a line repeated elsewhere
                if (lineEnd != std::string::npos) {
                    const std::string line = text.substr(lineStart, lineEnd - lineStart + 1);
                    const size_t to = text.find('\n', pick(text.size()));
                    text.insert(to == std::string::npos ? text.size() : to + 1, line);
                }
                break;
            case 7: text.resize(at); break;
            case 8: text.insert(at, 1, alphabet[pick(sizeof alphabet - 1)]); break;
            case 9: text.insert(at, std::string(pick(900), static_cast<char>(pick(256)))); break;
            }
        }
        test::Messages().Clear();
        ScratchFile scratch(text);
        cmcEeprom target = Target();
        target.SetByte(iter % kImageSize, static_cast<uint8_t>(iter));
        const cmcEeprom before = target;
        cmcQcfFile file;
        indPrepareCloneFileReader(file, target);
        const int code = file.Load(scratch.path, complete ? Area() : nullptr);
        ASSERT_GE(code, 0);
        ASSERT_LE(code, 9);
        if (code == 0) {
            ++accepted;
            ASSERT_TRUE(test::Messages().messages().empty());
        } else {
            ++refused;
            ASSERT_TRUE(target.Equals(before)) << "iteration " << iter << " code " << code;
            ASSERT_EQ(test::Messages().messages().size(), 1u);
        }
    }
    // The damage must be varied enough to reach both outcomes.
    EXPECT_GT(accepted, 10);
    EXPECT_GT(refused, 100);
}
