#include <gtest/gtest.h>

#include <QSignalSpy>

#include "src/common/ComError.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/ToolbarSample.h"

using namespace Qt::StringLiterals;

namespace sp {
namespace {

class ToolbarModelTest : public ::testing::Test {
  protected:
    void SetUp() override { test::AddSampleTools(bar, &clicks); }
    ToolbarModel bar;
    QStringList clicks;
};

TEST_F(ToolbarModelTest, RadioGroupKeepsOneCheckedAndToggleFlipsBeforeTheDispatcherHears) {
    bar.Click(u"btnModeNew"_s);
    bar.Click(u"btnModeEdit"_s);
    EXPECT_FALSE(bar.Checked(u"btnModeNew"_s));
    bar.Click(u"btnModeEdit"_s);  // a radio stays checked
    EXPECT_TRUE(bar.Checked(u"btnModeEdit"_s));
    bar.SetChecked(u"btnModeNew"_s, true);
    EXPECT_FALSE(bar.Checked(u"btnModeEdit"_s));
    EXPECT_EQ(clicks, (QStringList{u"btnModeNew"_s, u"btnModeEdit"_s, u"btnModeEdit"_s}));

    QVector<bool> checkedSeen;
    bar.SetDispatcher([&](const QString& name) { checkedSeen << bar.Checked(name); });
    bar.Click(u"btnCtlChk"_s);
    bar.Click(u"btnCtlChk"_s);
    EXPECT_EQ(checkedSeen, (QVector<bool>{true, false}));
}

TEST_F(ToolbarModelTest, DisabledToolsAndLabelsIgnoreClicksAndNamesIgnoreCase) {
    bar.SetEnabled(u"btnCtlChk"_s, false);
    bar.Click(u"btnCtlChk"_s);
    bar.Click(u"lblMode"_s);
    EXPECT_TRUE(clicks.isEmpty());
    EXPECT_FALSE(bar.Checked(u"btnCtlChk"_s));

    bar.SetCaption(u"BTNFILESAVE"_s, u"存盘"_s);
    EXPECT_EQ(bar.Caption(u"btnFileSave"_s), u"存盘"_s);
    bar.Click(u"btnfilesave"_s);
    EXPECT_EQ(clicks, QStringList{u"btnFileSave"_s});
    EXPECT_THROW(bar.Enabled(u"btnNope"_s), ComError);
    EXPECT_THROW(bar.AddBand(u"x"_s, BandKind::Menu, {u"btnNope"_s}), ComError);
}

TEST_F(ToolbarModelTest, SameToolInMenuAndBandIsOneState) {
    int bandsWithSave = 0;
    for (const BandState& band : bar.Bands()) bandsWithSave += band.tools.contains(u"btnFileSave"_s) ? 1 : 0;
    EXPECT_EQ(bandsWithSave, 2);

    QSignalSpy changed(&bar, &ToolbarModel::toolChanged);
    bar.SetEnabled(u"btnFileSave"_s, false);
    bar.SetEnabled(u"btnFileSave"_s, false);  // no change, no signal
    ASSERT_EQ(changed.count(), 1);
    EXPECT_EQ(changed.at(0).at(0).toString(), u"btnFileSave"_s);
}

}  // namespace
}  // namespace sp
