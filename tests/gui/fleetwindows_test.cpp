// The fleet windows: Clone ▸ Write to Several Radios over two simulated radios, driven through the
// menu and the window with real keys and clicks (each radio gets its own MSK own ID, a refused
// value keeps Write disabled), a value column of a list cell edited through its drop-down, and
// Clone ▸ Fleet Log over a written log.
#include "app/Frmmain.h"
#include "app/cuiFleetLog.h"
#include "app/cuiFleetWindow.h"
#include "app/cuiMain.h"
#include "app/cuiMenu.h"
#include "cells/cmcCellCapsule.h"
#include "defs/cmcCellNames.h"
#include "image/indMain.h"
#include "comm/cmcFleetLog.h"
#include "comm/indEnviron.h"
#include "defs/cmcEvMan.h"
#include "image/cmcImageMap.h"
#include "support/cmcSimRadio.h"
#include "support/cmcTestSupport.h"

#pragma push_macro("slots")
#undef slots
#include "image/datCh.h"
#pragma pop_macro("slots")

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QProcess>
#include <QPushButton>
#include <QSortFilterProxyModel>
#include <QSpinBox>
#include <QTableView>
#include <QAbstractItemView>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <cstdio>

using namespace qx;

namespace {

constexpr int kFleetWaitMs = 90000;
constexpr int kOwnIdAddress = 0x9A15;  // the MSK own ID, 16 bits, high byte first

// A simulated radio on a pseudo-terminal, saving what it is written into `saved`.
using Radio = test::SimRadio;

// The program with its settings not stored; its user data (backups, fleet log) in a folder of its own.
struct Program {
    QString dataHome = QString::fromStdString(test::TempDir()) + "/fleet-data";
    QByteArray previousDataHome = qgetenv("XDG_DATA_HOME");
    indEnviron env{"fleet mutex", "Software\\Test\\Fleet", [] {
                       indEnvironOptions o;
                       o.persistent = false;
                       return o;
                   }()};
    cmcScopedEvMan events;
    std::unique_ptr<cuiMain> main;
    std::unique_ptr<Frmmain> form;

    explicit Program(int modelType) {
        QDir(dataHome).removeRecursively();
        qputenv("XDG_DATA_HOME", dataHome.toLocal8Bit());
        SetEnviron(&env);
        env.ModelType = static_cast<uint8_t>(modelType);
        test::Messages().Clear();
        main = std::make_unique<cuiMain>();
        form = std::make_unique<Frmmain>(*main);
        form->show();
        QApplication::setActiveWindow(form.get());
        [[maybe_unused]] bool active = QTest::qWaitForWindowActive(form.get());
    }
    ~Program() {
        form.reset();
        main.reset();
        SetEnviron(nullptr);
        qputenv("XDG_DATA_HOME", previousDataHome);
    }
    std::string LogPath() const { return dataHome.toStdString() + "/Vexa/QX-P2210/fleet-log.csv"; }

    // Channel 1 in use, then saved as `path`: the data a fleet write takes.
    void SaveDataWithAChannel(const std::string& path) {
        uint8_t* image = main->Model().WorkingImage().Data();
        datSetBankSize(image, 0, std::max(1, datBankSize(image, 0)));
        datCh rec(image);
        const int kind = datChannelKind(main->Model().ModelType());
        rec.Load(kind, 0);
        rec.rxFreq = rec.txFreq = 446006250;
        rec.inUse = true;
        rec.Store(kind, 0);
        main->Model().NoteEdit();
        ASSERT_TRUE(main->Files().SaveFile(path));
    }

