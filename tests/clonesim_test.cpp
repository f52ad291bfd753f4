// Cloning end to end: the program's clone commands, manager, driver and serial port against the
// simulated radio (qx-p2210-radiosim) on a real pseudo-terminal, with real timers.
#include "comm/indCloneMan.h"
#include "comm/indFleet.h"
#include "common/cmcClock.h"
#include "defs/cmcGTex.h"
#include "image/cmcQcfFile.h"
#include "image/datCh.h"
#include "image/indFileChecks.h"
#include "image/indMain.h"
#include "support/cmcTestSupport.h"

#include <QEventLoop>
#include <QProcess>
#include <QTimer>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace qx {
namespace {

// The simulator as a child process; gone with the object.
class Sim {
public:
    explicit Sim(const std::vector<std::string>& args = {}) {
        QStringList list;
        for (auto& a : args) list << QString::fromStdString(a);
        proc_.setProgram(QString::fromStdString(test::BinDir() + "/qx-p2210-radiosim"));
        proc_.setArguments(list);
        proc_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        proc_.start();
        if (!proc_.waitForStarted(5000)) return;
        while (!proc_.canReadLine() && proc_.waitForReadyRead(5000)) {
        }
        device_ = proc_.readLine().trimmed().toStdString();
    }
    ~Sim() {
        proc_.terminate();
        if (!proc_.waitForFinished(3000)) proc_.kill();
    }
    const std::string& Device() const { return device_; }
    // The lines the simulator reported so far ("ident ok ...", "read ok ...", "write ok ...").
    std::vector<std::string> Reports() {
        proc_.waitForReadyRead(50);
        out_ += proc_.readAllStandardOutput().toStdString();
        std::vector<std::string> lines;
        size_t start = 0;
        for (size_t nl; (nl = out_.find('\n', start)) != std::string::npos; start = nl + 1)
            lines.push_back(out_.substr(start, out_.find(' ', start) - start));
        return lines;
    }

private:
    QProcess proc_;
    std::string device_;
    std::string out_;
};

class CloneSimTest : public ::testing::Test {
protected:
    void SetUp() override {
        OpenDefinitionFiles(test::BinDir() + "/");
        test::Messages().Clear();
        // The commands hold on to the manager and the main object: they go first.
        commands_.reset();
        manager_.reset();
        main_.reset();
        main_ = std::make_unique<indMain>(test::BinDir() + "/");
        main_->LoadStartImage(3);
        manager_ = std::make_unique<indCloneMan>();
        commands_ = std::make_unique<indCloneCommands>(*main_, *manager_);
        commands_->backupDir = test::TempDir() + "/backups";
    }

    // Runs a command to its end; the outcome (result code, or -1 when nothing was cloned).
    int Run(bool (indCloneCommands::*command)(), const std::string& device, bool highSpeed = false) {
        manager_->SetPortDevice(device);
        manager_->SetHighSpeed(highSpeed ? 1 : 0);
        QEventLoop loop;
        bool ended = false;
        int outcome = -2;
        commands_->finished = [&](int o) {
            ended = true;
            outcome = o;
            loop.quit();
        };
        QTimer::singleShot(60000, &loop, &QEventLoop::quit);
        if ((commands_.get()->*command)() && !ended) loop.exec();
        commands_->finished = nullptr;
        return outcome;
    }

    // Puts memory channel 0 in use in bank 0, so that the image may be written.
    void AddChannel() {
        datCh ch;
        ch.Bind(main_->WorkingImage().Data());
        ch.Load(datChannelKind(main_->ModelType()), 0);
        ch.inUse = true;
        ch.rxFreq = 446006250;
        ch.txFreq = 446006250;
        ch.Store();
        datSetBankSize(main_->WorkingImage().Data(), 0, std::max(1, datBankSize(main_->WorkingImage().Data(), 0)));
        ASSERT_EQ(main_->ChannelsInUse(), 1);
    }

    // A line of what a failure means for the radio.
    static std::string Note(int line) { return GTex().Line("GI_Mess_CloneErr_Phase", line); }

    // The error message shown, or empty.
    std::string ErrorShown() const {
        for (auto& m : test::Messages().messages())
            if (m.icon == cmcMsgIcon::Error) return m.text;
        return "";
    }

