// Clone ▸ Fleet Log: the fleet log (cmcFleetLog) as a sortable table, newest first. A row's
// backup file is one click from being opened in the program (Open Backup, or a double click),
// after the usual unsaved-changes question: opening a backup and writing it is how a radio is put
// back as it was. An empty or missing log shows a short explanation instead of an empty table.
#pragma once

#include <QDialog>
#include <QString>

class QLabel;
class QLineEdit;
class QPushButton;
class QSortFilterProxyModel;
class QStackedWidget;
class QStandardItemModel;
class QTableView;

namespace qx {

class cuiMain;

class cuiFleetLogWindow : public QDialog {
    Q_OBJECT
public:
    // The columns, in the log file's order.
    enum Column { LC_Date, LC_Time, LC_Port, LC_Serial, LC_Model, LC_File, LC_Values, LC_Backup, LC_Result,
                  LC_Message, LC_Duration, LC_Count };

    // A window over the log at `path` (empty: the default log next to the backups).
    cuiFleetLogWindow(cuiMain& main, QWidget* parent, const QString& path = {});

    // Reads the log again; the row selected stays selected when it is still there.
    void Refresh();

    const QString& Path() const { return path_; }
    QTableView* Table() const { return table_; }
    QSortFilterProxyModel* Sorted() const { return proxy_; }
    QLabel* EmptyNote() const { return empty_; }
    QPushButton* OpenBackupButton() const { return openBackup_; }
    QPushButton* RefreshButton() const { return refresh_; }
    QLineEdit* Filter() const { return filter_; }
    bool ShowsTable() const;

    // Opens the backup file of a row of the table (proxy row) in the program. False when the row
    // has no backup or it was not opened (the question answered Cancel, the file refused).
    bool OpenBackup(int row);

private:
    QString BackupOf(int row) const;
    void UpdateButtons();

    cuiMain& main_;
    QString path_;
    QLabel* where_ = nullptr;
    QLabel* empty_ = nullptr;
    QStackedWidget* pages_ = nullptr;
    QTableView* table_ = nullptr;
    QStandardItemModel* model_ = nullptr;
    QSortFilterProxyModel* proxy_ = nullptr;
    QLineEdit* filter_ = nullptr;
    QPushButton* openBackup_ = nullptr;
    QPushButton* refresh_ = nullptr;
};

}  // namespace qx
