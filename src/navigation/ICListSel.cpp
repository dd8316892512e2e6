#include "src/navigation/ICListSel.h"

#include <algorithm>

#include "src/common/ComponentRegistry.h"
#include "src/common/IgnoreErrors.h"
#include "src/entry/HostInterfaces.h"

namespace sp {

ListSelRow::ListSelRow(QStringList fields, QVariantList values)
    : fields_(std::move(fields)), values_(std::move(values)) {}

QVariant ListSelRow::Value(const QString& field) const {
    for (int i = 0; i < fields_.size(); ++i)
        if (fields_[i].compare(field, Qt::CaseInsensitive) == 0)
            return i < values_.size() ? values_[i] : QVariant();
    throw ComError(3265, QStringLiteral("ICListSel"),
                   QStringLiteral("Item cannot be found in the collection: %1").arg(field));
}

ICListSel::ICListSel(ComponentRegistry& registry) : registry_(registry) {}

bool ICListSel::InitData() {
    loaded_ = false;
    listName_.clear();
    columnFields_.clear();
    columnTitles_.clear();
    rows_.reset();
    currentRow_ = -1;
    selection_.clear();
    // The control reports failure instead of raising: the form closes itself on it.
    const bool ok = IgnoreErrors([&] {
        data_ = registry_.Create<IListSelData>(ProgId::ListSelData());
        if (!data_->Open(baseInfo_, localCnn_))
            throw ComError(ErrorNumber::Refused, QStringLiteral("ICListSel"),
                           QStringLiteral("List %1 cannot be opened.").arg(listId_));
        listName_ = data_->ListName(listId_);
        Recordset columns = data_->Columns(listId_);
        for (columns.MoveFirst(); !columns.Eof(); columns.MoveNext()) {
            columnFields_.append(columns.Field(0).toString());
            columnTitles_.append(columns.FieldCount() > 1 ? columns.Field(1).toString()
                                                          : columns.Field(0).toString());
        }
        if (!Query())
            throw ComError(ErrorNumber::Refused, QStringLiteral("ICListSel"),
                           QStringLiteral("List %1 gave no rows.").arg(listId_));
    });
    if (!ok) {
        data_.reset();
        rows_.reset();
        return false;
    }
    loaded_ = true;
    return true;
}

bool ICListSel::Query() {
    rows_ = data_->Rows(listId_, filter_, searchText_, kMaxRows);
    if (!rows_)
        return false;
    columnIndex_.clear();
    for (const QString& field : columnFields_) columnIndex_.append(rows_->FieldIndex(field));
    currentRow_ = RowCount() > 0 ? 0 : -1;
    selection_.clear();
    if (currentRow_ >= 0 && !MultiRow())
        selection_.insert(currentRow_);
    return true;
}

QString ICListSel::ColumnTitle(int column) const { return columnTitles_.value(column); }

int ICListSel::RowCount() const {
    return rows_ ? static_cast<int>(std::min<qsizetype>(rows_->Rows().size(), kMaxRows)) : 0;
}

QVariant ICListSel::Cell(int row, int column) const {
    if (!rows_ || row < 0 || row >= RowCount() || column < 0 || column >= columnIndex_.size())
        return {};
    const int field = columnIndex_[column];
    const QVariantList& values = rows_->Rows()[row];
    return field >= 0 && field < values.size() ? values[field] : QVariant();
}

void ICListSel::SetSearchText(const QString& text) {
    if (!loaded_ || text == searchText_)
        return;
    const QString before = searchText_;
    searchText_ = text;
    // A failing search keeps the rows shown so far rather than an empty list.
    if (!IgnoreErrors([&] {
            if (!Query())
                throw ComError(ErrorNumber::Refused, QStringLiteral("ICListSel"),
                               QStringLiteral("Search failed."));
        }))
        searchText_ = before;
}

void ICListSel::SetCurrentRow(int row) {
    if (row < -1 || row >= RowCount())
        return;
    currentRow_ = row;
    if (!MultiRow()) {
        selection_.clear();
        if (row >= 0)
            selection_.insert(row);
    }
}

void ICListSel::ToggleRowSelected(int row) {
    if (!MultiRow() || row < 0 || row >= RowCount())
        return;
    if (!selection_.remove(row))
        selection_.insert(row);
}

bool ICListSel::IsRowSelected(int row) const { return selection_.contains(row); }

ListSelRow ICListSel::RowAt(int row) const { return ListSelRow(rows_->FieldNames(), rows_->Rows()[row]); }

ListSelRowsPtr ICListSel::Selected() const {
    if (!loaded_ || !rows_)
        return nullptr;
    auto picked = std::make_shared<ListSelRows>();
    QList<int> order = selection_.values();
    std::sort(order.begin(), order.end());
    for (int row : order)
        if (row >= 0 && row < RowCount())
            picked->Add(RowAt(row));
    return picked;
}

void ICListSel::Report(const QString& command) {
    if (commandHandler)
        commandHandler(command);
}

void ICListSel::CloseList() {
    data_.reset();
    rows_.reset();
    loaded_ = false;
    currentRow_ = -1;
    selection_.clear();
}

}  // namespace sp
