// Channel plans: CSV reading, export then import over images of every model type, a hand-written
// plan without the optional columns, every kind of refused value (with its line and column, and
// no change), appending to a bank, skipping bad lines, and the comparison of two images.
#include "cells/cmcCellCapsule.h"
#include "cells/cmcChannelPlan.h"
#include "cells/cmcDispText.h"
#include "defs/cmcGTex.h"
#include "image/cmcImageMap.h"
#include "image/datCh.h"
#include "image/indMain.h"
#include "support/cmcTestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace qx;
using namespace std::string_literals;

namespace {

const char* Word(int model) {
    switch (model) {
    case kModelLmr: return "Lmr";
    case kModelPmr: return "Pmr";
    case kModelKorvPmr: return "PmrK";
    default: return "DPmr446";
    }
}

class ChannelPlan : public ::testing::Test {
protected:
    void SetUp() override {
        OpenDefinitionFiles();
        test::Messages().Clear();
    }

    static uint8_t* Image(indMain& m) { return m.WorkingImage().Data(); }

    // A start image whose banks hold no channels.
    static void Empty(indMain& m, int model) {
        m.LoadStartImage(model);
        for (int b = 0; b < 5; ++b) datSetBankSize(Image(m), b, 0);
    }

    template <class F>
    static void Edit(indMain& m, int n, F f) {
        datCh ch(Image(m));
        ch.Load(datChannelKind(m.ModelType()), n);
        f(ch);
        ch.Store();
    }

    static datTone Ctcss(int item) {
        datTone t;
        t.enabled = true;
        t.ctcss = static_cast<uint8_t>(item);
        return t;
    }
    static datTone Dtcs(int code, bool inverted) {
        datTone t;
        t.enabled = t.dtcs = true;
        t.dtcsCode = static_cast<uint16_t>(code);
        t.inverted = inverted;
        return t;
    }