    // Opens the Clone menu with Alt+C and picks `entry` with the arrow keys and Enter.
    void FromCloneMenu(const QString& entry) {
        QTest::keyClick(form.get(), Qt::Key_C, Qt::AltModifier);
        QTest::qWait(20);
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        ASSERT_NE(menu, nullptr) << "the Clone menu did not open";
        QAction* target = nullptr;
        for (QAction* a : menu->actions())
            if (a->text() == entry) target = a;
        ASSERT_NE(target, nullptr) << entry.toStdString();
        for (int i = 0; i < menu->actions().size() && menu->activeAction() != target; ++i)
            QTest::keyClick(menu, Qt::Key_Down);
        ASSERT_EQ(menu->activeAction(), target);
        QTest::keyClick(menu, Qt::Key_Return);
        QTest::qWait(20);
    }
};

// Answers the next modal dialog the window opens (Add Column…, Fill…) once it shows.
void WhenDialogOpens(cuiFleetWindow* w, std::function<void(QDialog*)> answer) {
    auto* timer = new QTimer(w);
    QObject::connect(timer, &QTimer::timeout, w, [w, timer, answer] {
        QDialog* d = w->OpenDialog();
        if (!d || !d->isVisible()) return;
        timer->stop();
        timer->deleteLater();
        answer(d);
    });
    timer->start(5);
}

void Click(QWidget* button) {
    ASSERT_NE(button, nullptr);
    ASSERT_TRUE(button->isEnabled());
    QTest::mouseClick(button, Qt::LeftButton);
}

// Types text into a value cell of the table as a user does: select it, F2, type, Enter.
void TypeInto(QTableWidget* table, int row, int col, const QString& text) {
    table->setCurrentCell(row, col);
    QTest::keyClick(table, Qt::Key_F2);
    QLineEdit* editor = nullptr;
    for (QLineEdit* e : table->viewport()->findChildren<QLineEdit*>())
        if (e->isVisible()) editor = e;
    ASSERT_NE(editor, nullptr) << "no editor opened";
    editor->selectAll();
    QTest::keyClicks(editor, text);
    QTest::keyClick(editor, Qt::Key_Return);
    QTest::qWait(10);
}

int OwnIdStored(cuiMain& main, const std::string& saved) {
    cmcEeprom stored;
    if (main.Model().LoadCloneFile(saved, stored) != 0) return -1;
    main.Model().UnpackImage(stored);
    return (stored.Data()[kOwnIdAddress] << 8) | stored.Data()[kOwnIdAddress + 1];
}

}  // namespace

