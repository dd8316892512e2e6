#include <QScopeGuard>

#include "src/common/ErrorLog.h"
#include "tests/platform/middletier/MiddleTierFixture.h"

namespace sp::test {
namespace {

class LimitsTest : public MiddleTierTest {
  protected:
    enum class Cmd { Save, Audit, UnAudit, Delete };
    // One step of a work bill's life: the client's check with the report's receipt and
    // hand-over (mode -1: none), then the command and whether the service accepts it.
    struct Step {
        qint32 wb;
        int serial;
        Quantities q;
        int mode;
        bool clientRefuses;
        Cmd cmd;
        bool accepted;
    };

    // The client's two checks, exactly as the workbench applies them with the service's
    // limits: mode 0 on save and audit, mode 1 on unaudit and delete. Task 1001: WB-11 is
    // operation 101, WB-12 operation 102.
    bool ClientRefuses(qint32 wb, double receive, double handOver, int mode) {
        const qint32 oper = wb == WB11 ? 101 : wb == WB12 ? 102 : 103;
        const double max = query().GetControlReceiveQty(Props(Clerk), 1001, oper);
        const double min = query().GetControlHandOverQty(Props(Clerk), 1001, oper);
        return mode == 1 ? receive + max < 0 || handOver + min > 0 : receive > max || handOver < min;
    }

