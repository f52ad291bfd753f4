#include "app/cuiMain.h"

#include "app/Frmmain.h"
#include "app/cuiGrid.h"
#include "app/cuiInformation.h"
#include "app/cuiPortDialog.h"
#include "app/cuiProgramInfo.h"
#include "app/cuiTree.h"
#include "printing/cuiPrintJob.h"
#include "app/cuiUndoMenu.h"
#include "cells/cmcCellCapsule.h"
#include "cells/cmcCellTable.h"
#include "image/datCh.h"
#include "comm/cmcPortList.h"
#include "comm/indEnviron.h"
#include "common/cmcClock.h"
#include "common/cmcMessage.h"
#include "defs/cmcEvMan.h"
#include "defs/cmcGTex.h"
#include "defs/cuiMenu.h"
#include "defs/cuiSheetPaint.h"
#include "defs/cuiToolBar.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFrame>
#include <QGuiApplication>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QSignalBlocker>
#include <QSplitter>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTimer>
#include <QFontMetrics>
#include <QStyle>
#include <QTreeWidgetItemIterator>
#include <QToolBar>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <chrono>
#include <cstdlib>

namespace qx {

namespace {

cuiMain* gMain = nullptr;

std::string AppTitle() { return GTex().Line("GI_Sys_AppTitle", 0); }

// Replaces the first "%s" of a format.
std::string FormatOne(std::string format, const std::string& value) {
    const size_t at = format.find("%s");
    if (at != std::string::npos) format.replace(at, 2, value);
    return format;
}

std::string BaseName(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The model word of the warning check's bank cells (names are compared without regard to case).
std::string CheckWord(int modelType) {
    switch (modelType) {
    case 2: return "PMRK";
    case 3: return "DPmr446";
    case 1: return "PMR";
    default: return "LMR";
    }
}

bool IsImageLike(const cmcEeprom& image) { return image.GetSize() >= kImageSize; }

// The serial devices behind the numbered port entries, read again at most twice a second (the
// menu asks for every entry on every refresh).
struct PortCache {
    std::vector<cmcPortInfo> ports;
    std::chrono::steady_clock::time_point readAt;
    bool valid = false;
};
PortCache& Ports() {
    static PortCache cache;
    return cache;
}
const std::vector<cmcPortInfo>& PortDevices() {
    PortCache& c = Ports();
    const auto now = std::chrono::steady_clock::now();
    if (!c.valid || now - c.readAt > std::chrono::milliseconds(500)) {
        c.ports = cmcPortList().Enumerate();
        c.readAt = now;
        c.valid = true;
    }
    return c.ports;
}

}  // namespace

// ---- construction ----------------------------------------------------------------------------

cuiMain::cuiMain(const std::string& defsDir, const std::string& dataDir, std::unique_ptr<cmcSerialPort> port,
                 int imageSize)
    : indMain(dataDir, imageSize), statusTextColour_(clWindowText), statusBackColour_(clBtnFace) {
    OpenDefinitionFiles(defsDir);

    // The default directory: the stored one, else the user's documents folder, else the current one.
    defaultDir_ = Environ().CurrentDirectory;
    if (defaultDir_.empty()) {
        const QString docs = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        if (!docs.isEmpty() && QDir(docs).exists()) defaultDir_ = docs.toStdString();
    }
    if (defaultDir_.empty()) defaultDir_ = QDir::currentPath().toStdString();
    SetCurrentDirectory(defaultDir_);

    cloneView_ = std::make_unique<cuiCloneView>(nullptr);
    cloneMan_ = std::make_unique<indCloneMan>(std::move(port));
    cloneMan_->SetView(cloneView_.get());
    cloneCommands_ = std::make_unique<indCloneCommands>(*this, *cloneMan_);
    cloneCommands_->countErrors = [this] {
        int errors = 0;
        CountWarnings(&errors, nullptr);
        return errors;
    };
    cloneCommands_->closeSheet = [this] { CloseSheet(true); };
    cloneCommands_->confirmDiscard = [this] { return ConfirmDiscard(true) == MB_Ok; };
    cloneCommands_->showInformation = [this] {
        cuiInformation::Open(form_, AppTitle(), GTex(), "GI_Sheet_CloneInfo");
    };
    cloneCommands_->finished = [this](int) { EvMan().Send(EVC_MenusBuilt); };

    tick_ = cmcMakeTask();
    tick_->SetCallback([this](cmcTask&) { Tick(); });
    EvMan().Register<&cuiMain::OnEvent>(this);
    if (!cmcDefaultCellHandler()) cmcInstallCellHandler();
    SetAppCommands(this);
    gMain = this;
}

cuiMain::~cuiMain() {
    FormClosed();
    tick_.reset();
    EvMan().UnregisterAll(this);
    cloneCommands_.reset();
    cloneMan_.reset();
    cloneView_.reset();
    if (&AppCommands() == this) SetAppCommands(nullptr);
    if (gMain == this) gMain = nullptr;
}

cuiMain* cuiMain::Instance() { return gMain; }

void cuiMain::ForgetPortDevices() { Ports().valid = false; }

// ---- building the window ---------------------------------------------------------------------

void cuiMain::BuildWindow(Frmmain* form, const std::vector<QIcon>* treeImages, const std::vector<QIcon>* toolImages) {
    // The images must hold the whole memory map; checked before anything is loaded into them.
    if (ImageSize() < kImageSize) cmcFatal("Self Check Error.\nEEPROM Map is too large.", kExitInternalFault);

    form_ = form;
    treeImages_ = treeImages;
    toolImages_ = toolImages;
    cloneView_->SetMainWindow(form);

    // The model type of the settings, its initial file, the start image.
    int type = Environ().ModelType;
    if (type < 0 || type >= kModelTypeCount) type = kModelLmr;
    LoadStartImage(type);
    RememberSheet();

    // Menu bar and tool bar.
    const auto handler = [this](cmcCellRequest& r) { return MenuCellHandler(r); };
    menu_ = std::make_unique<cuiMenu>(form, form->menuBar(), GTex(), "GI_Menu_Main");
    menu_->SetImages(toolImages);
    menu_->SetCellHandler(handler);
    menu_->Build();
    undoMenu_ = std::make_unique<cuiUndoMenu>(*this, *menu_, form);
    undoMenu_->afterStep = [this] { AfterImageReplaced(); };
    toolBarHost_ = new QToolBar(form);
    toolBarHost_->setObjectName("MainToolBar");
    toolBarHost_->setMovable(false);
    toolBarHost_->setFloatable(false);
    toolBarHost_->toggleViewAction()->setVisible(false);
    toolBarHost_->setContextMenuPolicy(Qt::PreventContextMenu);
    form->addToolBar(Qt::TopToolBarArea, toolBarHost_);
    toolBar_ = new cuiToolBar(form, GTex(), "GI_ToolBar_Main", toolImages, toolBarHost_);
    toolBar_->SetCellHandler(handler);
    toolBar_->Build();
    toolBarHost_->addWidget(toolBar_);
    toolBarHost_->setVisible(Environ().ToolbarVisible != 0);
    EvMan().Send(EVC_MenusBuilt);

    // The panes: the tree on the left, the splitter, the sheet on the right.
    auto* central = new QWidget(form);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    splitter_ = new QSplitter(Qt::Horizontal, central);
    splitter_->setHandleWidth(3);
    splitter_->setChildrenCollapsible(false);
    splitter_->setOpaqueResize(true);
    auto* left = new QFrame(splitter_);
    left->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    left->setLineWidth(2);
    left->setMinimumWidth(kSplitterMin);
    auto* leftLayout = new QVBoxLayout(left);
    leftLayout->setContentsMargins(2, 2, 2, 2);
    auto* right = new QFrame(splitter_);
    right->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    right->setLineWidth(2);
    right->setMinimumWidth(kSplitterMin);
    auto* rightLayout = new QVBoxLayout(right);
    rightLayout->setContentsMargins(2, 2, 2, 2);
    splitter_->addWidget(left);
    splitter_->addWidget(right);
    splitter_->setStretchFactor(0, 0);
    splitter_->setStretchFactor(1, 1);
    layout->addWidget(splitter_);
    form->setCentralWidget(central);
    leftPanel_ = left;
    rightPanel_ = right;

    RefreshModelText();

    // The stored splitter position; until the user has moved it (the default width), the tree starts
    // wide enough for its longest node name, within half the window.
    int leftWidth = std::max(static_cast<int>(Environ().SplitterV), kSplitterMin);
    if (Environ().SplitterV == kDefaultSplitterV && tree_ && tree_->Control())
        leftWidth = std::clamp(TreeWidthNeeded(), leftWidth, std::max(leftWidth, form->width() / 2));
    splitter_->setSizes({leftWidth, std::max(kSplitterMin, form->width() - leftWidth)});

    // The status bar with its one panel, drawn by the program.
    statusBar_ = form->statusBar();
    statusPanel_ = new cuiStatusPanel(statusBar_);
    statusBar_->addWidget(statusPanel_, 1);
    SetStatus(statusTextColour_, statusBackColour_, statusText_);

    QObject::connect(qApp, &QGuiApplication::applicationStateChanged, form,
                     [this](Qt::ApplicationState state) { inactive_ = state != Qt::ApplicationActive; });

    tick_->SetInterval(kTickMs);
    form->show();
    // The first sheet opens at once; the tree's change delay is for the user's moves.
    if (tree_) tree_->FlushChange();
    splitter_->setSizes({leftWidth, std::max(kSplitterMin, splitter_->width() - leftWidth - splitter_->handleWidth())});
}

int cuiMain::TreeWidthNeeded() const {
    // Indentation, icon and text of every node, plus the frames around the tree.
    QTreeWidget* tree = tree_->Control();
    const QFontMetrics fm(tree->font());
    int widest = 0;
    for (QTreeWidgetItemIterator it(tree); *it; ++it) {
        int depth = 0;
        for (QTreeWidgetItem* p = (*it)->parent(); p; p = p->parent()) ++depth;
        const int w = (depth + 1) * tree->indentation() + tree->iconSize().width() + 8 +
                      fm.horizontalAdvance((*it)->text(0));
        widest = std::max(widest, w);
    }
    return widest + 2 * tree->frameWidth() + 2 * 2 + 4 + tree->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
}

// ---- indMain hooks ---------------------------------------------------------------------------

void cuiMain::RefreshModelText() {
    Environ().ModelType = static_cast<uint8_t>(ModelType());
    if (!leftPanel_) return;
    tree_.reset();
    tree_ = std::make_unique<cuiTree>(leftPanel_, GTex(), "GI_Tree_Main", treeImages_, this);
    tree_->Build();
    tree_->onExpandCollapse = [this] { CountWarnings(); };
    tree_->SetChangeDelay(std::atoi(GTex().FirstLine("GI_Sys_TreeChangeDelay").c_str()));
    tree_->onChange = [this] { OnTreeChange(); };
    CountWarnings();
    CloseSheet(true);
    tree_->Control()->show();
    EvMan().Send(EVC_TreeBuilt);
    if (QTreeWidgetItem* root = tree_->NodeAt(0)) {
        tree_->Select(root);
        tree_->SetCaption(root, cuiTree::Caption(root) + ModelName(ModelType()));
    }
}

std::string cuiMain::DisplayFileName() const { return BaseName(GetDisplayName()); }

void cuiMain::RefreshTitle() {
    if (!form_) return;
    std::string title = AppTitle() + " - " + DisplayFileName();
    if (IsModified()) title += " *";
    form_->setWindowTitle(QString::fromStdString(title));
}

void cuiMain::OnCloneFileOpened(const std::string& path) {
    Environ().CurrentDirectory = CurrentDirectory();
    Environ().Recent.AddToFront(path);
    defaultDir_ = CurrentDirectory();
}

// ---- warning check ---------------------------------------------------------------------------

void cuiMain::CountWarnings(int* errors, int* warnings) {
    int errorCount = 0, warningCount = 0;
    if (errors) *errors = 0;
    if (warnings) *warnings = 0;
    if (!tree_ || !tree_->Control()) return;

    std::vector<std::string> errorList, warningList;
    const cmcCellHandler& handler = cmcDefaultCellHandler();
    const auto check = [&](cmcCellObj& cell, int row) {
        cmcCellRequest req;
        req.owner = form_;
        req.cell = &cell;
        req.rowNumber = row;
        req.action = CA_Refresh;
        if (handler) handler(req);
        const std::string name = cell.name ? *cell.name : std::string();
        if (req.resultFlags & CRF_Error) {
            errorList.push_back(name);
            ++errorCount;
        } else if (req.resultFlags & CRF_Warning) {
            warningList.push_back(name);
            ++warningCount;
        }
    };
    for (int i = 0;; ++i) {
        const std::string line = GTex().Line("GI_WarningCheckList", i);
        if (!line.empty() && line[0] == '#') break;
        cmcCellObj cell;
        ParseCell(line, &cell, nullptr, nullptr);
        check(cell, 0);
    }
    // The channel checks of the five banks (always five: the image holds five whatever the model).
    const std::string word = CheckWord(ModelType());
    for (int bank = 0; bank < map::kBankCount; ++bank) {
        const std::string description =
            "{(%CL_Check_Mch:[St_ChBank]GI_Sheet_Mch_" + word + ",Bank " + std::to_string(bank) + ")}";
        cmcCellObj cell;
        ParseCell(description, &cell, nullptr, nullptr);
        check(cell, bank);
    }

    // The marks: cleared, then every root-level subtree from the last up, warnings first so that
    // an error mark replaces a warning mark.
    QTreeWidget* control = tree_->Control();
    tree_->ClearOverlays(tree_->NodeAt(0));
    for (int i = control->topLevelItemCount() - 1; i >= 0; --i) {
        tree_->MarkSubtree(control->topLevelItem(i), warningList, TO_Warning);
        tree_->MarkSubtree(control->topLevelItem(i), errorList, TO_Error);
    }
    if (errors) *errors = errorCount;
    if (warnings) *warnings = warningCount;
    EvMan().Post(EVC_BankIcons);
    EvMan().Post(EVC_BankChanged);
}

void cuiMain::ScheduleWarningCheck() {
    if (!deferredCheck_) deferredCheck_ = std::make_unique<cmcTick>();
    deferredCheck_->Start(kDeferredCheckMs);
}

// ---- sheets ----------------------------------------------------------------------------------

std::unique_ptr<cuiSheet> cuiMain::CreateSheet(QWidget* host, const std::string& reference) {
    const cuiSheetRef ref = cuiSheetRef::Split(reference);
    std::unique_ptr<cuiSheet> sheet = cuiCreateSheet(ref.style, host, GTex(), ref.key, form_);
    sheet->SetName(reference);
    sheet->SetParameter(ref.parameter);
    return sheet;
}

void cuiMain::RememberSheet() {
    if (!sheet_) return;
    const std::string name = sheet_->Name();
    history_.remove_if([&](const cuiSheetHistoryEntry& e) { return e.name == name; });
    history_.push_front({name, sheet_->Position()});
    QWidget* focus = QApplication::focusWidget();
    const bool inTree = tree_ && tree_->Control() && focus &&
                        (focus == tree_->Control() || tree_->Control()->isAncestorOf(focus));
    sheetHadFocus_ = focus && !inTree;
    sheet_.reset();
}

void cuiMain::CloseSheet(bool remember) {
    if (remember)
        RememberSheet();
    else
        sheet_.reset();
}

void cuiMain::OpenSheet(const std::string& reference) {
    if (!rightPanel_) return;
    RememberSheet();
    sheet_ = CreateSheet(rightPanel_, reference);
    for (const cuiSheetHistoryEntry& e : history_)
        if (e.name == reference) {
            sheet_->SetSavedPosition(e.pos);
            break;
        }
    sheet_->Build();
    if (sheetHadFocus_ && sheet_->Grid() && sheet_->Grid()->isEnabled()) sheet_->Grid()->setFocus();
}

void cuiMain::ActivateNodeCell(cmcCellObj* cell) {
    if (!cell) return;
    const cmcCellHandler& handler = cmcDefaultCellHandler();
    if (!handler) return;
    cmcCellRequest req;
    req.owner = form_;
    req.cell = cell;
    req.action = CA_Enter;
    activatingNode_ = true;
    handler(req);
    activatingNode_ = false;
}

void cuiMain::OnTreeChange() {
    if (!tree_) return;
    cmcCellObj* cell = tree_->SelectedCell();
    if (!cell) return;
    if (sheet_ && cell->name && sheet_->Name() == *cell->name) return;
    ActivateNodeCell(cell);
}

bool cuiMain::ShowSheet(const std::string& reference) {
    if (activatingNode_) {
        OpenSheet(reference);
        return true;
    }
    // Asked from elsewhere (a sheet's cell, a menu): the tree follows, and the sheet changes once
    // the caller has returned, since the caller may be the sheet that is about to go.
    if (tree_ && tree_->Control()) {
        if (QTreeWidgetItem* node = tree_->FindNode(reference)) {
            QSignalBlocker block(tree_->Control());
            for (QTreeWidgetItem* p = node->parent(); p; p = p->parent()) p->setExpanded(true);
            tree_->Select(node);
        }
    }
    QTimer::singleShot(0, form_ ? static_cast<QObject*>(form_) : qApp, [this, reference] {
        if (gMain == this && (!sheet_ || sheet_->Name() != reference)) OpenSheet(reference);
    });
    return true;
}

int cuiMain::CurrentPopupItemCount() {
    if (!sheet_ || !sheet_->PopupMenu()) return 1;
    int n = 0;
    for (QAction* a : sheet_->PopupMenu()->actions())
        if (!a->isSeparator()) ++n;
    return n;
}

void cuiMain::RefreshAllViews() {
    EvMan().Send(EVC_RedrawLabelled);
    CountWarnings();
    EvMan().Post(EVC_CheckDone);
}

// ---- the tick ----------------------------------------------------------------------------------

void cuiMain::Tick() {
    // A sheet reappears after it was closed: the selected node's, or the last one of the history.
    if (!sheet_ && form_ && form_->isVisible() && form_->isEnabled() && !inactive_) {
        if (tree_ && tree_->Control()) {
            ActivateNodeCell(tree_->SelectedCell());
        } else if (!history_.empty()) {
            OpenSheet(history_.front().name);
        }
    }
    if (deferredCheck_ && deferredCheck_->Remaining() == 0) {
        deferredCheck_.reset();
        CountWarnings();
        EvMan().Post(EVC_CheckDone);
    }
    PrintTick();
}

// ---- status bar --------------------------------------------------------------------------------

void cuiMain::SetStatus(uint32_t textColour, uint32_t backColour, const std::string& text) {
    statusTextColour_ = textColour;
    statusBackColour_ = backColour;
    statusText_ = text;
    if (statusPanel_)
        statusPanel_->Set(cuiColour(textColour), cuiColour(backColour), QString::fromStdString(text));
}

// ---- events ------------------------------------------------------------------------------------

void cuiMain::OnEvent(const cmcEvent& e) {
    switch (e.code) {
    case EVC_MenusBuilt:
        EvMan().Send(EVC_MenuRefresh);
        EvMan().Send(EVC_ToolBarRefresh);
        break;
    case EVC_AboutBox:
        // Shown from the message loop, not from inside the event delivery.
        QTimer::singleShot(0, form_ ? static_cast<QObject*>(form_) : qApp, [this] {
            if (gMain == this) ShowAboutBox();
        });
        break;
    case EVC_StatusText:
        SetStatus(static_cast<uint32_t>(e.first), static_cast<uint32_t>(e.second), e.data.Text());
        break;
    case EVC_ChannelJoinsBank:
        if (ChannelJoinsBank(WorkingImage(), InitialImage(), ModelType(), static_cast<int>(e.first), e.second)) {
            EvMan().Send(EVC_BankJoined);
            EvMan().Send(EVC_BankChanged);
        }
        break;
    case EVC_ChannelLeavesBank:
        if (ChannelLeavesBank(WorkingImage(), InitialImage(), ModelType(), static_cast<int>(e.first), e.second)) {
            EvMan().Send(EVC_BankLeft);
            EvMan().Send(EVC_BankChanged);
            EvMan().Send(EVC_RedrawIndexAtLeast, 0, e.second);
        }
        break;
    default: break;
    }
}

void cuiMain::ShowAboutBox() {
    QMessageBox::about(form_, QString::fromStdString(AppTitle()), QString::fromStdString(cuiAboutRichText()));
}

bool cuiMain::ChannelJoinsBank(cmcEeprom& working, const cmcEeprom& initial, int modelType, int bank, int pos) {
    if (bank < 0 || bank >= map::kBankCount || pos < 0 || pos >= map::kChannelCount) return false;
    if (!IsImageLike(working) || !IsImageLike(initial)) return false;
    uint8_t* image = working.Data();
    // A full table has no room: the last channel would be pushed out of it.
    if (datChannelTotal(image) >= map::kChannelCount) return false;
    const int kind = datChannelKind(modelType);
    datCh record(image);
    for (int i = map::kChannelCount - 2; i >= pos; --i) {
        const bool flag = datBankFlag(image, datBankOfChannel(image, i + 1));
        record.Load(kind, i);
        record.bankFlag = flag;
        record.Store(kind, i + 1);
    }
    datCh blank(const_cast<uint8_t*>(initial.Data()));
    blank.Load(kind, map::kChannelCount);
    blank.Bind(image);
    blank.bankFlag = datBankFlag(image, datBankOfChannel(image, pos));
    blank.Store(kind, pos);
    datSetBankSize(image, bank, datBankSize(image, bank) + 1);
    return true;
}

bool cuiMain::ChannelLeavesBank(cmcEeprom& working, const cmcEeprom& initial, int modelType, int bank, int pos) {
    if (bank < 0 || bank >= map::kBankCount || pos < 0 || pos >= map::kChannelCount) return false;
    if (!IsImageLike(working) || !IsImageLike(initial)) return false;
    uint8_t* image = working.Data();
    if (datBankSize(image, bank) <= 0) return false;
    const int kind = datChannelKind(modelType);
    datCh record(image);
    for (int i = pos + 1; i < map::kChannelCount; ++i) {
        const bool flag = datBankFlag(image, datBankOfChannel(image, i - 1));
        record.Load(kind, i);
        record.bankFlag = flag;
        record.Store(kind, i - 1);
    }
    const int last = map::kChannelCount - 1;
    datCh blank(const_cast<uint8_t*>(initial.Data()));
    blank.Load(kind, map::kChannelCount);
    blank.Bind(image);
    blank.bankFlag = datBankFlag(image, datBankOfChannel(image, last));
    blank.Store(kind, last);
    datSetBankSize(image, bank, datBankSize(image, bank) - 1);
    return true;
}

// ---- the unsaved-changes question and closing --------------------------------------------------

unsigned cuiMain::ConfirmDiscard([[maybe_unused]] bool sameFile) {
    // Drop-downs close and open in-place editors commit first, so that their edit counts.
    EvMan().Send(EVC_CloseDropDowns);
    if (!IsModified()) return MB_Ok;
    // Save, Discard or Cancel. Save runs Save (Save As for an untitled image) and goes on only
    // when the file was written.
    const std::string text = FormatOne(GTex().SectionText("GI_Mess_Confirm_SaveChanges"), DisplayFileName());
    switch (cmcShowMessage(AppTitle(), text, cmcMsgIcon::Warning, MB_Save | MB_Discard | MB_Cancel)) {
    case MB_Save: return FileSave() ? MB_Ok : MB_Cancel;
    case MB_Discard: return MB_Ok;
    default: return MB_Cancel;
    }
}

bool cuiMain::CloseQuery() {
    // While the radio is busy the window stays: the operation ends by itself.
    if (cloneMan_ && cloneMan_->IsBusy()) return false;
    if (ConfirmDiscard(false) != MB_Ok) return false;
    indEnviron& env = Environ();
    if (form_) {
        QRect g = form_->normalGeometry();
        if (!g.isValid()) g = form_->geometry();
        env.Left = g.left();
        env.Top = g.top();
        env.Width = g.width();
        env.Height = g.height();
    }
    if (leftPanel_) env.SplitterV = static_cast<uint32_t>(leftPanel_->width());
    return true;
}

void cuiMain::FormClosed() {
    if (tick_) tick_->SetInterval(-1);
    printJob_.reset();
    sheet_.reset();
    tree_.reset();
    undoMenu_.reset();
    menu_.reset();
    if (cloneView_) cloneView_->SetMainWindow(nullptr);
    form_ = nullptr;
    toolBar_ = nullptr;
    toolBarHost_ = nullptr;
    leftPanel_ = nullptr;
    rightPanel_ = nullptr;
    splitter_ = nullptr;
    statusBar_ = nullptr;
    statusPanel_ = nullptr;
}

// ---- application commands ----------------------------------------------------------------------

bool cuiMain::OpenRecentFile(int index) {
    const std::string path = Environ().Recent.Entry(index);
    if (path.empty()) return false;
    return OpenFile(path);
}

bool cuiMain::CloseMainWindow() {
    if (!form_) return false;
    form_->close();
    return true;
}

void cuiMain::RebuildEditMenu(const std::string& fillerKey) {
    // While no sheet mirrors its popup menu into the Edit menu, the menu holds the filler entry.
    if (!menu_) return;
    QAction* top = menu_->FindByLabel(CL_Menu_Edit_Top);
    if (!top) return;
    QMenu* sub = top->menu();
    if (sub) {
        const QList<QAction*> actions = sub->actions();
        if (std::any_of(actions.begin(), actions.end(), [](QAction* a) { return !cuiMenu::IsKept(a); })) return;
    }
    menu_->FillItem(top, fillerKey + "_Body", 0);
}

bool cuiMain::ApplyFontSize(int percent) {
    // The sheet is built again in the new size; it keeps its place.
    CloseSheet(true);
    return true;
}

bool cuiMain::ShowToolBar(bool visible) {
    if (!toolBarHost_) return false;
    toolBarHost_->setVisible(visible);
    return true;
}

bool cuiMain::OpenPortDialog() {
    if (!form_) return false;
    cuiPortDialog::Open(form_);
    EvMan().Send(EVC_MenusBuilt);
    return true;
}

bool cuiMain::CloneRead() { return cloneCommands_->CloneRead(); }
bool cuiMain::CloneWrite() { return cloneCommands_->CloneWrite(); }
bool cuiMain::CloneInformation() { return cloneCommands_->CloneInformation(); }

// ---- file commands -----------------------------------------------------------------------------

void cuiMain::AfterImageReplaced() {
    // The sheet is built again over the new image (it keeps its place), the tree follows.
    CloseSheet(true);
    EvMan().Send(EVC_TreeBuilt);
    CountWarnings();
}

bool cuiMain::OpenFile(const std::string& path) {
    const bool sameFile = path == GetDisplayName();
    if (ConfirmDiscard(sameFile) != MB_Ok) return false;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const int code = OpenCloneFile(path);
    QApplication::restoreOverrideCursor();
    if (code != 0) return false;
    AfterImageReplaced();
    return true;
}

bool cuiMain::SaveFile(const std::string& path) {
    EvMan().Send(EVC_CloseDropDowns);
    if (!SaveCloneFile(path)) return false;
    SetCurrentDirectory(QFileInfo(QString::fromStdString(path)).absolutePath().toStdString());
    SetFileName(path);
    OnCloneFileOpened(path);
    MarkSaved();
    return true;
}

bool cuiMain::FileNew() {
    if (ConfirmDiscard(false) != MB_Ok) return false;
    LoadStartImage(ModelType());
    AfterImageReplaced();
    return true;
}

bool cuiMain::FileOpen() {
    const QString path = QFileDialog::getOpenFileName(
        form_, QString::fromStdString(GTex().Line("GI_AppInd_FileDialog", 0)), QString::fromStdString(defaultDir_),
        QString::fromStdString(GTex().Line("GI_AppInd_FileDialog", 2)));
    if (path.isEmpty()) return false;
    return OpenFile(path.toStdString());
}

bool cuiMain::FileSave() {
    if (FileName().empty()) return FileSaveAs();
    return SaveFile(FileName());
}

bool cuiMain::FileSaveAs() {
    const std::string suggested = FileName().empty() ? defaultDir_ + "/" + ModelName(ModelType()) + ".QCF" : FileName();
    QString path = QFileDialog::getSaveFileName(
        form_, QString::fromStdString(GTex().Line("GI_AppInd_FileDialog", 1)), QString::fromStdString(suggested),
        QString::fromStdString(GTex().Line("GI_AppInd_FileDialog", 2)));
    if (path.isEmpty()) return false;
    if (QFileInfo(path).suffix().isEmpty()) path += ".QCF";
    return SaveFile(path.toStdString());
}

uint8_t cuiMain::MenuCellHandler(cmcCellRequest& req) {
    cmcCellObj* cell = req.cell;
    if (cell && !req.grid) {
        const bool enter = req.action == CA_Enter || req.action == CA_Commit;
        switch (cell->label) {
        case CL_Menu_File_New:
            if (enter) FileNew();
            return CER_None;
        case CL_Menu_File_Open:
            // Entries 1 and 2: import a channel plan, compare with a file.
            if (enter) cell->index > 0 ? ChannelPlan(cell->index) : FileOpen();
            return CER_None;
        case CL_Menu_File_Save:
            if (enter) FileSave();
            return CER_None;
        case CL_Menu_File_SaveAs:
            // Entry 1: export the channels as a channel plan.
            if (enter) cell->index == 1 ? ChannelPlan(0) : FileSaveAs();
            return CER_None;
        default: break;
        }
    }
    const cmcCellHandler& handler = cmcDefaultCellHandler();
    const uint8_t result = handler ? handler(req) : static_cast<uint8_t>(CER_None);
    if (cell && cell->label == CL_Menu_Port_Com && cell->index >= 1) {
        // The numbered port entries name the device each number stands for.
        const std::vector<cmcPortInfo>& ports = PortDevices();
        const int n = cell->index;
        std::string device;
        if (n <= static_cast<int>(ports.size())) {
            const cmcPortInfo& p = ports[n - 1];
            device = p.description.empty() ? p.path : p.path + " (" + p.description + ")";
        }
        std::string text = GTex().Line("GI_AppInd_PortMenu", device.empty() ? 1 : 0);
        const size_t at = text.find("%d");
        if (at != std::string::npos) text.replace(at, 2, std::to_string(n));
        cell->text = FormatOne(text, device);
        cell->behaviour |= CS_Relabelled;
    }
    return result;
}

}  // namespace qx
