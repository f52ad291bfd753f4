// Memory channel cells: the channel number, designations, frequencies and tones with their grey
// rules, the display text name, the digital PMR repeater and receive code cells, the dPMR446
// colour code, the plain field cells with their model-type lists, blocking and marks, and every
// cell of the four channel sheets showing a value.
#include "cells/cmcCellCapsule.h"
#include "cells/cmcCellTable.h"
#include "cells/cmcCellViews.h"
#include "cells/cmcDispText.h"
#include "cells/cmcEditors.h"
#include "common/cmcClock.h"
#include "defs/cmcCellObj.h"
#include "defs/cmcEvMan.h"
#include "defs/cmcGTex.h"
#include "image/cmcImageMap.h"
#include "image/datCh.h"
#include "image/indMain.h"
#include "support/cmcTestCellEnv.h"
#include "support/cmcTestSupport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

using namespace qx;

namespace {

int g_grid = 0;

// Records what the editors open.
struct Views : cmcCellViews {
    std::vector<std::string> opened;
    bool OpenChooser(cmcCellRequest&, const std::string& key, int itemKind, int selected) override {
        opened.push_back(key + " " + std::to_string(itemKind) + " " + std::to_string(selected));
        return true;
    }
    bool OpenFlagWindow(cmcCellRequest&, uint32_t value, int first, int last, int, int, const std::string&) override {
        opened.push_back("flags " + std::to_string(value) + " " + std::to_string(first) + ".." + std::to_string(last));
        return true;
    }
    bool OpenNamedFlagWindow(cmcCellRequest&, uint32_t value, int first, int last,
                             const std::vector<std::string>& headers) override {
        std::string line = "named flags " + std::to_string(value) + " " + std::to_string(first) + ".." +
                           std::to_string(last) + ":";
        for (const std::string& h : headers) line += " [" + h + "]";
        opened.push_back(line);
        return true;
    }
    bool OpenTextEntry(cmcCellRequest&, const std::string& editable, int length, const uint8_t* user,
                       bool byKey) override {
        opened.push_back("text '" + editable + "' " + std::to_string(length) + (byKey ? " key" : " enter") +
                         (user ? " user" : ""));
        return true;
    }
    bool OpenCharEditor(cmcCellRequest&, uint16_t pattern) override {
        opened.push_back("char " + std::to_string(pattern));
        return true;
    }
};

struct EventLog {
    std::vector<int> codes;
    static void Handler(void* user, const cmcEvent& e) { static_cast<EventLog*>(user)->codes.push_back(e.code); }
    bool Has(int code) const { return std::find(codes.begin(), codes.end(), code) != codes.end(); }
};

class ChannelCells : public ::testing::Test {
protected:
    void SetUp() override {
        OpenDefinitionFiles();
        test::Messages().Clear();
        UseModel(kModelPmr);
        env_.Events().Register(&EventLog::Handler, &log_);
    }
    void TearDown() override { clock_->Advance(kDeferredCheckMs); }

