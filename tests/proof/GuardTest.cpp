// What the database itself refuses on PostgreSQL. Clerks sign in as their own roles: through
// the workbench they do their normal day; past it, with libpq as psql would, a clerk can do
// nothing the workbench would refuse them.
#include <libpq-fe.h>

#include "platform/db/DemoData.h"
#include "platform/db/PgGuard.h"
#include "platform/host/LoginSession.h"
#include "src/common/Basic.h"
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

    // The SQLSTATE of a refused statement, or empty and the rows it changed.
    struct Result {
        QString state;
        int rows = 0;
        QString message;
    };
    Result Run(const QString& sql) {
        Result r;
        PGresult* result = PQexec(conn_, sql.toUtf8().constData());
        const ExecStatusType status = PQresultStatus(result);
        if (status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK) {
            r.rows = status == PGRES_TUPLES_OK ? PQntuples(result) : QByteArray(PQcmdTuples(result)).toInt();
        } else {
            r.state = QString::fromLatin1(PQresultErrorField(result, PG_DIAG_SQLSTATE));
            r.message = QString::fromUtf8(PQresultErrorMessage(result)).trimmed();
        }
        PQclear(result);
        return r;
    }

  private:
    PGconn* conn_;
};

class GuardTest : public ::testing::Test {
  protected:
    void SetUp() override {
        tdb_ = TestDatabase::Create(Backend::PostgreSQL);
        if (!tdb_)
            GTEST_SKIP();
        platform::SeedDemo(db());
        platform::AddUser(db(), QStringLiteral("guard_a"), Rights::All & ~Rights::Audit);
        platform::AddUser(db(), QStringLiteral("guard_b"), Rights::All);
        a = platform::LoginSession::FindUserId(db(), QStringLiteral("guard_a"));
        b = platform::LoginSession::FindUserId(db(), QStringLiteral("guard_b"));
        bill = LargestFirstOperations(db(), 1).value(0);
        wb = db().Scalar(QStringLiteral("SELECT FWBInterID FROM SHWorkBillEntry WHERE FWorkBillNO = ?"),
                         {bill})
                 .toInt();
    }
    platform::Database& db() { return *tdb_->db(); }

    // What a clerk's acts could change: the reports, the work bills, users and rights, held
    // work bills, the log, the switches, the layouts, and who is a member of which role.
    QString Snapshot() {
        QStringList tables;
        for (const char* sql :
             {"SELECT * FROM SHProcRpt", "SELECT * FROM SHWorkBillEntry", "SELECT * FROM t_User",
              "SELECT * FROM t_UserRight", "SELECT FTaskID, FKey, FUserID, FBackendPID FROM t_FuncTask",
              "SELECT * FROM t_FuncTaskRelease", "SELECT * FROM t_UsageLog", "SELECT * FROM t_SystemProfile",
              "SELECT * FROM SHRptDef",
              "SELECT g.rolname, u.rolname, u.rolcanlogin, u.rolpassword FROM pg_auth_members m JOIN "
              "pg_authid "
              "g ON g.oid = m.roleid JOIN pg_authid u ON u.oid = m.member WHERE u.rolname LIKE 'guard%'"}) {
            QStringList rows;
            for (RecordsetPtr rs = db().Query(QString::fromLatin1(sql)); !rs->Eof(); rs->MoveNext()) {
                QStringList fields;
                for (int i = 0; i < rs->FieldCount(); ++i) fields << Basic::Text(rs->Field(i));
                rows << fields.join(u'|');
            }
            rows.sort();
            tables << QString::fromLatin1(sql) + u'\n' + rows.join(u'\n');
        }
        return tables.join(QStringLiteral("\n\n"));
    }

    // Each act is refused by the server, or changes no row; together they change nothing.
    void ExpectAllRefused(RawSession& clerk, const std::vector<std::pair<const char*, QString>>& acts) {
        const QString before = Snapshot();
        for (const auto& [what, sql] : acts) {
            const RawSession::Result r = clerk.Run(sql);
            EXPECT_TRUE(!r.state.isEmpty() || r.rows == 0) << what << ": " << sql.toStdString();
        }
        const QStringList was = before.split(u'\n'), is = Snapshot().split(u'\n');
        for (const QString& line : is) EXPECT_TRUE(was.contains(line)) << "new: " << line.toStdString();
        for (const QString& line : was) EXPECT_TRUE(is.contains(line)) << "gone: " << line.toStdString();
    }

