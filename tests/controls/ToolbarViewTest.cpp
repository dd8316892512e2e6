#include <gtest/gtest.h>

#include <QAction>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QToolBar>

#include "QtPrinters.h"
#include "common/ComError.h"
#include "controls/ToolbarView.h"

namespace sp {
namespace {

class ToolbarViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        bar.AddLabel(QStringLiteral("lblMode"), QStringLiteral("汇报模式："));
        bar.AddTool(QStringLiteral("btnModeNew"), QStringLiteral("新增"), ToolStyle::Radio,
                    QStringLiteral("mode"));
        bar.AddTool(QStringLiteral("btnModeEdit"), QStringLiteral("修改"), ToolStyle::Radio,
                    QStringLiteral("mode"));
        bar.AddTool(QStringLiteral("btnFileSave"), QStringLiteral("保存"));
        bar.AddTool(QStringLiteral("btnSttInfo"), QStringLiteral("就绪"));
        bar.AddBand(QStringLiteral("bndMain"), BandKind::Toolbar,
                    {QStringLiteral("lblMode"), QStringLiteral("btnModeNew"), QStringLiteral("btnModeEdit"),
                     QStringLiteral("btnFileSave")});
        bar.AddBand(QStringLiteral("mnuFile"), BandKind::Menu, {QStringLiteral("btnFileSave")},
                    QStringLiteral("文件(&F)"));
        bar.AddBand(QStringLiteral("mnuMode"), BandKind::Menu,
                    {QStringLiteral("btnModeNew"), QStringLiteral("btnModeEdit")},
                    QStringLiteral("模式(&M)"));
        bar.AddBand(QStringLiteral("bndStatus"), BandKind::Status, {QStringLiteral("btnSttInfo")});
        bar.SetFont(QStringLiteral("宋体"));
        bar.SetChecked(QStringLiteral("btnModeNew"), true);
        bar.SetDispatcher([this](const QString& name) { clicks << name; });
        view = std::make_unique<ToolbarView>(&bar);
        window.setObjectName(QStringLiteral("frmProc"));
        view->InstallInto(&window);
    }

    ToolbarModel bar;
    QStringList clicks;
    QMainWindow window;
    std::unique_ptr<ToolbarView> view;
};

TEST_F(ToolbarViewTest, MenuAndBandShareOneActionThatFollowsTheModel) {
    QAction* save = view->Action(QStringLiteral("btnFileSave"));
    ASSERT_NE(save, nullptr);
    QMenu* file = window.menuBar()->findChild<QMenu*>(QStringLiteral("mnuFile"));
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(file->title(), QStringLiteral("文件(&F)"));
    EXPECT_TRUE(file->actions().contains(save));
    ASSERT_EQ(view->ToolBars().size(), 1);
    EXPECT_TRUE(view->ToolBars().first()->actions().contains(save));

    bar.SetEnabled(QStringLiteral("btnFileSave"), false);
    EXPECT_FALSE(save->isEnabled());
    bar.SetCaption(QStringLiteral("btnFileSave"), QStringLiteral("存盘"));
    EXPECT_EQ(save->text(), QStringLiteral("存盘"));
    bar.SetEnabled(QStringLiteral("btnFileSave"), true);
    save->trigger();
    EXPECT_EQ(clicks, QStringList{QStringLiteral("btnFileSave")});
    EXPECT_FALSE(save->isChecked());
}

TEST_F(ToolbarViewTest, RadioActionsShowTheModelsChoice) {
    QAction* modeNew = view->Action(QStringLiteral("btnModeNew"));
    QAction* modeEdit = view->Action(QStringLiteral("btnModeEdit"));
    EXPECT_TRUE(modeNew->isChecked());
    modeEdit->trigger();
    EXPECT_TRUE(modeEdit->isChecked());
    EXPECT_FALSE(modeNew->isChecked());
    modeEdit->trigger();  // a pressed radio stays pressed
    EXPECT_TRUE(modeEdit->isChecked());
    EXPECT_EQ(clicks.size(), 2);

    // A dispatcher that refuses the change (unsaved work, "No") puts the old mode back.
    bar.SetDispatcher([this](const QString&) { bar.SetChecked(QStringLiteral("btnModeEdit"), true); });
    modeNew->trigger();
    EXPECT_TRUE(modeEdit->isChecked());
    EXPECT_FALSE(modeNew->isChecked());
}

TEST_F(ToolbarViewTest, LabelsStatusTextAndFont) {
    QLabel* mode = view->Label(QStringLiteral("lblMode"));
    ASSERT_NE(mode, nullptr);
    EXPECT_EQ(mode->text(), QStringLiteral("汇报模式："));
    QLabel* status = view->Label(QStringLiteral("btnSttInfo"));
    ASSERT_NE(status, nullptr);
    EXPECT_EQ(status->parentWidget(), window.statusBar());
    bar.SetCaption(QStringLiteral("btnSttInfo"), QStringLiteral("按F7查找相关信息"));
    EXPECT_EQ(status->text(), QStringLiteral("按F7查找相关信息"));
    EXPECT_EQ(view->ToolBars().first()->font().families().value(0), QStringLiteral("宋体"));
}

TEST_F(ToolbarViewTest, AThrowingCommandStaysInsideTheClick) {
    bar.SetDispatcher([](const QString&) { throw ComError(1, QStringLiteral("t"), QStringLiteral("x")); });
    EXPECT_NO_THROW(view->Action(QStringLiteral("btnFileSave"))->trigger());
}

}  // namespace
}  // namespace sp
