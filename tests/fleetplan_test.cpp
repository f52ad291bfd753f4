// Per-radio values of a fleet write (cmcFleetPlan: --each forms, CSV plans, applying values through
// the cells' editors) and the fleet log file (cmcFleetLog).
#include "comm/cmcFleetLog.h"
#include "comm/indFleet.h"
#include "defs/cmcGTex.h"
#include "image/cmcImageMap.h"
#include "image/datCh.h"
#include "image/indMain.h"
#include "support/cmcTestSupport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace qx {
namespace {

const std::string kOwn = "%CT_Null.CL_Msk_Presl_Own_Id";

class FleetPlan : public ::testing::Test {
protected:
    void SetUp() override {
        OpenDefinitionFiles();
        test::Messages().Clear();
    }
};

TEST_F(FleetPlan, EachForms) {
    struct Case {
        std::string arg;
        size_t radios;
        std::vector<std::string> texts;  // empty: refused
        std::string why;                 // part of the reason when refused
    };
    const Case cases[] = {
        {kOwn + "=101+", 3, {"101", "102", "103"}, ""},
        {kOwn + "=101+5", 3, {"101", "106", "111"}, ""},
        {kOwn + "=0098+1", 3, {"0098", "0099", "0100"}, ""},  // the start's width is kept
        {kOwn + "=7,AB C,9", 3, {"7", "AB C", "9"}, ""},
        {kOwn + "=101", 1, {"101"}, ""},
        {"%CT_Mch.CL_Mch_Id_C[0..63]=@pick:2", 1, {"@pick:2"}, ""},
        {kOwn + "=1,2", 3, {}, "gives 2 values for 3 radios"},
        {kOwn + "=101", 2, {}, "gives 1 value for 2 radios"},
        {kOwn + "=101+0", 2, {}, "step"},
        {kOwn + "=999999999+", 2, {}, "outgrows"},
        {"%CT_Null.CL_No_Such_Label=1+", 2, {}, "no label is named 'CL_No_Such_Label'"},
        {"%CT_Nope.CL_Msk_Presl_Own_Id=1+", 2, {}, "no category"},
        {"CL_Msk_Presl_Own_Id=1+", 2, {}, "write it as"},
        {"%CT_Mch.CL_Mch_Id_C[9..3]=1+", 2, {}, "backwards"},
        {"%CT_Mch.CL_Mch_Id_C[x]=1+", 2, {}, "is not a number"},
        {kOwn + "1+", 2, {}, "is not CELL=VALUES"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arg);
        cmcFleetPlan plan;
        std::string why;
        const bool ok = plan.AddEach(c.arg, c.radios, &why);
        ASSERT_EQ(ok, !c.texts.empty()) << why;
        if (!ok) {
            EXPECT_NE(why.find(c.why), std::string::npos) << why;
            EXPECT_TRUE(plan.Empty());
            continue;
        }
        ASSERT_EQ(plan.rows.size(), c.radios);
        for (size_t i = 0; i < c.radios; ++i) {
            const auto values = plan.ValuesFor(i, "", "");
            ASSERT_EQ(values.size(), 1u);
            EXPECT_EQ(values[0].text, c.texts[i]);
        }
    }
}

TEST_F(FleetPlan, TwoEachColumnsGoTogether) {
    cmcFleetPlan plan;
    std::string why;
    ASSERT_TRUE(plan.AddEach(kOwn + "=101+", 2, &why));
    ASSERT_TRUE(plan.AddEach("%CT_Mch.CL_Mch_Id_C[0]=5,6", 2, &why));
    EXPECT_EQ(cmcFleetPlan::Describe(plan.ValuesFor(1, "", "")), kOwn + "=102; %CT_Mch.CL_Mch_Id_C[0]=6");
}

TEST_F(FleetPlan, CsvPlans) {
    struct Case {
        std::string csv;
        bool ok;
        std::string why;  // part of the reason when refused
    };
    const Case cases[] = {
        {"Port," + kOwn + "\n/dev/a,101\n/dev/b,102\n", true, ""},
        {"\xEF\xBB\xBFserial , " + kOwn + "\r\n20241200001,101\r\n\r\n20241200002,102\r\n", true, ""},
        {"Port," + kOwn + ",%CT_Mch.CL_Mch_Id_C[0..63]\n\"/dev/x,1\",\"1\"\"2\",\n", true, ""},
        {"Name," + kOwn + "\na,1\n", false, "line 1: the first column is Port or Serial"},
        {"Port\n/dev/a\n", false, "no cell column"},
        {"Port,%CT_Null.CL_Bogus\n/dev/a,1\n", false, "line 1: '%CT_Null.CL_Bogus' is not a cell"},
        {"Port," + kOwn + "\n/dev/a,1,2\n", false, "line 2: 3 fields where the header has 2"},
        {"Port," + kOwn + "\n/dev/a,1\n/dev/a,2\n", false, "line 3: the Port '/dev/a' has a row already"},
        {"Serial," + kOwn + "\n ,1\n", false, "line 2: the Serial is empty"},
        {"", false, "is empty"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.csv);
        cmcFleetPlan plan;
        std::string why;
        ASSERT_EQ(plan.ParseCsv(c.csv, &why, "plan.csv"), c.ok) << why;
        if (c.ok) continue;
        EXPECT_EQ(why.rfind("plan.csv ", 0), 0u) << why;
        EXPECT_NE(why.find(c.why), std::string::npos) << why;
    }

    // Quoting: a key holding a comma, a doubled quote, an empty field that leaves its cell alone.
    cmcFleetPlan plan;
    std::string why;
    ASSERT_TRUE(plan.ParseCsv(cases[2].csv, &why));
    EXPECT_EQ(plan.key, cmcFleetKey::Port);
    EXPECT_EQ(plan.Ports(), std::vector<std::string>{"/dev/x,1"});
    bool found = false;
    const auto values = plan.ValuesFor(5, "/dev/x,1", "", &found);
    EXPECT_TRUE(found);
    ASSERT_EQ(values.size(), 1u);
    EXPECT_EQ(values[0].Assignment(), kOwn + "=1\"2");
    plan.ValuesFor(0, "/dev/y", "", &found);
    EXPECT_FALSE(found);

    // By serial: the key's name in any case, CRLF lines; the port plays no part.
    ASSERT_TRUE(plan.ParseCsv(cases[1].csv, &why));
    EXPECT_TRUE(plan.BySerial());
    EXPECT_EQ(plan.ValuesFor(0, "/dev/a", "20241200002", &found).at(0).text, "102");
    EXPECT_TRUE(found);
    plan.ValuesFor(0, "/dev/a", "", &found);
    EXPECT_FALSE(found);
}

// A PMR image with channels 0 and 1 in use.
void TwoChannels(indMain& m) {
    m.LoadStartImage(kModelPmr);
    const auto refused = cmcFleetPlan::Apply(
        m, {{"%CT_Mch.CL_Mch_FreqR[0]", "446.00625"}, {"%CT_Mch.CL_Mch_FreqR[1]", "446.01875"}});
    ASSERT_TRUE(refused.empty()) << refused[0].Message();
}

TEST_F(FleetPlan, ApplyGoesThroughTheEditorsAndKeepsAllOrNothing) {
    indMain m;
    TwoChannels(m);
    ASSERT_TRUE(datChannelInUse(m.WorkingImage().Data(), 1));
    ASSERT_FALSE(datChannelInUse(m.WorkingImage().Data(), 2));
    const cmcEeprom before(m.WorkingImage());

    // One refused value: the accepted one is put back too, and the refusal names the cell.
    auto refused = cmcFleetPlan::Apply(m, {{kOwn, "101"}, {kOwn, "5000"}});
    ASSERT_EQ(refused.size(), 1u);
    EXPECT_EQ(refused[0].column, 1u);
    EXPECT_EQ(refused[0].Message().rfind(kOwn + "=5000: ", 0), 0u) << refused[0].Message();
    ASSERT_EQ(m.WorkingImage().GetSize(), before.GetSize());
    EXPECT_EQ(std::memcmp(m.WorkingImage().Data(), before.Data(), static_cast<size_t>(before.GetSize())), 0);

    // A channel range reaches the channels in use only; one without any is refused.
    refused = cmcFleetPlan::Apply(m, {{kOwn, "101"}, {"%CT_Mch.CL_Mch_Id_C[0..63]", "@pick:2"}});
    EXPECT_TRUE(refused.empty()) << refused[0].Message();
    for (int n = 0; n < 3; ++n) {
        datCh ch(m.WorkingImage().Data());
        ch.Load(datChannelKind(m.ModelType()), n);
        EXPECT_EQ(ch.idCode != 0, n < 2) << "channel " << n;
    }
    refused = cmcFleetPlan::Apply(m, {{"%CT_Mch.CL_Mch_Id_C[10..20]", "@pick:2"}});
    ASSERT_EQ(refused.size(), 1u);
    EXPECT_EQ(refused[0].why, "no channel of the range is in use");

    // An unknown cell is refused, not fatal.
    refused = cmcFleetPlan::Apply(m, {{"%CT_Null.CL_Bogus", "1"}});
    ASSERT_EQ(refused.size(), 1u);
}

TEST_F(FleetPlan, LogAppendsUnderItsHeaderAndReadsBack) {
    const std::string dir = test::TempDir() + "/fleetlog";
    const std::string path = dir + "/sub/log.csv";
    cmcFleetLogEntry e;
    e.SetWhen(0);
    e.port = "/dev/ttyUSB0";
    e.serial = "20241200001";
    e.modelType = "PMR";
    e.file = "/tmp/a, \"b\".QCF";
    e.values = kOwn + "=101; %CT_Mch.CL_Mch_Id_C[0..63]=3";
    e.result = 18;
    e.message = "The radio read back differs";
    e.duration = 12.345;
    std::string why;
    ASSERT_TRUE(cmcFleetLog::Append(path, e, &why)) << why;
    // A line cut off by a crash does not swallow the next one.
    {
        FILE* f = std::fopen(path.c_str(), "ab");
        std::fputs("2025-01-01,cut", f);
        std::fclose(f);
    }
    e.result = 0;
    e.message = "ok";
    ASSERT_TRUE(cmcFleetLog::Append(path, e, &why)) << why;

    const std::string text = test::ReadFile(path);
    EXPECT_EQ(text.substr(0, text.find('\n')), cmcFleetLog::kHeader);
    EXPECT_NE(text.find(",\"/tmp/a, \"\"b\"\".QCF\","), std::string::npos) << text;
    EXPECT_NE(text.find(",18,The radio read back differs,12.3\n"), std::string::npos) << text;

    std::vector<cmcFleetLogEntry> read;
    int skipped = 0;
    ASSERT_TRUE(cmcFleetLog::Read(path, &read, &why, &skipped)) << why;
    ASSERT_EQ(read.size(), 2u) << text;
    EXPECT_EQ(skipped, 1);
    EXPECT_EQ(read[0].file, e.file);
    EXPECT_EQ(read[0].values, e.values);
    EXPECT_EQ(read[0].result, 18);
    EXPECT_EQ(read[1].message, "ok");
    EXPECT_DOUBLE_EQ(read[1].duration, 12.3);
    EXPECT_EQ(read[1].date.size(), 10u);
    EXPECT_EQ(read[1].time.size(), 8u);

    // A log that cannot be written says why; a file that is not a log is not read as one.
    EXPECT_FALSE(cmcFleetLog::Append(path + "/below-a-file.csv", e, &why));
    EXPECT_NE(why.find("below-a-file.csv"), std::string::npos) << why;
    test::WriteFile(dir + "/other.csv", "a,b\n1,2\n");
    EXPECT_FALSE(cmcFleetLog::Read(dir + "/other.csv", &read, &why));
    EXPECT_EQ(cmcFleetLog::DefaultPath().substr(cmcFleetLog::DefaultPath().size() - 28), "/Vexa/QX-P2210/fleet-log.csv");
}

}  // namespace
}  // namespace qx
