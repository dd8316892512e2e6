#include <QDate>
#include <QScopeGuard>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <functional>
#include <optional>
#include <thread>

#include "platform/db/KeptAnswers.h"
#include "platform/middletier/CallerRights.h"
#include "platform/middletier/Texts.h"
#include "src/common/Basic.h"
#include "src/common/ErrorLog.h"
#include "tests/platform/middletier/MiddleTierFixture.h"
#include "tests/support/StatementFaults.h"

namespace sp::test {
namespace {

using ReportWriterTest = MiddleTierTest;

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
    EXPECT_TRUE(lastMessage.contains(u"WB-11"_s)) << lastMessage.toStdString();
    EXPECT_FALSE(Delete(WB11, 1)) << "audited reports are never deleted";
    EXPECT_TRUE(lastMessage.endsWith(platform::MiddleTierTexts::AuditedCannotDelete()))
        << lastMessage.toStdString();
    // An audited report is not changed, and a save that holds one stores nothing.
    ReportRecords records;
    records.Add(Record(WB11, u"3"_s, {5, 5, 5, 0}));
    records.Add(Record(WB11, u"1"_s, {1, 1, 1, 0}));
    EXPECT_FALSE(SaveAll(records));
    EXPECT_TRUE(lastMessage.contains(u"WB-11"_s)) << lastMessage.toStdString();
    EXPECT_EQ(ReportCount(WB11), 2);
    EXPECT_EQ(Posted(WB11, "FAuxQtyRecive"), 80);

    ASSERT_TRUE(UnAudit(WB11, 1)) << lastMessage.toStdString();
    EXPECT_EQ(PostedMismatches(db()), QStringList());
    EXPECT_FALSE(UnAudit(WB11, 1)) << "a draft cannot be unaudited";

