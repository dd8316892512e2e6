#include "platform/db/DemoData.h"

#include <QDate>
#include <QDateTime>
#include <QVector>

#include "platform/db/Users.h"
#include "src/common/ComError.h"
#include "src/entry/Rights.h"

namespace sp::platform {
namespace {

QString U(const char* utf8) { return QString::fromUtf8(utf8); }

// Codes of the shop, kept together so the tables below read as a picture of it.
constexpr int kTypeProcess = 61, kTypeTeam = 62, kTypeDeviceType = 281, kTypeTimeUnit = 282;
constexpr int kFullCheck = 351, kExempt = 352, kSampling = 353;
constexpr int kYes = 1058, kNo = 1059;  // Ffare / FisOut
constexpr int kHour = 511;

struct Department {
    int id;
    const char* number;
    const char* shortNumber;
    const char* name;
    int parent;
    int detail;
    int property;
};
const Department kDepartments[] = {
    {1, "01", "01", "生产部", 0, 0, 1070},          {2, "01.01", "0101", "机加工车间", 1, 1, 1070},
    {3, "01.02", "0102", "热处理车间", 1, 1, 1070}, {4, "01.03", "0103", "装配车间", 1, 1, 1070},
    {5, "02", "02", "质量管理部", 0, 1, 1071},      {6, "03", "03", "采购部", 0, 1, 1071},
};

struct WorkCenter {
    int id;
    const char* number;
    const char* shortNumber;
    const char* name;
    int dept;
    int detail;
};
const WorkCenter kWorkCenters[] = {
    {201, "WC", "WC", "全厂工作中心", 0, 0},        {202, "WC.01.01", "A01", "下料工段", 2, 1},
    {203, "WC.01.02", "A02", "数控车削中心", 2, 1}, {204, "WC.01.03", "A03", "铣削加工中心", 2, 1},
    {205, "WC.01.04", "A04", "钻磨工段", 2, 1},     {206, "WC.02.01", "B01", "热处理工段", 3, 1},
    {207, "WC.03.01", "C01", "装配线", 4, 1},       {208, "WC.03.02", "C02", "检验站", 4, 1},
};

struct Process {
    int id;
    const char* code;
    const char* name;
    int workCenter;
    double fee;  // per piece
    int qualityCheck;
    int team;  // the team that does it (kTeams); 0: sent out
};
enum ProcessId { Cut = 101, Turn, Mill, Drill, Heat, Grind, Inspect, Assemble, Coat };
const Process kProcesses[] = {
    {Cut, "01", "下料", 202, 0.5, kExempt, 301},        {Turn, "02", "车削", 203, 2.8, kExempt, 303},
    {Mill, "03", "铣削", 204, 3.5, kExempt, 304},       {Drill, "04", "钻孔", 205, 1.2, kExempt, 305},
    {Heat, "05", "热处理", 206, 1.5, kExempt, 306},     {Grind, "06", "磨削", 205, 2.2, kSampling, 305},
    {Inspect, "07", "检验", 208, 0.6, kFullCheck, 308}, {Assemble, "08", "装配", 207, 4.0, kExempt, 307},
    {Coat, "09", "表面处理", 206, 1.8, kExempt, 0},
};

struct Team {
    int id;
    const char* code;
    const char* name;
};
const Team kTeams[] = {
    {301, "01", "下料班"}, {302, "02", "车工一班"}, {303, "03", "车工二班"}, {304, "04", "铣工班"},
    {305, "05", "钻磨班"}, {306, "06", "热处理班"}, {307, "07", "装配班"},   {308, "08", "质检班"},
};

struct Employee {
    int id;
    const char* shortNumber;
    const char* name;
    int dept;
    int team;
};
const Employee kEmployees[] = {
    {401, "001", "张伟", 2, 301}, {402, "002", "王芳", 2, 301}, {403, "003", "李强", 2, 302},
    {404, "004", "刘洋", 2, 302}, {405, "005", "陈静", 2, 303}, {406, "006", "杨磊", 2, 303},
    {407, "007", "赵敏", 2, 304}, {408, "008", "黄勇", 2, 304}, {409, "009", "周杰", 2, 305},
    {410, "010", "吴涛", 2, 305}, {411, "011", "徐丽", 3, 306}, {412, "012", "孙浩", 3, 306},
    {413, "013", "马超", 4, 307}, {414, "014", "朱军", 4, 307}, {415, "015", "胡斌", 5, 308},
    {416, "016", "郭亮", 5, 308},
};

struct DeviceType {
    int id;
    const char* code;
    const char* name;
};
const DeviceType kDeviceTypes[] = {
    {501, "0", "通用设备"}, {502, "1", "数控车床"}, {503, "2", "加工中心"},
    {504, "3", "钻床"},     {505, "4", "磨床"},     {506, "5", "热处理炉"},
};

struct Device {
    int id;
    const char* number;
    const char* name;
    int type;
    int workCenter;
};
const Device kDevices[] = {
    {601, "SB-A01-01", "带锯床 GB4028", 501, 202},      {602, "SB-A02-01", "数控车床 CK6150 #1", 502, 203},
    {603, "SB-A02-02", "数控车床 CK6150 #2", 502, 203}, {604, "SB-A03-01", "立式加工中心 VMC850", 503, 204},
    {605, "SB-A04-01", "摇臂钻床 Z3050", 504, 205},     {606, "SB-A04-02", "外圆磨床 M1432", 505, 205},
    {607, "SB-B01-01", "井式回火炉 RJ2-75", 506, 206},  {608, "SB-C01-01", "装配工作台", 501, 207},
    {609, "SB-C02-01", "三坐标测量机", 501, 208},
};

struct Item {
    int id;
    const char* number;
    const char* name;
    const char* model;
    int decimals;
    QVector<int> routing;  // processes in order
};
const Item kItems[] = {
    {1, "3.01.001", "传动轴", "Φ40×320", 0, {Cut, Turn, Heat, Grind, Inspect}},
    {2, "3.01.002", "齿轮", "m2 z36", 0, {Cut, Turn, Mill, Heat, Grind, Inspect}},
    {3, "3.02.001", "法兰盘", "DN80 PN16", 2, {Cut, Turn, Drill, Inspect}},
    {4, "3.02.002", "轴承座", "UCP208", 2, {Cut, Mill, Drill, Coat, Inspect}},
    {5, "3.03.001", "连杆", "L180", 2, {Mill, Drill, Assemble}},
    {6, "2.01.001", "冷轧钢板下料件", "δ3 (kg)", 3, {Cut, Drill, Inspect}},
};

struct Task {
    int id;
    int item;
    double qty;
    int status;
    int startDay;  // days from today
};
const Task kTasks[] = {
    {1, 1, 100, 2, -12}, {2, 2, 60, 2, -9},     {3, 3, 250, 2, -6}, {4, 4, 40, 1, -3},
    {5, 5, 120, 1, -1},  {6, 6, 1250.5, 2, -5}, {7, 1, 80, 1, 2},   {8, 3, 150, 1, 4},
};

// Work bills that come with a fixed team, worker or device, and the exceptions the
// workbench has rules for.
struct Fixed {
    int team = 0, worker = 0, device = 0, fare = kYes, out = kNo, supplier = 0;
};
Fixed FixedFor(const Task& task, int process) {
    Fixed fixed;
    if (process == Turn && task.id <= 2) {
        fixed.team = 302;
        fixed.worker = 403;
        fixed.device = 602;
    } else if (process == Heat) {
        fixed.team = 306;
        fixed.device = 607;
    } else if (process == Mill && task.id == 2) {
        fixed.device = 604;
    } else if (process == Coat) {
        fixed.out = kYes;  // sent to the supplier for blackening
        fixed.supplier = 1;
    }
    if (process == Inspect && task.id == 1)
        fixed.fare = kNo;
    return fixed;
}

const Process& ProcessById(int id) {
    for (const Process& p : kProcesses)
        if (p.id == id)
            return p;
    sp::Refuse(QStringLiteral("SeedDemo"), QStringLiteral("unknown process %1").arg(id));
}

const WorkCenter& WorkCenterById(int id) {
    for (const WorkCenter& w : kWorkCenters)
        if (w.id == id)
            return w;
    sp::Refuse(QStringLiteral("SeedDemo"), QStringLiteral("unknown work center %1").arg(id));
}

void SeedMasterData(Database& db) {
    for (const Department& d : kDepartments)
        db.Exec(QStringLiteral(
                    "INSERT INTO t_Department (FItemID, FNumber, FShortNumber, FName, FParentID, FDetail, "
                    "FDProperty) VALUES (?, ?, ?, ?, ?, ?, ?)"),
                {d.id, U(d.number), U(d.shortNumber), U(d.name), d.parent, d.detail, d.property});
    for (const WorkCenter& w : kWorkCenters)
        db.Exec(QStringLiteral(
                    "INSERT INTO t_WorkCenter (FInterID, FNumber, FShortNumber, FName, FDeptID, FParentID, "
                    "FDetail) VALUES (?, ?, ?, ?, ?, ?, ?)"),
                {w.id, U(w.number), U(w.shortNumber), U(w.name), w.dept, w.detail ? 201 : 0, w.detail});

    const QString sub =
        QStringLiteral("INSERT INTO t_SubMessage (FInterID, FTypeID, FID, FName) VALUES (?, ?, ?, ?)");
    for (const Process& p : kProcesses) db.Exec(sub, {p.id, kTypeProcess, U(p.code), U(p.name)});
    for (const Team& t : kTeams) db.Exec(sub, {t.id, kTypeTeam, U(t.code), U(t.name)});
    for (const DeviceType& t : kDeviceTypes) db.Exec(sub, {t.id, kTypeDeviceType, U(t.code), U(t.name)});
    db.Exec(sub, {kHour, kTypeTimeUnit, QStringLiteral("1"), U("小时")});
    db.Exec(sub, {kHour + 1, kTypeTimeUnit, QStringLiteral("2"), U("分钟")});

    const QString emp = QStringLiteral(
        "INSERT INTO t_Emp (FItemID, FNumber, FShortNumber, FName, FDeptID, "
        "FprofessionalGroup, FParentID, FDetail) VALUES (?, ?, ?, ?, ?, ?, ?, ?)");
    db.Exec(emp, {400, QStringLiteral("01"), QStringLiteral("01"), U("生产人员"), 1, 0, 0, 0});
    for (const Employee& e : kEmployees)
        db.Exec(emp, {e.id, QStringLiteral("01.") + U(e.shortNumber), U(e.shortNumber), U(e.name), e.dept,
                      e.team, 400, 1});

    for (const Device& d : kDevices)
        db.Exec(QStringLiteral("INSERT INTO t_Device (FInterID, FNumber, FName, FType, FWorkCenterID) VALUES "
                               "(?, ?, ?, ?, ?)"),
                {d.id, U(d.number), U(d.name), d.type, d.workCenter});
    for (const Item& i : kItems)
        db.Exec(
            QStringLiteral(
                "INSERT INTO t_ICItem (FItemID, FNumber, FName, FModel, FQtyDecimal) VALUES (?, ?, ?, ?, ?)"),
            {i.id, U(i.number), U(i.name), U(i.model), i.decimals});
    db.Exec(QStringLiteral("INSERT INTO t_Supplier (FItemID, FNumber, FName) VALUES (1, 'S001', ?)"),
            {U("永兴表面处理厂")});
    db.Exec(
        QStringLiteral(
            "INSERT INTO t_QualityScheme (FInterID, FNumber, FName) VALUES (1, 'QS01', ?), (2, 'QS02', ?)"),
        {U("全数检验方案"), U("抽样检验方案")});
}

void SeedTasks(Database& db) {
    const QDate today = QDate::currentDate();
    int wbId = 1001;
    int wbNumber = 123;
    for (const Task& task : kTasks) {
        const Item& item = kItems[task.item - 1];
        const QDate start = today.addDays(task.startDay);
        const QDate finish = start.addDays(2 * static_cast<int>(item.routing.size()) + 1);
        db.Exec(QStringLiteral(
                    "INSERT INTO ICMO (FInterID, FBillNo, FTranType, FStatus, FItemID, FWorkShop, FQty, "
                    "FRoutingID, FPlanCommitDate, FPlanFinishDate) VALUES (?, ?, 85, ?, ?, 2, ?, ?, ?, ?)"),
                {task.id, QStringLiteral("WORK%1").arg(100 + task.id, 6, 10, QLatin1Char('0')), task.status,
                 item.id, task.qty, item.id, start, finish});
        for (int entry = 1; entry <= item.routing.size(); ++entry) {
            const Process& process = ProcessById(item.routing[entry - 1]);
            const WorkCenter& center = WorkCenterById(process.workCenter);
            const Fixed fixed = FixedFor(task, process.id);
            const int status = task.status == 2 && entry == 1 ? 2 : 1;
            const int scheme = process.qualityCheck == kFullCheck  ? 1
                               : process.qualityCheck == kSampling ? 2
                                                                   : 0;
            const QDate opStart = start.addDays(2 * (entry - 1));
            db.Exec(
                QStringLiteral("INSERT INTO SHWorkBillEntry (FWBInterID, FInterID, FEntryID, FWorkBillNO, "
                               "FItemID, FDeptID, "
                               "FWorkCenterID, FOperID, FStatus, FQualityChkID, FQualityShcemeID, Ffare, "
                               "FisOut, FteamID, "
                               "FworkerID, FdeviceID, FsupplyID, FTimeUnitID, Ffee, FPlanStartDate, "
                               "FPlanEndDate, FAuxQtyPlan) "
                               "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
                {wbId++,
                 task.id,
                 entry,
                 QStringLiteral("WB%1").arg(wbNumber++, 6, 10, QLatin1Char('0')),
                 item.id,
                 center.dept,
                 center.id,
                 process.id,
                 status,
                 process.qualityCheck,
                 scheme,
                 fixed.fare,
                 fixed.out,
                 fixed.team,
                 fixed.worker,
                 fixed.device,
                 fixed.supplier,
                 kHour,
                 fixed.fare == kNo ? 0.0 : process.fee,
                 opStart,
                 opStart.addDays(2),
                 task.qty});
        }
    }
}

// The demo's users keep their ids; an administrator may have given the name or the id to
// another user before the first demo start.
bool UserFree(Database& db, qint32 id, const QString& name) {
    return !FindUser(db, name) &&
           !db.Scalar(QStringLiteral("SELECT FUserID FROM t_User WHERE FUserID = ?"), {id}).isValid();
}

}  // namespace

qint32 DemoTeamOfProcess(qint32 process) {
    for (const Process& p : kProcesses)
        if (p.id == process)
            return p.team;
    return 0;
}

void SeedDemo(Database& db) {
    Transaction transaction(db);
    if (db.Scalar(QStringLiteral("SELECT COUNT(*) FROM SHWorkBillEntry")).toInt() > 0)
        return;
    SeedMasterData(db);
    SeedTasks(db);
    if (UserFree(db, 1, QStringLiteral("demo")))
        InsertUser(db, 1, QStringLiteral("demo"), U("演示用户（全部权限）"), Rights::All);
    if (UserFree(db, 2, QStringLiteral("clerk")))
        InsertUser(db, 2, QStringLiteral("clerk"), U("车间统计员（无新增汇报权限）"),
                   Rights::All & ~Rights::NewReports);
    db.Exec(QStringLiteral(
        "DELETE FROM t_SystemProfile WHERE FCategory = 'SH' AND FKey = 'SHOPPROC_CONTROLRECEIVE'"));
    db.Exec(
        QStringLiteral("INSERT INTO t_SystemProfile (FCategory, FKey, FValue) VALUES ('SH', "
                       "'SHOPPROC_CONTROLRECEIVE', '1')"));
    transaction.Commit();
}

}  // namespace sp::platform
