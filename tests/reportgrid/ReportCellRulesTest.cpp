#include "src/reportgrid/NewReportRows.h"
#include "src/reportgrid/ReportLookupCells.h"
#include "src/reportgrid/ReportRowLocks.h"
#include "tests/reportgrid/ReportGridFixture.h"

namespace sp::test {
namespace {

using C = ReportCode;

class CellRules : public RowRulesFixture {
  protected:
    void Prepared(int row, const QString& no) { ASSERT_TRUE(NewReportRows(state).PutWorkBill(row, no)); }
    bool Editable(int row, const char16_t* code) { return rules.CanEditReportCell(row, Col(code)); }
    // Types into row 2's cell and leaves it for the memo, as the clerk moves on.
    void Enter(const char16_t* code, const QString& text) {
        Type(2, code, text);
        grid.SetCurrentCell(2, Col(u"MEMO"));
    }
};

TEST_F(CellRules, EditabilityFollowsModeRightAuditAndTheWorkBillsSettings) {
    struct Case {
        const char* name;
        const char16_t* code;
        QVariantList settings;  // team, worker, device, FisOut, Ffare
        bool editMode;
        qint32 denied;  // the right the user lacks
        bool audited;
        int quality;  // FQualityChkID
        bool stored, editable;
    };
    const QVariantList plain{0, 0, 0, 1059, 1058}, outsourced{0, 0, 0, 1058, 1058};
    // clang-format off
    const Case cases[] = {
        {"quantity",                  u"SZS",  plain, false, 0,        false, 352, false, true},
        {"serial never",              u"HBXH", plain, false, 0,        false, 352, false, false},
        {"hidden key never",          u"GPZH", plain, false, 0,        false, 352, false, false},
        {"new mode, no new right",    u"SZS",  plain, false, 0x20000,  false, 352, false, false},
        {"new mode, no change right", u"SZS",  plain, false, 0x400000, false, 352, false, true},
        {"edit mode, no change right",u"MEMO", plain, true,  0x400000, false, 352, false, false},
        {"edit mode, no new right",   u"MEMO", plain, true,  0x20000,  false, 352, false, true},
        {"work bill, no new right",   u"GPH",  plain, false, 0x20000,  false, 352, false, false},
        {"audited",                   u"MEMO", plain, true,  0,        true,  352, false, false},
        {"work bill, new",            u"GPH",  plain, false, 0,        false, 352, false, true},
        {"work bill, stored",         u"GPH",  plain, false, 0,        false, 352, true,  false},
        {"work bill, edit",           u"GPH",  plain, true,  0,        false, 352, false, false},
        {"passed, not inspected",     u"HGS",  plain, false, 0,        false, 352, false, true},
        {"passed, full inspection",   u"HGS",  plain, false, 0,        false, 351, false, false},
        {"passed, sampling",          u"HGS",  plain, false, 0,        false, 353, false, false},
        {"lost, inspected",           u"DSS",  plain, false, 0,        false, 351, false, true},
        {"fixed worker",              u"CZG",  {0, 10, 0, 1059, 1058}, false, 0, false, 352, false, false},
        {"team, new",                 u"BZ",   {0, 10, 0, 1059, 1058}, false, 0, false, 352, false, true},
        {"team, edit",                u"BZ",   {0, 10, 0, 1059, 1058}, true,  0, false, 352, false, false},
        {"outsourced team",           u"BZ",   outsourced, false, 0,   false, 352, false, false},
        {"outsourced worker",         u"CZG",  outsourced, false, 0,   false, 352, false, false},
        {"outsourced device",         u"SYSB", outsourced, false, 0,   false, 352, false, false},
        {"no fee",                    u"FY",   {0, 0, 0, 1059, 1059},  false, 0, false, 352, false, false},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ReportCells(state).SetText(2, C::GPH, u"WB1"_s);
        ReportCells(state).SetText(2, C::SHBZ, c.audited ? u"√"_s : QString());
        info[u"WB1"_s] = c.settings;
        quality[u"WB1"_s] = c.quality;
        fake.deniedRights = {c.denied};
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
        state.heldWorkBills.clear();  // each case another work bill under the row's task
        for (C q : {C::SZS, C::JSS}) cells.SetValue(2, q, 10.0);
        cells.SetValue(2, C::FY, c.feeBefore);
        Type(2, c.edited, u"12"_s);
        EXPECT_DOUBLE_EQ(cells.Value(2, C::FY).toDouble(), c.expected);
    }
}

// Pasted line breaks and tabs become blanks and other control characters go; a received
// quantity may be negative (a correction), a worked one may not.
TEST_F(CellRules, TypedTextIsCleanedAndNumbersKeptWithinTheirColumnsRange) {
    Prepared(2, u"WB1"_s);
    // the cell, what is typed, what it shows, whether that is a change
    const std::tuple<const char16_t*, QString, QString, bool> cases[] = {
        {u"MEMO", u"a\tb\r\nc\u0001d\u0000"_s, u"MEMO=a b  cd"_s, true},
        {u"JSS", u"-5"_s, u"JSS=-5.00"_s, true},
        {u"SZS", u"-5"_s, u"SZS=0"_s, false},
    };
    for (const auto& [code, typed, shown, changed] : cases) {
        state.modified = false;
        Type(2, code, typed);
        EXPECT_EQ(Cells(2, {code}), shown);
        EXPECT_EQ(state.modified, changed);
    }
}

TEST_F(CellRules, TypedTeamsWorkersAndDevicesResolveToTheirStoredNumbers) {
    Prepared(2, u"WB1"_s);  // team T01, worker 01.E001
    // A worker of another team, as a stored record may hold, goes once the cursor
    // passes the team: a change to save.
    ReportLookupCells(state).ShowStored(2, C::CZG, 11);
    state.modified = false;
    grid.SetCurrentCell(2, Col(u"BZ"));
    grid.SetCurrentCell(2, Col(u"MEMO"));
    EXPECT_EQ(std::pair(Cells(2, {u"BZ", u"CZG"}), state.modified), std::pair(u"BZ=一组[T01] CZG="_s, true));
    // Another letter case resolves to the number the caches and the save know.
    Enter(u"BZ", u"t02"_s);
    EXPECT_EQ(Cells(2, {u"BZ", u"CZG"}), u"BZ=二组[T02] CZG="_s) << "the worker of another team goes";
    Enter(u"CZG", u"01.e001"_s);
    EXPECT_EQ(Cells(2, {u"CZG"}), u"CZG="_s) << "a worker of another team is refused";
    Enter(u"BZ", QString());
    Enter(u"CZG", u"01.e002"_s);
    EXPECT_EQ(Cells(2, {u"BZ", u"CZG"}), u"BZ=二组[T02] CZG=李四[01.E002]"_s)
        << "the team follows the worker";
    Enter(u"SYSB", u"d2"_s);
    EXPECT_EQ(Cells(2, {u"SYSB"}), u"SYSB="_s) << "a device of another work center is refused";
    Enter(u"SYSB", u"D1"_s);
    EXPECT_EQ(Cells(2, {u"SYSB"}), u"SYSB=车床[D1]"_s);
    Enter(u"SYSB", u"nope"_s);
    EXPECT_EQ(Cells(2, {u"SYSB"}), u"SYSB="_s);
    // The number shows while the cursor is in the cell.
    grid.SetCurrentCell(2, Col(u"CZG"));
    EXPECT_EQ(Cells(2, {u"CZG"}), u"CZG=01.E002[01.E002]"_s);
}

TEST_F(CellRules, AHeldWorkBillsSettingsStandUntilItsTaskIsTakenAgain) {
    Type(5, u"GPH", u"WB1"_s);
    ReportRowLocks locks(state);
    const QVariantList free{0, 0, 0, 1059, 1058}, fixed{0, 10, 0, 1059, 1058};
    // After `act` WB1 has `settings` and `check`; a number in the editor is not the one held.
    const std::tuple<std::function<void()>, QVariantList, int, bool> steps[] = {
        {[] {}, free, 352, true},
        {[] {}, fixed, 351, true},
        {[&] { locks.ReleaseRowLock(5), locks.AcquireRowLock(5, 1001); }, free, 352, true},
        {[&] { locks.RestampAll(); }, fixed, 351, true},  // a report written changes no setting
        {[&] { grid.SetCurrentCell(5, Col(u"GPH")), (void)grid.OpenEditor(), grid.SetEditorText(u"WB2"_s); },
         fixed, 351, true},
        {[&] { info[u"WB2"_s] = fixed, quality[u"WB2"_s] = 351; }, fixed, 351, false}};
    for (const auto& [act, settings, check, editable] : steps) {
        act();
        info[u"WB1"_s] = settings, quality[u"WB1"_s] = check;
        EXPECT_EQ(std::pair(Editable(5, u"CZG"), Editable(5, u"HGS")), std::pair(editable, editable));
    }
}

TEST_F(CellRules, ATypedWorkBillStartsARowOrEmptiesIt) {
    Type(6, u"GPH", u"WB1"_s);  // the last row
    EXPECT_EQ(Cells(6, {u"HBXH", u"CZG"}), u"HBXH=4 CZG=张三[01.E001]"_s);
    EXPECT_NE(TaskOf(6), 0);
    EXPECT_EQ(state.heldWorkBills.value(TaskOf(6)).number, u"WB1"_s) << "its settings kept: asked as typed";
    EXPECT_EQ(std::pair(grid.Rows(), located), std::pair(7, QStringList{u"WB1"_s}))
        << "a row follows the last one";

    // Retyped in other letter case: a change to save, but the row stays.
    state.modified = false;
    Type(6, u"GPH", u"wb1"_s);
    EXPECT_EQ(std::pair(Cells(6, {u"HBXH"}), state.modified), std::pair(u"HBXH=4"_s, true));

    // A number nobody reports on: the service's message, the row emptied, its task gone.
    const int task = TaskOf(6);
    Type(6, u"GPH", u"WB9"_s);
    EXPECT_EQ(std::tuple(refused, Cells(6, {u"HBXH", u"CZG"}), TaskOf(6), fake.committed),
              std::tuple(QStringList{u"WB9"_s}, u"HBXH= CZG="_s, 0, QVector<qint32>{task}));

    // Held elsewhere: the conflict message, the number emptied, no task held.
    fake.busyKeys = {1002};
    Type(5, u"GPH", u"WB2"_s);
    EXPECT_EQ(std::tuple(Cells(5, {u"GPH"}), TaskOf(5), h.ui.messages.size()), std::tuple(u"GPH="_s, 0, 1));
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
    EXPECT_EQ(std::pair(grid.Rows(), grid.CurrentRow()), std::pair(7, 7));
    EXPECT_EQ(state.rowLocks.size(), 8);
}

}  // namespace
}  // namespace sp::test
