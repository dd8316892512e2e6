#include <gtest/gtest.h>

#include <QAction>
#include <QDialog>
#include <QDir>
#include <QGuiApplication>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollBar>
#include <QShortcutEvent>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>

#include "src/common/ComError.h"
#include "src/common/ErrorLog.h"
#include "tests/support/QtPrinters.h"
#include "ui/controls/DialogViews.h"
#include "ui/controls/HelpWindow.h"
#include "ui/controls/QtUi.h"

using namespace Qt::StringLiterals;

namespace sp {
namespace {

// What the clerk is shown and what a press or Escape answers; the text is plain, with
// CR LF and a bare CR both breaking lines.
TEST(QtUiTest, MessageBoxesShowTheirButtonsAndDefaultAndAnswerEscape) {
    using B = QMessageBox;
    const struct {
        MsgButtons buttons;
        MsgAnswer byDefault;
        B::StandardButton press;  // NoButton: Escape
        B::StandardButtons shown;
        B::StandardButton shownDefault;
        MsgAnswer answer;
    } cases[] = {
        {MsgButtons::YesNo, MsgAnswer::No, B::Yes, B::Yes | B::No, B::No, MsgAnswer::Yes},
        {MsgButtons::YesNo, MsgAnswer::No, B::NoButton, B::Yes | B::No, B::No, MsgAnswer::No},
        {MsgButtons::OkCancel, MsgAnswer::Ok, B::NoButton, B::Ok | B::Cancel, B::Ok, MsgAnswer::Cancel},
        {MsgButtons::Ok, MsgAnswer::Ok, B::NoButton, B::Ok, B::Ok, MsgAnswer::Ok},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(&c - cases));
        QtUi ui;
        ui.SetShownHook([&](QWidget* window) {
            auto* box = qobject_cast<QMessageBox*>(window);
            ASSERT_NE(box, nullptr);
            EXPECT_EQ(box->windowTitle(), u"Vorlane提示"_s) << "the title asked for none";
            EXPECT_EQ(std::tuple(box->text(), box->textFormat(), box->standardButtons(),
                                 box->standardButton(box->defaultButton())),
                      std::tuple(u"一\n二\n\n三\n<b>末</b>"_s, Qt::PlainText, c.shown, c.shownDefault));
            c.press == B::NoButton ? box->reject() : box->button(c.press)->click();
        });
        EXPECT_EQ(ui.MessageBox({u"一\r\n二\r\r\n三\r<b>末</b>"_s, QString(), MsgIcon::Question, c.buttons,
                                 c.byDefault}),
                  c.answer);
    }
}

TEST(QtUiTest, InputBoxReturnsTextOrNothingOnCancel) {
    QtUi ui;
    ui.SetShownHook([](QWidget* window) {
        auto* dialog = qobject_cast<QInputDialog*>(window);
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->textValue(), u"默认"_s);
        dialog->setTextValue(u"WB0007"_s);
        dialog->accept();
    });
    EXPECT_EQ(ui.InputBox(u"工票号"_s, QString(), u"默认"_s), u"WB0007"_s);

    ui.SetShownHook([](QWidget* window) { qobject_cast<QDialog*>(window)->reject(); });
    EXPECT_EQ(ui.InputBox(u"工票号"_s, QString(), QString()), std::nullopt);
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
    ui.MessageBox({u"?"_s, MessageTitle(), MsgIcon::Question, MsgButtons::YesNo, MsgAnswer::No});
    EXPECT_TRUE(arrowWhileAsked);
    EXPECT_NE(QGuiApplication::overrideCursor(), nullptr);

    ui.SetWaitCursor(false);
    ui.SetWaitCursor(false);  // one off too many is harmless
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_EQ(ui.WaitDepth(), 0);
}