    std::unique_ptr<TestDatabase> tdb_;
    qint32 a = 0, b = 0, wb = 0;
    QString bill;
};

TEST_F(GuardTest, AClerkPastTheWorkbenchCanDoNothingTheWorkbenchWouldRefuse) {
    // Clerk A, without the audit right, saves two reports in the workbench as its own role.
    {
        HeadlessStation<ScriptedUi> s(tdb_->OpenAs(QStringLiteral("guard_a")), a, QStringLiteral("guard_a"));
        for (int i = 0; i < 2; ++i) {
            const int row = s.First() + i;
            ASSERT_TRUE(s.TypeText(row, C::GPH, bill)) << s.ui.MessageTexts().join(u'\n').toStdString();
            for (C code : {C::JSS, C::SZS, C::HGS}) ASSERT_TRUE(s.TypeText(row, code, QStringLiteral("2")));
        }
        s.form->Dispatch(Tool::FileSave());
        ASSERT_FALSE(s.state().modified) << s.ui.MessageTexts().join(u'\n').toStdString();
    }
    const QStringList serials = Values(db().Query(
        QStringLiteral(
            "SELECT Fserial FROM SHProcRpt WHERE FWBInterID = ? AND FbillerID = ? ORDER BY Fserial"),
        {wb, a}));
    ASSERT_EQ(serials.size(), 2);
    const QString rpt = QStringLiteral("FWBInterID = %1 AND Fserial = %2").arg(wb).arg(serials[0]);
    // Another work bill that a clerk's workbench may close: nothing planned, no draft.
    const qint32 closable =
        db().Scalar(QStringLiteral("SELECT MAX(FWBInterID) FROM SHWorkBillEntry WHERE FStatus IN (1, 2) AND "
                                   "FWBInterID NOT IN (SELECT FWBInterID FROM SHProcRpt)"))
            .toInt();
    db().Exec(QStringLiteral("UPDATE SHWorkBillEntry SET FAuxQtyPlan = 0 WHERE FWBInterID = ?"), {closable});

    // Clerk B holds the work bill in edit mode on its workstation meanwhile.
    HeadlessStation<ScriptedUi> station(tdb_->OpenAs(QStringLiteral("guard_b")), b,
                                        QStringLiteral("guard_b"));
    ASSERT_TRUE(station.Open(wb));
    const QString pid = db().Scalar(QStringLiteral("SELECT FBackendPID FROM t_FuncTask WHERE FKey = ?"),
                                    {QString::number(wb)})
                            .toString();
    ASSERT_FALSE(pid.isEmpty());
    const auto role = [&](const char* kind) {
        return platform::PgGuard::QuoteIdent(platform::PgGuard::RoleName(
            db().Scalar(QStringLiteral("SELECT current_database()")).toString(), kind));
    };

    RawSession clerk(tdb_->UrlAs(QStringLiteral("guard_a")));
    ASSERT_TRUE(clerk.Ok());
    const QString insert = QStringLiteral(
        "INSERT INTO SHProcRpt (FWBInterID, Fserial, FbillerID, Fstatus) VALUES (%1, 900, %2, %3)");
    ExpectAllRefused(
        clerk,
        {
            {"a report under another biller", insert.arg(wb).arg(b).arg(0)},
            {"a report audited when made", insert.arg(wb).arg(a).arg(1)},
            {"an audit by hand", QStringLiteral("UPDATE SHProcRpt SET Fstatus = 1 WHERE ") + rpt},
            {"a checker by hand", QStringLiteral("UPDATE SHProcRpt SET FcheckerID = %1 WHERE ").arg(a) + rpt},
            {"another biller by hand",
             QStringLiteral("UPDATE SHProcRpt SET FbillerID = %1 WHERE ").arg(b) + rpt},
            {"an audit through the posting function",
             QStringLiteral("SELECT * FROM sp_post_report(%1, %2, 1, %3)").arg(wb).arg(serials[0]).arg(a)},
            {"posted quantities by hand",
             QStringLiteral("UPDATE SHWorkBillEntry SET FauxQtyPass = FauxQtyPass + 1 WHERE FWBInterID = %1")
                 .arg(wb)},
            {"posted quantities while closing",
             QStringLiteral("UPDATE SHWorkBillEntry SET FStatus = 3, FauxQtyPass = FauxQtyPass + 1 WHERE "
                            "FWBInterID = %1")
                 .arg(closable)},
            {"a work bill with drafts closed",
             QStringLiteral("UPDATE SHWorkBillEntry SET FStatus = 3 WHERE FWBInterID = %1").arg(wb)},
            {"a user", QStringLiteral("INSERT INTO t_User (FUserID, FName) VALUES (99, 'mallory')")},
            {"a right", QStringLiteral("UPDATE t_UserRight SET FRights = -1")},
            {"a right as a role", QStringLiteral("GRANT %1 TO guard_a").arg(role("audit"))},
            {"an administrator", QStringLiteral("GRANT %1 TO guard_a").arg(role("admins"))},
            {"the receive switch", QStringLiteral("UPDATE t_SystemProfile SET FValue = '0'")},
            {"another's task row removed", QStringLiteral("DELETE FROM t_FuncTask")},
            {"another's task row taken", QStringLiteral("UPDATE t_FuncTask SET FUserID = %1").arg(a)},
            {"a release recorded",
             QStringLiteral("INSERT INTO t_FuncTaskRelease (FSubSys, FFunction, FKey, FHolder, FComputer, "
                            "FReleased, FReleasedBy) SELECT FSubSys, FFunction, FKey, FHolder, FComputer, "
                            "now(), 'guard_a' FROM t_FuncTask")},
            {"another's session ended", QStringLiteral("SELECT pg_terminate_backend(%1)").arg(pid)},
            {"another's session ended by the release function",
             QStringLiteral("SELECT sp_end_task_session(%1)").arg(pid)},
            {"another's password", QStringLiteral("ALTER ROLE guard_b PASSWORD 'taken'")},
            {"another's password by the function",
             QStringLiteral("SELECT sp_set_password('guard_b', 'SCRAM-SHA-256$4096:x')")},
            {"a leaver made of another", QStringLiteral("SELECT sp_disable_user('guard_b')")},
            {"a log line under another's name",
             QStringLiteral(
                 "INSERT INTO t_UsageLog (FUserID, FFunctionCode, FAction, FTime, FComputer) VALUES "
                 "(%1, 'CJ1000', 1, now(), 'x')")
                 .arg(b)},
            {"another's column layout",
             QStringLiteral("UPDATE SHRptDef SET Fwidth = 1 WHERE FuserID = %1").arg(b)},
            {"a table of one's own", QStringLiteral("CREATE TABLE mine (x integer)")},
            {"a temporary table shadowing the users",
             QStringLiteral("CREATE TEMP TABLE t_User (FUserID integer, FName text)")},
        });

    // What the workbench lets A do directly stays possible: a draft of its own, deleted again.
    EXPECT_EQ(clerk.Run(insert.arg(wb).arg(a).arg(0)).rows, 1);
    EXPECT_EQ(
        clerk.Run(QStringLiteral("DELETE FROM SHProcRpt WHERE FWBInterID = %1 AND Fserial = 900").arg(wb))
            .rows,
        1);

    // Clerk B, with the audit right, audits both in the workbench: the database posts them.
    const auto rowOf = [&](const QString& serial) {
        for (int r = station.First(); r <= station.grid().Rows(); ++r)
            if (station.Cell(r, C::HBXH) == serial)
                return r;
        return 0;
    };
    ASSERT_EQ(rowOf(serials[1]), rowOf(serials[0]) + 1);
    station.ui.answers = {MsgAnswer::Yes, MsgAnswer::Yes};
    station.grid().SelectRows(rowOf(serials[0]), rowOf(serials[1]), station.Col(C::HBXH));
    station.form->Dispatch(Tool::Audit());
    EXPECT_EQ(
        db().Scalar(QStringLiteral("SELECT COUNT(*) FROM SHProcRpt WHERE FWBInterID = ? AND Fstatus = 1 "
                                   "AND FcheckerID = ?"),
                    {wb, b})
            .toInt(),
        2)
        << station.ui.MessageTexts().join(u'\n').toStdString();
    ExpectPostedMatchesAudited(db(), wb);

    // An audited report is beyond A's reach: neither changed, deleted nor unaudited.
    ExpectAllRefused(
        clerk,
        {
            {"an audited report changed",
             QStringLiteral("UPDATE SHProcRpt SET FAuxQtyPass = 0 WHERE ") + rpt},
            {"an audited report deleted", QStringLiteral("DELETE FROM SHProcRpt WHERE ") + rpt},
            {"an unaudit through the posting function",
             QStringLiteral("SELECT * FROM sp_post_report(%1, %2, -1, %3)").arg(wb).arg(serials[0]).arg(a)},
        });
}

}  // namespace
}  // namespace sp::test
