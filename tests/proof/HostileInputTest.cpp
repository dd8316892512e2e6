// Hostile text through every place a clerk can type or paste into, and every file and
// argument the program reads: the real workbench, its real parts and the platform's
// stand-ins over a fresh database. Each string is either kept exactly as typed, or
// refused with a message; no statement is broken or extended by it, and the sentinel
// table and the report tables survive.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSet>
#include <cmath>

#include "app/component/DefaultWorkbenchParts.h"
#include "platform/middletier/MiddleTierRegistration.h"
#include "src/common/Basic.h"
#include "src/common/ErrorLog.h"
#include "src/filters/Texts.h"
#include "src/filters/frmWageFilter.h"
#include "src/reportgrid/ReportColumns.h"
#include "src/reportgrid/frmInfoFilter.h"
#include "src/workbench/WorkbenchToolbar.h"
#include "src/workbench/frmProc.h"
#include "tests/proof/Station.h"
#include "tests/support/BackendTest.h"

namespace sp::test {
namespace {

using namespace Qt::StringLiterals;
using C = ReportCode;

struct Hostile {
    const char* name;
    QString text;
};

const std::vector<Hostile>& Strings() {
    static const std::vector<Hostile> strings = [] {
        QString nul = u"a"_s;
        nul += QChar(0);
        nul += u"b' OR '1'='1"_s;
        return std::vector<Hostile>{
            {"quote", u"O'Neil"_s},
            {"double quote", u"say \"hi\""_s},
            {"drop table", u"'; drop table SHProcRpt; --"_s},
            {"wildcards", u"50% _x_"_s},
            {"backslash", u"C:\\tmp\\'"_s},
            {"backslash quote", u"\\'); DROP TABLE sentinel; --"_s},
            {"nul", nul},
            {"10000 characters", QString(10000, u'W')},
            {"right to left", u"\u202Eعامل שלום"_s},
            {"emoji", u"\U0001F600\U0001F527 ok"_s},
        };
    }();
    return strings;
}

// What a database says when a statement was cut or extended by the text in it.
bool Broken(const QString& text) {
    static const QStringList signs{u"syntax error"_s,  u"unrecognized token"_s,  u"incomplete input"_s,
                                   u"unterminated"_s,  u"multiple statements"_s, u"near \""_s,
                                   u"no such table"_s, u"relation \""_s};
    return std::any_of(signs.cbegin(), signs.cend(), [&](const QString& s) { return text.contains(s); });
}

// A filter box keeps what it is given except quotes and control characters.
QString InBox(QString text) { return text.remove(u'\'').remove(QChar(0)); }

int PlanIndex(const frmWageFilter& dialog, const QString& name) {
    for (int i = 0; i < dialog.lvwProject().Count(); ++i)
        if (dialog.lvwProject().At(i).text == name)
            return i;
    return -1;
}

// Tallies of the whole run, printed once at the end.
struct Tally {
    QSet<QString> inputs, entries;
    int messages = 0, broken = 0;
};
Tally tally;

class Summary : public ::testing::Environment {
  public:
    void TearDown() override {
        if (tally.entries.isEmpty())
            return;
        std::printf(
            "[proof] hostile input: %lld inputs x %lld entry points tried, %d messages, %d broken "
            "statements\n",
            static_cast<long long>(tally.inputs.size()), static_cast<long long>(tally.entries.size()),
            tally.messages, tally.broken);
    }
};
[[maybe_unused]] ::testing::Environment* const summary = ::testing::AddGlobalTestEnvironment(new Summary);

class HostileInput : public BackendTest {
  protected:
    void SetUp() override {
        BackendTest::SetUp();
        if (!tdb_)
            return;
        SeedDemo();
        platform::AddUser(db(), u"hq"_s, Rights::All);
        Exec("CREATE TABLE sentinel (v INTEGER)");
        Exec("INSERT INTO sentinel (v) VALUES (7)");
        bill_ = LargestFirstOperations(db(), 1).value(0);
        ErrorLog::SetSink(
            [this](const QString& source, const QString& text) { log_ << source + u": "_s + text; });
        const qint32 user = Scalar("SELECT FUserID FROM t_User WHERE FName = 'hq'").toInt();
        // On PostgreSQL the workbench (and every erp-host run) connects after the database
        // was told to read a backslash in quoted text as an escape, as a server may be set.
        std::shared_ptr<platform::Database> workbench = shared();
        if (GetParam() == Backend::PostgreSQL) {
            db().Exec(u"ALTER DATABASE %1 SET standard_conforming_strings = off"_s.arg(
                platform::DatabaseUrl::Parse(tdb_->url()).name));
            workbench = platform::Database::Open(platform::DatabaseUrl::Parse(tdb_->url()),
                                                 platform::SchemaPolicy::Require);
        }
        platform::RegisterPlatform(registry, {workbench, user, u"hq"_s, u"chs"_s, folder.path(), &ui});
        host = std::make_unique<HostServices>(
            ComponentContext{&registry, &ui, folder.path(), folder.path(), 4242});
        platform::InstallLocalSwitchFile(folder.path());
        form_ = LoadWorkbench(*host, user);
    }
    void TearDown() override {
        if (form_)
            ErrorOf([&] { form_->Unload(); });
        form_.reset();
        ErrorLog::SetSink({});
        if (!tdb_)
            return;
        EXPECT_EQ(Scalar("SELECT v FROM sentinel").toInt(), 7) << "the sentinel row survives";
        for (const char* table : {"SHProcRpt", "SHWorkBillEntry", "t_User", "t_UserRight"})
            EXPECT_EQ(ErrorOf([&] { Count(table); }), QString()) << table;
    }