// While a load shows its progress only its cancel button and Escape are heard: a click,
// a shortcut or the close box of the window beneath runs nothing until the load ends.
TEST(QtUiTest, ALoadsProgressHearsOnlyItsCancelButton) {
    QWidget window;
    auto* pane = new QLabel(&window);
    pane->setGeometry(10, 10, 300, 200);
    auto* command = new QPushButton(u"检查"_s, &window);
    command->setGeometry(10, 220, 80, 30);
    auto* shortcut = new QAction(&window);
    shortcut->setShortcut(Qt::Key_F7);
    window.addAction(shortcut);
    int commands = 0;
    QObject::connect(command, &QPushButton::clicked, [&] { ++commands; });
    QObject::connect(shortcut, &QAction::triggered, [&] { ++commands; });
    window.show();
    const auto click = [](QWidget* target) { QTest::mouseClick(target, Qt::LeftButton); };
    QtUi ui;
    ui.SetLoadProgressPlace(LoadPane::List, pane);
    struct Case {
        const char* name;
        std::function<void(QWidget* cancel)> clerk;
        bool cancelled;
    };
    const Case cases[] = {
        {"elsewhere",
         [&](QWidget*) {
             click(command);
             QShortcutEvent event(QKeySequence(Qt::Key_F7), 0);
             QCoreApplication::sendEvent(shortcut, &event);
             window.close();
         },
         false},
        {"cancel button", [&](QWidget* cancel) { click(cancel); }, true},
        {"escape", [&](QWidget*) { QTest::keyClick(command, Qt::Key_Escape); }, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(ui.ShowLoadProgress(LoadPane::List, 10, 100));
        auto* row = window.findChild<QWidget*>(u"loadProgressList"_s);
        ASSERT_NE(row, nullptr);
        EXPECT_EQ(row->geometry(), pane->geometry());
        EXPECT_EQ(row->findChild<QLabel*>(u"lblLoadProgress"_s)->text(),
                  u"正在读取可汇报工序计划单……已读取 10 行，共 100 行"_s);
        c.clerk(row->findChild<QPushButton*>(u"btnLoadCancel"_s));
        EXPECT_EQ(ui.ShowLoadProgress(LoadPane::List, 20, 100), !c.cancelled);
        EXPECT_EQ(commands, 0);
        EXPECT_TRUE(window.isVisible());
        ui.EndLoadProgress(LoadPane::List);
        EXPECT_EQ(window.findChild<QWidget*>(u"loadProgressList"_s), nullptr);
    }
    click(command);
    EXPECT_EQ(commands, 1) << "the clerk is heard again once the load is over";
}

// Collects what is written to the error log while it lives.
struct CapturedLog {
    QStringList lines;
    CapturedLog() {
        ErrorLog::SetSink([this](const QString&, const QString& text) { lines << text; });
    }
    ~CapturedLog() { ErrorLog::SetSink({}); }
};

struct NamedModel : DialogModel {
    explicit NamedModel(QString n) : name(std::move(n)) {}
    QString DialogName() const override { return name; }
    QString name;
    DialogModel* seenByView = nullptr;
};

// A dialog shows through the view registered under its name; what fails (a name without
// a view, a hook that throws, a guide that is not there) goes to the log, not the caller.
TEST(QtUiTest, ShowModalUsesTheRegisteredViewAndFailuresAreLoggedNotThrown) {
    RegisterDialogView(u"frmTestDialog"_s, [](DialogModel& model, QWidget* parent) {
        static_cast<NamedModel&>(model).seenByView = &model;
        return std::make_unique<QDialog>(parent);
    });
    QtUi ui;
    QString shownName;
    ui.SetShownHook([&](QWidget* window) {
        shownName = window->objectName();
        qobject_cast<QDialog*>(window)->accept();
    });
    NamedModel model(u"frmTestDialog"_s);
    ui.ShowModal(model);
    EXPECT_EQ(model.seenByView, &model);
    EXPECT_EQ(shownName, u"frmTestDialog"_s);

    CapturedLog log;
    NamedModel unknown(u"frmNobody"_s);
    ui.ShowModal(unknown);
    ASSERT_EQ(log.lines.size(), 1);
    EXPECT_TRUE(log.lines.first().contains(u"frmNobody"_s));
    ui.SetShownHook([](QWidget* window) {
        QTimer::singleShot(0, window, [window] { qobject_cast<QDialog*>(window)->reject(); });
        throw ComError(1, u"test"_s, u"boom"_s);
    });
    EXPECT_EQ(ui.MessageBox({u"x"_s, MessageTitle(), MsgIcon::None, MsgButtons::Ok, MsgAnswer::Ok}),
              MsgAnswer::Ok)
        << "a hook that throws does not escape the modal loop";
    EXPECT_FALSE(ui.ShowHelp(u"no-such-folder/Q8ShopFloor.html"_s));
    EXPECT_EQ(log.lines.size(), 3);
}

// The guide shows in one window of the program's own, with its pictures; a link followed
// inside it is undone by Alt+Left and redone by Alt+Right, and Ctrl+F finds words going
// round the guide, a word not there leaving a hint.
TEST(QtUiTest, HelpWindowShowsTheGuideGoesBackAndFinds) {
    QTemporaryDir dir;
    QDir(dir.path()).mkdir(u"pics"_s);
    QImage picture(3000, 8, QImage::Format_RGB32);  // wider than the window
    picture.fill(Qt::red);
    ASSERT_TRUE(picture.save(dir.filePath(u"pics/dot.png"_s)));
    QFile html(dir.filePath(u"guide.html"_s));
    ASSERT_TRUE(html.open(QIODevice::WriteOnly));
    html.write(R"(<html><head><title>Guide</title></head><body><p><a href="#keys">keys</a>
        <img src="pics/dot.png"></p><p>word one</p><h2><a name="keys"></a>Keys</h2><p>word two</p></body></html>)");
    html.close();
    QtUi ui;
    ASSERT_TRUE(ui.ShowHelp(html.fileName()));
    ASSERT_TRUE(ui.ShowHelp(html.fileName()));
    HelpWindow* help = ui.Help();
    QTextBrowser* browser = help->Browser();
    EXPECT_EQ(help->windowTitle(), u"帮助 - Guide"_s);
    int windows = 0;
    for (QWidget* w : QApplication::topLevelWidgets())
        windows += qobject_cast<HelpWindow*>(w) && w->isVisible();
    EXPECT_EQ(windows, 1);
    EXPECT_FALSE(
        browser->document()->resource(QTextDocument::ImageResource, QUrl(u"pics/dot.png"_s)).isNull());
    QApplication::setActiveWindow(help);
    ASSERT_TRUE(QTest::qWaitForWindowActive(help));
    EXPECT_EQ(browser->horizontalScrollBar()->maximum(), 0) << "the picture narrowed to the page";

    browser->setSource(QUrl(u"#keys"_s));  // what a click on the link does
    QTest::keyClick(help, Qt::Key_Left, Qt::AltModifier);
    EXPECT_EQ(browser->source().fragment(), QString());
    QTest::keyClick(help, Qt::Key_Right, Qt::AltModifier);
    EXPECT_EQ(browser->source().fragment(), u"keys"_s);

    QTest::keyClick(help, Qt::Key_F, Qt::ControlModifier);
    ASSERT_TRUE(help->FindBox()->hasFocus());
    QTest::keyClicks(help->FindBox(), u"WORD"_s);
    QList<int> found;  // where each match starts
    for (Qt::KeyboardModifiers shift : {Qt::NoModifier, Qt::NoModifier, Qt::NoModifier, Qt::ShiftModifier}) {
        QTest::keyClick(help->FindBox(), Qt::Key_Return, shift);
        EXPECT_EQ(browser->textCursor().selectedText(), u"word"_s);
        found << browser->textCursor().selectionStart();
    }
    EXPECT_LT(found[0], found[1]);
    EXPECT_EQ(found[2], found[0]) << "round the end";
    EXPECT_EQ(found[3], found[1]) << "Shift+Enter goes back round the start";
    QTest::keyClicks(help->FindBox(), u"x"_s);
    QTest::keyClick(help->FindBox(), Qt::Key_Return);
    EXPECT_EQ(help->FindHint()->text(), u"找不到“WORDx”"_s);
    EXPECT_EQ(browser->textCursor().selectionStart(), found[1]);
    QTest::keyClick(help->FindBox(), Qt::Key_Escape);
    EXPECT_FALSE(help->FindBox()->isVisible());
}

}  // namespace
}  // namespace sp
