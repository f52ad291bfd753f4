// The topic tree: the left pane of the main window. Each node carries a cell whose text is the
// node's caption, whose image index is its icon and whose name is a sheet reference
// ("[St_Style]GI_Sheet_Key,Parameter"). The tree is built from "<name>_BasicCell" and the node lines
// of "<name>_Body", whose nesting follows the indentation before each line's "+":
//
//     +Radio{(ImageIndex=0)(%CallSheet:GI_Sheet_Top)}
//      +Memory CH{(ImageIndex=1)(%CallSheet:GI_Sheet_Memory_CH_Top)}
//      +Scan{(ImageIndex=2)(%CallSheet:GI_Sheet_Scan)}
//
// On EVC_TreeBuilt (tree built, image replaced) the tree adjusts itself to the model type and the image:
// nodes flagged for other model types go, the digital timer node comes or goes, and the memory
// channel branch gets one node per bank. EVC_BankIcons and EVC_BankRename redraw the bank icons and rename banks.
// Warning and error marks are overlays on the node icons.
#pragma once

#include "comm/cmcTask.h"
#include "defs/cmcCellObj.h"

#include <QIcon>
#include <QObject>
#include <QPointer>
#include <QTreeWidget>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

class QWidget;

namespace qx {

class cmcGTex;
class indMain;
struct cmcEvent;

// A sheet reference split into its parts: "[St_ChBank]GI_Sheet_Mch_Lmr,Bank 2" gives the style
// "St_ChBank", the key "GI_Sheet_Mch_Lmr" and the parameter "Bank 2".
struct cuiSheetRef {
    std::string style;
    std::string key;
    std::string parameter;
    static cuiSheetRef Split(const std::string& reference);
};

// Overlays of the node icons.
enum cuiTreeOverlay : int { TO_None = -1, TO_Error = 0, TO_Warning = 1 };

class cuiTree : public QObject {
    Q_OBJECT
public:
    // Creates the (empty, hidden) tree control filling `host`; registers for events. `main` gives
    // the model type and the working image (null: indMain::Instance()).
    cuiTree(QWidget* host, cmcGTex& store, std::string name, const std::vector<QIcon>* images,
            indMain* main = nullptr);
    ~cuiTree() override;

    // Reads the basic cell and the node lines and fills the tree; the root node is collapsed.
    void Build();

    // Appends a node made from a node line under `parent` (null: at the root level).
    QTreeWidgetItem* AddNode(QTreeWidgetItem* parent, const std::string& line);
    // The first node, in index order, whose cell name equals `name` exactly.
    QTreeWidgetItem* FindNode(const std::string& name) const;
    void DeleteChildren(QTreeWidgetItem* node);
    // Removes every node whose cell carries flag type t (0-5): behaviour bit t + 2.
    void RemoveByFlagType(int t);
    // Removes every node whose cell index is a model mask (not 0) without the bit of model type t
    // (1 LMR, 2 PMR, 4 Korv PMR, 8 dPMR446): topics that only some model types have, where the
    // flag types cannot say so (LMR and dPMR446; dPMR446 alone).
    void RemoveOtherModels(int type);
    // Adds the first body line containing `name` (unless a node of that name exists), as the last
    // child of the node at `index` or right before it. Returns the new node or null.
    QTreeWidgetItem* InsertByName(const std::string& name, int index, bool asChild);

    // Adjusts the tree to the model type and the image (what EVC_TreeBuilt does).
    void AdjustToModel();
    // EVC_BankIcons: the icon of every bank node from the bank's flag and channel count.
    void RefreshBankIcons();
    // EVC_BankRename: the caption of bank `bank`'s nodes; a bank without a name is shown by the text of
    // "GI_AppInd_BankUnnamed" with the bank's number counted from 1.
    void RenameBank(int bank, const std::string& name);

