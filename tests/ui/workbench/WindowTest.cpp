#include <QAction>
#include <QApplication>
#include <QHeaderView>
#include <QMouseEvent>
#include <QTest>
#include <QCoreApplication>
#include <QTemporaryDir>
#include <QToolBar>
#include <QTreeView>
#include <gtest/gtest.h>

#include "app/component/DefaultWorkbenchParts.h"
#include "src/common/ComponentRegistry.h"
#include "ui/controls/GridView.h"
#include "ui/controls/QtUi.h"
#include "src/entry/HostServices.h"
#include "platform/Platform.h"
#include "platform/db/DemoData.h"
#include "platform/middletier/MiddleTierRegistration.h"
#include "src/controls/TreeModel.h"
#include "src/navigation/WorkBillTree.h"
#include "src/entry/ListSelPickList.h"
#include "tests/support/ScriptedUi.h"
#include "tests/support/TestDatabase.h"
#include "src/workbench/frmProc.h"
#include "ui/workbench/frmProcWindow.h"

namespace sp::test {
namespace {

// The workbench window on the demo shop: it opens on the filtered list with its
// toolbar, and closes through the close box. With SHOPPROC_SCREENSHOT set, the
// window is saved as that PNG file while it is open.
TEST(WorkbenchWindow, OpensOnTheListShowsItsToolbarAndCloses) {
    auto tdb = TestDatabase::Create(Backend::SQLite);
    if (!tdb)
        return;
    platform::SeedDemo(*tdb->db());
    platform::SeedDemoReports(*tdb->db());
    QTemporaryDir programFolder;

    ComponentRegistry registry;
    QtUi ui;
    platform::PlatformSession session;
    session.db = tdb->db();
    session.userId = 1;
    session.userName = QStringLiteral("demo");
    session.language = QStringLiteral("chs");
    session.programFolder = programFolder.path();
    session.ui = &ui;
    platform::RegisterPlatform(registry, session);
    RegisterWorkbenchView();

    ComponentContext context;
    context.registry = &registry;
    context.ui = &ui;
    context.programFolder = programFolder.path();
    context.componentFolder = QCoreApplication::applicationDirPath();
    context.processId = QCoreApplication::applicationPid();
    HostServices host(context);
    const std::unique_ptr<frmProc> workbench = MakeWorkbench(host);
    frmProc& form = *workbench;

    auto filter = NewDictionary();
    filter->Set(QStringLiteral("OK"), true);
    form.SetUserId(1);
    form.SetDicFilter(filter);
    form.SetListStyle(0);

    QStringList toolCaptions, windowsShown;
    int listRows = 0;
    bool listShown = false, treeFilled = false;
    ui.SetShownHook([&](QWidget* window) {
        windowsShown << window->objectName();
        if (window->objectName() != QStringLiteral("frmProc")) {
            window->close();
            return;
        }
        for (QToolBar* band : window->findChildren<QToolBar*>())
            for (QAction* action : band->actions())
                if (!action->text().isEmpty())
                    toolCaptions << action->text();
        auto* list = window->findChild<GridView*>(QStringLiteral("vlgList"));
        listShown = list && list->isVisible();
        listRows = form.vlgList().Rows();
        auto* tree = window->findChild<QTreeView*>(QStringLiteral("tvw"));
        treeFilled = tree && tree->model()->rowCount() > 0;
        const QString shot = qEnvironmentVariable("SHOPPROC_SCREENSHOT");
        if (!shot.isEmpty())
            window->grab().save(shot);
        QMetaObject::invokeMethod(window, "close", Qt::QueuedConnection);
    });
    form.ShowModal();

    EXPECT_EQ(windowsShown, QStringList{QStringLiteral("frmProc")});
    for (const char* caption : {"录入", "修改", "保存", "删除", "审核", "反审核", "刷新", "查看", "过滤", "检查",
                                "退出", "工作中心", "生产任务单"})
        EXPECT_TRUE(toolCaptions.contains(QString::fromUtf8(caption))) << caption;
    EXPECT_TRUE(listShown);
    EXPECT_GT(listRows, 1) << "the demo shop has reportable work bills";
    EXPECT_TRUE(treeFilled);
    EXPECT_FALSE(form.IsLoaded()) << "closing unloaded the workbench";
}

// The real window on the demo shop with a scripted clerk: what the window's own
// wiring does with the close box, Escape, F7, a tree click and a dragged column.
class WorkbenchWindowWiring : public ::testing::Test {
  protected:
    void SetUp() override {
        tdb = TestDatabase::Create(Backend::SQLite);
        ASSERT_TRUE(tdb);
        platform::SeedDemo(*tdb->db());
        platform::SeedDemoReports(*tdb->db());
        platform::PlatformSession session;
        session.db = tdb->db();
        session.userId = 1;
        session.userName = QStringLiteral("demo");
        session.language = QStringLiteral("chs");
        session.programFolder = programFolder.path();
        session.ui = &ui;
        platform::RegisterPlatform(registry, session);
        ComponentContext context{&registry, &ui, programFolder.path(), QCoreApplication::applicationDirPath(),
                                 QCoreApplication::applicationPid()};
        host = std::make_unique<HostServices>(context);
        workbench = MakeWorkbench(*host);
        auto filter = NewDictionary();
        filter->Set(QStringLiteral("OK"), true);
        form().SetUserId(1);
        form().SetDicFilter(filter);
        form().SetListStyle(0);
        window = std::make_unique<frmProcWindow>(form());
        window->show();
        QApplication::setActiveWindow(window.get());
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        QApplication::processEvents();
        ui.Clear();
    }
    void TearDown() override {
        window.reset();
        if (workbench && workbench->IsLoaded())
            workbench->Unload();
    }
    frmProc& form() { return *workbench; }
    GridView* Grid(const char* name) const { return window->findChild<GridView*>(QString::fromLatin1(name)); }
    int Column(const char* code) { return form().Parts().ReportColumn(QString::fromLatin1(code)); }

