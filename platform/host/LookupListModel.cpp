#include "platform/host/LookupListModel.h"

#include "platform/db/Database.h"
#include "src/common/Basic.h"
#include "src/common/IgnoreErrors.h"

namespace sp::platform {

LookupListModel::LookupListModel(std::shared_ptr<Database> db, QString dialogName, QString caption,
                                 QVector<LookupColumn> columns)
    : db_(std::move(db)),
      dialogName_(std::move(dialogName)),
      caption_(std::move(caption)),
      columns_(std::move(columns)) {}

QString LookupListModel::ColumnTitle(int column) const {
    return column >= 0 && column < columns_.size() ? columns_[column].title : QString();
}

int LookupListModel::RowCount() const { return rows_ ? static_cast<int>(rows_->Rows().size()) : 0; }

QVariant LookupListModel::Cell(int row, int column) const {
    if (row < 0 || row >= RowCount() || column < 0 || column >= fieldIndex_.size() || fieldIndex_[column] < 0)
        return {};
    return rows_->Rows()[row].value(fieldIndex_[column]);
}

void LookupListModel::Reload() {
    const auto [sql, params] = Statement(search_);
    rows_ = db_->Query(sql, params);
    fieldIndex_.clear();
    for (const LookupColumn& c : columns_) fieldIndex_.append(rows_->FieldIndex(c.field));
    current_ = FirstPickableRow();
    NotifyRowsChanged();
}

int LookupListModel::FirstPickableRow() const {
    // Group entries (FDetail 0) are listed to show where the entries belong, but taking
    // one gives the caller nothing to use: the list opens on the first entry itself, or
    // on the first row when it shows groups only.
    const int detail = rows_->FieldIndex(QStringLiteral("FDetail"));
    for (int row = 0; detail >= 0 && row < RowCount(); ++row)
        if (Basic::Long(rows_->Rows()[row].value(detail)) != 0)
            return row;
    return RowCount() > 0 ? 0 : -1;
}

void LookupListModel::SetSearchText(const QString& text) {
    if (text == search_)
        return;
    const QString before = search_;
    search_ = text;
    // A search the database refuses keeps the rows shown so far.
    if (!IgnoreErrors([&] { Reload(); }))
        search_ = before;
}

void LookupListModel::SetCurrentRow(int row) {
    if (row >= -1 && row < RowCount())
        current_ = row;
}

void LookupListModel::Confirm() {
    if (current_ < 0)
        return;
    accepted_ = true;
    RequestClose();
}

void LookupListModel::Cancel() {
    accepted_ = false;
    RequestClose();
}

QVariant LookupListModel::CurrentField(const QString& field) const {
    if (current_ < 0 || current_ >= RowCount())
        return {};
    const int index = rows_->FieldIndex(field);
    return index < 0 ? QVariant() : rows_->Rows()[current_].value(index);
}

QString LookupListModel::LikePattern(const QString& text) {
    QString escaped;
    for (QChar c : text) {
        if (c == QLatin1Char('%') || c == QLatin1Char('_') || c == QLatin1Char('\\'))
            escaped.append(QLatin1Char('\\'));
        escaped.append(c);
    }
    return QLatin1Char('%') + escaped + QLatin1Char('%');
}

QString LookupListModel::AppendedFilter(const QString& filter) {
    // The caller's condition is SQL handed across the lookup's boundary by the
    // component itself (for example "FDProperty = 1070"); it is never user text.
    if (filter.trimmed().isEmpty())
        return {};
    return QStringLiteral(" AND (") + filter + QLatin1Char(')');
}

}  // namespace sp::platform
