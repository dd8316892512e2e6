#pragma once

#include <QHash>
#include <QSet>
#include <QStringList>
#include <functional>
#include <memory>

#include "src/common/ComponentRegistry.h"
#include "tests/support/ScriptedUi.h"
#include "src/entry/HostInterfaces.h"
#include "src/entry/HostServices.h"
#include "src/middletier/MiddleTierInterfaces.h"
#include "src/workbench/WorkbenchParts.h"
#include "src/workbench/frmProc.h"

namespace sp::test {

// Every host component the workbench asks for, in one object that records what it saw.
// Middle tier questions the workbench must not ask throw.
class FakeHost : public IShareProps,
                 public ILoginObject,
                 public IGLData,
                 public IAppConnection,
                 public IGLView,
                 public IResourceBrowser,
                 public IMShopProc,
                 public std::enable_shared_from_this<FakeHost> {
public:
    QSet<qint32> deniedRights;
    QVector<qint32> rightsAsked;
    QStringList statements;
    QVector<qint32> committedTasks;
    // Statements other than the device type query go here when set (real database).
    std::function<RecordsetPtr(const QString&)> execute;
    // Lookups: what the user picks (null: cancels) and what was asked.
    LookupResultPtr employeePick, teamPick;
    DictionaryPtr devicePick;
    QStringList lookupsAsked;  // "3| FprofessionalGroup = 5 "
    QHash<QString, qint32> workBillIds;
    QHash<qint32, qint32> workCenters;

    HostProperty GetProperty(const QString& name, qint64) override {
        if (name == QStringLiteral("VLLogin"))
            return {QVariant(), shared_from_this()};
        if (name == QStringLiteral("UserName"))
            return {QStringLiteral("demo"), nullptr};
        return {QStringLiteral("UserID=1;UserName=demo;Language=chs;DBConnection={test};"), nullptr};
    }
    qint32 taskexec(qint32&, QString&, const QString&, qint16, qint16&, qint16&, const QVariant*) override {
        return ++nextTask_;
    }
    bool CommitTask(qint32 taskId) override {
        committedTasks.push_back(taskId);
        return true;
    }
    bool AccessCheck(qint32, qint16, qint32 mask) override {
        rightsAsked.push_back(mask);
        return !deniedRights.contains(mask);
    }
    void WriteLog(const QString&, qint16) override {}
    BaseItemPtr GetItem(qint32, const QVariant&, const QString&) override { return nullptr; }
    RecordsetPtr Execute(const QString& sql) override {
        statements << sql;
        if (execute)
            return execute(sql);
        if (sql.contains(QStringLiteral("t_SubMessage")))
            return std::make_shared<Recordset>(QStringList{QStringLiteral("FinterID")},
                                               QVector<QVariantList>{{7}});
        return std::make_shared<Recordset>();
    }
    void BeginTrans() override {}
    void CommitTrans() override {}
    void RollbackTrans() override {}
    LookupResultPtr ItemLookUp(qint32 itemClass, const QVariant&, const QString& filter,
                               const DictionaryPtr&) override {
        lookupsAsked << QStringLiteral("%1|%2").arg(itemClass).arg(filter);
        return Fresh(employeePick);
    }
    LookupResultPtr SubMesLookup(qint32& type, QString&) override {
        lookupsAsked << QStringLiteral("%1|").arg(type);
        return Fresh(teamPick);
    }
    void SetShowType(qint32 type) override { browserType_ = type; }
    void SetShowMode(qint32) override {}
    void SetFilter(const QString& filter) override { browserFilter_ = filter; }
    void Show() override { lookupsAsked << QStringLiteral("browser%1|%2").arg(browserType_).arg(browserFilter_); }
    DictionaryPtr Result() override { return devicePick; }
    qint32 GetWorkBillInterID(const QString&, const QString& no) override { return workBillIds.value(no); }
    qint32 GetWCID(const QString&, const qint32& id) override { return workCenters.value(id); }

    RecordsetPtr GetWorkBillTitle(const QString&, const qint32&) override { throw NotHere(); }
    RecordsetPtr GetReportTitle(const QString&, const qint32&) override { throw NotHere(); }
    RecordsetPtr GetWorkBillByFilter(const QString&, const bool&, const QString&) override { throw NotHere(); }
    RecordsetPtr GetWorkBillByWCMO(const QString&, const bool&, const bool&, const qint32&,
                                   const QString&) override {
        throw NotHere();
    }
    RecordsetPtr GetWorkBillInfo(const QString&, const QString&) override { throw NotHere(); }
    bool IsExistWB(const QString&, const QString&) override { throw NotHere(); }
    QString GetWorkBillNO(const QString&, const qint32&) override { throw NotHere(); }
    qint32 GetQtyDecimal(const QString&, const qint32&) override { throw NotHere(); }
    QString GetWorkProcRptHis(const QString&, const QString&, const QString&) override { throw NotHere(); }
    QString GetWorkProcRptNew(const QString&, const QString&) override { throw NotHere(); }
    double GetWorkProcRptQty(const QString&, const QString&, const QString&) override { throw NotHere(); }
    double GetWorkProcReceiveQty(const QString&, const QString&, const QString&) override { throw NotHere(); }
    double GetWorkProcHandOverQty(const QString&, const QString&, const QString&) override { throw NotHere(); }
    double GetControlReceiveQty(const QString&, const qint32&, const qint32&) override { throw NotHere(); }
    double GetControlHandOverQty(const QString&, const qint32&, const qint32&) override { throw NotHere(); }
    QString GetUserName(const QString&, const QString&) override { throw NotHere(); }
    void GetEmpInfo(const QString&, QString&, qint32&, QString&, qint32&) override { throw NotHere(); }
    void GetDevInfo(const QString&, QString&, qint32&, QString&, qint32&, qint32&) override { throw NotHere(); }
    void GetTeamInfo(const QString&, QString&, qint32&, QString&) override { throw NotHere(); }
    RecordsetPtr GetWorkBillTree(const QString&, const bool&, const bool&, const QString&) override {
        throw NotHere();
    }

private:
    // Like the host's lookups, every call hands out a result of its own that nobody else
    // keeps: a caller that holds on to a part of it after dropping it reads freed memory.
    static LookupResultPtr Fresh(const LookupResultPtr& pick) {
        if (!pick)
            return nullptr;
        auto result = std::make_shared<LookupResult>(*pick);
        if (result->ReturnObject)
            result->ReturnObject = std::make_shared<LookupEntry>(*result->ReturnObject);
        return result;
    }
    static ComError NotHere() { return ComError(ErrorNumber::Refused, QStringLiteral("FakeHost"), QString()); }
    qint32 nextTask_ = 100;
    qint32 browserType_ = -1;
    QString browserFilter_;
};

// A lookup result the user confirmed.
inline LookupResultPtr Pick(const QString& number, const QString& name, qint32 id,
                            const QVariantMap& properties = {}) {
    auto entry = std::make_shared<LookupEntry>();
    entry->Number = number;
    entry->Name = name;
    entry->ItemID = id;
    entry->Detail = true;
    entry->Properties = properties;
    auto result = std::make_shared<LookupResult>();
    result->ReturnOK = true;
    result->ReturnObject = entry;
    return result;
}

// The record grid, list and tree: the calls that change what is shown are logged;
// report columns come from a code -> column table.
class RecordingParts : public WorkbenchParts {
public:
    QStringList calls;
    QHash<QString, int> columns;
    QSet<QString> existing;  // work bills IsExistWB accepts
    int existAsked = 0;
    std::function<void(int)> onLoadReportHistory;
    std::function<void()> onRefreshWorkBillList;