    std::unique_ptr<TestDatabase> tdb;
    QTemporaryDir programFolder;
    ComponentRegistry registry;
    ScriptedUi ui;
    std::unique_ptr<HostServices> host;
    std::unique_ptr<frmProc> workbench;
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
    EXPECT_TRUE(ui.messages[0].text.startsWith(QStringLiteral("录入或修改尚未保存，退出将丢失")));
    EXPECT_TRUE(form().IsLoaded());

    ui.answers = {MsgAnswer::Yes};
    EXPECT_TRUE(window->close());
    EXPECT_FALSE(form().IsLoaded()) << "closing unloads the workbench";
}

TEST_F(WorkbenchWindowWiring, F7InTheRecordGridPicksAWorkerThroughTheHostsLookup) {
    GridView* grid = Grid("vlgProc");
    ASSERT_TRUE(grid);
    const int col = Column("CZG");
    ASSERT_GT(col, 1);
    form().vlgProc().SetCurrentCell(2, col);
    grid->Table()->setFocus();
    QApplication::processEvents();
    ASSERT_EQ(form().ActiveControlNow(), ActiveControl::vlgProc) << "the window tracks the focus";
    // The clerk takes the first worker the lookup offers.
    ui.dialogHandlers[QStringLiteral("ItemLookUp")] = [&](DialogModel& model) {
        auto& list = dynamic_cast<ListSelPickList&>(model);
        list.SetCurrentRow(0);
        list.Confirm();
    };
    QTest::keyClick(grid->Table(), Qt::Key_F7);
    EXPECT_EQ(ui.dialogsShown, QStringList{QStringLiteral("ItemLookUp")});
    EXPECT_FALSE(form().vlgProc().CellText(2, col).isEmpty());
    EXPECT_EQ(form().vlgProc().CellText(2, col), form().vlgProc().CellKey(2, col));
    EXPECT_TRUE(form().State().modified);
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
    auto* view = window->findChild<QTreeView*>(QStringLiteral("tvw"));
    const QModelIndexList hits = view->model()->match(view->model()->index(0, 0), Qt::DisplayRole,
                                                      tree.Caption(task), 1, Qt::MatchExactly | Qt::MatchRecursive);
    ASSERT_EQ(hits.size(), 1);
    view->scrollTo(hits[0]);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(hits[0]).center());
    EXPECT_EQ(tree.SelectedKey(), task);
    const int rows = form().vlgList().Rows();
    EXPECT_GT(rows, 1);
    EXPECT_LT(rows, allRows) << "only the node's work bills are listed";
}

TEST_F(WorkbenchWindowWiring, ADraggedRecordColumnWidthIsStoredForTheUser) {
    GridView* grid = Grid("vlgProc");
    const int col = Column("MEMO");
    ASSERT_GT(col, 1);
    grid->Table()->horizontalHeader()->resizeSection(col - 1, 151);
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(1, 1), QPointF(1, 1), Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(grid->Table()->horizontalHeader()->viewport(), &release);
    const QVariant stored = tdb->db()->Scalar(
        QStringLiteral("SELECT Fwidth FROM SHRptDef WHERE Ftype = 'ProcRpt' AND FuserID = 1 AND Ffield = 'MEMO'"));
    EXPECT_EQ(stored.toDouble(), form().vlgProc().ColumnWidth(col));
    EXPECT_NEAR(stored.toDouble(), 151 * 15, 15);
}

}  // namespace
}  // namespace sp::test