    ASSERT_TRUE(Save(WB11, 2, {25, 25, 25, 5})) << "a draft is edited in place";
    ExpectFields(Query("SELECT FAuxQtyReceive FROM SHProcRpt WHERE FWBInterID = 11 AND Fserial = 2"),
                 "FAuxQtyReceive=25");
    ASSERT_TRUE(Delete(WB11, 2)) << lastMessage.toStdString();
    EXPECT_EQ(ReportCount(WB11), 1);
    EXPECT_FALSE(Delete(WB11, 2));
    EXPECT_TRUE(lastMessage.contains(u"WB-11"_s) && lastMessage.contains(u"2"_s) &&
                lastMessage.endsWith(platform::MiddleTierTexts::ReportNotFound()))
        << lastMessage.toStdString();
}

// A command on several reports answers, report by report and in order, as the single-report
// methods answer one after the other; on PostgreSQL also when the database lacks the batch
// function (a database not brought up to date yet).
TEST_P(ReportWriterTest, ACommandOnSeveralReportsAnswersAsOneReportAtATime) {
    using A = IMShopProcSet::Action;
    const std::vector<IMShopProcSet::Report> reports{{WB11, 1}, {WB11, 2}, {WB11, 9}, {WB11, 3}};
    const auto one = [&](A action, qint32 serial) {
        return action == A::Audit     ? Audit(WB11, serial)
               : action == A::UnAudit ? UnAudit(WB11, serial)
                                      : Delete(WB11, serial);
    };
    using Answers = std::vector<std::pair<bool, QString>>;
    const auto compare = [&](A action, const std::function<void()>& undo) {
        Answers singly, batched;
        for (const auto& r : reports) singly.push_back({one(action, r.serial), lastMessage});
        undo();
        for (const auto& o : update().ActOnWorkProcRpts(Props(Clerk), action, reports, Clerk))
            batched.push_back({o.done, o.message});
        EXPECT_EQ(batched, singly) << static_cast<int>(action);
        EXPECT_EQ(PostedMismatches(db()), QStringList());
    };
    for (const qint32 serial : {1, 2, 3}) ASSERT_TRUE(Save(WB11, serial, {1, 1, 1, 0}));
    ASSERT_TRUE(Audit(WB11, 2));
    for (const bool batchFunction : {true, false}) {
        if (!batchFunction) {
            if (GetParam() != Backend::PostgreSQL)
                break;
            Exec("DROP FUNCTION sp_post_reports(integer[], integer[], integer, integer)");
        }
        compare(A::Audit, [&] {  // 1 and 3 done, 2 audited before, 9 unknown
            ASSERT_TRUE(UnAudit(WB11, 1) && UnAudit(WB11, 3));
        });
        compare(A::UnAudit, [&] { ASSERT_TRUE(Audit(WB11, 1) && Audit(WB11, 2) && Audit(WB11, 3)); });
        ASSERT_TRUE(Audit(WB11, 2));
    }
    compare(A::Delete, [&] { ASSERT_TRUE(Save(WB11, 1, {1, 1, 1, 0}) && Save(WB11, 3, {1, 1, 1, 0})); });
    EXPECT_EQ(ReportCount(WB11), 1);
}

// Each statement of each command fails in turn, BEGIN and COMMIT included: the command
// gives the fixed message of a technical failure and the database is exactly as before,
// and the database's own text goes to the log only; past its last statement the command
// does its work.
TEST_P(ReportWriterTest, AFaultAtAnyStatementLeavesTheDatabaseAsItWas) {
    ASSERT_TRUE(Save(WB11, 1, {80, 80, 78, 70}));
    ASSERT_TRUE(Save(WB11, 2, {20, 20, 20, 0}));
    ASSERT_TRUE(Audit(WB11, 2));
    const QString saveFailed = u"数据库操作失败，未保存任何记录（详见日志）。"_s;
    const QString commandFailed = u"数据库操作失败，该记录未做任何更改（详见日志）。"_s;
    const std::tuple<const char*, std::function<bool()>, QString> commands[] = {
        {"save",
         [&] {
             ReportRecords records;
             records.Add(Record(WB11, u"3"_s, {5, 5, 5, 0}));
             records.Add(Record(WB11, u"1"_s, {80, 80, 79, 70}));
             return SaveAll(records);
         },
         saveFailed},
        {"audit", [&] { return Audit(WB11, 1); }, commandFailed},
        {"unaudit", [&] { return UnAudit(WB11, 2); }, commandFailed},
        {"delete", [&] { return Delete(WB11, 3); }, commandFailed},
    };
    StatementFaults faults([&] {
        return Snapshot(db(), {"SELECT * FROM SHProcRpt", "SELECT * FROM SHWorkBillEntry"});
    });
    for (const auto& [name, command, failed] : commands) {
        bool done = false;
        faults.Drive(
            name, [&] { lastMessage.clear(); }, [&] { done = command(); },
            [&](const StatementFaults::Run& run) {
                EXPECT_EQ(done, !run.reached) << lastMessage.toStdString();
                if (run.reached) {
                    EXPECT_EQ(lastMessage, failed);
                    EXPECT_TRUE(faults.logged.size() == 1 &&
                                faults.logged[0].startsWith(u"Q8MShopProc.MShopProcSet|"_s) &&
                                faults.logged[0].contains(u"Injected fault"_s))
                        << faults.logged.join(u'\n').toStdString();
                } else {
                    EXPECT_TRUE(run.changed);
                }
            });
        EXPECT_EQ(PostedMismatches(db()), QStringList()) << name;
    }
    std::printf("[proof] %s: %d statement faults injected into save, audit, unaudit and delete\n",
                BackendName(GetParam()).c_str(), faults.injected);
}

// Each row spoils one field of the third record of a save (no value: leaves it out); the
// message names the fault.
TEST_P(ReportWriterTest, RefusedThirdRecordLeavesNothingStored) {
    // field, value, part of the message
    const std::tuple<const char*, std::optional<QVariant>, const char*> cases[] = {
        // clang-format off
        {"Fserial", u"3a"_s, "3a"}, {"Fserial", u"0"_s, "汇报序号"},
        {"Fserial", u"1"_s, "多次"},  // twice in one save
        {"FWBinterID", 999, "999"},
        {"FWBinterID", WB21, "WB-21"},  // closed task
        {"FWBinterID", WB41, "WB-41"},  // suspended work bill
        {"FAuxQtyPass", -1.0, "合格数"}, {"FwaitTooltime", -0.5, "待工具工时"},
        {"FAuxQtyfinish", 2e12, "1E+12"}, {"FauxQtyReceive", -2e12, "1E+12"},
        {"FAuxQtyfinish", u"12x"_s, "实作数"}, {"FEndWorkDate", QDate(1899, 12, 31), "实际完工日期"},
        {"Fdate", u"31.02.2026"_s, "制单日期"},
        {"FstartWorkDate", QDate(2026, 3, 1), "开工"},  // after the end
        // Ids and serials are whole 32-bit numbers, never rounded or clamped.
        {"Fserial", u"1.5"_s, "1.5"}, {"Fserial", u"99999999999"_s, "99999999999"},
        {"FWBinterID", u"11.5"_s, "工序计划单内码"}, {"FworkerID", 1.5, "操作工"},
        {"FteamID", u"99999999999"_s, "班组"},
        // No text holds a control character.
        {"Fmemo", u"a\rb"_s, "备注"}, {"Fmemo", u"a\nb"_s, "备注"}, {"Fmemo", u"a\tb"_s, "备注"},
        {"Fmemo", QString(QChar(0)) + u"b"_s, "备注"}, {"Fmemo", u"a\x1f"_s, "备注"},
        {"Fserial", u"3\t"_s, "汇报序号"}, {"FEndWorkDate", u"2026-02-02\n"_s, "实际完工日期"},
        // An unknown key, a needed one missing or one given twice: the save would read a blank.
        {"FAuxQtyFinsh", 5.0, "第 3 条汇报记录：含有未知字段“FAuxQtyFinsh”"},
        {"FAuxQtyPass", std::nullopt, "第 3 条汇报记录：缺少字段“FAuxQtyPass”"},
        {"Fdate", std::nullopt, "缺少字段“Fdate”"}, {"FMEMO", u"b"_s, "“Fmemo”出现多次"},
        // clang-format on
        {"", QVariant(), "第 3 条"},  // the record itself missing
    };
    for (const auto& [field, value, expected] : cases) {
        SCOPED_TRACE(std::string(field) + " = " + (value ? value->toString().toStdString() : "(left out)"));
        ReportRecords records;
        records.Add(Record(WB11, u"1"_s, {10, 10, 10, 5}));
        records.Add(Record(WB12, u"1"_s, {5, 5, 5, 0}));
        DictionaryPtr third = Record(WB11, u"3"_s, {1, 1, 1, 0});
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
    DictionaryPtr seventh = ok.Add(Record(WB11, u" 7 "_s, {-3, 0, 0, -2}));
    seventh->Remove(u"FbillerID"_s);
    seventh->Remove(u"FauxQtyReceive"_s);
    seventh->Set(u"FAUXQTYRECEIVE"_s, -3.0);
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
        records.Add(Record(WB11, u"4"_s, {1, 1, 1, 0}, u"ours"_s));
        records.Add(Record(WB11, u"5"_s, {9, 9, 9, 0}, u"ours"_s));
        if (flagged)
            records.Item(2)->Set(u"FIsNew"_s, true);
        const bool saved = SaveAll(records);
        other.join();
        EXPECT_FALSE(saved);
        EXPECT_TRUE(lastMessage.contains(u"WB-11"_s) && lastMessage.contains(u"5"_s))
            << lastMessage.toStdString();
        EXPECT_EQ(Basic::Text(Scalar("SELECT Fmemo FROM SHProcRpt WHERE FWBInterID = 11 AND Fserial = 5")),
                  u"other workstation"_s);
        EXPECT_EQ(ReportCount(WB11), 1) << "serial 4 of the refused save is not kept";
    }

    // A record that says it is new is never taken for an edit.
    ReportRecords flagged;
    DictionaryPtr again = Record(WB11, u"5"_s, {9, 9, 9, 0});
    again->Set(u"FIsNew"_s, true);
    flagged.Add(again);
    EXPECT_FALSE(SaveAll(flagged));
}

TEST_P(ReportWriterTest, RightsAreCheckedPerCommand) {
    EXPECT_FALSE(Save(WB11, 1, {1, 1, 1, 0}, Viewer));
    EXPECT_EQ(lastMessage, u"没有新增工序汇报的权限。"_s);
    EXPECT_FALSE(Save(WB11, 1, {1, 1, 1, 0}, Auditor));
    ASSERT_TRUE(Save(WB11, 1, {1, 1, 1, 0}, Clerk));
    EXPECT_FALSE(Save(WB11, 1, {2, 2, 2, 0}, Auditor)) << "changing needs its own right";
    EXPECT_FALSE(Audit(WB11, 1, Viewer));
    EXPECT_FALSE(Delete(WB11, 1, Auditor));
    EXPECT_TRUE(Audit(WB11, 1, Auditor)) << lastMessage.toStdString();
    EXPECT_TRUE(UnAudit(WB11, 1, Auditor)) << lastMessage.toStdString();
    EXPECT_FALSE(update().DelWorkProcRpt(u"UserName=nobody;"_s, WB11, 1, lastMessage));
    EXPECT_EQ(ReportCount(WB11), 1);
    // With only the new-report right the grid is saved again after adding a row: the
    // draft sent back unchanged (its old memo as the history shows it) is no change, and
    // its memo is left as stored. A real change still needs the right.
    const QString oldMemo = u"a\r\nb\tc"_s;
    Exec("UPDATE SHProcRpt SET Fmemo = ? WHERE FWBInterID = 11 AND Fserial = 1", {oldMemo});
    Exec("UPDATE t_UserRight SET FRights = ? WHERE FUserID = 3", {platform::CallerRights::SaveNew});
    platform::ForgetKeptAnswers();
    ReportRecords grid;
    grid.Add(Record(WB11, u"1"_s, {1, 1, 1, 0}, u"a  b c"_s));
    grid.Add(Record(WB11, u"2"_s, {2, 2, 2, 0}));
    EXPECT_TRUE(SaveAll(grid, Auditor)) << lastMessage.toStdString();
    EXPECT_EQ(Scalar("SELECT Fmemo FROM SHProcRpt WHERE FWBInterID = 11 AND Fserial = 1").toString(),
              oldMemo);
    grid.Item(1)->Set(u"Fmemo"_s, u"a b c"_s);
    EXPECT_FALSE(SaveAll(grid, Auditor));
    EXPECT_EQ(lastMessage, u"没有修改工序汇报的权限。"_s);
    // A right withdrawn while the workbench is open no longer counts once the kept rights
    // are dropped (after a few seconds).
    Exec("UPDATE t_UserRight SET FRights = 0 WHERE FUserID = 1");
    platform::ForgetKeptAnswers();
    EXPECT_FALSE(Delete(WB11, 1, Clerk));
}

// New reports are billed to the caller and audits checked by the caller, whatever the
// record or the argument says; an edit keeps the biller. A report may start and end on
// the same day.
TEST_P(ReportWriterTest, BillerAndCheckerAreTheCaller) {
    Exec("UPDATE t_UserRight SET FRights = 4390913 WHERE FUserID = 3");
    ReportRecords records;
    DictionaryPtr r = records.Add(Record(WB11, u"1"_s, {4, 4, 4, 0}));
    r->Set(u"FbillerID"_s, 77);
    r->Set(u"FstartWorkDate"_s, QDate(2026, 2, 2));
    ASSERT_TRUE(SaveAll(records, Clerk)) << lastMessage.toStdString();
    r->Set(u"FAuxQtyPass"_s, 3.0);
    ASSERT_TRUE(SaveAll(records, Auditor)) << lastMessage.toStdString();
    ASSERT_TRUE(update().AuditWorkProcRpt(Props(Auditor), WB11, 1, 77, lastMessage))
        << lastMessage.toStdString();
    ExpectFields(Query("SELECT * FROM SHProcRpt"),
                 "FbillerID=1;FcheckerID=3;FAuxQtyPass=3;FstartWorkDate=2026-02-02;FendWorkDate=2026-02-02");
}

SP_INSTANTIATE_BACKENDS(ReportWriterTest);

// The routing's limits, as the client and the service keep them.
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
            EXPECT_EQ(PostedMismatches(db()), QStringList());
        }
        // The limits keep the routing in line: the consistency check finds nothing.
        EXPECT_TRUE(Consistent());
    }
};