    void UseModel(int model) {
        main_.LoadStartImage(model);
        SetBanks({8, 4, 0, 0, 4});
        for (int n = 0; n < 16; ++n) SetChannel(n, 446100000);
    }
    uint8_t* Image() { return main_.WorkingImage().Data(); }
    datCh Channel(int n) {
        datCh ch(Image());
        ch.Load(datChannelKind(main_.ModelType()), n);
        return ch;
    }
    void SetChannel(int n, uint32_t rx) {
        datCh ch = Channel(n);
        ch.rxFreq = ch.txFreq = rx;
        ch.inUse = rx != 0;
        ch.Store();
    }
    template <class F>
    void Edit(int n, F change) {
        datCh ch = Channel(n);
        change(ch);
        ch.Store();
    }
    void SetBanks(std::initializer_list<int> sizes) {
        int b = 0;
        for (int s : sizes) datSetBankSize(Image(), b++, s);
    }
    static cmcCellObj Cell(int label, int index) {
        cmcCellObj c;
        c.category = CT_Mch;
        c.label = label;
        c.index = index;
        return c;
    }
    cmcCellRequest Run(int label, int index, int action = 0, uint8_t* opened = nullptr) {
        cells_.push_back(std::make_unique<cmcCellObj>(Cell(label, index)));
        cmcCellRequest req;
        req.cell = cells_.back().get();
        req.grid = &g_grid;
        req.action = action;
        const uint8_t r = capsule_.Execute(req, true);
        if (opened) *opened = r;
        return req;
    }
    std::string Show(int label, int index) { return Run(label, index).display; }
    // Paints the cell: the rectangle and the text colour the handler chose.
    cmcCellPaint Paint(int label, int index, std::string* display = nullptr) {
        cmcCellObj cell = Cell(label, index);
        cmcCellPaint paint;
        paint.right = 160;
        paint.bottom = 24;
        int canvas = 0;
        cmcCellRequest req;
        req.cell = &cell;
        req.grid = &g_grid;
        req.canvas = &canvas;
        req.paint = &paint;
        capsule_.Execute(req, false);
        if (display) *display = req.display;
        return paint;
    }
    bool Grey(int label, int index) {
        const cmcCellPaint p = Paint(label, index);
        return p.textColorSet && p.textColor == 0x00C0C0C0;
    }
    cmcCellRequest Pick(int label, int index, int itemKind, int item, const std::string& input = "") {
        cmcCellObj cell = Cell(label, index);
        cmcCellObj picked;
        picked.label = itemKind;
        picked.index = item;
        cmcCellRequest opener;
        opener.cell = &picked;
        cmcCellRequest req;
        req.cell = &cell;
        req.grid = &g_grid;
        req.parent = &opener;
        req.resultKind = CRK_Chooser;
        req.input = input;
        uint32_t flags = 0;
        req.notify = [&flags](cmcCellRequest&, uint32_t f) { flags |= f; };
        capsule_.Execute(req, true);
        req.notify = nullptr;
        req.resultFlags = static_cast<uint8_t>(flags);  // the notification, for the checks
        return req;
    }
    cmcCellRequest Type(int label, int index, const std::string& text, int category = CT_Mch) {
        cmcCellObj cell = Cell(label, index);
        cell.category = category;
        cmcCellRequest req;
        req.cell = &cell;
        req.grid = &g_grid;
        req.resultKind = CRK_Input;
        req.input = text;
        capsule_.Execute(req, true);
        return req;
    }

