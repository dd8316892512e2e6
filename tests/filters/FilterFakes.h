#pragma once

// Fakes of the host components the filter dialog and the list form reach, and a
// harness that registers them. Each fake keeps its state in a shared object so that
// "a new object per call" still sees one store.

#include <QMap>
#include <QTemporaryDir>
#include <functional>
#include <memory>

#include "common/ComponentRegistry.h"
#include "common/ScriptedUi.h"
#include "entry/HostInterfaces.h"
#include "entry/HostServices.h"

namespace sp::test {

inline RecordsetPtr Rows(QStringList fields, QVector<QVariantList> rows) {
    return std::make_shared<Recordset>(std::move(fields), std::move(rows));
}

struct FakeProps : IShareProps {
    QString props;
    HostProperty GetProperty(const QString& name, qint64) override {
        HostProperty p;
        if (name == QStringLiteral("PropsString"))
            p.value = props;
        return p;
    }
};

// The settings file: section -> key -> value, or failing on every call.
struct SettingsStore {
    QMap<QString, QMap<QString, QString>> sections;
    QString file;
    bool failReads = false;
    bool failWrites = false;
    int writes = 0;
};
struct FakeSettings : ISettingsFile {
    std::shared_ptr<SettingsStore> store;
    void SetFile(const QString& path) override { store->file = path; }
    QString Read(const QString& section, const QString& key, const QString& def) override {
        if (store->failReads)
            throw ComError(ErrorNumber::Refused, QStringLiteral("IniFile"), QStringLiteral("unreadable"));
        return store->sections.value(section).value(key, def);
    }
    void Write(const QString& section, const QString& key, const QString& value) override {
        if (store->failWrites)
            throw ComError(ErrorNumber::Refused, QStringLiteral("IniFile"), QStringLiteral("read-only"));
        ++store->writes;
        store->sections[section][key] = value;
    }
};

// The plan store, recording the names it was handed.
struct PlanStore {
    QStringList stored;                            // plan names in list order
    QMap<QString, QMap<QString, QString>> values;  // plan (as stored) -> key -> value
    QStringList valueNames;                        // names received by GetPlanValue
    QStringList deletedNames;                      // names received by DelPlan
    QStringList savedNames;                        // "Plan" of the saved entries
    bool nothingForValues = false;
    bool failSave = false;
};
struct FakePlans : IPlanProfile {
    std::shared_ptr<PlanStore> store;
    RecordsetPtr GetPlanList(const QString&, const qint32&) override {
        QVector<QVariantList> rows;
        for (const QString& n : store->stored) rows.append({n});
        return Rows({QStringLiteral("FPlan")}, rows);
    }
    RecordsetPtr GetPlanValue(const QString&, const qint32&, const QString& name) override {
        store->valueNames.append(name);
        const QString plain = QString(name).replace(QStringLiteral("''"), QStringLiteral("'"));
        if (store->nothingForValues || !store->values.contains(plain))
            return nullptr;
        QVector<QVariantList> rows;
        const auto& kv = store->values[plain];
        for (auto it = kv.cbegin(); it != kv.cend(); ++it) rows.append({it.key(), it.value()});
        return Rows({QStringLiteral("FKey"), QStringLiteral("FValue")}, rows);
    }
    void SaveProfile(const QString&, const Collection<DictionaryPtr>& entries) override {
        if (store->failSave)
            throw ComError(ErrorNumber::Database, QStringLiteral("Profile"), QStringLiteral("store down"));
        QString plan;
        QMap<QString, QString> kv;
        for (const DictionaryPtr& e : entries) {
            plan = e->Item(QStringLiteral("Plan")).toString();
            kv[e->Item(QStringLiteral("Key")).toString()] = e->Item(QStringLiteral("Value")).toString();
        }
        store->savedNames.append(plan);
        if (!store->stored.contains(plan))
            store->stored.append(plan);
        store->values[plan] = kv;
    }
    void DelPlan(const QString&, const qint32&, const QString& name) override {
        store->deletedNames.append(name);
        const QString plain = QString(name).replace(QStringLiteral("''"), QStringLiteral("'"));
        store->stored.removeAll(plain);
        store->values.remove(plain);
    }
};

// Lookups answered from a script: the next result per call, the calls recorded.
struct LookupScript {
    std::deque<LookupResultPtr> results;
    QVector<qint32> classes;
    QStringList filters;
    QStringList searches;
    bool fail = false;          // the lookup raises an error
    QStringList handledErrors;  // what the error display was handed
};
struct FakeErrorDisplay : IErrorDisplay {
    std::shared_ptr<LookupScript> script;
    void HandleError(const ComError& e) override { script->handledErrors.append(e.Description()); }
};
struct FakeGLView : IGLView {
    std::shared_ptr<LookupScript> script;
    LookupResultPtr Next() {
        if (script->results.empty())
            return nullptr;
        auto r = script->results.front();
        script->results.pop_front();
        return r;
    }
    LookupResultPtr ItemLookUp(qint32 c, const QVariant& search, const QString& filter,
                               const DictionaryPtr&) override {
        if (script->fail)
            throw ComError(ErrorNumber::Database, QStringLiteral("GLView"), QStringLiteral("lookup down"));
        script->classes.append(c);
        script->filters.append(filter);
        script->searches.append(search.toString());
        return Next();
    }
    LookupResultPtr SubMesLookup(qint32& type, QString& search) override {
        if (script->fail)
            throw ComError(ErrorNumber::Database, QStringLiteral("GLView"), QStringLiteral("lookup down"));
        script->classes.append(type);
        script->searches.append(search);
        return Next();
    }
};

inline LookupResultPtr Chosen(const QString& number, const QString& shortNumber, QVariant detail = true) {
    auto entry = std::make_shared<LookupEntry>();
    entry->Number = number;
    entry->Name = QStringLiteral("name of ") + number;
    entry->Detail = std::move(detail);
    entry->Properties.insert(QStringLiteral("FShortNumber"), shortNumber);
    auto r = std::make_shared<LookupResult>();
    r->ReturnOK = true;
    r->ReturnObject = entry;
    return r;
}

// A list of the host: rows with FInterID, FEntryID and FBillNo, searched by bill number.
struct ListStore {
    bool openOk = true;
    QString listName = QStringLiteral("工序计划单");
    QVector<QVariantList> rows;  // FInterID, FEntryID, FBillNo
    QString lastFilter;
    QString lastBaseInfo;
    QString lastLocalCnn;
    int lastMaxRows = 0;
    int queries = 0;
};
struct FakeListData : IListSelData {
    std::shared_ptr<ListStore> store;
    bool Open(const QString& baseInfo, const QString& localCnn) override {
        store->lastBaseInfo = baseInfo;
        store->lastLocalCnn = localCnn;
        return store->openOk;
    }
    QString ListName(qint32) override { return store->listName; }
    Recordset Columns(qint32) override {
        return Recordset({QStringLiteral("FName"), QStringLiteral("FTitle")},
                         {{QStringLiteral("FBillNo"), QStringLiteral("单号")}});
    }
    RecordsetPtr Rows(qint32, const QString& filter, const QString& search, int maxRows) override {
        ++store->queries;
        store->lastFilter = filter;
        store->lastMaxRows = maxRows;
        QVector<QVariantList> hit;
        for (const auto& r : store->rows)
            if (search.isEmpty() || r[2].toString().contains(search))
                if (hit.size() < maxRows)
                    hit.append(r);
        return test::Rows({QStringLiteral("FInterID"), QStringLiteral("FEntryID"), QStringLiteral("FBillNo")},
                          hit);
    }
};

// The connection: answers "Select ... Where <id>" from a map of statement -> value.
struct ConnectionStore {
    QMap<QString, QString> answers;  // statement -> single field value
    QStringList statements;
};
struct FakeConnection : IAppConnection {
    std::shared_ptr<ConnectionStore> store;
    RecordsetPtr Execute(const QString& sql) override {
        store->statements.append(sql);
        if (!store->answers.contains(sql))
            return Rows({QStringLiteral("F")}, {});
        const QString field = sql.section(QLatin1Char(' '), 1, 1);
        return Rows({field}, {{store->answers.value(sql)}});
    }
    void BeginTrans() override {}
    void CommitTrans() override {}
    void RollbackTrans() override {}
};

// Everything the filter dialog needs, registered; the program folder is a fresh
// temporary folder.
struct FilterHarness {
    ComponentRegistry registry;
    ScriptedUi ui;
    QTemporaryDir folder;
    std::shared_ptr<FakeProps> props = std::make_shared<FakeProps>();
    std::shared_ptr<SettingsStore> settings = std::make_shared<SettingsStore>();
    std::shared_ptr<PlanStore> plans = std::make_shared<PlanStore>();
    std::shared_ptr<LookupScript> lookups = std::make_shared<LookupScript>();
    std::shared_ptr<ListStore> lists = std::make_shared<ListStore>();
    std::shared_ptr<ConnectionStore> connection = std::make_shared<ConnectionStore>();
    std::unique_ptr<HostServices> host;

