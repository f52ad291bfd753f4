// The main application object: the initial clone files, the start image, model changes, the image
// checks, opening and saving clone files, and the clone communication hooks.
#include "defs/cmcEvMan.h"
#include "defs/cmcGTex.h"
#include "image/cmcImageMap.h"
#include "image/cmcPackedMap.h"
#include "image/cmcQcfWriter.h"
#include "image/datCh.h"
#include "image/indFileChecks.h"
#include "image/indInitialImage.h"
#include "image/indMain.h"
#include "support/cmcTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <random>
#include <sstream>
#include <utility>
#include <vector>

using namespace qx;
using namespace qx::map;

namespace {

int Be16(const cmcEeprom& img, int a) { return (img.Data()[a] << 8) | img.Data()[a + 1]; }

std::string FileText(const cmcEeprom& img) {
    cmcQcfWriter writer;
    std::string text;
    EXPECT_TRUE(writer.Format(img, indEepromAreaRanges(), text));
    return text;
}

std::string InitialFileName(int model) { return GTex().Line("GI_App_InitialFile", model); }

class IndMain : public ::testing::Test {
protected:
    void SetUp() override {
        OpenDefinitionFiles();
        test::Messages().Clear();
    }
    std::string Write(const std::string& name, const std::string& text) {
        return test::WriteFile(test::TempDir() + "/" + name, text);
    }
    std::string MessageText(const std::string& key) { return GTex().SectionText(key); }
    cmcScopedEvMan events_;  // the announcements of loaded images go here
    // The initial image of a model type as built, with some changes, as a clone file.
    std::string BuiltFile(int model, const std::function<void(cmcEeprom&)>& change = nullptr) {
        cmcEeprom img;
        indBuildInitialImage(model, img);
        if (change) change(img);
        return FileText(img);
    }
};

// Edits through the codec the way the cells do: channels 0-9 in two banks, with varied fields.
void EditChannels(indMain& main) {
    uint8_t* w = main.WorkingImage().Data();
    datSetBankSize(w, 0, 6);
    datSetBankSize(w, 1, 4);
    for (int b = 2; b < 5; ++b) datSetBankSize(w, b, 0);
    main.PackImage(main.WorkingImage(), false);  // the channel list changed
    const int kind = datChannelKind(main.ModelType());
    datCh ch(w);
    for (int n = 0; n < 10; ++n) {
        if (n == 4) continue;  // one position left empty
        ch.Load(kind, n);
        ch.inUse = true;
        ch.rxFreq = 446006250 + 12500 * uint32_t(n);
        ch.txFreq = n == 3 ? 446100000 : ch.rxFreq;
        ch.inhibit = n == 2;
        ch.txInhibit = n == 5;
        ch.narrow = n % 2 == 0;
        ch.rxTone.enabled = n % 3 != 0;
        ch.rxTone.ctcss = uint8_t(n + 1);
        ch.txTone.enabled = true;
        ch.txTone.dtcs = n % 2 == 1;
        ch.txTone.dtcsCode = uint16_t(0x13 + n);
        ch.txTone.inverted = n == 7;
        char name[9];
        std::snprintf(name, sizeof name, "CH %-5d", n + 1);
        std::memcpy(ch.text, name, 8);
        ch.scanLists = uint16_t(0x401 >> (n % 3));
        ch.log = uint8_t(n);
        if (kind == KIND_ChPmr || kind == KIND_ChKorvPmr) ch.monitor = uint8_t(n & 7);
        ch.scrambleCode = uint8_t(n + 10);
        ch.rxCodeNo = uint16_t(n);
        ch.desig1 = n == 1 && kind != KIND_ChDPmr446;  // dPMR446 has no designated channels 1 and 2
        ch.Store();
    }
    datCh scan(w);
    scan.Load(KIND_ScanList, 3);
    std::memcpy(scan.text, "SCAN-3  ", 8);
    scan.opt[0] = 0x05;
    scan.Store();
}

}  // namespace

