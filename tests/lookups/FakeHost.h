#pragma once

// Fakes of the host and middle-tier components for the workbench parts' tests: one
// script object holds what each middle-tier method answers (unset methods raise), and
// every NewMShopProc() gets a fresh object over that script, as the host does.

#include <QStringList>
#include <QVector>
#include <functional>
#include <memory>

#include "src/common/ComponentRegistry.h"
#include "tests/support/ScriptedUi.h"
#include "src/entry/HostServices.h"

namespace sp::test {

struct PersonRow {
    qint32 id;
    QString number;
    QString name;
    qint32 extra1 = 0;
    qint32 extra2 = 0;
};

// What the fake middle tier answers. Unset functions raise ComError.
struct MiddleTierScript {
    std::function<RecordsetPtr(qint32)> workBillTitle;
    std::function<RecordsetPtr(qint32)> reportTitle;
    std::function<RecordsetPtr(bool check, const QString& condition)> workBillByFilter;
    std::function<RecordsetPtr(bool wc, bool check, qint32 id, const QString& dept)> workBillByWCMO;
    std::function<RecordsetPtr(const QString&)> workBillInfo;
    std::function<bool(const QString&)> isExistWB;
    std::function<qint32(const QString&)> workBillInterID;
    std::function<QString(qint32)> workBillNO;
    std::function<qint32(qint32)> qtyDecimal;
    std::function<QString(const QString& condition, const QString& selectList)> workProcRptHis;
    std::function<QString(const QString&)> userName;
    // GetWorkProcRptQty / GetWorkProcReceiveQty / GetWorkProcHandOverQty by method name.
    std::function<double(const QString& method, const QString& no, const QString& serial)> cumulativeQty;
    std::function<RecordsetPtr(bool wc, bool check, const QString& condition)> workBillTree;
    // Reference data for Get*Info: resolved from the id when it is set, else the number.
    QVector<PersonRow> emps, devs, teams;

    QStringList calls;  // method names in call order
    int objectsCreated = 0;
    int Count(const QString& method) const { return static_cast<int>(calls.count(method)); }
};

// A login object whose tasks conflict for keys listed in `busyKeys`.
struct FakeLogin : ILoginObject {
    qint32 nextTask = 100;
    QVector<qint64> busyKeys, takenKeys;
    QVector<qint32> committed;
    qint32 taskexec(qint32&, QString&, const QString&, qint16, qint16&, qint16&,
                    const QVariant* extra) override {
        const qint64 key = extra ? extra->toLongLong() : 0;
        if (busyKeys.contains(key))
            return 0;
        takenKeys.append(key);
        return nextTask++;
    }
    bool CommitTask(qint32 taskId) override {
        committed.append(taskId);
        return true;
    }
};

// Registry, scripted screen and host service layer wired to the fakes. The connection
// records its statements, or raises while `connectionFails` is set.
class FakeHost {
  public:
    FakeHost();

    ComponentRegistry registry;
    ScriptedUi ui;
    std::shared_ptr<MiddleTierScript> script = std::make_shared<MiddleTierScript>();
    std::shared_ptr<FakeLogin> login = std::make_shared<FakeLogin>();
    QStringList statements;
    bool connectionFails = false;
    std::unique_ptr<HostServices> host;
};

inline RecordsetPtr MakeRecordset(const QStringList& fields, const QVector<QVariantList>& rows) {
    return std::make_shared<Recordset>(fields, rows);
}

}  // namespace sp::test
