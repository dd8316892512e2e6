#include <QAction>
#include <QApplication>
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

}  // namespace
}  // namespace sp::test
