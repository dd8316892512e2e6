#include <gtest/gtest.h>

#include "tests/workbench/WorkbenchFakes.h"
#include "src/workbench/WorkbenchToolbar.h"

namespace sp::test {
namespace {

const QString kAudited = QStringLiteral("√");

struct StatesCase {
    const char* name;
    bool editMode, modified, editorOpen;
    int firstRow, lastRow;  // the selection; equal: the current row alone
    // Expected enabled states.
    bool save, refresh, check, audit, unaudit;
};

void PrintTo(const StatesCase& c, std::ostream* os) {
    *os << c.name;
}

// Rows: 2 WB1 unaudited, 3 WB2 audited, 4 a number that names no work bill, 5 empty.
class UpdateCommandStatesTest : public ::testing::TestWithParam<StatesCase> {};

TEST_P(UpdateCommandStatesTest, EnablesToolsFromTheGridAndTheFlags) {
    const StatesCase& c = GetParam();
    WorkbenchBench b;
    b.LayOutGrid();
    b.parts->existing = {QStringLiteral("WB1"), QStringLiteral("WB2")};
    b.SetRow(2, QStringLiteral(" WB1 "), QString());
    b.SetRow(3, QStringLiteral("WB2"), kAudited);
    b.SetRow(4, QStringLiteral("WB404"), QString());
    b.state().editMode = c.editMode;

    if (c.lastRow != c.firstRow)
        b.grid().SelectRows(c.firstRow, c.lastRow, 8);
    else
        b.grid().SetCurrentCell(c.firstRow, 8);
    if (c.editorOpen) {
        ASSERT_TRUE(b.grid().OpenEditor());
    }
    b.state().modified = c.modified;
    b.form->UpdateCommandStates();

    EXPECT_EQ(b.bar().Enabled(Tool::FileSave()), c.save);
    EXPECT_EQ(b.bar().Enabled(Tool::Refresh()), c.refresh);
    EXPECT_EQ(b.bar().Enabled(Tool::CtlChk()), c.check);
    EXPECT_EQ(b.bar().Enabled(Tool::Audit()), c.audit);
    EXPECT_EQ(b.bar().Enabled(Tool::UnAudit()), c.unaudit);
    EXPECT_EQ(b.bar().Enabled(Tool::EditDel()), c.audit) << "delete follows audit";
    EXPECT_FALSE(b.bar().Enabled(Tool::CtlCreate()));
    EXPECT_FALSE(b.bar().Enabled(Tool::CtlDel()));
}

INSTANTIATE_TEST_SUITE_P(
    States, UpdateCommandStatesTest,
    ::testing::Values(
        // name                         edit   mod    editor first last save  refr  chk    aud    unaud
        StatesCase{"ModifiedBlocksAudit", true, true, false, 2, 2, true, true, false, false, false},
        StatesCase{"EditUnauditedRow", true, false, false, 2, 2, false, false, true, true, false},
        StatesCase{"EditAuditedRow", true, false, false, 3, 3, false, false, true, false, true},
        StatesCase{"HeaderRow", true, false, false, 1, 1, false, false, true, false, false},
        StatesCase{"EditorOpen", true, false, true, 2, 2, false, false, true, false, false},
        StatesCase{"NewModeExistingWorkBill", false, false, false, 2, 2, false, false, true, true, false},
        StatesCase{"NewModeMissingWorkBill", false, false, false, 4, 4, false, false, true, false, false},
        StatesCase{"NewModeEmptyRow", false, false, false, 5, 5, false, false, true, false, false},
        StatesCase{"SeveralRowsBoth", true, false, false, 2, 3, false, false, true, true, true},
        StatesCase{"SeveralRowsNewModeSkipsMissing", false, false, false, 3, 4, false, false, true, false, true},
        StatesCase{"SeveralRowsNewModeNoneCounts", false, false, false, 4, 5, false, false, true, false, false},
        StatesCase{"SeveralRowsEditModeCountsAll", true, false, false, 4, 5, false, false, true, true, false},
        StatesCase{"SeveralRowsHeaderIsNoMark", true, false, false, 1, 2, false, false, true, true, false},
        StatesCase{"SeveralRowsModified", true, true, false, 2, 3, true, true, false, false, false}),
    [](const ::testing::TestParamInfo<StatesCase>& info) { return std::string(info.param.name); });

TEST(UpdateCommandStates, NewModeScanStopsOnceBothAreFound) {
    WorkbenchBench b;
    b.LayOutGrid();
    b.parts->existing = {QStringLiteral("WB1"), QStringLiteral("WB2"), QStringLiteral("WB3"), QStringLiteral("WB4")};
    b.SetRow(2, QStringLiteral("WB1"), QString());
    b.SetRow(3, QStringLiteral("WB2"), kAudited);
    b.SetRow(4, QStringLiteral("WB3"), QString());
    b.SetRow(5, QStringLiteral("WB4"), QString());
    b.grid().SelectRows(2, 5, 8);
    b.parts->existAsked = 0;
    b.form->UpdateCommandStates();
    EXPECT_TRUE(b.bar().Enabled(Tool::Audit()));
    EXPECT_TRUE(b.bar().Enabled(Tool::UnAudit()));
    EXPECT_EQ(b.parts->existAsked, 2) << "rows 4 and 5 are not asked about";
}

// Column layouts without the audit column must not bring the rule down.
TEST(UpdateCommandStates, MissingAuditColumnReadsAsUnaudited) {
    WorkbenchBench b;
    b.LayOutGrid();
    b.parts->columns.remove(QStringLiteral("SHBZ"));
    b.state().editMode = true;
    b.grid().SetCurrentCell(2, 8);
    b.form->UpdateCommandStates();
    EXPECT_TRUE(b.bar().Enabled(Tool::Audit())) << "no audit mark reads as unaudited";
    EXPECT_FALSE(b.bar().Enabled(Tool::UnAudit()));
}

struct StatusCase {
    const char* name;
    ActiveControl active;
    const char* code;
    bool locked, lookup;
};

void PrintTo(const StatusCase& c, std::ostream* os) {
    *os << c.name;
}

class UpdateStatusTextTest : public ::testing::TestWithParam<StatusCase> {};

TEST_P(UpdateStatusTextTest, OffersF7OnLookupCells) {
    const StatusCase& c = GetParam();
    WorkbenchBench b;
    b.LayOutGrid();
    const int col = b.parts->columns.value(QString::fromUtf8(c.code));
    b.grid().SetCurrentCell(2, col);
    b.grid().SetCellLocked(2, col, c.locked);
    b.form->SetActiveControl(c.active);
    b.form->UpdateStatusText();
    EXPECT_EQ(b.bar().Enabled(Tool::EditView()), c.lookup);
    EXPECT_EQ(b.bar().Caption(Tool::SttInfo()),
              c.lookup ? QStringLiteral("按F7查找相关信息") : QStringLiteral("就绪"));
}

INSTANTIATE_TEST_SUITE_P(
    Status, UpdateStatusTextTest,
    ::testing::Values(StatusCase{"GridOnWorkBill", ActiveControl::vlgProc, "GPH", false, true},
                      StatusCase{"ToolbarOnWorker", ActiveControl::barProc, "CZG", false, true},
                      StatusCase{"Team", ActiveControl::vlgProc, "BZ", false, true},
                      StatusCase{"Device", ActiveControl::vlgProc, "SYSB", false, true},
                      StatusCase{"Biller", ActiveControl::vlgProc, "ZDR", false, true},
                      StatusCase{"Memo", ActiveControl::vlgProc, "MEMO", false, false},
                      StatusCase{"LockedWorker", ActiveControl::vlgProc, "CZG", true, false},
                      StatusCase{"ListHasFocus", ActiveControl::vlgList, "CZG", false, false}),
    [](const ::testing::TestParamInfo<StatusCase>& info) { return std::string(info.param.name); });

TEST(UpdateCommandStates, FollowTheInCellEditor) {
    WorkbenchBench b;
    b.LayOutGrid();
    b.state().editMode = true;
    b.grid().SetCurrentCell(2, 8);
    ASSERT_TRUE(b.bar().Enabled(Tool::Audit()));
    ASSERT_TRUE(b.grid().OpenEditor());
    EXPECT_FALSE(b.bar().Enabled(Tool::Audit())) << "no audit while a cell is edited";
    b.grid().CloseEditor(true);
    EXPECT_TRUE(b.bar().Enabled(Tool::Audit())) << "an unchanged cell changes nothing";
    EXPECT_FALSE(b.bar().Enabled(Tool::FileSave()));

    ASSERT_TRUE(b.grid().OpenEditor());
    b.grid().SetEditorText(QStringLiteral("备注"));
    b.grid().CloseEditor(true);
    EXPECT_TRUE(b.state().modified);
    EXPECT_TRUE(b.bar().Enabled(Tool::FileSave()));
    EXPECT_FALSE(b.bar().Enabled(Tool::Audit()));
}

}  // namespace
}  // namespace sp::test
