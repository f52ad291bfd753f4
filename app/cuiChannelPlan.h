// The windows of the channel plan commands: the import preview (what will change and the
// problems found) and the change list of a comparison whose lines open the sheet at the cell.
#pragma once

#include "cells/cmcChannelPlan.h"

#include <QDialog>
#include <QPointer>

#include <functional>

class QCheckBox;
class QLabel;
class QListWidget;
class QPushButton;
class QTableWidget;
class QTreeWidget;
class QTreeWidgetItem;

namespace qx {

class cuiSheet;

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

// The change list between the open image and a file, grouped by sheet with the number of changes
// of each: a cell that differs is a line, a channel only one of them has in use is one line.
// Selecting a line calls `open` with it (the sheet opens at the cell). While the window is open,
// the changed cells of the sheet shown carry a change mark; closing the window takes them away.
// `compute` reads the file and lists the changes (false when the file cannot be read); it runs on
// Refresh, which the opener calls first, and on Compare Again. `currentSheet` is the sheet shown
// (may be null); MarkSheet marks a sheet that is about to be shown.
class cuiPlanCompare : public QDialog {
    Q_OBJECT
public:
    using Compute = std::function<bool(std::vector<cmcDiffLine>*)>;
    cuiPlanCompare(QWidget* parent, const QString& otherFile, Compute compute,
                   std::function<void(const cmcDiffLine&)> open, std::function<cuiSheet*()> currentSheet);
    ~cuiPlanCompare() override;
    // Compares again; false (the list kept) when the file could not be read.
    bool Refresh();
    // Marks the changed cells of `sheet` (by its name, the sheet reference) and clears those of
    // the sheet marked before.
    void MarkSheet(cuiSheet& sheet);
    // One top-level item per sheet ("Memory Channels, Bank 1: 3 changes"), its lines below it.
    QTreeWidget* Tree() const { return tree_; }
    QLabel* Summary() const { return summary_; }
    QPushButton* CompareAgainButton() const { return again_; }
    QPushButton* CopyButton() const { return copy_; }
    const std::vector<cmcDiffLine>& Lines() const { return lines_; }
    // The line an item of Tree() shows; null for a sheet's item.
    const cmcDiffLine* LineOf(const QTreeWidgetItem* item) const;

protected:
    void hideEvent(QHideEvent* e) override;

private:
    void ClearMarks();

    QString otherFile_;
    Compute compute_;
    std::function<cuiSheet*()> currentSheet_;
    QLabel* summary_ = nullptr;
    QTreeWidget* tree_ = nullptr;
    QPushButton* again_ = nullptr;
    QPushButton* copy_ = nullptr;
    std::vector<cmcDiffLine> lines_;
    QPointer<cuiSheet> marked_;  // the sheet whose cells carry marks
};

}  // namespace qx
