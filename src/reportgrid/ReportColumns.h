#pragma once

#include <QString>
#include <array>
#include <optional>

#include "src/controls/GridModel.h"

namespace sp {

// The 36 report column codes, in the fixed order that indexes ReportColumnPos
// (WorkbenchState::reportColumnPos). The order is stored nowhere else: never reorder.
// clang-format off
enum class ReportCode : int {
    GPH, HBXH, BZ, CZG, SYSB, ZDRQ, ZDR, SJKGRQ, SJWGRQ, SZS, HGS, DSS, FXS, FXHGS, YGBFS, YLBFS, SJDW, SZGS,
    ZBGS, TDGS, JXGS, DLGS, DJGS, MEMO, SHR, SHBZ, LJJSSL, LJHBSL, YJS, JSS, DWCB, FY, LJYJSL, SHRQ, GPZH, GXH,
};
// clang-format on
constexpr int kReportCodeCount = 36;

constexpr int Index(ReportCode code) { return static_cast<int>(code); }

// What a column holds, as the record describes it.
enum class ReportKind { Text, Serial, Quantity, AuditFlag, Lookup, DateText, Date, Hours, Money, Key };

// The fixed attributes of a column's data cells. Quantity columns take the work
// bill's format when rows are loaded; quantityFormat marks them.
struct ReportColumnAttributes {
    bool readOnly = false;
    CellKind kind = CellKind::Text;
    bool hasRange = false;
    double min = 0;
    double max = 0;
    QString format;  // "0.00", or empty
    bool quantityFormat = false;
};

// "GPH", "HBXH", ...
QString ReportCodeName(ReportCode code);
// The code of a layout field, compared without regard to case.
std::optional<ReportCode> ReportCodeFromName(const QString& name);
// The history query's expression for the code ("WBE.FWorkBillNO", "0 As LJHBSL", ...).
QString ReportSourceExpression(ReportCode code);
ReportKind ReportKindOf(ReportCode code);
ReportColumnAttributes ReportColumnAttributesOf(ReportCode code);

// Every code in enumeration order.
const std::array<ReportCode, kReportCodeCount>& AllReportCodes();
// The order in which a column is matched back to its code.
const std::array<ReportCode, kReportCodeCount>& ReportCodeLookupOrder();
// The 12 columns that show quantities in the work bill's number of decimals.
const std::array<ReportCode, 12>& QuantityCodes();
// Columns painted as read-only whatever the row holds.
bool IsPaintedReadOnly(ReportCode code);

}  // namespace sp
