#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include "QtPrinters.h"
#include "common/ComError.h"
#include "common/ErrorLog.h"
#include "controls/DialogViews.h"
#include "controls/QtUi.h"

namespace sp {
namespace {

struct SeenBox {
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
    QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
    Qt::TextFormat format = Qt::AutoText;
};

// Shows the request through QtUi, reads the box while it is open and presses `press`
// (or Escape when it is NoButton).
MsgAnswer ShowAndPress(const MessageRequest& request, QMessageBox::StandardButton press, SeenBox* seen) {
    QtUi ui;
    ui.SetShownHook([&](QWidget* window) {
        auto* box = qobject_cast<QMessageBox*>(window);
        ASSERT_NE(box, nullptr);
        seen->title = box->windowTitle();
        seen->text = box->text();
        seen->icon = box->icon();
        seen->buttons = box->standardButtons();
        seen->defaultButton = box->standardButton(box->defaultButton());
        seen->format = box->textFormat();
        if (press == QMessageBox::NoButton)
            box->reject();
        else
            box->button(press)->click();
    });
    return ui.MessageBox(request);
}

TEST(QtUiTest, MessageBoxShapesMapToQt) {
    struct Case {
        const char* what;
        MessageRequest request;
        QMessageBox::Icon icon;
        QMessageBox::StandardButtons buttons;
        QMessageBox::StandardButton defaultButton;
        QMessageBox::StandardButton press;
        MsgAnswer answer;
    };
    const QString title = MessageTitle();
    const Case cases[] = {
        {"info",
         {QStringLiteral("已保存"), title, MsgIcon::Information, MsgButtons::Ok, MsgAnswer::Ok},
         QMessageBox::Information,
         QMessageBox::Ok,
         QMessageBox::Ok,
         QMessageBox::Ok,
         MsgAnswer::Ok},
        {"plain",
         {QStringLiteral("x"), title, MsgIcon::None, MsgButtons::Ok, MsgAnswer::Ok},
         QMessageBox::NoIcon,
         QMessageBox::Ok,
         QMessageBox::Ok,
         QMessageBox::Ok,
         MsgAnswer::Ok},
        {"question yes",
         {QStringLiteral("删除?"), title, MsgIcon::Question, MsgButtons::YesNo, MsgAnswer::No},
         QMessageBox::Question,
         QMessageBox::Yes | QMessageBox::No,
         QMessageBox::No,
         QMessageBox::Yes,
         MsgAnswer::Yes},
        {"question escaped",
         {QStringLiteral("删除?"), title, MsgIcon::Question, MsgButtons::YesNo, MsgAnswer::No},
         QMessageBox::Question,
         QMessageBox::Yes | QMessageBox::No,
         QMessageBox::No,
         QMessageBox::NoButton,
         MsgAnswer::No},
        {"warning ok/cancel",
         {QStringLiteral("?"), title, MsgIcon::Exclamation, MsgButtons::OkCancel, MsgAnswer::Ok},
         QMessageBox::Warning,
         QMessageBox::Ok | QMessageBox::Cancel,
         QMessageBox::Ok,
         QMessageBox::NoButton,
         MsgAnswer::Cancel},
        {"critical",
         {QStringLiteral("!"), title, MsgIcon::Critical, MsgButtons::Ok, MsgAnswer::Ok},
         QMessageBox::Critical,
         QMessageBox::Ok,
         QMessageBox::Ok,
         QMessageBox::NoButton,
         MsgAnswer::Ok},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SeenBox seen;
        EXPECT_EQ(ShowAndPress(c.request, c.press, &seen), c.answer);
        EXPECT_EQ(seen.title, QStringLiteral("Vorlane提示"));
        EXPECT_EQ(seen.icon, c.icon);
        EXPECT_EQ(seen.buttons, c.buttons);
        EXPECT_EQ(seen.defaultButton, c.defaultButton);
        EXPECT_EQ(seen.format, Qt::PlainText);
    }
}

TEST(QtUiTest, CrLfAndBareCrBothBreakLines) {
    SeenBox seen;
    ShowAndPress({QStringLiteral("第一行\r\n第二行\r\r\n请首先予以检查！\r<b>末行</b>"), MessageTitle(),
                  MsgIcon::Information, MsgButtons::Ok, MsgAnswer::Ok},
                 QMessageBox::Ok, &seen);
    EXPECT_EQ(seen.text, QStringLiteral("第一行\n第二行\n\n请首先予以检查！\n<b>末行</b>"));
}

TEST(QtUiTest, InputBoxReturnsTextOrNothingOnCancel) {
    QtUi ui;
    ui.SetShownHook([](QWidget* window) {
        auto* dialog = qobject_cast<QInputDialog*>(window);
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->textValue(), QStringLiteral("默认"));
        dialog->setTextValue(QStringLiteral("WB0007"));
        dialog->accept();
    });
    EXPECT_EQ(ui.InputBox(QStringLiteral("工票号"), QString(), QStringLiteral("默认")),
              QStringLiteral("WB0007"));

