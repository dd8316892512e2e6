#pragma once

#include <QString>
#include <optional>

namespace sp {

struct WorkbenchState;
class WorkBillList;

// What a work bill tree node's key names: a work center ("WC", tab, id) or a
// production task within its department (department number, "MO", tab, id).
struct WorkBillNodeKey {
    bool workCenter = false;
    qint32 id = 0;
    QString deptNo;
};

// The tree pane tvw over the work bills: filled per arrangement, a node click lists
// the node's work bills, and a typed work bill number is located in tree and list.
class WorkBillTree {
public:
    WorkBillTree(WorkbenchState& state, WorkBillList& list);

    static QString WorkCenterKey(qint32 id);
    static QString TaskKey(const QString& deptNo, qint32 id);
    static QString DepartmentKey(const QString& deptNo);
    static QString RootKey();
    // The id after the first tab and the department number before it without its last
    // two characters; nullopt for keys that name no work center or task (the root,
    // department nodes, anything without a tab).
    static std::optional<WorkBillNodeKey> ParseNodeKey(const QString& key);

    // Rebuilds the tree from the middle tier for the arrangement in force and the filter.
    void Fill();
    // A click on a node: lists its work bills; other nodes' clicks are ignored.
    void OnNodeClick(const QString& key);
    void ListWorkBillsOfNode(const QString& key);
    // Selects the work bill's node (listing it when it was not selected) and its list
    // row, and makes it the current work bill. Reports nothing.
    void LocateWorkBill(const QString& workBillNo);

private:
    bool WorkCenterArrangement() const;
    // Lists the node's work bills without asking about unsaved edits.
    void ListNode(const QString& key);

    WorkbenchState& state_;
    WorkBillList& list_;
};

}  // namespace sp