// The ordinary life of two operations, command by command: what the client's check
// decides with our limits, and what the service then does. WB-11 (first operation, plan
// 100) receives 100 and hands 60 over; WB-12 takes the 60.
TEST_P(LimitsTest, OrdinaryCommandsPassAndRealViolationsAreRefused) {
    // Before any report the first operation receives the plan, the last hands over to nobody.
    EXPECT_EQ(std::tuple(query().GetControlReceiveQty(Props(Clerk), 1001, 101),
                         query().GetControlReceiveQty(Props(Clerk), 1001, 102),
                         query().GetControlHandOverQty(Props(Clerk), 1001, 103)),
              std::tuple(100, 0, 0));
    EXPECT_THROW(query().GetControlReceiveQty(Props(Clerk), 1001, 999), ComError);
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
        {false, QVariant(), false, false}, {true, QVariant(), false, false}, {true, u"1"_s, false, false},
        {true, u"0"_s, true, false},       {true, u"yes"_s, true, true},
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
        EXPECT_EQ(logged.filter(u"The system switch SH/SHOPPROC_CONTROLRECEIVE holds \"yes\""_s).isEmpty(),
                  !log)
            << logged.join(u'\n').toStdString();
        if (accepted) {
            EXPECT_EQ(Posted(WB12, "FAuxQtyRecive"), 5);
            ASSERT_TRUE(UnAudit(WB12, 1)) << "for the next case";
        }
    }
}

SP_INSTANTIATE_BACKENDS(LimitsTest);

}  // namespace
}  // namespace sp::test