    ui.SetShownHook([](QWidget* window) { qobject_cast<QDialog*>(window)->reject(); });
    EXPECT_EQ(ui.InputBox(QStringLiteral("工票号"), QString(), QString()), std::nullopt);
}

TEST(QtUiTest, WaitCursorNestsAndIsReleasedAroundDialogs) {
    QtUi ui;
    ui.SetWaitCursor(true);
    ui.SetWaitCursor(true);
    ui.SetWaitCursor(false);
    ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_EQ(ui.WaitDepth(), 1);

    bool arrowWhileAsked = false;
    ui.SetShownHook([&](QWidget* window) {
        arrowWhileAsked = QGuiApplication::overrideCursor() == nullptr;
        qobject_cast<QDialog*>(window)->reject();
    });
    ui.MessageBox({QStringLiteral("?"), MessageTitle(), MsgIcon::Question, MsgButtons::YesNo, MsgAnswer::No});
    EXPECT_TRUE(arrowWhileAsked);
    EXPECT_NE(QGuiApplication::overrideCursor(), nullptr);

    ui.SetWaitCursor(false);
    ui.SetWaitCursor(false);  // one off too many is harmless
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_EQ(ui.WaitDepth(), 0);
}

class NamedModel : public DialogModel {
public:
    explicit NamedModel(QString name) : name_(std::move(name)) {}
    QString DialogName() const override { return name_; }
    int answered = 0;

private:
    QString name_;
};

TEST(QtUiTest, ShowModalUsesTheRegisteredViewAndLogsUnknownNames) {
    RegisterDialogView(QStringLiteral("frmTestDialog"), [](DialogModel& model, QWidget* parent) {
        auto dialog = std::make_unique<QDialog>(parent);
        auto* line = new QLineEdit(dialog.get());
        QObject::connect(line, &QLineEdit::returnPressed, dialog.get(), [&model, d = dialog.get()] {
            static_cast<NamedModel&>(model).answered = 42;
            d->accept();
        });
        return dialog;
    });

    QtUi ui;
    QString shownName;
    ui.SetShownHook([&](QWidget* window) {
        shownName = window->objectName();
        auto* line = window->findChild<QLineEdit*>();
        ASSERT_NE(line, nullptr);
        emit line->returnPressed();
    });
    NamedModel model(QStringLiteral("frmTestDialog"));
    ui.ShowModal(model);
    EXPECT_EQ(model.answered, 42);
    EXPECT_EQ(shownName, QStringLiteral("frmTestDialog"));

    QStringList logged;
    ErrorLog::SetSink([&](const QString&, const QString& text) { logged << text; });
    NamedModel unknown(QStringLiteral("frmNobody"));
    ui.ShowModal(unknown);
    ErrorLog::SetSink({});
    ASSERT_EQ(logged.size(), 1);
    EXPECT_TRUE(logged.first().contains(QStringLiteral("frmNobody")));
}

TEST(QtUiTest, AHookThatThrowsDoesNotEscapeTheModalLoop) {
    QtUi ui;
    QStringList logged;
    ErrorLog::SetSink([&](const QString&, const QString& text) { logged << text; });
    ui.SetShownHook([](QWidget* window) {
        QTimer::singleShot(0, window, [window] { qobject_cast<QDialog*>(window)->reject(); });
        throw ComError(1, QStringLiteral("test"), QStringLiteral("boom"));
    });
    EXPECT_EQ(
        ui.MessageBox({QStringLiteral("x"), MessageTitle(), MsgIcon::None, MsgButtons::Ok, MsgAnswer::Ok}),
        MsgAnswer::Ok);
    ErrorLog::SetSink({});
    EXPECT_EQ(logged.size(), 1);
}

TEST(QtUiTest, AMissingDocumentIsLoggedNotOpened) {
    QtUi ui;
    QStringList logged;
    ErrorLog::SetSink([&](const QString&, const QString& text) { logged << text; });
    EXPECT_FALSE(ui.OpenDocument(QStringLiteral("no-such-folder/Q8ShopFloor.CHM")));
    ErrorLog::SetSink({});
    EXPECT_EQ(logged.size(), 1);
}

}  // namespace
}  // namespace sp