TEST(IndMainInstance, TheFirstObjectStaysTheProgramsWhileOthersComeAndGo) {
    indMain program;
    ASSERT_EQ(indMain::Instance(), &program);
    {
        indMain other;  // the other file of a comparison
        EXPECT_EQ(indMain::Instance(), &program);
    }
    EXPECT_EQ(indMain::Instance(), &program);
}

// What a window hears, with the state the model is in when it hears it; no window exists here.
struct ListenerLog : indMainListener {
    explicit ListenerLog(indMain& m) : main(m) {}
    void ModelTypeChanged() override { log.push_back("model " + std::to_string(main.ModelType())); }
    void TitleChanged() override { log.push_back("title " + main.FileName() + (main.IsModified() ? " *" : "")); }
    void CloneFileOpened(const std::string& path) override { log.push_back("opened " + path); }
    std::vector<std::string> Take() { return std::exchange(log, {}); }
    indMain& main;
    std::vector<std::string> log;
};

using Log = std::vector<std::string>;

// ---------------- initial clone files ----------------

TEST_F(IndMain, GeneratorReproducesTheShippedInitialFiles) {
    for (int model = 0; model < kModelTypeCount; ++model) {
        const std::string path = test::SourceDir() + "/data/" + InitialFileName(model);
        EXPECT_TRUE(test::ReadFile(path) == indInitialFileText(model)) << path << " differs from the generator's output";
    }
}

TEST_F(IndMain, EachInitialFilePassesTheChecksOfItsModelType) {
    for (int model = 0; model < kModelTypeCount; ++model) {
        SCOPED_TRACE(model);
        indMain main;
        main.LoadStartImage(model);
        EXPECT_EQ(main.ModelType(), model);
        const cmcEeprom& initial = main.InitialImage();
        EXPECT_EQ(main.ReadModelType(initial), model);
        EXPECT_FALSE(main.IsImageInvalid(initial, 1));
        EXPECT_FALSE(main.IsDataNewer(initial));
        cmcEeprom scratch;
        EXPECT_EQ(main.LoadCloneFile(cmcProgramDir() + InitialFileName(model), scratch), 0);
        EXPECT_TRUE(test::Messages().messages().empty());

        // A blank radio: one bank of 64 positions, no channel in use, every slot the template.
        const uint8_t* w = initial.Data();
        EXPECT_EQ(datBankSize(w, 0), 64);
        EXPECT_EQ(datChannelTotal(w), 64);
        EXPECT_EQ(datChannelsInUse(w), 0);
        for (int n = 1; n < 64; ++n) ASSERT_EQ(std::memcmp(w + kChannels, w + kChannels + 34 * n, 34), 0);
        datCh ch(const_cast<uint8_t*>(w));
        ch.Load(datChannelKind(model), 0);
        EXPECT_TRUE(ch.NameBlank());
        EXPECT_FALSE(ch.rxTone.enabled);
        EXPECT_FALSE(ch.txTone.enabled);
        EXPECT_EQ(ch.digComId, 1);
        EXPECT_EQ(ch.scrambleCode, 1);
        EXPECT_FALSE(ch.desig1 || ch.desig2 || ch.desig3);
        EXPECT_EQ(w[kDataVersion], 1);
        // Normalising the start image leaves its channels and common settings as they are.
        cmcEeprom again(main.WorkingImage());
        main.NormaliseImage(again, 0);
        EXPECT_EQ(std::memcmp(again.Data() + kChannels, w + kChannels, 34 * 64), 0);
        EXPECT_EQ(std::memcmp(again.Data() + kCommon, w + kCommon, 96), 0);
    }
}

TEST_F(IndMain, AMissingInitialFileEndsTheProgram) {
    indMain main(test::TempDir() + "/");
    EXPECT_FATAL(main.LoadStartImage(1), "Cannot open '" + test::TempDir() + "/" + InitialFileName(1) + "'.",
                 kExitDefinitionFault);
}

// ---------------- start image and model changes ----------------

