#include <gtest/gtest.h>

#include "src/common/ErrorLog.h"
#include "tests/workbench/WorkbenchBench.h"

namespace sp::test {
namespace {

const QString kAudited = u"√"_s;

// Rows: 2 WB1 unaudited, 3 WB2 audited, 4 a number that names no work bill, 5 empty.
// Unsaved changes enable Save and Refresh and disable Check; audit and unaudit follow the
// marks of the selected rows (in new mode only of existing work bills), delete follows
// audit, and the inspection tools stay off.
TEST(UpdateCommandStates, EnableToolsFromTheGridAndTheFlags) {
    struct Case {
        const char* name;
        bool editMode, modified, editorOpen;
        int firstRow, lastRow;  // the selection; equal: the current row alone
        bool audit, unaudit;
        const char16_t* held = nullptr;  // the work bill row 4's task holds with its settings read
    };
    // clang-format off
    const Case cases[] = {
        {"modified blocks audit", true, true, false, 2, 2, false, false},
        {"edit unaudited row", true, false, false, 2, 2, true, false},
        {"edit audited row", true, false, false, 3, 3, false, true},
        {"header row", true, false, false, 1, 1, false, false},
        {"editor open", true, false, true, 2, 2, false, false},
        {"new mode existing work bill", false, false, false, 2, 2, true, false},
        {"new mode missing work bill", false, false, false, 4, 4, false, false},
        {"new mode empty row", false, false, false, 5, 5, false, false},
        {"new mode held work bill counts unasked", false, false, false, 4, 4, true, false, u"WB404"},
        {"new mode held other number is asked", false, false, false, 4, 4, false, false, u"WB1"},
        {"several rows both", true, false, false, 2, 3, true, true},
        {"several rows new mode skips missing", false, false, false, 3, 4, false, true},
        {"several rows new mode none counts", false, false, false, 4, 5, false, false},
        {"several rows edit mode counts all", true, false, false, 4, 5, true, false},
        {"several rows header is no mark", true, false, false, 1, 2, true, false},
        {"several rows modified", true, true, false, 2, 3, false, false}};
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WorkbenchBench b;
        b.LayOutGrid();
        b.parts->existing = {u"WB1"_s, u"WB2"_s};
        b.SetRow(2, u" WB1 "_s, QString());
        b.SetRow(3, u"WB2"_s, kAudited);
        b.SetRow(4, u"WB404"_s, QString());
        b.state().editMode = c.editMode;
        if (c.held) {
            b.state().rowLocks = QVector<qint32>(6, 0);
            b.state().rowLocks[4] = 77;
            b.state().heldWorkBills.insert(77, {QString::fromUtf16(c.held)});
        }
        b.grid().SelectRows(c.firstRow, c.lastRow, 8);
        ASSERT_TRUE(!c.editorOpen || b.grid().OpenEditor());
        b.state().modified = c.modified;
        b.form->UpdateCommandStates();

        const auto on = [&](const QString& tool) { return b.bar().Enabled(tool); };
        EXPECT_EQ(std::tuple(on(Tool::FileSave()), on(Tool::Refresh()), on(Tool::CtlChk())),
                  std::tuple(c.modified, c.modified, !c.modified));
        EXPECT_EQ(std::tuple(on(Tool::Audit()), on(Tool::UnAudit()), on(Tool::EditDel())),
                  std::tuple(c.audit, c.unaudit, c.audit));
        EXPECT_FALSE(on(Tool::CtlCreate()) || on(Tool::CtlDel()));
    }
}

// Column layouts without the audit column must not bring the rule down.
TEST(UpdateCommandStates, NoAuditColumnReadsAsUnaudited) {
    WorkbenchBench b;
    b.LayOutGrid();
    b.SetRow(3, u"WB2"_s, kAudited);
    b.parts->columns.remove(u"SHBZ"_s);
    b.state().editMode = true;
    b.grid().SetCurrentCell(3, 8);
    b.form->UpdateCommandStates();
    EXPECT_TRUE(b.bar().Enabled(Tool::Audit()));
    EXPECT_FALSE(b.bar().Enabled(Tool::UnAudit()));
}

// The status pane offers F7 (and the lookup tool is on) on an unlocked lookup cell of
// the record grid, whether the grid or the toolbar has the focus.
TEST(UpdateStatusText, OffersF7OnLookupCells) {
    // clang-format off
    const std::tuple<ActiveControl, const char*, bool, bool> cases[] = {
        {ActiveControl::vlgProc, "GPH", false, true}, {ActiveControl::barProc, "CZG", false, true},
        {ActiveControl::vlgProc, "BZ", false, true}, {ActiveControl::vlgProc, "SYSB", false, true},
        {ActiveControl::vlgProc, "ZDR", false, true}, {ActiveControl::vlgProc, "MEMO", false, false},
        {ActiveControl::vlgProc, "CZG", true, false}, {ActiveControl::vlgList, "CZG", false, false}};
    // clang-format on
    for (const auto& [active, code, locked, lookup] : cases) {
        SCOPED_TRACE(code);
        WorkbenchBench b;
        b.LayOutGrid();
        const int col = b.parts->columns.value(QString::fromUtf8(code));
        b.grid().SetCurrentCell(2, col);
        b.grid().SetCellLocked(2, col, locked);
        b.form->SetActiveControl(active);
        b.form->UpdateStatusText();
        EXPECT_EQ(b.bar().Enabled(Tool::EditView()), lookup);
        EXPECT_EQ(b.bar().Caption(Tool::SttInfo()), lookup ? u"按F7查找相关信息"_s : u"就绪"_s);
    }
    // A grid without data rows has no current cell: "就绪", and nothing in the log.
    WorkbenchBench b;
    QStringList logged;
    ErrorLog::SetSink([&](const QString&, const QString& text) { logged << text; });
    b.form->SetActiveControl(ActiveControl::vlgProc);
    b.form->UpdateStatusText();
    ErrorLog::SetSink(nullptr);
    EXPECT_EQ(b.bar().Caption(Tool::SttInfo()), u"就绪"_s);
    EXPECT_TRUE(logged.isEmpty()) << logged.join(u'\n').toStdString();
}

// The states follow the in-cell editor as it opens and closes, and the flag the cell
// rules set (an unchanged cell changes nothing).
TEST(UpdateCommandStates, FollowTheInCellEditor) {
    WorkbenchBench b;
    b.LayOutGrid();
    b.state().editMode = true;
    b.grid().SetCurrentCell(2, 8);
    for (const bool changed : {false, true}) {
        ASSERT_TRUE(b.grid().OpenEditor());
        EXPECT_FALSE(b.bar().Enabled(Tool::Audit())) << "no audit while a cell is edited";
        b.state().modified = changed;
        b.grid().CloseEditor(true);
        EXPECT_EQ(std::pair(b.bar().Enabled(Tool::Audit()), b.bar().Enabled(Tool::FileSave())),
                  std::pair(!changed, changed));
    }
}

}  // namespace
}  // namespace sp::test
