// The channel plan windows of the main window: the import preview with its table and problems
// (cancel changes nothing, import applies and refreshes), and the comparison list whose line opens
// the sheet at the cell.
#include "app/Frmmain.h"
#include "app/cuiCellViews.h"
#include "app/cuiChannelPlan.h"
#include "app/cuiGrid.h"
#include "app/cuiMain.h"
#include "cells/cmcCellScript.h"
#include "defs/cmcCellObj.h"
#include "app/cuiSheet.h"
#include "app/cuiSheetPaint.h"
#include "image/cmcImageMap.h"
#include "support/cmcTestSupport.h"
#include "support/cuiTestProgram.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QListWidget>
#include <QCheckBox>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#pragma push_macro("slots")
#undef slots
#include "image/datCh.h"
#pragma pop_macro("slots")

#include <filesystem>
#include <utility>
#include <vector>
#include <gtest/gtest.h>

using namespace qx;

namespace {

uint32_t RxOf(indMain& m, int n) {
    datCh ch(m.WorkingImage().Data());
    ch.Load(datChannelKind(m.ModelType()), n);
    return ch.rxFreq;
}

// Answers the preview once it is shown: records what it shows, then imports or cancels.
void AnswerPreview(cuiMain& main, bool import, int* rows, int* problems) {
    QTimer::singleShot(0, [&main, import, rows, problems] {
        auto* preview = dynamic_cast<cuiPlanPreview*>(main.PlanWindow());
        if (!preview) return;
        *rows = preview->Table()->rowCount();
        *problems = preview->Problems() ? preview->Problems()->count() : 0;
        if (import)
            preview->ImportButton()->click();
        else
            preview->reject();
    });
}

// Types `text` into the cell `identity` of `m` as the sheet would.
void type(indMain& m, const char* identity, const std::string& text) {
    cmcCellObj cell;
    cmcCellCounters counters;
    cell.category = CT_Null;
    ParseCell(std::string("{(") + identity + ")}", &cell, &counters, nullptr);
    cmcCellScript script(m);
    std::string why;
    EXPECT_TRUE(script.Apply(cell, text, &why)) << identity << ": " << why;
}

// Saves the PMR initial file with the cells typed in, as another copy of the program would.
void SaveEditedPmr(const std::string& path, const std::vector<std::pair<const char*, std::string>>& edits) {
    indMain other;
    other.LoadStartImage(kModelPmr);
    ASSERT_EQ(other.OpenCloneFile(test::BinDir() + "/ZT5531K_PMR.QCF"), 0);
    for (const auto& [identity, text] : edits) type(other, identity, text);
    ASSERT_TRUE(other.SaveCloneFile(path));
}

}  // namespace

TEST(ChannelPlanWindows, ImportPreviewThenImport) {
    test::Program p;
    cuiMain& main = *p.main;
    // The program's drop-down windows are installed, as in the program: the import's edits of the
    // name (a text entry) and power (a chooser) must not reach them.
    cuiCellViews views;
    cmcScopedCellViews installed(&views);
    ASSERT_TRUE(main.Files().OpenFile(test::BinDir() + "/ZT5531K_PMR.QCF"));
    const uint32_t before = RxOf(main.Model(), 0);
    const std::string plan = test::WriteFile(test::TempDir() + "/plan.csv",
                                             "Location,Frequency,Name,Power\n1,446.031250,DEPOT,Low\n2,446.103,BAD,\n");
    int rows = -1, problems = -1;
    AnswerPreview(main, false, &rows, &problems);
    EXPECT_FALSE(main.ImportChannelPlanFile(QString::fromStdString(plan)));
    EXPECT_EQ(rows, 1);
    EXPECT_EQ(problems, 1);
    EXPECT_EQ(RxOf(main.Model(), 0), before);
    EXPECT_FALSE(main.Model().IsModified());
    EXPECT_FALSE(main.Model().CanUndo());  // the preview left no step behind

    // Importing with the bad line skipped.
    AnswerPreview(main, true, &rows, &problems);
    EXPECT_TRUE(main.ImportChannelPlanFile(QString::fromStdString(plan)));
    EXPECT_EQ(RxOf(main.Model(), 0), 446031250u);
    EXPECT_TRUE(main.Model().IsModified());

    // One Undo takes the whole import back, to the unmodified file.
    EXPECT_EQ(main.Model().UndoText(), "&Undo Import Channels");
    ASSERT_TRUE(main.Model().Undo());
    EXPECT_EQ(RxOf(main.Model(), 0), before);
    EXPECT_FALSE(main.Model().IsModified());
    EXPECT_FALSE(main.Model().CanUndo());
}

