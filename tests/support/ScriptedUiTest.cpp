#include <gtest/gtest.h>

#include "tests/support/ScriptedUi.h"

namespace sp {
namespace {

using namespace Qt::StringLiterals;

struct NamedDialog : DialogModel {
    QString DialogName() const override { return u"frmList"_s; }
    bool touched = false;
};

// Every dialog test scripts the user through this double, so its queues and records must hold.
TEST(ScriptedUi, RecordsMessagesAndAnswersFromItsQueues) {
    ScriptedUi ui;
    ShowInfo(ui, u"信息"_s);
    ui.answers.push_back(MsgAnswer::Yes);
    EXPECT_TRUE(AskYesNo(ui, u"继续吗？"_s));
    EXPECT_FALSE(AskYesNo(ui, u"再问"_s));  // empty queue: the default, No
    ASSERT_EQ(ui.messages.size(), 3);
    EXPECT_EQ(ui.messages[1].buttons, MsgButtons::YesNo);
    EXPECT_EQ(ui.messages[1].defaultButton, MsgAnswer::No);
    EXPECT_EQ(ui.messages[2].title, u"Vorlane提示"_s);

    EXPECT_EQ(ui.InputBox(u"号码"_s, QString(), QString()), std::nullopt);

    NamedDialog dialog;
    ui.ShowModal(dialog);
    EXPECT_FALSE(dialog.touched);
    ui.dialogHandlers.insert(u"frmList"_s,
                             [](DialogModel& m) { static_cast<NamedDialog&>(m).touched = true; });
    ui.ShowModal(dialog);
    EXPECT_TRUE(dialog.touched);
    EXPECT_EQ(ui.dialogsShown, (QStringList{u"frmList"_s, u"frmList"_s}));
}

}  // namespace
}  // namespace sp