    // screen: the Ui the dialogs show on (the scripted one when null).
    explicit FilterHarness(Ui* screen = nullptr) {
        props->props = QStringLiteral(
            "Language=chs;UserID=12.4;UserName=Li;DBInfo={Provider=SQLite;Data Source=erp.db};");
        auto p = props;
        registry.Register<IShareProps>(ProgId::ShareProps(), [p] { return p; });
        auto s = settings;
        registry.Register<ISettingsFile>(ProgId::SettingsFile(), [s] {
            auto f = std::make_shared<FakeSettings>();
            f->store = s;
            return f;
        });
        auto pl = plans;
        registry.Register<IPlanProfile>(ProgId::PlanProfile(), [pl] {
            auto f = std::make_shared<FakePlans>();
            f->store = pl;
            return f;
        });
        auto l = lookups;
        registry.Register<IGLView>(ProgId::GLView(), [l] {
            auto f = std::make_shared<FakeGLView>();
            f->script = l;
            return f;
        });
        registry.Register<IErrorDisplay>(ProgId::ErrorDisplay(), [l] {
            auto f = std::make_shared<FakeErrorDisplay>();
            f->script = l;
            return f;
        });
        auto ls = lists;
        registry.Register<IListSelData>(ProgId::ListSelData(), [ls] {
            auto f = std::make_shared<FakeListData>();
            f->store = ls;
            return f;
        });
        auto c = connection;
        registry.Register<IAppConnection>(ProgId::AppConnection(), [c] {
            auto f = std::make_shared<FakeConnection>();
            f->store = c;
            return f;
        });
        ComponentContext context;
        context.registry = &registry;
        context.ui = screen ? screen : &ui;
        context.programFolder = folder.path();
        host = std::make_unique<HostServices>(context);
    }
};

}  // namespace sp::test
