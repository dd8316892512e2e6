#include <gtest/gtest.h>

#include <QApplication>
#include <QFileInfo>
#include <QHeaderView>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QTreeView>
#include <QWindow>

#include "app/component/DefaultWorkbenchParts.h"
#include "platform/Platform.h"
#include "platform/db/DemoData.h"
#include "platform/middletier/MiddleTierRegistration.h"
#include "src/common/ComponentRegistry.h"
#include "src/entry/HostServices.h"
#include "src/navigation/WorkBillTree.h"
#include "tests/proof/Station.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/ScriptedUi.h"
#include "tests/support/TestDatabase.h"
#include "ui/controls/GridView.h"
#include "ui/controls/QtUi.h"
#include "ui/workbench/frmProcWindow.h"

namespace sp::test {

using namespace Qt::StringLiterals;
namespace {

// The demo shop with its reports, on a file of its own.
struct DemoFile {
    DemoFile() {
        platform::SeedDemo(*tdb->db());
        platform::SeedDemoReports(*tdb->db());
    }
    std::unique_ptr<TestDatabase> tdb = TestDatabase::Create(Backend::SQLite);
};

// The workbench as the component ships it on the demo shop, loaded on the unfiltered list,
// its clerk a ClerkUi: user 1 "demo" has every right, 2 "clerk" may not enter new reports.
template <class ClerkUi>
struct DemoShop : DemoFile, HeadlessStation<ClerkUi> {
    explicit DemoShop(int userId = 1)
        : HeadlessStation<ClerkUi>(tdb->db(), userId, userId == 1 ? u"demo"_s : u"clerk"_s) {}
};

// The message of the first display (the clerk may not enter new reports) stands over
// the workbench, which is on the screen already with its panes in place.
TEST(WorkbenchWindow, TheFirstDisplaysMessageStandsOverTheDrawnWindow) {
    DemoShop<QtUi> shop(2);
    QtUi& ui = shop.ui;
    RegisterWorkbenchView();
    QStringList messages;
    QString owner;  // by name: the window is gone once ShowModal returns
    bool workbenchExposed = false;
    int gridHeight = 0;
    ui.SetShownHook([&](QWidget* window) {
        auto* box = qobject_cast<QMessageBox*>(window);
        if (!box) {
            // Closes the workbench should no message come.
            QTimer::singleShot(5000, window, [window] { window->close(); });
            return;
        }
        messages << box->text();
        if (const QWidget* parent = box->parentWidget())
            owner = parent->objectName();
        for (QWidget* top : QApplication::topLevelWidgets()) {
            if (top->objectName() != u"frmProc"_s || !top->isVisible())
                continue;
            workbenchExposed = top->windowHandle() && top->windowHandle()->isExposed();
            gridHeight = top->findChild<GridView*>(u"vlgProc"_s)->height();
            QMetaObject::invokeMethod(top, "close", Qt::QueuedConnection);
        }
        box->accept();
    });
    shop.form->ShowModal();
    EXPECT_EQ(std::tuple(messages, owner, workbenchExposed),
              std::tuple(QStringList{u"您没有新增汇报的权限。"_s}, u"frmProc"_s, true));
    EXPECT_GT(gridHeight, 0) << "the panes are placed";
}

// The real window on the demo shop with a scripted clerk: what the window's own wiring
// does with the close box, Escape, the keys it hands the workbench, the focus and the tree.
class WorkbenchWindowWiring : public ::testing::Test {
  protected:
    void SetUp() override {
        window = std::make_unique<frmProcWindow>(form());
        window->show();
        QApplication::setActiveWindow(window.get());
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        QApplication::processEvents();
        ui.Clear();
    }
    void TearDown() override {
        window.reset();
        if (form().IsLoaded())
            form().Unload();
    }
    frmProc& form() { return *shop.form; }
    GridView* Grid(const char* name) const { return window->findChild<GridView*>(QString::fromLatin1(name)); }