    // Channels of every kind the plan layout describes: plain, shifted up and down, split,
    // transmit inhibited, tone, tone squelch, codes with polarities, cross modes, names, narrow,
    // power levels and scan skip; in banks 1, 2 and 5 (dPMR446: only its bank of free frequencies,
    // whose transmit tone follows the receive tone).
    static void Fill(indMain& m) {
        const bool d446 = m.ModelType() == kModelDPmr446;
        const std::vector<int> sizes = d446 ? std::vector<int>{0, 0, 0, 0, 5} : std::vector<int>{4, 3, 0, 0, 2};
        for (int b = 0; b < 5; ++b) datSetBankSize(Image(m), b, sizes[b]);
        const int total = d446 ? 5 : 9;
        for (int n = 0; n < total; ++n) {
            Edit(m, n, [&](datCh& ch) {
                ch.rxFreq = ch.txFreq = 446006250 + 12500 * static_cast<uint32_t>(n);
                ch.inUse = true;
                ch.txInhibit = false;
                ch.rxTone = ch.txTone = datTone{};
                ch.narrow = n % 2;
                ch.rfPower = static_cast<uint8_t>(n % 4);
                ch.scanInc = n % 3 != 0;
                const char* names[] = {"GATE", "YARD 2", "", "A.B-1", "SITE", "OFFICE", "X", "CH 8", "LAST"};
                for (int i = 0; i < 8; ++i) ch.text[i] = ' ';
                for (int i = 0; names[n][i]; ++i) ch.text[i] = static_cast<uint8_t>(names[n][i]);
                if (d446) {
                    if (n == 1) ch.rxTone = ch.txTone = Ctcss(12);
                    if (n == 2) ch.rxTone = ch.txTone = Dtcs(023, true);
                    return;
                }
                switch (n) {
                case 1: ch.txFreq += 600000; ch.txTone = Ctcss(12); break;                      // +, Tone
                case 2: ch.txFreq -= 5000000; ch.rxTone = ch.txTone = Ctcss(20); break;         // -, TSQL
                case 3: ch.txFreq = 156800000; ch.rxTone = ch.txTone = Dtcs(0754, false); break; // split, DTCS
                case 4: ch.txInhibit = true; ch.txTone = Dtcs(023, true); ch.rxTone = Dtcs(023, false); break;
                case 5: ch.txTone = Dtcs(0114, false); ch.rxTone = Ctcss(3); break;              // DTCS->Tone
                case 6: ch.rxTone = Dtcs(0131, true); break;                                     // ->DTCS
                case 7: ch.txTone = Ctcss(5); ch.rxTone = Ctcss(40); break;                      // Tone->Tone
                default: break;
                }
            });
        }
    }
};

TEST_F(ChannelPlan, CsvFieldsQuotesAndLines) {
    const auto r = ParseCsv("a,\"b,c\",\"say \"\"hi\"\"\"\r\n\r\nx,\"two\nlines\",\n\"last\"");
    ASSERT_EQ(r.size(), 3u);
    EXPECT_EQ(r[0].fields, (std::vector<std::string>{"a", "b,c", "say \"hi\""}));
    EXPECT_EQ(r[1].line, 3);
    EXPECT_EQ(r[1].fields, (std::vector<std::string>{"x", "two\nlines", ""}));
    EXPECT_EQ(r[2].line, 5);
    EXPECT_EQ(CsvField("a,b"), "\"a,b\"");
    EXPECT_EQ(CsvField(" x"), "\" x\"");
    EXPECT_EQ(ParseCsv(CsvField("q\"\n,") + "\n")[0].fields[0], "q\"\n,");
}

TEST_F(ChannelPlan, ExportThenImportReproducesTheChannelsOfEveryModelType) {
    for (int model : {kModelLmr, kModelPmr, kModelKorvPmr, kModelDPmr446}) {
        SCOPED_TRACE(Word(model));
        indMain a;
        a.LoadStartImage(model);
        Fill(a);
        const std::string plan = ExportChannelPlan(a);
        // Into an image without channels: the channels join their banks.
        indMain b;
        Empty(b, model);
        const cmcPlanImport r = ImportChannelPlan(b, plan, {});
        for (const auto& p : r.problems) ADD_FAILURE() << p.Text();
        EXPECT_TRUE(r.applied);
        EXPECT_EQ(ExportChannelPlan(b), plan);
        for (int bank = 0; bank < 5; ++bank) EXPECT_EQ(datBankSize(Image(b), bank), datBankSize(Image(a), bank));
        // And over the same channels holding other values.
        indMain c;
        c.LoadStartImage(model);
        Fill(c);
        for (int n = 0; n < 5; ++n) Edit(c, n, [](datCh& ch) { ch.rxFreq = ch.txFreq = 446100000; ch.narrow = !ch.narrow; });
        for (const auto& p : ImportChannelPlan(c, plan, {}).problems) ADD_FAILURE() << p.Text();
        EXPECT_EQ(ExportChannelPlan(c), plan);
    }
}

TEST_F(ChannelPlan, ExportedFieldsOfAShiftedToneChannel) {
    indMain a;
    a.LoadStartImage(kModelLmr);
    Fill(a);
    const auto lines = ParseCsv(ExportChannelPlan(a));
    ASSERT_EQ(lines.size(), 10u);
    EXPECT_EQ(lines[0].fields, ChannelPlanColumns());
    const auto& f = lines[2].fields;  // channel 2: 600 kHz up, a transmit tone, narrow
    EXPECT_EQ(f[0], "2");
    EXPECT_EQ(f[1], "YARD 2");
    EXPECT_EQ(f[2], "446.018750");
    EXPECT_EQ(f[3], "+");
    EXPECT_EQ(f[4], "0.600000");
    EXPECT_EQ(f[5], "Tone");
    EXPECT_EQ(f[12], "NFM");
    EXPECT_EQ(f[PC_Power], "2.5W");  // LMR's Middle level
    EXPECT_EQ(f[PC_Bank], "1");
    EXPECT_EQ(lines[4].fields[3], "split");
    EXPECT_EQ(lines[4].fields[4], "156.800000");
    EXPECT_EQ(lines[5].fields[3], "off");
    EXPECT_EQ(lines[6].fields[11], "DTCS->Tone");
    // The tones as the import preview shows them.
    EXPECT_EQ(PlanToneText(f), "Tone " + f[PC_RTone]);
    EXPECT_EQ(PlanToneText(lines[6].fields), "Cross DTCS->Tone 114N/" + lines[6].fields[PC_CTone]);
    EXPECT_EQ(PlanToneText(lines[1].fields), "");
    EXPECT_EQ(lines[9].fields[PC_Bank], "5");
}

TEST_F(ChannelPlan, HandWrittenPlanWithoutOptionalColumns) {
    indMain m;
    m.LoadStartImage(kModelPmr);
    Fill(m);
    const std::string plan =
        "Name,Frequency,Remarks,Location\n"
        "DEPOT,446.031250,extra column,2\n"
        "\"NEW,1\",446.093750,,10\n";
    const cmcPlanImport r = ImportChannelPlan(m, plan, {});
    for (const auto& p : r.problems) ADD_FAILURE() << p.Text();
    ASSERT_TRUE(r.applied);
    ASSERT_EQ(r.changes.size(), 2u);
    EXPECT_FALSE(r.changes[0].before.empty());
    EXPECT_TRUE(r.changes[1].added);
    datCh ch(Image(m));
    ch.Load(datChannelKind(kModelPmr), 1);
    EXPECT_EQ(ch.rxFreq, 446031250u);
    EXPECT_EQ(ch.txFreq, 446031250u);  // no Duplex column: transmit on the receive frequency
    EXPECT_EQ(ch.txTone, Ctcss(12));   // columns the plan lacks are kept
    EXPECT_EQ(std::string(reinterpret_cast<char*>(ch.text), 8), "DEPOT   ");
    // Location 10 lies beyond the nine channels: it joins the last bank that holds channels.
    EXPECT_EQ(datBankSize(Image(m), 4), 3);
    ch.Load(datChannelKind(kModelPmr), 9);
    EXPECT_EQ(ch.rxFreq, 446093750u);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(ch.text), 5), "NEW,1");
}

