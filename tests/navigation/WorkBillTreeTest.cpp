#include "src/navigation/WorkBillTree.h"
#include "tests/navigation/NavigationFixture.h"

namespace sp::test {
namespace {

class WorkBillTreeTest : public NavigationFixture {
  protected:
    void SetUp() override {
        SetupList();
        fake.workBillTree = [](bool wc, bool, const QString&) {
            const QStringList f{u"NodeKey"_s, u"ParentKey"_s, u"Caption"_s};
            if (wc)
                return Records(f, {{u"DEPT\tD01"_s, QString(), u"一车间"_s},
                                   {u"WC\t4"_s, u"DEPT\tD01"_s, u"WC04 车"_s}});
            return Records(f, {{u"DEPT\tD01"_s, QString(), u"一车间"_s},
                               {u"D01MO\t2045"_s, u"DEPT\tD01"_s, u"MO1（轴[M8]）"_s},
                               {u"D01MO\t2046"_s, u"DEPT\tD01"_s, u"MO2"_s}});
        };
        fake.workBillByWCMO = [this](bool, bool, qint32, const QString&) {
            return Records(Fields(), {Bill(7, u"WB7"_s), Bill(9, u"WB9"_s)});
        };
        fake.workBillInfo = [](const QString& no) {
            const QStringList f{u"WorkCenterID"_s, u"DeptNO"_s, u"MOID"_s, u"FWBinterID"_s};
            if (no == u"WB9"_s)
                return Records(f, {{4, u"D01"_s, 2045, 9}});
            return Records(f, {});
        };
    }
    WorkBillTree treeOps{state, list};
};

// The tree follows the arrangement. A production task's node lists by its id and
// department, a work center's by its id; a department or the root lists nothing.
TEST_F(WorkBillTreeTest, FillFollowsTheArrangementAndOnlyWorkCenterAndTaskNodesList) {
    treeOps.Fill();
    QStringList asked;
    fake.workBillByWCMO = [&](bool wc, bool, qint32 id, const QString& dept) {
        asked << u"%1 %2 %3"_s.arg(wc ? u"WC"_s : u"MO"_s).arg(id).arg(dept);
        return Records(Fields(), {Bill(7, u"WB7"_s)});
    };
    for (const QString& key : {u"DEPT\tD01"_s, WorkBillTree::RootKey(), u"D01MO\t2045"_s})
        treeOps.OnNodeClick(key);
    EXPECT_EQ(std::tuple(tree.Caption(WorkBillTree::RootKey()), tree.Parent(u"D01MO\t2045"_s),
                         tree.Parent(u"DEPT\tD01"_s)),
              std::tuple(u"部门/生产任务单/工序计划单"_s, u"DEPT\tD01"_s, WorkBillTree::RootKey()));

    // The work-center arrangement fills the tree anew.
    bar.SetChecked(u"btnListWC"_s, true);
    treeOps.Fill();
    EXPECT_EQ(tree.Caption(WorkBillTree::RootKey()), u"部门/工序计划单"_s);
    EXPECT_EQ(std::pair(tree.Exists(u"WC\t4"_s), tree.Exists(u"D01MO\t2045"_s)), std::pair(true, false));
    treeOps.OnNodeClick(u"WC\t4"_s);
    EXPECT_EQ(std::tuple(asked, state.currentWorkBillNo, paints),
              std::tuple((QStringList{u"MO 2045 D01"_s, u"WC 4 "_s}), u"WB7"_s, 2));
}

// The tree's signals reach the tree part as the component wires them; each row runs
// its clicks (Enter and Space are clicks too) and keyboard moves in one mode.
TEST_F(WorkBillTreeTest, KeyboardListsInNewModeOnlyAndARefusedNodeStaysUnselected) {
    enum Kind { Cursor, Click, Refill };
    // clang-format off
    struct Step { Kind kind; QString key; };
    // clang-format on
    const QString t1 = u"D01MO\t2045"_s, t2 = u"D01MO\t2046"_s;
    // EditT1Listed: t1 is listed before the steps. In edit mode the record is edited
    // when the steps begin.
    enum Start { New, Edit, EditT1Listed };
    // yes: the answer to the unsaved-change question
    // clang-format off
    struct Case { const char* what; Start start; bool yes; QVector<Step> steps; QVector<qint32> listed;
                  QString selected; int questions; };
    // clang-format on
    const Case cases[] = {
        {"new: the cursor lists", New, false, {{Cursor, t1}, {Cursor, t2}}, {2045, 2046}, t2, 0},
        {"edit: Enter lists", Edit, true, {{Cursor, t1}, {Cursor, t2}, {Click, t2}}, {2046}, t2, 1},
        {"edit: refused, back to the listed", EditT1Listed, false, {{Cursor, t2}, {Click, t2}}, {}, t1, 1},
        {"edit: refused, nothing listed", Edit, false, {{Click, t2}}, {}, QString(), 1},
        {"edit: refused after a refill", EditT1Listed, false, {{Refill, {}}, {Click, t2}}, {}, QString(), 1},
        {"edit: a yes lists", EditT1Listed, true, {{Click, t2}}, {2046}, t2, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        WorkBillTree part(state, list);
        QObject context;
        QObject::connect(&tree, &TreeModel::nodeClicked, &context,
                         [&](const QString& k) { part.OnNodeClick(k); });
        QObject::connect(&tree, &TreeModel::cursorMoved, &context,
                         [&](const QString& k) { part.OnCursorMove(k); });
        QVector<qint32> listed;
        fake.workBillByWCMO = [&](bool, bool, qint32 id, const QString&) {
            listed.append(id);
            return Records(Fields(), {Bill(7, u"WB7"_s)});
        };
        state.editMode = c.start != New;
        state.modified = false;
        part.Fill();
        if (c.start == EditT1Listed)
            tree.Click(t1);
        listed.clear();
        state.modified = state.editMode;
        answer = c.yes;
        questions = 0;
        for (const Step& step : c.steps) {
            if (step.kind == Cursor)
                tree.MoveCursor(step.key);
            else if (step.kind == Click)
                tree.Click(step.key);
            else
                part.Fill();
        }
        EXPECT_EQ(std::tuple(listed, tree.SelectedKey(), questions),
                  std::tuple(c.listed, c.selected, c.questions));
    }
}

// A located work bill's node is selected and listed and its row handed over; a work bill
// or node the tree does not know changes nothing.
TEST_F(WorkBillTreeTest, LocateSelectsNodeListsAndHandsOverTheRow) {
    treeOps.Fill();
    treeOps.LocateWorkBill(u"NOPE"_s);
    EXPECT_TRUE(tree.SelectedKey().isEmpty());
    treeOps.LocateWorkBill(u"WB9"_s);
    EXPECT_EQ(std::tuple(tree.SelectedKey(), tree.IsVisible(u"D01MO\t2045"_s),
                         fake.Count(u"GetWorkBillByWCMO"_s), grid.CurrentRow(), state.currentWorkBillNo),
              std::tuple(u"D01MO\t2045"_s, true, 1, 3, u"WB9"_s));

    // Already listed: no reload; the row becomes current again even if it was.
    state.currentWorkBillNo = u"X"_s;
    treeOps.LocateWorkBill(u"WB9"_s);
    EXPECT_EQ(fake.Count(u"GetWorkBillByWCMO"_s), 1);
    EXPECT_EQ(state.currentWorkBillNo, u"WB9"_s);

    // Selected by the keyboard in edit mode but not listed: listed now.
    state.editMode = true;
    treeOps.Fill();
    tree.MoveCursor(u"D01MO\t2045"_s);
    treeOps.LocateWorkBill(u"WB9"_s);
    EXPECT_EQ(fake.Count(u"GetWorkBillByWCMO"_s), 2);
    EXPECT_EQ(treeOps.ListedKey(), u"D01MO\t2045"_s);

    // The work-center arrangement looks up another key, which this tree lacks.
    state.editMode = false;
    bar.SetChecked(u"btnListWC"_s, true);
    tree.Clear();
    tree.AddNode(QString(), u"D01MO\t2045"_s, u"MO1"_s);
    treeOps.LocateWorkBill(u"WB9"_s);
    EXPECT_TRUE(tree.SelectedKey().isEmpty());
    EXPECT_EQ(fake.Count(u"GetWorkBillByWCMO"_s), 2);
    bar.SetChecked(u"btnListTask"_s, true);
    treeOps.LocateWorkBill(u"WB9"_s);
    EXPECT_EQ(tree.SelectedKey(), u"D01MO\t2045"_s);
}

}  // namespace
}  // namespace sp::test
