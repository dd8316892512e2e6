#include "ui/controls/LoadProgressPanel.h"

#include <QApplication>
#include <QFrame>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>
#include <functional>

#include "src/common/LoadProgress.h"
#include "ui/controls/ModalOwner.h"

namespace sp {

namespace {

// While a load shows its progress the window's events run, so that it repaints and the
// cancel button can be clicked; nothing else the clerk does may reach the component
// then (a command started in the middle of a load would find half its rows). Input
// is dropped rather than held back: clicks made while waiting do not all run once the
// load is over. Escape cancels, wherever the keyboard is.
class InputGate final : public QObject {
  public:
    std::function<bool(const QWidget*)> isCancelButton;
    std::function<void()> cancel;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        switch (event->type()) {
            case QEvent::Shortcut:
                return true;  // toolbar and menu shortcuts go to actions, not widgets
            case QEvent::Close:
                // The close box would unload the workbench under the load.
                event->ignore();
                return watched->isWidgetType();
            case QEvent::KeyPress:
            case QEvent::KeyRelease:
            case QEvent::ShortcutOverride:
            case QEvent::MouseButtonPress:
            case QEvent::MouseButtonRelease:
            case QEvent::MouseButtonDblClick:
            case QEvent::MouseMove:
            case QEvent::Wheel:
            case QEvent::ContextMenu:
            case QEvent::TouchBegin:
            case QEvent::TouchUpdate:
            case QEvent::TouchEnd:
            case QEvent::TabletPress:
            case QEvent::TabletRelease:
            case QEvent::TabletMove:
            case QEvent::DragEnter:
            case QEvent::DragMove:
            case QEvent::Drop:
                break;
            default:
                return false;
        }
        // A window hands its input on to the widget it is for; the widget decides.
        if (!watched->isWidgetType())
            return false;
        const auto* widget = static_cast<QWidget*>(watched);
        if (isCancelButton(widget))
            return false;
        if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape)
            cancel();
        return true;
    }
};

}  // namespace

LoadProgressPanel::~LoadProgressPanel() {
    for (Pane& pane : panes_) Close(pane, false);
}

void LoadProgressPanel::SetPlace(LoadPane pane, QWidget* place) { At(pane).place = place; }

QWidget* LoadProgressPanel::Row(LoadPane pane, bool waitCursor) {
    Pane& progress = At(pane);
    QWidget* place = progress.place;
    const bool inPlace = place && place->parentWidget() && place->window()->isVisible();
    if (progress.row) {
        // The pane may have moved with the window's layout.
        if (inPlace && progress.row->parentWidget() == place->parentWidget())
            progress.row->setGeometry(place->geometry());
        return progress.row;
    }
    auto* row = inPlace ? new QFrame(place->parentWidget())
                        : new QFrame(nullptr, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    row->setObjectName(pane == LoadPane::List ? QStringLiteral("loadProgressList")
                                              : QStringLiteral("loadProgressHistory"));
    row->setFrameShape(QFrame::StyledPanel);
    row->setAutoFillBackground(true);
    auto* label = new QLabel(row);
    label->setObjectName(QStringLiteral("lblLoadProgress"));
    label->setAlignment(Qt::AlignCenter);
    auto* cancel = new QPushButton(LoadProgress::CancelCaption(), row);
    cancel->setObjectName(QStringLiteral("btnLoadCancel"));
    // A click does not take the keyboard from the grid the clerk was in.
    cancel->setFocusPolicy(Qt::NoFocus);
    cancel->setAutoDefault(false);
    QObject::connect(cancel, &QPushButton::clicked, row, [this, pane] { At(pane).cancelled = true; });
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cancel);
    buttons->addStretch(1);
    auto* layout = new QVBoxLayout(row);
    layout->addStretch(1);
    layout->addWidget(label);
    layout->addLayout(buttons);
    layout->addStretch(1);
    if (inPlace) {
        row->setGeometry(place->geometry());
        row->raise();
    } else {
        row->setWindowTitle(MessageTitle());
        row->resize(440, 120);
        const QWidget* over = ModalOwner();
        const QScreen* screen = QGuiApplication::primaryScreen();
        const QRect area = over ? over->geometry() : screen ? screen->availableGeometry() : QRect();
        row->move(area.center() - row->rect().center());
    }
    row->show();
    progress.row = row;
    progress.cancelled = false;

    if (!inputGate_) {
        auto gate = std::make_unique<InputGate>();
        gate->isCancelButton = [this](const QWidget* widget) {
            for (const Pane& p : panes_)
                if (p.row && widget->objectName() == QStringLiteral("btnLoadCancel") &&
                    widget->parentWidget() == p.row)
                    return true;
            return false;
        };
        gate->cancel = [this] {
            for (Pane& p : panes_)
                if (p.row)
                    p.cancelled = true;
        };
        qApp->installEventFilter(gate.get());
        inputGate_ = std::move(gate);
        // The clerk may click while the load goes on: the pointer says so.
        if (waitCursor)
            QGuiApplication::changeOverrideCursor(Qt::BusyCursor);
    }
    return row;
}

bool LoadProgressPanel::Show(LoadPane pane, int rowsRead, int total, bool waitCursor) {
    // Without widgets (a run without a screen) there is nothing to show or click.
    if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
        return true;
    QWidget* row = Row(pane, waitCursor);
    if (auto* label = row->findChild<QLabel*>(QStringLiteral("lblLoadProgress")))
        label->setText(LoadProgress::Text(pane, rowsRead, total));
    // Every event, input included, so that a click reaches the cancel button; the gate
    // keeps the rest of the clerk's input away.
    QCoreApplication::processEvents();
    return !At(pane).cancelled;
}

void LoadProgressPanel::End(LoadPane pane, bool waitCursor) { Close(At(pane), waitCursor); }

void LoadProgressPanel::Close(Pane& pane, bool waitCursor) {
    delete pane.row.data();
    pane.cancelled = false;
    for (const Pane& p : panes_)
        if (p.row)
            return;
    if (!inputGate_)
        return;
    if (qApp)
        qApp->removeEventFilter(inputGate_.get());
    inputGate_.reset();
    if (waitCursor)
        QGuiApplication::changeOverrideCursor(Qt::WaitCursor);
}

}  // namespace sp
