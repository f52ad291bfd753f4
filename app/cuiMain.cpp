#include "app/cuiMain.h"

#include "app/Frmmain.h"
#include "app/cuiChannelPlan.h"
#include "app/cuiInformation.h"
#include "app/cuiPortDialog.h"
#include "app/cuiProgramInfo.h"
#include "app/cuiTree.h"
#include "printing/cuiPrintJob.h"
#include "app/cuiUndoMenu.h"
#include "cells/cmcCellCapsule.h"
#include "image/cmcImageMap.h"
#include "image/datChannelShift.h"
#include "comm/cmcPortList.h"
#include "app/cuiFleetLog.h"
#include "app/cuiFleetWindow.h"
#include "comm/indEnviron.h"
#include "common/cmcClock.h"
#include "common/cmcMessage.h"
#include "defs/cmcEvMan.h"
#include "defs/cmcGTex.h"
#include "app/cuiMenu.h"
#include "app/cuiSheetPaint.h"
#include "app/cuiToolBar.h"

#include <QAction>
#include <QApplication>
#include <QFrame>
#include <QGuiApplication>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QSignalBlocker>
#include <QSplitter>
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

// ---- the model's listener and the application commands ---------------------------------------

// The model's changes that show in the window.
class cuiMain::ModelListener final : public indMainListener {
public:
    explicit ModelListener(cuiMain& window) : window_(window) {}
    void ModelTypeChanged() override { window_.RefreshModelText(); }
    void TitleChanged() override { window_.RefreshTitle(); }
    // A clone file was opened: its folder becomes the default and it heads the recent list.
    void CloneFileOpened(const std::string& path) override { window_.files_.NoteFileUsed(path); }

private:
    cuiMain& window_;
};

// The commands of menus, the tool bar and sheets that the cell handler hands to the window. The
// channel list operations keep their core implementation.
class cuiMain::Commands final : public cmcAppCommands {
public:
    explicit Commands(cuiMain& window) : w_(window) {}
    bool FileNew() override { return w_.FileNew(); }
    bool FileOpen() override { return w_.FileOpen(); }
    bool FileSave() override { return w_.FileSave(); }
    bool FileSaveAs() override { return w_.FileSaveAs(); }
    bool ChannelPlan(int command) override { return w_.ChannelPlan(command); }
    bool CanPrintCurrentSheet() override { return w_.CanPrintCurrentSheet(); }
    bool PrintCurrentSheet() override { return w_.PrintCurrentSheet(); }
    bool PrintAllSheets() override { return w_.PrintAllSheets(); }
    bool ExportPdf(bool allSheets) override { return w_.ExportPdf(allSheets); }
    bool OpenRecentFile(int index) override { return w_.OpenRecentFile(index); }
    bool CloseMainWindow() override { return w_.CloseMainWindow(); }
    void RebuildEditMenu(const std::string& fillerKey) override { w_.RebuildEditMenu(fillerKey); }
    bool ApplyFontSize(int percent) override { return w_.ApplyFontSize(percent); }
    bool ShowToolBar(bool visible) override { return w_.ShowToolBar(visible); }
    std::string PortEntryText(int port) override { return w_.PortEntryText(port); }
    bool OpenPortDialog() override { return w_.OpenPortDialog(); }
    bool CloneRead() override { return w_.CloneRead(); }
    bool CloneWrite() override { return w_.CloneWrite(); }
    bool CloneInformation() override { return w_.CloneInformation(); }
    bool CloneFleet(int command) override { return w_.CloneFleet(command); }
    bool OpenHelp(const std::string& path, int context) override { return w_.OpenHelp(path, context); }
    bool ShowSheet(const std::string& reference) override { return w_.ShowSheet(reference); }
    int CurrentPopupItemCount() override { return w_.CurrentPopupItemCount(); }
    void RefreshAllViews() override { w_.RefreshAllViews(); }

private:
    cuiMain& w_;
};

// ---- construction ----------------------------------------------------------------------------

