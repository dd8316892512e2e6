// What the database itself refuses on PostgreSQL. Clerks sign in as their own roles: through
// the workbench they do their normal day; past it, with libpq as psql would, a clerk can do
// nothing the workbench would refuse them.
#include <libpq-fe.h>

#include "platform/db/PgGuard.h"
#include "src/common/Basic.h"
#include "src/entry/HostServices.h"
#include "src/workbench/WorkbenchToolbar.h"
#include "tests/proof/Station.h"
#include "tests/support/BackendTest.h"

namespace sp::test {
namespace {

using C = ReportCode;

// One session of a role as psql holds it: each statement runs as written.
class RawSession {
  public:
    explicit RawSession(const QString& url) : conn_(PQconnectdb(url.toUtf8().constData())) {}
    ~RawSession() { PQfinish(conn_); }
    RawSession(const RawSession&) = delete;
    RawSession& operator=(const RawSession&) = delete;
    bool Ok() const { return PQstatus(conn_) == CONNECTION_OK; }

    // The rows the statement read or changed; -1 when the server refused it.
    int Run(const QString& sql) {
        PGresult* result = PQexec(conn_, sql.toUtf8().constData());
        const ExecStatusType status = PQresultStatus(result);
        const int rows = status == PGRES_TUPLES_OK    ? PQntuples(result)
                         : status == PGRES_COMMAND_OK ? QByteArray(PQcmdTuples(result)).toInt()
                                                      : -1;
        PQclear(result);
        return rows;
    }

  private:
    PGconn* conn_;
};

class GuardTest : public BackendTest {
  protected:
    void SetUp() override {
        BackendTest::SetUp();
        if (!tdb_)
            return;
        shop = SeedDemoShop(db(), {{u"guard_a"_s, Rights::All & ~Rights::Audit & ~Rights::Summary},
                                   {u"guard_b"_s, Rights::All}});
        a = shop.users[0];
        b = shop.users[1];
    }

    // What a clerk's acts could change: the reports, the work bills, users and rights, held
    // work bills, the log, the switches, the layouts, and who is a member of which role. B's
    // workbench writes its own log lines on a thread of its own meanwhile; those are left out.
    QString Snapshot() {
        const QString log = u"SELECT * FROM t_UsageLog WHERE FUserID <> %1 OR FComputer <> '%2'"_s.arg(b).arg(
            HostServices::ComputerName().replace(u'\'', u"''"_s));
        QStringList statements;
        for (const char* sql :
             {"SELECT * FROM SHProcRpt", "SELECT * FROM SHWorkBillEntry", "SELECT * FROM t_User",
              "SELECT * FROM t_UserRight", "SELECT FTaskID, FKey, FUserID, FBackendPID FROM t_FuncTask",
              "SELECT * FROM t_FuncTaskRelease", "SELECT * FROM t_SystemProfile", "SELECT * FROM SHRptDef",
              "SELECT g.rolname, u.rolname, u.rolcanlogin, u.rolpassword FROM pg_auth_members m JOIN "
              "pg_authid g ON g.oid = m.roleid JOIN pg_authid u ON u.oid = m.member WHERE u.rolname LIKE "
              "'guard%'"})
            statements << QString::fromUtf8(sql);
        return test::Snapshot(db(), statements << log);
    }

    // Each act is refused by the server, or changes no row; together they change nothing.
    void ExpectAllRefused(RawSession& clerk, const std::vector<std::pair<const char*, QString>>& acts) {
        const QString before = Snapshot();
        for (const auto& [what, sql] : acts)
            EXPECT_LE(clerk.Run(sql), 0) << what << ": " << sql.toStdString();
        EXPECT_EQ(Snapshot(), before);
    }