    // One try of one string at one entry point: what the clerk does, then the checks
    // common to all (nothing broken, said or logged), then the entry point's own.
    template <class Try>
    void Attempt(const Hostile& s, const char* entry, Try&& attempt) {
        SCOPED_TRACE(std::string(entry) + " <- " + s.name);
        tally.inputs.insert(QString::fromUtf8(s.name));
        tally.entries.insert(QString::fromUtf8(entry));
        const qsizetype messagesBefore = ui.messages.size(), logBefore = log_.size();
        // The labels keep a failure until the next load: only a new one counts here.
        const QStringList labels{form_->State().lblListText, form_->State().lblProcText};
        ui.answers.assign(8, MsgAnswer::Yes);
        attempt();
        QStringList said = ui.MessageTexts().mid(messagesBefore) + log_.mid(logBefore);
        for (const QString& label : {form_->State().lblListText, form_->State().lblProcText})
            if (!labels.contains(label))
                said << label;
        tally.messages += static_cast<int>(ui.messages.size() - messagesBefore);
        for (const QString& line : said)
            if (Broken(line)) {
                ++tally.broken;
                ADD_FAILURE() << "a statement was broken: " << line.left(400).toStdString();
            }
    }
    bool SaidSomething(qsizetype since) const { return ui.messages.size() > since; }

    GridModel& grid() { return form_->vlgProc(); }
    int Col(C code) { return form_->Parts().ReportColumn(ReportCodeName(code)); }
    int First() { return grid().FixedRows() + 1; }
    bool Type(int row, C code, const QString& text) { return TypeInto(*form_, code, row, text); }
    // A new report of the work bill, its quantities 1, then `code` typed with `text`.
    bool NewReport(C code, const QString& text) {
        form_->Dispatch(Tool::ModeNew());
        form_->Dispatch(Tool::Refresh());
        const int row = First();
        if (code != C::GPH && !Type(row, C::GPH, bill_))
            return false;
        for (C q : {C::JSS, C::SZS, C::HGS, C::YJS}) Type(row, q, u"1"_s);
        const bool typed = Type(row, code, text);
        form_->Dispatch(Tool::FileSave());
        return typed;
    }
    bool Saved() { return !form_->State().modified; }
    int StoredMemo(const QString& memo) {
        // PostgreSQL cannot even be asked about a text holding NUL: then none is stored.
        int n = 0;
        ErrorOf([&] { n = Scalar("SELECT COUNT(*) FROM SHProcRpt WHERE Fmemo = ?", {memo}).toInt(); });
        return n;
    }

