// Every statement of the workbench's save and of the window's closing fails in turn,
// through the real workbench (its real parts, the platform's stand-ins, the middle tier)
// over a real database: each run either completes or leaves the tables as they were, and
// the screen keeps what the clerk typed. (The other writes fail statement by statement at
// the service, ReportWriterTest and StoresTest, and show their refusals with the fake
// host.)
#include <cstdio>

#include "platform/middletier/MShopProc.h"
#include "tests/proof/Station.h"
#include "tests/support/BackendTest.h"
#include "tests/support/StatementFaults.h"

namespace sp::test {
namespace {

using C = ReportCode;
using Station = HeadlessStation<ScriptedUi>;

// A station is made as erp-host makes the workbench: it opens once, on the list the
// confirmed filter gives, which holds every reportable work bill of the shop.
using StationTest = DemoShopTest;

TEST_P(StationTest, OpensOnceOnTheListOfReportableWorkBills) {
    Station s(shared(), shop.users[0], u"clerk1"_s);
    const QStringList reportable =
        Values(platform::MShopProc(shared()).GetWorkBillByFilter(u"UserID=1;"_s, false, {}), "FWorkBillNO");
    EXPECT_TRUE(reportable.contains(shop.bill));
    EXPECT_EQ(s.Listed(), reportable);
}

SP_INSTANTIATE_BACKENDS(StationTest);

class FaultsTest : public DemoShopTest {
  protected:
    int Stored(const char* where, const QVariantList& params = {}) {
        return Count((QByteArray("SHProcRpt WHERE ") + where).constData(), params);
    }
    // Each run of the command; a run not done (told: and the clerk told why, with the
    // reason) leaves every posted total the sum of the audited reports.
    void Drive(Station& s, const char* name, const std::function<void()>& prepare,
               const std::function<void()>& run, const std::function<void(bool)>& screen,
               const std::function<void()>& undo, bool told = true) {
        qsizetype messages = 0;
        faults.Drive(
            name,
            [&] {
                prepare();
                messages = s.ui.messages.size();
            },
            [&] {
                run();
                s.ui.answers.clear();
                s.ui.inputs.clear();
            },
            [&](const StatementFaults::Run& r) {
                screen(r.done());
                ExpectPostedMatchesAudited(db(), shop.wbId);
                if (r.done() || !told)
                    return;
                ASSERT_GT(s.ui.messages.size(), messages) << "the clerk is not told";
                EXPECT_FALSE(s.ui.MessageTexts().last().trimmed().endsWith(u"——"_s))
                    << "told without the reason";
            },
            undo);
    }
    // Every table a save or the closing writes (the task table is left out: its heartbeats
    // change by themselves).
    StatementFaults faults{[this] {
        return Snapshot(db(),
                        {"SELECT * FROM SHProcRpt", "SELECT * FROM SHWorkBillEntry", "SELECT * FROM ICMO"});
    }};
};

TEST_P(FaultsTest, EachWriteCompletesOrLeavesTheDatabaseAndTheScreenAsTheyWere) {
    Station s(shared(), shop.users[0], u"clerk1"_s);
    const QString bill = shop.bill;
    const auto yes = [&] { s.ui.answers = {MsgAnswer::Yes, MsgAnswer::Yes}; };

    // New mode: two typed rows, saved; they stay typed and unsaved until a save completes,
    // also when the save's read of which work bills still take reports fails: the clerk
    // never hears that they take none.
    const auto typeRows = [&] {
        if (s.state().modified && !s.Cell(s.First(), C::GPH).isEmpty())
            return;
        yes();
        s.form->Dispatch(Tool::ModeNew());
        s.form->Dispatch(Tool::Refresh());
        s.ui.answers.clear();
        for (int i = 0; i < 2; ++i)
            ASSERT_TRUE(s.NewRow(s.First() + i, bill, u"typed %1"_s.arg(i)))
                << s.ui.MessageTexts().join(u'\n').toStdString();
    };
    Drive(
        s, "save of new rows", typeRows, [&] { s.form->Dispatch(Tool::FileSave()); },
        [&](bool done) {
            EXPECT_EQ(s.state().modified, !done);
            EXPECT_EQ(Stored("Fmemo LIKE 'typed %'"), done ? 2 : 0);
            EXPECT_FALSE(s.ui.MessageTexts().join(u'\n').contains(u"不可进行工序汇报"_s));
            for (int i = 0; !done && i < 2; ++i) {
                EXPECT_EQ(s.Cell(s.First() + i, C::GPH), bill);
                EXPECT_EQ(s.Cell(s.First() + i, C::MEMO), u"typed %1"_s.arg(i));
            }
        },
        [&] { Exec("DELETE FROM SHProcRpt WHERE Fmemo LIKE 'typed %'"); });

    // Unload with nothing unsaved, holding the work bill in edit mode: its closing
    // statement fails without a word (documented), the task is given back either way. (The
    // suite's own workbench lets the saved rows' work bill go first.)
    ASSERT_TRUE(s.Open(shop.wbId));
    s.form->Dispatch(Tool::ModeNew());
    ASSERT_EQ(s.state().historyTaskId, 0);
    const auto other = platform::Database::Open(platform::DatabaseUrl::Parse(tdb_->url()), false);
    std::unique_ptr<Station> closing;
    Drive(
        s, "unload",
        [&] {
            closing = std::make_unique<Station>(shared(), shop.users[0], u"clerk1"_s);
            ASSERT_TRUE(closing->Open(shop.wbId));
            ASSERT_FALSE(Station(other, shop.users[0], u"clerk1"_s).Open(shop.wbId))
                << "held by the closing workbench";
        },
        [&] { closing->form->Unload(); },
        [&](bool) {
            EXPECT_EQ(closing->state().historyTaskId, 0);
            EXPECT_TRUE(Station(other, shop.users[0], u"clerk1"_s).Open(shop.wbId))
                << "the task was not given back";
            closing.reset();
        },
        [] {}, false);

    std::printf(
        "[proof] faults on %s: %d statements failed, %d of them where the command survives (a read, or "
        "a reread after its commit) and was undone; %s\n",
        BackendName(GetParam()).c_str(), faults.injected, faults.survived,
        HasFailure() ? "FAILED" : "none half-written");
}

// The connection drops while a clerk types (a server restart on PostgreSQL; on SQLite a
// workstation that froze long enough for another to take its work bill over and give it
// back). The save takes the work bill back and goes on when nobody wrote to it meanwhile;
// otherwise it says so, saves nothing and keeps the typed rows.
TEST_P(FaultsTest, AConnectionLostMidWorkSavesOnlyWhatNobodyTouched) {
    Station s(shared(), shop.users[0], u"clerk1"_s);
    const auto interrupt = [&] {
        if (GetParam() == Backend::PostgreSQL) {
            Scalar(
                "SELECT COUNT(pg_terminate_backend(pid)) FROM pg_stat_activity "
                "WHERE datname = current_database() AND pid <> pg_backend_pid()");
            EXPECT_THROW(Scalar("SELECT pg_terminate_backend(pg_backend_pid())"), ComError);
        } else {
            Exec("UPDATE t_FuncTask SET FHolder = 'elsewhere/1/x'");
            ASSERT_EQ(Count("t_FuncTask WHERE FHolder = 'elsewhere/1/x'"), 1);
            Exec("DELETE FROM t_FuncTask");
        }
    };
    const int before = Stored("FWBInterID = ?", {shop.wbId});
    ASSERT_TRUE(s.NewRow(s.First(), shop.bill));
    interrupt();
    EXPECT_TRUE(s.Save()) << s.ui.MessageTexts().join(u'\n').toStdString();
    EXPECT_EQ(Stored("FWBInterID = ?", {shop.wbId}), before + 1);

    // Another workstation writes to the work bill while this one's hold is lost.
    ASSERT_TRUE(s.NewRow(s.First() + 1, shop.bill));
    interrupt();
    Exec("INSERT INTO SHProcRpt (FWBInterID, Fserial) VALUES (?, 999)", {shop.wbId});
    EXPECT_FALSE(s.Save());
    EXPECT_EQ(
        s.ui.MessageTexts().last(),
        u"与数据库的连接曾中断，工序计划单 %1 可能已被其他用户修改，当前修改不能保存。"_s.arg(shop.bill));
    EXPECT_EQ(Stored("FWBInterID = ?", {shop.wbId}), before + 2) << "only the other workstation's report";
    EXPECT_EQ(s.Cell(s.First() + 1, C::GPH), shop.bill) << "the typed row stays";
}

SP_INSTANTIATE_BACKENDS(FaultsTest);

}  // namespace
}  // namespace sp::test