    void Play(std::initializer_list<Step> steps) {
        int n = 0;
        for (const Step& s : steps) {
            SCOPED_TRACE(::testing::Message() << "step " << ++n);
            EXPECT_TRUE(s.mode < 0 ||
                        ClientRefuses(s.wb, s.q.receive, s.q.handOver, s.mode) == s.clientRefuses)
                << "the client's check";
            const bool done = s.cmd == Cmd::Save      ? Save(s.wb, s.serial, s.q)
                              : s.cmd == Cmd::Audit   ? Audit(s.wb, s.serial)
                              : s.cmd == Cmd::UnAudit ? UnAudit(s.wb, s.serial)
                                                      : Delete(s.wb, s.serial);
            EXPECT_EQ(done, s.accepted) << lastMessage.toStdString();
            EXPECT_TRUE(done || lastMessage.contains(query().GetWorkBillNO(Props(Clerk), s.wb)))
                << "a refusal names the work bill: " << lastMessage.toStdString();
        }
    }
};

// The ordinary life of two operations, command by command: what the client's check
// decides with our limits, and what the service then does. WB-11 (first operation, plan
// 100) receives 100 and hands 60 over; WB-12 takes the 60.
TEST_P(LimitsTest, OrdinaryCommandsPassAndRealViolationsAreRefused) {
    // clang-format off
    Play({
        {WB11, 1, {100, 100, 100, 60}, 0, false, Cmd::Save, true},
        {WB11, 1, {100, 100, 100, 60}, 0, false, Cmd::Audit, true},
        {WB12, 1, {60, 60, 60, 0},     0, false, Cmd::Save, true},
        {WB12, 1, {},                 -1, false, Cmd::Audit, true},
        // A draft handing over 30 more: saved, deleted (no posted total changes), saved
        // again and audited.
        {WB11, 2, {0, 0, 0, 30},       0, false, Cmd::Save, true},
        {WB11, 2, {0, 0, 0, 30},       1, false, Cmd::Delete, true},
        {WB11, 2, {0, 0, 0, 30},      -1, false, Cmd::Save, true},
        {WB11, 2, {0, 0, 0, 30},       0, false, Cmd::Audit, true},
        // Unauditing the first report would leave 30 handed over where WB-12 took 60: the
        // service refuses it too; the second leaves 60 for WB-12's 60.
        {WB11, 1, {100, 100, 100, 60}, 1, true,  Cmd::UnAudit, false},
        {WB11, 2, {0, 0, 0, 30},       1, false, Cmd::UnAudit, true},
        // WB-12 cannot receive more than WB-11 handed over (60, all taken): the service
        // stores the draft, and audit is its gate whatever the client checked.
        {WB12, 2, {5, 5, 5, 0},        0, true,  Cmd::Save, true},
        {WB12, 2, {5, 5, 5, 0},       -1, false, Cmd::Audit, false},
        {WB12, 2, {5, 5, 5, 0},        1, false, Cmd::Delete, true},
        {WB12, 1, {60, 60, 60, 0},     1, false, Cmd::UnAudit, true},
        {WB12, 1, {60, 60, 60, 0},     0, false, Cmd::Audit, true},
    });
    // clang-format on
}

// Corrections take quantities back with negative receipts.
TEST_P(LimitsTest, CorrectionsWithNegativeQuantities) {
    // clang-format off
    Play({
        {WB11, 1, {100, 100, 100, 100}, -1, false, Cmd::Save, true},
        {WB11, 1, {},                   -1, false, Cmd::Audit, true},
        {WB11, 2, {-10, 0, 0, 0},        0, false, Cmd::Save, true},
        {WB11, 2, {-10, 0, 0, 0},        1, false, Cmd::Audit, true},  // deleting it would be allowed
        {WB11, 2, {-10, 0, 0, 0},        1, false, Cmd::UnAudit, true},  // the 10 come back: within the plan
        {WB11, 2, {},                   -1, false, Cmd::Audit, true},
        // With a receipt of 10 audited in the room the correction made, the unaudit would
        // push the total over the plan: both refuse.
        {WB11, 3, {10, 10, 10, 0},      -1, false, Cmd::Save, true},
        {WB11, 3, {},                   -1, false, Cmd::Audit, true},
        {WB11, 2, {-10, 0, 0, 0},        1, true,  Cmd::UnAudit, false},
    });
    // clang-format on
}

// The service keeps its limits only while the receive control is on: a missing or NULL
// switch is on, "0" is off, and so is a value that is neither a Boolean nor a number,
// which the service's reading logs. WB-11 has handed nothing over, so WB-12 has no room.
TEST_P(LimitsTest, ReceiveControlOffLetsAnAuditOverTheLimitThrough) {
    ASSERT_TRUE(Save(WB12, 1, {5, 5, 5, 0}));
    QStringList logged;
    ErrorLog::SetSink([&](const QString& source, const QString& text) { logged << source + u'|' + text; });
    const auto unsink = qScopeGuard([] { ErrorLog::SetSink(nullptr); });
    // stored, value, audit accepted, logged
    const std::tuple<bool, QVariant, bool, bool> cases[] = {
        {false, QVariant(), false, false},         {true, QVariant(), false, false},
        {true, QStringLiteral("1"), false, false}, {true, QStringLiteral("0"), true, false},
        {true, QStringLiteral("yes"), true, true},
    };
    for (const auto& [stored, value, accepted, log] : cases) {
        SCOPED_TRACE(stored ? value.toString().toStdString() : "missing");
        Exec("DELETE FROM t_SystemProfile");
        if (stored)
            Exec(
                "INSERT INTO t_SystemProfile (FCategory, FKey, FValue) VALUES ('SH', "
                "'SHOPPROC_CONTROLRECEIVE', ?)",
                {value});
        logged.clear();
        EXPECT_EQ(Audit(WB12, 1), accepted) << lastMessage.toStdString();
        // On PostgreSQL the database reads the switch for the audit and the service logs it.
        EXPECT_EQ(logged.filter(QStringLiteral("The system switch SH/SHOPPROC_CONTROLRECEIVE holds \"yes\""))
                      .isEmpty(),
                  !log)
            << logged.join(u'\n').toStdString();
        if (accepted) {
            EXPECT_EQ(Posted(WB12, "FAuxQtyRecive"), 5);
            ASSERT_TRUE(UnAudit(WB12, 1)) << "for the next case";
        }
    }
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
