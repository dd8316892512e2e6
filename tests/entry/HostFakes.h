#pragma once

// Host components as tests need them: answers set by the test, calls recorded.

#include <QStringList>
#include <QVariantList>
#include <functional>
#include <memory>

#include "common/ComponentRegistry.h"
#include "entry/HostInterfaces.h"

namespace sp::testing {

struct FakeLogin : ILoginObject {
    qint32 nextTask = 7;
    bool commitAnswer = true;
    struct Call {
        qint32 subsystem;
        QString function;
        QString computer;
        qint16 mode;
        qint16 arg1, arg2;
        QVariant extra;
        bool hasExtra;
    };
    QVector<Call> execs;
    QVector<qint32> commits;
    qint32 taskexec(qint32& subsystemId, QString& functionId, const QString& computerName, qint16 mode,
                    qint16& arg1, qint16& arg2, const QVariant* extra) override {
        execs.append({subsystemId, functionId, computerName, mode, arg1, arg2, extra ? *extra : QVariant(),
                      extra != nullptr});
        return nextTask;
    }
    bool CommitTask(qint32 taskId) override {
        commits.append(taskId);
        return commitAnswer;
    }
};

struct FakeShareProps : IShareProps {
    QString props;
    std::shared_ptr<ILoginObject> login;
    QVector<QPair<QString, qint64>>* reads = nullptr;
    HostProperty GetProperty(const QString& name, qint64 processId) override {
        if (reads)
            reads->append({name, processId});
        if (name == QLatin1String("PropsString"))
            return {props, nullptr};
        if (name == QLatin1String("VLLogin"))
            return {QVariant(), login};
        if (name == QLatin1String("UserName"))
            return {QStringLiteral("demo"), nullptr};
        return {};
    }
};

// Everything the entry writes or asks, in order, as text ("AccessCheck 2097152",
// "WriteLog CJ1000 1", "Workbench SetUserId 5", ...).
using Journal = QStringList;

struct FakeGLData : IGLData {
    explicit FakeGLData(Journal& j) : journal(j) {}
    Journal& journal;
    bool allow = true;
    std::function<void()> failOnLog;
    bool AccessCheck(qint32 subsystem, qint16 function, qint32 rightMask) override {
        journal << QStringLiteral("AccessCheck %1 %2 %3").arg(subsystem).arg(function).arg(rightMask);
        return allow;
    }
    void WriteLog(const QString& code, qint16 action) override {
        if (failOnLog)
            failOnLog();
        journal << QStringLiteral("WriteLog %1 %2").arg(code).arg(action);
    }
    BaseItemPtr GetItem(qint32, const QVariant&, const QString&) override { return nullptr; }
};

struct FakeResLoader : IResLoader {
    QString base;
    QString language;
    int languageSets = 0;
    QHash<QString, QString> texts;
    QString ResFileBaseName() const override { return base; }
    void SetResFileBaseName(const QString& name) override { base = name; }
    QString LanguageID() const override { return language; }
    void SetLanguageID(const QString& l) override {
        language = l;
        ++languageSets;
    }
    QString LoadString(const QString& key) override { return texts.value(key, key); }
};

struct FakeLangInfo : ILangInfo {
    QString language;
    QString CurrentLanguage() override { return language; }
};

struct FakeSystemProfile : ISystemProfile {
    std::function<QVariant()> answer;
    QString lastProps, lastCategory, lastKey;
    QVariant GetProfile(const QString& props, const QString& category, const QString& key) override {
        lastProps = props;
        lastCategory = category;
        lastKey = key;
        return answer();
    }
};

struct FakeGLView : IGLView {
    explicit FakeGLView(Journal& j) : journal(j) {}
    Journal& journal;
    DictionaryPtr lastOptions;
    QVariant lastSearch;
    QString lastFilter;
    bool fail = false;
    LookupResultPtr ItemLookUp(qint32 itemClass, const QVariant& searchText, const QString& filter,
                               const DictionaryPtr& options) override {
        journal << QStringLiteral("ItemLookUp %1").arg(itemClass);
        lastOptions = options;
        lastSearch = searchText;
        lastFilter = filter;
        if (fail)
            throw ComError(1, QStringLiteral("GLView"), QStringLiteral("lookup broke"));
        return std::make_shared<LookupResult>(LookupResult{true, std::make_shared<LookupEntry>()});
    }
    LookupResultPtr SubMesLookup(qint32& type, QString& searchText) override {
        journal << QStringLiteral("SubMesLookup %1 '%2'").arg(type).arg(searchText);
        return std::make_shared<LookupResult>(LookupResult{true, std::make_shared<LookupEntry>()});
    }
};

struct FakeBrowser : IResourceBrowser {
    explicit FakeBrowser(Journal& j) : journal(j) {}
    Journal& journal;
    void SetShowType(qint32 t) override { journal << QStringLiteral("ShowType %1").arg(t); }
    void SetShowMode(qint32 m) override { journal << QStringLiteral("ShowMode %1").arg(m); }
    void SetFilter(const QString& f) override { journal << QStringLiteral("Filter '%1'").arg(f); }
    void Show() override { journal << QStringLiteral("Show"); }
    DictionaryPtr Result() override {
        auto d = NewDictionary();
        d->Set(QStringLiteral("Fnumber"), QStringLiteral("D-01"));
        return d;
    }
};

struct FakeErrorDisplay : IErrorDisplay {
    explicit FakeErrorDisplay(Journal& j) : journal(j) {}
    Journal& journal;
    void HandleError(const ComError& e) override {
        journal << QStringLiteral("HandleError %1 %2").arg(e.Number()).arg(e.Description());
    }
};

}  // namespace sp::testing
