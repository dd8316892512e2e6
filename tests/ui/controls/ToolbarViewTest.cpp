#include <gtest/gtest.h>

#include <QAction>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QToolBar>

#include "src/common/ComError.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/ToolbarSample.h"
#include "ui/controls/ToolbarView.h"

using namespace Qt::StringLiterals;

namespace sp {
namespace {

class ToolbarViewTest : public ::testing::Test {
  protected:
    void SetUp() override {
        test::AddSampleTools(bar, &clicks);
        bar.SetChecked(u"btnModeNew"_s, true);
        window.setObjectName(u"frmProc"_s);
        view = new ToolbarView(&bar, &window);
        view->InstallInto(&window);
    }

    ToolbarModel bar;
    QStringList clicks;
    QMainWindow window;
    ToolbarView* view = nullptr;  // the window's
};

TEST_F(ToolbarViewTest, MenuAndBandShareOneActionThatFollowsTheModel) {
    QAction* save = view->Action(u"btnFileSave"_s);
    ASSERT_NE(save, nullptr);
    QMenu* file = window.menuBar()->findChild<QMenu*>(u"mnuFile"_s);
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(file->title(), u"文件(&F)"_s);
    EXPECT_TRUE(file->actions().contains(save));
    ASSERT_EQ(view->ToolBars().size(), 1);
    EXPECT_TRUE(view->ToolBars().first()->actions().contains(save));

    bar.SetEnabled(u"btnFileSave"_s, false);
    EXPECT_FALSE(save->isEnabled());
    bar.SetCaption(u"btnFileSave"_s, u"存盘"_s);
    EXPECT_EQ(save->text(), u"存盘"_s);
    bar.SetEnabled(u"btnFileSave"_s, true);
    save->trigger();
    EXPECT_EQ(clicks, QStringList{u"btnFileSave"_s});
    EXPECT_FALSE(save->isChecked());

    // The status pane is a label of the status bar that follows its caption.
    QLabel* status = view->Label(u"btnSttInfo"_s);
    ASSERT_NE(status, nullptr);
    EXPECT_EQ(status->parentWidget(), window.statusBar());
    bar.SetCaption(u"btnSttInfo"_s, u"按F7查找相关信息"_s);
    EXPECT_EQ(status->text(), u"按F7查找相关信息"_s);
}

TEST_F(ToolbarViewTest, RadioActionsShowTheModelsChoice) {
    QAction* modeNew = view->Action(u"btnModeNew"_s);
    QAction* modeEdit = view->Action(u"btnModeEdit"_s);
    EXPECT_TRUE(modeNew->isChecked());
    modeEdit->trigger();
    EXPECT_TRUE(modeEdit->isChecked());
    EXPECT_FALSE(modeNew->isChecked());
    modeEdit->trigger();  // a pressed radio stays pressed
    EXPECT_TRUE(modeEdit->isChecked());
    EXPECT_EQ(clicks.size(), 2);

    // A dispatcher that refuses the change (unsaved work, "No") puts the old mode back.
    bar.SetDispatcher([this](const QString&) { bar.SetChecked(u"btnModeEdit"_s, true); });
    modeNew->trigger();
    EXPECT_TRUE(modeEdit->isChecked());
    EXPECT_FALSE(modeNew->isChecked());
}

TEST_F(ToolbarViewTest, AThrowingCommandStaysInsideTheClick) {
    bar.SetDispatcher([](const QString&) { throw ComError(1, u"t"_s, u"x"_s); });
    EXPECT_NO_THROW(view->Action(u"btnFileSave"_s)->trigger());
}

}  // namespace
}  // namespace sp
