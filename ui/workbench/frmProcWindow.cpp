#include "ui/workbench/frmProcWindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QScrollBar>
#include <QStatusBar>
#include <QTableView>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>

#include "src/entry/HostServices.h"
#include "src/workbench/Texts.h"
#include "src/workbench/frmProc.h"
#include "ui/controls/CatchBoundary.h"
#include "ui/controls/DialogViews.h"
#include "ui/controls/GridView.h"
#include "ui/controls/QtUi.h"
#include "ui/controls/ToolbarView.h"
#include "ui/workbench/SplitterBar.h"
#include "ui/workbench/WorkBillTreeView.h"

namespace sp {

namespace {

// The host's shift states from Qt's modifiers.
int ShiftOf(Qt::KeyboardModifiers modifiers) {
    int shift = ShiftState::None;
    if (modifiers & Qt::ShiftModifier)
        shift |= ShiftState::Shift;
    if (modifiers & Qt::ControlModifier)
        shift |= ShiftState::Ctrl;
    if (modifiers & Qt::AltModifier)
        shift |= ShiftState::Alt;
    return shift;
}

bool Within(QWidget* widget, QWidget* ancestor) {
    return widget && ancestor && (widget == ancestor || ancestor->isAncestorOf(widget));
}

}  // namespace

frmProcWindow::frmProcWindow(frmProc& form, QWidget* parent) : QDialog(parent), form_(form) {
    setObjectName(QStringLiteral("frmProc"));
    setWindowTitle(WorkbenchTexts::WindowCaption());
    setWindowFlags(windowFlags() | Qt::WindowMaximizeButtonHint | Qt::WindowMinimizeButtonHint);
    setSizeGripEnabled(true);

    toolbar_ = new ToolbarView(&form_.barProc(), this);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);
    outer->setMenuBar(toolbar_->MenuBar());
    auto* bands = new QHBoxLayout;
    bands->setContentsMargins(0, 0, 0, 0);
    bands->setSpacing(0);
    for (QToolBar* band : toolbar_->ToolBars()) bands->addWidget(band);
    bands->addStretch(1);
    outer->addLayout(bands);

    fraBar_ = new QWidget(this);
    fraBar_->setObjectName(QStringLiteral("fraBar"));
    outer->addWidget(fraBar_, 1);
    outer->addWidget(toolbar_->StatusBar());

    tvw_ = new WorkBillTreeView(&form_.tvw(), fraBar_);
    tvw_->setObjectName(QStringLiteral("tvw"));

    lblList_ = new QLabel(fraBar_);
    lblList_->setObjectName(QStringLiteral("lblList"));
    lblList_->setAlignment(Qt::AlignCenter);
    lblList_->setFrameShape(QFrame::StyledPanel);
    vlgList_ = new GridView(&form_.vlgList(), fraBar_);
    vlgList_->SetName(QStringLiteral("vlgList"));

    lblProc_ = new QLabel(fraBar_);
    lblProc_->setObjectName(QStringLiteral("lblProc"));
    lblProc_->setAlignment(Qt::AlignCenter);
    lblProc_->setFrameShape(QFrame::StyledPanel);
    vlgProc_ = new GridView(&form_.vlgProc(), fraBar_);
    vlgProc_->SetName(QStringLiteral("vlgProc"));
    // A long load shows its progress, and the button that cancels it, over the pane it fills.
    if (auto* screen = dynamic_cast<QtUi*>(&form_.Host().Screen())) {
        screen->SetLoadProgressPlace(LoadPane::List, lblList_);
        screen->SetLoadProgressPlace(LoadPane::History, lblProc_);
    }