TEST_F(IndMain, StartImageIsThePackedInitialImage) {
    indMain main;
    main.LoadStartImage(4);  // outside 0-3
    EXPECT_EQ(main.ModelType(), kModelLmr);
    cmcEeprom expected(main.InitialImage());
    cmcPackedMap::Pack(expected, kModelLmr, false);
    EXPECT_TRUE(main.WorkingImage().Equals(expected));
    EXPECT_TRUE(main.SavedImage().Equals(expected));
    EXPECT_FALSE(main.IsModified());
    main.SetCurrentDirectory("/tmp/radios");
    EXPECT_EQ(main.GetDisplayName(), "/tmp/radios/Untitled");
}

TEST_F(IndMain, ChangeModel) {
    indMain main;
    main.LoadStartImage(kModelPmr);
    main.SetFileName("/tmp/a.QCF");
    main.WorkingImage().Data()[kCloneComment1] = 'X';
    main.NoteEdit();
    ASSERT_TRUE(main.IsModified());
    const cmcEeprom edited(main.WorkingImage());

    // The current type: nothing, not even a question.
    EXPECT_FALSE(main.ChangeModel(kModelPmr, true));
    EXPECT_TRUE(test::Messages().messages().empty());

    // Cancel: nothing changes.
    test::Messages().QueueAnswer(MB_Cancel);
    EXPECT_FALSE(main.ChangeModel(kModelKorvPmr, true));
    ASSERT_EQ(test::Messages().messages().size(), 1u);
    const auto& q = test::Messages().messages()[0];
    EXPECT_EQ(q.text, MessageText("GI_AppMess_ChangeModel"));
    EXPECT_EQ(q.caption, GTex().FirstLine("GI_Sys_AppTitle"));
    EXPECT_EQ(q.icon, cmcMsgIcon::Warning);
    EXPECT_EQ(q.buttons, unsigned(MB_Ok | MB_Cancel));
    EXPECT_EQ(main.ModelType(), kModelPmr);
    EXPECT_TRUE(main.WorkingImage().Equals(edited));

    // OK: a blank image of the new type, untitled and not modified.
    EXPECT_TRUE(main.ChangeModel(kModelKorvPmr, true));
    EXPECT_EQ(main.ModelType(), kModelKorvPmr);
    EXPECT_EQ(main.ReadModelType(main.WorkingImage()), kModelKorvPmr);
    cmcEeprom expected(main.InitialImage());
    cmcPackedMap::Pack(expected, kModelKorvPmr, false);
    EXPECT_TRUE(main.WorkingImage().Equals(expected));
    EXPECT_FALSE(main.IsModified());
    EXPECT_EQ(main.FileName(), "");

    // An image without changes has nothing to lose: no question, the change is made.
    const size_t asked = test::Messages().messages().size();
    EXPECT_TRUE(main.ChangeModel(kModelLmr, true));
    EXPECT_EQ(test::Messages().messages().size(), asked);
    EXPECT_EQ(main.ModelType(), kModelLmr);
    EXPECT_TRUE(main.ChangeModel(kModelKorvPmr, true));
    EXPECT_EQ(main.ModelType(), kModelKorvPmr);

    // Without asking only the initial image follows.
    const cmcEeprom working(main.WorkingImage());
    EXPECT_TRUE(main.ChangeModel(kModelDPmr446, false));
    EXPECT_EQ(main.ReadModelType(main.InitialImage()), kModelDPmr446);
    EXPECT_TRUE(main.WorkingImage().Equals(working));
}

TEST_F(IndMain, NoteEditMarksOnceAndKeepsTheMark) {
    indMain main;
    main.LoadStartImage(kModelLmr);
    uint8_t& b = main.WorkingImage().Data()[kCloneComment2];
    const uint8_t old = b;
    b = 'Q';
    b = old;  // undone before the check
    main.NoteEdit();
    EXPECT_FALSE(main.IsModified());
    b = 'Q';
    main.NoteEdit();
    EXPECT_TRUE(main.IsModified());
    b = old;
    main.NoteEdit();
    EXPECT_TRUE(main.IsModified());
    main.MarkSaved();
    EXPECT_FALSE(main.IsModified());
}

// ---------------- image checks ----------------