TEST(FleetWindows, WritesTwoRadiosEachWithItsOwnIdThroughTheMenuAndTheWindow) {
    Radio first(2, "fleet-a"), second(2, "fleet-b");
    ASSERT_FALSE(first.device.empty() || second.device.empty()) << "the simulator did not start";
    Program p(2);  // Korv PMR
    const std::string file = test::TempDir() + "/fleet-source.QCF";
    p.SaveDataWithAChannel(file);

    p.FromCloneMenu("Write to &Several Radios...");
    auto* w = qobject_cast<cuiFleetWindow*>(p.main->FleetWindow(0));
    ASSERT_NE(w, nullptr);
    ASSERT_TRUE(w->isVisible());
    EXPECT_TRUE(w->SourceLabel()->text().contains(QString::fromStdString(file)));

    // The two radios' pseudo-terminals, typed in as device paths; only they are ticked.
    for (const Radio* r : {&first, &second}) {
        w->DeviceEdit()->setFocus();
        QTest::keyClicks(w->DeviceEdit(), QString::fromStdString(r->device));
        Click(w->AddDeviceButton());
    }
    QTableWidget* table = w->Table();
    const int rowA = w->RowOf(QString::fromStdString(first.device));
    const int rowB = w->RowOf(QString::fromStdString(second.device));
    ASSERT_GE(rowA, 0);
    ASSERT_GE(rowB, 0);
    for (int r = 0; r < table->rowCount(); ++r) w->SetTicked(r, r == rowA || r == rowB);
    ASSERT_EQ(w->TickedPorts().size(), 2);

    // A column for the MSK own ID, typed into Add Column…
    WhenDialogOpens(w, [](QDialog* d) {
        auto* edit = d->findChild<QLineEdit*>();
        edit->selectAll();
        QTest::keyClicks(edit, "%CT_Null.CL_Msk_Presl_Own_Id");
        QTest::keyClick(edit, Qt::Key_Return);
    });
    Click(w->AddColumnButton());
    ASSERT_EQ(w->ValueColumnCount(), 1);
    const int col = w->ValueColumn(0);

    // Fill… start at 101, step 1, in the ticked rows' order.
    WhenDialogOpens(w, [](QDialog* d) {
        auto* start = d->findChild<QLineEdit*>();
        start->selectAll();
        QTest::keyClicks(start, "101");
        d->findChild<QSpinBox*>()->setValue(1);
        QTest::keyClick(start, Qt::Key_Return);
    });
    Click(w->FillButton());
    const int lower = std::min(rowA, rowB), upper = std::max(rowA, rowB);
    EXPECT_EQ(table->item(lower, col)->text(), "101");
    EXPECT_EQ(table->item(upper, col)->text(), "102");
    EXPECT_EQ(w->RefusedCount(), 0);
    EXPECT_TRUE(w->StartButton()->isEnabled());

    // A value the cell's editor refuses marks its cell and disables Write until it is put right.
    TypeInto(table, upper, col, "99999");
    EXPECT_EQ(w->RefusedCount(), 1);
    EXPECT_FALSE(w->Refusal(upper, 0).isEmpty());
    EXPECT_EQ(table->item(upper, col)->toolTip(), w->Refusal(upper, 0));
    EXPECT_FALSE(w->StartButton()->isEnabled());
    TypeInto(table, upper, col, "102");
    EXPECT_EQ(w->RefusedCount(), 0);
    ASSERT_TRUE(w->StartButton()->isEnabled());

    // Write: one question for both, then both radios run at once.
    test::Messages().Clear();
    test::Messages().QueueAnswer(MB_Ok);
    bool finished = false;
    QObject::connect(w, &cuiFleetWindow::fleetFinished, [&] { finished = true; });
    Click(w->StartButton());
    ASSERT_EQ(test::Messages().messages().size(), 1u);
    EXPECT_NE(test::Messages().messages()[0].text.find("(2 radios)"), std::string::npos);
    ASSERT_TRUE(QTest::qWaitFor([&] { return finished; }, kFleetWaitMs));
    for (int r : {rowA, rowB}) {
        EXPECT_TRUE(table->item(r, w->StatusColumn(cuiFleetWindow::FS_Result))->text().startsWith("0 ok"))
            << table->item(r, w->StatusColumn(cuiFleetWindow::FS_Result))->text().toStdString();
        EXPECT_EQ(table->item(r, w->StatusColumn(cuiFleetWindow::FS_Model))->text(), "Korv PMR");
    }
    EXPECT_EQ(OwnIdStored(*p.main, first.saved), rowA == lower ? 101 : 102);
    EXPECT_EQ(OwnIdStored(*p.main, second.saved), rowB == lower ? 101 : 102);

    // The fleet log: a line per radio with its value and its backup.
    std::vector<cmcFleetLogEntry> entries;
    std::string why;
    ASSERT_TRUE(cmcFleetLog::Read(p.LogPath(), &entries, &why)) << why;
    ASSERT_EQ(entries.size(), 2u);
    for (const cmcFleetLogEntry& e : entries) {
        const std::string expected = e.port == table->item(lower, 0)->data(Qt::UserRole).toString().toStdString() ? "101" : "102";
        EXPECT_EQ(e.values, "%CT_Null.CL_Msk_Presl_Own_Id=" + expected);
        EXPECT_EQ(e.result, 0);
        EXPECT_EQ(e.file, file);
        EXPECT_TRUE(QFile::exists(QString::fromStdString(e.backup))) << e.backup;
    }
}

