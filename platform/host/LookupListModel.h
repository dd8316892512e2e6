#pragma once

#include <QString>
#include <QVariantList>
#include <QVector>
#include <memory>
#include <utility>

#include "src/common/Recordset.h"
#include "src/entry/ListSelPickList.h"

namespace sp::platform {

class Database;

// A column of a lookup: the field of the statement and its title.
struct LookupColumn {
    QString field;
    QString title;
};

// A searchable lookup over the database: the rows of one statement, narrowed by a
// search text that the database applies (never a filter over everything in memory),
// a current row, OK and Cancel.
class LookupListModel : public ListSelPickList {
  public:
    static constexpr int kMaxRows = 1000;

    LookupListModel(std::shared_ptr<Database> db, QString dialogName, QString caption,
                    QVector<LookupColumn> columns);

    QString DialogName() const override { return dialogName_; }
    QString Caption() const override { return caption_; }
    int ColumnCount() const override { return static_cast<int>(columns_.size()); }
    QString ColumnTitle(int column) const override;
    int RowCount() const override;
    QVariant Cell(int row, int column) const override;
    QString SearchText() const override { return search_; }
    void SetSearchText(const QString& text) override;
    int CurrentRow() const override { return current_; }
    void SetCurrentRow(int row) override;
    void Confirm() override;
    void Cancel() override;

    // True after OK with a current row.
    bool Accepted() const { return accepted_; }
    // A field of the current row (any field of the statement, shown or not).
    QVariant CurrentField(const QString& field) const;

    // Runs the statement for the search text; the first row that can be taken becomes
    // the current one. Raises ComError when the database does.
    void Reload();

    // "%text%" for LIKE with the wildcards of the text escaped ("\" is the escape).
    static QString LikePattern(const QString& text);
    // " AND (filter)" for a caller's condition, or "" when it is blank.
    static QString AppendedFilter(const QString& filter);

  protected:
    // The statement and its bound parameters for a search text.
    virtual std::pair<QString, QVariantList> Statement(const QString& search) const = 0;
    void SetColumns(QVector<LookupColumn> columns) { columns_ = std::move(columns); }

  private:
    int FirstPickableRow() const;

    std::shared_ptr<Database> db_;
    QString dialogName_;
    QString caption_;
    QVector<LookupColumn> columns_;
    QVector<int> fieldIndex_;
    RecordsetPtr rows_;
    QString search_;
    int current_ = -1;
    bool accepted_ = false;
};

}  // namespace sp::platform