TEST_F(ChannelPlan, EveryRefusedValueNamesItsLineAndColumnAndChangesNothing) {
    // The column set of older plans: Bank right after Comment.
    const std::string header = "Location,Name,Frequency,Duplex,Offset,Tone,rToneFreq,cToneFreq,DtcsCode,DtcsPolarity,"
                               "RxDtcsCode,CrossMode,Mode,TStep,Skip,Power,Comment,Bank\n";
    const std::string good = "1,OK,446.006250,,,,,,,,,,FM,,,High,,1\n";
    struct Case {
        std::string line;
        const char* column;
    };
    const Case cases[] = {
        {"2,A,446.006251,,,,,,,,,,FM,,,,,1", "Frequency"},  // off the channel raster
        {"2,A,abc,,,,,,,,,,FM,,,,,1", "Frequency"},
        {"2,A,446.006250,x,,,,,,,,,FM,,,,,1", "Duplex"},
        {"2,A,446.006250,+,z,,,,,,,,FM,,,,,1", "Offset"},
        {"2,A,446.006250,,,Tone,88.6,,,,,,FM,,,,,1", "rToneFreq"},  // no such tone
        {"2,A,446.006250,,,DTCS,,,999,,,,FM,,,,,1", "DtcsCode"},
        {"2,A,446.006250,,,DTCS,,,023,NX,,,FM,,,,,1", "DtcsPolarity"},
        {"2,A,446.006250,,,TSQL-R,,,,,,,FM,,,,,1", "Tone"},
        {"2,A,446.006250,,,Cross,,,,,,Tone->Nothing,FM,,,,,1", "CrossMode"},
        {"2,A,446.006250,,,,,,,,,,AM,,,,,1", "Mode"},
        {"2,A,446.006250,,,,,,,,,,FM,,Q,,,1", "Skip"},
        {"2,A,446.006250,,,,,,,,,,FM,,,Max,,1", "Power"},
        {"2,TOO LONG NAME,446.006250,,,,,,,,,,FM,,,,,1", "Name"},
        {"2,\xC3\xA9,446.006250,,,,,,,,,,FM,,,,,1", "Name"},  // a character the display lacks
        {"65,A,446.006250,,,,,,,,,,FM,,,,,1", "Location"},
        {"2,A,446.006250,,,,,,,,,,FM,,,,,9", "Bank"},
        {"2,A,446.006250,,,,,,,,,,FM,,,,,3", "Bank"},  // channel 2 is in bank 1
        // Numbers beyond their type must not wrap into a valid one (2^32 + 2 is not channel 2),
        // and only plain decimal numbers are numbers.
        {"4294967298,A,446.006250,,,,,,,,,,FM,,,,,1", "Location"},
        {"-2,A,446.006250,,,,,,,,,,FM,,,,,1", "Location"},
        {"2,A,446.006250,,,,,,,,,,FM,,,,,4294967297", "Bank"},
        {"2,A,446.006250,+,3998.867296,,,,,,,,FM,,,,,1", "Offset"},  // 446 + 3998.87 MHz past 32 bits
        {"2,A,5000,,,,,,,,,,FM,,,,,1", "Frequency"},
        {"2,A,0x1BE.1,,,,,,,,,,FM,,,,,1", "Frequency"},
        {"2,A,4.46e2,,,,,,,,,,FM,,,,,1", "Frequency"},
        {"2,A,446.1\0garbage,,,,,,,,,,FM,,,,,1"s, "Frequency"},
        {"2,A,446.006250,,,Tone,88.5\0x,,,,,,FM,,,,,1"s, "rToneFreq"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        indMain m;
        m.LoadStartImage(kModelLmr);
        Fill(m);
        const cmcEeprom before(m.WorkingImage());
        const cmcPlanImport r = ImportChannelPlan(m, header + good + c.line + "\n", {});
        ASSERT_FALSE(r.problems.empty());
        EXPECT_EQ(r.problems[0].line, 3);
        EXPECT_EQ(r.problems[0].column, c.column) << r.problems[0].Text();
        EXPECT_FALSE(r.applied);
        EXPECT_TRUE(std::equal(before.Data(), before.Data() + before.GetSize(), m.WorkingImage().Data()));
        EXPECT_FALSE(m.IsModified());
    }
    // The fixed channels of a dPMR446 bank take one of the fixed frequencies (picked, as they
    // take no typing), and no other.
    indMain d;
    d.LoadStartImage(kModelDPmr446);
    datSetBankSize(Image(d), 0, 2);
    const cmcPlanImport r = ImportChannelPlan(d, header + "1,A,446.106250,,,,,,,,,,FM,,,,,1\n", {});
    ASSERT_EQ(r.problems.size(), 1u);
    EXPECT_EQ(r.problems[0].column, "Frequency");
    const cmcPlanImport fixed = ImportChannelPlan(d, header + "1,A,446.109375,,,,,,,,,,,,,,,1\n", {});
    for (const auto& p : fixed.problems) ADD_FAILURE() << p.Text();
    datCh ch(Image(d));
    ch.Load(datChannelKind(kModelDPmr446), 0);
    EXPECT_EQ(ch.rxFreq, 446109375u);
    EXPECT_EQ(ch.txFreq, 446109375u);
    // Its transmit tone is the receive tone: two different ones are refused, saying why.
    const cmcPlanImport two = ImportChannelPlan(d, header + "1,A,446.109375,,,DTCS,,,023,NR,,,,,,,,1\n", {});
    ASSERT_EQ(two.problems.size(), 1u);
    EXPECT_EQ(two.problems[0].Text(), "line 2: DtcsCode: this model transmits the tone it receives: '023N' cannot differ from '023I'");
}

// A name with a character the display has no code for is refused for the reason the name cell
// gives everywhere else (the text entry, the in-place editor, the command line's set).
TEST_F(ChannelPlan, NameRefusedForTheCharacterTheDisplayLacks) {
    indMain m;
    Empty(m, kModelPmr);
    const cmcPlanImport r = ImportChannelPlan(m, "Location,Frequency,Name\n1,446.100000,A\xC3\xA9\xC2\xB0" "1\n", {});
    ASSERT_EQ(r.problems.size(), 1u);
    EXPECT_EQ(r.problems[0].Text(), "line 2: Name: 'A\xC3\xA9\xC2\xB0" "1' refused: the display has no character '\xC3\xA9'");
    EXPECT_FALSE(r.applied);
}

TEST_F(ChannelPlan, HeaderProblemsAndSkippingBadLines) {
    indMain m;
    m.LoadStartImage(kModelPmr);
    Fill(m);
    EXPECT_EQ(ImportChannelPlan(m, "", {}).problems[0].Text(),
              "line 1: the file is empty: a header line naming the columns is needed");
    EXPECT_EQ(ImportChannelPlan(m, "Location,Name\n1,A\n", {}).problems[0].column, "Frequency");
    EXPECT_EQ(ImportChannelPlan(m, "Name,Frequency\nA,446.1\n", {}).problems[0].column, "Location");

    const std::string plan = "Location,Frequency,Name\n1,446.100000,ONE\n2,446.103,TWO\n3,446.112500,THREE\n";
    const cmcPlanImport refused = ImportChannelPlan(m, plan, {});
    EXPECT_FALSE(refused.applied);
    const cmcPlanImport skipped = ImportChannelPlan(m, plan, {.skipBad = true});
    EXPECT_TRUE(skipped.applied);
    ASSERT_EQ(skipped.problems.size(), 1u);
    EXPECT_EQ(skipped.problems[0].line, 3);
    ASSERT_EQ(skipped.changes.size(), 2u);
    EXPECT_EQ(skipped.changes[1].channel, 2);
    datCh ch(Image(m));
    ch.Load(datChannelKind(kModelPmr), 1);
    EXPECT_EQ(ch.rxFreq, 446018750u);  // the skipped line left channel 2 as it was
}

TEST_F(ChannelPlan, TwoLinesForOneChannelOrTwoColumnsOfOneNameAreRefused) {
    indMain m;
    m.LoadStartImage(kModelPmr);
    Fill(m);
    const cmcEeprom before(m.WorkingImage());
    const std::string plan = "Location,Frequency,Name\n3,446.100000,ONE\n4,446.112500,TWO\n3,446.125000,AGAIN\n";
    const cmcPlanImport r = ImportChannelPlan(m, plan, {});
    ASSERT_EQ(r.problems.size(), 1u);
    EXPECT_EQ(r.problems[0].Text(), "line 4: Location: channel 3 is already set by line 2");
    EXPECT_FALSE(r.applied);
    EXPECT_FALSE(m.WorkingImage().Differs(before));
    // Skipping the bad line keeps the first line's values, not the later one's.
    ASSERT_TRUE(ImportChannelPlan(m, plan, {.skipBad = true}).applied);
    datCh ch(Image(m));
    ch.Load(datChannelKind(kModelPmr), 2);
    EXPECT_EQ(ch.rxFreq, 446100000u);

    const cmcPlanImport twice = ImportChannelPlan(m, "Location,Frequency,Name,Frequency\n1,446.1,A,446.2\n", {});
    ASSERT_EQ(twice.problems.size(), 1u);
    EXPECT_EQ(twice.problems[0].Text(), "line 1: Frequency: the column appears twice");
    EXPECT_TRUE(twice.changes.empty());
}

TEST_F(ChannelPlan, ProblemsPastTheFirstHundredAreCountedAndMessagesStayReadable) {
    indMain m;
    m.LoadStartImage(kModelPmr);
    Fill(m);
    std::string plan = "Location,Frequency,Mode\n";
    for (int i = 0; i < 250; ++i) plan += "x,446.1,FM\n";
    const cmcPlanImport r = ImportChannelPlan(m, plan, {});
    EXPECT_EQ(r.problems.size(), 100u);
    EXPECT_EQ(r.moreProblems, 150);
    EXPECT_EQ(r.refusedLines, 250);
    EXPECT_EQ(r.problems.back().line, 101);
    EXPECT_EQ(r.MoreProblemsText(), "and 150 more problems");
    cmcPlanImport many;
    many.moreProblems = 9900;
    EXPECT_EQ(many.MoreProblemsText(), "and 9,900 more problems");

    // A field with control characters is shown escaped; a long one by its start.
    const std::string longField(5000, '7');
    const cmcPlanImport shown =
        ImportChannelPlan(m, "Location,Frequency,Mode\n1,446.1,\x1B[2J\tX\n2," + longField + ",FM\n", {});
    ASSERT_EQ(shown.problems.size(), 2u);
    EXPECT_EQ(shown.problems[0].message, "'\\x1B[2J\\tX' is not a mode this radio has (FM or NFM)");
    EXPECT_EQ(shown.problems[1].message, "'" + longField.substr(0, 40) + "...' is not a frequency in MHz");
}

TEST_F(ChannelPlan, PlanFilesAreReadUpToTheLimit) {
    std::string text, why;
    const std::string path = test::WriteFile(test::TempDir() + "/plan.csv", "Location,Frequency\n1,446.1\n");
    ASSERT_TRUE(ReadChannelPlanFile(path, &text, &why)) << why;
    EXPECT_EQ(text, "Location,Frequency\n1,446.1\n");
    // A device without end is read only up to the limit, not until memory runs out.
    EXPECT_FALSE(ReadChannelPlanFile("/dev/zero", &text, &why));
    EXPECT_EQ(why, "/dev/zero is larger than 16 MiB, far more than a channel plan of 64 channels can be; it was not read");
    EXPECT_FALSE(ReadChannelPlanFile(test::TempDir() + "/no-such-plan.csv", &text, &why));
    EXPECT_EQ(why, "cannot read " + test::TempDir() + "/no-such-plan.csv");
}

TEST_F(ChannelPlan, PlanSavedBySpreadsheetWithSemicolonsAndShortenedNumbers) {
    // Where the comma is the decimal mark, spreadsheets separate fields with semicolons; numbers
    // come back without their trailing and leading zeros.
    indMain m;
    Empty(m, kModelLmr);
    const std::string plan =
        "\xEF\xBB\xBFLocation;Name;Frequency;Duplex;Offset;Tone;rToneFreq;cToneFreq;DtcsCode;DtcsPolarity;"
        "RxDtcsCode;CrossMode;Mode;TStep;Skip;Power;Comment;Bank\r\n"
        "1;GATE;446,00625;+;0,6;Tone;100;88,5;23;NN;23;Tone->Tone;NFM;6,25;;;;1\r\n"
        "2;YARD;446,01875;;0;DTCS;88,5;88,5;23;RN;23;Tone->Tone;FM;12,5;S;;;1\r\n";
    const cmcPlanImport r = ImportChannelPlan(m, plan, {});
    for (const auto& p : r.problems) ADD_FAILURE() << p.Text();
    ASSERT_TRUE(r.applied);
    const auto lines = ParseCsv(ExportChannelPlan(m));
    ASSERT_EQ(lines.size(), 3u);
    const auto& a = lines[1].fields;
    EXPECT_EQ(std::vector<std::string>(a.begin(), a.begin() + 7),
              (std::vector<std::string>{"1", "GATE", "446.006250", "+", "0.600000", "Tone", "100.0"}));
    const auto& b = lines[2].fields;
    EXPECT_EQ(b[5], "DTCS");
    EXPECT_EQ(b[8], "023");
    EXPECT_EQ(b[9], "RN");
    EXPECT_EQ(b[14], "S");
}

TEST_F(ChannelPlan, AnImportIsOneUndoStepAndAPreviewLeavesNone) {
    indMain m;
    m.LoadStartImage(kModelPmr);
    Fill(m);
    m.NewHistory();
    const cmcEeprom start(m.WorkingImage());
    const std::string plan = "Location,Frequency,Name,Mode\n1,446.100000,ONE,FM\n2,446.112500,TWO,NFM\n";
    // A preview and a refused plan edit the image while they check it, and put it back.
    EXPECT_FALSE(ImportChannelPlan(m, plan, {.apply = false}).applied);
    EXPECT_FALSE(ImportChannelPlan(m, plan + "3,446.103,BAD,FM\n", {}).applied);
    EXPECT_FALSE(m.CanUndo());
    EXPECT_FALSE(m.WorkingImage().Differs(start));

    ASSERT_TRUE(ImportChannelPlan(m, plan, {}).applied);
    ASSERT_TRUE(m.Undo());
    EXPECT_FALSE(m.WorkingImage().Differs(start));
    EXPECT_FALSE(m.CanUndo());
}

// Power travels as watts: each model type's levels carry nominal watts in the definition file,
// a plan's watts pick the nearest level (by ratio), our own level names still read.
TEST_F(ChannelPlan, PowerIsReadAsTheNearestLevelAndWrittenAsWatts) {
    const auto lmr = ChannelPowerLevels(kModelLmr);
    ASSERT_EQ(lmr.size(), 4u);
    EXPECT_EQ(lmr[0].name, "High");
    EXPECT_EQ(lmr[0].watts, 5.0);
    EXPECT_EQ(lmr[3].watts, 0.5);
    for (int model : {kModelPmr, kModelKorvPmr, kModelDPmr446}) EXPECT_EQ(ChannelPowerLevels(model)[0].watts, 0.5);
    const auto pmr = ChannelPowerLevels(kModelPmr);
    const struct {
        const char* text;
        int lmr, pmr;
    } cases[] = {
        {"5W", 0, 0},       {"5.0W", 0, 0},  {"0.5 W", 3, 0},    {"4", 0, 0},       {"25W", 0, 0},
        {"1.0W", 2, 0},     {"2W", 1, 0},    {"0.7W", 3, 0},     {"0.15w", 3, 1},   {"0.06W", 3, 3},
        {"High", 0, 0},     {"very low", 3, 3}, {"Middle (2.5 W)", 1, 1},
        {"0W", -1, -1},     {"-1W", -1, -1}, {"5 kW", -1, -1},   {"Max", -1, -1},   {"1e1W", -1, -1},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(PowerLevelOf(lmr, c.text), c.lmr) << c.text;
        EXPECT_EQ(PowerLevelOf(pmr, c.text), c.pmr) << c.text;
    }
    for (double w : {5.0, 2.5, 1.0, 0.5, 0.2, 0.05, 25.0}) EXPECT_EQ(PowerLevelOf(lmr, WattsText(w)), PowerLevelOf(lmr, std::to_string(w)));
    EXPECT_EQ(WattsText(5), "5.0W");
    EXPECT_EQ(WattsText(0.05), "0.05W");
    EXPECT_EQ(WattsText(25), "25W");
}

TEST_F(ChannelPlan, FittedNamesAreWhatTheDisplayShows) {
    const struct {
        const char* in;
        const char* out;
    } cases[] = {
        {"gate", "GATE"},          {"Warehouse 12", "WAREHOUS"}, {"Café Süd", "CAFE SUD"}, {"Straße", "STRASSE"},
        {"A.B.C.D.E.F.G.H.I", "A.B.C.D.E.F.G.H."},  // a point shares its character's place
        {"50% ok", "50%% OK"},     {"Ch\t1", "CH-1"},   {"日本", "--"},           {"  ", ""},
    };
    for (const auto& c : cases) {
        const std::string fitted = FitName(c.in);
        EXPECT_EQ(fitted, c.out) << c.in;
        EXPECT_TRUE(NoCharacterMessage(fitted).empty()) << fitted;
    }
}

// Plans written by other programming tools: Locations from 0, comment lines, one tone column,
// Skip P, unused columns; every problem of a line is reported, not only the first.
TEST_F(ChannelPlan, ConventionsOfOtherToolsPlans) {
    indMain m;
    Empty(m, kModelLmr);
    const std::string plan =
        "# written by hand\n"
        "Location,Name,Frequency,Tone,rToneFreq,Skip,Power,URCALL,Comment\n"
        "# a comment between lines\n"
        "0,A,446.006250,TSQL,100.0,P,5.0W,CQCQCQ,x\n"
        "1,B,446.018750,,,S,0.5 W,,\n";
    const cmcPlanImport r = ImportChannelPlan(m, plan, {});
    for (const auto& p : r.problems) ADD_FAILURE() << p.Text();
    ASSERT_EQ(r.notes.size(), 1u);
    EXPECT_EQ(r.notes[0].Text(), "Locations count from 0 in this plan: Location 0 is channel 1");
    ASSERT_EQ(r.changes.size(), 2u);
    EXPECT_EQ(r.changes[0].line, 4);
    EXPECT_EQ(r.changes[0].channel, 0);
    const auto& a = r.changes[0].after;
    EXPECT_EQ(PlanToneText(a), "TSQL 100.0");  // not 88.5: rToneFreq is the tone both ways
    EXPECT_EQ(a[PC_Skip], "");
    EXPECT_EQ(a[PC_Power], "5.0W");
    EXPECT_EQ(r.changes[1].after[PC_Power], "0.5W");
    // Told explicitly, Location 0 is no channel.
    const cmcPlanImport one = ImportChannelPlan(m, plan, {.firstLocation = 1});
    ASSERT_FALSE(one.problems.empty());
    EXPECT_EQ(one.problems[0].Text(), "line 4: Location: '0' is not a channel (1 to 64)");
    EXPECT_TRUE(one.notes.empty());

    // One line, four problems; one refused line.
    const cmcPlanImport bad = ImportChannelPlan(
        m, "Location,Name,Frequency,Tone,Mode,Power\n1,Ärger,446.006251,DTCS-R,AM,High\n", {});
    std::vector<std::string> columns;
    for (const auto& p : bad.problems) columns.push_back(p.column);
    EXPECT_EQ(columns, (std::vector<std::string>{"Tone", "Mode", "Name", "Frequency"}));
    EXPECT_EQ(bad.refusedLines, 1);
}

TEST_F(ChannelPlan, AppendingToABankShiftsTheLaterBanks) {
    indMain m;
    m.LoadStartImage(kModelPmr);
    Fill(m);  // banks 4, 3, 0, 0, 2
    const cmcPlanImport r =
        ImportChannelPlan(m, "Frequency,Name,Location\n446.200000,NEW1,1\n446.212500,NEW2,1\n", {.bank = 1});
    for (const auto& p : r.problems) ADD_FAILURE() << p.Text();
    ASSERT_EQ(r.changes.size(), 2u);
    EXPECT_EQ(r.changes[0].channel, 7);
    EXPECT_EQ(r.changes[1].channel, 8);
    EXPECT_EQ(datBankSize(Image(m), 1), 5);
    datCh ch(Image(m));
    ch.Load(datChannelKind(kModelPmr), 8);
    EXPECT_EQ(ch.rxFreq, 446212500u);
    // The channels of bank 5 moved two places on, with their values.
    ch.Load(datChannelKind(kModelPmr), 9);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(ch.text), 8), "CH 8    ");
    EXPECT_EQ(ch.rxFreq, 446006250u + 7 * 12500u);
    EXPECT_EQ(datBankOfChannel(Image(m), 9), 4);
}

