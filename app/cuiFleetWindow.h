// Clone ▸ Write to Several Radios… and Clone ▸ Read from Several Radios…: one window over the
// fleet runner (indFleet), non-modal and resizable (its size is kept in the settings).
//
// Each row is a serial port (USB cables by their product name, as the port menu shows them; a
// device path such as a simulator's pseudo-terminal can be added by hand); the user ticks the
// ports to use. A write writes the program's current clone file (saved, so that the fleet log can
// name it) and may give each radio values of its own: a column per cell (a cell argument as the
// command-line tool's `set` takes it, the cell selected in the main window offered first; headed by
// what the sheets call the value), a value per row typed, or picked from a drop-down of the items
// for a cell that opens a chooser, or filled "start at / step". Every value is checked at once
// through the cell's own editor on a copy of the data; a refused value is marked (colour, tooltip
// with the reason) and keeps Write disabled. While the radios run, each row shows serial number, model type, phase,
// progress and result, with a Cancel button of its own; Cancel All stops every radio. High speed
// and the backup follow the program's settings; the written addresses are always read back.
#pragma once

#include "comm/indFleet.h"

#include <QDialog>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <string>
#include <vector>

class QCheckBox;
class QFormLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;
class QTableWidgetItem;

namespace qx {

class cuiMain;

class cuiFleetWindow : public QDialog {
    Q_OBJECT
public:
    enum Mode { FM_Write, FM_Read };
    // The fixed columns; the value columns of a write stand between the port and the serial.
    enum { FC_Port = 0 };
    enum Status { FS_Serial, FS_Model, FS_Phase, FS_Progress, FS_Cancel, FS_Result, FS_Count };

    cuiFleetWindow(cuiMain& main, Mode mode, QWidget* parent);
    ~cuiFleetWindow() override;

    Mode WindowMode() const { return mode_; }

    // Reads the port list again; ticks, values and added devices stay.
    void RefreshPorts();
    // Adds a device path as a row of its own (ticked); false with the reason when it is not a path.
    bool AddDevice(const QString& path, QString* why = nullptr);
    // The row of a device, or -1.
    int RowOf(const QString& path) const;
    void SetTicked(int row, bool ticked);
    QStringList TickedPorts() const;

    // ---- per-radio values (write) ----
    // Adds a value column for a cell argument ("%CT_Null.CL_Msk_Presl_Own_Id", "%CT_Mch.CL_Mch_Id_C[0..63]");
    // false with the reason for a cell the program does not know, or one already shown.
    // The header shows `caption` (the cell's caption on its sheet), else the caption the window
    // finds on the sheets for the cell, else its label; the header's tooltip names the argument.
    bool AddValueColumn(const QString& cell, QString* why = nullptr, const QString& caption = QString());
    int ValueColumnCount() const { return static_cast<int>(cells_.size()); }
    int ValueColumn(int k) const { return FC_Port + 1 + k; }
    // The items of the chooser that value column k's cell opens on the current data (a power, a
    // tone, a scan list...), empty for a cell that is typed into; *current (when given) is the
    // position of the item the data holds, or -1. Such a column is edited with a drop-down.
    QStringList ColumnChoices(int k, int* current = nullptr) const;
    // Fills value column k over the ticked rows (every row when none is ticked), in order: start,
    // start + step, ... keeping the width of start ("007"); for a column with choices, start is an
    // item's text and each radio gets the item `step` places further down the list (a series that
    // runs off either end of the list is refused). False with the reason.
    bool Fill(int k, const QString& start, long long step, QString* why = nullptr);
    // The reason a row's value is refused (empty when it is accepted or empty).
    QString Refusal(int row, int k) const;
    int RefusedCount() const;

    // The per-radio values a write of the ticked ports would take, keyed by port.
    cmcFleetPlan Plan() const;

    // ---- running ----
    // Starts the write or read over the ticked ports, after the checks and the one question.
    bool Start();
    bool Running() const;
    // The window's own fleet (null before the first start); its radios are the ticked rows.
    indFleet* Fleet() const { return fleet_.get(); }
    int StatusColumn(int s) const { return ValueColumn(ValueColumnCount()) + s; }
    // The row a fleet radio is shown in.
    int RowOfRadio(size_t i) const { return i < radioRows_.size() ? radioRows_[i] : -1; }

    // ---- widgets (tests) ----
    QTableWidget* Table() const { return table_; }
    QPushButton* StartButton() const { return start_; }
    QPushButton* CancelAllButton() const { return cancelAll_; }
    QPushButton* RefreshButton() const { return refresh_; }
    QPushButton* AddColumnButton() const { return addColumn_; }
    QPushButton* FillButton() const { return fill_; }
    QLineEdit* DeviceEdit() const { return deviceEdit_; }
    QPushButton* AddDeviceButton() const { return addDevice_; }
    QLineEdit* FolderEdit() const { return folder_; }
    QLabel* SourceLabel() const { return source_; }
    QLabel* Summary() const { return summary_; }
    // The window Add Column… and Fill… open while they are open (tests answer them).
    QDialog* OpenDialog() const { return dialog_; }

    // The cell argument the main window's current sheet cell stands for ("" when none), and for a
    // channel cell the range of the channels in use of its bank.
    static QString CellArgument(cuiMain& main, QString* bankRange = nullptr, QString* caption = nullptr);

signals:
    // Every radio has ended.
    void fleetFinished();

public slots:
    // Esc: closes like Close, never while radios are running.
    void reject() override;

protected:
    void closeEvent(QCloseEvent* e) override;
    // Enter never starts a write: only the Write button does.
    void keyPressEvent(QKeyEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;

private:
    struct Port {
        QString path;
        QString description;
        bool added = false;
    };
    void BuildRows(const std::vector<Port>& ports);
    void LayoutColumns();
    QString RowPort(int row) const;
    void CheckValues();
    void UpdateSource();
    void UpdateButtons();
    void ShowRadio(size_t i, bool phaseChanged);
    void Finished();
    void CancelRadio(size_t i);
    void CancelEverything();
    void AskAddColumn();
    void AskFill();
    // Ends a dialog of the window's form: a line for the reason a refused OK gives, OK and Cancel;
    // runs it modally (OpenDialog() names it meanwhile), closing on OK only when `accept` succeeds.
    void RunForm(QDialog& dialog, QFormLayout* form, const std::function<bool(QString* why)>& accept);
    bool CheckData();

    cuiMain& main_;
    Mode mode_;
    QString FindCaption(const std::string& cell) const;

    std::vector<std::string> cells_;  // the value columns' cell arguments
    std::vector<Port> added_;         // devices added by hand
    std::vector<std::vector<QString>> refusals_;  // [row][k]
    std::unique_ptr<indFleet> fleet_;
    std::vector<int> radioRows_;
    bool checking_ = false;
    QLabel* source_ = nullptr;
    QPushButton* save_ = nullptr;
    QLineEdit* folder_ = nullptr;
    QLabel* options_ = nullptr;
    QCheckBox* changeModel_ = nullptr;
    QTableWidget* table_ = nullptr;
    QLineEdit* deviceEdit_ = nullptr;
    QPushButton* addDevice_ = nullptr;
    QPushButton* refresh_ = nullptr;
    QPushButton* addColumn_ = nullptr;
    QPushButton* removeColumn_ = nullptr;
    QPushButton* fill_ = nullptr;
    QPushButton* start_ = nullptr;
    QPushButton* cancelAll_ = nullptr;
    QPushButton* close_ = nullptr;
    QLabel* summary_ = nullptr;
    QDialog* dialog_ = nullptr;
};

}  // namespace qx