// A name the display cannot show is a problem until the user ticks the check box that fits names:
// then the preview lists the fitted name as a note, and the import stores it.
TEST(ChannelPlanWindows, FitNamesCheckBoxTurnsNameProblemsIntoNotes) {
    test::Program p;
    cuiMain& main = *p.main;
    ASSERT_TRUE(main.Files().OpenFile(test::BinDir() + "/ZT5531K_PMR.QCF"));
    const std::string plan =
        test::WriteFile(test::TempDir() + "/names.csv", "Location,Name,Frequency\n0,Warehouse 12,446.031250\n");
    QStringList before, after;
    QString button;
    QTimer::singleShot(0, [&] {
        auto* preview = dynamic_cast<cuiPlanPreview*>(main.PlanWindow());
        if (!preview) return;
        for (int i = 0; i < preview->Problems()->count(); ++i) before << preview->Problems()->item(i)->text();
        preview->FitNamesBox()->setChecked(true);
        for (int i = 0; i < preview->Problems()->count(); ++i) after << preview->Problems()->item(i)->text();
        button = preview->ImportButton()->text();
        preview->ImportButton()->click();
    });
    EXPECT_TRUE(main.ImportChannelPlanFile(QString::fromStdString(plan)));
    ASSERT_EQ(before.size(), 2);
    EXPECT_EQ(before[0], "Note: Locations count from 0 in this plan: Location 0 is channel 1");
    EXPECT_TRUE(before[1].startsWith("line 2: Name: 'Warehouse 12' is longer than")) << before[1].toStdString();
    EXPECT_EQ(after, (QStringList{"Note: Locations count from 0 in this plan: Location 0 is channel 1",
                                  "Note: line 2: Name: 'Warehouse 12' fitted to the display as 'WAREHOUS'"}));
    EXPECT_EQ(button, "Import");
    datCh ch(main.Model().WorkingImage().Data());
    ch.Load(datChannelKind(main.Model().ModelType()), 0);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(ch.text), 8), "WAREHOUS");
}

TEST(ChannelPlanWindows, PreviewListsTheFirstHundredProblemsAndCountsTheRest) {
    test::Program p;
    cuiMain& main = *p.main;
    ASSERT_TRUE(main.Files().OpenFile(test::BinDir() + "/ZT5531K_PMR.QCF"));
    std::string text = "Location,Frequency\n1,446.031250\n";
    for (int i = 0; i < 150; ++i) text += "x,446.1\n";
    const std::string plan = test::WriteFile(test::TempDir() + "/many.csv", text);
    QString last;
    int rows = -1, problems = -1;
    QTimer::singleShot(0, [&main, &last] {
        if (auto* preview = dynamic_cast<cuiPlanPreview*>(main.PlanWindow()))
            last = preview->Problems()->item(preview->Problems()->count() - 1)->text();
    });
    AnswerPreview(main, false, &rows, &problems);
    EXPECT_FALSE(main.ImportChannelPlanFile(QString::fromStdString(plan)));
    EXPECT_EQ(rows, 1);
    EXPECT_EQ(problems, 101);
    EXPECT_EQ(last, "and 50 more problems");
}

// Export Channels reports success only for a plan that reached the disk; a failure says why.
TEST(ChannelPlanWindows, ExportReportsAFailedWriteWithItsReason) {
    test::Program p;
    cuiMain& main = *p.main;
    ASSERT_TRUE(main.Files().OpenFile(test::BinDir() + "/ZT5531K_PMR.QCF"));
    main.SetStatus(clWindowText, clBtnFace, "");
    test::Messages().Clear();
    // /dev/full through a link: a writer that wrongly renamed over its output replaces the link.
    const std::string full = test::TempDir() + "/full.csv";
    std::filesystem::remove(full);
    std::filesystem::create_symlink("/dev/full", full);
    EXPECT_FALSE(main.ExportChannelPlanFile(QString::fromStdString(full)));
    ASSERT_EQ(test::Messages().messages().size(), 1u);
    EXPECT_EQ(test::Messages().messages()[0].text, "Cannot write '" + full + "': No space left on device");
    EXPECT_EQ(main.StatusText(), "") << "a failed export reported success";

    const std::string path = test::TempDir() + "/exported.csv";
    ASSERT_TRUE(main.ExportChannelPlanFile(QString::fromStdString(path)));
    EXPECT_EQ(test::ReadFile(path), ExportChannelPlan(main.Model()));
    EXPECT_NE(main.StatusText().find(path), std::string::npos);
}