TEST_F(ChannelPlan, DiffListsExactlyTheEditedCells) {
    indMain a, b;
    a.LoadStartImage(kModelPmr);
    Fill(a);
    b.LoadStartImage(kModelPmr);
    Fill(b);
    const std::vector<std::string> sheets = {"[St_ChBank]GI_Sheet_Mch_Pmr,Bank 0", "[St_ChBank]GI_Sheet_Mch_Pmr,Bank 4"};
    EXPECT_TRUE(DiffImages(a, b, sheets).empty());
    Edit(b, 8, [](datCh& ch) { ch.narrow = !ch.narrow; });
    Edit(b, 0, [](datCh& ch) { ch.rxFreq = ch.txFreq = 446150000; });
    const auto d = DiffImages(a, b, sheets);
    std::vector<std::string> texts;
    for (const auto& line : d) texts.push_back(line.Text());
    ASSERT_EQ(d.size(), 3u) << ::testing::PrintToString(texts);
    EXPECT_EQ(d[0].Text(), "Memory Channels, Bank 1 / 1-1 / RX frequency: 446.006250 -> 446.150000");
    EXPECT_EQ(d[0].valueB, "446.150000");
    EXPECT_EQ(d[1].valueB, "446.150000<-");  // the transmit frequency follows
    EXPECT_EQ(d[2].sheetReference, sheets[1]);
    for (const auto& line : d) EXPECT_EQ(line.Text().find(" / "), line.sheet.size());

    // A channel that only B has: its cells compare with nothing, its row named on B's sheet.
    // --cells lists them one by one; the change list says it in one line, and the other way round
    // the channel is removed.
    ASSERT_TRUE(ImportChannelPlan(b, "Frequency,Name\n446.200000,EXTRA\n", {.bank = 0}).applied);
    std::vector<std::string> added;
    for (const auto& line : DiffImages(a, b, sheets, {.cells = true}))
        if (line.valueB == "EXTRA") added.push_back(line.Text());
    EXPECT_EQ(added, std::vector<std::string>{"Memory Channels, Bank 1 / 1-5 / Name:  -> EXTRA"});
    const auto grouped = DiffImages(a, b, sheets);
    ASSERT_EQ(grouped.size(), 4u);
    EXPECT_EQ(grouped[2].Text(), "Memory Channels, Bank 1 / 1-5: new channel 446.200000 MHz EXTRA");
    EXPECT_EQ(grouped[2].kind, cmcDiffKind::NewChannel);
    EXPECT_EQ(grouped[2].gridRow, 5);
    EXPECT_GT(grouped[2].cols.size(), 10u);  // every cell of the row, for marking
    const auto back = DiffImages(b, a, sheets);
    ASSERT_EQ(back.size(), 4u);
    EXPECT_EQ(back[2].Text(), "Memory Channels, Bank 1 / 1-5: removed channel 446.200000 MHz EXTRA");
}

