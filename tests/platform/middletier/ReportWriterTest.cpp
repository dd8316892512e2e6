#include <QDate>
#include <QRandomGenerator>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <functional>
#include <optional>
#include <thread>

#include "platform/middletier/CallerRights.h"
#include "platform/middletier/OperationLedger.h"
#include "src/common/Basic.h"
#include "src/common/ErrorLog.h"
#include "tests/platform/middletier/MiddleTierFixture.h"

namespace sp::test {
namespace {

class ReportWriterTest : public MiddleTierTest {
  protected:
    // Every posted total equals the sum of the audited reports, on every work bill.
    void ExpectPostedMatchesAudited(const char* when) {
        for (qint32 wb : {WB11, WB12, WB13})
            for (const platform::PostedColumn& c : platform::PostedColumns())
                EXPECT_NEAR(Posted(wb, c.workBill), AuditedSum(wb, c.report), 1e-6)
                    << when << ": work bill " << wb << " column " << c.workBill;
    }
};

TEST_P(ReportWriterTest, SaveAuditUnauditDeleteRoundTrip) {
    ASSERT_TRUE(Save(WB11, 1, {80, 80, 78, 70})) << lastMessage.toStdString();
    ASSERT_TRUE(Save(WB11, 2, {20, 20, 20, 0})) << lastMessage.toStdString();
    EXPECT_EQ(ReportCount(WB11), 2);
    EXPECT_EQ(Posted(WB11, "FAuxQtyRecive"), 0) << "saving posts nothing";

    ASSERT_TRUE(Audit(WB11, 1)) << lastMessage.toStdString();
    ExpectFields(Query("SELECT * FROM SHWorkBillEntry WHERE FWBInterID = 11"),
                 "FAuxQtyRecive=80;FauxQtyPass=78;FauxQtyHandOver=70;FtotalFee=120");
    const RecordsetPtr stamped =
        Query("SELECT Fstatus, FcheckerID, FcheckDate FROM SHProcRpt WHERE FWBInterID = 11 AND Fserial = 1");
    ExpectFields(stamped, "Fstatus=1;FcheckerID=1");
    EXPECT_TRUE(Basic::ToDate(stamped->Field(2)).isValid());

    EXPECT_FALSE(Audit(WB11, 1)) << "a second audit would post twice";
    EXPECT_TRUE(lastMessage.contains(QStringLiteral("WB-11"))) << lastMessage.toStdString();
    EXPECT_FALSE(Delete(WB11, 1)) << "audited reports are never deleted";
    // An audited report is not changed, and a save that holds one stores nothing.
    ReportRecords records;
    records.Add(Record(WB11, QStringLiteral("3"), {5, 5, 5, 0}));
    records.Add(Record(WB11, QStringLiteral("1"), {1, 1, 1, 0}));
    EXPECT_FALSE(SaveAll(records));
    EXPECT_TRUE(lastMessage.contains(QStringLiteral("WB-11"))) << lastMessage.toStdString();
    EXPECT_EQ(ReportCount(WB11), 2);
    EXPECT_EQ(Posted(WB11, "FAuxQtyRecive"), 80);

    ASSERT_TRUE(UnAudit(WB11, 1)) << lastMessage.toStdString();
    ExpectPostedMatchesAudited("after unaudit");
    EXPECT_FALSE(UnAudit(WB11, 1)) << "a draft cannot be unaudited";

    ASSERT_TRUE(Save(WB11, 2, {25, 25, 25, 5})) << "a draft is edited in place";
    ExpectFields(Query("SELECT FAuxQtyReceive FROM SHProcRpt WHERE FWBInterID = 11 AND Fserial = 2"),
                 "FAuxQtyReceive=25");
    ASSERT_TRUE(Delete(WB11, 2)) << lastMessage.toStdString();
    EXPECT_EQ(ReportCount(WB11), 1);
    EXPECT_FALSE(Delete(WB11, 2));
    EXPECT_TRUE(lastMessage.contains(QStringLiteral("WB-11")) && lastMessage.contains(QStringLiteral("2")));
}

// Each statement of each command fails in turn, BEGIN and COMMIT included: the command says
// it failed and the database is exactly as before, or no fault was left to inject and the
// command did its work.
TEST_P(ReportWriterTest, AFaultAtAnyStatementLeavesTheDatabaseAsItWas) {
    ASSERT_TRUE(Save(WB11, 1, {80, 80, 78, 70}));
    ASSERT_TRUE(Save(WB11, 2, {20, 20, 20, 0}));
    ASSERT_TRUE(Audit(WB11, 2));
    const auto snapshot = [&] {
        QStringList rows;
        for (const char* sql : {"SELECT * FROM SHProcRpt ORDER BY FWBInterID, Fserial",
                                "SELECT * FROM SHWorkBillEntry ORDER BY FWBInterID"})
            for (RecordsetPtr rs = Query(sql); !rs->Eof(); rs->MoveNext())
                for (int i = 0; i < rs->FieldCount(); ++i) rows << Basic::Text(rs->Field(i));
        return rows.join(u'|');
    };
    const std::pair<const char*, std::function<bool()>> commands[] = {
        {"save",
         [&] {
             ReportRecords records;
             records.Add(Record(WB11, QStringLiteral("3"), {5, 5, 5, 0}));
             records.Add(Record(WB11, QStringLiteral("1"), {80, 80, 79, 70}));
             return SaveAll(records);
         }},
        {"audit", [&] { return Audit(WB11, 1); }},
        {"unaudit", [&] { return UnAudit(WB11, 2); }},
        {"delete", [&] { return Delete(WB11, 3); }},
    };
    int injected = 0;
    ErrorLog::SetSink([](const QString&, const QString&) {});  // every fault is logged: not here
    for (const auto& [name, command] : commands) {
        const QString before = snapshot();
        for (int n = 1;; ++n) {
            SCOPED_TRACE(std::string(name) + " with statement " + std::to_string(n) + " failing");
            lastMessage.clear();
            platform::Database::FailStatementAfter(n);
            const bool done = command();
            if (platform::Database::FailStatementAfter(0) > 0) {
                ASSERT_TRUE(done) << lastMessage.toStdString();
                EXPECT_NE(snapshot(), before);
                break;
            }
            ++injected;
            EXPECT_FALSE(done);
            EXPECT_FALSE(lastMessage.isEmpty());
            ASSERT_EQ(snapshot(), before);
        }
        ExpectPostedMatchesAudited(name);
    }
    ErrorLog::SetSink(nullptr);
    std::printf("[proof] %s: %d statement faults injected into save, audit, unaudit and delete\n",
                GetParam() == Backend::PostgreSQL ? "PostgreSQL" : "SQLite", injected);
}

// Each row spoils one field of the third record of a save (no value: leaves it out); the
// message names the fault.
TEST_P(ReportWriterTest, RefusedThirdRecordLeavesNothingStored) {
    // field, value, part of the message
    const std::tuple<const char*, std::optional<QVariant>, const char*> cases[] = {
        {"Fserial", QStringLiteral("3a"), "3a"},
        {"Fserial", QStringLiteral("0"), "汇报序号"},
        {"Fserial", QStringLiteral("1"), "多次"},  // twice in one save
        {"FWBinterID", 999, "999"},
        {"FWBinterID", WB21, "WB-21"},  // closed task
        {"FWBinterID", WB41, "WB-41"},  // suspended work bill
        {"FAuxQtyPass", -1.0, "合格数"},
        {"FwaitTooltime", -0.5, "待工具工时"},
        {"FAuxQtyfinish", 2e12, "1E+12"},
        {"FauxQtyReceive", -2e12, "1E+12"},
        {"FAuxQtyfinish", QStringLiteral("12x"), "实作数"},
        {"FEndWorkDate", QDate(1899, 12, 31), "实际完工日期"},
        {"Fdate", QStringLiteral("31.02.2026"), "制单日期"},
        {"FstartWorkDate", QDate(2026, 3, 1), "开工"},  // after the end
        // Ids and serials are whole 32-bit numbers, never rounded or clamped.
        {"Fserial", QStringLiteral("1.5"), "1.5"},
        {"Fserial", QStringLiteral("99999999999"), "99999999999"},
        {"FWBinterID", QStringLiteral("11.5"), "工序计划单内码"},
        {"FworkerID", 1.5, "操作工"},
        {"FteamID", QStringLiteral("99999999999"), "班组"},
        // No text holds a control character.
        {"Fmemo", QStringLiteral("a\rb"), "备注"},
        {"Fmemo", QStringLiteral("a\nb"), "备注"},
        {"Fmemo", QStringLiteral("a\tb"), "备注"},
        {"Fmemo", QString(QChar(0)) + QStringLiteral("b"), "备注"},
        {"Fmemo", QStringLiteral("a\x1f"), "备注"},
        {"Fserial", QStringLiteral("3\t"), "汇报序号"},
        {"FEndWorkDate", QStringLiteral("2026-02-02\n"), "实际完工日期"},
        // An unknown key, a needed one missing or one given twice: the save would read a blank.
        {"FAuxQtyFinsh", 5.0, "第 3 条汇报记录：含有未知字段“FAuxQtyFinsh”"},
        {"FAuxQtyPass", std::nullopt, "第 3 条汇报记录：缺少字段“FAuxQtyPass”"},
        {"Fdate", std::nullopt, "缺少字段“Fdate”"},
        {"FMEMO", QStringLiteral("b"), "“Fmemo”出现多次"},
        {"", QVariant(), "第 3 条"},  // the record itself missing
    };
    for (const auto& [field, value, expected] : cases) {
        SCOPED_TRACE(std::string(field) + " = " + (value ? value->toString().toStdString() : "(left out)"));
        ReportRecords records;
        records.Add(Record(WB11, QStringLiteral("1"), {10, 10, 10, 5}));
        records.Add(Record(WB12, QStringLiteral("1"), {5, 5, 5, 0}));
        DictionaryPtr third = Record(WB11, QStringLiteral("3"), {1, 1, 1, 0});
        if (value)
            third->Set(QString::fromLatin1(field), *value);
        else
            third->Remove(QString::fromLatin1(field));
        records.Add(*field ? third : DictionaryPtr());
        EXPECT_FALSE(SaveAll(records));
        EXPECT_TRUE(lastMessage.contains(QString::fromUtf8(expected))) << lastMessage.toStdString();
        EXPECT_EQ(ReportCount(WB11) + ReportCount(WB12), 0);
    }
    // Corrections: received and handed over may be negative. A key in other letter case is
    // read all the same; the biller, which the service does not read, may be left out.
    ReportRecords ok;
    DictionaryPtr seventh = ok.Add(Record(WB11, QStringLiteral(" 7 "), {-3, 0, 0, -2}));
    seventh->Remove(QStringLiteral("FbillerID"));
    seventh->Remove(QStringLiteral("FauxQtyReceive"));
    seventh->Set(QStringLiteral("FAUXQTYRECEIVE"), -3.0);
    EXPECT_TRUE(SaveAll(ok)) << lastMessage.toStdString();
    ExpectFields(Query("SELECT * FROM SHProcRpt"), "Fserial=7;FAuxQtyReceive=-3");
}

TEST_P(ReportWriterTest, SerialStoredByAnotherWorkstationMeanwhileIsRefusedNotOverwritten) {
    // The other workstation's save is under way (its transaction holds the new row)
    // when ours classifies serial 5 as new; ours must then fail on the key, not
    // overwrite the other report, whether or not our record says it is new.
    for (const bool flagged : {false, true}) {
        SCOPED_TRACE(flagged ? "FIsNew" : "no flag");
        Exec("DELETE FROM SHProcRpt");
        std::atomic<bool> inserted{false};
        std::thread other([&] {
            platform::Transaction t(db());
            Exec(
                "INSERT INTO SHProcRpt (FWBInterID, Fserial, FAuxQtyReceive, Fmemo) "
                "VALUES (11, 5, 4, 'other workstation')");
            inserted = true;
            std::this_thread::sleep_for(std::chrono::milliseconds(500));
            t.Commit();
        });
        while (!inserted) std::this_thread::sleep_for(std::chrono::milliseconds(5));
        ReportRecords records;
        records.Add(Record(WB11, QStringLiteral("4"), {1, 1, 1, 0}, QStringLiteral("ours")));
        records.Add(Record(WB11, QStringLiteral("5"), {9, 9, 9, 0}, QStringLiteral("ours")));
        if (flagged)
            records.Item(2)->Set(QStringLiteral("FIsNew"), true);
        const bool saved = SaveAll(records);
        other.join();
        EXPECT_FALSE(saved);
        EXPECT_TRUE(lastMessage.contains(QStringLiteral("WB-11")) &&
                    lastMessage.contains(QStringLiteral("5")))
            << lastMessage.toStdString();
        EXPECT_EQ(Basic::Text(Scalar("SELECT Fmemo FROM SHProcRpt WHERE FWBInterID = 11 AND Fserial = 5")),
                  QStringLiteral("other workstation"));
        EXPECT_EQ(ReportCount(WB11), 1) << "serial 4 of the refused save is not kept";
    }

    // A record that says it is new is never taken for an edit.
    ReportRecords flagged;
    DictionaryPtr again = Record(WB11, QStringLiteral("5"), {9, 9, 9, 0});
    again->Set(QStringLiteral("FIsNew"), true);
    flagged.Add(again);
    EXPECT_FALSE(SaveAll(flagged));
}

TEST_P(ReportWriterTest, RightsAreCheckedPerCommand) {
    EXPECT_FALSE(Save(WB11, 1, {1, 1, 1, 0}, Viewer));
    EXPECT_EQ(lastMessage, QStringLiteral("没有新增工序汇报的权限。"));
    EXPECT_FALSE(Save(WB11, 1, {1, 1, 1, 0}, Auditor));
    ASSERT_TRUE(Save(WB11, 1, {1, 1, 1, 0}, Clerk));
    EXPECT_FALSE(Save(WB11, 1, {2, 2, 2, 0}, Auditor)) << "changing needs its own right";
    EXPECT_FALSE(Audit(WB11, 1, Viewer));
    EXPECT_FALSE(Delete(WB11, 1, Auditor));
    EXPECT_TRUE(Audit(WB11, 1, Auditor)) << lastMessage.toStdString();
    EXPECT_TRUE(UnAudit(WB11, 1, Auditor)) << lastMessage.toStdString();
    EXPECT_FALSE(update().DelWorkProcRpt(QStringLiteral("UserName=nobody;"), WB11, 1, lastMessage));
    EXPECT_EQ(ReportCount(WB11), 1);
    // With only the new-report right the grid is saved again after adding a row: the
    // draft sent back unchanged (its old memo as the history shows it) is no change, and
    // its memo is left as stored. A real change still needs the right.
    const QString oldMemo = QStringLiteral("a\r\nb\tc");
    Exec("UPDATE SHProcRpt SET Fmemo = ? WHERE FWBInterID = 11 AND Fserial = 1", {oldMemo});
    Exec("UPDATE t_UserRight SET FRights = ? WHERE FUserID = 3", {platform::CallerRights::SaveNew});
    ReportRecords grid;
    grid.Add(Record(WB11, QStringLiteral("1"), {1, 1, 1, 0}, QStringLiteral("a  b c")));
    grid.Add(Record(WB11, QStringLiteral("2"), {2, 2, 2, 0}));
    EXPECT_TRUE(SaveAll(grid, Auditor)) << lastMessage.toStdString();
    EXPECT_EQ(Scalar("SELECT Fmemo FROM SHProcRpt WHERE FWBInterID = 11 AND Fserial = 1").toString(),
              oldMemo);
    grid.Item(1)->Set(QStringLiteral("Fmemo"), QStringLiteral("a b c"));
    EXPECT_FALSE(SaveAll(grid, Auditor));
    EXPECT_EQ(lastMessage, QStringLiteral("没有修改工序汇报的权限。"));
    // A right withdrawn while the workbench is open no longer counts.
    Exec("UPDATE t_UserRight SET FRights = 0 WHERE FUserID = 1");
    EXPECT_FALSE(Delete(WB11, 1, Clerk));
}

// New reports are billed to the caller and audits checked by the caller, whatever the
// record or the argument says; an edit keeps the biller. A report may start and end on
// the same day.
TEST_P(ReportWriterTest, BillerAndCheckerAreTheCaller) {
    Exec("UPDATE t_UserRight SET FRights = 4390913 WHERE FUserID = 3");
    ReportRecords records;
    DictionaryPtr r = records.Add(Record(WB11, QStringLiteral("1"), {4, 4, 4, 0}));
    r->Set(QStringLiteral("FbillerID"), 77);
    r->Set(QStringLiteral("FstartWorkDate"), QDate(2026, 2, 2));
    ASSERT_TRUE(SaveAll(records, Clerk)) << lastMessage.toStdString();
    r->Set(QStringLiteral("FAuxQtyPass"), 3.0);
    ASSERT_TRUE(SaveAll(records, Auditor)) << lastMessage.toStdString();
    ASSERT_TRUE(update().AuditWorkProcRpt(Props(Auditor), WB11, 1, 77, lastMessage))
        << lastMessage.toStdString();
    ExpectFields(Query("SELECT * FROM SHProcRpt"),
                 "FbillerID=1;FcheckerID=3;FAuxQtyPass=3;FstartWorkDate=2026-02-02;FendWorkDate=2026-02-02");
}

// A statement the database refuses (a table dropped under the service) gives the fixed
// message and changes nothing; the database's own text goes to the log only.
TEST_P(ReportWriterTest, TechnicalFailureReadsAsOne) {
    ASSERT_TRUE(Save(WB11, 1, {1, 1, 1, 0}));
    ASSERT_TRUE(Save(WB11, 2, {1, 1, 1, 0}));
    ASSERT_TRUE(Audit(WB11, 2));
    QStringList logged;
    ErrorLog::SetSink([&](const QString& source, const QString& text) { logged << source + u'|' + text; });
    const QString saveFailed = QStringLiteral("数据库操作失败，未保存任何记录（详见日志）。");
    const QString commandFailed = QStringLiteral("数据库操作失败，该记录未做任何更改（详见日志）。");
    // table dropped, command, message
    const std::tuple<const char*, char, QString> cases[] = {
        {"t_SystemProfile", 'A', commandFailed},  // inside the audit's transaction
        {"t_UserRight", 'S', saveFailed},
        {"t_UserRight", 'U', commandFailed},
        {"t_UserRight", 'D', commandFailed},
    };
    for (const auto& [table, command, message] : cases) {
        SCOPED_TRACE(std::string(table) + " " + command);
        db().Exec(QStringLiteral("DROP TABLE IF EXISTS %1").arg(QLatin1String(table)));
        logged.clear();
        const bool done = command == 'A'   ? Audit(WB11, 1)
                          : command == 'S' ? Save(WB11, 3, {1, 1, 1, 0})
                          : command == 'U' ? UnAudit(WB11, 2)
                                           : Delete(WB11, 1);
        EXPECT_FALSE(done);
        EXPECT_EQ(lastMessage, message);
        EXPECT_TRUE(logged.size() == 1 && logged[0].startsWith(QStringLiteral("Q8MShopProc.MShopProcSet|")) &&
                    logged[0].contains(QLatin1String(table), Qt::CaseInsensitive))
            << logged.join(u'\n').toStdString();
    }
    ErrorLog::SetSink(nullptr);
    EXPECT_EQ(Values(Query("SELECT Fstatus FROM SHProcRpt ORDER BY Fserial")), Words("0,1"));
    EXPECT_EQ(Posted(WB11, "FAuxQtyRecive"), 1);
}

TEST_P(ReportWriterTest, RandomCommandsKeepPostingEqualToAuditedReports) {
    QRandomGenerator random(20261206);
    const qint32 bills[] = {WB11, WB12, WB13};
    int nextSerial[3] = {1, 1, 1};
    int accepted = 0;
    for (int step = 0; step < 250; ++step) {
        const int b = random.bounded(3);
        const qint32 wb = bills[b];
        const int serial = 1 + random.bounded(nextSerial[b]);
        const int command = random.bounded(4);
        if (command == 0) {
            const double receive = random.bounded(30) - 3;  // now and then a correction
            const double finish = std::max(0.0, receive);
            const double pass = std::floor(finish * 0.9);
            const int s = random.bounded(3) == 0 ? serial : nextSerial[b];
            if (Save(wb, s, {receive, finish, pass, std::floor(pass * random.bounded(100) / 100.0)})) {
                ++accepted;
                nextSerial[b] = std::max(nextSerial[b], s + 1);
            }
        } else {
            accepted += command == 1   ? Audit(wb, serial)
                        : command == 2 ? UnAudit(wb, serial)
                                       : Delete(wb, serial);
        }
        if (step % 5 == 4 || step == 249)
            ExpectPostedMatchesAudited("random sequence");
        if (HasFailure())
            FAIL() << "step " << step;
    }
    EXPECT_GT(accepted, 60) << "the sequence should exercise the service, not only its refusals";
    // The limits kept the routing in line, so the consistency check finds nothing.
    EXPECT_TRUE(Consistent());
}

SP_INSTANTIATE_BACKENDS(ReportWriterTest);

}  // namespace
}  // namespace sp::test
