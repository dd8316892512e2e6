#pragma once

#include <QSet>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <memory>

#include "src/common/Collection.h"
#include "src/common/Recordset.h"

namespace sp {

class ComponentRegistry;
class IListSelData;

// One picked row of a list: Value(field) gives that field (case-insensitive); an
// unknown field raises ComError like a recordset would.
class ListSelRow {
  public:
    ListSelRow() = default;
    ListSelRow(QStringList fields, QVariantList values);
    QVariant Value(const QString& field) const;

  private:
    QStringList fields_;
    QVariantList values_;
};
using ListSelRows = Collection<ListSelRow>;
using ListSelRowsPtr = std::shared_ptr<ListSelRows>;

// The list selection control: shows one of the host's lists (601 reportable work
// bills, 36 production tasks) under the caller's filter and lets the user pick rows.
// Searching asks the list data again with the search text and a row limit, so that a
// list of tens of thousands of work bills is never filtered in memory.
class ICListSel {
  public:
    // Rows fetched per query; a search narrows further.
    static constexpr int kMaxRows = 20000;

    explicit ICListSel(ComponentRegistry& registry);

    QString DestBillTransType() const { return destBillTransType_; }
    void SetDestBillTransType(const QString& v) { destBillTransType_ = v; }
    void SetListShowStatus(qint32 v) { listShowStatus_ = v; }
    qint32 ListShowStatus() const { return listShowStatus_; }
    void SetListID(qint32 v) { listId_ = v; }
    qint32 ListID() const { return listId_; }
    void SetBaseInfo(const QString& v) { baseInfo_ = v; }
    QString BaseInfo() const { return baseInfo_; }
    void SetMultiSelect(bool v) { multiSelect_ = v; }
    bool MultiSelect() const { return multiSelect_; }
    void SetCanSelectMultiRow(bool v) { canSelectMultiRow_ = v; }
    bool CanSelectMultiRow() const { return canSelectMultiRow_; }
    void SetFilter(const QString& v) { filter_ = v; }
    QString Filter() const { return filter_; }
    void SetSelectFlag(qint32 v) { selectFlag_ = v; }
    qint32 SelectFlag() const { return selectFlag_; }
    void SetLocalCnn(const QString& v) { localCnn_ = v; }
    QString LocalCnn() const { return localCnn_; }

    // Loads the list through the host's list data; true when it could be loaded.
    bool InitData();
    bool Loaded() const { return loaded_; }
    // The list's name ("FName" of its first list entry); empty before InitData.
    QString ListName() const { return listName_; }

    int ColumnCount() const { return static_cast<int>(columnFields_.size()); }
    QString ColumnTitle(int column) const;
    int RowCount() const;
    QVariant Cell(int row, int column) const;

    QString SearchText() const { return searchText_; }
    // Runs the list's query again with the text; the selection is dropped.
    void SetSearchText(const QString& text);

    int CurrentRow() const { return currentRow_; }
    // Makes the row current and, without multi-row selection, the only selected row.
    void SetCurrentRow(int row);
    // Adds or removes a row from the selection; only with multi-row selection.
    void ToggleRowSelected(int row);
    bool IsRowSelected(int row) const;

    // The picked rows in list order; nullptr (Nothing) before the list is loaded.
    ListSelRowsPtr Selected() const;

    // The user's commands, reported by name to the hosting form.
    void SelectOK() { Report(QStringLiteral("SelectOK")); }
    void Exit() { Report(QStringLiteral("Exit")); }
    std::function<void(const QString&)> commandHandler;

    // Tells the control its list is no longer shown.
    void CloseList();

  private:
    void Report(const QString& command);
    bool Query();
    ListSelRow RowAt(int row) const;
    bool MultiRow() const { return multiSelect_ || canSelectMultiRow_; }

    ComponentRegistry& registry_;
    QString destBillTransType_;
    qint32 listShowStatus_ = 0;
    qint32 listId_ = 0;
    QString baseInfo_;
    bool multiSelect_ = false;
    bool canSelectMultiRow_ = false;
    QString filter_;
    qint32 selectFlag_ = 0;
    QString localCnn_;

    std::shared_ptr<IListSelData> data_;
    bool loaded_ = false;
    QString listName_;
    QStringList columnFields_;
    QStringList columnTitles_;
    QVector<int> columnIndex_;  // column -> field index of the rows
    RecordsetPtr rows_;
    QString searchText_;
    int currentRow_ = -1;
    QSet<int> selection_;
};

}  // namespace sp