TEST_F(IndMain, ReadModelType) {
    indMain main;
    cmcEeprom img;
    img.Resize(kImageSize);
    const std::pair<int, int> cases[] = {{0x00, 0}, {0x80, 0}, {0x40, 1}, {0x20, 2}, {0xA0, 2},
                                         {0x04, 3}, {0x44, 1}, {0x84, 0}, {0x03, 0}};
    for (auto [flags, model] : cases) {
        img.Data()[kModelFlags] = uint8_t(flags);
        EXPECT_EQ(main.ReadModelType(img), model) << flags;
    }
}

TEST_F(IndMain, IsImageInvalid) {
    indMain main;
    main.LoadStartImage(kModelPmr);
    const cmcEeprom good(main.InitialImage());
    ASSERT_FALSE(main.IsImageInvalid(good, 0));
    ASSERT_FALSE(main.IsImageInvalid(good, 1));
    struct Case {
        const char* what;
        int address;
        uint8_t value;
        bool invalidAt0;
    };
    const int end = Be16(good, kPackedEnd);
    const Case cases[] = {
        {"model identifier", 1, 0x53, true},
        {"byte 2", 2, 0, true},
        {"signature", 259, 'x', false},
        {"model code", 267, 0x54, false},
        {"trailing signature", end - 1, 'x', false},
        {"packed end", kPackedEnd, 0x00, false},
        {"the image's own map revision", kMapRevision, 5, false},
    };
    for (const auto& c : cases) {
        cmcEeprom img(good);
        img.Data()[c.address] = c.value;
        EXPECT_EQ(main.IsImageInvalid(img, 0), c.invalidAt0) << c.what;
        EXPECT_EQ(main.IsImageInvalid(img, 1), c.address != kMapRevision) << c.what;
    }
    // While the working image's map revision is not 6 every image counts as invalid.
    main.WorkingImage().Data()[kMapRevision] = 5;
    EXPECT_TRUE(main.IsImageInvalid(good, 0));
    EXPECT_TRUE(main.IsImageInvalid(good, 2));
}

TEST_F(IndMain, IsDataNewer) {
    indMain main;
    main.LoadStartImage(kModelLmr);
    cmcEeprom img(main.InitialImage());
    EXPECT_FALSE(main.IsDataNewer(img));
    img.Data()[kDataVersion] = 2;
    EXPECT_TRUE(main.IsDataNewer(img));
    // The packed data version block counts as well: a clone file carries only the EEPROM area.
    cmcPackedMap::Pack(img, kModelLmr, true);
    cmcEeprom fileOnly;
    fileOnly.Resize(kImageSize);
    std::memcpy(fileOnly.Data(), img.Data(), kEepromAreaEnd + 1);
    EXPECT_TRUE(main.IsDataNewer(fileOnly));

    // Lockout text 0: nothing is newer.
    std::vector<std::string> lines;
    std::istringstream ovl(test::ReadFile(cmcProgramDir() + "ZT5531K.OVL"));
    for (std::string line; std::getline(ovl, line);) lines.push_back(line);
    for (size_t i = 0; i + 1 < lines.size(); ++i)
        if (lines[i] == "#GI_Sys_LockoutNewerData") lines[i + 1] = "0";
    cmcGTex store;
    store.SetLineList(&lines);
    SetGTex(&store);
    EXPECT_FALSE(main.IsDataNewer(fileOnly));
    SetGTex(nullptr);
}

// ---------------- opening clone files ----------------

