#include "tests/platform/middletier/MiddleTierFixture.h"

namespace sp::test {
namespace {

// The client's two checks, exactly as the workbench applies them: mode 0 on save and
// audit, mode 1 on unaudit and delete; true means the command is refused.
bool ClientReceiveFails(double quantity, double receiveMaximum, int mode) {
    return mode == 1 ? quantity + receiveMaximum < 0 : quantity > receiveMaximum;
}
bool ClientHandOverFails(double quantity, double handOverMinimum, int mode) {
    return mode == 1 ? quantity + handOverMinimum > 0 : quantity < handOverMinimum;
}

class LimitsTest : public MiddleTierTest {
  protected:
    // Task 1001: WB-11 is operation 101, WB-12 operation 102.
    bool ClientRefuses(qint32 wb, double receive, double handOver, int mode) {
        const qint32 oper = wb == WB11 ? 101 : wb == WB12 ? 102 : 103;
        platform::MShopProc q = query();
        const double max = q.GetControlReceiveQty(Props(Clerk), 1001, oper);
        if (ClientReceiveFails(receive, max, mode))
            return true;
        const double min = q.GetControlHandOverQty(Props(Clerk), 1001, oper);
        return ClientHandOverFails(handOver, min, mode);
    }
};

// The ordinary life of two operations, command by command: what the client's check
// decides with our limits, and what the service then does.
TEST_P(LimitsTest, OrdinaryCommandsPassAndRealViolationsAreRefused) {
    // WB-11 (first operation, plan 100) receives 100 and hands 60 over; WB-12 takes 60.
    EXPECT_FALSE(ClientRefuses(WB11, 100, 60, 0)) << "new report within the plan";
    ASSERT_TRUE(Save(WB11, 1, {100, 100, 100, 60}));
    EXPECT_FALSE(ClientRefuses(WB11, 100, 60, 0)) << "audit";
    ASSERT_TRUE(Audit(WB11, 1)) << lastMessage.toStdString();
    EXPECT_FALSE(ClientRefuses(WB12, 60, 0, 0));
    ASSERT_TRUE(Save(WB12, 1, {60, 60, 60, 0}));
    ASSERT_TRUE(Audit(WB12, 1)) << lastMessage.toStdString();

    // A draft on WB-11 handing over 30 more: save, edit (the grid then sums the stored
    // draft again), delete, all allowed.
    EXPECT_FALSE(ClientRefuses(WB11, 0, 30, 0)) << "save new draft";
    ASSERT_TRUE(Save(WB11, 2, {0, 0, 0, 30}));
    EXPECT_FALSE(ClientRefuses(WB11, 0, 30, 0)) << "edit-mode save sums the stored draft";
    EXPECT_FALSE(ClientRefuses(WB11, 0, 30, 1)) << "deleting a draft changes no posted total";
    ASSERT_TRUE(Delete(WB11, 2));
    ASSERT_TRUE(Save(WB11, 2, {0, 0, 0, 30}));
    EXPECT_FALSE(ClientRefuses(WB11, 0, 30, 0)) << "audit the draft";
    ASSERT_TRUE(Audit(WB11, 2)) << lastMessage.toStdString();

    // Unauditing WB-11's second report leaves 60 handed over for WB-12's 60: fine.
    EXPECT_FALSE(ClientRefuses(WB11, 0, 30, 1));
    // Unauditing the first would leave 30 handed over where WB-12 already took 60.
    EXPECT_TRUE(ClientRefuses(WB11, 100, 60, 1));
    EXPECT_FALSE(UnAudit(WB11, 1)) << "the service enforces the rule itself";
    EXPECT_TRUE(lastMessage.contains(QStringLiteral("WB-11"))) << lastMessage.toStdString();
    EXPECT_TRUE(UnAudit(WB11, 2)) << lastMessage.toStdString();

    // WB-12 cannot receive more than WB-11 handed over (60, all taken).
    EXPECT_TRUE(ClientRefuses(WB12, 5, 0, 0)) << "over-receiving is refused on save";
    ASSERT_TRUE(Save(WB12, 2, {5, 5, 5, 0})) << "the service stores drafts; audit is the gate";
    EXPECT_FALSE(Audit(WB12, 2)) << "and refuses the audit whatever the client checked";
    EXPECT_TRUE(lastMessage.contains(QStringLiteral("WB-12")) && lastMessage.contains(QStringLiteral("2")));
    EXPECT_FALSE(ClientRefuses(WB12, 5, 0, 1)) << "deleting that draft";
    ASSERT_TRUE(Delete(WB12, 2));

    // Unauditing WB-12's receipt, then auditing it again.
    EXPECT_FALSE(ClientRefuses(WB12, 60, 0, 1));
    ASSERT_TRUE(UnAudit(WB12, 1));
    EXPECT_FALSE(ClientRefuses(WB12, 60, 0, 0));
    ASSERT_TRUE(Audit(WB12, 1));
}

TEST_P(LimitsTest, CorrectionsWithNegativeQuantities) {
    ASSERT_TRUE(Save(WB11, 1, {100, 100, 100, 100}));
    ASSERT_TRUE(Audit(WB11, 1));
    // A correction draft taking 10 back: saving it, deleting it, auditing it.
    EXPECT_FALSE(ClientRefuses(WB11, -10, 0, 0));
    ASSERT_TRUE(Save(WB11, 2, {-10, 0, 0, 0}));
    EXPECT_FALSE(ClientRefuses(WB11, -10, 0, 1)) << "deleting a negative draft";
    ASSERT_TRUE(Audit(WB11, 2)) << lastMessage.toStdString();
    // Unauditing the correction brings the 10 back: within the plan of 100.
    EXPECT_FALSE(ClientRefuses(WB11, -10, 0, 1));
    ASSERT_TRUE(UnAudit(WB11, 2)) << lastMessage.toStdString();
    // With a receipt of 10 audited in the room the correction made, the unaudit would
    // push the total over the plan: both refuse.
    ASSERT_TRUE(Audit(WB11, 2));
    ASSERT_TRUE(Save(WB11, 3, {10, 10, 10, 0}));
    ASSERT_TRUE(Audit(WB11, 3)) << lastMessage.toStdString();
    EXPECT_TRUE(ClientRefuses(WB11, -10, 0, 1));
    EXPECT_FALSE(UnAudit(WB11, 2));
}

TEST_P(LimitsTest, LimitsOfTheFirstAndLastOperation) {
    platform::MShopProc q = query();
    EXPECT_EQ(q.GetControlReceiveQty(Props(Clerk), 1001, 101), 100)
        << "the first operation receives the plan";
    EXPECT_EQ(q.GetControlHandOverQty(Props(Clerk), 1001, 103), 0) << "the last hands over to nobody";
    EXPECT_EQ(q.GetControlReceiveQty(Props(Clerk), 1001, 102), 0);
    EXPECT_THROW(q.GetControlReceiveQty(Props(Clerk), 1001, 999), ComError);
}

SP_INSTANTIATE_BACKENDS(LimitsTest);

}  // namespace
}  // namespace sp::test
