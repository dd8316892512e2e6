#include <gtest/gtest.h>

#include "common/ScriptedUi.h"

namespace sp {
namespace {

struct NamedDialog : DialogModel {
    QString DialogName() const override { return QStringLiteral("frmList"); }
    bool touched = false;
};

TEST(ScriptedUi, RecordsMessagesAndAnswersFromItsQueues) {
    ScriptedUi ui;
    ShowInfo(ui, QStringLiteral("信息"));
    ShowPlain(ui, QStringLiteral("无图标"));
    ui.answers.push_back(MsgAnswer::Yes);
    EXPECT_TRUE(AskYesNo(ui, QStringLiteral("继续吗？")));
    EXPECT_FALSE(AskYesNo(ui, QStringLiteral("再问")));  // empty queue: the default, No
    ASSERT_EQ(ui.messages.size(), 4);
    EXPECT_EQ(ui.messages[0].icon, MsgIcon::Information);
    EXPECT_EQ(ui.messages[1].icon, MsgIcon::None);
    EXPECT_EQ(ui.messages[2].icon, MsgIcon::Question);
    EXPECT_EQ(ui.messages[2].buttons, MsgButtons::YesNo);
    EXPECT_EQ(ui.messages[2].defaultButton, MsgAnswer::No);
    for (const auto& m : ui.messages) EXPECT_EQ(m.title, QStringLiteral("Vorlane提示"));

    ui.inputs.push_back(QStringLiteral("WB-1"));
    EXPECT_EQ(ui.InputBox(QStringLiteral("号码"), QString(), QString()), QStringLiteral("WB-1"));
    EXPECT_EQ(ui.InputBox(QStringLiteral("号码"), QString(), QString()), std::nullopt);

    {
        WaitCursor outer(ui);
        WaitCursor inner(ui);
        EXPECT_EQ(ui.waitDepth, 2);
    }
    EXPECT_EQ(ui.waitDepth, 0);
    EXPECT_EQ(ui.maxWaitDepth, 2);

    NamedDialog dialog;
    ui.ShowModal(dialog);
    EXPECT_FALSE(dialog.touched);
    ui.dialogHandlers.insert(QStringLiteral("frmList"),
                             [](DialogModel& m) { static_cast<NamedDialog&>(m).touched = true; });
    ui.ShowModal(dialog);
    EXPECT_TRUE(dialog.touched);
    EXPECT_EQ(ui.dialogsShown, (QStringList{QStringLiteral("frmList"), QStringLiteral("frmList")}));
}

}  // namespace
}  // namespace sp
