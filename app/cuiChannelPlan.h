// The windows of the channel plan commands: the import preview (what will change and the
// problems found) and the comparison list whose lines open the sheet at the cell.
#pragma once

#include "cells/cmcChannelPlan.h"

#include <QDialog>

#include <functional>

class QCheckBox;
class QLabel;
class QListWidget;
class QPushButton;
class QTableWidget;

namespace qx {

// Shows the preview of an import; exec() returns Accepted when the user imports, SkipBad() tells
// whether the lines with problems are to be skipped and FitNames() whether names are fitted to the
// display. `check` runs the import as a preview with names fitted or not; the window shows its
// result and runs it again when the check box changes.
class cuiPlanPreview : public QDialog {
    Q_OBJECT
public:
    using Check = std::function<cmcPlanImport(bool fitNames)>;
    cuiPlanPreview(QWidget* parent, const QString& planFile, Check check);
    bool SkipBad() const { return skipBad_; }
    bool FitNames() const;
    QTableWidget* Table() const { return table_; }
    // The notes (Locations from 0, fitted names) and problems, notes first; null when there are none.
    QListWidget* Problems() const;
    QCheckBox* FitNamesBox() const { return fitNames_; }
    QPushButton* ImportButton() const { return import_; }

private:
    void Show(const cmcPlanImport& preview);

    QString planFile_;
    Check check_;
    QLabel* summary_ = nullptr;
    QTableWidget* table_ = nullptr;
    QLabel* problemsLabel_ = nullptr;
    QListWidget* problems_ = nullptr;
    QCheckBox* fitNames_ = nullptr;
    QPushButton* import_ = nullptr;
    bool problemsFound_ = false;  // the preview shown has problems
    bool skipBad_ = false;
};

// The cells that differ between the open image and a file; activating a line calls `open` with it.
// `compute` reads the file and lists the differences (false when the file cannot be read); it runs
// on Refresh, which the opener calls first, and on Compare Again.
class cuiPlanCompare : public QDialog {
    Q_OBJECT
public:
    using Compute = std::function<bool(std::vector<cmcDiffLine>*)>;
    cuiPlanCompare(QWidget* parent, const QString& otherFile, Compute compute,
                   std::function<void(const cmcDiffLine&)> open);
    // Compares again; false (the list kept) when the file could not be read.
    bool Refresh();
    QListWidget* List() const { return list_; }
    QLabel* Summary() const { return summary_; }
    QPushButton* CompareAgainButton() const { return again_; }
    QPushButton* CopyButton() const { return copy_; }
    const std::vector<cmcDiffLine>& Lines() const { return lines_; }

private:
    QString otherFile_;
    Compute compute_;
    QLabel* summary_ = nullptr;
    QListWidget* list_ = nullptr;
    QPushButton* again_ = nullptr;
    QPushButton* copy_ = nullptr;
    std::vector<cmcDiffLine> lines_;
};

}  // namespace qx