TEST(FleetWindows, FleetLogListsNewestFirstAndOpensABackup) {
    Program p(3);
    // No log yet: an explanation instead of an empty table.
    p.main->CloneFleet(2);
    auto* log = qobject_cast<cuiFleetLogWindow*>(p.main->FleetWindow(2));
    ASSERT_NE(log, nullptr);
    EXPECT_FALSE(log->ShowsTable());
    EXPECT_TRUE(log->EmptyNote()->text().contains("No clone write"));
    EXPECT_FALSE(log->OpenBackupButton()->isEnabled());

    // Three writes, logged out of order; the middle one kept a backup that can be opened.
    const std::string backup = test::TempDir() + "/fleet-backup.QCF";
    ASSERT_TRUE(QFile::remove(QString::fromStdString(backup)) || !QFile::exists(QString::fromStdString(backup)));
    ASSERT_TRUE(QFile::copy(QString::fromStdString(test::BinDir() + "/ZT5531K_D446.QCF"), QString::fromStdString(backup)));
    auto entry = [](const char* date, const char* time, const char* port, int result, const std::string& backupFile) {
        cmcFleetLogEntry e;
        e.date = date;
        e.time = time;
        e.port = port;
        e.serial = "2024120466";
        e.modelType = "dPMR446";
        e.file = "/home/a/fleet, \"blue\".QCF";  // quoted in the file
        e.backup = backupFile;
        e.result = result;
        e.message = result ? "the radio does not answer" : "ok";
        e.duration = 12.5;
        return e;
    };
    std::string why;
    ASSERT_TRUE(cmcFleetLog::Append(p.LogPath(),
                                    {entry("2025-03-01", "10:00:00", "/dev/ttyUSB0", 0, ""),
                                     entry("2025-03-02", "09:00:00", "/dev/ttyUSB1", 0, backup),
                                     entry("2025-02-28", "23:59:59", "/dev/ttyUSB2", 5, "")},
                                    &why))
        << why;
    Click(log->RefreshButton());
    ASSERT_TRUE(log->ShowsTable());
    QSortFilterProxyModel* rows = log->Sorted();
    ASSERT_EQ(rows->rowCount(), 3);
    auto port = [&](int row) { return rows->index(row, cuiFleetLogWindow::LC_Port).data().toString(); };
    EXPECT_EQ(port(0), "/dev/ttyUSB1");
    EXPECT_EQ(port(1), "/dev/ttyUSB0");
    EXPECT_EQ(port(2), "/dev/ttyUSB2");
    EXPECT_EQ(rows->index(0, cuiFleetLogWindow::LC_File).data().toString(), "fleet, \"blue\".QCF");

    // Sorting by result puts the failure last; the filter finds it by its message.
    log->Table()->sortByColumn(cuiFleetLogWindow::LC_Result, Qt::AscendingOrder);
    EXPECT_EQ(port(2), "/dev/ttyUSB2");
    QTest::keyClicks(log->Filter(), "does not answer");
    ASSERT_EQ(rows->rowCount(), 1);
    EXPECT_EQ(port(0), "/dev/ttyUSB2");
    log->Filter()->clear();

    // A row without a backup cannot open one; a double click on the row with one opens it.
    log->Table()->sortByColumn(cuiFleetLogWindow::LC_Date, Qt::DescendingOrder);
    log->Table()->selectRow(1);
    EXPECT_FALSE(log->OpenBackupButton()->isEnabled());
    log->Table()->selectRow(0);
    EXPECT_TRUE(log->OpenBackupButton()->isEnabled());
    QTableView* view = log->Table();
    const QRect cell = view->visualRect(rows->index(0, cuiFleetLogWindow::LC_Backup));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, cell.center());
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, cell.center());
    EXPECT_EQ(p.main->Model().FileName(), backup);
}

