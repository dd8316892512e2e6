#pragma once

#include <QHash>
#include <QSet>
#include <QStringList>
#include <functional>
#include <memory>

#include "common/ComponentRegistry.h"
#include "common/ScriptedUi.h"
#include "entry/HostInterfaces.h"
#include "entry/HostServices.h"
#include "middletier/MiddleTierInterfaces.h"
#include "workbench/WorkbenchParts.h"

namespace sp::testing {

// What the host components saw, shared by every object the registry hands out.
struct HostRecord {
    QSet<qint32> deniedRights;
    QVector<qint32> rightsAsked;
    QStringList logs;        // "CJ1000:1"
    QStringList statements;  // every statement through the connection
    QVector<qint32> committedTasks;
    qint32 defaultDeviceType = 7;
    // A statement that is not the device type query goes here when set (real database).
    std::function<RecordsetPtr(const QString&)> execute;

    // Lookups: what the user picks (null: cancels) and what was asked.
    LookupResultPtr employeePick;
    LookupResultPtr teamPick;
    DictionaryPtr devicePick;
    QStringList lookupsAsked;  // "3| FprofessionalGroup = 5 "

    // Middle tier.
    QSet<QString> existingWorkBills;
    QHash<QString, qint32> workBillIds;
    QHash<qint32, qint32> workCenters;
    int middleTierCalls = 0;
};

class FakeGLData : public IGLData {
public:
    explicit FakeGLData(std::shared_ptr<HostRecord> r) : r_(std::move(r)) {}
    bool AccessCheck(qint32, qint16, qint32 mask) override {
        r_->rightsAsked.push_back(mask);
        return !r_->deniedRights.contains(mask);
    }
    void WriteLog(const QString& code, qint16 action) override {
        r_->logs << code + QStringLiteral(":") + QString::number(action);
    }
    BaseItemPtr GetItem(qint32, const QVariant&, const QString&) override { return nullptr; }

private:
    std::shared_ptr<HostRecord> r_;
};

// The host's property store, a login that records committed tasks, the connection,
// the lookups and a middle tier that answers the few questions the workbench asks.
void RegisterFakeHost(ComponentRegistry& registry, const std::shared_ptr<HostRecord>& record);

// A lookup result the user confirmed.
LookupResultPtr Pick(const QString& number, const QString& name, qint32 id, const QVariantMap& properties = {});

// The record grid, list and tree as the workbench asks them: every call is written to
// the log; report columns come from a code -> column table.
class RecordingParts : public WorkbenchParts {
public:
    QStringList calls;
    QHash<QString, int> columns;
    QSet<QString> existing;  // work bills IsExistWB accepts
    std::function<void(int)> onLoadReportHistory;
    std::function<void()> onRefreshWorkBillList;

    void SetupReportColumns() override { calls << QStringLiteral("SetupReportColumns"); }
    void LoadReportHistory(int showFilter) override {
        calls << QStringLiteral("LoadReportHistory(%1)").arg(showFilter);
        if (onLoadReportHistory)
            onLoadReportHistory(showFilter);
    }
    void PaintReportGrid() override { calls << QStringLiteral("PaintReportGrid"); }
    void ReleaseRowLock(int row) override { calls << QStringLiteral("ReleaseRowLock(%1)").arg(row); }
    int ReportColumn(const QString& code) const override { return columns.value(code, 0); }
    QString GetReportColumnCode(int col) const override {
        for (auto it = columns.begin(); it != columns.end(); ++it)
            if (it.value() == col)
                return it.key();
        return QString();
    }
    void SaveReportColumnWidth(int col) override { calls << QStringLiteral("SaveReportColumnWidth(%1)").arg(col); }
    void SetupListGrid() override { calls << QStringLiteral("SetupListGrid"); }
    void RefreshWorkBillList() override {
        calls << QStringLiteral("RefreshWorkBillList");
        if (onRefreshWorkBillList)
            onRefreshWorkBillList();
    }
    void LocateWorkBill(const QString& number) override { calls << QStringLiteral("LocateWorkBill(%1)").arg(number); }
    int existAsked = 0;
    bool IsExistWB(const QString& number, bool) override {
        ++existAsked;
        return !number.isEmpty() && existing.contains(number);
    }
    QString GetWBNO(qint32 id) override { return QStringLiteral("WB%1").arg(id); }
};

}  // namespace sp::testing
