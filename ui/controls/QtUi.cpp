#include "ui/controls/QtUi.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QFrame>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QPointer>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPushButton>
#include <QScreen>
#include <QThread>
#include <QTimer>
#include <QToolBar>
#include <QUrl>
#include <QVBoxLayout>
#include <QWindow>

#include "src/common/ErrorLog.h"
#include "src/common/LoadProgress.h"
#include "ui/controls/CatchBoundary.h"
#include "ui/controls/DialogViews.h"

namespace sp {

namespace {

QMessageBox::Icon ToQtIcon(MsgIcon icon) {
    switch (icon) {
        case MsgIcon::None:
            return QMessageBox::NoIcon;
        case MsgIcon::Information:
            return QMessageBox::Information;
        case MsgIcon::Question:
            return QMessageBox::Question;
        case MsgIcon::Exclamation:
            return QMessageBox::Warning;
        case MsgIcon::Critical:
            return QMessageBox::Critical;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButton ToQtButton(MsgAnswer answer) {
    switch (answer) {
        case MsgAnswer::Ok:
            return QMessageBox::Ok;
        case MsgAnswer::Yes:
            return QMessageBox::Yes;
        case MsgAnswer::No:
            return QMessageBox::No;
        case MsgAnswer::Cancel:
            return QMessageBox::Cancel;
    }
    return QMessageBox::Ok;
}

// The pointer is a normal arrow while the user answers, even under a command that
// holds the wait cursor; the wait cursor comes back afterwards.
class CursorPause {
  public:
    explicit CursorPause(int held) : held_(held) {
        for (int i = 0; i < held_; ++i) QGuiApplication::restoreOverrideCursor();
    }
    ~CursorPause() {
        for (int i = 0; i < held_; ++i) QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    }
    CursorPause(const CursorPause&) = delete;
    CursorPause& operator=(const CursorPause&) = delete;

  private:
    int held_;
};

// Gives the keyboard back to the window that had it when a modal window closes. A window
// manager does this on a desktop; without one (a kiosk, a virtual display) the keys
// typed next would go nowhere.
class KeyboardBack {
  public:
    KeyboardBack()
        : owner_(QApplication::activeModalWidget() ? QApplication::activeModalWidget()
                                                   : QApplication::activeWindow()) {}
    ~KeyboardBack() {
        if (owner_ && owner_->isVisible() && !QApplication::activeWindow())
            owner_->activateWindow();
    }
    KeyboardBack(const KeyboardBack&) = delete;
    KeyboardBack& operator=(const KeyboardBack&) = delete;

  private:
    QPointer<QWidget> owner_;
};

QWidget* DialogParent() {
    if (QWidget* active = QApplication::activeModalWidget())
        return active;
    return QApplication::activeWindow();
}

// The window a message belongs to, on the screen and drawn: a window that Qt has shown
// but the desktop has not yet put up is waited for (a little while at most) and painted,
// so that the message never stands over an empty screen. The clerk's input waits too.
QWidget* OwnerOnScreen() {
    QWidget* owner = DialogParent();
    QWindow* handle = owner ? owner->windowHandle() : nullptr;
    if (!handle || !handle->isVisible())
        return owner;
    QDeadlineTimer deadline(2000);
    while (!handle->isExposed() && !deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 50);
        if (!handle->isExposed())
            QThread::msleep(5);
    }
    if (handle->isExposed()) {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        owner->repaint();
    }
    return owner;
}

}  // namespace

QtUi::~QtUi() {
    // A wait cursor left on by an error path must not outlive the window.
    while (waitDepth_ > 0) SetWaitCursor(false);
    for (Progress& progress : progress_) CloseProgress(progress);
}

QString QtUi::DisplayText(const QString& text) {
    QString s = text;
    s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    s.replace(u'\r', u'\n');
    return s;
}

void QtUi::ArmShownHook(QWidget* window) {
    if (!shownHook_)
        return;
    QPointer<QWidget> guard(window);
    QTimer::singleShot(0, window, [this, guard] {
        if (guard)
            CatchBoundary(QStringLiteral("QtUi"), [&] { shownHook_(guard.data()); });
    });
}

MsgAnswer QtUi::MessageBox(const MessageRequest& request) {
    QMessageBox box(OwnerOnScreen());
    box.setWindowTitle(request.title.isEmpty() ? MessageTitle() : request.title);
    // Plain text: a message may quote user data, which must never be read as markup.
    box.setTextFormat(Qt::PlainText);
    box.setText(DisplayText(request.text));
    box.setIcon(ToQtIcon(request.icon));

    MsgAnswer escapeAnswer = MsgAnswer::Ok;
    switch (request.buttons) {
        case MsgButtons::Ok:
            box.setStandardButtons(QMessageBox::Ok);
            escapeAnswer = MsgAnswer::Ok;
            break;
        case MsgButtons::YesNo:
            box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
            escapeAnswer = MsgAnswer::No;
            break;
        case MsgButtons::OkCancel:
            box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
            escapeAnswer = MsgAnswer::Cancel;
            break;
    }
    if (QAbstractButton* def = box.button(ToQtButton(request.defaultButton)))
        box.setDefaultButton(qobject_cast<QPushButton*>(def));
    box.setEscapeButton(box.button(ToQtButton(escapeAnswer)));

    ArmShownHook(&box);
    {
        CursorPause pause(waitDepth_);
        KeyboardBack back;
        box.exec();
    }
    const auto clicked = box.standardButton(box.clickedButton());
    switch (clicked) {
        case QMessageBox::Ok:
            return MsgAnswer::Ok;
        case QMessageBox::Yes:
            return MsgAnswer::Yes;
        case QMessageBox::No:
            return MsgAnswer::No;
        case QMessageBox::Cancel:
            return MsgAnswer::Cancel;
        default:
            return escapeAnswer;
    }
}

std::optional<QString> QtUi::InputBox(const QString& prompt, const QString& title,
                                      const QString& defaultText) {
    QInputDialog dialog(OwnerOnScreen());
    dialog.setWindowTitle(title.isEmpty() ? MessageTitle() : title);
    dialog.setLabelText(DisplayText(prompt));
    dialog.setInputMode(QInputDialog::TextInput);
    dialog.setTextValue(defaultText);
    ArmShownHook(&dialog);
    int result = QDialog::Rejected;
    {
        CursorPause pause(waitDepth_);
        KeyboardBack back;
        result = dialog.exec();
    }
    if (result != QDialog::Accepted)
        return std::nullopt;
    return dialog.textValue();
}

std::optional<QString> QtUi::ChooseSaveFile(const SaveFileRequest& request) {
    QFileDialog dialog(OwnerOnScreen(), request.title);
    dialog.setObjectName(QStringLiteral("saveFile"));
    // Qt's own dialog: the same on every desktop, and it asks before it replaces a file.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilters(request.filters);
    // A name typed without a suffix takes the chosen filter's.
    const auto suffixOf = [](const QString& filter) {
        const qsizetype star = filter.lastIndexOf(QStringLiteral("(*."));
        return star < 0 ? QString() : filter.mid(star + 3).chopped(1);
    };
    if (!request.filters.isEmpty())
        dialog.setDefaultSuffix(suffixOf(request.filters.first()));
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog,
                     [&](const QString& filter) { dialog.setDefaultSuffix(suffixOf(filter)); });
    const QFileInfo start(request.path);
    dialog.setDirectory(start.absolutePath());
    dialog.selectFile(start.fileName());
    ArmShownHook(&dialog);
    int result = QDialog::Rejected;
    {
        CursorPause pause(waitDepth_);
        KeyboardBack back;
        result = dialog.exec();
    }
    if (result != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().first();
}

void QtUi::PreviewPrint(const PrintPreviewRequest& request) {
    if (!request.paint)
        return;
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageLayout(request.layout);
    printer.setDocName(request.title);
    QPrintPreviewDialog preview(&printer, OwnerOnScreen());
    preview.setObjectName(QStringLiteral("printPreview"));
    preview.setWindowTitle(request.title);
    QObject::connect(&preview, &QPrintPreviewDialog::paintRequested, &preview,
                     [&](QPrinter* target) { request.paint(*target); });
    if (request.savePdf) {
        if (auto* bar = preview.findChild<QToolBar*>()) {
            bar->addSeparator();
            QAction* pdf = bar->addAction(request.pdfCaption);
            pdf->setObjectName(QStringLiteral("savePdf"));
            QObject::connect(pdf, &QAction::triggered, &preview,
                             [&] { CatchBoundary(QStringLiteral("QtUi.PreviewPrint"), request.savePdf); });
        }
    }
    if (QWidget* owner = preview.parentWidget())
        preview.resize(owner->window()->size() * 9 / 10);
    ArmShownHook(&preview);
    CursorPause pause(waitDepth_);
    KeyboardBack back;
    preview.exec();
}

void QtUi::SetWaitCursor(bool on) {
    if (on) {
        ++waitDepth_;
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    } else if (waitDepth_ > 0) {
        // Qt keeps a stack of override cursors: one restore per set.
        --waitDepth_;
        QGuiApplication::restoreOverrideCursor();
    }
}

void QtUi::ShowModal(DialogModel& model) {
    const QString name = model.DialogName();
    const DialogViewFactory factory = FindDialogView(name);
    if (!factory) {
        ErrorLog::Write(QStringLiteral("QtUi"),
                        QStringLiteral("No view is registered for the dialog %1").arg(name));
        return;
    }
    std::unique_ptr<QDialog> dialog = factory(model, DialogParent());
    if (!dialog) {
        ErrorLog::Write(QStringLiteral("QtUi"),
                        QStringLiteral("The view of the dialog %1 was not built").arg(name));
        return;
    }
    if (dialog->objectName().isEmpty())
        dialog->setObjectName(name);
    ArmShownHook(dialog.get());
    CursorPause pause(waitDepth_);
    KeyboardBack back;
    dialog->exec();
}

void QtUi::ProcessEvents() { QCoreApplication::processEvents(); }

bool QtUi::OpenDocument(const QString& path) {
    const QFileInfo file(path);
    if (!file.exists()) {
        ErrorLog::Write(QStringLiteral("QtUi"), QStringLiteral("Document not found: %1").arg(path));
        return false;
    }
    return QDesktopServices::openUrl(QUrl::fromLocalFile(file.absoluteFilePath()));
}

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

void QtUi::SetLoadProgressPlace(LoadPane pane, QWidget* place) {
    progress_[static_cast<size_t>(pane)].place = place;
}

QWidget* QtUi::ProgressRow(LoadPane pane) {
    Progress& progress = progress_[static_cast<size_t>(pane)];
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
    QObject::connect(cancel, &QPushButton::clicked, row,
                     [this, pane] { progress_[static_cast<size_t>(pane)].cancelled = true; });
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
        const QWidget* over = DialogParent();
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
            for (const Progress& p : progress_)
                if (p.row && widget->objectName() == QStringLiteral("btnLoadCancel") &&
                    widget->parentWidget() == p.row)
                    return true;
            return false;
        };
        gate->cancel = [this] {
            for (Progress& p : progress_)
                if (p.row)
                    p.cancelled = true;
        };
        qApp->installEventFilter(gate.get());
        inputGate_ = std::move(gate);
        // The clerk may click while the load goes on: the pointer says so.
        if (waitDepth_ > 0)
            QGuiApplication::changeOverrideCursor(Qt::BusyCursor);
    }
    return row;
}

bool QtUi::ShowLoadProgress(LoadPane pane, int rowsRead, int total) {
    // Without widgets (a run without a screen) there is nothing to show or click.
    if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
        return true;
    QWidget* row = ProgressRow(pane);
    if (auto* label = row->findChild<QLabel*>(QStringLiteral("lblLoadProgress")))
        label->setText(LoadProgress::Text(pane, rowsRead, total));
    // Every event, input included, so that a click reaches the cancel button; the gate
    // keeps the rest of the clerk's input away.
    QCoreApplication::processEvents();
    return !progress_[static_cast<size_t>(pane)].cancelled;
}

void QtUi::EndLoadProgress(LoadPane pane) { CloseProgress(progress_[static_cast<size_t>(pane)]); }

void QtUi::CloseProgress(Progress& progress) {
    delete progress.row.data();
    progress.cancelled = false;
    for (const Progress& p : progress_)
        if (p.row)
            return;
    if (!inputGate_)
        return;
    if (qApp)
        qApp->removeEventFilter(inputGate_.get());
    inputGate_.reset();
    if (waitDepth_ > 0)
        QGuiApplication::changeOverrideCursor(Qt::WaitCursor);
}

}  // namespace sp