    std::unique_ptr<indMain> main_;
    std::unique_ptr<indCloneMan> manager_;
    std::unique_ptr<indCloneCommands> commands_;
};

TEST_F(CloneSimTest, InformationIdentifiesTheRadio) {
    Sim sim;
    ASSERT_FALSE(sim.Device().empty());
    bool shown = false;
    commands_->showInformation = [&] { shown = true; };
    EXPECT_EQ(Run(&indCloneCommands::CloneInformation, sim.Device()), 0);
    EXPECT_TRUE(shown);
    EXPECT_EQ(main_->IdentWord1(), 0x6153);
    EXPECT_EQ(main_->Identification()[0], 80);
    EXPECT_EQ(main_->IdentReadEnd(), 0x7D7F);
    EXPECT_EQ(sim.Reports(), std::vector<std::string>{"ident"});
    EXPECT_EQ(ErrorShown(), "");
}

TEST_F(CloneSimTest, ReadAtBothSpeedsGivesTheRadiosImage) {
    // What the radio holds, as the program holds it after opening it as a file.
    indMain reference(test::BinDir() + "/");
    reference.LoadStartImage(0);
    ASSERT_EQ(reference.OpenCloneFile(test::BinDir() + "/ZT5531K_KPMR.QCF"), 0);

    cmcSetWallClock([] { return int64_t{1772546400}; });
    for (bool high : {false, true}) {
        SCOPED_TRACE(high ? "38400 bit/s" : "9600 bit/s");
        SetUp();
        Sim sim({"--model-type", "2"});
        EXPECT_EQ(Run(&indCloneCommands::CloneRead, sim.Device(), high), 0);
        EXPECT_EQ(sim.Reports(), (std::vector<std::string>{"ident", "read"}));
        EXPECT_EQ(main_->ModelType(), 2);
        EXPECT_TRUE(main_->WorkingImage().Equals(reference.WorkingImage()));
        EXPECT_FALSE(main_->IsModified());  // what the radio holds is no unsaved change
        EXPECT_EQ(main_->FileName(), "");
        // The data remembers the radio and when it was read (printouts name them).
        EXPECT_TRUE(main_->ReadFromRadio());
        EXPECT_EQ(main_->ReadSerial(), main_->SerialNumber());
        EXPECT_EQ(main_->ReadTime(), 1772546400);
    }
    cmcSetWallClock(nullptr);
}

TEST_F(CloneSimTest, WriteAtBothSpeedsStoresThePreparedImage) {
    for (bool high : {false, true}) {
        SCOPED_TRACE(high ? "38400 bit/s" : "9600 bit/s");
        SetUp();
        AddChannel();
        cmcEeprom before = main_->WorkingImage();
        std::string saved = test::TempDir() + (high ? "/written_high.qcf" : "/written.qcf");
        Sim sim({"--save", saved});
        EXPECT_EQ(Run(&indCloneCommands::CloneWrite, sim.Device(), high), 0);
        // Identified twice around the confirmation, read for the backup, written, read back.
        EXPECT_EQ(sim.Reports(), (std::vector<std::string>{"ident", "ident", "read", "write", "read"}));
        ASSERT_EQ(test::Messages().messages().size(), 2u);
        EXPECT_EQ(test::Messages().messages()[0].icon, cmcMsgIcon::Warning);
        // The success message names the backup kept.
        ASSERT_FALSE(commands_->LastBackup().empty());
        EXPECT_EQ(test::Messages().messages()[1].text, GTex().SectionText("GI_Mess_CloneWrite_Succeeded") +
                                                           "\n\nWhat the radio held before the write is kept in " +
                                                           commands_->LastBackup() + ".");
        EXPECT_TRUE(main_->WorkingImage().Equals(before)) << "a write does not change the working image";

        // The radio now holds the prepared image from 0x0100 to the end of the packed area's page.
        cmcEeprom expected;
        std::vector<cmcRange> ranges;
        ASSERT_TRUE(main_->PrepareCloneWrite(expected, ranges));
        cmcEeprom radio;
        radio.Resize(kImageSize);
        cmcQcfFile file;
        indPrepareCloneFileReader(file, radio);
        ASSERT_EQ(file.Load(saved, indEepromAreaRanges()), 0);
        for (int a = ranges[0].first; a <= ranges[0].last; ++a)
            ASSERT_EQ(radio.GetByte(a), expected.GetByte(a)) << "address " << a;
    }
}

// The backup holds what the radio held before the write, byte for byte, and opens as a clone file.
TEST_F(CloneSimTest, WriteKeepsABackupOfTheRadiosPreviousData) {
    AddChannel();
    Sim sim({"--model-type", "2", "--file", test::BinDir() + "/ZT5531K_KPMR.QCF"});
    std::string announced;
    commands_->backupSaved = [&](const std::string& path) { announced = path; };
    ASSERT_EQ(Run(&indCloneCommands::CloneWrite, sim.Device()), 0);
    const std::string backup = commands_->LastBackup();
    EXPECT_EQ(announced, backup);
    EXPECT_EQ(backup.rfind(test::TempDir() + "/backups/", 0), 0u) << backup;
    EXPECT_NE(backup.find("_" + main_->SerialNumber() + ".QCF"), std::string::npos) << backup;

    const auto raw = [](const std::string& path) {
        cmcEeprom img;
        img.Resize(kImageSize);
        cmcQcfFile file;
        indPrepareCloneFileReader(file, img);
        EXPECT_EQ(file.Load(path, indEepromAreaRanges()), 0) << path;
        return img;
    };
    EXPECT_TRUE(raw(backup).Equals(raw(test::BinDir() + "/ZT5531K_KPMR.QCF")));
    indMain reopened(test::BinDir() + "/");
    reopened.LoadStartImage(0);
    EXPECT_EQ(reopened.OpenCloneFile(backup), 0);
    EXPECT_EQ(reopened.ModelType(), 2);
}

TEST_F(CloneSimTest, BackupAndVerifyCanBeTurnedOff) {
    AddChannel();
    Sim sim;
    commands_->backup = 0;
    commands_->verify = false;
    EXPECT_EQ(Run(&indCloneCommands::CloneWrite, sim.Device()), 0);
    EXPECT_EQ(sim.Reports(), (std::vector<std::string>{"ident", "ident", "write"}));
    EXPECT_EQ(commands_->LastBackup(), "");
}

// The read-back finds the byte the radio stored wrongly and says where it is.
TEST_F(CloneSimTest, VerifyFindsAByteStoredWrongly) {
    AddChannel();
    Sim sim({"--fault", "bad-store"});
    EXPECT_EQ(Run(&indCloneCommands::CloneWrite, sim.Device()), CDRV_VerifyMismatch);
    EXPECT_EQ(sim.Reports(), (std::vector<std::string>{"ident", "ident", "read", "write", "read"}));
    const std::string text = ErrorShown();
    EXPECT_EQ(text, indCloneMan::ErrorText(CDRV_VerifyMismatch, {}, 0, 0, "0x0120")) << text;
    EXPECT_NE(text.find("Write the radio again"), std::string::npos) << text;
}

// The radio sends its memory from 0 to its read end. The read-back ends as soon as every written
// address is in; a radio whose memory ends before the written addresses cannot be backed up, so
// the write does not start, and without a backup the addresses it never sends back fail the check.
TEST_F(CloneSimTest, TheReadsAroundAWriteCoverEveryWrittenAddress) {
    AddChannel();
    cmcEeprom prepared;
    std::vector<cmcRange> ranges;
    ASSERT_TRUE(main_->PrepareCloneWrite(prepared, ranges));
    const int writeEnd = ranges[0].last;
    ASSERT_LT(writeEnd, 0x7D7F);
    {
        SCOPED_TRACE("the whole radio");
        Sim sim;
        EXPECT_EQ(Run(&indCloneCommands::CloneWrite, sim.Device()), 0);
        // The 16-byte frames from address 0 up to the last written one, not the radio's whole memory.
        EXPECT_EQ(manager_->Driver().FrameCount(), (writeEnd + 1) / 16);
        EXPECT_EQ(manager_->Driver().ImageCount(), writeEnd + 1 - ranges[0].first);
    }
    char writeEndText[8];
    std::snprintf(writeEndText, sizeof writeEndText, "0x%04X", writeEnd);
    test::Messages().Clear();
    {
        SCOPED_TRACE("a short radio, backup on");
        Sim sim({"--end", "0100"});
        EXPECT_EQ(Run(&indCloneCommands::CloneWrite, sim.Device()), -1);
        EXPECT_EQ(sim.Reports(), (std::vector<std::string>{"ident", "ident"}));
        const std::string text = ErrorShown();
        EXPECT_NE(text.find("up to 0x010F"), std::string::npos) << text;
        EXPECT_NE(text.find(std::string("up to ") + writeEndText), std::string::npos) << text;
        EXPECT_NE(text.find("nothing was written"), std::string::npos) << text;
        EXPECT_NE(text.find("Backup Before Write"), std::string::npos) << text;
    }
    test::Messages().Clear();
    {
        SCOPED_TRACE("a short radio, no backup");
        Sim sim({"--end", "0100"});
        commands_->backup = 0;
        EXPECT_EQ(Run(&indCloneCommands::CloneWrite, sim.Device()), CDRV_VerifyMismatch);
        EXPECT_EQ(sim.Reports(), (std::vector<std::string>{"ident", "ident", "write", "read"}));
        EXPECT_EQ(ErrorShown(), indCloneMan::ErrorText(CDRV_VerifyMismatch, {}, 0, 0,
                                                       std::string("0x0110-") + writeEndText));
    }
}

// Nothing is written when the backup cannot be read or cannot be kept.
TEST_F(CloneSimTest, AFailedBackupStopsTheWrite) {
    AddChannel();
    {
        Sim sim({"--fault", "bad-checksum"});
        EXPECT_EQ(Run(&indCloneCommands::CloneWrite, sim.Device()), CDRV_BadFrame);
        // The radio sent its memory (with a damaged frame the program refused); nothing was written.
        EXPECT_EQ(sim.Reports(), (std::vector<std::string>{"ident", "ident", "read"}));
        // ... and the message says so.
        EXPECT_EQ(ErrorShown(), indCloneMan::ErrorText(CDRV_BadFrame, {}, 0, 0, {}, Note(0)));
    }
    test::Messages().Clear();
    {
        Sim sim;
        commands_->backupDir = "/dev/null/backups";
        EXPECT_EQ(Run(&indCloneCommands::CloneWrite, sim.Device()), -1);
        EXPECT_EQ(sim.Reports(), (std::vector<std::string>{"ident", "ident", "read"}));
        EXPECT_NE(ErrorShown().find("/dev/null/backups"), std::string::npos) << ErrorShown();
        EXPECT_EQ(commands_->LastBackup(), "");
    }
}

// The data's model type against the radio's (identification byte 54): asked with Cancel as the
// default, or decided by the caller; a refusal or Cancel comes after the first identification only.
TEST_F(CloneSimTest, ARadioOfAnotherModelType) {
    struct Case {
        const char* what;
        int changeModel;
        unsigned answer;  // to the question, when asked
        int outcome;
        std::vector<std::string> reports;
    } cases[] = {
        {"asked, cancelled", -1, MB_Cancel, -1, {"ident"}},
        {"asked, agreed", -1, MB_Ok, CDRV_Ok, {"ident", "ident", "write"}},
        {"refused", 0, 0, CDRV_OtherModel, {"ident"}},
        {"allowed", 1, 0, CDRV_Ok, {"ident", "ident", "write"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        SetUp();
        AddChannel();  // dPMR446 data
        Sim sim({"--model-type", "1"});
        commands_->backup = 0;
        commands_->verify = false;
        commands_->changeModel = c.changeModel;
        if (c.answer) test::Messages().QueueAnswer(c.answer);
        EXPECT_EQ(Run(&indCloneCommands::CloneWrite, sim.Device()), c.outcome);
        EXPECT_EQ(sim.Reports(), c.reports);
        const auto& shown = test::Messages().messages();
        ASSERT_FALSE(shown.empty());
        if (c.changeModel < 0) {
            EXPECT_EQ(shown[0].buttons, unsigned(MB_Ok | MB_Cancel | MB_DefaultCancel));
            EXPECT_NE(shown[0].text.find("The radio is a PMR radio, but the data is for a dPMR446 radio."), std::string::npos)
                << shown[0].text;
        }
        if (c.outcome == CDRV_OtherModel) {
            EXPECT_EQ(ErrorShown(), indCloneMan::ErrorText(CDRV_OtherModel, {}, 0, 0, "PMR\ndPMR446"));
        }
    }
}

// Without the main window's count the write runs the warning check list itself: data with an
// error is not written, and the radio is not even identified.
TEST_F(CloneSimTest, DataWithErrorsIsNotWritten) {
    main_->LoadStartImage(kModelKorvPmr);
    AddChannel();
    datCh ch;
    ch.Bind(main_->WorkingImage().Data());
    ch.Load(KIND_ChKorvPmr, 0);
    ch.mskSignal = true;
    ch.select = 0;  // MSK signalling needs select on
    ch.Store();
    Sim sim({"--model-type", "2"});
    EXPECT_EQ(Run(&indCloneCommands::CloneWrite, sim.Device()), -1);
    EXPECT_EQ(ErrorShown(), GTex().SectionText("GI_Mess_DataError"));
    EXPECT_TRUE(sim.Reports().empty());
}

TEST_F(CloneSimTest, CancelAtTheConfirmationWritesNothing) {
    AddChannel();
    Sim sim;
    test::Messages().QueueAnswer(MB_Cancel);
    EXPECT_EQ(Run(&indCloneCommands::CloneWrite, sim.Device()), -1);
    EXPECT_EQ(sim.Reports(), std::vector<std::string>{"ident"});
}

TEST_F(CloneSimTest, WriteRefusesAnImageWithoutChannels) {
    Sim sim;
    EXPECT_EQ(Run(&indCloneCommands::CloneWrite, sim.Device()), -1);
    EXPECT_EQ(ErrorShown(), GTex().SectionText("GI_AppMess_CloneErr_NoActualCh"));
    EXPECT_TRUE(sim.Reports().empty()) << "the radio is not even identified";
}

TEST_F(CloneSimTest, APortThatCannotBeOpened) {
    EXPECT_EQ(Run(&indCloneCommands::CloneRead, "/dev/qx-no-such-port"), CDRV_PortOpen);
    std::string text = ErrorShown();
    EXPECT_NE(text.find("/dev/qx-no-such-port"), std::string::npos) << text;
    EXPECT_NE(text.find("no such device"), std::string::npos) << text;
}

// Every fault ends with its code, shows its message and leaves the working image as it was.
TEST_F(CloneSimTest, InjectedFaults) {
    struct Case {
        const char* fault;
        const char* command;  // info, read or write
        std::vector<std::string> args;
        int code;
        int note = -1;  // what the message adds about the radio (line of "GI_Mess_CloneErr_Phase")
    } cases[] = {
        {"no-echo", "read", {}, CDRV_Echo},
        {"wrong-echo", "info", {}, CDRV_Echo},
        {"silence", "info", {}, CDRV_Timeout},
        {"bad-checksum", "read", {}, CDRV_BadFrame},
        {"lowercase", "read", {}, CDRV_BadFrame},
        {"missing-frame", "read", {"--end", "01FF"}, CDRV_Incomplete},
        {"wrong-end-count", "read", {"--end", "01FF"}, CDRV_FrameCount},
        {"extra-address", "read", {"--end", "01FF"}, CDRV_Address},
        {"wrong-model", "read", {}, CDRV_WrongRadio},
        {"bad-ident", "info", {}, CDRV_WrongRadio},
        {"short-ident", "write", {}, CDRV_WrongRadio},
        {"new-map", "write", {}, CDRV_NewerMap},
        {"refuse-write", "write", {}, CDRV_BadFrame, 0},
        {"end-reply-fail", "write", {}, CDRV_WriteNotConfirmed},
        {"no-ack", "write", {}, CDRV_Timeout, 1},
        {"pull-write", "write", {}, CDRV_Echo, 1},
        {"pull-readback", "write", {}, CDRV_Timeout, 2},
        // Harmless ones: the clone succeeds.
        {"garbage", "read", {}, CDRV_Ok},
        {"split", "info", {}, CDRV_Ok},
        {"split", "write", {}, CDRV_Ok},
    };
    for (auto& c : cases) {
        SCOPED_TRACE(std::string(c.fault) + " during " + c.command);
        SetUp();
        AddChannel();
        cmcEeprom before = main_->WorkingImage();
        std::vector<std::string> args = c.args;
        args.insert(args.end(), {"--fault", c.fault});
        Sim sim(args);
        auto command = std::string(c.command) == "info"   ? &indCloneCommands::CloneInformation
                       : std::string(c.command) == "read" ? &indCloneCommands::CloneRead
                                                          : &indCloneCommands::CloneWrite;
        EXPECT_EQ(Run(command, sim.Device()), c.code);
        if (c.code != CDRV_Ok) {
            EXPECT_EQ(ErrorShown(), indCloneMan::ErrorText(c.code, {}, 0, 0, {}, c.note >= 0 ? Note(c.note) : ""));
            EXPECT_TRUE(main_->WorkingImage().Equals(before));
        } else {
            EXPECT_EQ(ErrorShown(), "");
        }
    }
}

// The fleet runner over two simulated radios: values keyed by serial number reach the radio that
// gives it, a Cancel stops one radio only, and each radio has its fleet log line.
TEST_F(CloneSimTest, FleetBySerialWithOneRadioCancelled) {
    main_->LoadStartImage(1);
    AddChannel();
    const std::string file = test::TempDir() + "/fleet-pmr.QCF";
    ASSERT_TRUE(main_->SaveCloneFile(file));
    Sim first({"--model-type", "1", "--serial", "07E80C000001"});
    Sim second({"--model-type", "1", "--serial", "07E80C000002"});
    ASSERT_FALSE(first.Device().empty());
    ASSERT_FALSE(second.Device().empty());

    cmcFleetPlan plan;
    std::string why;
    ASSERT_TRUE(plan.ParseCsv("Serial,%CT_Null.CL_Msk_Presl_Own_Id\n20241200001,0101\n", &why)) << why;
    indFleetOptions options;
    options.backupDir = test::TempDir() + "/fleet-backups";
    options.logFile = test::TempDir() + "/fleet-log.csv";
    indFleet fleet({first.Device(), second.Device()});
    QEventLoop loop;
    bool done = false;
    int phaseChanges = 0;
    fleet.changed = [&](size_t, bool phase) { phaseChanges += phase ? 1 : 0; };
    fleet.finished = [&] {
        done = true;
        loop.quit();
    };
    QTimer::singleShot(60000, &loop, &QEventLoop::quit);
    ASSERT_TRUE(fleet.StartWrite(file, plan, options, &why)) << why;
    fleet.Cancel(1);  // during its identification: it stops at once, nothing written
    if (!done) loop.exec();
    ASSERT_TRUE(done);

    EXPECT_EQ(fleet.At(0).outcome, 0) << fleet.At(0).errorText;
    EXPECT_EQ(fleet.At(0).serial, "20241200001");
    EXPECT_EQ(cmcFleetPlan::Describe(fleet.At(0).values), "%CT_Null.CL_Msk_Presl_Own_Id=0101");
    EXPECT_FALSE(fleet.At(0).backup.empty());
    EXPECT_EQ(fleet.At(1).outcome, CDRV_Cancelled);
    EXPECT_EQ(fleet.ExitStatus(), CDRV_Cancelled);
    EXPECT_GT(phaseChanges, 2);

    std::vector<cmcFleetLogEntry> log;
    ASSERT_TRUE(cmcFleetLog::Read(options.logFile, &log, &why)) << why;
    ASSERT_EQ(log.size(), 2u);
    const auto& ok = log[0].port == first.Device() ? log[0] : log[1];
    const auto& cancelled = log[0].port == first.Device() ? log[1] : log[0];
    EXPECT_EQ(ok.result, 0);
    EXPECT_EQ(ok.values, "%CT_Null.CL_Msk_Presl_Own_Id=0101");
    EXPECT_EQ(ok.backup, fleet.At(0).backup);
    EXPECT_EQ(ok.modelType, indMain::ModelName(1));
    EXPECT_EQ(cancelled.result, CDRV_Cancelled);
    EXPECT_EQ(cancelled.file, file);
}

}  // namespace
}  // namespace qx