    void SetupReportColumns() override { calls << QStringLiteral("SetupReportColumns"); }
    void LoadReportHistory(int showFilter) override {
        calls << QStringLiteral("LoadReportHistory(%1)").arg(showFilter);
        if (onLoadReportHistory)
            onLoadReportHistory(showFilter);
    }
    void PaintReportGrid() override {}
    void ReleaseRowLock(int row) override { calls << QStringLiteral("ReleaseRowLock(%1)").arg(row); }
    int ReportColumn(const QString& code) const override { return columns.value(code, 0); }
    QString GetReportColumnCode(int col) const override { return columns.key(col); }
    void SaveReportColumnWidth(int) override {}
    void SetupListGrid() override { calls << QStringLiteral("SetupListGrid"); }
    void RefreshWorkBillList() override {
        calls << QStringLiteral("RefreshWorkBillList");
        if (onRefreshWorkBillList)
            onRefreshWorkBillList();
    }
    void LocateWorkBill(const QString& number) override { calls << QStringLiteral("LocateWorkBill(%1)").arg(number); }
    void FillTree() override { calls << QStringLiteral("FillTree"); }
    bool IsExistWB(const QString& number, bool) override {
        ++existAsked;
        return existing.contains(number);
    }
    QString GetWBNO(qint32 id) override { return QStringLiteral("WB%1").arg(id); }
};

// A filter dialog shown through the Ui port; the scripted user decides its result.
class FakeFilterDialog : public DialogModel, public IFilterDialog {
public:
    explicit FakeFilterDialog(Ui& ui) : ui_(ui) {}
    QString DialogName() const override { return QStringLiteral("frmWageFilter"); }
    void SetRptID(qint32 rptId) override { this->rptId = rptId; }
    void ShowModal() override { ui_.ShowModal(*this); }
    DictionaryPtr Result() override { return result; }