    DemoShop shop;
    qint32 a = 0, b = 0;
};

TEST_P(GuardTest, AClerkPastTheWorkbenchCanDoNothingTheWorkbenchWouldRefuse) {
    // Clerk A, without the audit right, saves two reports in the workbench as its own role.
    {
        HeadlessStation<ScriptedUi> s(tdb_->OpenAs(u"guard_a"_s), a, u"guard_a"_s);
        for (int row : {s.First(), s.First() + 1})
            ASSERT_TRUE(s.NewRow(row, shop.bill, {}, u"2"_s))
                << s.ui.MessageTexts().join(u'\n').toStdString();
        ASSERT_TRUE(s.Save()) << s.ui.MessageTexts().join(u'\n').toStdString();
    }
    const QStringList serials = Values(
        db().Query(u"SELECT Fserial FROM SHProcRpt WHERE FWBInterID = ? AND FbillerID = ? ORDER BY Fserial"_s,
                   {shop.wbId, a}));
    ASSERT_EQ(serials.size(), 2);
    const QString rpt = u"FWBInterID = %1 AND Fserial = %2"_s.arg(shop.wbId).arg(serials[0]);
    // Another work bill that a clerk's workbench may close: nothing planned, no draft.
    const qint32 closable = Scalar(
                                "SELECT MAX(FWBInterID) FROM SHWorkBillEntry WHERE FStatus IN (1, 2) AND "
                                "FWBInterID NOT IN (SELECT FWBInterID FROM SHProcRpt)")
                                .toInt();
    Exec("UPDATE SHWorkBillEntry SET FAuxQtyPlan = 0 WHERE FWBInterID = ?", {closable});

    // Clerk B holds the work bill in edit mode on its workstation meanwhile.
    HeadlessStation<ScriptedUi> station(tdb_->OpenAs(u"guard_b"_s), b, u"guard_b"_s);
    ASSERT_TRUE(station.Open(shop.wbId));
    const QString pid =
        Scalar("SELECT FBackendPID FROM t_FuncTask WHERE FKey = ?", {QString::number(shop.wbId)}).toString();
    ASSERT_FALSE(pid.isEmpty());
    const auto role = [&](const char* kind) {
        return platform::PgGuard::QuoteIdent(platform::PgGuard::RoleName(tdb_->name(), kind));
    };

    RawSession clerk(tdb_->UrlAs(u"guard_a"_s));
    ASSERT_TRUE(clerk.Ok());
    const QString insert =
        u"INSERT INTO SHProcRpt (FWBInterID, Fserial, FbillerID, Fstatus) VALUES (%1, 900, %2, %3)"_s;
    const QString summary =
        u"SELECT * FROM sp_report_summary('2000-01-01', '2100-01-01', 0, 0, 1, 2%1)"_s.arg(
            QStringLiteral(", ''").repeated(16));
    ExpectAllRefused(
        clerk,
        {
            {"a report under another biller", insert.arg(shop.wbId).arg(b).arg(0)},
            {"a report audited when made", insert.arg(shop.wbId).arg(a).arg(1)},
            {"an audit by hand", u"UPDATE SHProcRpt SET Fstatus = 1 WHERE "_s + rpt},
            {"a checker by hand", u"UPDATE SHProcRpt SET FcheckerID = %1 WHERE "_s.arg(a) + rpt},
            {"another biller by hand", u"UPDATE SHProcRpt SET FbillerID = %1 WHERE "_s.arg(b) + rpt},
            {"an audit through the posting function",
             u"SELECT * FROM sp_post_report(%1, %2, 1, %3)"_s.arg(shop.wbId).arg(serials[0]).arg(a)},
            {"posted quantities by hand",
             u"UPDATE SHWorkBillEntry SET FauxQtyPass = FauxQtyPass + 1 WHERE FWBInterID = %1"_s.arg(
                 shop.wbId)},
            {"posted quantities while closing",
             u"UPDATE SHWorkBillEntry SET FStatus = 3, FauxQtyPass = FauxQtyPass + 1 WHERE "
             "FWBInterID = %1"_s.arg(closable)},
            {"a work bill with drafts closed",
             u"UPDATE SHWorkBillEntry SET FStatus = 3 WHERE FWBInterID = %1"_s.arg(shop.wbId)},
            {"a user", u"INSERT INTO t_User (FUserID, FName) VALUES (99, 'mallory')"_s},
            {"a right", u"UPDATE t_UserRight SET FRights = -1"_s},
            {"a right as a role", u"GRANT %1 TO guard_a"_s.arg(role("audit"))},
            {"an administrator", u"GRANT %1 TO guard_a"_s.arg(role("admins"))},
            {"the receive switch", u"UPDATE t_SystemProfile SET FValue = '0'"_s},
            {"another's task row removed", u"DELETE FROM t_FuncTask"_s},
            {"another's task row taken", u"UPDATE t_FuncTask SET FUserID = %1"_s.arg(a)},
            {"a release recorded",
             u"INSERT INTO t_FuncTaskRelease (FSubSys, FFunction, FKey, FHolder, FComputer, "
             "FReleased, FReleasedBy) SELECT FSubSys, FFunction, FKey, FHolder, FComputer, "
             "now(), 'guard_a' FROM t_FuncTask"_s},
            {"another's session ended", u"SELECT pg_terminate_backend(%1)"_s.arg(pid)},
            {"another's session ended by the release function", u"SELECT sp_end_task_session(%1)"_s.arg(pid)},
            {"another's password", u"ALTER ROLE guard_b PASSWORD 'taken'"_s},
            {"another's password by the function",
             u"SELECT sp_set_password('guard_b', 'SCRAM-SHA-256$4096:x')"_s},
            {"a leaver made of another", u"SELECT sp_disable_user('guard_b')"_s},
            {"a log line under another's name",
             u"INSERT INTO t_UsageLog (FUserID, FFunctionCode, FAction, FTime, FComputer) VALUES "
             "(%1, 'CJ1000', 1, now(), 'x')"_s.arg(b)},
            {"another's column layout", u"UPDATE SHRptDef SET Fwidth = 1 WHERE FuserID = %1"_s.arg(b)},
            {"a table of one's own", u"CREATE TABLE mine (x integer)"_s},
            {"the summary of fees", summary},
            {"a temporary table shadowing the users",
             u"CREATE TEMP TABLE t_User (FUserID integer, FName text)"_s},
        });

    // B, who holds the summary right, has its figures.
    EXPECT_GT(RawSession(tdb_->UrlAs(u"guard_b"_s)).Run(summary), 0);
    // What the workbench lets A do directly stays possible: a draft of its own, deleted again.
    EXPECT_EQ(clerk.Run(insert.arg(shop.wbId).arg(a).arg(0)), 1);
    EXPECT_EQ(clerk.Run(u"DELETE FROM SHProcRpt WHERE FWBInterID = %1 AND Fserial = 900"_s.arg(shop.wbId)),
              1);

    // Clerk B, with the audit right, audits both in the workbench: the database posts them.
    ASSERT_EQ(station.RowOf(serials[1]), station.RowOf(serials[0]) + 1);
    station.ui.answers = {MsgAnswer::Yes, MsgAnswer::Yes};
    station.Select(serials);
    station.form->Dispatch(Tool::Audit());
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM SHProcRpt WHERE FWBInterID = ? AND Fstatus = 1 "
                     "AND FcheckerID = ?",
                     {shop.wbId, b})
                  .toInt(),
              2)
        << station.ui.MessageTexts().join(u'\n').toStdString();
    ExpectPostedMatchesAudited(db(), shop.wbId);

    // An audited report is beyond A's reach: neither changed, deleted nor unaudited.
    ExpectAllRefused(
        clerk, {
                   {"an audited report changed", u"UPDATE SHProcRpt SET FAuxQtyPass = 0 WHERE "_s + rpt},
                   {"an audited report deleted", u"DELETE FROM SHProcRpt WHERE "_s + rpt},
                   {"an unaudit through the posting function",
                    u"SELECT * FROM sp_post_report(%1, %2, -1, %3)"_s.arg(shop.wbId).arg(serials[0]).arg(a)},
               });
}

INSTANTIATE_TEST_SUITE_P(Backends, GuardTest, ::testing::Values(Backend::PostgreSQL), BackendParamName);

}  // namespace
}  // namespace sp::test