    cmcScopedManualTime clock_;
    Views views_;
    indMain main_;
    test::CellEnv env_{main_, &views_};
    cmcCellCapsule capsule_{env_.Env()};
    EventLog log_;
    std::vector<std::unique_ptr<cmcCellObj>> cells_;
};

TEST_F(ChannelCells, NumberCountsWithinTheBank) {
    EXPECT_EQ(Show(CL_Mch_No, 10), "2-  3");
    EXPECT_EQ(Show(CL_Mch_No, 0), "1-  1");
}

TEST_F(ChannelCells, DesignationsAreTakenFromOtherChannels) {
    uint8_t opened = 0;
    Run(CL_Mch_Atr, 5, 13, &opened);
    EXPECT_EQ(opened, CER_Opened);
    EXPECT_EQ(views_.opened.back(), "GI_Sheet_Sel_Mch_Atr 1 0");
    // A (designated channel 1) moves from channel 5 to channel 6.
    cmcCellRequest r = Pick(CL_Mch_Atr, 5, Flex0, 1);
    EXPECT_EQ(r.display, "A");
    EXPECT_TRUE(r.resultFlags & CN_SameLabel);
    EXPECT_EQ(Image()[325], 5);
    Pick(CL_Mch_Atr, 6, Flex0, 1);
    EXPECT_EQ(Image()[325], 6);
    EXPECT_EQ(Show(CL_Mch_Atr, 5), "");
    // B and E; E goes out with "designation 3 off".
    EXPECT_EQ(Pick(CL_Mch_Atr, 6, Flex0, 2).display, "AB");
    EXPECT_EQ(Pick(CL_Mch_Atr, 6, Flex0, 3).display, "ABE");
    EXPECT_EQ(Pick(CL_Mch_Atr, 6, Flex0, 4).display, "AB");
    EXPECT_EQ(Pick(CL_Mch_Atr, 6, Flex0, 0).display, "AB");  // item 0 changes nothing
    // Item 5 switches the bank's flag.
    EXPECT_FALSE(datBankFlag(Image(), 0));
    Pick(CL_Mch_Atr, 6, Flex0, 5);
    EXPECT_TRUE(datBankFlag(Image(), 0));
    env_.Events().Tick();
    EXPECT_TRUE(log_.Has(EVC_BankIcons));
    EXPECT_TRUE(log_.Has(EVC_BankChanged));
    // dPMR446 offers the list without the bank flag; an empty channel still shows its attributes.
    UseModel(kModelDPmr446);
    SetChannel(3, 0);
    Run(CL_Mch_Atr, 3, 13);
    EXPECT_EQ(views_.opened.back(), "GI_Sheet_Sel_Mch_Atr_ExSmt 1 0");
}

TEST_F(ChannelCells, GreyTextRules) {
    Edit(1, [](datCh& c) { c.txInhibit = true; });
    Edit(2, [](datCh& c) { c.digSignal = 3; });
    EXPECT_TRUE(Grey(CL_Mch_FreqT, 1));
    EXPECT_FALSE(Grey(CL_Mch_FreqT, 2));
    EXPECT_TRUE(Grey(CL_Mch_CTone_R, 2));
    EXPECT_TRUE(Grey(CL_Mch_CTone_T, 2));
    EXPECT_FALSE(Grey(CL_Mch_CTone_R, 1));
}

TEST_F(ChannelCells, TransmitFrequencyOfDPmr446IsAFixedChannelOutsideTheFifthBank) {
    UseModel(kModelDPmr446);
    Run(CL_Mch_FreqT, 0, 13);
    EXPECT_EQ(views_.opened.back().rfind("GI_Sheet_Sel_Mch_Freq 1", 0), 0u);
    uint8_t opened = 0;
    Run(CL_Mch_FreqT, 12, '4', &opened);  // the fifth bank starts at channel 12
    EXPECT_EQ(opened, CER_Editor);
    EXPECT_EQ(Type(CL_Mch_FreqT, 12, "446.2").display, "446.200000");
}

TEST_F(ChannelCells, NameIsADisplayText) {
    EXPECT_EQ(Type(CL_Mch_Text, 2, "AB.C%1F").display, "AB.C%1F");
    datCh ch = Channel(2);
    EXPECT_EQ(std::vector<uint8_t>(ch.text, ch.text + 8), (std::vector<uint8_t>{0x41, 0xC2, 0x43, 0x1F, 32, 32, 32, 32}));
    // Painted, the cell draws segments and shows no characters; the user characters come along.
    Image()[map::kUserCharTable + 30] = 0x12;
    std::string shown = "x";
    const cmcCellPaint p = Paint(CL_Mch_Text, 2, &shown);
    EXPECT_EQ(shown, "");
    EXPECT_EQ(p.segCount, 4);
    EXPECT_EQ(p.segPerLine, 8);
    EXPECT_EQ(p.segUser[30], 0x12);
    EXPECT_EQ(p.pictureText, "AB.C%1F");  // for the text layer of a printed sheet
    // Enter, Backspace and printable keys open the text entry.
    uint8_t opened = 0;
    Run(CL_Mch_Text, 2, 13, &opened);
    EXPECT_EQ(opened, CER_Opened);
    EXPECT_EQ(views_.opened.back(), "text 'AB.C%1F' 8 enter user");
    Run(CL_Mch_Text, 2, 8);
    EXPECT_EQ(views_.opened.back(), "text 'AB.C%1F' 8 enter user");
    Run(CL_Mch_Text, 2, '.');
    EXPECT_EQ(views_.opened.back(), "text ' .' 8 key user");
    Run(CL_Mch_Text, 2, '%');
    EXPECT_EQ(views_.opened.back(), "text '%%' 8 key user");
    // The drop-down's answer: ten letters are refused whole, never cut to the field's eight.
    EXPECT_NE(Pick(CL_Mch_Text, 2, Flex0, 0, "ABCDEFGHIJ").refusal, "");
    EXPECT_EQ(Show(CL_Mch_Text, 2), "AB.C%1F");
    // Without a drop-down the grid's in-place editor takes the editable form.
    capsule_.Env().views = nullptr;
    Run(CL_Mch_Text, 2, 'x', &opened);
    EXPECT_EQ(opened, CER_Editor);
}

// One byte per character: a character the display has no code for is refused, whether typed into
// the in-place editor or handed over by the text entry, with a reason naming it (no message box:
// the status bar shows it). A text longer than the field is refused whole too, never cut.
TEST_F(ChannelCells, NameRefusesCharactersTheDisplayLacks) {
    Type(CL_Mch_Text, 2, "KEEP");
    const std::vector<uint8_t> before(Channel(2).text, Channel(2).text + 8);
    test::Messages().Clear();
    EXPECT_EQ(Type(CL_Mch_Text, 2, "A\xC3\xA9\xC2\xB0" "1").refusal, "the display has no character '\xC3\xA9'");  // "Aé°1"
    EXPECT_EQ(Pick(CL_Mch_Text, 2, Flex0, 0, "\xC2\xB0").refusal, "the display has no character '\xC2\xB0'");
    EXPECT_FALSE(capsule_.Wrote());
    EXPECT_EQ(Type(CL_Mch_Text, 2, "ABCDEFGH.I").refusal,
              "'ABCDEFGH.I' is longer than the 8 characters the display shows");
    EXPECT_EQ(std::vector<uint8_t>(Channel(2).text, Channel(2).text + 8), before);
    EXPECT_TRUE(test::Messages().messages().empty());
    EXPECT_EQ(Type(CL_Mch_Text, 2, "ABCDEFG.H.").refusal, "");  // points take no place of their own
}

// Codes 1-15 show blank but belong to the text: shown, opened and accepted back, nothing is cut.
TEST_F(ChannelCells, NameWithBlankCodesSurvivesTheEditor) {
    Edit(2, [](datCh& ch) { std::memcpy(ch.text, "AB\x05" "CD\x8F  ", 8); });
    EXPECT_EQ(Show(CL_Mch_Text, 2), "AB%05CD%0F.");
    Run(CL_Mch_Text, 2, 13);
    EXPECT_EQ(views_.opened.back(), "text 'AB%05CD%0F.' 8 enter user");
    Pick(CL_Mch_Text, 2, Flex0, 0, "AB%05CD%0F.");  // the drop-down accepted unchanged
    EXPECT_FALSE(capsule_.Wrote());
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(Channel(2).text), 8), "AB\x05" "CD\x8F  ");
}

