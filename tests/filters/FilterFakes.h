#pragma once

// The host components the filter dialog and the list form reach, as one fake whose state
// the tests set and read, and a harness that registers it under every ProgID. "A new
// object per call" therefore still sees one store.

#include <QMap>
#include <QTemporaryDir>
#include <deque>
#include <memory>

#include "src/common/ComponentRegistry.h"
#include "tests/support/ScriptedUi.h"
#include "src/entry/HostInterfaces.h"
#include "src/entry/HostServices.h"
#include "platform/middletier/LocalSwitchFile.h"

namespace sp::test {

using namespace Qt::StringLiterals;

inline RecordsetPtr Rows(QStringList fields, QVector<QVariantList> rows) {
    return std::make_shared<Recordset>(std::move(fields), std::move(rows));
}

// The settings file: section -> key -> value, or failing on every call.
struct SettingsStore {
    QMap<QString, QMap<QString, QString>> sections;
    QString file;
    bool failReads = false, failWrites = false;
};
// The plan store, with the names it was handed by GetPlanValue, DelPlan and SaveProfile.
struct PlanStore {
    QStringList stored;                            // plan names in list order
    QMap<QString, QMap<QString, QString>> values;  // plan (as stored) -> key -> value
    QStringList valueNames, deletedNames, savedNames;
    bool nothingForValues = false, failSave = false;
};
// Lookups answered from a script, the next result per call; calls and shown errors recorded.
struct LookupScript {
    std::deque<LookupResultPtr> results;
    QStringList calls;  // "<class> '<search>' '<filter>'"
    QStringList handledErrors;
    bool fail = false;
};
// A list of the host: rows of FInterID, FEntryID and FBillNo, searched by bill number; and
// the bill number the connection answers per statement.
struct ListStore {
    QVector<QVariantList> rows;
    QMap<QString, QString> answers;
    bool openOk = true;
    QString lastFilter, lastBaseInfo, lastLocalCnn;
    int lastMaxRows = 0, queries = 0;
};

struct FakeHost : IShareProps,
                  ISettingsFile,
                  IPlanProfile,
                  IGLView,
                  IErrorDisplay,
                  IListSelData,
                  IAppConnection {
    QString props = u"Language=chs;UserID=12.4;UserName=Li;DBInfo={Provider=SQLite;Data Source=erp.db};"_s;
    SettingsStore settings;
    PlanStore plans;
    LookupScript lookups;
    ListStore lists;

    HostProperty GetProperty(const QString& name, qint64) override {
        return {name == "PropsString"_L1 ? props : QString(), nullptr};
    }

    void SetFile(const QString& path) override { settings.file = path; }
    QString Read(const QString& section, const QString& key, const QString& def) override {
        if (settings.failReads)
            throw ComError(ErrorNumber::Refused, u"IniFile"_s, u"unreadable"_s);
        return settings.sections.value(section).value(key, def);
    }
    void Write(const QString& section, const QString& key, const QString& value) override {
        if (settings.failWrites)
            throw ComError(ErrorNumber::Refused, u"IniFile"_s, u"read-only"_s);
        settings.sections[section][key] = value;
    }

    // Names arrive with quotes doubled; the store keeps them plain.
    static QString Plain(QString name) { return name.replace(u"''"_s, u"'"_s); }
    RecordsetPtr GetPlanList(const QString&, const qint32&) override {
        QVector<QVariantList> rows;
        for (const QString& n : plans.stored) rows.append({n});
        return test::Rows({u"FPlan"_s}, rows);
    }
    RecordsetPtr GetPlanValue(const QString&, const qint32&, const QString& name) override {
        plans.valueNames.append(name);
        if (plans.nothingForValues || !plans.values.contains(Plain(name)))
            return nullptr;
        QVector<QVariantList> rows;
        const auto& kv = plans.values[Plain(name)];
        for (auto it = kv.cbegin(); it != kv.cend(); ++it) rows.append({it.key(), it.value()});
        return test::Rows({u"FKey"_s, u"FValue"_s}, rows);
    }
    void SaveProfile(const QString&, const Collection<DictionaryPtr>& entries) override {
        if (plans.failSave)
            throw ComError(ErrorNumber::Database, u"Profile"_s, u"store down"_s);
        QString plan;
        QMap<QString, QString> kv;
        for (const DictionaryPtr& e : entries) {
            plan = e->Item(u"Plan"_s).toString();
            kv[e->Item(u"Key"_s).toString()] = e->Item(u"Value"_s).toString();
        }
        plans.savedNames.append(plan);
        if (!plans.stored.contains(plan))
            plans.stored.append(plan);
        plans.values[plan] = kv;
    }
    void DelPlan(const QString&, const qint32&, const QString& name) override {
        plans.deletedNames.append(name);
        plans.stored.removeAll(Plain(name));
        plans.values.remove(Plain(name));
    }

    LookupResultPtr Lookup(qint32 type, const QString& search, const QString& filter) {
        if (lookups.fail)
            throw ComError(ErrorNumber::Database, u"GLView"_s, u"lookup down"_s);
        lookups.calls.append(u"%1 '%2' '%3'"_s.arg(type).arg(search, filter));
        if (lookups.results.empty())
            return nullptr;
        auto r = lookups.results.front();
        lookups.results.pop_front();
        return r;
    }
    LookupResultPtr ItemLookUp(qint32 c, const QVariant& search, const QString& filter,
                               const DictionaryPtr&) override {
        return Lookup(c, search.toString(), filter);
    }
    LookupResultPtr SubMesLookup(qint32& type, QString& search) override { return Lookup(type, search, {}); }
    void HandleError(const ComError& e) override { lookups.handledErrors.append(e.Description()); }

    bool Open(const QString& baseInfo, const QString& localCnn) override {
        lists.lastBaseInfo = baseInfo;
        lists.lastLocalCnn = localCnn;
        return lists.openOk;
    }
    QString ListName(qint32) override { return u"工序计划单"_s; }
    Recordset Columns(qint32) override {
        return Recordset({u"FName"_s, u"FTitle"_s}, {{u"FBillNo"_s, u"单号"_s}});
    }
    RecordsetPtr Rows(qint32, const QString& filter, const QString& search, int maxRows) override {
        ++lists.queries;
        lists.lastFilter = filter;
        lists.lastMaxRows = maxRows;
        QVector<QVariantList> hit;
        for (const auto& r : lists.rows)
            if ((search.isEmpty() || r[2].toString().contains(search)) && hit.size() < maxRows)
                hit.append(r);
        return test::Rows({u"FInterID"_s, u"FEntryID"_s, u"FBillNo"_s}, hit);
    }

    // Answers "Select <field> From ..." statements from the map, or with no rows.
    RecordsetPtr Execute(const QString& sql) override {
        if (!lists.answers.contains(sql))
            return test::Rows({u"F"_s}, {});
        return test::Rows({sql.section(u' ', 1, 1)}, {{lists.answers.value(sql)}});
    }
    void BeginTrans() override {}
    void CommitTrans() override {}
    void RollbackTrans() override {}
};

inline LookupResultPtr Chosen(const QString& number, const QString& shortNumber, QVariant detail = true) {
    auto entry = std::make_shared<LookupEntry>();
    entry->Number = number;
    entry->Name = u"name of "_s + number;
    entry->Detail = std::move(detail);
    entry->Properties.insert(u"FShortNumber"_s, shortNumber);
    return std::make_shared<LookupResult>(LookupResult{true, entry});
}

// Everything the filter dialog needs, registered; the program folder is a fresh temporary folder.
struct FilterHarness {
    ComponentRegistry registry;
    ScriptedUi ui;
    QTemporaryDir folder;
    std::shared_ptr<FakeHost> fake = std::make_shared<FakeHost>();
    SettingsStore* settings = &fake->settings;
    PlanStore* plans = &fake->plans;
    LookupScript* lookups = &fake->lookups;
    ListStore* lists = &fake->lists;
    std::unique_ptr<HostServices> host;

    // screen: the Ui the dialogs show on (the scripted one when null).
    explicit FilterHarness(Ui* screen = nullptr) {
        Put<IShareProps>(ProgId::ShareProps());
        Put<ISettingsFile>(ProgId::SettingsFile());
        Put<IPlanProfile>(ProgId::PlanProfile());
        Put<IGLView>(ProgId::GLView());
        Put<IErrorDisplay>(ProgId::ErrorDisplay());
        Put<IListSelData>(ProgId::ListSelData());
        Put<IAppConnection>(ProgId::AppConnection());
        registry.Register<ILocalDatabase>(ProgId::LocalDatabase(),
                                          [] { return std::make_shared<platform::LocalSwitchDatabase>(); });
        host = std::make_unique<HostServices>(
            ComponentContext{&registry, screen ? screen : &ui, folder.path(), QString(), 0});
    }
    template <class I>
    void Put(const QString& progId) {
        registry.Register<I>(progId, [f = fake]() -> std::shared_ptr<I> { return f; });
    }
};

}  // namespace sp::test