TEST(ChannelPlanWindows, CompareLineOpensTheSheetAtTheCell) {
    test::Program p;
    cuiMain& main = *p.main;
    ASSERT_TRUE(main.Files().OpenFile(test::BinDir() + "/ZT5531K_PMR.QCF"));
    // The blank image has no channel in use: both images get channel 0 on a frequency through
    // the cells (as the sheet would), and the other one is switched to the other bandwidth.
    type(main.Model(), "%CT_Mch.CL_Mch_FreqR[0]", "446.00625");
    SaveEditedPmr(test::TempDir() + "/other.qcf",
                  {{"%CT_Mch.CL_Mch_FreqR[0]", "446.00625"}, {"%CT_Mch.CL_Mch_Nar[0]", "@key:space"}});
    ASSERT_TRUE(main.CompareWithFile(QString::fromStdString(test::TempDir() + "/other.qcf")));
    // Reading the other file leaves the program's image the one the cells show.
    EXPECT_EQ(indMain::Instance(), &main.Model());
    auto* compare = dynamic_cast<cuiPlanCompare*>(main.PlanWindow());
    ASSERT_NE(compare, nullptr);
    ASSERT_EQ(compare->Lines().size(), 1u);
    const cmcDiffLine line = compare->Lines()[0];
    EXPECT_TRUE(line.valueA == "Wide" || line.valueA == "Narrow") << line.Text();
    ASSERT_EQ(compare->Tree()->topLevelItemCount(), 1);
    QTreeWidgetItem* item = compare->Tree()->topLevelItem(0)->child(0);
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(compare->LineOf(item), &compare->Lines()[0]);
    compare->CopyButton()->click();
    EXPECT_EQ(QGuiApplication::clipboard()->text().toStdString(), line.Text() + "\n");
    compare->Tree()->setCurrentItem(item);
    p.Step(0);
    p.Step(0);
    ASSERT_NE(main.Sheets().Current(), nullptr);
    EXPECT_EQ(main.Sheets().Current()->Name(), line.sheetReference);
    EXPECT_EQ(main.Sheets().Current()->Col(), line.col);
    EXPECT_EQ(main.Sheets().Current()->Row(), line.gridRow);

    // The list does not follow edits; Compare Again reads the file and compares anew.
    type(main.Model(), "%CT_Mch.CL_Mch_Nar[0]", "@key:space");
    EXPECT_EQ(compare->Lines().size(), 1u);
    compare->CompareAgainButton()->click();
    EXPECT_EQ(compare->Lines().size(), 0u);
    EXPECT_EQ(compare->Tree()->topLevelItemCount(), 0);
    EXPECT_TRUE(compare->Summary()->text().contains("same values")) << compare->Summary()->text().toStdString();
    EXPECT_FALSE(compare->CopyButton()->isEnabled());
    EXPECT_TRUE(main.Sheets().Current()->ChangeMarksShown().empty());
    compare->close();
}

