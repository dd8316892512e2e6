// Hostile text through every place a clerk can type or paste into: the real workbench, its
// real parts and the platform's stand-ins over a fresh database. Each string is either kept exactly as typed,
// or refused with a message; no statement is broken or extended by it, and the sentinel table and the report
// tables survive.
#include <cmath>

#include "src/common/ErrorLog.h"
#include "src/filters/Texts.h"
#include "src/filters/frmWageFilter.h"
#include "src/reportgrid/frmInfoFilter.h"
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
    static const std::vector<Hostile> strings{
        // clang-format off
        {"quote", u"O'Neil"_s}, {"double quote", u"say \"hi\""_s},
        {"drop table", u"'; drop table SHProcRpt; --"_s}, {"wildcards", u"50% _x_"_s},
        {"backslash", u"C:\\tmp\\'"_s}, {"backslash quote", u"\\'); DROP TABLE sentinel; --"_s},
        {"nul", u"a"_s + QChar(0) + u"b' OR '1'='1"_s}, {"10000 characters", QString(10000, u'W')},
        {"right to left", u"\u202Eعامل שלום"_s}, {"emoji", u"\U0001F600\U0001F527 ok"_s},
        // clang-format on
    };
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

class HostileInput : public DemoShopTest {
  protected:
    void SetUp() override {
        DemoShopTest::SetUp();
        if (!tdb_)
            return;
        Exec("CREATE TABLE sentinel (v INTEGER)");
        Exec("INSERT INTO sentinel (v) VALUES (7)");
        ErrorLog::SetSink(
            [this](const QString& source, const QString& text) { log_ << source + u": "_s + text; });
        // On PostgreSQL the workbench (and every erp-host run) connects after the database
        // was told to read a backslash in quoted text as an escape, as a server may be set.
        std::shared_ptr<platform::Database> workbench = shared();
        if (GetParam() == Backend::PostgreSQL) {
            db().Exec(u"ALTER DATABASE %1 SET standard_conforming_strings = off"_s.arg(tdb_->name()));
            workbench = platform::Database::Open(platform::DatabaseUrl::Parse(tdb_->url()),
                                                 platform::SchemaPolicy::Require);
        }
        st = std::make_unique<HeadlessStation<ScriptedUi>>(workbench, shop.users[0], u"clerk1"_s);
    }
    void TearDown() override {
        st.reset();
        ErrorLog::SetSink({});
        if (!tdb_)
            return;
        EXPECT_EQ(Scalar("SELECT v FROM sentinel").toInt(), 7) << "the sentinel row survives";
        for (const char* table : {"SHProcRpt", "SHWorkBillEntry", "t_User", "t_UserRight"})
            EXPECT_EQ(Raised([&] { Count(table); }), QString()) << table;
        std::printf("[proof] hostile input on %s: %d tries, %d messages, %s\n",
                    BackendName(GetParam()).c_str(), tries_, told_,
                    HasFailure() ? "failed" : "no statement broken");
    }

    // One try of one string at one entry point: what the clerk does, then the checks
    // common to all (nothing broken, said or logged), then the entry point's own.
    template <class Try>
    void Attempt(const Hostile& s, const char* entry, Try&& attempt) {
        SCOPED_TRACE(std::string(entry) + " <- " + s.name);
        ++tries_;
        const qsizetype messagesBefore = st->ui.messages.size(), logBefore = log_.size();
        // The labels keep a failure until the next load: only a new one counts here.
        const QStringList labels{st->state().lblListText, st->state().lblProcText};
        st->ui.answers.assign(8, MsgAnswer::Yes);
        attempt();
        QStringList said = st->ui.MessageTexts().mid(messagesBefore) + log_.mid(logBefore);
        for (const QString& label : {st->state().lblListText, st->state().lblProcText})
            if (!labels.contains(label))
                said << label;
        told_ += static_cast<int>(st->ui.messages.size() - messagesBefore);
        for (const QString& line : said)
            if (Broken(line))
                ADD_FAILURE() << "a statement was broken: " << line.left(400).toStdString();
    }
    bool SaidSomething(qsizetype since) const { return st->ui.messages.size() > since; }

