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
// In new mode the list also follows the keyboard's current node; in edit mode, where
// every change of work bill loads a history, the keyboard only moves the selection
// until Enter or Space asks for the node like a click.
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
    // The keyboard moved the tree's current node: listed as a click in new mode only.
    void OnCursorMove(const QString& key);
    // Lists the node's work bills when unsaved edits may be left; when they may not,
    // the tree's selection returns to the node whose work bills are listed.
    void ListWorkBillsOfNode(const QString& key);
    // The node whose work bills the list shows; empty before the first node is listed
    // and after the tree is filled anew.
    const QString& ListedKey() const { return listedKey_; }
    // Selects the work bill's node (listing it when it is not the listed one) and its list
    // row, and makes it the current work bill. Reports nothing.
    void LocateWorkBill(const QString& workBillNo);

  private:
    bool WorkCenterArrangement() const;
    // Lists the node's work bills without asking about unsaved edits.
    void ListNode(const QString& key);

    // Selects the listed node again, or none when it is no longer in the tree.
    void RestoreSelection();

    WorkbenchState& state_;
    WorkBillList& list_;
    QString listedKey_;
};

}  // namespace sp