cuiMain::cuiMain(const std::string& defsDir, const std::string& dataDir, std::unique_ptr<cmcSerialPort> port,
                 int imageSize)
    : model_(std::make_unique<indMain>(dataDir, imageSize)),
      listener_(std::make_unique<ModelListener>(*this)),
      commands_(std::make_unique<Commands>(*this)),
      statusTextColour_(clWindowText),
      statusBackColour_(clBtnFace),
      files_(*model_, [this] { AfterImageReplaced(); }),
      warnings_(*model_, [this] { return tree_.get(); }),
      sheets_([this](QWidget* host, const std::string& reference) { return CreateSheet(host, reference); }) {
    model_->SetListener(listener_.get());
    OpenDefinitionFiles(defsDir);

    cloneView_ = std::make_unique<cuiCloneView>(nullptr);
    cloneMan_ = std::make_unique<indCloneMan>(std::move(port));
    cloneMan_->SetView(cloneView_.get());
    cloneCommands_ = std::make_unique<indCloneCommands>(*model_, *cloneMan_);
    cloneCommands_->countErrors = [this] {
        int errors = 0;
        CountWarnings(&errors, nullptr);
        return errors;
    };
    cloneCommands_->closeSheet = [this] { sheets_.CloseSheet(true); };
    cloneCommands_->confirmDiscard = [this] { return files_.ConfirmDiscard(true) == MB_Ok; };
    cloneCommands_->showInformation = [this] {
        cuiInformation::Open(form_, AppTitle(), GTex(), "GI_Sheet_CloneInfo");
    };
    cloneCommands_->finished = [this](int) { EvMan().Send(EVC_MenusBuilt); };

    tick_ = cmcMakeTask();
    tick_->SetCallback([this](cmcTask&) { Tick(); });
    EvMan().Register<&cuiMain::OnEvent>(this);
    if (!cmcDefaultCellHandler()) cmcInstallCellHandler();
    SetAppCommands(commands_.get());
    gMain = this;
}

cuiMain::~cuiMain() {
    FormClosed();
    tick_.reset();
    EvMan().UnregisterAll(this);
    cloneCommands_.reset();
    cloneMan_.reset();
    cloneView_.reset();
    if (&AppCommands() == commands_.get()) SetAppCommands(nullptr);
    if (gMain == this) gMain = nullptr;
    model_->SetListener(nullptr);
}

cuiMain* cuiMain::Instance() { return gMain; }

void cuiMain::ForgetPortDevices() { Ports().valid = false; }

// ---- building the window ---------------------------------------------------------------------

