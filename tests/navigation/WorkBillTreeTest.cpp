#include "navigation/NavigationFixture.h"
#include "navigation/WorkBillTree.h"

namespace sp {
namespace {

using testing::MakeRecordset;
using testing::NavigationFixture;

TEST(WorkBillTreeKeysTest, KeysReadBack) {
    struct Case {
        QString key;
        bool valid;
        bool wc;
        qint32 id;
        QString dept;
    };
    const QVector<Case> cases{
        {QStringLiteral("WC\t17"), true, true, 17, QString()},
        {QStringLiteral("D01MO\t2045"), true, false, 2045, QStringLiteral("D01")},
        {QStringLiteral("MO\t5"), true, false, 5, QString()},
        {QStringLiteral("D01MO\t12x"), true, false, 12, QStringLiteral("D01")},
        {QStringLiteral("DEPT\tD01"), false, false, 0, QString()},
        {QStringLiteral("ROOT"), false, false, 0, QString()},
        {QString(), false, false, 0, QString()},
    };
    for (const Case& c : cases) {
        const auto k = WorkBillTree::ParseNodeKey(c.key);
        ASSERT_EQ(k.has_value(), c.valid) << c.key.toStdString();
        if (!k)
            continue;
        EXPECT_EQ(k->workCenter, c.wc);
        EXPECT_EQ(k->id, c.id);
        EXPECT_EQ(k->deptNo, c.dept);
    }
    EXPECT_EQ(WorkBillTree::WorkCenterKey(17), QStringLiteral("WC\t17"));
    EXPECT_EQ(WorkBillTree::TaskKey(QStringLiteral("D01"), 2045), QStringLiteral("D01MO\t2045"));
}

class WorkBillTreeTest : public NavigationFixture {
protected:
    void SetUp() override {
        SetupList();
        fake.script->workBillTree = [](bool wc, bool, const QString&) {
            const QStringList f{QStringLiteral("NodeKey"), QStringLiteral("ParentKey"), QStringLiteral("Caption")};
            if (wc)
                return MakeRecordset(f, {{QStringLiteral("DEPT\tD01"), QString(), QStringLiteral("一车间")},
                                         {QStringLiteral("WC\t4"), QStringLiteral("DEPT\tD01"), QStringLiteral("WC04 车")}});
            return MakeRecordset(f, {{QStringLiteral("DEPT\tD01"), QString(), QStringLiteral("一车间")},
                                     {QStringLiteral("D01MO\t2045"), QStringLiteral("DEPT\tD01"),
                                      QStringLiteral("MO1（轴[M8]）")}});
        };
        fake.script->workBillByWCMO = [this](bool, bool, qint32, const QString&) {
            return MakeRecordset(Fields(), {Bill(7, QStringLiteral("WB7")), Bill(9, QStringLiteral("WB9"))});
        };
        fake.script->workBillInfo = [](const QString& no) {
            const QStringList f{QStringLiteral("WorkCenterID"), QStringLiteral("DeptNO"), QStringLiteral("MOID"),
                                QStringLiteral("FWBinterID")};
            if (no == QStringLiteral("WB9"))
                return MakeRecordset(f, {{4, QStringLiteral("D01"), 2045, 9}});
            return MakeRecordset(f, {});
        };
    }
    WorkBillTree treeOps{state, list};
};

TEST_F(WorkBillTreeTest, FillFollowsTheArrangement) {
    treeOps.Fill();
    EXPECT_EQ(tree.Caption(WorkBillTree::RootKey()), QStringLiteral("部门/生产任务单/工序计划单"));
    EXPECT_EQ(tree.Parent(QStringLiteral("D01MO\t2045")), QStringLiteral("DEPT\tD01"));
    EXPECT_EQ(tree.Parent(QStringLiteral("DEPT\tD01")), WorkBillTree::RootKey());
    bar.SetChecked(QStringLiteral("btnListWC"), true);
    treeOps.Fill();
    EXPECT_EQ(tree.Caption(WorkBillTree::RootKey()), QStringLiteral("部门/工序计划单"));
    EXPECT_TRUE(tree.Exists(QStringLiteral("WC\t4")));
    EXPECT_FALSE(tree.Exists(QStringLiteral("D01MO\t2045")));
}

TEST_F(WorkBillTreeTest, NodeClickListsOnlyWorkCenterAndTaskNodes) {
    treeOps.Fill();
    bool wc = true;
    qint32 id = 0;
    QString dept;
    fake.script->workBillByWCMO = [&](bool w, bool, qint32 i, const QString& d) {
        wc = w, id = i, dept = d;
        return MakeRecordset(Fields(), {Bill(7, QStringLiteral("WB7"))});
    };
    treeOps.OnNodeClick(QStringLiteral("DEPT\tD01"));
    treeOps.OnNodeClick(WorkBillTree::RootKey());
    EXPECT_EQ(fake.script->Count(QStringLiteral("GetWorkBillByWCMO")), 0);
    treeOps.OnNodeClick(QStringLiteral("D01MO\t2045"));
    EXPECT_FALSE(wc);
    EXPECT_EQ(id, 2045);
    EXPECT_EQ(dept, QStringLiteral("D01"));
    EXPECT_EQ(state.currentWorkBillNo, QStringLiteral("WB7"));
    EXPECT_EQ(paints, 1);
}

TEST_F(WorkBillTreeTest, LocateSelectsNodeListsAndHandsOverTheRow) {
    treeOps.Fill();
    treeOps.LocateWorkBill(QStringLiteral("WB9"));
    EXPECT_EQ(tree.SelectedKey(), QStringLiteral("D01MO\t2045"));
    EXPECT_TRUE(tree.IsVisible(QStringLiteral("D01MO\t2045")));
    EXPECT_EQ(fake.script->Count(QStringLiteral("GetWorkBillByWCMO")), 1);
    EXPECT_EQ(grid.CurrentRow(), 3);
    EXPECT_EQ(state.currentWorkBillNo, QStringLiteral("WB9"));

    // Already selected: no reload; the row becomes current again even if it was.
    state.currentWorkBillNo = QStringLiteral("X");
    treeOps.LocateWorkBill(QStringLiteral("WB9"));
    EXPECT_EQ(fake.script->Count(QStringLiteral("GetWorkBillByWCMO")), 1);
    EXPECT_EQ(state.currentWorkBillNo, QStringLiteral("WB9"));
}

TEST_F(WorkBillTreeTest, LocateOfUnknownWorkBillOrNodeChangesNothing) {
    treeOps.Fill();
    treeOps.LocateWorkBill(QStringLiteral("NOPE"));
    EXPECT_TRUE(tree.SelectedKey().isEmpty());
    // The work-center arrangement looks up another key, which this tree lacks.
    bar.SetChecked(QStringLiteral("btnListWC"), true);
    tree.Clear();
    tree.AddNode(QString(), QStringLiteral("D01MO\t2045"), QStringLiteral("MO1"));
    treeOps.LocateWorkBill(QStringLiteral("WB9"));
    EXPECT_TRUE(tree.SelectedKey().isEmpty());
    EXPECT_EQ(fake.script->Count(QStringLiteral("GetWorkBillByWCMO")), 0);
    bar.SetChecked(QStringLiteral("btnListTask"), true);
    treeOps.LocateWorkBill(QStringLiteral("WB9"));
    EXPECT_EQ(tree.SelectedKey(), QStringLiteral("D01MO\t2045"));
}

TEST(TreeModelTest, KeysAreUniqueAndVisibilityFollowsTheAncestors) {
    TreeModel tree;
    int scrolls = 0;
    QObject::connect(&tree, &TreeModel::scrollToRequested, [&](const QString&) { ++scrolls; });
    tree.AddNode(QString(), QStringLiteral("R"), QStringLiteral("root"));
    tree.AddNode(QStringLiteral("R"), QStringLiteral("A"), QStringLiteral("a"));
    tree.AddNode(QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("b"));
    EXPECT_THROW(tree.AddNode(QString(), QStringLiteral("A"), QString()), ComError);
    EXPECT_THROW(tree.AddNode(QStringLiteral("none"), QStringLiteral("C"), QString()), ComError);
    EXPECT_THROW(tree.Select(QStringLiteral("none")), ComError);
    EXPECT_EQ(tree.Children(QStringLiteral("R")), QStringList{QStringLiteral("A")});
    EXPECT_FALSE(tree.IsVisible(QStringLiteral("B")));
    tree.EnsureVisible(QStringLiteral("B"));
    EXPECT_TRUE(tree.IsVisible(QStringLiteral("B")));
    EXPECT_FALSE(tree.Expanded(QStringLiteral("B")));
    EXPECT_EQ(scrolls, 1);
    tree.Clear();
    EXPECT_EQ(tree.Count(), 0);
}

}  // namespace
}  // namespace sp
