#pragma once

#include <QString>
#include <array>

namespace sp {

// The seven from/to rows of the filter dialog: box indexes 2r and 2r+1 hold the
// bounds stored under fromKey and toKey (in the result dictionary, the settings file
// and the plans), always in this order.
struct FilterBoundRow {
    const char16_t* label;
    const char16_t* fromKey;
    const char16_t* toKey;
};

inline constexpr int kFilterBoxCount = 14;

inline constexpr std::array<FilterBoundRow, 7> kFilterBoundRows{{
    {u"部门", u"BDept", u"EDept"},
    {u"工作中心", u"BWC", u"EWC"},
    {u"生产任务单", u"BICMO", u"EICMO"},
    {u"工序计划单", u"BWB", u"EWB"},
    {u"班组", u"BTeam", u"ETeam"},
    {u"操作工", u"BWorker", u"EWorker"},
    {u"工序", u"BItem", u"EItem"},
}};

// The key of box index (0..13).
inline QString FilterBoundKey(int index) {
    const FilterBoundRow& row = kFilterBoundRows.at(static_cast<size_t>(index / 2));
    return QString::fromUtf16(index % 2 == 0 ? row.fromKey : row.toKey);
}

// The label of a row, with its colon.
inline QString FilterRowLabel(int row) {
    return QString::fromUtf16(kFilterBoundRows.at(static_cast<size_t>(row)).label) + QLatin1Char(':');
}

}  // namespace sp