void cuiMain::BuildWindow(Frmmain* form, const std::vector<QIcon>* treeImages, const std::vector<QIcon>* toolImages) {
    // The images must hold the whole memory map; checked before anything is loaded into them.
    if (model_->ImageSize() < kImageSize) cmcFatal("Self Check Error.\nEEPROM Map is too large.", kExitInternalFault);

    form_ = form;
    treeImages_ = treeImages;
    toolImages_ = toolImages;
    cloneView_->SetMainWindow(form);
    files_.SetOwner(form);
    warnings_.SetOwner(form);

    // The model type of the settings, its initial file, the start image.
    int type = Environ().ModelType;
    if (type < 0 || type >= kModelTypeCount) type = kModelLmr;
    model_->LoadStartImage(type);
    sheets_.CloseSheet(true);

    // Menu bar and tool bar.
    menu_ = std::make_unique<cuiMenu>(form, form->menuBar(), GTex(), "GI_Menu_Main");
    menu_->SetImages(toolImages);
    menu_->Build();
    undoMenu_ = std::make_unique<cuiUndoMenu>(*model_, *menu_, form);
    undoMenu_->afterStep = [this] { AfterImageReplaced(); };
    toolBarHost_ = new QToolBar(form);
    toolBarHost_->setObjectName("MainToolBar");
    toolBarHost_->setMovable(false);
    toolBarHost_->setFloatable(false);
    toolBarHost_->toggleViewAction()->setVisible(false);
    toolBarHost_->setContextMenuPolicy(Qt::PreventContextMenu);
    form->addToolBar(Qt::TopToolBarArea, toolBarHost_);
    toolBar_ = new cuiToolBar(form, GTex(), "GI_ToolBar_Main", toolImages, toolBarHost_);
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
    sheets_.SetPanes(right, form, [this] { return tree_.get(); });

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

// ---- what the model's changes show ---------------------------------------------------------------------------

void cuiMain::RefreshModelText() {
    Environ().ModelType = static_cast<uint8_t>(model_->ModelType());
    if (!leftPanel_) return;
    const std::vector<std::string> expanded = tree_ ? tree_->ExpandedReferences() : std::vector<std::string>();
    tree_.reset();
    tree_ = std::make_unique<cuiTree>(leftPanel_, GTex(), "GI_Tree_Main", treeImages_, model_.get());
    tree_->Build();
    tree_->onExpandCollapse = [this] { CountWarnings(); };
    tree_->SetChangeDelay(std::atoi(GTex().FirstLine("GI_Sys_TreeChangeDelay").c_str()));
    tree_->onChange = [this] { sheets_.OnTreeChange(); };
    CountWarnings();
    sheets_.CloseSheet(true);
    tree_->Control()->show();
    EvMan().Send(EVC_TreeBuilt);
    if (!expanded.empty()) {
        QSignalBlocker block(tree_->Control());
        tree_->ExpandReferences(expanded);
        CountWarnings();
    }
    if (QTreeWidgetItem* root = tree_->NodeAt(0)) {
        tree_->Select(root);
        tree_->SetCaption(root, cuiTree::Caption(root) + indMain::ModelName(model_->ModelType()));
    }
}

void cuiMain::RefreshTitle() {
    if (!form_) return;
    std::string title = AppTitle() + " - " + files_.DisplayName();
    if (model_->IsModified()) title += " *";
    form_->setWindowTitle(QString::fromStdString(title));
}

// ---- warning check ----------------------------------------------------------------------------

void cuiMain::CountWarnings(int* errors, int* warnings) { warnings_.Count(errors, warnings); }

// ---- sheets ----------------------------------------------------------------------------------

std::unique_ptr<cuiSheet> cuiMain::CreateSheet(QWidget* host, const std::string& reference) {
    const cuiSheetRef ref = cuiSheetRef::Split(reference);
    std::unique_ptr<cuiSheet> sheet = cuiCreateSheet(ref.style, host, GTex(), ref.key, form_);
    sheet->SetName(reference);
    sheet->SetParameter(ref.parameter);
    // An open comparison marks the changed cells of every sheet shown while it is open.
    if (auto* compare = qobject_cast<cuiPlanCompare*>(planWindow_)) compare->MarkSheet(*sheet);
    return sheet;
}

// ---- the tick ----------------------------------------------------------------------------------

void cuiMain::Tick() {
    // A sheet reappears after it was closed: the selected node's, or the last one of the history.
    if (form_ && form_->isVisible() && form_->isEnabled() && !inactive_) sheets_.ReopenIfClosed();
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
        if (datChannelJoinsBank(model_->WorkingImage(), model_->InitialImage(), model_->ModelType(), static_cast<int>(e.first), e.second)) {
            EvMan().Send(EVC_BankJoined);
            EvMan().Send(EVC_BankChanged);
        }
        break;
    case EVC_ChannelLeavesBank:
        if (datChannelLeavesBank(model_->WorkingImage(), model_->InitialImage(), model_->ModelType(), static_cast<int>(e.first), e.second)) {
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

// ---- closing ----------------------------------------------------------------------------------

bool cuiMain::CloseQuery() {
    // While the radio is busy the window stays: the operation ends by itself.
    if (cloneMan_ && cloneMan_->IsBusy()) return false;
    if (files_.ConfirmDiscard(false) != MB_Ok) return false;
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
    sheets_.Forget();
    sheets_.SetPanes(nullptr, nullptr, nullptr);
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
    sheets_.CloseSheet(true);
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

bool cuiMain::CloneFleet(int command) {
    if (command < 0 || command > 2 || !form_) return false;
    QPointer<QDialog>& window = fleetWindows_[command];
    if (!window) {
        if (command == 2)
            window = new cuiFleetLogWindow(*this, form_);
        else
            window = new cuiFleetWindow(*this, command == 0 ? cuiFleetWindow::FM_Write : cuiFleetWindow::FM_Read, form_);
        window->setAttribute(Qt::WA_DeleteOnClose);
    } else if (auto* log = qobject_cast<cuiFleetLogWindow*>(window.data())) {
        log->Refresh();
    }
    window->show();
    window->raise();
    window->activateWindow();
    return true;
}

QDialog* cuiMain::FleetWindow(int command) const {
    return command >= 0 && command <= 2 ? fleetWindows_[command].data() : nullptr;
}

// ---- file commands -----------------------------------------------------------------------------

void cuiMain::AfterImageReplaced() {
    // The sheet is built again over the new image (it keeps its place), the tree follows.
    sheets_.CloseSheet(true);
    EvMan().Send(EVC_TreeBuilt);
    CountWarnings();
}

// ---- port entries ----------------------------------------------------------------------------

std::string cuiMain::PortEntryText(int port) {
    // The numbered port entries name the device each number stands for.
    const std::vector<cmcPortInfo>& ports = PortDevices();
    std::string device;
    if (port >= 1 && port <= static_cast<int>(ports.size())) {
        const cmcPortInfo& p = ports[port - 1];
        device = p.description.empty() ? p.path : p.path + " (" + p.description + ")";
    }
    std::string text = GTex().Line("GI_AppInd_PortMenu", device.empty() ? 1 : 0);
    size_t at = text.find("%d");
    if (at != std::string::npos) text.replace(at, 2, std::to_string(port));
    at = text.find("%s");
    if (at != std::string::npos) text.replace(at, 2, device);
    return text;
}

}  // namespace qx