    using Bar = WorkbenchLayout::Splitter;
    spliterH_ = new SplitterBar(Qt::Horizontal, fraBar_);
    spliterH_->setObjectName(QStringLiteral("imgSpliterH"));
    spliterH_->pressed = [this](QPoint p) { form_.BeginSplitterDrag(Bar::Vertical, Twips(p.x())); };
    spliterH_->dragged = [this](QPoint p) {
        CatchBoundary(QStringLiteral("imgSpliterH.MouseMove"), [&] { form_.DragSplitter(Twips(p.x())); });
    };
    spliterH_->released = [this] { form_.EndSplitterDrag(); };
    spliterV_ = new SplitterBar(Qt::Vertical, fraBar_);
    spliterV_->setObjectName(QStringLiteral("imgSpliterV"));
    spliterV_->pressed = [this](QPoint p) { form_.BeginSplitterDrag(Bar::Horizontal, Twips(p.y())); };
    spliterV_->dragged = [this](QPoint p) {
        CatchBoundary(QStringLiteral("imgSpliterV.MouseMove"), [&] { form_.DragSplitter(Twips(p.y())); });
    };
    spliterV_->released = [this] { form_.EndSplitterDrag(); };

    connect(&form_, &frmProc::layoutChanged, this, &frmProcWindow::ApplyLayout);
    connect(&form_, &frmProc::reportGridFocusRequested, this, [this] { vlgProc_->setFocus(); });
    // The exit command has unloaded the workbench already: close without asking again.
    connect(&form_, &frmProc::closeRequested, this, [this] { done(QDialog::Accepted); });
    // Grid and list visibility and the record grid's label follow every load.
    for (GridModel* grid : {&form_.vlgList(), &form_.vlgProc()}) {
        connect(grid, &GridModel::layoutReset, this, &frmProcWindow::ScheduleSync);
        connect(grid, &GridModel::currentCellMoved, this, &frmProcWindow::ScheduleSync);
    }
    // The record grid's header height sets its least height.
    connect(&form_.vlgProc(), &GridModel::rowHeightChanged, this, &frmProcWindow::ScheduleSync);
    connect(&form_.barProc(), &ToolbarModel::redrawRequested, this, &frmProcWindow::ScheduleSync);
    focusTracking_ =
        connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) { TrackFocus(now); });
    // The window sees keys before its controls.
    qApp->installEventFilter(this);

    resize(1024, 700);
    SyncPanes();
}

// The application's signals and events stop reaching the window before its parts go:
// hiding the dialog in its own destructor moves the focus once more.
frmProcWindow::~frmProcWindow() {
    disconnect(focusTracking_);
    qApp->removeEventFilter(this);
}

void frmProcWindow::Place(QWidget* widget, const TwipRect& rect) {
    widget->setGeometry(rect.left / TwipsPerPixel, rect.top / TwipsPerPixel, rect.width / TwipsPerPixel,
                        rect.height / TwipsPerPixel);
}

void frmProcWindow::ApplyLayout() {
    const WorkbenchLayout& l = form_.Layout();
    Place(tvw_, l.tvw());
    Place(spliterH_, l.imgSpliterH());
    Place(vlgList_, l.vlgList());
    Place(lblList_, l.lblList());
    Place(spliterV_, l.imgSpliterV());
    Place(vlgProc_, l.vlgProc());
    Place(lblProc_, l.lblProc());
}

void frmProcWindow::ScheduleSync() {
    if (syncPending_)
        return;
    syncPending_ = true;
    QTimer::singleShot(0, this, [this] {
        syncPending_ = false;
        SyncPanes();
    });
}

void frmProcWindow::SyncPanes() {
    const WorkbenchState& state = form_.State();
    vlgList_->setVisible(state.listVisible);
    lblList_->setVisible(!state.listVisible);
    vlgProc_->setVisible(state.procGridVisible);
    lblProc_->setVisible(!state.procGridVisible);
    lblList_->setText(state.lblListText);
    lblProc_->setText(state.lblProcText);
    form_.SetReportGridMinHeight(Twips(ReportGridMinHeight()));
}

// Pixels the record grid needs for its header and three data rows, with its frame and a
// horizontal scroll bar (its columns are usually wider than the window).
int frmProcWindow::ReportGridMinHeight() const {
    constexpr int kRows = 3;
    const QTableView* table = vlgProc_->Table();
    const QHeaderView* header = table->horizontalHeader();
    return (header->isHidden() ? 0 : header->maximumHeight()) +
           kRows * table->verticalHeader()->defaultSectionSize() + 2 * table->frameWidth() +
           table->horizontalScrollBar()->sizeHint().height();
}

