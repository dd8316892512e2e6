#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>
#include <memory>

#include "src/common/Export.h"

namespace sp {

// A materialised result in the shape host and middle-tier callers expect:
// a cursor with Eof and MoveNext, fields by name (case-insensitive) or index,
// Close, and a simple equality Filter such as "FKey='BDept'".
class SPCOMMON_EXPORT Recordset {
  public:
    Recordset() = default;
    Recordset(QStringList fields, QVector<QVariantList> rows);

    // End of the rows: true once MoveNext has passed the last row (EOF is a C macro,
    // hence the spelling).
    bool Eof() const;
    void MoveNext();
    void MoveFirst();

    // Field of the current row. An unknown field or a read past the end raises ComError.
    QVariant Field(const QString& name) const;
    QVariant Field(int index) const;
    // Field(index) without a copy, for fills that read every field of thousands of rows;
    // the reference holds until the records change.
    const QVariant& FieldAt(int index) const;
    bool HasField(const QString& name) const { return FieldIndex(name) >= 0; }
    int FieldIndex(const QString& name) const;

    int FieldCount() const { return static_cast<int>(fields_.size()); }
    const QStringList& FieldNames() const { return fields_; }
    // Rows that pass the filter.
    int RecordCount() const { return static_cast<int>(visible_.size()); }

    // "" clears the filter; otherwise conditions Field='text' or Field=number joined by
    // AND. The cursor moves to the first row that passes.
    void SetFilter(const QString& filter);
    const QString& Filter() const { return filter_; }

    void Close();
    bool IsOpen() const { return open_; }

    // Whole rows for callers that copy a result (grid fills, tests).
    const QVector<QVariantList>& Rows() const { return rows_; }

  private:
    const QVariantList& Current() const;

    QStringList fields_;
    QVector<QVariantList> rows_;
    QVector<int> visible_;
    int pos_ = 0;
    bool open_ = true;
    QString filter_;
};

using RecordsetPtr = std::shared_ptr<Recordset>;

}  // namespace sp