    DemoShop<ScriptedUi> shop;
    ScriptedUi& ui = shop.ui;
    std::unique_ptr<frmProcWindow> window;
};

// The list, the tree and the toolbar's bands are on the screen. With SHOPPROC_SCREENSHOT
// set, the window is saved as that PNG file.
TEST_F(WorkbenchWindowWiring, OpensOnTheListWithTheTreeAndTheToolbar) {
    EXPECT_TRUE(Grid("vlgList")->isVisible());
    EXPECT_GT(form().vlgList().Rows(), 1) << "the demo shop has reportable work bills";
    EXPECT_GT(window->findChild<QTreeView*>(u"tvw"_s)->model()->rowCount(), 0);
    const QList<QToolBar*> bands = window->findChildren<QToolBar*>();
    ASSERT_FALSE(bands.isEmpty());
    EXPECT_TRUE(bands.first()->isVisible() && !bands.first()->actions().isEmpty());
    if (const QString shot = qEnvironmentVariable("SHOPPROC_SCREENSHOT"); !shot.isEmpty())
        window->grab().save(shot);
}

TEST_F(WorkbenchWindowWiring, CloseBoxAsksAboutUnsavedChangesAndEscapeNeverCloses) {
    form().State().modified = true;
    QTest::keyClick(window.get(), Qt::Key_Escape);
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(ui.messages.isEmpty());

    ui.answers = {MsgAnswer::No};
    EXPECT_FALSE(window->close());
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(ui.messages.size(), 1);
    EXPECT_TRUE(form().IsLoaded());

    ui.answers = {MsgAnswer::Yes};
    EXPECT_TRUE(window->close());
    EXPECT_FALSE(form().IsLoaded()) << "closing unloads the workbench";
}

// F7, F1 and Ctrl+E reach the workbench wherever the focus is, and the export writes the
// grid the focus was in last.
TEST_F(WorkbenchWindowWiring, KeysReachTheWorkbenchWhichKnowsWhereTheFocusIs) {
    const struct {
        const char* focus;
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        QStringList shown;
    } cases[] = {
        {"vlgProc", Qt::Key_F7, Qt::NoModifier, {u"frmList"_s}},
        {"tvw", Qt::Key_F1, Qt::NoModifier, {u"Q8ShopFloor.html"_s}},
        {"vlgList", Qt::Key_E, Qt::ControlModifier, {u"导出工序计划单列表"_s}},
        {"vlgProc", Qt::Key_E, Qt::ControlModifier, {u"导出工序汇报记录"_s}},
    };
    form().vlgProc().SetCurrentCell(2, form().Parts().ReportColumn(u"GPH"_s));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.focus);
        ui.Clear();
        ui.saveRequests.clear();
        QWidget* target = window->findChild<QWidget*>(QString::fromLatin1(c.focus));
        if (auto* grid = qobject_cast<GridView*>(target))
            target = grid->Table();
        target->setFocus();
        QApplication::processEvents();
        QTest::keyClick(target, c.key, c.modifiers);
        QStringList shown = ui.dialogsShown;
        for (const QString& document : std::as_const(ui.helpShown)) shown << QFileInfo(document).fileName();
        for (const QString& request : std::as_const(ui.saveRequests)) shown << request.section(u'|', 0, 0);
        EXPECT_EQ(shown, c.shown);
    }
}

// A click on a production task node, and in new mode the cursor moved onto one, lists
// that node's work bills: the tree's signals reach the list as the component wires them.
TEST_F(WorkbenchWindowWiring, ATaskNodeClickedOrReachedListsItsWorkBills) {
    TreeModel& tree = form().tvw();
    QStringList tasks;
    std::function<void(const QStringList&)> find = [&](const QStringList& keys) {
        for (const QString& key : keys) {
            if (WorkBillTree::ParseNodeKey(key))
                tasks << key;
            find(tree.Children(key));
        }
    };
    find(tree.Roots());
    ASSERT_GE(tasks.size(), 2);
    const auto listed = [&] {
        QStringList bills;
        for (int row = 2; row <= form().vlgList().Rows(); ++row) bills << form().vlgList().CellText(row, 5);
        return bills;
    };
    const QStringList all = listed();
    tree.Click(tasks[0]);
    const QStringList clicked = listed();
    tree.MoveCursor(tasks[1]);
    for (const QStringList& bills : {clicked, listed()}) {
        EXPECT_FALSE(bills.isEmpty());
        EXPECT_LT(bills.size(), all.size()) << "only the node's work bills are listed";
    }
    EXPECT_NE(listed(), clicked);
}

// A short window keeps three data rows of the record grid in view: the list gives up
// what they need, and gets it back as the window grows.
TEST_F(WorkbenchWindowWiring, AShortWindowKeepsThreeRecordRowsInView) {
    GridView* grid = Grid("vlgProc");
    GridView* list = Grid("vlgList");
    QWidget* frame = grid->parentWidget();
    const int listHeight = list->height();
    const int rowHeight = grid->Table()->verticalHeader()->defaultSectionSize();
    for (int windowHeight : {320, 260, 700}) {
        SCOPED_TRACE(windowHeight);
        window->resize(1024, windowHeight);
        QApplication::processEvents();
        EXPECT_GE(grid->Table()->viewport()->height(), 3 * rowHeight);
        EXPECT_LE(grid->geometry().bottom(), frame->height());
        EXPECT_LT(list->geometry().bottom(), grid->geometry().top());
    }
    EXPECT_EQ(list->height(), listHeight);
}

}  // namespace
}  // namespace sp::test
