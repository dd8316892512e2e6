#pragma once

#include <chrono>

// The host components the component reaches by ProgID (one small interface each).
// Names, argument order and result shapes are the host's; by-reference arguments
// are references. The platform registers what answers; tests register fakes.

#include <QDate>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantMap>
#include <memory>

#include "src/common/Collection.h"
#include "src/common/ComError.h"
#include "src/common/Dictionary.h"
#include "src/common/Recordset.h"

namespace sp {

namespace ProgId {
inline QString ShareProps() { return QStringLiteral("PropsMgr.ShareProps"); }
inline QString AppConnection() { return QStringLiteral("Q8Connection.AppConnection"); }
inline QString GLData() { return QStringLiteral("NXCGLView.GLData"); }
inline QString GLView() { return QStringLiteral("NXCGLView.GLView"); }
inline QString ResourceBrowser() { return QStringLiteral("Q8Resources.Browser"); }
inline QString LangInfo() { return QStringLiteral("Q8LangInfo.LangInfo"); }
inline QString ResLoader() { return QStringLiteral("Q8ResLoader.Loader"); }
inline QString SystemProfile() { return QStringLiteral("NXSBase.SystemProfile"); }
inline QString ErrorDisplay() { return QStringLiteral("VLVBF.VLF"); }
inline QString PlanProfile() { return QStringLiteral("Q8MCaculateRpt.Profile"); }
inline QString SettingsFile() { return QStringLiteral("Q8Host.IniFile"); }
inline QString ListSelData() { return QStringLiteral("Q8Host.ListSelData"); }
inline QString LocalDatabase() { return QStringLiteral("Q8Host.LocalDatabase"); }
}  // namespace ProgId

// The host's login object (property "VLLogin"): the function-conflict control.
class ILoginObject {
  public:
    virtual ~ILoginObject() = default;
    // Takes a task for (subsystem, function, key = extra); a result below 1 means another
    // process or workstation holds it.
    virtual qint32 taskexec(qint32& subsystemId, QString& functionId, const QString& computerName,
                            qint16 mode, qint16& arg1, qint16& arg2, const QVariant* extra) = 0;
    virtual bool CommitTask(qint32 taskId) = 0;
    // False when the task, though not committed, no longer guards its key: the hold was
    // lost (the database connection was interrupted, or this process was frozen long
    // enough for another to take it over), so someone may have changed what it guarded.
    virtual bool TaskStillHeld(qint32 taskId) = 0;
    // TaskStillHeld for a command that began at `since`: a host whose reads can prove the
    // hold as they run answers from the proof of a read sent since then, if any.
    virtual bool TaskHeldProvenSince(qint32 taskId, std::chrono::steady_clock::time_point /*since*/) {
        return TaskStillHeld(taskId);
    }
    // Takes the key of a task whose hold was lost again, when no one else holds it; true
    // when the task guards its key afterwards.
    virtual bool RetakeTask(qint32 taskId) = 0;
    // True when the hold of the task was lost because an administrator released its key
    // from this process; such a task is never taken back.
    virtual bool TaskReleased(qint32 taskId) = 0;
};

// A property read from PropsMgr.ShareProps: a value, or an object ("VLLogin").
struct HostProperty {
    QVariant value;
    std::shared_ptr<ILoginObject> object;
};

// PropsMgr.ShareProps
class IShareProps {
  public:
    virtual ~IShareProps() = default;
    virtual HostProperty GetProperty(const QString& name, qint64 processId) = 0;
};

// Q8Connection.AppConnection: one statement (or a short group) per object.
class IAppConnection {
  public:
    virtual ~IAppConnection() = default;
    // Statements without a result give a closed, empty recordset.
    virtual RecordsetPtr Execute(const QString& sql) = 0;
    // For the component's own multi-statement changes (layout reorders).
    virtual void BeginTrans() = 0;
    virtual void CommitTrans() = 0;
    virtual void RollbackTrans() = 0;
};

// A base-data entry returned by GetItem (employee class 3).
struct BaseItem {
    qint32 itemId = 0;
    QString number;
    QString name;
    QVariantMap properties;
};
using BaseItemPtr = std::shared_ptr<BaseItem>;

// NXCGLView.GLData: access check, usage log, base-data items.
class IGLData {
  public:
    virtual ~IGLData() = default;
    virtual bool AccessCheck(qint32 subsystem, qint16 function, qint32 rightMask) = 0;
    virtual void WriteLog(const QString& functionCode, qint16 action) = 0;
    // nullptr is Nothing.
    virtual BaseItemPtr GetItem(qint32 itemClass, const QVariant& optional, const QString& number) = 0;
};

// The chosen entry of a lookup.
struct LookupEntry {
    QString Number;
    QString Name;
    qint32 ItemID = 0;
    QVariant Detail;         // True for a detail-level entry; Null counts as False
    QVariantMap Properties;  // "FShortNumber", "FprofessionalGroup", ...
};
struct LookupResult {
    bool ReturnOK = false;
    std::shared_ptr<LookupEntry> ReturnObject;
};
using LookupResultPtr = std::shared_ptr<LookupResult>;  // nullptr: the user cancelled

// NXCGLView.GLView: the host's modal selection dialogs.
class IGLView {
  public:
    virtual ~IGLView() = default;
    // searchText: the search control's text or a search text; options: the dictionary
    // with "BeShortNumber", "GetDataType", "Search" (may be null).
    virtual LookupResultPtr ItemLookUp(qint32 itemClass, const QVariant& searchText, const QString& filter,
                                       const DictionaryPtr& options) = 0;
    virtual LookupResultPtr SubMesLookup(qint32& type, QString& searchText) = 0;
};

// Q8Resources.Browser: the resource (device) browser. Result holds the chosen row's
// fields ("Fnumber", "Fname", "FinterID", ...), or is null when nothing was chosen.
class IResourceBrowser {
  public:
    virtual ~IResourceBrowser() = default;
    virtual void SetShowType(qint32 showType) = 0;
    virtual void SetShowMode(qint32 showMode) = 0;
    virtual void SetFilter(const QString& filter) = 0;
    virtual void Show() = 0;
    virtual DictionaryPtr Result() = 0;
};

// Q8LangInfo.LangInfo
class ILangInfo {
  public:
    virtual ~ILangInfo() = default;
    virtual QString CurrentLanguage() = 0;
};

// Q8ResLoader.Loader
class IResLoader {
  public:
    virtual ~IResLoader() = default;
    virtual QString ResFileBaseName() const = 0;
    virtual void SetResFileBaseName(const QString& name) = 0;
    virtual QString LanguageID() const = 0;
    virtual void SetLanguageID(const QString& language) = 0;
    virtual QString LoadString(const QString& key) = 0;
};

// NXSBase.SystemProfile: the stored value, or a null QVariant when absent.
class ISystemProfile {
  public:
    virtual ~ISystemProfile() = default;
    virtual QVariant GetProfile(const QString& propsString, const QString& category, const QString& key) = 0;
};

// VLVBF.VLF: shows a failed lookup's error and writes it to the application log.
class IErrorDisplay {
  public:
    virtual ~IErrorDisplay() = default;
    virtual void HandleError(const ComError& error) = 0;
};

// Q8MCaculateRpt.Profile: saved filter plans per report id and plan name.
class IPlanProfile {
  public:
    virtual ~IPlanProfile() = default;
    // One row per stored plan, field "FPlan".
    virtual RecordsetPtr GetPlanList(const QString& propsString, const qint32& rptId) = 0;
    // planName arrives with each "'" doubled; fields "FKey", "FValue"; nullptr is Nothing.
    virtual RecordsetPtr GetPlanValue(const QString& propsString, const qint32& rptId,
                                      const QString& planName) = 0;
    // Entries with "RptID", "Plan", "Key", "Value"; replaces a plan of the same name.
    virtual void SaveProfile(const QString& propsString, const Collection<DictionaryPtr>& entries) = 0;
    // planName arrives with each "'" doubled.
    virtual void DelPlan(const QString& propsString, const qint32& rptId, const QString& planName) = 0;
};

// The host's settings-file object (INI): set the file, read with a default, write.
// A value that stands in the file but cannot be read reads as the default and stays in
// the file as it is until that key is written; UnreadableKeys names such keys of a
// section. Writable is false when Write could store nothing (a folder in the file's
// place, a read-only file).
class ISettingsFile {
  public:
    virtual ~ISettingsFile() = default;
    virtual void SetFile(const QString& path) = 0;
    virtual QString Read(const QString& section, const QString& key, const QString& defaultValue) = 0;
    virtual void Write(const QString& section, const QString& key, const QString& value) = 0;
    virtual QStringList UnreadableKeys(const QString& section) = 0;
    virtual bool Writable() = 0;
};

// Q8Host.LocalDatabase: the local list file ("ErpSwitch.sss") the list control opens as
// its own connection. Connect checks that the file at path is such a database and gives
// its connection text; it raises ComError when the file is missing or not a database,
// and never creates or changes a file.
class ILocalDatabase {
  public:
    virtual ~ILocalDatabase() = default;
    virtual QString Connect(const QString& path) = 0;
};

// The data behind the list selection control ICListSel: the host's lists by id
// (601 reportable work bills, 36 production tasks), with the caller's filter.
class IListSelData {
  public:
    virtual ~IListSelData() = default;
    // Connects for the caller: baseInfo is "connection|user id|user name"; localCnn the
    // local file's connection text. False when the list cannot be served.
    virtual bool Open(const QString& baseInfo, const QString& localCnn) = 0;
    // The list's name (the control's first list entry's "FName").
    virtual QString ListName(qint32 listId) = 0;
    // Visible columns of the list: field name and title, in order.
    virtual Recordset Columns(qint32 listId) = 0;
    // Rows of the list under the filter (an SQL condition in the list's own aliases)
    // whose shown columns contain searchText (all rows when empty), at most maxRows.
    virtual RecordsetPtr Rows(qint32 listId, const QString& filter, const QString& searchText,
                              int maxRows) = 0;
};

}  // namespace sp