TEST_F(IndMain, OpenRefusalsShowOneMessageAndChangeNothing) {
    const std::string good = BuiltFile(kModelPmr);
    struct Case {
        const char* name;
        std::string text;
        int code;
    };
    auto replaceLine = [&](int index, const std::string& line) {
        std::istringstream in(good);
        std::string out, l;
        for (int i = 0; std::getline(in, l); ++i) out += (i == index ? line : l) + "\n";
        return out;
    };
    const Case cases[] = {
        {"header", "61540000" + good.substr(8), QCF_Model},
        {"model identifier", BuiltFile(kModelPmr, [](cmcEeprom& i) { i.Data()[0] = 0x62; }), QCF_Data},
        // A byte at the data version address: newer data wins over the coverage fault.
        {"newer", good + "9A050102\n", QCF_Newer},
        {"newer packed", BuiltFile(kModelPmr,
                                   [](cmcEeprom& i) {
                                       i.Data()[kDataVersion] = 3;
                                       cmcPackedMap::Pack(i, kModelPmr, true);
                                   }),
         QCF_Newer},
        {"missing line", replaceLine(40, "#gone"), QCF_Coverage},
        {"outside the area", good + "7D8001FF\n", QCF_Data},
        {"malformed", replaceLine(5, "00A0zz"), QCF_Format},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        indMain main;
        main.LoadStartImage(kModelDPmr446);
        main.SetFileName("/tmp/current.QCF");
        main.MarkModified();
        const cmcEeprom before(main.WorkingImage());
        test::Messages().Clear();
        EXPECT_EQ(main.OpenCloneFile(Write("refused.QCF", c.text)), c.code);
        ASSERT_EQ(test::Messages().messages().size(), 1u);
        EXPECT_NE(test::Messages().messages()[0].text.find(GTex().FirstLine(cmcQcfFile::ErrorKey(c.code))),
                  std::string::npos);
        EXPECT_TRUE(main.WorkingImage().Equals(before));
        EXPECT_EQ(main.FileName(), "/tmp/current.QCF");
        EXPECT_TRUE(main.IsModified());
        EXPECT_EQ(main.ModelType(), kModelDPmr446);
    }
}

TEST_F(IndMain, OpenAdoptsTheImageAndAnnouncesIt) {
    cmcScopedEvMan events;
    int treeEvents = 0;
    struct Counter {
        int* n;
        void On(const cmcEvent& e) {
            if (e.code == EVC_TreeBuilt) ++*n;
        }
    } counter{&treeEvents};
    events->Register<&Counter::On>(&counter);

    indMain main;
    main.LoadStartImage(kModelDPmr446);
    const std::string path = Write("korv.QCF", BuiltFile(kModelKorvPmr, [](cmcEeprom& i) {
        datCh ch(i.Data());
        ch.Load(KIND_ChKorvPmr, 2);
        ch.inUse = true;
        ch.rxFreq = ch.txFreq = 446150000;
        ch.Store();
        cmcPackedMap::Pack(i, kModelKorvPmr, true);
    }));
    ASSERT_EQ(main.OpenCloneFile(path), 0);
    EXPECT_EQ(main.ModelType(), kModelKorvPmr);
    EXPECT_EQ(main.ReadModelType(main.InitialImage()), kModelKorvPmr);
    EXPECT_EQ(main.FileName(), path);
    EXPECT_EQ(main.CurrentDirectory(), test::TempDir());
    EXPECT_FALSE(main.IsModified());
    EXPECT_TRUE(main.SavedImage().Equals(main.WorkingImage()));
    EXPECT_EQ(main.ChannelsInUse(), 1);
    EXPECT_EQ(main.WorkingImage().Data()[kFirstChannel], 2);
    events->Tick();
    EXPECT_GE(treeEvents, 1);
    events->UnregisterAll(&counter);
}

TEST_F(IndMain, AListenerHearsEachChangeThatShowsAfterItIsMade) {
    indMain main;
    main.LoadStartImage(kModelLmr);  // no listener yet: nobody to tell
    ListenerLog heard(main);
    main.SetListener(&heard);

    main.WorkingImage().Data()[kCloneComment1] = 'X';
    main.NoteEdit();
    main.NoteEdit();  // already marked: nothing new to show
    EXPECT_EQ(heard.Take(), (Log{"title  *"}));

    EXPECT_TRUE(main.Undo());
    EXPECT_EQ(heard.Take(), (Log{"title "}));

    test::Messages().QueueAnswer(MB_Ok);
    main.WorkingImage().Data()[kCloneComment1] = 'Y';
    main.NoteEdit();
    heard.Take();
    ASSERT_TRUE(main.ChangeModel(kModelPmr, true));
    const Log changed = heard.Take();
    ASSERT_FALSE(changed.empty());
    EXPECT_EQ(changed.back(), "model 1");  // the tree is rebuilt once the blank image is in place
    EXPECT_EQ(changed.front(), "title ");

    const std::string path = Write("pmr.QCF", BuiltFile(kModelKorvPmr));
    ASSERT_EQ(main.OpenCloneFile(path), 0);
    const Log opened = heard.Take();
    EXPECT_EQ(opened.front(), "title " + path);
    EXPECT_NE(std::find(opened.begin(), opened.end(), "opened " + path), opened.end());
    EXPECT_NE(std::find(opened.begin(), opened.end(), "model 2"), opened.end());
    EXPECT_EQ(opened.back(), "title " + path);  // saved: no modified mark

    main.SetListener(nullptr);
    main.MarkModified();
    EXPECT_TRUE(heard.Take().empty());
}