TEST(FleetWindows, ReadsEveryTickedRadioIntoTheFolderBySerialNumber) {
    Radio first(1, "fleet-read-a"), second(1, "fleet-read-b");
    ASSERT_FALSE(first.device.empty() || second.device.empty()) << "the simulator did not start";
    Program p(3);
    const QString folder = QString::fromStdString(test::TempDir()) + "/fleet-read";
    QDir(folder).removeRecursively();

    p.FromCloneMenu("Read from S&everal Radios...");
    auto* w = qobject_cast<cuiFleetWindow*>(p.main->FleetWindow(1));
    ASSERT_NE(w, nullptr);
    QTableWidget* table = w->Table();
    for (const Radio* r : {&first, &second}) ASSERT_TRUE(w->AddDevice(QString::fromStdString(r->device)));
    const int rowA = w->RowOf(QString::fromStdString(first.device));
    const int rowB = w->RowOf(QString::fromStdString(second.device));
    for (int r = 0; r < table->rowCount(); ++r) w->SetTicked(r, r == rowA || r == rowB);
    w->FolderEdit()->setText(folder);  // a folder not there yet is made
    bool finished = false;
    QObject::connect(w, &cuiFleetWindow::fleetFinished, [&] { finished = true; });
    Click(w->StartButton());
    ASSERT_TRUE(QTest::qWaitFor([&] { return finished; }, kFleetWaitMs));

    // Both radios report the same serial number: the second file gets "-2". The program's data stays.
    const QStringList files = QDir(folder).entryList({"*.QCF"}, QDir::Files, QDir::Name);
    ASSERT_EQ(files.size(), 2) << files.join(' ').toStdString();
    EXPECT_TRUE(files[0].endsWith("-2.QCF") || files[1].endsWith("-2.QCF"));
    for (int r : {rowA, rowB})
        EXPECT_TRUE(table->item(r, w->StatusColumn(cuiFleetWindow::FS_Result))->text().startsWith("0 ok "));
    EXPECT_EQ(p.main->Model().ModelType(), 3);
    // The radios' reads are not the program's: its status bar does not claim a read.
    EXPECT_EQ(p.main->StatusText().find("Read from the radio"), std::string::npos) << p.main->StatusText();
    EXPECT_FALSE(QFile::exists(QString::fromStdString(p.LogPath())));  // reads are not logged
}