    std::unique_ptr<frmProc> form_;
    QString bill_;
    QStringList log_;
};

// The memo is text: stored exactly as typed (or refused with a message), and found again
// through the record filter's memo box; the serial box takes the same strings.
TEST_P(HostileInput, MemoRoundTripsAndTheRecordFilterFindsIt) {
    const qint32 wb = Scalar("SELECT FWBInterID FROM SHWorkBillEntry WHERE FWorkBillNO = ?", {bill_}).toInt();
    for (const Hostile& s : Strings()) {
        bool stored = false;
        Attempt(s, "memo cell", [&] {
            const qsizetype before = ui.messages.size();
            ASSERT_TRUE(NewReport(C::MEMO, s.text));
            // A NUL is no character a memo can hold: the cell drops it, keeps the rest.
            stored = Saved() && StoredMemo(QString(s.text).remove(QChar(0))) == 1;
            EXPECT_TRUE(stored || s.text.size() > 255) << "a memo of ordinary length is text like any other";
            EXPECT_TRUE(stored || SaidSomething(before))
                << "neither stored as typed nor refused; last memo stored: "
                << Scalar("SELECT Fmemo FROM SHProcRpt ORDER BY Fserial DESC LIMIT 1")
                       .toString()
                       .toStdString();
        });
        if (s.text.contains(QChar(0)))
            continue;  // NulBreaksStatements
        Attempt(s, "record filter serial and memo", [&] {
            ui.dialogHandlers[u"frmInfoFilter"_s] = [&](DialogModel& m) {
                auto& dialog = dynamic_cast<frmInfoFilter&>(m);
                dialog.SetTxtItem(0, s.text);
                dialog.SetTxtItem(1, s.text);
                dialog.cmdOK_Click();
            };
            form_->OpenWorkBillForEdit(wb);
            QStringList memos;
            for (int r = First(); r <= grid().Rows(); ++r) memos << grid().CellText(r, Col(C::MEMO));
            if (stored) {
                EXPECT_TRUE(memos.contains(s.text)) << "the stored memo is found by itself";
            }
            ui.dialogHandlers.remove(u"frmInfoFilter"_s);
        });
    }
}

// A NUL pasted into the memo box of the record filter would end the history statement
// inside its LIKE literal; one in a plan name would cut the plan store's statement on
// PostgreSQL, whose text cannot hold a NUL.
TEST_P(HostileInput, NulBreaksNoStatement) {
    const Hostile& nul = Strings().at(5);
    Attempt(nul, "filter boxes and plan name", [&] {
        ui.dialogHandlers[u"frmWageFilter"_s] = [&](DialogModel& m) {
            auto& dialog = dynamic_cast<frmWageFilter&>(m);
            if (PlanIndex(dialog, FilterTexts::DefaultPlan()) < 0)
                dialog.tlbProject_ButtonClick(u"TLBSAVE"_s);
            dialog.lvwProject_ItemClick(PlanIndex(dialog, FilterTexts::DefaultPlan()));
            ui.inputs = {nul.text};
            dialog.tlbProject_ButtonClick(u"TLBSAVE"_s);
            dialog.cmdOK_Click();
        };
        form_->Dispatch(Tool::Filter());
    });
    const qint32 wb = Scalar("SELECT FWBInterID FROM SHWorkBillEntry WHERE FWorkBillNO = ?", {bill_}).toInt();
    Attempt(nul, "record filter serial and memo", [&] {
        ui.dialogHandlers[u"frmInfoFilter"_s] = [&](DialogModel& m) {
            dynamic_cast<frmInfoFilter&>(m).SetTxtItem(1, nul.text);
            dynamic_cast<frmInfoFilter&>(m).cmdOK_Click();
        };
        form_->OpenWorkBillForEdit(wb);
        // Found or not, the records were read.
        EXPECT_FALSE(form_->State().lblProcText.startsWith(u"读取历史工序汇报记录失败"_s))
            << form_->State().lblProcText.left(200).toStdString();
    });
}

// Every cell a clerk types into: text (work bill, worker, team, device), numbers and
// dates. A number that is not one, or not finite, never reaches the database.
TEST_P(HostileInput, ReportCellsTakeOrRefuseEveryString) {
    std::vector<Hostile> strings = Strings();
    for (const char* number : {"1e308", "1e400", "-5", "NaN", "inf", "-inf"})
        strings.push_back({number, QString::fromLatin1(number)});
    const std::pair<const char*, std::vector<C>> groups[] = {
        {"text cells", {C::GPH, C::CZG, C::BZ, C::SYSB}},
        {"numeric cells", {C::SZS, C::HGS, C::JSS, C::YJS, C::FXS, C::YGBFS, C::SZGS, C::ZBGS}},
        {"date cells", {C::ZDRQ, C::SJKGRQ, C::SJWGRQ}}};
    for (const auto& [group, codes] : groups)
        for (C code : codes)
            for (const Hostile& s : strings) Attempt(s, group, [&] { NewReport(code, s.text); });
    const auto rs = Query(
        "SELECT FAuxQtyReceive, FAuxQtyFinish, FAuxQtyPass, FAuxQtyHandOver, FAuxQtyBack, "
        "FAuxQtyScrap, FfinishTime, FreadyTime FROM SHProcRpt");
    for (rs->MoveFirst(); !rs->Eof(); rs->MoveNext())
        for (int f = 0; f < 8; ++f) {
            const QVariant v = rs->Field(f);
            EXPECT_TRUE(!v.isNull() && std::isfinite(v.toDouble()))
                << "stored " << v.toString().toStdString();
        }
    // No report names a worker, team or device that does not exist.
    EXPECT_EQ(Count("SHProcRpt WHERE FworkerID <> 0 AND FworkerID NOT IN (SELECT FItemID FROM t_Emp)"), 0);
}

// The filter dialog's fourteen boxes and a plan name, then OK: the list reloads with the
// bounds; the plan is kept under the name as typed, or refused with a message.
TEST_P(HostileInput, FilterBoxesAndPlanNames) {
    for (const Hostile& s : Strings()) {
        if (GetParam() == Backend::PostgreSQL && s.text.contains(QChar(0)))
            continue;  // NulBreaksStatements
        Attempt(s, "filter boxes and plan name", [&] {
            const qsizetype before = ui.messages.size();
            bool planKept = false;
            ui.dialogHandlers[u"frmWageFilter"_s] = [&](DialogModel& m) {
                auto& dialog = dynamic_cast<frmWageFilter&>(m);
                // Saving over the default plan asks for the new plan's name.
                if (PlanIndex(dialog, FilterTexts::DefaultPlan()) < 0)
                    dialog.tlbProject_ButtonClick(u"TLBSAVE"_s);
                dialog.lvwProject_ItemClick(PlanIndex(dialog, FilterTexts::DefaultPlan()));
                for (int i = 0; i < 14; ++i) EXPECT_EQ(dialog.UserEdit(i, s.text), InBox(s.text));
                ui.inputs = {s.text};
                dialog.tlbProject_ButtonClick(u"TLBSAVE"_s);
                const int plan = PlanIndex(dialog, s.text);
                planKept = plan >= 0;
                if (planKept) {
                    dialog.lvwProject_ItemClick(plan);
                    EXPECT_EQ(dialog.txtItem(13), InBox(s.text)) << "the plan keeps its bounds";
                }
                dialog.cmdOK_Click();
            };
            form_->Dispatch(Tool::Filter());
            ui.dialogHandlers.remove(u"frmWageFilter"_s);
            EXPECT_TRUE(planKept || SaidSomething(before)) << "the plan name is neither kept nor refused";
        });
    }
}

// The files the dialog reads, holding the strings: the settings file's bounds and the
// local list file.
TEST_P(HostileInput, FilesItReads) {
    const QString ini = QDir(folder.path()).filePath(u"Q8SHProcRpt.ini"_s);
    const QString local = QDir(folder.path()).filePath(u"ErpSwitch.sss"_s);
    const auto write = [](const QString& path, const QByteArray& bytes) {
        QFile::remove(path);
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    };
    for (const Hostile& s : Strings()) {
        Attempt(s, "settings file", [&] {
            write(ini, "[Q8SHProcRpt600]\nBWC=" + s.text.toUtf8() + "\nEWC=" + s.text.toUtf8() + '\n');
            const qsizetype before = ui.messages.size();
            QString shown;
            ui.dialogHandlers[u"frmWageFilter"_s] = [&](DialogModel& m) {
                shown = dynamic_cast<frmWageFilter&>(m).txtItem(2);
                dynamic_cast<frmWageFilter&>(m).cmdOK_Click();
            };
            form_->Dispatch(Tool::Filter());
            ui.dialogHandlers.remove(u"frmWageFilter"_s);
            EXPECT_TRUE(shown == InBox(s.text) || SaidSomething(before))
                << "the bound is neither shown nor reported: " << shown.left(80).toStdString();
        });
        Attempt(s, "local list file", [&] {
            write(local, s.text.toUtf8());
            const qsizetype before = ui.messages.size();
            ui.dialogHandlers[u"frmWageFilter"_s] = [&](DialogModel& m) {
                auto& dialog = dynamic_cast<frmWageFilter&>(m);
                dialog.cmdItem_Click(4);  // the production task list reads the file
                dialog.cmdCancel_Click();
            };
            form_->Dispatch(Tool::Filter());
            ui.dialogHandlers.remove(u"frmWageFilter"_s);
            EXPECT_TRUE(SaidSomething(before) || ui.dialogsShown.contains(u"frmList"_s))
                << "a file that is not a list gives a message";
        });
    }
}

// erp-host's command line: a user name to log in with or to add, and a database path.
// A NUL cannot be passed in an argument; the rest either work as documented or fail
// with a reason, never with a crash or a sanitizer report.
TEST_P(HostileInput, CommandLine) {
    const QString host = QFileInfo(QString::fromUtf8(SP_WORKSTATION)).dir().filePath(u"erp-host"_s);
    ASSERT_TRUE(QFileInfo(host).isExecutable()) << host.toStdString();
    const auto run = [&](const QStringList& args, QString& err) {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(u"XDG_DATA_HOME"_s, folder.filePath(u"data"_s));
        env.insert(u"XDG_RUNTIME_DIR"_s, folder.path());
        p.setProcessEnvironment(env);
        p.setWorkingDirectory(folder.path());
        p.start(host, args);
        if (!p.waitForFinished(60000)) {
            p.kill();
            p.waitForFinished();
            return -3;
        }
        err = QString::fromLocal8Bit(p.readAllStandardError());
        return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -2;
    };
    const QString url = tdb_->url();
    for (const Hostile& s : Strings()) {
        if (s.text.contains(QChar(0)))
            continue;
        QString err;
        Attempt(s, "erp-host --user", [&] {
            const int code = run({u"--user"_s, s.text, u"--db"_s, url}, err);
            EXPECT_TRUE(code == 2 || code == 64) << code << " " << err.left(600).toStdString();
            EXPECT_FALSE(err.contains(u"Sanitizer"_s) || err.contains(u"runtime error"_s));
            log_ << err;
        });
        Attempt(s, "erp-host user add", [&] {
            const int code = run({u"user"_s, u"add"_s, s.text, u"--db"_s, url}, err);
            const int kept = Scalar("SELECT COUNT(*) FROM t_User WHERE FName = ?", {s.text}).toInt();
            EXPECT_TRUE((code == 0 && kept == 1) ||
                        ((code == 1 || code == 64) && kept == 0 && !err.isEmpty()))
                << code << " " << err.left(600).toStdString();
            EXPECT_FALSE(err.contains(u"Sanitizer"_s) || err.contains(u"runtime error"_s));
            log_ << err;
        });
        Attempt(s, "erp-host --db", [&] {
            const int code = run({u"user"_s, u"add"_s, u"anna"_s, u"--db"_s, s.text}, err);
            EXPECT_NE(code, 0) << "no database of that name was prepared";
            EXPECT_GT(code, 0) << code << " " << err.left(600).toStdString();
            EXPECT_FALSE(err.isEmpty());
            EXPECT_FALSE(err.contains(u"Sanitizer"_s) || err.contains(u"runtime error"_s));
            log_ << err;
        });
    }
}

SP_INSTANTIATE_BACKENDS(HostileInput);

}  // namespace
}  // namespace sp::test
