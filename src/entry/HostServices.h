#pragma once

#include <QDate>
#include <QString>
#include <QVariant>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <unordered_map>

#include "src/entry/ComponentContext.h"
#include "src/entry/HostInterfaces.h"
#include "src/middletier/MiddleTierInterfaces.h"

namespace sp {

class Ui;
class ComponentRegistry;

// What a lookup of ShowLookup returned: a lookup result (item classes, auxiliary
// data) or the resource browser's chosen row (-102, -103); both empty is Nothing.
struct LookupOutcome {
    LookupResultPtr lookup;
    DictionaryPtr resource;
    bool IsNothing() const { return !lookup && !resource; }
};

// The host service layer: the module functions every other part calls, over the
// host components reached by ProgID, with the process-lifetime caches (access-check/log
// object, lookup object, resource loader, language code). One per component instance.
class HostServices {
  public:
    explicit HostServices(ComponentContext context);

    const ComponentContext& Context() const { return context_; }
    // A file or folder name in the host's program folder, with one separator between.
    QString InProgramFolder(const QString& name) const;
    ComponentRegistry& Registry() const { return *context_.registry; }
    Ui& Screen() const { return *context_.ui; }

    // Login properties (PropsMgr.ShareProps, a new object per read).
    QString UserName();
    QString PropsString();
    std::shared_ptr<ILoginObject> LoginObject();
    // The text behind "key=" up to the next ";", key compared without regard to case.
    QString PropsValue(const QString& key);
    // Pure form of PropsValue over a given property string.
    static QString PropsValueOf(const QString& propsString, const QString& key);

    // A new connection object (Q8Connection.AppConnection).
    std::shared_ptr<IAppConnection> NewConnection();
    // "Select Convert(varchar,GetDate(),101)" converted to a date.
    QDate ServerDate();

    // New middle-tier objects (one per call or short group of calls).
    std::shared_ptr<IMShopProc> NewMShopProc();
    std::shared_ptr<IMShopProcSet> NewMShopProcSet();

    // The kept access-check/log object.
    IGLData& GLData();
    bool AccessCheck(qint32 rightMask);  // with 1024 and 30
    void WriteLog(const QString& functionCode, qint16 action);

    QString TranslateText(const QString& text, qint16 spacing);
    bool IsControlReceive();
    // The receive control as the switch's stored value sets it, for the workbench and the
    // service alike: Null is on, a Boolean or a number (as Basic::Bool reads them) is its
    // value, anything else off; such a value ("yes", "on") goes to the application log under
    // reader's name, so an administrator sees why the control is off.
    static bool ControlReceiveOf(const QVariant& stored, const QString& reader);
    static QString ComputerName();

    // Raises ComError 16390 ("MNetControl.ExecFunc") on a conflict. stamp, when given,
    // reads a digest of what the task guards; it is read once the task is taken.
    qint32 ExecFunc(qint32 subsystemId, const QString& functionId, qint16 arg1, qint16 arg2,
                    const QVariant& extra = QVariant(), std::function<QString()> stamp = {});
    bool EndFunc(qint32& taskId);
    // Whether a task taken by ExecFunc still guards its key. A hold that was lost (the
    // connection was interrupted) is taken back only when the key is free and the
    // task's stamp reads as it did when the task was taken or last restamped: nothing
    // was written under it meanwhile. A task refused once stays refused until ended.
    // A stamp that cannot be read raises. commandBegan: when the asking command began; a
    // read of that command that proved the hold answers (ILoginObject::TaskHeldProvenSince).
    bool TaskStillHeld(qint32 taskId,
                       std::optional<std::chrono::steady_clock::time_point> commandBegan = std::nullopt);
    // After this workstation wrote under the task: its own write is the new stamp, taken
    // only while the hold is unbroken. Failures leave the old stamp (a retake is refused).
    void RestampTask(qint32 taskId);
    // Whether a task that no longer guards its key was released by an administrator.
    bool TaskReleased(qint32 taskId);

    LookupOutcome ShowLookup(qint32 lookupType, const QString& searchText, const QString& filter,
                             qint32 dataType, bool longNumber);

  private:
    struct TaskStamp {
        std::function<QString()> read;
        std::optional<QString> value;  // none: unknown, so a lost hold is never taken back
        bool refused = false;
    };

    ComponentContext context_;
    std::unordered_map<qint32, TaskStamp> stamps_;
    std::shared_ptr<IGLData> glData_;
    std::shared_ptr<IGLView> glView_;
    std::shared_ptr<IResLoader> resLoader_;
    QString language_;
};

}  // namespace sp
