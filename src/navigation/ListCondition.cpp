#include "src/navigation/ListCondition.h"

#include <QVariant>
#include <array>

#include "src/common/Basic.h"
#include "src/navigation/LongNumberMode.h"

namespace sp {

namespace {

struct BoundFragment {
    const char16_t* key;
    const char16_t* fragment;
};

// The order is part of the result: lower bound before upper bound, departments first.
constexpr std::array<BoundFragment, 14> kFragments{{
    {u"BDept", u" AND Dept.F##Number >='"},
    {u"EDept", u" AND Dept.F##Number <='"},
    {u"BWC", u" AND wc.F##Number >='"},
    {u"EWC", u" AND wc.F##Number <='"},
    {u"BICMO", u" AND mo.FBillNo >='"},
    {u"EICMO", u" AND mo.FBillNo <='"},
    {u"BWB", u" AND wbe.FWorkBillNo >='"},
    {u"EWB", u" AND wbe.FWorkBillNo <='"},
    {u"BTeam", u" AND team.FID >='"},
    {u"ETeam", u" AND team.FID <='"},
    {u"BWorker", u" AND emp.F##Number >='"},
    {u"EWorker", u" AND emp.F##Number <='"},
    {u"BItem", u" AND SMR.FID >='"},
    {u"EItem", u" AND SMR.FID <='"},
}};

}  // namespace

QString BuildListCondition(const DictionaryPtr& dicFilter) {
    QString condition;
    if (!dicFilter)
        return condition;
    for (const BoundFragment& f : kFragments) {
        const QString value = Basic::Text(dicFilter->Item(QString::fromUtf16(f.key)));
        if (value.isEmpty())
            continue;
        condition += QString::fromUtf16(f.fragment);
        condition += Basic::SqlQuote(value);
        condition += QLatin1Char('\'');
    }
    // One substitution over the finished text: a bound that itself carries the
    // placeholder is rewritten too, the same way the fragments are.
    condition.replace(QStringLiteral(".F##Number"),
                      LongNumberMode() ? QStringLiteral(".FNumber") : QStringLiteral(".FShortNumber"),
                      Qt::CaseInsensitive);
    return condition;
}

}  // namespace sp
