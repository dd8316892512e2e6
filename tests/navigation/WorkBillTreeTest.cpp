#include "src/navigation/WorkBillTree.h"
#include "tests/navigation/NavigationFixture.h"

namespace sp::test {
namespace {

TEST(WorkBillTreeKeysTest, KeysReadBack) {
    // key, work center (else a production task), id, department
    // clang-format off
    const std::tuple<const char*, bool, qint32, const char*> cases[] = {{"WC\t17", true, 17, ""},
        {"D01MO\t2045", false, 2045, "D01"}, {"MO\t5", false, 5, ""}, {"D01MO\t12x", false, 12, "D01"}};
    // clang-format on
    for (const auto& [key, wc, id, dept] : cases) {
        const auto k = WorkBillTree::ParseNodeKey(QString::fromLatin1(key));
        ASSERT_TRUE(k.has_value()) << key;
        EXPECT_EQ(std::tuple(k->workCenter, k->id, k->deptNo), std::tuple(wc, id, QString::fromLatin1(dept)));
    }
    for (const QString& other : {u"DEPT\tD01"_s, u"ROOT"_s, QString()})
        EXPECT_FALSE(WorkBillTree::ParseNodeKey(other).has_value()) << other.toStdString();
}

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

TEST_F(WorkBillTreeTest, FillFollowsTheArrangement) {
    treeOps.Fill();
    EXPECT_EQ(tree.Caption(WorkBillTree::RootKey()), u"部门/生产任务单/工序计划单"_s);
    EXPECT_EQ(tree.Parent(u"D01MO\t2045"_s), u"DEPT\tD01"_s);
    EXPECT_EQ(tree.Parent(u"DEPT\tD01"_s), WorkBillTree::RootKey());
    bar.SetChecked(u"btnListWC"_s, true);
    treeOps.Fill();
    EXPECT_EQ(tree.Caption(WorkBillTree::RootKey()), u"部门/工序计划单"_s);
    EXPECT_TRUE(tree.Exists(u"WC\t4"_s));
    EXPECT_FALSE(tree.Exists(u"D01MO\t2045"_s));
}

TEST_F(WorkBillTreeTest, NodeClickListsOnlyWorkCenterAndTaskNodes) {
    treeOps.Fill();
    bool wc = true;
    qint32 id = 0;
    QString dept;
    fake.workBillByWCMO = [&](bool w, bool, qint32 i, const QString& d) {
        wc = w, id = i, dept = d;
        return Records(Fields(), {Bill(7, u"WB7"_s)});
    };
    treeOps.OnNodeClick(u"DEPT\tD01"_s);
    treeOps.OnNodeClick(WorkBillTree::RootKey());
    EXPECT_EQ(fake.Count(u"GetWorkBillByWCMO"_s), 0);
    treeOps.OnNodeClick(u"D01MO\t2045"_s);
    EXPECT_FALSE(wc);
    EXPECT_EQ(id, 2045);
    EXPECT_EQ(dept, u"D01"_s);
    EXPECT_EQ(state.currentWorkBillNo, u"WB7"_s);
    EXPECT_EQ(paints, 1);
}

// The tree's signals reach the tree part as the component wires them; each row runs
// its clicks (Enter and Space are clicks too) and keyboard moves in one mode.
TEST_F(WorkBillTreeTest, KeyboardListsInNewModeOnlyAndARefusedNodeStaysUnselected) {
    enum Kind { Cursor, Click, Refill };
    struct Step {
        Kind kind;
        QString key;
    };
    const QString t1 = u"D01MO\t2045"_s, t2 = u"D01MO\t2046"_s, dept = u"DEPT\tD01"_s;
    // EditT1Listed: t1 is listed before the steps. In edit mode the record is edited
    // when the steps begin.
    enum Start { New, Edit, EditT1Listed };
    struct Case {
        const char* what;
        Start start;
        bool yes;  // the answer to the unsaved-change question
        QVector<Step> steps;
        QVector<qint32> listed;
        QString selected;
        int questions;
    };
    const Case cases[] = {
        {"new: the cursor lists", New, false, {{Cursor, t1}, {Cursor, t2}}, {2045, 2046}, t2, 0},
        {"new: a department lists nothing", New, false, {{Cursor, dept}}, {}, dept, 0},
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
        EXPECT_EQ(listed, c.listed);
        EXPECT_EQ(tree.SelectedKey(), c.selected);
        EXPECT_EQ(questions, c.questions);
    }
}

TEST_F(WorkBillTreeTest, LocateSelectsNodeListsAndHandsOverTheRow) {
    treeOps.Fill();
    treeOps.LocateWorkBill(u"WB9"_s);
    EXPECT_EQ(tree.SelectedKey(), u"D01MO\t2045"_s);
    EXPECT_TRUE(tree.IsVisible(u"D01MO\t2045"_s));
    EXPECT_EQ(fake.Count(u"GetWorkBillByWCMO"_s), 1);
    EXPECT_EQ(grid.CurrentRow(), 3);
    EXPECT_EQ(state.currentWorkBillNo, u"WB9"_s);

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
}

TEST_F(WorkBillTreeTest, LocateOfUnknownWorkBillOrNodeChangesNothing) {
    treeOps.Fill();
    treeOps.LocateWorkBill(u"NOPE"_s);
    EXPECT_TRUE(tree.SelectedKey().isEmpty());
    // The work-center arrangement looks up another key, which this tree lacks.
    bar.SetChecked(u"btnListWC"_s, true);
    tree.Clear();
    tree.AddNode(QString(), u"D01MO\t2045"_s, u"MO1"_s);
    treeOps.LocateWorkBill(u"WB9"_s);
    EXPECT_TRUE(tree.SelectedKey().isEmpty());
    EXPECT_EQ(fake.Count(u"GetWorkBillByWCMO"_s), 0);
    bar.SetChecked(u"btnListTask"_s, true);
    treeOps.LocateWorkBill(u"WB9"_s);
    EXPECT_EQ(tree.SelectedKey(), u"D01MO\t2045"_s);
}

}  // namespace
}  // namespace sp::test
