#include "ui/controls/QtUi.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFileInfo>
#include <QGuiApplication>
#include <QInputDialog>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QUrl>

#include "src/common/ErrorLog.h"
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

QWidget* DialogParent() {
    if (QWidget* active = QApplication::activeModalWidget())
        return active;
    return QApplication::activeWindow();
}

}  // namespace

QtUi::~QtUi() {
    // A wait cursor left on by an error path must not outlive the window.
    while (waitDepth_ > 0) SetWaitCursor(false);
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
    QMessageBox box(DialogParent());
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
    QInputDialog dialog(DialogParent());
    dialog.setWindowTitle(title.isEmpty() ? MessageTitle() : title);
    dialog.setLabelText(DisplayText(prompt));
    dialog.setInputMode(QInputDialog::TextInput);
    dialog.setTextValue(defaultText);
    ArmShownHook(&dialog);
    int result = QDialog::Rejected;
    {
        CursorPause pause(waitDepth_);
        result = dialog.exec();
    }
    if (result != QDialog::Accepted)
        return std::nullopt;
    return dialog.textValue();
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

}  // namespace sp
