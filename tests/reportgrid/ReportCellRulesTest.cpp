#include "src/reportgrid/NewReportRows.h"
#include "src/reportgrid/ReportLookupCells.h"
#include "tests/reportgrid/ReportGridFixture.h"

namespace sp::test {
namespace {

using C = ReportCode;

class CellRules : public RowRulesFixture {
  protected:
    void Prepared(int row, const QString& no) { ASSERT_TRUE(NewReportRows(state).PutWorkBill(row, no)); }
    bool Editable(int row, const char16_t* code) { return rules.CanEditReportCell(row, Col(code)); }
};

TEST_F(CellRules, EditabilityFollowsModeRightAuditAndTheWorkBillsSettings) {
    struct Case {
        const char* name;
        const char16_t* code;
        QVariantList settings;  // team, worker, device, FisOut, Ffare
        bool editMode, denied, audited, inspected, stored;
        bool editable;
    };
    const QVariantList plain{0, 0, 0, 1059, 1058};
    // clang-format off
    const Case cases[] = {
        {"quantity",            u"SZS",  plain, false, false, false, false, false, true},
        {"serial never",        u"HBXH", plain, false, false, false, false, false, false},
        {"hidden key never",    u"GPZH", plain, false, false, false, false, false, false},
        {"no right",            u"SZS",  plain, false, true,  false, false, false, false},
        {"audited",             u"MEMO", plain, true,  false, true,  false, false, false},
        {"work bill, new",      u"GPH",  plain, false, false, false, false, false, true},
        {"work bill, stored",   u"GPH",  plain, false, false, false, false, true,  false},
        {"work bill, edit",     u"GPH",  plain, true,  false, false, false, false, false},
        {"passed, inspected",   u"HGS",  plain, false, false, false, true,  false, false},
        {"lost, inspected",     u"DSS",  plain, false, false, false, true,  false, true},
        {"fixed worker",        u"CZG",  {0, 10, 0, 1059, 1058}, false, false, false, false, false, false},
        {"team, new",           u"BZ",   {0, 10, 0, 1059, 1058}, false, false, false, false, false, true},
        {"team, edit",          u"BZ",   {0, 10, 0, 1059, 1058}, true,  false, false, false, false, false},
        {"outsourced device",   u"SYSB", {0, 0, 0, 1058, 1058}, false, false, false, false, false, false},
        {"no fee",              u"FY",   {0, 0, 0, 1059, 1059}, false, false, false, false, false, false},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ReportCells(state).SetText(2, C::GPH, u"WB1"_s);
        ReportCells(state).SetText(2, C::SHBZ, c.audited ? u"√"_s : QString());
        info[u"WB1"_s] = c.settings;
        inspected = c.inspected ? QSet<QString>{u"WB1"_s} : QSet<QString>{};
        fake.deniedRights = c.denied ? QSet<qint32>{0x20000, 0x400000} : QSet<qint32>{};
        state.storedRows = QVector<bool>(7, c.stored);
        state.editMode = c.editMode;
        bar.SetChecked(c.editMode ? u"btnModeEdit"_s : u"btnModeNew"_s, true);
        EXPECT_EQ(Editable(2, c.code), c.editable);
    }
    // A row of no reportable work bill takes nothing but its number.
    bar.SetChecked(u"btnModeNew"_s, true);
    state.editMode = false;
    fake.deniedRights.clear();
    EXPECT_FALSE(Editable(3, u"SZS"));
    EXPECT_TRUE(Editable(3, u"GPH"));
    // A number with a quote neither breaks nor extends the inspection's statement.
    rules.IsQualityInspected(u"W'1"_s);
    EXPECT_TRUE(fake.statements.last().endsWith(u"FWorkbillNO='W''1'"_s));
}

TEST_F(CellRules, TheFeeFollowsTheQuantityUntilTheClerkTypesOne) {
    struct Case {
        const char* name;
        QVariantList settings;
        const char16_t* edited;
        double feeBefore, expected;
    };
    const Case cases[] = {
        {"worked 10 -> 12 at 1.5", {0, 0, 0, 1059, 1058}, u"SZS", 15, 18},
        {"a typed fee stays", {0, 0, 0, 1059, 1058}, u"SZS", 20, 20},
        {"received, not outsourced", {0, 0, 0, 1059, 1058}, u"JSS", 15, 15},
        {"outsourced follows received", {0, 0, 0, 1058, 1058}, u"JSS", 15, 18},
        {"outsourced, worked", {0, 0, 0, 1058, 1058}, u"SZS", 15, 15},
        {"no fee", {0, 0, 0, 1059, 1059}, u"SZS", 15, 15},
        {"equal at the cent", {0, 0, 0, 1059, 1058}, u"SZS", 15.0000001, 18},
    };
    Prepared(2, u"WB1"_s);
    const ReportCells cells(state);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        info[u"WB1"_s] = c.settings;
        for (C q : {C::SZS, C::JSS}) cells.SetValue(2, q, 10.0);
        cells.SetValue(2, C::FY, c.feeBefore);
        Type(2, c.edited, u"12"_s);
        EXPECT_DOUBLE_EQ(cells.Value(2, C::FY).toDouble(), c.expected);
    }
}

TEST_F(CellRules, PastedLineBreaksAndTabsBecomeBlanksAndOtherControlCharactersGo) {
    Prepared(2, u"WB1"_s);
    state.modified = false;
    Type(2, u"MEMO", u"a\tb\r\nc\u0001d\u0000"_s);
    EXPECT_EQ(ReportCells(state).Text(2, C::MEMO), u"a b  cd"_s);
    EXPECT_TRUE(state.modified);
}

TEST_F(CellRules, TypedTeamsWorkersAndDevicesResolveToTheirStoredNumbers) {
    Prepared(2, u"WB1"_s);  // team T01, worker 01.E001
    const auto leave = [&] { grid.SetCurrentCell(2, Col(u"MEMO")); };
    // Another letter case resolves to the number the caches and the save know.
    Type(2, u"BZ", u"t02"_s);
    leave();
    EXPECT_EQ(Cells(2, {u"BZ", u"CZG"}), u"BZ=二组[T02] CZG="_s) << "the worker of another team goes";
    Type(2, u"CZG", u"01.e001"_s);
    leave();
    EXPECT_EQ(Cells(2, {u"CZG"}), u"CZG="_s) << "a worker of another team is refused";
    Type(2, u"BZ", QString());
    leave();
    Type(2, u"CZG", u"01.e002"_s);
    leave();
    EXPECT_EQ(Cells(2, {u"BZ", u"CZG"}), u"BZ=二组[T02] CZG=李四[01.E002]"_s)
        << "the team follows the worker";
    Type(2, u"SYSB", u"d2"_s);
    leave();
    EXPECT_EQ(Cells(2, {u"SYSB"}), u"SYSB="_s) << "a device of another work center is refused";
    Type(2, u"SYSB", u"D1"_s);
    leave();
    EXPECT_EQ(Cells(2, {u"SYSB"}), u"SYSB=车床[D1]"_s);
    Type(2, u"SYSB", u"nope"_s);
    leave();
    EXPECT_EQ(Cells(2, {u"SYSB"}), u"SYSB="_s);
    // The number shows while the cursor is in the cell.
    grid.SetCurrentCell(2, Col(u"CZG"));
    EXPECT_EQ(Cells(2, {u"CZG"}), u"CZG=01.E002[01.E002]"_s);
}

TEST_F(CellRules, ATypedWorkBillStartsARowOrEmptiesIt) {
    Type(6, u"GPH", u"WB1"_s);  // the last row
    EXPECT_EQ(Cells(6, {u"HBXH", u"CZG"}), u"HBXH=4 CZG=张三[01.E001]"_s);
    EXPECT_NE(TaskOf(6), 0);
    EXPECT_EQ(grid.Rows(), 7) << "a row follows the last one";
    EXPECT_EQ(located, QStringList{u"WB1"_s});

    // Retyped in other letter case: a change to save, but the row stays.
    state.modified = false;
    Type(6, u"GPH", u"wb1"_s);
    EXPECT_TRUE(state.modified);
    EXPECT_EQ(Cells(6, {u"HBXH"}), u"HBXH=4"_s);

    // A number nobody reports on: the service's message, the row emptied, its task gone.
    const int task = TaskOf(6);
    Type(6, u"GPH", u"WB9"_s);
    EXPECT_EQ(refused, QStringList{u"WB9"_s});
    EXPECT_EQ(Cells(6, {u"HBXH", u"CZG"}), u"HBXH= CZG="_s);
    EXPECT_EQ(TaskOf(6), 0);
    EXPECT_EQ(fake.committed, QVector<qint32>{task});

    // Held elsewhere: the conflict message, the number emptied, no task held.
    fake.busyKeys = {1002};
    Type(5, u"GPH", u"WB2"_s);
    EXPECT_EQ(Cells(5, {u"GPH"}), u"GPH="_s);
    EXPECT_EQ(TaskOf(5), 0);
    ASSERT_EQ(h.ui.messages.size(), 1);
}

TEST_F(CellRules, EnterGoesOverEditableCellsOnlyAndDownAddsARow) {
    Prepared(2, u"WB1"_s);
    Prepared(3, u"WB1"_s);
    ReportCells(state).SetText(3, C::SHBZ, u"√"_s);  // audited
    Prepared(4, u"WB1"_s);
    // Past MEMO the checker, audit and cumulative columns are skipped.
    grid.SetCurrentCell(2, Col(u"MEMO"));
    grid.KeyDown(KeyCode::Enter);  // opens the editor
    ASSERT_TRUE(grid.EditorOpen());
    grid.KeyDown(KeyCode::Enter);  // closes it and moves on
    EXPECT_FALSE(grid.EditorOpen());
    EXPECT_EQ(std::pair(grid.CurrentRow(), grid.CurrentCol()), std::pair(2, Col(u"YJS")));
    // From the row's last editable cell over the audited row 3 to row 4.
    grid.SetCurrentCell(2, Col(u"FY"));
    grid.KeyDown(KeyCode::Enter);
    grid.KeyDown(KeyCode::Enter);
    EXPECT_EQ(std::pair(grid.CurrentRow(), grid.CurrentCol()), std::pair(4, Col(u"GPH")));

    grid.SetCurrentCell(6, Col(u"GPH"));
    grid.KeyDown(KeyCode::Down);
    EXPECT_EQ(grid.Rows(), 6) << "an empty work bill cell adds nothing";
    grid.TypeText(u"WB2"_s);
    grid.KeyDown(KeyCode::Down);
    EXPECT_EQ(grid.Rows(), 7);
    EXPECT_EQ(grid.CurrentRow(), 7);
    EXPECT_EQ(state.rowLocks.size(), 8);
}

}  // namespace
}  // namespace sp::test