TEST_F(ChannelPlan, DiffOfBanksOfDifferentSizesNamesEachChannelOnce) {
    // A holds banks of 4 and 3 channels; B has emptied bank 2 (its placeholder row shows nothing)
    // and taken channel 1-3 (it has no name) out of use: four removed channels, and a channel
    // both have in use keeps its cell lines.
    indMain a, b;
    a.LoadStartImage(kModelPmr);
    Fill(a);
    b.LoadStartImage(kModelPmr);
    Fill(b);
    datSetBankSize(Image(b), 1, 0);
    datSetBankSize(Image(b), 4, 5);
    Edit(b, 2, [](datCh& ch) { ch.rxFreq = ch.txFreq = 0; ch.inUse = false; });
    Edit(b, 1, [](datCh& ch) { for (auto& c : ch.text) c = ' '; });
    const std::vector<std::string> sheets = {"[St_ChBank]GI_Sheet_Mch_Pmr,Bank 0", "[St_ChBank]GI_Sheet_Mch_Pmr,Bank 1"};
    std::vector<std::string> texts;
    for (const auto& line : DiffImages(a, b, sheets)) texts.push_back(line.Text());
    EXPECT_EQ(texts, (std::vector<std::string>{
                         "Memory Channels, Bank 1 / 1-2 / Name: YARD 2 -> ",
                         "Memory Channels, Bank 1 / 1-3: removed channel 446.031250 MHz",
                         "Memory Channels, Bank 2 / 2-1: removed channel 446.056250 MHz SITE",
                         "Memory Channels, Bank 2 / 2-2: removed channel 446.068750 MHz OFFICE",
                         "Memory Channels, Bank 2 / 2-3: removed channel 446.081250 MHz X",
                     }));
}

}  // namespace
