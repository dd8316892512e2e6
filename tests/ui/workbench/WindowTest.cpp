#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QMessageBox>
#include <QMouseEvent>
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
#include "src/entry/ListSelPickList.h"
#include "src/navigation/WorkBillTree.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/ScriptedUi.h"
#include "tests/support/TestDatabase.h"
#include "ui/controls/GridView.h"
#include "ui/controls/QtUi.h"
#include "ui/workbench/frmProcWindow.h"

namespace sp::test {

using namespace Qt::StringLiterals;
namespace {

// The workbench as the component ships it, on the demo shop over the real stand-ins,
// showing its messages and lookups through `ui`, loaded on the unfiltered list.
struct DemoShop {
    // User 1 is "demo", with every right; 2 is "clerk", who may not enter new reports.
    explicit DemoShop(Ui& ui, int userId = 1) : tdb(TestDatabase::Create(Backend::SQLite)) {
        platform::SeedDemo(*tdb->db());
        platform::SeedDemoReports(*tdb->db());
        platform::PlatformSession session;
        session.db = tdb->db();
        session.userId = userId;
        session.userName = userId == 1 ? u"demo"_s : u"clerk"_s;
        session.language = u"chs"_s;
        session.programFolder = programFolder.path();
        session.ui = &ui;
        platform::RegisterPlatform(registry, session);
        host = std::make_unique<HostServices>(ComponentContext{&registry, &ui, programFolder.path(),
                                                               QCoreApplication::applicationDirPath(),
                                                               QCoreApplication::applicationPid()});
        form = MakeWorkbench(*host);
        auto filter = NewDictionary();
        filter->Set(u"OK"_s, true);
        form->SetUserId(userId);
        form->SetDicFilter(filter);
        form->SetListStyle(0);
    }
    std::unique_ptr<TestDatabase> tdb;
    QTemporaryDir programFolder;
    ComponentRegistry registry;
    std::unique_ptr<HostServices> host;
    std::unique_ptr<frmProc> form;
};

// The window opens on the filtered list with its toolbar and closes through the close
// box. With SHOPPROC_SCREENSHOT set, the window is saved as that PNG file while it is open.
TEST(WorkbenchWindow, OpensOnTheListShowsItsToolbarAndCloses) {
    QtUi ui;
    DemoShop shop(ui);
    RegisterWorkbenchView();
    QStringList toolCaptions, windowsShown;
    int listRows = 0;
    bool listShown = false, treeFilled = false;
    ui.SetShownHook([&](QWidget* window) {
        windowsShown << window->objectName();
        if (window->objectName() != u"frmProc"_s) {
            window->close();
            return;
        }
        for (QToolBar* band : window->findChildren<QToolBar*>())
            for (QAction* action : band->actions())
                if (!action->text().isEmpty())
                    toolCaptions << action->text();
        auto* list = window->findChild<GridView*>(u"vlgList"_s);
        listShown = list && list->isVisible();
        listRows = shop.form->vlgList().Rows();
        auto* tree = window->findChild<QTreeView*>(u"tvw"_s);
        treeFilled = tree && tree->model()->rowCount() > 0;
        const QString shot = qEnvironmentVariable("SHOPPROC_SCREENSHOT");
        if (!shot.isEmpty())
            window->grab().save(shot);
        QMetaObject::invokeMethod(window, "close", Qt::QueuedConnection);
    });
    shop.form->ShowModal();

    EXPECT_EQ(windowsShown, QStringList{u"frmProc"_s});
    for (const char* caption : {"录入", "修改", "保存", "删除", "审核", "反审核", "刷新", "查看", "过滤",
                                "检查", "退出", "工作中心", "生产任务单"})
        EXPECT_TRUE(toolCaptions.contains(QString::fromUtf8(caption))) << caption;
    EXPECT_TRUE(listShown);
    EXPECT_GT(listRows, 1) << "the demo shop has reportable work bills";
    EXPECT_TRUE(treeFilled);
    EXPECT_FALSE(shop.form->IsLoaded()) << "closing unloaded the workbench";
}

// The message of the first display (the clerk may not enter new reports) stands over
// the workbench, which is on the screen already with its panes in place.
TEST(WorkbenchWindow, TheFirstDisplaysMessageStandsOverTheDrawnWindow) {
    QtUi ui;
    DemoShop shop(ui, 2);
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
    EXPECT_EQ(messages, QStringList{u"您没有新增汇报的权限。"_s});
    EXPECT_EQ(owner, u"frmProc"_s);
    EXPECT_TRUE(workbenchExposed);
    EXPECT_GT(gridHeight, 0) << "the panes are placed";
}

// The real window on the demo shop with a scripted clerk: what the window's own
// wiring does with the close box, Escape, F7, a tree click and a dragged column.
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
    int Column(const char* code) { return form().Parts().ReportColumn(QString::fromLatin1(code)); }

