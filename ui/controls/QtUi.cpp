#include "ui/controls/QtUi.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QInputDialog>
#include <QMessageBox>
#include <QPointer>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPushButton>
#include <QTimer>
#include <QToolBar>

#include "src/common/ErrorLog.h"
#include "ui/controls/CatchBoundary.h"
#include "ui/controls/DialogViews.h"
#include "ui/controls/HelpWindow.h"
#include "ui/controls/ModalOwner.h"

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
    KeyboardBack() : owner_(ModalOwner()) {}
    ~KeyboardBack() {
        if (owner_ && owner_->isVisible() && !QApplication::activeWindow())
            owner_->activateWindow();
    }
    KeyboardBack(const KeyboardBack&) = delete;
    KeyboardBack& operator=(const KeyboardBack&) = delete;

  private:
    QPointer<QWidget> owner_;
};

}  // namespace

QtUi::~QtUi() {
    // A wait cursor left on by an error path must not outlive the window. A load
    // progress still up goes afterwards, with loadProgress_.
    while (waitDepth_ > 0) SetWaitCursor(false);
    delete help_.data();  // when its owner has not taken it already
}

QString QtUi::DisplayText(const QString& text) {
    QString s = text;
    s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    s.replace(u'\r', u'\n');
    return s;
}

// Message boxes, input boxes, file dialogs, the print preview and the registered views
// all wait for the clerk the same way: the shown hook runs once the window is up, the
// pointer is an arrow meanwhile and the wait cursor comes back afterwards, and the
// keyboard goes back to the window that had it.
int QtUi::RunModal(QDialog& dialog) {
    if (shownHook_) {
        QPointer<QWidget> guard(&dialog);
        QTimer::singleShot(0, &dialog, [this, guard] {
            if (guard)
                CatchBoundary(QStringLiteral("QtUi"), [&] { shownHook_(guard.data()); });
        });
    }
    CursorPause pause(waitDepth_);
    KeyboardBack back;
    return dialog.exec();
}

MsgAnswer QtUi::MessageBox(const MessageRequest& request) {
    QMessageBox box(ModalOwnerOnScreen());
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

    RunModal(box);
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
    QInputDialog dialog(ModalOwnerOnScreen());
    dialog.setWindowTitle(title.isEmpty() ? MessageTitle() : title);
    dialog.setLabelText(DisplayText(prompt));
    dialog.setInputMode(QInputDialog::TextInput);
    dialog.setTextValue(defaultText);
    if (RunModal(dialog) != QDialog::Accepted)
        return std::nullopt;
    return dialog.textValue();
}

std::optional<QString> QtUi::ChooseSaveFile(const SaveFileRequest& request) {
    QFileDialog dialog(ModalOwnerOnScreen(), request.title);
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
    if (RunModal(dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().first();
}

void QtUi::PreviewPrint(const PrintPreviewRequest& request) {
    if (!request.paint)
        return;
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageLayout(request.layout);
    printer.setDocName(request.title);
    QPrintPreviewDialog preview(&printer, ModalOwnerOnScreen());
    preview.setObjectName(QStringLiteral("printPreview"));
    preview.setWindowTitle(request.title);
    // Painting runs inside the preview's event loop: a failure there is logged, never thrown
    // through Qt.
    QObject::connect(&preview, &QPrintPreviewDialog::paintRequested, &preview, [&](QPrinter* target) {
        CatchBoundary(QStringLiteral("QtUi.PreviewPrint"), [&] { request.paint(*target); });
    });
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
    RunModal(preview);
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
    std::unique_ptr<QDialog> dialog = factory(model, ModalOwner());
    if (!dialog) {
        ErrorLog::Write(QStringLiteral("QtUi"),
                        QStringLiteral("The view of the dialog %1 was not built").arg(name));
        return;
    }
    if (dialog->objectName().isEmpty())
        dialog->setObjectName(name);
    RunModal(*dialog);
}

void QtUi::ProcessEvents() { QCoreApplication::processEvents(); }

bool QtUi::ShowHelp(const QString& htmlPath) {
    // One help window, over the window it was asked from; it goes with that window.
    // Shown again it comes to the front where the clerk left it.
    const bool fresh = !help_;
    if (fresh)
        help_ = new HelpWindow(ModalOwner());
    const QString path = QFileInfo(htmlPath).absoluteFilePath();
    if ((fresh || help_->Opened() != path) && !help_->Open(path)) {
        ErrorLog::Write(QStringLiteral("QtUi"), QStringLiteral("Help not readable: %1").arg(htmlPath));
        if (fresh)
            delete help_.data();
        return false;
    }
    help_->show();
    help_->raise();
    help_->activateWindow();
    return true;
}

void QtUi::SetLoadProgressPlace(LoadPane pane, QWidget* place) { loadProgress_.SetPlace(pane, place); }

bool QtUi::ShowLoadProgress(LoadPane pane, int rowsRead, int total) {
    return loadProgress_.Show(pane, rowsRead, total, waitDepth_ > 0);
}

void QtUi::EndLoadProgress(LoadPane pane) { loadProgress_.End(pane, waitDepth_ > 0); }

}  // namespace sp
