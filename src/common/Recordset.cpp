#include "src/common/Recordset.h"

#include <QRegularExpression>

#include "src/common/ComError.h"

namespace sp {
namespace {
QString Source() { return QStringLiteral("Recordset"); }
}  // namespace

Recordset::Recordset(QStringList fields, QVector<QVariantList> rows)
    : fields_(std::move(fields)), rows_(std::move(rows)) {
    SetFilter(QString());
}

bool Recordset::Eof() const { return !open_ || pos_ >= visible_.size(); }

void Recordset::MoveNext() {
    if (!Eof())
        ++pos_;
}

void Recordset::MoveFirst() { pos_ = 0; }

int Recordset::FieldIndex(const QString& name) const {
    for (int i = 0; i < fields_.size(); ++i)
        if (fields_[i].compare(name, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

const QVariantList& Recordset::Current() const {
    if (!open_)
        throw ComError(3704, Source(), QStringLiteral("Operation is not allowed when the object is closed."));
    if (pos_ >= visible_.size())
        throw ComError(3021, Source(),
                       QStringLiteral("Either BOF or EOF is True, or the current record has been deleted."));
    return rows_[visible_[pos_]];
}

QVariant Recordset::Field(const QString& name) const {
    const int i = FieldIndex(name);
    if (i < 0)
        throw ComError(3265, Source(),
                       QStringLiteral("Item cannot be found in the collection: %1").arg(name));
    const QVariantList& row = Current();
    return i < row.size() ? row[i] : QVariant();
}

QVariant Recordset::Field(int index) const { return FieldAt(index); }

const QVariant& Recordset::FieldAt(int index) const {
    static const QVariant missing;  // a short row's missing fields
    if (index < 0 || index >= fields_.size())
        throw ComError(3265, Source(),
                       QStringLiteral("Item cannot be found in the collection: %1").arg(index));
    const QVariantList& row = Current();
    return index < row.size() ? row[index] : missing;
}

void Recordset::SetFilter(const QString& filter) {
    struct Condition {
        int field;
        QString text;
    };
    QVector<Condition> conditions;
    const QString trimmed = filter.trimmed();
    if (!trimmed.isEmpty()) {
        static const QRegularExpression andSplit(QStringLiteral("\\s+AND\\s+"),
                                                 QRegularExpression::CaseInsensitiveOption);
        static const QRegularExpression cond(
            QStringLiteral("^\\s*\\[?(\\w+)\\]?\\s*=\\s*(?:'((?:[^']|'')*)'|([-+0-9.]+))\\s*$"));
        for (const QString& part : trimmed.split(andSplit)) {
            const auto m = cond.match(part);
            if (!m.hasMatch())
                throw ComError(3001, Source(), QStringLiteral("Unsupported filter: %1").arg(filter));
            const int field = FieldIndex(m.captured(1));
            if (field < 0)
                throw ComError(
                    3265, Source(),
                    QStringLiteral("Item cannot be found in the collection: %1").arg(m.captured(1)));
            const QString text = m.capturedLength(2) || m.captured(3).isEmpty()
                                     ? m.captured(2).replace(QStringLiteral("''"), QStringLiteral("'"))
                                     : m.captured(3);
            conditions.append({field, text});
        }
    }
    filter_ = filter;
    visible_.clear();
    for (int r = 0; r < rows_.size(); ++r) {
        bool pass = true;
        for (const Condition& c : conditions) {
            const QVariant v = c.field < rows_[r].size() ? rows_[r][c.field] : QVariant();
            bool numeric = false;
            const double wanted = c.text.toDouble(&numeric);
            bool isNumber = false;
            const double have = v.toDouble(&isNumber);
            if (numeric && isNumber && v.typeId() != QMetaType::QString)
                pass = have == wanted;
            else
                pass = !v.isNull() && v.toString() == c.text;
            if (!pass)
                break;
        }
        if (pass)
            visible_.append(r);
    }
    pos_ = 0;
}

void Recordset::Close() { open_ = false; }

}  // namespace sp
