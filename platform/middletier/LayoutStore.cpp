#include "platform/middletier/LayoutStore.h"

#include <QMutex>
#include <QSet>
#include <vector>

#include "src/common/ErrorLog.h"

namespace sp::platform {
namespace {

struct DefaultColumn {
    const char* field;
    const char* title;
    int show;
    double width = 0;  // twips; 0 is the grid's default width
};

// The list's first five columns do not scroll and are not offered by the settings
// dialog, so they hold what identifies a work bill; the number is fifth, where every
// hand-over of the list reads it. The number column is wide enough for the longest
// numbers the generated data has: a benchmark load on the demo database numbers its
// work bills like "B1040WB0019999", about 112 px in a 9-point sans font; with a margin
// that is 120 px, 1800 twips. The grid's default width would cut them.
const std::vector<DefaultColumn>& WorkBillDefault() {
    static const std::vector<DefaultColumn> columns = {
        {"FWorkCenterID", "工作中心", 1},
        {"FICMONO", "生产任务单号", 1, 1500},
        {"FitemName", "物料名称", 1},
        {"FOperID", "工序", 1},
        {"FWorkBillNO", "工序计划单号", 1, 1800},
        {"FitemModel", "规格型号", 1},
        {"FAuxQtyPlan", "计划数量", 1},
        {"FAuxQtyRecive", "接收数量", 1},
        {"FauxQtyFinish", "实作数量", 1},
        {"FauxQtyPass", "合格数量", 1},
        {"FauxQtyHandOver", "移交数量", 1},
        {"FauxQtyLost", "遗失数量", 0},
        {"FauxQtyScrap", "因工报废数量", 0},
        {"FAuxQtyForItem", "因料报废数量", 0},
        {"FteamID", "班组", 1},
        {"FworkerID", "操作工", 1},
        {"FdeviceID", "设备", 1},
        {"FQualityChkID", "质检方式", 1},
        {"FQualityShcemeID", "质检方案", 0},
        {"Ffee", "单位工费", 1},
        {"FtotalFee", "费用", 1},
        {"Ffare", "是否计费", 0},
        {"FisOut", "是否外协", 1},
        {"FsupplyID", "外协单位", 0},
        {"FfmanagerID", "负责人", 0},
        {"FPlanStartDate", "计划开工日期", 1},
        {"FPlanEndDate", "计划完工日期", 1},
        {"FDeptName", "部门", 0},
        {"Ffinishtime", "实作工时", 0},
        {"FtotalWorkTime", "总工时", 0},
    };
    return columns;
}

// All 36 report column codes. Grid column 2 holds the first; the settings dialog
// numbers from grid column 3 as 1, so the first gets position 0.
const std::vector<DefaultColumn>& ReportDefault() {
    static const std::vector<DefaultColumn> columns = {
        {"GPH", "工序计划单号", 1},
        {"HBXH", "汇报序号", 1},
        {"SHBZ", "审核", 1},
        {"ZDRQ", "制单日期", 1},
        {"ZDR", "制单人", 1},
        {"BZ", "班组", 1},
        {"CZG", "操作工", 1},
        {"SYSB", "使用设备", 1},
        {"SJKGRQ", "实际开工日期", 1},
        {"SJWGRQ", "实际完工日期", 1},
        {"JSS", "接收数", 1},
        {"SZS", "实作数", 1},
        {"HGS", "合格数", 1},
        {"DSS", "遗失数", 1},
        {"FXS", "返修数", 1},
        {"FXHGS", "返修合格数", 1},
        {"YGBFS", "因工报废数", 1},
        {"YLBFS", "因料报废数", 1},
        {"YJS", "移交数", 1},
        {"LJJSSL", "累计接收数量", 1},
        {"LJHBSL", "累计汇报数量", 1},
        {"LJYJSL", "累计移交数量", 1},
        {"SJDW", "时间单位", 1},
        {"SZGS", "实作工时", 1},
        {"ZBGS", "准备工时", 1},
        {"TDGS", "停电工时", 1},
        {"JXGS", "检修工时", 1},
        {"DLGS", "待料工时", 1},
        {"DJGS", "待工具工时", 1},
        {"DWCB", "单位工费", 1},
        {"FY", "费用", 1},
        {"MEMO", "备注", 1},
        {"SHR", "审核人", 1},
        {"SHRQ", "审核日期", 1},
        {"GPZH", "工序计划单内码", 0},
        {"GXH", "工序内码", 0},
    };
    return columns;
}

// Whether the list layout has the work bill number fifth.
bool NumberFifth(const Recordset& rs) {
    const QVector<QVariantList>& rows = rs.Rows();
    const int field = rs.FieldIndex(QStringLiteral("Ffield"));
    return rows.size() >= 5 && field >= 0 &&
           rows[4].value(field).toString().compare(QStringLiteral("FWorkBillNO"), Qt::CaseInsensitive) == 0;
}

// A default layout as the rows of a title, not stored.
RecordsetPtr DefaultTitle(const std::vector<DefaultColumn>& columns) {
    QVector<QVariantList> rows;
    for (const DefaultColumn& c : columns)
        rows.append({QString::fromLatin1(c.field), QString::fromUtf8(c.title), c.show, c.width});
    return std::make_shared<Recordset>(QStringList{QStringLiteral("Ffield"), QStringLiteral("Fname"),
                                                   QStringLiteral("Fshow"), QStringLiteral("Fwidth")},
                                       rows);
}

}  // namespace

RecordsetPtr LayoutStore::Read(const QString& type, qint32 userId) {
    return db_.Query(
        QStringLiteral("SELECT Ffield, Fname, Fshow, Fwidth FROM SHRptDef WHERE Ftype = ? AND FuserID = ? "
                       "ORDER BY Forder, FSeq"),
        {type, userId});
}

bool LayoutStore::StoreDefault(const QString& type, qint32 userId) {
    const bool report = type == ReportType();
    const auto& columns = report ? ReportDefault() : WorkBillDefault();
    // One statement, so a first start across a slow link waits for one round trip: the
    // rows go in only while the user has none of this type, and ON CONFLICT lets two
    // workstations that both found none store the same default without either failing.
    QStringList rows;
    QVariantList params{type, userId};
    int seq = 0;
    for (const DefaultColumn& c : columns) {
        rows << QStringLiteral(
            "(?, ?, CAST(? AS INTEGER), CAST(? AS INTEGER), CAST(? AS DOUBLE PRECISION), "
            "CAST(? AS INTEGER))");
        params << QString::fromLatin1(c.field) << QString::fromUtf8(c.title) << (report ? seq : seq + 1)
               << c.show << c.width << seq;
        ++seq;
    }
    params << type << userId;
    const int stored = db_.Exec(
        QStringLiteral("INSERT INTO SHRptDef (Ffield, Fname, Forder, Fshow, Fwidth, FSeq, Ftype, FuserID) "
                       "SELECT v.*, CAST(? AS TEXT), CAST(? AS INTEGER) FROM (VALUES %1) AS v WHERE "
                       "NOT EXISTS (SELECT 1 FROM SHRptDef WHERE Ftype = ? AND FuserID = ?) ON CONFLICT DO "
                       "NOTHING")
            .arg(rows.join(QStringLiteral(", "))),
        params);
    return stored == static_cast<int>(columns.size());
}

RecordsetPtr LayoutStore::Title(const QString& type, qint32 userId) {
    RecordsetPtr rs = Read(type, userId);
    if (rs->Eof()) {
        // Stored whole, the layout is the default as it stands; else read what is there.
        if (StoreDefault(type, userId))
            return DefaultTitle(type == ReportType() ? ReportDefault() : WorkBillDefault());
        rs = Read(type, userId);
    }
    if (type == WorkBillType() && !NumberFifth(*rs)) {
        // Every hand-over of the list reads the number from its fifth column: a layout
        // that moved it (hand-made rows) lists from the default, and the stored rows
        // stay for whoever repairs them. Logged once per user and process.
        static QMutex mutex;
        static QSet<qint32> logged;
        QMutexLocker lock(&mutex);
        if (!logged.contains(userId)) {
            logged.insert(userId);
            ErrorLog::Write(QStringLiteral("Q8MShopProc.MShopProc"),
                            QStringLiteral("GetWorkBillTitle: the stored list layout of user %1 has no "
                                           "FWorkBillNO in its fifth row; the default layout is used")
                                .arg(userId));
        }
        return DefaultTitle(WorkBillDefault());
    }
    rs->MoveFirst();
    return rs;
}

}  // namespace sp::platform