// ---------------- saving ----------------

TEST_F(IndMain, SavedFilesReopenToTheSameChannelsAndWorkArea) {
    for (int model = 0; model < kModelTypeCount; ++model) {
        SCOPED_TRACE(model);
        indMain main;
        main.LoadStartImage(model);
        ASSERT_EQ(main.OpenCloneFile(cmcProgramDir() + InitialFileName(model)), 0);
        EditChannels(main);
        const cmcEeprom before(main.WorkingImage());
        const std::string path = test::TempDir() + "/saved-" + std::to_string(model) + ".QCF";
        ASSERT_TRUE(main.SaveCloneFile(path));
        EXPECT_TRUE(main.WorkingImage().Equals(before)) << "saving changed the working image";

        indMain reopened;
        reopened.LoadStartImage((model + 1) % kModelTypeCount);
        ASSERT_EQ(reopened.OpenCloneFile(path), 0);
        EXPECT_EQ(reopened.ModelType(), model);
        // The channels as the user set them.
        const int kind = datChannelKind(model);
        datCh x(main.WorkingImage().Data()), y(reopened.WorkingImage().Data());
        for (int n = 0; n < 64; ++n) {
            x.Load(kind, n);
            y.Load(kind, n);
            ASSERT_EQ(x.inUse, y.inUse) << n;
            EXPECT_TRUE(x.rxFreq == y.rxFreq && x.txFreq == y.txFreq && x.inhibit == y.inhibit &&
                        x.txInhibit == y.txInhibit && x.narrow == y.narrow && x.rxTone == y.rxTone &&
                        x.txTone == y.txTone && std::memcmp(x.text, y.text, 8) == 0 &&
                        x.scanLists == y.scanLists && x.log == y.log && x.monitor == y.monitor &&
                        x.scrambleCode == y.scrambleCode && x.rxCodeNo == y.rxCodeNo && x.desig1 == y.desig1)
                << "channel " << n;
        }
        // The whole work area as normalisation leaves the working image (derived flags set, fields
        // the program does not edit reset), except the parameter block buffer that packing rebuilds.
        cmcEeprom reference(main.WorkingImage());
        main.NormaliseImage(reference, 1);
        const uint8_t* a = reference.Data();
        const uint8_t* b = reopened.WorkingImage().Data();
        for (int addr = kParamBlock + 512; addr < kImageSize; ++addr)
            ASSERT_EQ(a[addr], b[addr]) << "work-area byte " << addr;

        // Saving the reopened image gives the same file.
        const std::string again = path + ".again";
        ASSERT_TRUE(reopened.SaveCloneFile(again));
        EXPECT_TRUE(test::ReadFile(path) == test::ReadFile(again));
    }
}

TEST_F(IndMain, SaveFailureShowsTheReason) {
    indMain main;
    main.LoadStartImage(kModelPmr);
    EXPECT_FALSE(main.SaveCloneFile(test::TempDir() + "/no/such/folder/x.QCF"));
    ASSERT_EQ(test::Messages().messages().size(), 1u);
    EXPECT_EQ(test::Messages().messages()[0].icon, cmcMsgIcon::Error);
    EXPECT_NE(test::Messages().messages()[0].text.find(GTex().FirstLine("GI_AppMess_SaveErr_Write")), std::string::npos);
}

// ---------------- clone communication hooks ----------------

