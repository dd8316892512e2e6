#pragma once

#include <QLatin1StringView>
#include <array>

// The fields of a report record: the dictionary per grid row that the workbench's save
// hands to MShopProcSet.SaveWorkProcRpt and the service reads back by key. The keys are
// the service's own spelling, mixed case included. Both sides name them through these
// constants only, so a key cannot be spelt one way when written and another when read
// (it would be read as blank and stored as 0).
namespace sp::ReportRecord {

inline constexpr QLatin1StringView WorkBillId{"FWBinterID"};
inline constexpr QLatin1StringView Serial{"Fserial"};
inline constexpr QLatin1StringView BillerId{"FbillerID"};
inline constexpr QLatin1StringView MakingDate{"Fdate"};
inline constexpr QLatin1StringView WorkerId{"FworkerID"};
inline constexpr QLatin1StringView DeviceId{"FdeviceID"};
inline constexpr QLatin1StringView TeamId{"FteamID"};
inline constexpr QLatin1StringView StartDate{"FstartWorkDate"};
inline constexpr QLatin1StringView EndDate{"FEndWorkDate"};
inline constexpr QLatin1StringView Finished{"FAuxQtyfinish"};
inline constexpr QLatin1StringView Passed{"FAuxQtyPass"};
inline constexpr QLatin1StringView Lost{"FAuxQtylost"};
inline constexpr QLatin1StringView Reworked{"FAuxQtyBack"};
inline constexpr QLatin1StringView ReworkPassed{"FAuxQtyBackPass"};
inline constexpr QLatin1StringView ScrapByWork{"FAuxQtyscrap"};
inline constexpr QLatin1StringView ScrapByMaterial{"FAuxQtyForItem"};
inline constexpr QLatin1StringView WorkHours{"FfinishTime"};
inline constexpr QLatin1StringView ReadyHours{"FreadyTime"};
inline constexpr QLatin1StringView PowerCutHours{"FPowerCutTime"};
inline constexpr QLatin1StringView RepairHours{"FfixTime"};
inline constexpr QLatin1StringView WaitMaterialHours{"FwaitItemTime"};
inline constexpr QLatin1StringView WaitToolHours{"FwaitTooltime"};
inline constexpr QLatin1StringView Memo{"Fmemo"};
inline constexpr QLatin1StringView Received{"FauxQtyReceive"};
inline constexpr QLatin1StringView HandedOver{"FauxQtyHandOver"};
inline constexpr QLatin1StringView Fee{"FtotalFee"};
// Our own: the row was entered in new mode and may only be inserted.
inline constexpr QLatin1StringView IsNew{"FIsNew"};

// What a field holds, as the service reads it.
enum class Kind {
    Id,          // a whole 32-bit number; blank is 0 (the serial: from 1)
    Date,        // blank leaves the date to the service
    Quantity,    // a quantity, hour or fee: a number, never negative
    Correction,  // a quantity that may be negative: received and handed over
    Text,
    Flag,
};

struct Field {
    QLatin1StringView key;
    Kind kind;
    // The service refuses a record without it. The biller is not: the service bills the
    // caller whatever the record says. The making date is: a blank one is filled, but a
    // key that fell out of the record must not pass for a blank.
    bool required;
};

// Every field of a record, in the order the workbench adds them; the quantity fields
// in this order are the order in which the service stores them.
inline constexpr std::array<Field, 27> kFields{{
    {WorkBillId, Kind::Id, true},
    {Serial, Kind::Id, true},
    {BillerId, Kind::Id, false},
    {MakingDate, Kind::Date, true},
    {WorkerId, Kind::Id, true},
    {DeviceId, Kind::Id, true},
    {TeamId, Kind::Id, true},
    {StartDate, Kind::Date, true},
    {EndDate, Kind::Date, true},
    {Finished, Kind::Quantity, true},
    {Passed, Kind::Quantity, true},
    {Lost, Kind::Quantity, true},
    {Reworked, Kind::Quantity, true},
    {ReworkPassed, Kind::Quantity, true},
    {ScrapByWork, Kind::Quantity, true},
    {ScrapByMaterial, Kind::Quantity, true},
    {WorkHours, Kind::Quantity, true},
    {ReadyHours, Kind::Quantity, true},
    {PowerCutHours, Kind::Quantity, true},
    {RepairHours, Kind::Quantity, true},
    {WaitMaterialHours, Kind::Quantity, true},
    {WaitToolHours, Kind::Quantity, true},
    {Memo, Kind::Text, true},
    {Received, Kind::Correction, true},
    {HandedOver, Kind::Correction, true},
    {Fee, Kind::Quantity, true},
    {IsNew, Kind::Flag, false},
}};

// Whether a field holds a quantity, hour or fee (of either sign).
constexpr bool IsQuantity(const Field& f) { return f.kind == Kind::Quantity || f.kind == Kind::Correction; }

// Keys compared as written, for checks at compile time.
constexpr bool SameKey(QLatin1StringView a, QLatin1StringView b) {
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i)
        if (a.data()[i] != b.data()[i])
            return false;
    return true;
}

}  // namespace sp::ReportRecord