    // Overlays (warning check).
    void ClearOverlays(QTreeWidgetItem* node);
    // Marks the subtree of `node` against the names (compared without regard to case): a node is
    // marked when its name is listed, or when it is collapsed over a listed node. Returns how
    // many listed nodes the subtree holds, itself included.
    // With `reasons` (one text per name, "Warning, CHECK: REASON"), a marked node carries the
    // reasons of the listed nodes it stands for as its tooltip, errors first.
    int MarkSubtree(QTreeWidgetItem* node, const std::vector<std::string>& names, int overlay,
                    const std::vector<std::string>* reasons = nullptr);
    // The reasons of a node's mark, one per line (its tooltip), or empty.
    std::string MarkTextOf(const QTreeWidgetItem* node) const;
    int OverlayOf(const QTreeWidgetItem* node) const;
    void SetOverlay(QTreeWidgetItem* node, int overlay);

    // Nodes by absolute index (pre-order, as the nodes stand from top to bottom when expanded).
    int NodeCount() const;
    QTreeWidgetItem* NodeAt(int index) const;
    int IndexOf(const QTreeWidgetItem* node) const;
    // The sheet reference of every node from top to bottom ("" for a node that opens no sheet).
    std::vector<std::string> SheetReferences() const;
    // The sheet references of the expanded nodes, and expanding the nodes of such a list: a tree
    // rebuilt after Open or a model change keeps the branches the user had open.
    std::vector<std::string> ExpandedReferences() const;
    void ExpandReferences(const std::vector<std::string>& references);
    // The sheet references of the topic tree "GI_Tree_Main" as the program shows it for the
    // image's model type, from a tree built off screen (the command-line tool, benchmarks).
    static std::vector<std::string> MainTreeSheets(cmcGTex& store, indMain& main);
    // The node's cell (null for none) and the selected node's cell.
    static cmcCellObj* CellOf(const QTreeWidgetItem* node);
    cmcCellObj* SelectedCell() const;
    QTreeWidgetItem* Selected() const;
    // Makes the node current and selected; the selection handling follows after the change delay.
    void Select(QTreeWidgetItem* node);
    // Caption (the cell's text as shown).
    static std::string Caption(const QTreeWidgetItem* node);
    void SetCaption(QTreeWidgetItem* node, const std::string& caption);

    // Milliseconds between a selection change and its handling (0: at once).
    void SetChangeDelay(int ms) { changeDelay_ = ms; }
    int ChangeDelay() const { return changeDelay_; }
    // Handles a pending selection change now (no-op when none is pending).
    void FlushChange();

    QTreeWidget* Control() const { return control_; }
    QWidget* Host() const { return host_; }
    const std::string& Name() const { return name_; }
    const cmcCellObj& BasicCell() const { return basic_; }

    // Called after the change delay when the selected node changed.
    std::function<void()> onChange;
    // Called when a node is expanded or collapsed.
    std::function<void()> onExpandCollapse;

    // "Lmr", "Pmr", "PmrK", "DPmr446": the word of the model type in the bank node references.
    static std::string ModelWord(int modelType);
    // A node line format ("%s" the model word, "%d" the number, "%%" a percent sign).
    static std::string FormatLine(const std::string& format, const std::string& word, int number);

private:
    void RemoveWhere(const std::function<bool(const cmcCellObj&)>& doomedCell);
    int ReadLevel(QTreeWidgetItem* parent, int firstLine);
    QTreeWidgetItem* MakeNode(const std::string& line);
    void RemoveNode(QTreeWidgetItem* node);
    void UpdateIcon(QTreeWidgetItem* node);
    QIcon IconFor(int image, int overlay);
    void OnEvent(const cmcEvent& e);
    void OnCurrentChanged();
    indMain* Main() const;

    QWidget* host_;
    cmcGTex& store_;
    std::string name_;
    const std::vector<QIcon>* images_;
    indMain* main_;
    QPointer<QTreeWidget> control_;
    cmcCellObj basic_;
    // The owned node cells; the nodes point to them.
    std::map<const cmcCellObj*, std::unique_ptr<cmcCellObj>> cells_;
    std::map<std::pair<int, int>, QIcon> iconCache_;
    int changeDelay_ = 0;
    bool changePending_ = false;
    bool markStatusShown_ = false;  // the status bar shows the current node's mark
    int MarkWith(QTreeWidgetItem* node, const std::vector<std::string>& names, int overlay,
                 const std::vector<std::string>* reasons, std::vector<std::string>& found);
    void ShowMarkStatus();
    cmcTaskPtr delay_;
};

}  // namespace qx