TEST_F(IndMain, IdentificationHook) {
    indMain main;
    uint8_t data[80] = {};
    data[0] = 80;
    data[35] = 6;
    std::memcpy(data + 58, "1a2B", 4);
    struct Case {
        const char* what;
        int code;
        uint16_t word1;
        int length;
        uint8_t first, byte35;
        int result;
    };
    const Case cases[] = {
        {"accepted", 0, 0x6153, 80, 80, 6, 0},
        {"earlier failure kept", 5, 0x6153, 80, 80, 6, 5},
        {"other radio", 0, 0x6152, 80, 80, 6, 11},
        {"79 bytes", 0, 0x6153, 79, 80, 6, 11},
        {"first byte not 80", 0, 0x6153, 80, 79, 6, 11},
        {"map revision 7", 0, 0x6153, 80, 80, 7, 14},
    };
    for (const auto& c : cases) {
        data[0] = c.first;
        data[35] = c.byte35;
        EXPECT_EQ(main.CheckIdentification(c.code, c.word1, 0x0102, data, c.length), c.result) << c.what;
    }
    data[0] = 80;
    data[35] = 6;
    ASSERT_EQ(main.CheckIdentification(0, 0x6153, 0x0102, data, 80), 0);
    EXPECT_EQ(main.IdentWord2(), 0x0102);
    EXPECT_EQ(main.Identification()[35], 6);
    EXPECT_EQ(main.IdentReadEnd(), 0x1A2F);
    auto ranges = main.ReadRanges();
    EXPECT_EQ(ranges[0].first, 0);
    EXPECT_EQ(ranges[0].last, 0x1A2F);
    EXPECT_LT(ranges[1].last, ranges[1].first);
    std::memcpy(data + 58, "zz?!", 4);
    main.CheckIdentification(0, 0x6153, 0, data, 80);
    EXPECT_EQ(main.IdentReadEnd(), 0x000F);
    std::memcpy(data + 58, "FFFF", 4);  // past the EEPROM area
    main.CheckIdentification(0, 0x6153, 0, data, 80);
    EXPECT_EQ(main.IdentReadEnd(), kEepromAreaEnd);
}

TEST_F(IndMain, ReadHookAndCloneWritePreparation) {
    indMain main;
    main.LoadStartImage(kModelPmr);
    cmcEeprom read(main.InitialImage());
    EXPECT_EQ(main.CheckReadImage(0, read), 0);
    EXPECT_EQ(main.CheckReadImage(9, read), 9);
    cmcEeprom noTrailer(read);
    noTrailer.Data()[Be16(read, kPackedEnd) - 2] = 'x';
    EXPECT_EQ(main.CheckReadImage(0, noTrailer), 15);
    cmcEeprom newer(read);
    newer.Data()[kDataVersion] = 2;
    EXPECT_EQ(main.CheckReadImage(0, newer), 16);

    uint8_t data[80] = {};
    data[0] = 80;
    data[35] = 5;
    ASSERT_EQ(main.CheckIdentification(0, 0x6153, 0, data, 80), 0);
    EditChannels(main);
    const cmcEeprom before(main.WorkingImage());
    cmcEeprom scratch;
    std::vector<cmcRange> ranges;
    ASSERT_TRUE(main.PrepareCloneWrite(scratch, ranges));
    EXPECT_TRUE(main.WorkingImage().Equals(before));
    ASSERT_GE(ranges.size(), 2u);
    EXPECT_EQ(ranges[0].first, 0x0100);
    EXPECT_EQ(ranges[0].last, Be16(scratch, kPackedEnd) | 0x7F);
    EXPECT_EQ((ranges[0].last + 1) % 128, 0);
    EXPECT_GE(ranges[0].last, Be16(scratch, kPackedEnd) - 1);
    EXPECT_LT(ranges[1].last, ranges[1].first);
    EXPECT_EQ(scratch.Data()[kMapRevision], 5);
    uint8_t sum = 0;
    for (int a = 376; a <= 439; ++a) sum = uint8_t(sum + scratch.Data()[a]);
    EXPECT_EQ(sum, 0);
    EXPECT_NE(scratch.Data()[376], 0);
}