    ScriptedUi ui;
    DemoShop shop{ui};
    std::unique_ptr<frmProcWindow> window;
};

TEST_F(WorkbenchWindowWiring, CloseBoxAsksAboutUnsavedChangesAndEscapeNeverCloses) {
    form().State().modified = true;
    QTest::keyClick(window.get(), Qt::Key_Escape);
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(ui.messages.isEmpty());

    ui.answers = {MsgAnswer::No};
    EXPECT_FALSE(window->close());
    EXPECT_TRUE(window->isVisible());
    ASSERT_EQ(ui.messages.size(), 1);
    EXPECT_TRUE(ui.messages[0].text.startsWith(u"录入或修改尚未保存，退出将丢失"_s));
    EXPECT_TRUE(form().IsLoaded());

    ui.answers = {MsgAnswer::Yes};
    EXPECT_TRUE(window->close());
    EXPECT_FALSE(form().IsLoaded()) << "closing unloads the workbench";
}

TEST_F(WorkbenchWindowWiring, ATypedWorkBillNumberStartsARowAndF7PicksItsWorker) {
    GridView* grid = Grid("vlgProc");
    ASSERT_TRUE(grid);
    const int col = Column("CZG");
    ASSERT_GT(col, 1);
    // A work bill without a fixed worker, typed into the first row.
    form().vlgProc().SetCurrentCell(2, Column("GPH"));
    grid->Table()->setFocus();
    QApplication::processEvents();
    ASSERT_EQ(form().ActiveControlNow(), ActiveControl::vlgProc) << "the window tracks the focus";
    // The first key opens the cell's editor, which takes the focus and the rest.
    QTest::keyClicks(grid->Table(), u"W"_s);
    QTest::keyClicks(QApplication::focusWidget(), u"B000123"_s);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QApplication::processEvents();
    EXPECT_FALSE(form().vlgProc().CellText(2, Column("HBXH")).isEmpty()) << "the row is prepared";
    EXPECT_NE(form().State().rowLocks.value(2), 0) << "and holds the work bill's task";
    form().vlgProc().SetCurrentCell(2, col);
    // The clerk takes the first worker the lookup offers.
    ui.dialogHandlers[u"ItemLookUp"_s] = [&](DialogModel& model) {
        auto& list = dynamic_cast<ListSelPickList&>(model);
        list.SetCurrentRow(0);
        list.Confirm();
    };
    QTest::keyClick(grid->Table(), Qt::Key_F7);
    EXPECT_EQ(ui.dialogsShown, QStringList{u"ItemLookUp"_s});
    EXPECT_FALSE(form().vlgProc().CellText(2, col).isEmpty());
    EXPECT_EQ(form().vlgProc().CellText(2, col), form().vlgProc().CellKey(2, col));
    EXPECT_TRUE(form().State().modified);
    // And a device of the work bill's work center from the resource browser.
    ui.dialogHandlers[u"ResourceBrowser"_s] = ui.dialogHandlers[u"ItemLookUp"_s];
    const int device = Column("SYSB");
    form().vlgProc().SetCurrentCell(2, device);
    QTest::keyClick(grid->Table(), Qt::Key_F7);
    EXPECT_EQ(ui.dialogsShown, (QStringList{u"ItemLookUp"_s, u"ResourceBrowser"_s}));
    EXPECT_FALSE(form().vlgProc().CellKey(2, device).isEmpty());
}

TEST_F(WorkbenchWindowWiring, AClickOnATaskNodeListsItsWorkBills) {
    const int allRows = form().vlgList().Rows();
    TreeModel& tree = form().tvw();
    QString task;
    std::function<void(const QStringList&)> find = [&](const QStringList& keys) {
        for (const QString& key : keys) {
            if (task.isEmpty() && WorkBillTree::ParseNodeKey(key))
                task = key;
            find(tree.Children(key));
        }
    };
    find(tree.Roots());
    ASSERT_FALSE(task.isEmpty());
    tree.EnsureVisible(task);
    auto* view = window->findChild<QTreeView*>(u"tvw"_s);
    const QModelIndexList hits =
        view->model()->match(view->model()->index(0, 0), Qt::DisplayRole, tree.Caption(task), 1,
                             Qt::MatchExactly | Qt::MatchRecursive);
    ASSERT_EQ(hits.size(), 1);
    view->scrollTo(hits[0]);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(hits[0]).center());
    EXPECT_EQ(tree.SelectedKey(), task);
    const int rows = form().vlgList().Rows();
    EXPECT_GT(rows, 1);
    EXPECT_LT(rows, allRows) << "only the node's work bills are listed";
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

TEST_F(WorkbenchWindowWiring, ADraggedRecordColumnWidthIsStoredForTheUser) {
    GridView* grid = Grid("vlgProc");
    const int col = Column("MEMO");
    ASSERT_GT(col, 1);
    grid->Table()->horizontalHeader()->resizeSection(col - 1, 151);
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(1, 1), QPointF(1, 1), Qt::LeftButton,
                        Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(grid->Table()->horizontalHeader()->viewport(), &release);
    const QVariant stored = shop.tdb->db()->Scalar(
        u"SELECT Fwidth FROM SHRptDef WHERE Ftype = 'ProcRpt' AND FuserID = 1 AND Ffield = 'MEMO'"_s);
    EXPECT_EQ(stored.toDouble(), form().vlgProc().ColumnWidth(col));
    EXPECT_NEAR(stored.toDouble(), 151 * 15, 15);
}

}  // namespace
}  // namespace sp::test
