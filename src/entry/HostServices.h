#pragma once

#include <QDate>
#include <QString>
#include <QVariant>
#include <memory>

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
    static QString ComputerName();

    // Raises ComError 16390 ("MNetControl.ExecFunc") on a conflict.
    qint32 ExecFunc(qint32 subsystemId, const QString& functionId, qint16 arg1, qint16 arg2,
                    const QVariant& extra = QVariant());
    bool EndFunc(qint32& taskId);
    // Whether a task taken by ExecFunc still guards its key (ILoginObject::TaskStillHeld).
    bool TaskStillHeld(qint32 taskId);

    LookupOutcome ShowLookup(qint32 lookupType, const QString& searchText, const QString& filter,
                             qint32 dataType, bool longNumber);

  private:
    ComponentContext context_;
    std::shared_ptr<IGLData> glData_;
    std::shared_ptr<IGLView> glView_;
    std::shared_ptr<IResLoader> resLoader_;
    QString language_;
};

}  // namespace sp