// The change list in use, by mouse: lines grouped by sheet with their counts, a new channel as one
// line; a clicked line opens its sheet, whose changed cells carry the drawn mark (and say what
// changed) on every sheet shown while the window is open, and on none once it is closed.
TEST(ChannelPlanWindows, CompareGroupsBySheetAndMarksTheOpenSheetWhileOpen) {
    test::Program p;
    cuiMain& main = *p.main;
    ASSERT_TRUE(main.Files().OpenFile(test::BinDir() + "/ZT5531K_PMR.QCF"));
    type(main.Model(), "%CT_Mch.CL_Mch_FreqR[0]", "446.00625");
    SaveEditedPmr(test::TempDir() + "/changes.qcf",
                  {{"%CT_Mch.CL_Mch_FreqR[0]", "446.00625"},
                   {"%CT_Mch.CL_Mch_Nar[0]", "@key:space"},
                   {"%CT_Mch.CL_Mch_FreqR[1]", "446.1"},
                   {"%CT_Mch.CL_Mch_Text[1]", "EVENT"},
                   {"%CT_Null.CL_Comm_AtResetTimer_A", "@key:space"}});
    ASSERT_TRUE(main.CompareWithFile(QString::fromStdString(test::TempDir() + "/changes.qcf")));
    auto* compare = dynamic_cast<cuiPlanCompare*>(main.PlanWindow());
    ASSERT_NE(compare, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(compare));
    QTreeWidget* tree = compare->Tree();

    // One item per sheet with its count; the channel only the file has is one line.
    std::map<std::string, std::vector<std::string>> groups;
    for (int i = 0; i < tree->topLevelItemCount(); ++i) {
        QTreeWidgetItem* top = tree->topLevelItem(i);
        auto& lines = groups[top->text(0).toStdString()];
        for (int j = 0; j < top->childCount(); ++j) lines.push_back(top->child(j)->text(0).toStdString());
    }
    const std::string bankGroup = "Memory Channels, Bank 1: 2 changes";
    ASSERT_EQ(groups.count(bankGroup), 1u) << ::testing::PrintToString(groups);
    EXPECT_EQ(groups[bankGroup][1], "1-2: new channel 446.100000 MHz EVENT");
    EXPECT_EQ(groups.count("Bank Operation: 3 changes"), 1u) << ::testing::PrintToString(groups);
    EXPECT_EQ(groups.count("Common Settings: 1 change"), 1u) << ::testing::PrintToString(groups);
    EXPECT_EQ(compare->Lines().size(), 6u);
    EXPECT_TRUE(compare->Summary()->text().startsWith("6 changes on 3 sheets")) << compare->Summary()->text().toStdString();

    auto click = [&](const std::string& text) {
        const QList<QTreeWidgetItem*> found =
            tree->findItems(QString::fromStdString(text), Qt::MatchExactly | Qt::MatchRecursive);
        ASSERT_EQ(found.size(), 1) << text;
        tree->scrollToItem(found[0]);
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualItemRect(found[0]).center());
        p.Step(0);
        p.Step(0);
    };
    click("1-2: new channel 446.100000 MHz EVENT");
    cuiSheet* sheet = main.Sheets().Current();
    ASSERT_NE(sheet, nullptr);
    const cmcDiffLine* channel = nullptr;
    for (const cmcDiffLine& d : compare->Lines())
        if (d.kind == cmcDiffKind::NewChannel) channel = &d;
    ASSERT_NE(channel, nullptr);
    EXPECT_EQ(sheet->Name(), channel->sheetReference);
    EXPECT_EQ(sheet->Row(), channel->gridRow);
    // Every cell of the new channel and the width of channel 1 are marked; nothing else.
    EXPECT_EQ(sheet->ChangeMarksShown().size(), channel->cols.size() + 1);
    ASSERT_EQ(sheet->ChangeMarksShown().count({channel->col, channel->gridRow}), 1u);
    const QString tip = sheet->Grid()->onToolTip(channel->col, channel->gridRow);
    EXPECT_TRUE(tip.contains("changes.qcf") && tip.contains("446.100000 MHz EVENT")) << tip.toStdString();
    // The mark is drawn: the top right corner of a marked cell has its colour, of another cell not.
    auto cornerRgb = [&](int col, int row) {
        const QRect r = sheet->Grid()->CellRect(col, row);
        EXPECT_FALSE(r.isEmpty()) << col << "," << row;
        const QImage shot = sheet->Grid()->viewport()->grab().toImage();
        return shot.pixelColor(r.right() - 1, r.top() + 1).rgb() & 0xFFFFFF;
    };
    EXPECT_EQ(cornerRgb(channel->col, channel->gridRow), cuiSheet::kChangeMarkRgb);
    EXPECT_NE(cornerRgb(channel->col, channel->gridRow + 1), cuiSheet::kChangeMarkRgb);

    // Another sheet shown while the window is open is marked too.
    click("Auto reset timer A / Value: Off -> 1.000");
    sheet = main.Sheets().Current();
    ASSERT_NE(sheet, nullptr);
    EXPECT_NE(sheet->Name(), channel->sheetReference);
    EXPECT_EQ(sheet->ChangeMarksShown().size(), 1u);

    // Closed: no marks on the sheet shown, nor on a sheet opened afterwards.
    QPushButton* close = nullptr;
    for (auto* b : compare->findChildren<QPushButton*>())
        if (b->text().remove('&') == "Close") close = b;
    ASSERT_NE(close, nullptr);
    const std::string bankSheet = channel->sheetReference;  // the window's lines go with it
    QTest::mouseClick(close, Qt::LeftButton);
    p.Step(0);
    EXPECT_EQ(main.PlanWindow(), nullptr);
    EXPECT_TRUE(main.Sheets().Current()->ChangeMarksShown().empty());
    main.Sheets().OpenSheet(bankSheet);
    ASSERT_NE(main.Sheets().Current(), nullptr);
    EXPECT_TRUE(main.Sheets().Current()->ChangeMarksShown().empty());
}