TEST_F(ChannelCells, DigitalPmrRepeaterAndReceiveCodes) {
    UseModel(kModelKorvPmr);
    Edit(1, [](datCh& c) { c.mskSignal = true; c.rxCodeNo = 0x81; c.rptCode = 9; });
    // Without MSK signalling (N) the MSK cells are blocked.
    EXPECT_EQ(Show(CL_Mch_Msk_Rpt, 0), "----");
    EXPECT_EQ(Show(CL_Mch_Msk_RxCNo, 0), "----");
    EXPECT_EQ(Show(CL_Mch_Msk_Rpt, 1), "9");
    // The receive code numbers 1..7 are bits 6..0: 0x81 is flag 7, and bit 7 stays.
    EXPECT_EQ(Show(CL_Mch_Msk_RxCNo, 1), "______7\n");
    Type(CL_Mch_Msk_RxCNo, 1, "1______");
    EXPECT_EQ(Channel(1).rxCodeNo, 0xC0);
    // 255 is "no repeater"; another code clears it.
    Pick(CL_Mch_Msk_Rpt, 1, Flex0, kMskRptNone);
    EXPECT_TRUE(Channel(1).mskNoRepeater);
    EXPECT_EQ(Channel(1).rptCode, 9);
    Pick(CL_Mch_Msk_Rpt, 1, Flex1, 17);
    EXPECT_FALSE(Channel(1).mskNoRepeater);
    EXPECT_EQ(Channel(1).rptCode, 17);
}

