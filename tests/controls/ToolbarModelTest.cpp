#include <gtest/gtest.h>

#include <QSignalSpy>

#include "QtPrinters.h"
#include "common/ComError.h"
#include "common/ToolbarModel.h"

namespace sp {
namespace {

class ToolbarModelTest : public ::testing::Test {
protected:
    void SetUp() override {
        bar.AddLabel(QStringLiteral("lblMode"), QStringLiteral("汇报模式："));
        bar.AddTool(QStringLiteral("btnModeNew"), QStringLiteral("新增"), ToolStyle::Radio,
                    QStringLiteral("mode"));
        bar.AddTool(QStringLiteral("btnModeEdit"), QStringLiteral("修改"), ToolStyle::Radio,
                    QStringLiteral("mode"));
        bar.AddTool(QStringLiteral("btnCtlChk"), QStringLiteral("控制"), ToolStyle::Toggle);
        bar.AddTool(QStringLiteral("btnFileSave"), QStringLiteral("保存"));
        bar.AddBand(QStringLiteral("bndMain"), BandKind::Toolbar,
                    {QStringLiteral("lblMode"), QStringLiteral("btnModeNew"), QStringLiteral("btnModeEdit"),
                     QStringLiteral("btnFileSave")});
        bar.AddBand(QStringLiteral("mnuFile"), BandKind::Menu, {QStringLiteral("btnFileSave")},
                    QStringLiteral("文件(&F)"));
        bar.SetDispatcher([this](const QString& name) { clicks << name; });
    }
    ToolbarModel bar;
    QStringList clicks;
};

TEST_F(ToolbarModelTest, RadioGroupKeepsOneCheckedWhetherClickedOrSet) {
    bar.Click(QStringLiteral("btnModeNew"));
    EXPECT_TRUE(bar.Checked(QStringLiteral("btnModeNew")));
    bar.Click(QStringLiteral("btnModeEdit"));
    EXPECT_FALSE(bar.Checked(QStringLiteral("btnModeNew")));
    EXPECT_TRUE(bar.Checked(QStringLiteral("btnModeEdit")));
    bar.Click(QStringLiteral("btnModeEdit"));  // a radio stays checked
    EXPECT_TRUE(bar.Checked(QStringLiteral("btnModeEdit")));
    bar.SetChecked(QStringLiteral("btnModeNew"), true);
    EXPECT_FALSE(bar.Checked(QStringLiteral("btnModeEdit")));
    EXPECT_EQ(clicks, (QStringList{QStringLiteral("btnModeNew"), QStringLiteral("btnModeEdit"),
                                   QStringLiteral("btnModeEdit")}));
}

TEST_F(ToolbarModelTest, ToggleFlipsBeforeTheDispatcherHears) {
    bool checkedSeen = false;
    bar.SetDispatcher([&](const QString& name) { checkedSeen = bar.Checked(name); });
    bar.Click(QStringLiteral("btnCtlChk"));
    EXPECT_TRUE(checkedSeen);
    bar.Click(QStringLiteral("btnCtlChk"));
    EXPECT_FALSE(checkedSeen);
}

TEST_F(ToolbarModelTest, DisabledToolsAndLabelsIgnoreClicks) {
    bar.SetEnabled(QStringLiteral("btnCtlChk"), false);
    bar.Click(QStringLiteral("btnCtlChk"));
    bar.Click(QStringLiteral("lblMode"));
    EXPECT_TRUE(clicks.isEmpty());
    EXPECT_FALSE(bar.Checked(QStringLiteral("btnCtlChk")));
}

TEST_F(ToolbarModelTest, NamesIgnoreCaseAndUnknownNamesRaise) {
    bar.SetCaption(QStringLiteral("BTNFILESAVE"), QStringLiteral("存盘"));
    EXPECT_EQ(bar.Caption(QStringLiteral("btnFileSave")), QStringLiteral("存盘"));
    bar.Click(QStringLiteral("btnfilesave"));
    EXPECT_EQ(clicks, QStringList{QStringLiteral("btnFileSave")});
    EXPECT_THROW(bar.Enabled(QStringLiteral("btnNope")), ComError);
    EXPECT_THROW(bar.AddBand(QStringLiteral("x"), BandKind::Menu, {QStringLiteral("btnNope")}), ComError);
}

TEST_F(ToolbarModelTest, SameToolInMenuAndBandIsOneState) {
    int bandsWithSave = 0;
    for (const BandState& band : bar.Bands())
        bandsWithSave += band.tools.contains(QStringLiteral("btnFileSave")) ? 1 : 0;
    EXPECT_EQ(bandsWithSave, 2);

    QSignalSpy changed(&bar, &ToolbarModel::toolChanged);
    bar.SetEnabled(QStringLiteral("btnFileSave"), false);
    bar.SetEnabled(QStringLiteral("btnFileSave"), false);  // no change, no signal
    ASSERT_EQ(changed.count(), 1);
    EXPECT_EQ(changed.at(0).at(0).toString(), QStringLiteral("btnFileSave"));
}

}  // namespace
}  // namespace sp
