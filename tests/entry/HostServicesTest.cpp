#include <gtest/gtest.h>

#include "src/common/ComponentRegistry.h"
#include "src/common/ErrorLog.h"
#include "tests/support/ScriptedUi.h"
#include "src/entry/HostInterfaces.h"
#include "src/entry/HostServices.h"

namespace sp::test {
namespace {

using namespace Qt::StringLiterals;

// The host's components in one object: answers set by the test, every call written to
// the journal in order.
struct FakeHost : ILoginObject, IShareProps, IResLoader, ILangInfo, ISystemProfile, IGLView {
    QStringList journal;
    qint32 nextTask = 7;
    bool commitAnswer = true;
    QString props, base, language, hostLanguage;
    QHash<QString, QString> texts;
    int languageSets = 0;
    QVariant profile;
    bool profileFails = false;
    bool lookupFails = false;

    qint32 taskexec(qint32& subsystem, QString& function, const QString& computer, qint16 mode, qint16& arg1,
                    qint16& arg2, const QVariant* extra) override {
        const auto n = [](int i) { return QString::number(i); };
        journal << u"taskexec %1 %2 %3 %4 %5 %6 %7"_s.arg(n(subsystem), function, computer, n(mode), n(arg1),
                                                          n(arg2), extra ? extra->toString() : u"(none)"_s);
        return nextTask;
    }
    bool CommitTask(qint32 taskId) override {
        journal << u"CommitTask %1"_s.arg(taskId);
        return commitAnswer;
    }
    HostProperty GetProperty(const QString& name, qint64 processId) override {
        journal << u"GetProperty %1 %2"_s.arg(name).arg(processId);
        if (name == "VLLogin"_L1)
            return {QVariant(), std::shared_ptr<ILoginObject>(std::shared_ptr<void>(), this)};
        return {name == "PropsString"_L1 ? props : name == "UserName"_L1 ? u"demo"_s : QString(), nullptr};
    }
    QString ResFileBaseName() const override { return base; }
    void SetResFileBaseName(const QString& name) override { base = name; }
    QString LanguageID() const override { return language; }
    void SetLanguageID(const QString& l) override {
        language = l;
        ++languageSets;
    }
    QString LoadString(const QString& key) override { return texts.value(key, key); }
    QString CurrentLanguage() override { return hostLanguage; }
    QVariant GetProfile(const QString& propsString, const QString& category, const QString& key) override {
        journal << u"GetProfile %1|%2|%3"_s.arg(propsString, category, key);
        if (profileFails)
            throw ComError(3000, u"db"_s, u"down"_s);
        return profile;
    }
    static LookupResultPtr Chosen() {
        return std::make_shared<LookupResult>(LookupResult{true, std::make_shared<LookupEntry>()});
    }
    LookupResultPtr ItemLookUp(qint32 itemClass, const QVariant& search, const QString& filter,
                               const DictionaryPtr& options) override {
        QStringList o;
        for (const QString& key : options ? options->Keys() : QStringList())
            o << key + u'=' + options->Item(key).toString();
        journal << u"ItemLookUp %1 '%2' '%3' %4"_s.arg(itemClass).arg(search.toString(), filter,
                                                                      o.join(u','));
        if (lookupFails)
            throw ComError(1, u"GLView"_s, u"lookup broke"_s);
        return Chosen();
    }
    LookupResultPtr SubMesLookup(qint32& type, QString& search) override {
        journal << u"SubMesLookup %1 '%2'"_s.arg(type).arg(search);
        return Chosen();
    }
};
struct FakeHostWithBrowser : FakeHost, IResourceBrowser, IErrorDisplay {
    void SetShowType(qint32 t) override { journal << u"ShowType %1"_s.arg(t); }
    void SetShowMode(qint32 m) override { journal << u"ShowMode %1"_s.arg(m); }
    void SetFilter(const QString& f) override { journal << u"Filter '%1'"_s.arg(f); }
    void Show() override { journal << u"Show"_s; }
    DictionaryPtr Result() override { return NewDictionary(); }
    void HandleError(const ComError& e) override {
        journal << u"HandleError %1 %2"_s.arg(e.Number()).arg(e.Description());
    }
};

class HostServicesTest : public ::testing::Test {
  protected:
    void SetUp() override {
        fake = std::make_shared<FakeHostWithBrowser>();
        fake->props = u"UserID=5;UserName=demo;Language=chs;DBConnection={Provider=SQLite;Data Source=x};"_s;
        Put<IShareProps>(u"PropsMgr.ShareProps"_s);
        Put<IResLoader>(u"Q8ResLoader.Loader"_s, &loadersCreated);
        Put<ILangInfo>(u"Q8LangInfo.LangInfo"_s);
        Put<IGLView>(u"NXCGLView.GLView"_s, &viewsCreated);
        Put<IResourceBrowser>(u"Q8Resources.Browser"_s);
        Put<IErrorDisplay>(u"VLVBF.VLF"_s);
        host = std::make_unique<HostServices>(ComponentContext{&registry, &ui, QString(), QString(), 4242});
    }
    template <class I>
    void Put(const QString& progId, int* created = nullptr) {
        registry.Register<I>(progId, [f = fake, created]() -> std::shared_ptr<I> {
            if (created)
                ++*created;
            return f;
        });
    }
    void SetLanguage(const QString& lang) {
        fake->props = u"UserID=5;Language=%1;"_s.arg(lang);
        fake->texts.insert(u"序时薄"_s, u"Journal"_s);
        fake->texts.insert(u"保存"_s, u"Save"_s);
    }