TEST_F(ChannelCells, ColourCodeOfDPmr446) {
    UseModel(kModelDPmr446);
    Edit(13, [](datCh& c) { c.digRxCode = c.digTxCode = 0; });
    // A blank pattern is code 1 and is stored as such, in both patterns when they were equal.
    EXPECT_EQ(Show(CL_Mch_Dig_CC_R, 13), "1");
    EXPECT_EQ(Channel(13).digRxCode, ColourCodePattern(1));
    EXPECT_EQ(Channel(13).digTxCode, ColourCodePattern(1));
    // Editable in the fifth bank (the free bank) only; a new code carries the equal transmit
    // pattern along.
    EXPECT_EQ(Type(CL_Mch_Dig_CC_R, 13, "5").display, "5");
    EXPECT_EQ(Channel(13).digTxCode, ColourCodePattern(5));
    Edit(13, [](datCh& c) { c.digTxCode = ColourCodePattern(2); });
    Type(CL_Mch_Dig_CC_R, 13, "7");
    EXPECT_EQ(Channel(13).digTxCode, ColourCodePattern(2));
    Type(CL_Mch_Dig_CC_R, 3, "7");
    EXPECT_NE(Channel(3).digRxCode, ColourCodePattern(7));
    // In the free bank Enter offers the sixteen codes, the current one selected; a pick replaces it.
    uint8_t opened = 0;
    Run(CL_Mch_Dig_CC_R, 13, 13, &opened);
    EXPECT_EQ(opened, CER_Opened);
    EXPECT_EQ(views_.opened.back(), "GI_Sheet_Sel_Mch_ColourCode 1 7");
    EXPECT_EQ(Pick(CL_Mch_Dig_CC_R, 13, Flex0, 16).display, "16");
    EXPECT_EQ(Channel(13).digRxCode, ColourCodePattern(16));
    EXPECT_EQ(Type(CL_Mch_Dig_CC_R, 13, "17").display, "16");  // not a code: refused
    // A pattern that is none of the codes shows its hexadecimal digits, in a fixed bank as in the
    // free bank, and a picked code replaces it (the transmit pattern too when it was the same).
    for (int ch : {3, 13}) {
        SCOPED_TRACE(ch);
        Edit(ch, [](datCh& c) { c.digRxCode = c.digTxCode = 0x00123456; });
        EXPECT_EQ(Show(CL_Mch_Dig_CC_R, ch), "123456");
        Run(CL_Mch_Dig_CC_R, ch, 13, &opened);
        EXPECT_EQ(opened, CER_Opened);
        EXPECT_EQ(views_.opened.back(), "GI_Sheet_Sel_Mch_ColourCode 1 0");
        EXPECT_EQ(Pick(CL_Mch_Dig_CC_R, ch, Flex0, 9).display, "9");
        EXPECT_EQ(Channel(ch).digRxCode, ColourCodePattern(9));
        EXPECT_EQ(Channel(ch).digTxCode, ColourCodePattern(9));
    }
    // Once it holds a code, the fixed bank shows it and offers no choice again.
    Run(CL_Mch_Dig_CC_R, 3, 13, &opened);
    EXPECT_EQ(opened, CER_None);
    // Grey while the channel is analogue.
    Edit(13, [](datCh& c) { c.digSignal = 0; });
    EXPECT_TRUE(Grey(CL_Mch_Dig_CC_R, 13));
}

