#pragma once

#include <QHash>
#include <QMap>
#include <QSet>
#include <QStringList>
#include <functional>
#include <memory>

#include "src/common/ComponentRegistry.h"
#include "src/entry/HostInterfaces.h"
#include "src/entry/HostServices.h"
#include "src/middletier/MiddleTierInterfaces.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/ScriptedUi.h"

namespace sp::test {

using namespace Qt::StringLiterals;

inline RecordsetPtr Records(const QStringList& fields, const QVector<QVariantList>& rows) {
    return std::make_shared<Recordset>(fields, rows);
}

// "<number> <source>: <description>" of the ComError the call raises; empty when it raises none.
template <class Call>
QString Raised(Call&& call) {
    try {
        call();
    } catch (const ComError& e) {
        return u"%1 %2: %3"_s.arg(e.Number()).arg(e.Source(), e.Description());
    }
    return {};
}

// A confirmed lookup entry.
LookupResultPtr Pick(const QString& number, const QString& name, qint32 id = 0,
                     const QVariantMap& properties = {}, const QVariant& detail = true);

// A record Get*Info finds by id (when given) or number: an employee's professional group,
// a device's type and work center are extra1 and extra2.
struct InfoRow {
    qint32 id = 0;
    QString number, name;
    qint32 extra1 = 0, extra2 = 0;
};

// Every host component the component reaches, and the middle tier's query service, as
// one object of plain data the test sets and reads. `calls` journals every call in order
// ("Method 12 'text'"). A method named in `failing` raises ComError "<Method> failed"; a
// middle-tier method whose hook is not set raises too, so an unexpected call is caught.
// As the real service does, Get*Info of an unknown id keeps the id and gives no name.
class FakeHost : public IShareProps,
                 public ILoginObject,
                 public IAppConnection,
                 public IGLData,
                 public IGLView,
                 public IResourceBrowser,
                 public ILangInfo,
                 public IResLoader,
                 public ISystemProfile,
                 public IErrorDisplay,
                 public IPlanProfile,
                 public ISettingsFile,
                 public IListSelData,
                 public ILocalDatabase,
                 public IMShopProc,
                 public IMShopProcSet,
                 public std::enable_shared_from_this<FakeHost> {
  public:
    QStringList calls;
    QSet<QString> failing;
    QStringList Calls(const QString& method) const;
    int Count(const QString& method) const { return static_cast<int>(Calls(method).size()); }

    // Login: taskexec answers nextTask (counting on) unless another holds the task's key.
    QString props = u"Language=chs;UserID=12.4;UserName=Li;DBInfo={Provider=SQLite;Data Source=erp.db};"_s;
    QString userName = u"Li"_s;
    qint32 nextTask = 100;
    QVector<qint64> busyKeys, takenKeys;
    QVector<qint32> committed;
    bool commitAnswer = true;
    QSet<qint32> lostTasks;      // tasks whose hold was lost
    bool retakeAnswer = false;   // RetakeTask: a lost task is taken back (and no longer lost)
    QSet<qint32> releasedTasks;  // lost tasks an administrator released: never taken back
    // Access check: every right but the denied ones.
    QSet<qint32> deniedRights;
    // Connection: statements as executed; `execute` answers them, else no rows.
    QStringList statements;
    std::function<RecordsetPtr(const QString& sql)> execute;
    // Lookups: the user's choice per ItemLookUp or SubMesLookup in order (none left: a
    // cancel) and the resource browser's chosen row. Every call gets a copy of its own, as
    // from the host, so a caller that keeps a pointer into a dropped result is caught.
    QList<LookupResultPtr> picks;
    DictionaryPtr browserPick, lastLookupOptions;
    // Language, texts (a key without text is its own translation) and the system profile.
    QString hostLanguage, resFileBaseName, languageId;
    QHash<QString, QString> texts;
    QVariant profile;
    // Plans in list order and their key -> value; names arrive with quotes doubled.
    QStringList plans;
    QMap<QString, QMap<QString, QString>> planValues;
    // The settings file set, and its section -> key -> value; keys it cannot read, per
    // section, and whether it can be written.
    QString settingsPath;
    QMap<QString, QMap<QString, QString>> ini;
    QMap<QString, QStringList> iniUnreadable;
    bool iniWritable = true;
    // The host's list: rows of FInterID, FEntryID, FBillNo, searched by bill number.
    QVector<QVariantList> listRows;
    bool listOpens = true;
    // The middle tier's answers, without the props argument.
    std::function<RecordsetPtr(qint32 userId)> workBillTitle, reportTitle;
    std::function<RecordsetPtr(bool check, const QString& condition)> workBillByFilter;
    std::function<RecordsetPtr(bool wc, bool check, qint32 id, const QString& dept)> workBillByWCMO;
    std::function<RecordsetPtr(bool wc, bool check, const QString& condition)> workBillTree;
    std::function<RecordsetPtr(const QString& no)> workBillInfo;
    std::function<bool(const QString& no)> isExistWB;
    std::function<qint32(const QString& no)> workBillInterID;
    std::function<QString(qint32 id)> workBillNO, workBillStamp;
    std::function<qint32(qint32 id)> wcID, qtyDecimal;
    std::function<QString(const QString& condition, const QString& selectList)> workProcRptHis;
    // GetWorkProcRptQty, GetWorkProcReceiveQty, GetWorkProcHandOverQty by method name.
    std::function<double(const QString& method, const QString& no, const QString& serial)> cumulativeQty;
    std::function<QString(const QString& id)> userNameOf;
    std::function<QString(const QString& no)> proposal;  // GetWorkProcRptNew
    std::function<double(qint32 interId, qint32 operId)> receiveLimit, handOverLimit;
    QVector<DictionaryPtr> saved;            // the records of the last save
    QString saveRefusal;                     // non-empty: the save answers False with it
    QHash<QString, QString> recordRefusals;  // "<Method> <id> <serial>" -> refusal
    QVector<InfoRow> emps, devs, teams;

    using S = const QString&;
    using I = const qint32&;
    HostProperty GetProperty(S name, qint64 processId) override;
    qint32 taskexec(qint32& subsystem, QString& function, S computer, qint16 mode, qint16& arg1, qint16& arg2,
                    const QVariant* extra) override;
    bool CommitTask(qint32 task) override {
        committed << task;
        return Answer(__func__, {N(task)}, commitAnswer);
    }
    bool TaskStillHeld(qint32 task) override { return !lostTasks.contains(task); }
    bool RetakeTask(qint32 task) override {
        Note(__func__, {N(task)});
        if (releasedTasks.contains(task))
            return false;
        return (retakeAnswer && lostTasks.remove(task)) || !lostTasks.contains(task);
    }
    bool TaskReleased(qint32 task) override {
        return lostTasks.contains(task) && releasedTasks.contains(task);
    }
    RecordsetPtr Execute(S sql) override;
    void BeginTrans() override { Note(__func__); }
    void CommitTrans() override { Note(__func__); }
    void RollbackTrans() override { Note(__func__); }
    bool AccessCheck(qint32 subsystem, qint16 function, qint32 mask) override {
        return Answer(__func__, {N(subsystem), N(function), N(mask)}, !deniedRights.contains(mask));
    }
    void WriteLog(S code, qint16 action) override { Note(__func__, {code, N(action)}); }
    // Employees (class 3) of `emps` by number, letter case ignored.
    BaseItemPtr GetItem(qint32 c, const QVariant&, S no) override;
    LookupResultPtr ItemLookUp(qint32 itemClass, const QVariant& search, S filter,
                               const DictionaryPtr&) override;
    LookupResultPtr SubMesLookup(qint32& type, QString& search) override;
    void SetShowType(qint32 type) override { browserType_ = type; }
    void SetShowMode(qint32 mode) override { browserMode_ = mode; }
    void SetFilter(S filter) override { browserFilter_ = filter; }
    void Show() override { Note(__func__, {N(browserType_), N(browserMode_), Q(browserFilter_)}); }
    DictionaryPtr Result() override {
        return browserPick ? std::make_shared<Dictionary>(*browserPick) : nullptr;
    }
    QString CurrentLanguage() override { return Answer(__func__, {}, hostLanguage); }
    QString ResFileBaseName() const override { return resFileBaseName; }
    void SetResFileBaseName(S name) override { resFileBaseName = name; }
    QString LanguageID() const override { return languageId; }
    void SetLanguageID(S language) override { languageId = Answer(__func__, {language}, language); }
    QString LoadString(S key) override { return Answer(__func__, {key}, texts.value(key, key)); }
    QVariant GetProfile(S props, S category, S key) override {
        return Answer(__func__, {props, category, key}, profile);
    }
    void HandleError(const ComError& e) override { Note(__func__, {N(e.Number()), e.Description()}); }
    RecordsetPtr GetPlanList(S, I rptId) override;
    RecordsetPtr GetPlanValue(S, I rptId, S plan) override;
    void SaveProfile(S, const Collection<DictionaryPtr>& entries) override;
    void DelPlan(S, I rptId, S plan) override;
    void SetFile(S path) override { settingsPath = Answer(__func__, {path}, path); }
    QString Read(S section, S key, S dflt) override {
        return Answer(__func__, {section, key}, ini.value(section).value(key, dflt));
    }
    void Write(S section, S key, S value) override {
        ini[section][key] = Answer(__func__, {section, key}, value);
    }
    QStringList UnreadableKeys(S section) override {
        return Answer(__func__, {section}, iniUnreadable.value(section));
    }
    bool Writable() override { return Answer(__func__, {}, iniWritable); }
    bool Open(S baseInfo, S localCnn) override {
        return Answer(__func__, {Q(baseInfo), Q(localCnn)}, listOpens);
    }
    QString ListName(qint32 list) override { return Answer(__func__, {N(list)}, u"工序计划单"_s); }
    Recordset Columns(qint32) override {
        return *Records({u"FName"_s, u"FTitle"_s}, {{u"FBillNo"_s, u"单号"_s}});
    }
    RecordsetPtr Rows(qint32 list, S filter, S search, int maxRows) override;
    QString Connect(S path) override;

    RecordsetPtr GetWorkBillTitle(S, I user) override { return Ask(workBillTitle, __func__, user); }
    RecordsetPtr GetReportTitle(S, I user) override { return Ask(reportTitle, __func__, user); }
    RecordsetPtr GetWorkBillByFilter(S, const bool& check, S condition) override {
        return Ask(workBillByFilter, __func__, check, condition);
    }
    RecordsetPtr GetWorkBillByWCMO(S, const bool& wc, const bool& check, I id, S dept) override {
        return Ask(workBillByWCMO, __func__, wc, check, id, dept);
    }
    RecordsetPtr GetWorkBillTree(S, const bool& wc, const bool& check, S condition) override {
        return Ask(workBillTree, __func__, wc, check, condition);
    }
    RecordsetPtr GetWorkBillInfo(S, S no) override { return Ask(workBillInfo, __func__, no); }
    bool IsExistWB(S, S no) override { return Ask(isExistWB, __func__, no); }
    qint32 GetWorkBillInterID(S, S no) override { return Ask(workBillInterID, __func__, no); }
    QString GetWorkBillNO(S, I id) override { return Ask(workBillNO, __func__, id); }
    qint32 GetWCID(S, I id) override { return Ask(wcID, __func__, id); }
    qint32 GetQtyDecimal(S, I id) override { return Ask(qtyDecimal, __func__, id); }
    QString GetWorkBillStamp(S, I id) override { return Ask(workBillStamp, __func__, id); }
    QString GetWorkProcRptHis(S, S condition, S list) override {
        return Ask(workProcRptHis, __func__, condition, list);
    }
    QString GetWorkProcRptNew(S, S no) override { return Ask(proposal, __func__, no); }
    double GetWorkProcRptQty(S, S n, S s) override { return Qty(__func__, n, s); }
    double GetWorkProcReceiveQty(S, S n, S s) override { return Qty(__func__, n, s); }
    double GetWorkProcHandOverQty(S, S n, S s) override { return Qty(__func__, n, s); }
    double GetControlReceiveQty(S, I id, I op) override { return Ask(receiveLimit, __func__, id, op); }
    double GetControlHandOverQty(S, I id, I op) override { return Ask(handOverLimit, __func__, id, op); }
    // The update service: the records of a save (kept in `saved`), and the per-record
    // commands answered by `recordAnswer` ("<Method> <id> <serial>": true, or the refusal).
    bool SaveWorkProcRpt(S, ReportRecords& records, QString& message) override;
    bool AuditWorkProcRpt(S, I id, I serial, I checker, QString& message) override {
        return Record(__func__, id, serial, message, checker);
    }
    bool UnAuditWorkProcRpt(S, I id, I serial, QString& message) override {
        return Record(__func__, id, serial, message);
    }
    bool DelWorkProcRpt(S, I id, I serial, QString& message) override {
        return Record(__func__, id, serial, message);
    }
    QString GetUserName(S, S id) override { return Ask(userNameOf, __func__, id); }
    void GetEmpInfo(S, QString& number, qint32& id, QString& name, qint32& group) override;
    void GetDevInfo(S, QString& number, qint32& id, QString& name, qint32& type, qint32& workCenter) override;
    void GetTeamInfo(S, QString& number, qint32& id, QString& name) override;

  private:
    bool Record(const char* method, qint32 id, qint32 serial, QString& message, qint32 checker = 0);
    static QString N(qint64 n) { return QString::number(n); }
    static QString Q(const QString& text) { return u'\'' + text + u'\''; }
    // Journals the call; raises when the method is to fail.
    void Note(const char* method, const QStringList& args = {});
    template <class T>
    T Answer(const char* method, const QStringList& args, T value) {
        Note(method, args);
        return value;
    }
    [[noreturn]] static void Unexpected(const char* method);
    // Journals a middle-tier call and answers from its hook; a call without one is unexpected.
    template <class R, class... P, class... A>
    R Ask(const std::function<R(P...)>& hook, const char* method, A&&... args) {
        Note(method);
        if (!hook)
            Unexpected(method);
        return hook(std::forward<A>(args)...);
    }
    double Qty(const char* method, S no, S serial) {
        return Ask(cumulativeQty, method, QString::fromLatin1(method), no, serial);
    }
    LookupResultPtr NextPick();
    const InfoRow* Info(const QVector<InfoRow>& rows, const char* method, QString& number, qint32& id,
                        QString& name);
    qint32 browserType_ = -1, browserMode_ = -1;
    QString browserFilter_;
};

// Where the component runs.
struct HostSetup {
    QString programFolder;
    QString componentFolder;
    qint64 processId = 0;
    Ui* screen = nullptr;  // what the component shows on; the harness's scripted user when null

    static HostSetup InFolder(const QString& folder) { return {folder, QString(), 0, nullptr}; }
    static HostSetup InProcess(qint64 id) { return {QString(), QString(), id, nullptr}; }
    static HostSetup OnScreen(Ui* ui) { return {QString(), QString(), 0, ui}; }
};

// The fake registered under every ProgID, a scripted user, and the host service layer
// over them. Every Create hands out the one fake and is counted per ProgID.
class HostHarness {
  public:
    explicit HostHarness(const HostSetup& setup = {});
    HostHarness(const HostHarness&) = delete;
    HostHarness& operator=(const HostHarness&) = delete;
    int Created(const QString& progId) const { return created_.value(progId.toLower()); }

    std::shared_ptr<FakeHost> fake = std::make_shared<FakeHost>();
    ComponentRegistry registry;
    ScriptedUi ui;
    std::unique_ptr<HostServices> host;

  private:
    template <class I>
    void Put(const QString& progId);
    QHash<QString, int> created_;
};

}  // namespace sp::test
