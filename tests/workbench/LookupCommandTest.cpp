#include <gtest/gtest.h>

#include "lookups/Devs.h"
#include "lookups/Emps.h"
#include "lookups/Teams.h"
#include "workbench/WorkbenchTestBench.h"
#include "workbench/WorkbenchToolbar.h"

namespace sp::testing {
namespace {

constexpr int kF7 = 118;

struct LookupBench : WorkbenchBench {
    LookupBench() {
        LayOutGrid();
        grid().SetCellText(2, 2, QStringLiteral("WB1"));
        record->workBillIds[QStringLiteral("WB1")] = 11;
        record->workCenters[11] = 33;
        form->SetActiveControl(ActiveControl::vlgProc);
    }
    void At(const char* code) { grid().SetCurrentCell(2, parts->columns.value(QString::fromLatin1(code))); }
};

TEST(LookupCommand, WorkerOfTheRowsTeamGoesIntoCellAndCacheWithoutMiddleTier) {
    LookupBench b;
    auto team = std::make_shared<Team>();
    team->SetTname(QStringLiteral("一组"));
    team->SetTID(5);
    team->SetTno(QStringLiteral("T01"));
    b.state().TeamsCache().Add(team);
    b.grid().SetCellKey(2, 5, QStringLiteral("T01"));
    b.grid().SetCellText(2, 5, QStringLiteral("一组"));
    auto stale = std::make_shared<Emp>();
    stale->SetEname(QStringLiteral("旧名"));
    stale->SetEno(QStringLiteral("E07"));
    b.state().EmpsCache().Add(stale);

    b.record->employeePick = Pick(QStringLiteral("E07"), QStringLiteral("张三"), 70,
                                  {{QStringLiteral("FprofessionalGroup"), 5}});
    b.At("CZG");
    b.bar().SetEnabled(Tool::EditView(), true);
    b.bar().Click(Tool::EditView());

    EXPECT_EQ(b.record->lookupsAsked, QStringList{QStringLiteral("3| FprofessionalGroup = 5 ")});
    EXPECT_EQ(b.grid().CellText(2, 4), QStringLiteral("E07"));
    EXPECT_EQ(b.grid().CellKey(2, 4), QStringLiteral("E07"));
    ASSERT_EQ(b.state().EmpsCache().Count(), 1) << "the old record with that number is replaced";
    const auto& emp = b.state().EmpsCache().Item(QStringLiteral("e07"));
    EXPECT_EQ(emp->Ename(), QStringLiteral("张三"));
    EXPECT_EQ(emp->EID(), 70);
    EXPECT_EQ(emp->Pro(), 5);
    EXPECT_EQ(b.record->middleTierCalls, 0);
    EXPECT_TRUE(b.state().modified);
    EXPECT_TRUE(b.bar().Enabled(Tool::FileSave())) << "the command states follow the lookup";
}

TEST(LookupCommand, WorkerWithoutTeamIsNotRestrictedAndCancelChangesNothing) {
    LookupBench b;
    b.At("CZG");
    b.form->Dispatch(Tool::EditView());
    EXPECT_EQ(b.record->lookupsAsked, QStringList{QStringLiteral("3|")});
    EXPECT_TRUE(b.grid().CellText(2, 4).isEmpty());
    EXPECT_FALSE(b.state().modified);
}

TEST(LookupCommand, TeamSetsTextAndKeyAndMarksOnlyAChange) {
    LookupBench b;
    b.record->teamPick = Pick(QStringLiteral("T02"), QStringLiteral("二组"), 6);
    b.At("BZ");
    b.form->Dispatch(Tool::EditView());
    EXPECT_EQ(b.record->lookupsAsked, QStringList{QStringLiteral("62|")});
    EXPECT_EQ(b.grid().CellText(2, 5), QStringLiteral("T02"));
    EXPECT_EQ(b.grid().CellKey(2, 5), QStringLiteral("T02"));
    EXPECT_EQ(b.state().TeamsCache().Item(QStringLiteral("T02"))->TID(), 6);
    EXPECT_TRUE(b.state().modified) << "a new team is an entry to save";

    b.state().modified = false;
    b.form->Dispatch(Tool::EditView());
    EXPECT_FALSE(b.state().modified) << "the same team again changes nothing";
    EXPECT_EQ(b.state().TeamsCache().Count(), 1);
}

TEST(LookupCommand, DeviceIsRestrictedToTypeAndWorkCenterAndKeepsBoth) {
    LookupBench b;
    b.form->SetListStyle(0);  // reads the default device type (7)
    auto row = NewDictionary();
    row->Set(QStringLiteral("Fnumber"), QStringLiteral("D-9"));
    row->Set(QStringLiteral("Fname"), QStringLiteral("车床"));
    row->Set(QStringLiteral("FinterID"), 90);
    b.record->devicePick = row;
    b.At("SYSB");
    b.form->Dispatch(Tool::EditView());
    EXPECT_EQ(b.record->lookupsAsked, QStringList{QStringLiteral("browser0| Ftype=7 And FworkCenterID=33")});
    EXPECT_EQ(b.grid().CellText(2, 6), QStringLiteral("D-9"));
    const auto& dev = b.state().DevsCache().Item(QStringLiteral("D-9"));
    EXPECT_EQ(dev->Dname(), QStringLiteral("车床"));
    EXPECT_EQ(dev->DID(), 90);
    EXPECT_EQ(dev->Dtype(), 7);
    EXPECT_EQ(dev->DWC(), 33);
    EXPECT_TRUE(b.state().modified);
}

TEST(LookupCommand, LockedCellsHeaderAndOtherColumnsOnlyRefreshStates) {
    LookupBench b;
    b.record->employeePick = Pick(QStringLiteral("E07"), QStringLiteral("张三"), 70);
    b.At("CZG");
    b.grid().SetCellLocked(2, 4, true);
    b.form->Dispatch(Tool::EditView());
    b.At("MEMO");
    b.form->Dispatch(Tool::EditView());
    b.At("GPH");
    b.form->Dispatch(Tool::EditView());
    b.grid().SetCurrentCell(1, 4);
    b.form->Dispatch(Tool::EditView());
    EXPECT_TRUE(b.record->lookupsAsked.isEmpty());
    EXPECT_FALSE(b.state().modified);
}

TEST(Keyboard, F7AloneRunsTheLookupWithModifiersItIsLeftAlone) {
    LookupBench b;
    b.record->employeePick = Pick(QStringLiteral("E07"), QStringLiteral("张三"), 70);
    b.At("CZG");
    for (int shift : {ShiftState::Shift, ShiftState::Ctrl, ShiftState::Alt})
        EXPECT_FALSE(b.form->KeyPreview(kF7, shift));
    EXPECT_FALSE(b.form->KeyPreview(KeyCode::F8, ShiftState::None));
    EXPECT_TRUE(b.record->lookupsAsked.isEmpty());
    EXPECT_TRUE(b.form->KeyPreview(kF7, ShiftState::None));
    EXPECT_EQ(b.record->lookupsAsked.size(), 1);
}

}  // namespace
}  // namespace sp::testing