// A digital PMR channel: which cells are blocked, and which values are marked, with MSK
// signalling off (N), on (M), and on without a repeater (M and R).
TEST_F(ChannelCells, DigitalPmrConditions) {
    UseModel(kModelKorvPmr);
    Edit(1, [](datCh& c) { c.mskSignal = true; });
    Edit(2, [](datCh& c) { c.mskSignal = true; c.mskNoRepeater = true; });
    const struct {
        int label;
        const char* n;  // shown for channel 0 (N), 1 (M), 2 (M and R)
        const char* m;
        const char* mr;
    } blocking[] = {
        {CL_Mch_Form, "Off", "----", "Off"},
        {CL_Mch_Rpt_L, "-", "-", "-"},
        {CL_Mch_Stn_L, "-", "-", "-"},
        {CL_Mch_Pos, "Off", "----", "----"},
        {CL_Mch_RxCNo, "________\n", "----", "----"},
        {CL_Mch_Msk_Stn, "----", "0", "0"},
    };
    for (const auto& b : blocking) {
        EXPECT_EQ(Show(b.label, 0), b.n) << LabelName(b.label);
        EXPECT_EQ(Show(b.label, 1), b.m) << LabelName(b.label);
        EXPECT_EQ(Show(b.label, 2), b.mr) << LabelName(b.label);
    }
    // A blocked cell takes no key.
    const datCh before = Channel(1);
    Run(CL_Mch_Form, 1, 32);
    EXPECT_EQ(Channel(1).format, before.format);
    // Marks on a channel with MSK signalling: monitor 6 and 7, select 1, call and PTT 0, mute 1 are
    // what the signalling needs.
    const struct {
        int label;
        int value;
        uint8_t mark;
    } marks[] = {
        {CL_Mch_Moni, 0, CRF_Warning}, {CL_Mch_Moni, 6, 0},       {CL_Mch_Moni, 7, 0},
        {CL_Mch_Sel, 0, CRF_Error},    {CL_Mch_Sel, 1, 0},        {CL_Mch_Call, 1, CRF_Error},
        {CL_Mch_Call, 0, 0},           {CL_Mch_PTT, 1, CRF_Error}, {CL_Mch_CH_Mute, 0, CRF_Warning},
        {CL_Mch_CH_Mute, 1, 0},
    };
    for (const auto& m : marks) {
        Edit(1, [&](datCh& c) {
            c.monitor = static_cast<uint8_t>(m.value);
            c.select = static_cast<uint8_t>(m.value);
            c.call = c.ptt = c.chMute = m.value != 0;
        });
        EXPECT_EQ(Run(m.label, 1).resultFlags & (CRF_Warning | CRF_Error), m.mark) << LabelName(m.label) << " " << m.value;
        EXPECT_EQ(Run(m.label, 0).resultFlags & (CRF_Warning | CRF_Error), 0) << "no marks without MSK signalling";
    }
    // Choosing a value repaints the whole sheet (other cells' blocking and marks follow).
    EXPECT_TRUE(Pick(CL_Mch_Msk_Sig, 0, Flex0, 1).resultFlags & CN_All);
    EXPECT_EQ(Show(CL_Mch_Form, 0), "----");
}

// The lists of a field depend on the model type.
TEST_F(ChannelCells, ModelTypeLists) {
    Edit(1, [](datCh& c) { c.lockout = 2; c.log = 4; });
    EXPECT_EQ(Show(CL_Mch_Lockout, 1), "Tone mismatch");
    EXPECT_EQ(Show(CL_Mch_Log_Pmr, 1), "Status");
    UseModel(kModelLmr);
    Edit(1, [](datCh& c) { c.lockout = 2; });
    EXPECT_EQ(Show(CL_Mch_Lockout, 1), "Repeater");
    // Scan list membership: flags 1..11, list 1 the most significant; the digit row still types.
    Type(CL_Mch_Scan, 1, "1_________Z");
    EXPECT_EQ(Channel(1).scanLists, 0x401);
    Pick(CL_Mch_Scan, 1, Flex0, 0, std::to_string(FlagWindowBit(2)));
    EXPECT_EQ(Channel(1).scanLists, 0x200);
}

