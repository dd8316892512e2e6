#include "src/reportgrid/ReportColumns.h"

namespace sp {

namespace {

using C = ReportCode;

struct CodeInfo {
    const char16_t* name;
    const char16_t* source;
    ReportKind kind;
};

// Indexed by ReportCode.
constexpr std::array<CodeInfo, kReportCodeCount> kCodes{{
    {u"GPH", u"WBE.FWorkBillNO", ReportKind::Text},
    {u"HBXH", u"PR.Fserial", ReportKind::Serial},
    {u"BZ", u"PR.FteamID", ReportKind::Lookup},
    {u"CZG", u"PR.FworkerID", ReportKind::Lookup},
    {u"SYSB", u"PR.FdeviceID", ReportKind::Lookup},
    {u"ZDRQ", u"PR.Fdate", ReportKind::Date},
    {u"ZDR", u"PR.FbillerID", ReportKind::Lookup},
    {u"SJKGRQ", u"PR.FstartWorkDate", ReportKind::Date},
    {u"SJWGRQ", u"PR.FendWorkDate", ReportKind::Date},
    {u"SZS", u"PR.FAuxQtyFinish", ReportKind::Quantity},
    {u"HGS", u"PR.FAuxQtyPass", ReportKind::Quantity},
    {u"DSS", u"PR.FAuxQtyLost", ReportKind::Quantity},
    {u"FXS", u"PR.FAuxQtyBack", ReportKind::Quantity},
    {u"FXHGS", u"PR.FAuxQtyBackPass", ReportKind::Quantity},
    {u"YGBFS", u"PR.FAuxQtyScrap", ReportKind::Quantity},
    {u"YLBFS", u"PR.FAuxQtyForItem", ReportKind::Quantity},
    {u"SJDW", u"SMT.Fname", ReportKind::Text},
    {u"SZGS", u"PR.FfinishTime", ReportKind::Hours},
    {u"ZBGS", u"PR.FreadyTime", ReportKind::Hours},
    {u"TDGS", u"PR.FpowercutTime", ReportKind::Hours},
    {u"JXGS", u"PR.FfixTime", ReportKind::Hours},
    {u"DLGS", u"PR.FwaitItemTime", ReportKind::Hours},
    {u"DJGS", u"PR.FwaitToolTime", ReportKind::Hours},
    {u"MEMO", u"PR.Fmemo", ReportKind::Text},
    {u"SHR", u"PR.FcheckerID", ReportKind::Lookup},
    {u"SHBZ", u"PR.Fstatus", ReportKind::AuditFlag},
    {u"LJJSSL", u"WBE.FauxQtyRecive", ReportKind::Quantity},
    {u"LJHBSL", u"0 As LJHBSL", ReportKind::Quantity},
    {u"YJS", u"PR.FAuxQtyHandOver", ReportKind::Quantity},
    {u"JSS", u"PR.FAuxQtyReceive", ReportKind::Quantity},
    {u"DWCB", u"WBE.Ffee", ReportKind::Money},
    {u"FY", u"PR.FtotalFee", ReportKind::Money},
    {u"LJYJSL", u"WBE.FauxQtyHandOver", ReportKind::Quantity},
    {u"SHRQ", u"PR.FcheckDate", ReportKind::DateText},
    {u"GPZH", u"WBE.FInterID", ReportKind::Key},
    {u"GXH", u"WBE.FOperID", ReportKind::Key},
}};

constexpr double kBig = 1E+28;

}  // namespace

QString ReportCodeName(ReportCode code) { return QString::fromUtf16(kCodes.at(Index(code)).name); }

std::optional<ReportCode> ReportCodeFromName(const QString& name) {
    for (ReportCode code : AllReportCodes())
        if (name.compare(QString::fromUtf16(kCodes[Index(code)].name), Qt::CaseInsensitive) == 0)
            return code;
    return std::nullopt;
}

QString ReportSourceExpression(ReportCode code) { return QString::fromUtf16(kCodes.at(Index(code)).source); }

ReportKind ReportKindOf(ReportCode code) { return kCodes.at(Index(code)).kind; }

ReportColumnAttributes ReportColumnAttributesOf(ReportCode code) {
    ReportColumnAttributes a;
    const QString money = QStringLiteral("0.00");
    // clang-format off
    switch (code) {
        case C::HBXH: case C::SHBZ: case C::SHR: case C::SHRQ: case C::SJDW: case C::ZDR:
        case C::GPZH: case C::GXH:
            a.readOnly = true;
            break;
        case C::ZDRQ:
            a.readOnly = true;
            a.kind = CellKind::Date;
            break;
        case C::LJJSSL: case C::LJHBSL: case C::LJYJSL:
            a.readOnly = true;
            a.kind = CellKind::Number;
            a.quantityFormat = true;
            break;
        case C::DWCB:
            a = {true, CellKind::Number, true, 0, kBig, money, false};
            break;
        case C::SJKGRQ: case C::SJWGRQ:
            a.kind = CellKind::Date;
            break;
        case C::SZS: case C::HGS: case C::DSS: case C::FXS: case C::FXHGS: case C::YGBFS: case C::YLBFS:
            a = {false, CellKind::Number, true, 0, kBig, QString(), true};
            break;
        case C::JSS: case C::YJS:
            a = {false, CellKind::Number, true, -kBig, kBig, QString(), true};
            break;
        case C::SZGS: case C::ZBGS: case C::TDGS: case C::JXGS: case C::DLGS: case C::DJGS: case C::FY:
            a = {false, CellKind::Number, true, 0, kBig, money, false};
            break;
        case C::GPH: case C::BZ: case C::CZG: case C::SYSB: case C::MEMO:
            break;
    }
    // clang-format on
    return a;
}

const std::array<ReportCode, kReportCodeCount>& AllReportCodes() {
    static const std::array<ReportCode, kReportCodeCount> codes = [] {
        std::array<ReportCode, kReportCodeCount> a{};
        for (int i = 0; i < kReportCodeCount; ++i) a[i] = static_cast<ReportCode>(i);
        return a;
    }();
    return codes;
}

const std::array<ReportCode, kReportCodeCount>& ReportCodeLookupOrder() {
    // clang-format off
    static const std::array<ReportCode, kReportCodeCount> order{
        C::GPH,  C::HBXH, C::LJJSSL, C::LJHBSL, C::LJYJSL, C::SHBZ, C::SHR,   C::SHRQ,  C::BZ,
        C::CZG,  C::SYSB, C::ZDRQ,   C::ZDR,    C::SJKGRQ, C::SJWGRQ, C::JSS, C::SZS,   C::HGS,
        C::DSS,  C::FXS,  C::FXHGS,  C::YGBFS,  C::YLBFS,  C::YJS,  C::SJDW,  C::SZGS,  C::ZBGS,
        C::TDGS, C::JXGS, C::DLGS,   C::DJGS,   C::DWCB,   C::FY,   C::MEMO,  C::GPZH,  C::GXH,
    };
    // clang-format on
    return order;
}

const std::array<ReportCode, 12>& QuantityCodes() {
    // clang-format off
    static const std::array<ReportCode, 12> codes{C::JSS, C::SZS,   C::HGS,    C::DSS,    C::FXS,    C::FXHGS,
                                                  C::YGBFS, C::YLBFS, C::YJS, C::LJJSSL, C::LJHBSL, C::LJYJSL};
    // clang-format on
    return codes;
}

bool IsPaintedReadOnly(ReportCode code) {
    // clang-format off
    switch (code) {
        case C::HBXH: case C::LJJSSL: case C::LJHBSL: case C::LJYJSL: case C::SHBZ: case C::SHR:
        case C::SHRQ: case C::SJDW: case C::DWCB: case C::ZDR: case C::ZDRQ:
            return true;
        default:
            return false;
    }
    // clang-format on
}

}  // namespace sp
