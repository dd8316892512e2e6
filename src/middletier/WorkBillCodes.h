#pragma once

#include <QtGlobal>

// Coded values of the work bill record as the middle tier delivers it. Yes/no entries
// of the host's base data are ids: FisOut and Ffare hold the id of their "yes" or "no"
// entry, so each flag is compared with the one id that the record's meaning hangs on.
namespace sp::WorkBillCode {
constexpr qint32 QualityFull = 351;      // FQualityChkID: full inspection
constexpr qint32 QualitySampling = 353;  // FQualityChkID: sampling; anything else is exempt
constexpr qint32 Outsourced = 1058;      // FisOut: the "yes" entry
constexpr qint32 NoFee = 1059;           // Ffare: the "no" entry
}  // namespace sp::WorkBillCode

namespace sp::WorkBillStatus {
// Work bills in status 1 or 2 are open; 3 is closed.
constexpr qint32 Closed = 3;
}  // namespace sp::WorkBillStatus
