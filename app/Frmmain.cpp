#include "app/Frmmain.h"

#include "app/cuiCellViews.h"

#include "app/cuiIcons.h"
#include "app/cuiMain.h"
#include "app/cuiMessageBoxSink.h"
#include "app/cuiOpenRequests.h"
#include "app/cuiProgramInfo.h"
#include "comm/indEnviron.h"
#include "defs/cmcCellObj.h"
#include "defs/cmcEvMan.h"
#include "defs/cmcGTex.h"
#include "app/cuiSheetPaint.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPainter>
#include <QScreen>
#include <QTimer>

#include <cstdio>
#include <exception>
#include <optional>

namespace qx {

// ---- status panel --------------------------------------------------------------------------------

cuiStatusPanel::cuiStatusPanel(QWidget* parent)
    : QWidget(parent), text_(cuiColour(clWindowText)), back_(cuiColour(clBtnFace)) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void cuiStatusPanel::Set(const QColor& text, const QColor& back, const QString& message) {
    text_ = text;
    back_ = back;
    message_ = message;
    update();
}

QSize cuiStatusPanel::sizeHint() const {
    return {100, fontMetrics().height() + 4};
}

void cuiStatusPanel::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), back_);
    p.setPen(text_);
    p.setBackgroundMode(Qt::TransparentMode);
    p.drawText(rect().adjusted(2, 0, -2, 0), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, message_);
}

// ---- main form -----------------------------------------------------------------------------------

QRect Frmmain::KeepOnWorkArea(const QRect& bounds, const QRect& wa) {
    const int R = wa.left() + wa.width(), B = wa.top() + wa.height(), L = wa.left(), T = wa.top();
    int left = bounds.left(), top = bounds.top();
    const int width = bounds.width(), height = bounds.height();
    if (left > R - 16) left = R - 16;
    if (top > B - 16) top = B - 16;
    if (left + width < L + 16) left = L - width + 16;
    if (top < T) top = T;
    return {left, top, width, height};
}

Frmmain::Frmmain(cuiMain& main) : QMainWindow(nullptr), main_(main) {
    setWindowTitle(QString::fromStdString(GTex().Line("GI_Sys_AppTitle", 0)));
    setWindowIcon(cuiAppIcon());

    // The form's font is the font of the cell "GI_Form_Main_BasicCell".
    cmcCellObj basic;
    ParseCell(GTex().SectionText("GI_Form_Main_BasicCell"), &basic, nullptr, nullptr);
    if (const cmcFont* font = basic.EffectiveFont()) setFont(cuiFont(*font));

    const indEnviron& env = Environ();
    QScreen* screen = QGuiApplication::primaryScreen();
    const QRect wa = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
    setGeometry(KeepOnWorkArea(QRect(env.Left, env.Top, env.Width, env.Height), wa));
    setMinimumSize(cuiMain::kMinWidth, cuiMain::kMinHeight);

    treeImages_ = cuiTreeImages();
    toolImages_ = cuiToolBarImages();
    task_ = cmcMakeTask();  // the form's own task: no work of its own, stopped

    main_.BuildWindow(this, &treeImages_, &toolImages_);
}

Frmmain::~Frmmain() {
    if (!closed_) main_.FormClosed();
}

void Frmmain::closeEvent(QCloseEvent* e) {
    if (closed_) {
        e->accept();
        return;
    }
    if (!main_.CloseQuery()) {
        e->ignore();
        return;
    }
    closed_ = true;
    main_.FormClosed();
    e->accept();
}

void Frmmain::showEvent(QShowEvent* e) {
    QMainWindow::showEvent(e);
    main_.RefreshTitle();
}

// ---- the program -------------------------------------------------------------------------------

namespace {

// An exception that reaches the message loop is shown in a message box; the program goes on.
class Application final : public QApplication {
public:
    using QApplication::QApplication;
    bool notify(QObject* receiver, QEvent* event) override {
        try {
            return QApplication::notify(receiver, event);
        } catch (const cmcFatalError&) {
            throw;
        } catch (const std::exception& e) {
            QMessageBox::critical(nullptr, QString::fromStdString(cmcProgramFileName()), QString::fromLocal8Bit(e.what()));
        }
        return false;
    }
};

}  // namespace

int cuiRunProgram(int& argc, char** argv, const std::function<void(Frmmain&)>& started) {
    // --help and --version answer without a window system.
    if (const std::optional<int> status = cuiInfoOptions(argc, argv)) return *status;
    Application app(argc, argv);
    QGuiApplication::setDesktopFileName(kDesktopId);
    cmcSetProgramPath(argv[0]);
    std::string file;
    if (const int status = cuiFileArgument(argc, argv, &file)) return status;
    static cuiMessageBoxSink sink;
    cmcSetMessageSink(&sink);

    // The global objects, destroyed in the reverse order: settings (with the single-instance
    // guard), the main and help definition stores, the event manager, the main object, the form.
    indEnvironOptions options;
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        options.screenWidth = screen->size().width();
        options.screenHeight = screen->size().height();
    }
    // Requests to open a file that are older than this moment were left by an earlier run.
    const qint64 startedAt = cuiOpenRequestClock();
    indEnviron environ("Vexa QX-P2210 APP Exclusive Mutex", "Software\\Vexa\\QX-P2210", options);
    if (!environ.IsFirstInstance()) {
        // A clone file named to a second copy is opened by the copy already running; a request
        // that cannot be left is said on stderr rather than lost.
        if (!file.empty() && !cuiSendOpenRequest(cuiOpenRequestFolder(environ.LockFile()), file)) {
            std::fprintf(stderr, "%s: cannot hand %s to the running copy (%s)\n", cmcProgramFileName().c_str(),
                         file.c_str(), cuiOpenRequestFolder(environ.LockFile()).c_str());
            return 1;
        }
        return 0;
    }
    SetEnviron(&environ);

    int status = 0;
    {
        cmcGTex store;
        cmcHelpGTex helpStore;
        SetGTex(&store);
        SetHelpGTex(&helpStore);
        {
            cmcScopedEvMan events;
            // Choosers of the cell editors open as drop-down sheets beside their cell.
            cuiCellViews cellViews;
            cmcScopedCellViews installedViews(&cellViews);
            cuiMain mainObject;
            Frmmain form(mainObject);
            // A clone file named on the command line (a double click in the file manager) opens
            // once the window is up; a refused file leaves the blank image and says why.
            // Opening a file changes the recent files, so the menus are refreshed after it.
            auto openFile = [&mainObject](const std::string& path) {
                mainObject.Files().OpenFile(path);
                EvMan().Send(EVC_MenusBuilt);
            };
            if (!file.empty()) QTimer::singleShot(0, &form, [openFile, file] { openFile(file); });
            // Files named to later copies, once the program is free (not cloning, printing or
            // asking something).
            cuiOpenRequests requests(
                cuiOpenRequestFolder(environ.LockFile()), startedAt,
                [&form, openFile](const std::string& path) {
                    form.raise();
                    form.activateWindow();
                    openFile(path);
                },
                [&form] { return form.isEnabled() && !QApplication::activeModalWidget() && !QApplication::activePopupWidget(); });
            if (started) started(form);
            status = app.exec();
        }
        SetHelpGTex(nullptr);
        SetGTex(nullptr);
    }
    SetEnviron(nullptr);
    return status;
}

}  // namespace qx