    // A new report of the work bill, its quantities 1, then `code` typed with `text`.
    bool NewReport(C code, const QString& text) {
        st->form->Dispatch(Tool::ModeNew());
        st->form->Dispatch(Tool::Refresh());
        const int row = st->First();
        if (code == C::GPH)
            for (C q : {C::JSS, C::SZS, C::HGS, C::YJS}) st->TypeText(row, q, u"1"_s);
        else if (!st->NewRow(row, shop.bill))
            return false;
        const bool typed = st->TypeText(row, code, text);
        st->form->Dispatch(Tool::FileSave());
        return typed;
    }
    bool Saved() { return !st->state().modified; }
    int StoredMemo(const QString& memo) {
        // PostgreSQL cannot even be asked about a text holding NUL: then none is stored.
        int n = 0;
        Raised([&] { n = Scalar("SELECT COUNT(*) FROM SHProcRpt WHERE Fmemo = ?", {memo}).toInt(); });
        return n;
    }

    std::unique_ptr<HeadlessStation<ScriptedUi>> st;
    QStringList log_;
    int tries_ = 0, told_ = 0;
};

// The memo is text: stored exactly as typed (or refused with a message), and found again
// through the record filter's memo box; the serial box takes the same strings.
TEST_P(HostileInput, MemoRoundTripsAndTheRecordFilterFindsIt) {
    for (const Hostile& s : Strings()) {
        bool stored = false;
        Attempt(s, "memo cell", [&] {
            const qsizetype before = st->ui.messages.size();
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
        // A NUL in the memo box would end the history statement inside its LIKE literal.
        Attempt(s, "record filter serial and memo", [&] {
            st->ui.dialogHandlers[u"frmInfoFilter"_s] = [&](DialogModel& m) {
                auto& dialog = dynamic_cast<frmInfoFilter&>(m);
                dialog.SetTxtItem(0, s.text);
                dialog.SetTxtItem(1, s.text);
                dialog.cmdOK_Click();
            };
            st->form->OpenWorkBillForEdit(shop.wbId);
            EXPECT_FALSE(st->state().lblProcText.startsWith(u"读取历史工序汇报记录失败"_s))
                << "found or not, the records were read: " << st->state().lblProcText.left(200).toStdString();
            QStringList memos;
            for (int r = st->First(); r <= st->grid().Rows(); ++r)
                memos << st->grid().CellText(r, st->Col(C::MEMO));
            if (stored && !s.text.contains(QChar(0))) {
                EXPECT_TRUE(memos.contains(s.text)) << "the stored memo is found by itself";
            }
            st->ui.dialogHandlers.remove(u"frmInfoFilter"_s);
        });
    }
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
// bounds; the plan is kept under the name as typed, or refused with a message (a NUL would
// cut the plan store's statement on PostgreSQL, whose text cannot hold one).
TEST_P(HostileInput, FilterBoxesAndPlanNames) {
    for (const Hostile& s : Strings()) {
        Attempt(s, "filter boxes and plan name", [&] {
            const qsizetype before = st->ui.messages.size();
            bool planKept = false;
            st->ui.dialogHandlers[u"frmWageFilter"_s] = [&](DialogModel& m) {
                auto& dialog = dynamic_cast<frmWageFilter&>(m);
                // Saving over the default plan asks for the new plan's name.
                if (PlanIndex(dialog, FilterTexts::DefaultPlan()) < 0)
                    dialog.tlbProject_ButtonClick(u"TLBSAVE"_s);
                dialog.lvwProject_ItemClick(PlanIndex(dialog, FilterTexts::DefaultPlan()));
                for (int i = 0; i < 14; ++i) EXPECT_EQ(dialog.UserEdit(i, s.text), InBox(s.text));
                st->ui.inputs = {s.text};
                dialog.tlbProject_ButtonClick(u"TLBSAVE"_s);
                planKept = PlanIndex(dialog, s.text) >= 0;
                dialog.cmdOK_Click();
            };
            st->form->Dispatch(Tool::Filter());
            st->ui.dialogHandlers.remove(u"frmWageFilter"_s);
            EXPECT_TRUE(planKept || SaidSomething(before)) << "the plan name is neither kept nor refused";
        });
    }
}

SP_INSTANTIATE_BACKENDS(HostileInput);

}  // namespace
}  // namespace sp::test