// The channel's scan lists carry the names the Scan sheet gives them (a list without a name goes
// by its number), in the cell and in the flag window it opens; typing names or numbers sets them.
TEST_F(ChannelCells, ScanListsGoByTheScanSheetsNames) {
    Type(CL_ScanList_Text, 0, "LOCAL", CT_Scan);
    Type(CL_ScanList_Text, 2, "AIR %1F", CT_Scan);
    Edit(1, [](datCh& c) { c.scanLists = 0x400 | 0x100 | 0x040 | 0x001; });  // lists 1, 3, 5 and 11
    EXPECT_EQ(Show(CL_Mch_Scan, 1), "LOCAL, AIR %1F, 5, 11");
    EXPECT_EQ(Show(CL_Mch_Scan, 2), "");

    Run(CL_Mch_Scan, 1, 13);
    EXPECT_EQ(views_.opened.back(),
              "named flags " +
                  std::to_string(FlagWindowBit(1) | FlagWindowBit(3) | FlagWindowBit(5) | FlagWindowBit(11)) +
                  " 1..11: [1\nLOCAL] [2] [3\nAIR %1F] [4] [5] [6] [7] [8] [9] [10] [11]");

    // What the cell shows types back as it is; names match without regard to case.
    const struct {
        const char* typed;
        int lists;
    } typed[] = {
        {"LOCAL, AIR %1F, 5, 11", 0x541},
        {"air %1f,10", 0x102},
        {"", 0},
        {"1_3", 0x500},  // the digit row of lists 1 and 3
        {"10", 0x002},   // list ten, not lists 1 and 10
    };
    for (const auto& t : typed) {
        const cmcCellRequest r = Type(CL_Mch_Scan, 1, t.typed);
        EXPECT_TRUE(r.refusal.empty()) << t.typed << ": " << r.refusal;
        EXPECT_EQ(Channel(1).scanLists, t.lists) << t.typed;
    }
    // A name no list has is refused and changes nothing.
    const cmcCellRequest r = Type(CL_Mch_Scan, 1, "LOCAL, MARINE");
    EXPECT_EQ(r.refusal, "'MARINE' is not a value this cell takes");
    EXPECT_EQ(Channel(1).scanLists, 0x002);
}

// Every cell of the channel sheets of the four model types shows a value on a channel in use.
TEST_F(ChannelCells, ChannelSheetsShowNoPlaceholder) {
    const struct {
        int model;
        const char* key;
    } sheets[] = {{kModelLmr, "GI_Sheet_Mch_Lmr"},
                  {kModelPmr, "GI_Sheet_Mch_Pmr"},
                  {kModelKorvPmr, "GI_Sheet_Mch_PmrK"},
                  {kModelDPmr446, "GI_Sheet_Mch_DPmr446"}};
    for (const auto& s : sheets) {
        UseModel(s.model);
        for (int line = 0;; ++line) {
            const std::string row = GTex().Line(std::string(s.key) + "_Cells", line);
            if (!row.empty() && row[0] == '#') break;
            if (row.empty() || row[0] == ':') continue;
            cmcCellCounters counters;
            std::string_view rest = row;
            while (!rest.empty()) {
                cmcCellObj cell;
                rest = ParseCell(rest, &cell, &counters, nullptr);
                if (cell.category != CT_Mch) continue;
                cell.index = 1;
                cmcCellRequest req;
                req.cell = &cell;
                capsule_.Execute(req, false);
                EXPECT_EQ(req.display.find("*Yet*"), std::string::npos) << s.key << " " << LabelName(cell.label);
            }
        }
    }
}

}  // namespace