    ComponentRegistry registry;
    ScriptedUi ui;
    std::shared_ptr<FakeHostWithBrowser> fake;
    int loadersCreated = 0, viewsCreated = 0;
    std::unique_ptr<HostServices> host;
};

TEST(PropsValueOf, ReadsEntriesOfThePropertyString) {
    // The last entry may lack its ";"; keys match whole and in any case; braces hide their ";".
    // clang-format off
    const std::tuple<const char*, const char*, const char*> cases[] = {
        {"UserID=1;UserName=demo;Language=chs;", "Language", "chs"}, {"UserID=1;Language=en", "Language", "en"},
        {"UserID=1;Language=en;", "language", "en"}, {"UserID=1;LANGUAGE=en;", "Language", "en"},
        {"UserID=1;UserName=demo;", "Language", ""}, {"UserID=1;UserName=demo;", "Name", ""},
        {"UserName=;UserID=3;", "UserName", ""}, {"UserName=O'Brien;UserID=3;", "UserName", "O'Brien"},
        {"", "UserID", ""}, {"UserID=1;DB={Provider=SQLite;Data Source=a.db};Language=en;", "Language", "en"}};
    // clang-format on
    for (const auto& [props, key, expected] : cases)
        EXPECT_EQ(HostServices::PropsValueOf(QString::fromUtf8(props), QString::fromUtf8(key)),
                  QString::fromUtf8(expected))
            << props << " / " << key;
}

TEST_F(HostServicesTest, EveryPropertyReadUsesANewObjectAndTheProcessId) {
    EXPECT_EQ(host->PropsValue(u"UserID"_s), u"5"_s);
    EXPECT_EQ(host->UserName(), u"demo"_s);
    EXPECT_EQ(host->LoginObject().get(), static_cast<ILoginObject*>(fake.get()));
    EXPECT_EQ(fake->journal, (QStringList{u"GetProperty PropsString 4242"_s, u"GetProperty UserName 4242"_s,
                                          u"GetProperty VLLogin 4242"_s}));
}

TEST_F(HostServicesTest, TranslateTextFollowsTheLanguageRules) {
    // Chinese and unknown keys stay as they are; blanks are kept and never added twice;
    // spacing is for English only; of marked texts only the marked pieces are translated.
    // clang-format off
    const std::tuple<const char*, const char*, qint16, const char*> cases[] = {
        {"chs", "  序时薄 ", 3, "  序时薄 "}, {"en", "序时薄", 0, "Journal"},   {"en", "序时薄", 1, " Journal"},
        {"en", "序时薄", 2, "Journal "},      {"en", "序时薄", 3, " Journal "}, {"en", "  序时薄 ", 3, "  Journal "},
        {"en", "未知", 0, "未知"},            {"de", "序时薄", 3, "Journal"},   {"chs", "A^|^~$~保存", 0, "A保存"},
        {"en", "A^|^~$~保存^|^B", 0, "ASaveB"}, {"en", "~$~保存^|^~$~序时薄", 3, "SaveJournal"}};
    // clang-format on
    for (const auto& [language, text, spacing, expected] : cases) {
        SCOPED_TRACE(std::string(language) + " / " + text + " / " + std::to_string(spacing));
        SetUp();
        SetLanguage(QString::fromUtf8(language));
        EXPECT_EQ(host->TranslateText(QString::fromUtf8(text), spacing), QString::fromUtf8(expected));
        EXPECT_EQ(fake->ResFileBaseName(), u"Q8Manufacture"_s);
        EXPECT_EQ(fake->LanguageID(), QString::fromUtf8(language));
    }
    // Without the resource component the text comes back, spaced all the same.
    SetUp();
    registry.Unregister(u"Q8ResLoader.Loader"_s);
    SetLanguage(u"en"_s);
    EXPECT_EQ(host->TranslateText(u" 保存"_s, 3), u" 保存 "_s);
}

TEST_F(HostServicesTest, TranslateTextCachesTheLanguageAndTheLoader) {
    fake->props = u"UserID=5;"_s;  // no language at login: ask the host
    fake->hostLanguage = u"en"_s;
    fake->texts.insert(u"保存"_s, u"Save"_s);
    EXPECT_EQ(host->TranslateText(u"保存"_s, 0), u"Save"_s);
    fake->hostLanguage = u"chs"_s;  // fixed at first use
    EXPECT_EQ(host->TranslateText(u"保存"_s, 0), u"Save"_s);
    EXPECT_EQ(loadersCreated, 1);
    EXPECT_EQ(fake->languageSets, 1);
}

TEST_F(HostServicesTest, IsControlReceiveReadsTheSwitch) {
    Put<ISystemProfile>(u"NXSBase.SystemProfile"_s);
    const std::pair<QVariant, bool> cases[] = {
        {QVariant(), true}, {u"0"_s, false}, {u"1"_s, true}, {u"False"_s, false}, {-1, true},
    };
    for (const auto& [stored, expected] : cases) {
        fake->profile = stored;
        EXPECT_EQ(host->IsControlReceive(), expected) << stored.toString().toStdString();
        EXPECT_EQ(fake->journal.last(), u"GetProfile "_s + fake->props + u"|SH|SHOPPROC_CONTROLRECEIVE"_s);
    }
    fake->profileFails = true;
    EXPECT_FALSE(host->IsControlReceive()) << "a failing profile";
    registry.Unregister(u"NXSBase.SystemProfile"_s);
    EXPECT_FALSE(host->IsControlReceive()) << "no profile component";
}

TEST_F(HostServicesTest, ExecFuncPassesTheArgumentsAndEndFuncCommits) {
    const QString pc = HostServices::ComputerName();
    EXPECT_FALSE(pc.isEmpty());
    EXPECT_LE(pc.size(), 40);
    EXPECT_EQ(host->ExecFunc(47, u"cj0891"_s, 0, 0, u"WB-1"_s), 7);
    host->ExecFunc(47, u"cj0891"_s, 2, 9);
    qint32 none = 0, task = 12;
    EXPECT_FALSE(host->EndFunc(none));  // id 0 is never committed
    fake->commitAnswer = false;
    EXPECT_FALSE(host->EndFunc(task));
    EXPECT_EQ(task, 12);
    fake->commitAnswer = true;
    EXPECT_TRUE(host->EndFunc(task));
    EXPECT_EQ(task, 0);
    fake->journal.removeIf([](const QString& s) { return s.startsWith(u"GetProperty"_s); });
    EXPECT_EQ(fake->journal, (QStringList{u"taskexec 47 cj0891 %1 3 0 0 WB-1"_s.arg(pc),
                                          u"taskexec 47 cj0891 %1 3 2 9 (none)"_s.arg(pc), u"CommitTask 12"_s,
                                          u"CommitTask 12"_s}));
}

TEST_F(HostServicesTest, ExecFuncRaisesTheConflictErrorInTheUsersLanguage) {
    const QString conflict = u"当前使用的功能与其他用户有冲突,目前无法使用!"_s;
    const std::tuple<qint32, QString, QString> cases[] = {
        {0, u"chs"_s, conflict}, {-1, u"chs"_s, conflict}, {0, u"en"_s, u"Conflict"_s}};
    for (const auto& [answer, language, text] : cases) {
        SetUp();
        SetLanguage(language);
        fake->texts.insert(conflict, u"Conflict"_s);
        fake->nextTask = answer;
        try {
            host->ExecFunc(47, u"cj0891"_s, 0, 0);
            ADD_FAILURE() << "no error for " << answer;
        } catch (const ComError& e) {
            EXPECT_EQ(e.Number(), 16390);
            EXPECT_EQ(e.Source(), u"MNetControl.ExecFunc"_s);
            EXPECT_EQ(e.Description(), text);
        }
    }
}

TEST_F(HostServicesTest, ShowLookupDispatchesByType) {
    const auto lookup = [&](qint32 type, bool longNumber = false) {
        fake->journal.clear();
        const LookupOutcome out = host->ShowLookup(type, u"abc"_s, u"F=1"_s, 4, longNumber);
        EXPECT_EQ(out.IsNothing(), fake->journal.isEmpty()) << type;
        EXPECT_TRUE(type >= 0 || (out.resource && !out.lookup)) << type;
        return fake->journal.join(u" / "_s);
    };
    for (qint32 type : {1, 3, 14})
        EXPECT_EQ(lookup(type),
                  u"ItemLookUp %1 'abc' 'F=1' BeShortNumber=true,GetDataType=4,Search=abc"_s.arg(type));
    EXPECT_EQ(lookup(2, true), u"ItemLookUp 2 'abc' 'F=1' BeShortNumber=false,GetDataType=4,Search=abc"_s);
    for (qint32 type : {20, 62, 129, 131, 999}) EXPECT_EQ(lookup(type), u"SubMesLookup %1 'abc'"_s.arg(type));
    for (qint32 type : {130, 1000, 6}) EXPECT_EQ(lookup(type), QString()) << type;
    EXPECT_EQ(lookup(-102), u"ShowType 1 / ShowMode 1 / Filter 'F=1' / Show"_s);
    EXPECT_EQ(lookup(-103), u"ShowType 0 / ShowMode 1 / Filter 'F=1' / Show"_s);
    EXPECT_EQ(viewsCreated, 1) << "the lookup object is kept";
}

TEST_F(HostServicesTest, ShowLookupReportsAFailureAndGivesNothing) {
    fake->lookupFails = true;
    EXPECT_TRUE(host->ShowLookup(3, QString(), QString(), 1, false).IsNothing());
    ASSERT_EQ(fake->journal.size(), 2);
    EXPECT_EQ(fake->journal[1], u"HandleError 1 lookup broke"_s);

    fake->journal.clear();
    registry.Unregister(u"Q8Resources.Browser"_s);
    EXPECT_TRUE(host->ShowLookup(-103, QString(), QString(), 1, false).IsNothing());
    ASSERT_EQ(fake->journal.size(), 1);
    EXPECT_TRUE(fake->journal[0].startsWith(u"HandleError 429"_s));

    QStringList logged;
    ErrorLog::SetSink([&](const QString& source, const QString& text) { logged << source + u'|' + text; });
    registry.Unregister(u"VLVBF.VLF"_s);
    EXPECT_TRUE(host->ShowLookup(3, QString(), QString(), 1, false).IsNothing());
    ErrorLog::SetSink(nullptr);
    EXPECT_TRUE(logged.contains(u"GLView|1: lookup broke"_s)) << logged.join(u'\n').toStdString();
}

}  // namespace
}  // namespace sp::test