TEST(FleetWindows, ChooserColumnIsEditedWithADropDownAndItsPickGoesIntoThePlan) {
    Program p(2);
    const std::string file = test::TempDir() + "/fleet-chooser.QCF";
    p.SaveDataWithAChannel(file);  // channel 1 in use: its power opens a chooser
    p.main->CloneFleet(0);
    auto* w = qobject_cast<cuiFleetWindow*>(p.main->FleetWindow(0));
    ASSERT_NE(w, nullptr);
    QTableWidget* table = w->Table();
    for (const char* device : {"/dev/fleet-chooser-a", "/dev/fleet-chooser-b"}) ASSERT_TRUE(w->AddDevice(device));
    const int rowA = w->RowOf("/dev/fleet-chooser-a"), rowB = w->RowOf("/dev/fleet-chooser-b");
    for (int r = 0; r < table->rowCount(); ++r) w->SetTicked(r, r == rowA || r == rowB);

    // Typed cell arguments: the headers show what the sheets call the values; the tooltip keeps the argument.
    const QString power = "%CT_Mch.CL_Mch_RfPo[0]";
    ASSERT_TRUE(w->AddValueColumn(power));
    ASSERT_TRUE(w->AddValueColumn("%CT_Null.CL_Msk_Presl_Own_Id"));
    const int col = w->ValueColumn(0);
    const QString powerHead = table->horizontalHeaderItem(col)->text();
    const QString idHead = table->horizontalHeaderItem(w->ValueColumn(1))->text();
    EXPECT_EQ(powerHead, "Power [0]");
    EXPECT_EQ(idHead, "Own ID");
    EXPECT_TRUE(table->horizontalHeaderItem(col)->toolTip().contains(power));

    // The power column offers the chooser's items, the one the data holds known; the own ID is typed.
    int held = -1;
    const QStringList items = w->ColumnChoices(0, &held);
    ASSERT_GE(items.size(), 3) << items.join(" | ").toStdString();
    EXPECT_EQ(held, 0);
    EXPECT_TRUE(w->ColumnChoices(1).isEmpty());

    // Radio A by mouse: a double click opens the drop-down with its list, a click picks an item.
    const QRect cellA = table->visualItemRect(table->item(rowA, col));
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, cellA.center());
    QTest::mouseDClick(table->viewport(), Qt::LeftButton, {}, cellA.center());
    QComboBox* box = nullptr;
    ASSERT_TRUE(QTest::qWaitFor([&] {
        box = table->viewport()->findChild<QComboBox*>();
        return box && box->view()->isVisible();
    }, 5000)) << "no drop-down opened";
    EXPECT_EQ(box->currentIndex(), 0);  // an empty value: as the file has it
    EXPECT_TRUE(box->itemText(0).contains(items[held]));
    ASSERT_EQ(box->count(), items.size() + 1);
    const QModelIndex low = box->view()->model()->index(2 + 1, 0);  // items[2], after the first entry
    QTest::mouseClick(box->view()->viewport(), Qt::LeftButton, {}, box->view()->visualRect(low).center());
    ASSERT_TRUE(QTest::qWaitFor([&] { return table->viewport()->findChild<QComboBox*>() == nullptr; }, 5000));
    EXPECT_EQ(table->item(rowA, col)->text(), items[2]);

    // Radio B by keys: F2 opens it on the item typed before, Down and Enter take the next one.
    table->item(rowB, col)->setText(items[0].toUpper());  // typed in another case: still that item
    EXPECT_EQ(w->Refusal(rowB, 0), QString());
    table->setCurrentCell(rowB, col);
    QTest::keyClick(table, Qt::Key_F2);
    ASSERT_TRUE(QTest::qWaitFor([&] {
        box = table->viewport()->findChild<QComboBox*>();
        return box && box->view()->isVisible();
    }, 5000));
    EXPECT_EQ(box->currentText(), items[0]);
    QTest::keyClick(box->view(), Qt::Key_Down);
    QTest::keyClick(box->view(), Qt::Key_Return);
    ASSERT_TRUE(QTest::qWaitFor([&] { return table->viewport()->findChild<QComboBox*>() == nullptr; }, 5000));
    EXPECT_EQ(table->item(rowB, col)->text(), items[1]);
    EXPECT_EQ(w->RefusedCount(), 0);

    // The plan the write would run holds the picked texts, and a radio's data takes them.
    const cmcFleetPlan plan = w->Plan();
    ASSERT_EQ(plan.rows.size(), 2u);
    for (int row : {rowA, rowB}) {
        const std::string port = w->RowOf("/dev/fleet-chooser-a") == row ? "/dev/fleet-chooser-a" : "/dev/fleet-chooser-b";
        const std::vector<cmcFleetValue> values = plan.ValuesFor(0, port, "");
        ASSERT_EQ(values.size(), 1u);
        EXPECT_EQ(values[0].text, table->item(row, col)->text().toStdString());
        indMain radio;
        radio.LoadStartImage(2);
        radio.WorkingImage().Assign(p.main->Model().WorkingImage());
        EXPECT_TRUE(cmcFleetPlan::Apply(radio, values).empty());
        cmcCellObj cell;
        cell.category = CT_Mch;
        cell.label = CL_Mch_RfPo;
        cell.index = 0;
        EXPECT_EQ(cmcCellCapsule(&radio).Shown(cell), values[0].text);
    }

    // A text that is no item is marked with the reason; Fill steps through the list and refuses a
    // series that runs off its end.
    table->item(rowA, col)->setText("Loud");
    EXPECT_TRUE(w->Refusal(rowA, 0).contains("not one of the cell's choices")) << w->Refusal(rowA, 0).toStdString();
    EXPECT_FALSE(w->StartButton()->isEnabled());
    ASSERT_TRUE(w->Fill(0, items[1].toLower(), 1));
    EXPECT_EQ(table->item(std::min(rowA, rowB), col)->text(), items[1]);
    EXPECT_EQ(table->item(std::max(rowA, rowB), col)->text(), items[2]);
    EXPECT_EQ(w->RefusedCount(), 0);
    QString why;
    EXPECT_FALSE(w->Fill(0, items.last(), 1, &why));
    EXPECT_TRUE(why.contains("runs out after 1 of the 2 radios")) << why.toStdString();
    EXPECT_FALSE(w->Fill(0, "Loud", 1, &why));
    EXPECT_TRUE(why.contains("'Loud' is not one of the choices of Power [0]")) << why.toStdString();
    EXPECT_EQ(table->item(std::max(rowA, rowB), col)->text(), items[2]);  // a refused Fill changes nothing
}
