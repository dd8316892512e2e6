#include "src/navigation/WorkBillTree.h"

#include "src/common/Basic.h"
#include "src/common/IgnoreErrors.h"
#include "src/controls/GridModel.h"
#include "src/controls/TreeModel.h"
#include "src/entry/HostServices.h"
#include "src/navigation/ListCondition.h"
#include "src/navigation/Texts.h"
#include "src/navigation/WorkBillList.h"
#include "src/state/WorkbenchState.h"

namespace sp {

namespace {
QString Tab() { return QString(QChar(9)); }
constexpr int kNumberCol = 5;
}  // namespace

WorkBillTree::WorkBillTree(WorkbenchState& state, WorkBillList& list) : state_(state), list_(list) {}

QString WorkBillTree::WorkCenterKey(qint32 id) { return QStringLiteral("WC") + Tab() + QString::number(id); }

QString WorkBillTree::TaskKey(const QString& deptNo, qint32 id) {
    return deptNo + QStringLiteral("MO") + Tab() + QString::number(id);
}

QString WorkBillTree::DepartmentKey(const QString& deptNo) { return QStringLiteral("DEPT") + Tab() + deptNo; }

QString WorkBillTree::RootKey() { return QStringLiteral("ROOT"); }

std::optional<WorkBillNodeKey> WorkBillTree::ParseNodeKey(const QString& key) {
    const qsizetype tab = key.indexOf(QChar(9));
    if (tab < 0)
        return std::nullopt;
    const QString head = key.left(tab);
    WorkBillNodeKey k;
    if (head == QStringLiteral("WC")) {
        k.workCenter = true;
    } else if (!head.endsWith(QStringLiteral("MO"))) {
        return std::nullopt;
    }
    k.deptNo = head.left(head.size() - 2);
    k.id = Basic::Long(key.mid(tab + 1));
    return k;
}

bool WorkBillTree::WorkCenterArrangement() const { return list_.ButtonPressed(QStringLiteral("btnListWC")); }

void WorkBillTree::Fill() {
    TreeModel* tree = state_.tvw;
    if (!tree)
        return;
    IgnoreErrors([&] {
        const bool wc = WorkCenterArrangement();
        const bool check = list_.ButtonPressed(QStringLiteral("btnCtlChk"));
        const QString props = state_.host->PropsString();
        RecordsetPtr nodes = state_.host->NewMShopProc()->GetWorkBillTree(
            props, wc, check, BuildListCondition(state_.dicFilter));
        tree->Clear();
        listedKey_.clear();
        tree->AddNode(QString(), RootKey(),
                      wc ? NavTexts::TreeRootByWorkCenter() : NavTexts::TreeRootByTask());
        tree->SetExpanded(RootKey(), true);
        for (; nodes && !nodes->Eof(); nodes->MoveNext())
            IgnoreErrors([&] {
                const QString parent = Basic::Text(nodes->Field(QStringLiteral("ParentKey")));
                tree->AddNode(parent.isEmpty() ? RootKey() : parent,
                              Basic::Text(nodes->Field(QStringLiteral("NodeKey"))),
                              Basic::Text(nodes->Field(QStringLiteral("Caption"))));
            });
        if (nodes)
            nodes->Close();
    });
}

void WorkBillTree::OnNodeClick(const QString& key) {
    if (ParseNodeKey(key))
        ListWorkBillsOfNode(key);
}

void WorkBillTree::OnCursorMove(const QString& key) {
    if (!state_.editMode)
        OnNodeClick(key);
}

void WorkBillTree::ListWorkBillsOfNode(const QString& key) {
    IgnoreErrors([&] {
        if (list_.MayLeaveWorkBill())
            ListNode(key);
        else
            RestoreSelection();
    });
}

void WorkBillTree::RestoreSelection() {
    TreeModel* tree = state_.tvw;
    if (!tree)
        return;
    tree->Select(tree->Exists(listedKey_) ? listedKey_ : QString());
}

void WorkBillTree::ListNode(const QString& key) {
    IgnoreErrors([&] {
        const std::optional<WorkBillNodeKey> node = ParseNodeKey(key);
        if (!node)
            return;
        const bool wc = WorkCenterArrangement();
        const bool check = list_.ButtonPressed(QStringLiteral("btnCtlChk"));
        const QString props = state_.host->PropsString();
        RecordsetPtr records =
            state_.host->NewMShopProc()->GetWorkBillByWCMO(props, wc, check, node->id, node->deptNo);
        Recordset empty;
        list_.ShowWorkBills(records ? *records : empty, wc);
        listedKey_ = key;
    });
}

void WorkBillTree::LocateWorkBill(const QString& workBillNo) {
    TreeModel* tree = state_.tvw;
    if (!tree)
        return;
    IgnoreErrors([&] {
        const QString props = state_.host->PropsString();
        RecordsetPtr info = state_.host->NewMShopProc()->GetWorkBillInfo(props, workBillNo);
        if (!info || info->Eof())
            return;
        const QString key = WorkCenterArrangement()
                                ? WorkCenterKey(Basic::Long(info->Field(QStringLiteral("WorkCenterID"))))
                                : TaskKey(Basic::Text(info->Field(QStringLiteral("DeptNO"))),
                                          Basic::Long(info->Field(QStringLiteral("MOID"))));
        const QString interId = Basic::Text(info->Field(QStringLiteral("FWBinterID")));
        info->Close();
        if (!tree->Exists(key) || !list_.MayLeaveWorkBill())
            return;
        if (tree->SelectedKey() != key) {
            tree->EnsureVisible(key);
            tree->Select(key);
        }
        // In edit mode the keyboard may have moved the selection without listing.
        if (listedKey_ != key)
            ListNode(key);
        GridModel& grid = *state_.vlgList;
        int found = 0;
        for (int r = 1; r <= grid.Rows() && grid.Cols() >= kNumberCol; ++r)
            if (Basic::Text(grid.CellValue(r, kNumberCol)) == interId) {
                found = r;
                break;
            }
        // No row holds the work bill: nothing to select.
        if (found < 2)
            return;
        list_.SelectRow(found);
    });
}

}  // namespace sp