void frmProcWindow::TrackFocus(QWidget* now) {
    if (!now || now->window() != this)
        return;
    ActiveControl control = ActiveControl::Other;
    if (Within(now, vlgProc_))
        control = ActiveControl::vlgProc;
    else if (Within(now, vlgList_))
        control = ActiveControl::vlgList;
    else if (Within(now, tvw_))
        control = ActiveControl::tvw;
    else if (now->inherits("QToolBar") || now->inherits("QMenuBar") || Within(now, toolbar_->MenuBar()) ||
             Within(now, toolbar_->StatusBar()))
        control = ActiveControl::barProc;
    for (QToolBar* band : toolbar_->ToolBars())
        if (Within(now, band))
            control = ActiveControl::barProc;
    form_.SetActiveControl(control);
}

bool frmProcWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == fraBar_ && event->type() == QEvent::Resize) {
        if (onScreen_)
            ResizeForm();
        return false;
    }
    if (event->type() == QEvent::KeyPress) {
        auto* widget = qobject_cast<QWidget*>(watched);
        // A key that reaches one of the window's own widgets is the window's, whether or
        // not the desktop has told it that it is active again after a dialog.
        if (widget && widget->window() == this) {
            auto* key = static_cast<QKeyEvent*>(event);
            const int code = key->key() == Qt::Key_F7   ? KeyCode::F7
                             : key->key() == Qt::Key_F1 ? KeyCode::F1
                             : key->key() == Qt::Key_F9 ? KeyCode::F9
                             : key->key() == Qt::Key_E  ? KeyCode::E
                             : key->key() == Qt::Key_P  ? KeyCode::P
                                                        : 0;
            if (code != 0) {
                bool consumed = false;
                CatchBoundary(QStringLiteral("frmProc.KeyDown"),
                              [&] { consumed = form_.KeyPreview(code, ShiftOf(key->modifiers())); });
                if (consumed)
                    return true;
            }
        }
    }
    return QDialog::eventFilter(watched, event);
}

void frmProcWindow::ResizeForm() {
    CatchBoundary(QStringLiteral("frmProc.Resize"),
                  [&] { form_.Resize(Twips(fraBar_->width()), Twips(fraBar_->height())); });
}

// The frame's first size reaches the workbench once the window is on the screen, not
// while Qt is still showing it: the first resize may bring a message, which belongs over
// the drawn window, not over an empty screen.
void frmProcWindow::setVisible(bool visible) {
    QDialog::setVisible(visible);
    if (visible && !onScreen_ && isVisible()) {
        onScreen_ = true;
        ResizeForm();
    }
}

void frmProcWindow::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    ApplyLayout();
}

void frmProcWindow::changeEvent(QEvent* event) {
    QDialog::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        CatchBoundary(QStringLiteral("frmProc.Activate"), [&] { form_.Activate(); });
}

void frmProcWindow::closeEvent(QCloseEvent* event) {
    bool mayClose = true;
    CatchBoundary(QStringLiteral("frmProc.QueryClose"), [&] { mayClose = form_.QueryClose(); });
    if (!mayClose) {
        event->ignore();
        return;
    }
    CatchBoundary(QStringLiteral("frmProc.Unload"), [&] { form_.Unload(); });
    QDialog::closeEvent(event);
}

void frmProcWindow::keyPressEvent(QKeyEvent* event) {
    // Escape does not close the workbench behind the clerk's back.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void RegisterWorkbenchView() {
    RegisterDialogView(QStringLiteral("frmProc"),
                       [](DialogModel& model, QWidget* parent) -> std::unique_ptr<QDialog> {
                           auto* form = dynamic_cast<frmProc*>(&model);
                           if (!form)
                               return nullptr;
                           return std::make_unique<frmProcWindow>(*form, parent);
                       });
}

}  // namespace sp