    qint32 rptId = 0;
    DictionaryPtr result;

private:
    Ui& ui_;
};

// One workbench over the fake host, a scripted user and recording parts.
struct WorkbenchBench {
    std::shared_ptr<FakeHost> fake = std::make_shared<FakeHost>();
    ComponentRegistry registry;
    ScriptedUi ui;
    std::unique_ptr<HostServices> host;
    RecordingParts* parts = nullptr;
    std::unique_ptr<frmProc> form;

    explicit WorkbenchBench(const QString& componentFolder = QStringLiteral("/opt/erp/shopproc")) {
        auto f = fake;
        registry.Register<IShareProps>(ProgId::ShareProps(), [f] { return f; });
        registry.Register<IGLData>(ProgId::GLData(), [f] { return f; });
        registry.Register<IAppConnection>(ProgId::AppConnection(), [f] { return f; });
        registry.Register<IGLView>(ProgId::GLView(), [f] { return f; });
        registry.Register<IResourceBrowser>(ProgId::ResourceBrowser(), [f] { return f; });
        registry.Register<IMShopProc>(ProgId::MShopProc(), [f] { return f; });
        ComponentContext context;
        context.registry = &registry;
        context.ui = &ui;
        context.programFolder = QStringLiteral("/opt/erp");
        context.componentFolder = componentFolder;
        context.processId = 4711;
        host = std::make_unique<HostServices>(context);
        frmProc::Factories factories;
        factories.parts = [this](frmProc&) {
            auto p = std::make_unique<RecordingParts>();
            parts = p.get();
            return p;
        };
        factories.filterDialog = [this](HostServices&) { return std::make_unique<FakeFilterDialog>(ui); };
        form = std::make_unique<frmProc>(*host, factories);
    }

    WorkbenchState& state() { return form->State(); }
    GridModel& grid() { return form->vlgProc(); }
    ToolbarModel& bar() { return form->barProc(); }
    // Forget what a setup step asked, showed and called.
    void Forget() {
        ui.Clear();
        parts->calls.clear();
        fake->rightsAsked.clear();
        fake->statements.clear();
    }

    // A record grid of header + 5 rows with the lookup, work bill and audit columns.
    void LayOutGrid() {
        parts->columns = {{QStringLiteral("GPH"), 2}, {QStringLiteral("SHBZ"), 3}, {QStringLiteral("CZG"), 4},
                          {QStringLiteral("BZ"), 5},  {QStringLiteral("SYSB"), 6}, {QStringLiteral("ZDR"), 7},
                          {QStringLiteral("MEMO"), 8}};
        grid().SetCols(8);
        grid().SetRows(6);
        grid().SetFixedRows(1);
    }
    void SetRow(int row, const QString& gph, const QString& shbz) {
        grid().SetCellText(row, 2, gph);
        grid().SetCellText(row, 3, shbz);
    }
};

}  // namespace sp::test
