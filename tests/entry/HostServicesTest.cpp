#include <gtest/gtest.h>

#include "common/ComponentRegistry.h"
#include "common/ErrorLog.h"
#include "common/ScriptedUi.h"
#include "entry/HostServices.h"
#include "tests/entry/HostFakes.h"

namespace sp::testing {
namespace {

class HostServicesTest : public ::testing::Test {
  protected:
    void SetUp() override {
        props = std::make_shared<FakeShareProps>();
        props->props = QStringLiteral(
            "UserID=5;UserName=demo;Language=chs;DBConnection={Provider=SQLite;Data Source=x};");
        props->login = login;
        props->reads = &propReads;
        registry.Register<IShareProps>(QStringLiteral("PropsMgr.ShareProps"), [this] {
            ++sharePropsCreated;
            return props;
        });
        loader = std::make_shared<FakeResLoader>();
        registry.Register<IResLoader>(QStringLiteral("Q8ResLoader.Loader"), [this] {
            ++loadersCreated;
            return loader;
        });
        langInfo = std::make_shared<FakeLangInfo>();
        registry.Register<ILangInfo>(QStringLiteral("Q8LangInfo.LangInfo"), [this] { return langInfo; });
        registry.Register<IGLView>(QStringLiteral("NXCGLView.GLView"), [this] {
            ++viewsCreated;
            return view;
        });
        registry.Register<IResourceBrowser>(QStringLiteral("Q8Resources.Browser"),
                                            [this] { return std::make_shared<FakeBrowser>(journal); });
        registry.Register<IErrorDisplay>(QStringLiteral("VLVBF.VLF"),
                                         [this] { return std::make_shared<FakeErrorDisplay>(journal); });
        ComponentContext context;
        context.registry = &registry;
        context.ui = &ui;
        context.processId = 4242;
        host = std::make_unique<HostServices>(context);
    }

    void SetLanguage(const QString& lang) {
        props->props = QStringLiteral("UserID=5;Language=%1;").arg(lang);
        loader->texts.insert(QStringLiteral("序时薄"), QStringLiteral("Journal"));
        loader->texts.insert(QStringLiteral("保存"), QStringLiteral("Save"));
    }

    ComponentRegistry registry;
    ScriptedUi ui;
    Journal journal;
    QVector<QPair<QString, qint64>> propReads;
    std::shared_ptr<FakeLogin> login = std::make_shared<FakeLogin>();
    std::shared_ptr<FakeShareProps> props;
    std::shared_ptr<FakeResLoader> loader;
    std::shared_ptr<FakeLangInfo> langInfo;
    std::shared_ptr<FakeGLView> view = std::make_shared<FakeGLView>(journal);
    int sharePropsCreated = 0;
    int loadersCreated = 0;
    int viewsCreated = 0;
    std::unique_ptr<HostServices> host;
};

TEST(PropsValueOf, ReadsEntriesOfThePropertyString) {
    struct Case {
        const char* props;
        const char* key;
        const char* expected;
    } cases[] = {
        {"UserID=1;UserName=demo;Language=chs;", "Language", "chs"},
        {"UserID=1;Language=en", "Language", "en"},   // last entry without ";"
        {"UserID=1;Language=en;", "language", "en"},  // any case
        {"UserID=1;LANGUAGE=en;", "Language", "en"},
        {"UserID=1;UserName=demo;", "Language", ""},  // absent
        {"UserID=1;UserName=demo;", "Name", ""},      // only whole keys
        {"UserName=;UserID=3;", "UserName", ""},      // empty value
        {"UserName=O'Brien;UserID=3;", "UserName", "O'Brien"},
        {"", "UserID", ""},
        {"UserID=1;DBConnection={Provider=SQLite;Data Source=/tmp/a.db};Language=en;", "Language", "en"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(HostServices::PropsValueOf(QString::fromUtf8(c.props), QString::fromUtf8(c.key)),
                  QString::fromUtf8(c.expected))
            << c.props << " / " << c.key;
}

TEST_F(HostServicesTest, EveryPropertyReadUsesANewObjectAndTheProcessId) {
    EXPECT_EQ(host->PropsValue(QStringLiteral("UserID")), QStringLiteral("5"));
    EXPECT_EQ(host->UserName(), QStringLiteral("demo"));
    EXPECT_EQ(host->LoginObject(), login);
    EXPECT_EQ(sharePropsCreated, 3);
    ASSERT_EQ(propReads.size(), 3);
    EXPECT_EQ(propReads[0], qMakePair(QStringLiteral("PropsString"), qint64(4242)));
    EXPECT_EQ(propReads[2].first, QStringLiteral("VLLogin"));
}

TEST_F(HostServicesTest, TranslateTextFollowsTheLanguageRules) {
    struct Case {
        const char* language;
        const char* text;
        qint16 spacing;
        const char* expected;
    } cases[] = {
        {"chs", "  序时薄 ", 3, "  序时薄 "},  // chs: unchanged, blanks and all
        {"en", "序时薄", 0, "Journal"},
        {"en", "序时薄", 1, " Journal"},
        {"en", "序时薄", 2, "Journal "},
        {"en", "序时薄", 3, " Journal "},
        {"en", "  序时薄 ", 3, "  Journal "},    // blanks kept, none added twice
        {"en", "未知", 0, "未知"},               // unknown key comes back
        {"de", "序时薄", 3, "Journal"},          // spacing is for English only
        {"en", "A^|^~$~保存^|^B", 0, "ASaveB"},  // marked pieces only
        {"en", "~$~保存^|^~$~序时薄", 3, "SaveJournal"},
        {"chs", "A^|^~$~保存", 0, "A保存"},
    };
    for (const auto& c : cases) {
        SetUp();
        SetLanguage(QString::fromUtf8(c.language));
        EXPECT_EQ(host->TranslateText(QString::fromUtf8(c.text), c.spacing), QString::fromUtf8(c.expected))
            << c.language << " / " << c.text << " / " << c.spacing;
        EXPECT_EQ(loader->ResFileBaseName(), QStringLiteral("Q8Manufacture"));
        EXPECT_EQ(loader->LanguageID(), QString::fromUtf8(c.language));
    }
}

TEST_F(HostServicesTest, TranslateTextCachesTheLanguageAndTheLoader) {
    props->props = QStringLiteral("UserID=5;");  // no language at login: ask the host
    langInfo->language = QStringLiteral("en");
    loader->texts.insert(QStringLiteral("保存"), QStringLiteral("Save"));
    EXPECT_EQ(host->TranslateText(QStringLiteral("保存"), 0), QStringLiteral("Save"));
    langInfo->language = QStringLiteral("chs");  // fixed at first use
    EXPECT_EQ(host->TranslateText(QStringLiteral("保存"), 0), QStringLiteral("Save"));
    EXPECT_EQ(loadersCreated, 1);
    EXPECT_EQ(loader->languageSets, 1);
}

TEST_F(HostServicesTest, TranslateTextWithoutResourcesGivesTheTextBack) {
    registry.Unregister(QStringLiteral("Q8ResLoader.Loader"));
    SetLanguage(QStringLiteral("en"));
    EXPECT_EQ(host->TranslateText(QStringLiteral(" 保存"), 3), QStringLiteral(" 保存 "));
}

TEST_F(HostServicesTest, IsControlReceiveReadsTheSwitch) {
    struct Case {
        std::function<QVariant()> stored;
        bool expected;
        const char* what;
    } cases[] = {
        {[] { return QVariant(); }, true, "Null"},
        {[] { return QVariant(QStringLiteral("0")); }, false, "\"0\""},
        {[] { return QVariant(QStringLiteral("1")); }, true, "\"1\""},
        {[] { return QVariant(QStringLiteral("False")); }, false, "\"False\""},
        {[] { return QVariant(-1); }, true, "-1"},
        {[]() -> QVariant { throw ComError(3000, QStringLiteral("db"), QStringLiteral("down")); }, false,
         "error"},
    };
    for (const auto& c : cases) {
        auto profile = std::make_shared<FakeSystemProfile>();
        profile->answer = c.stored;
        registry.Register<ISystemProfile>(QStringLiteral("NXSBase.SystemProfile"),
                                          [profile] { return profile; });
        EXPECT_EQ(host->IsControlReceive(), c.expected) << c.what;
        EXPECT_EQ(profile->lastCategory, QStringLiteral("SH"));
        EXPECT_EQ(profile->lastKey, QStringLiteral("SHOPPROC_CONTROLRECEIVE"));
        EXPECT_EQ(profile->lastProps, props->props);
    }
    registry.Unregister(QStringLiteral("NXSBase.SystemProfile"));
    EXPECT_FALSE(host->IsControlReceive()) << "no profile component";
}

TEST_F(HostServicesTest, ComputerNameIsNeverEmptyNorLong) {
    const QString name = HostServices::ComputerName();
    EXPECT_FALSE(name.isEmpty());
    EXPECT_LE(name.size(), 40);
}

TEST_F(HostServicesTest, ExecFuncPassesTheArgumentsInOrder) {
    EXPECT_EQ(host->ExecFunc(47, QStringLiteral("cj0891"), 0, 0, QStringLiteral("WB-1")), 7);
    host->ExecFunc(47, QStringLiteral("cj0891"), 2, 9);
    ASSERT_EQ(login->execs.size(), 2);
    const auto& a = login->execs[0];
    EXPECT_EQ(a.subsystem, 47);
    EXPECT_EQ(a.function, QStringLiteral("cj0891"));
    EXPECT_EQ(a.computer, HostServices::ComputerName());
    EXPECT_EQ(a.mode, 3);
    EXPECT_TRUE(a.hasExtra);
    EXPECT_EQ(a.extra.toString(), QStringLiteral("WB-1"));
    EXPECT_EQ(login->execs[1].arg1, 2);
    EXPECT_EQ(login->execs[1].arg2, 9);
    EXPECT_FALSE(login->execs[1].hasExtra);
}

TEST_F(HostServicesTest, ExecFuncRaisesTheConflictError) {
    for (qint32 answer : {0, -1}) {
        login->nextTask = answer;
        SetLanguage(QStringLiteral("chs"));
        try {
            host->ExecFunc(47, QStringLiteral("cj0891"), 0, 0);
            FAIL() << "no error for " << answer;
        } catch (const ComError& e) {
            EXPECT_EQ(e.Number(), 16390);
            EXPECT_EQ(e.Source(), QStringLiteral("MNetControl.ExecFunc"));
            EXPECT_EQ(e.Description(), QStringLiteral("当前使用的功能与其他用户有冲突,目前无法使用!"));
        }
    }
}

TEST_F(HostServicesTest, ExecFuncConflictTextIsTranslated) {
    login->nextTask = 0;
    SetLanguage(QStringLiteral("en"));
    loader->texts.insert(QStringLiteral("当前使用的功能与其他用户有冲突,目前无法使用!"),
                         QStringLiteral("Conflict"));
    try {
        host->ExecFunc(47, QStringLiteral("cj0891"), 0, 0);
        FAIL();
    } catch (const ComError& e) {
        EXPECT_EQ(e.Description(), QStringLiteral("Conflict"));
    }
}

TEST_F(HostServicesTest, EndFuncClearsTheIdOnlyWhenCommitted) {
    qint32 none = 0;
    EXPECT_FALSE(host->EndFunc(none));
    EXPECT_TRUE(login->commits.isEmpty()) << "id 0 is not committed";

    qint32 task = 12;
    login->commitAnswer = false;
    EXPECT_FALSE(host->EndFunc(task));
    EXPECT_EQ(task, 12);

    login->commitAnswer = true;
    EXPECT_TRUE(host->EndFunc(task));
    EXPECT_EQ(task, 0);
    EXPECT_EQ(login->commits, (QVector<qint32>{12, 12}));
}

TEST_F(HostServicesTest, ShowLookupDispatchesByType) {
    struct Case {
        qint32 type;
        QStringList calls;
    } cases[] = {
        {1, {QStringLiteral("ItemLookUp 1")}},
        {3, {QStringLiteral("ItemLookUp 3")}},
        {14, {QStringLiteral("ItemLookUp 14")}},
        {20, {QStringLiteral("SubMesLookup 20 'abc'")}},
        {62, {QStringLiteral("SubMesLookup 62 'abc'")}},
        {129, {QStringLiteral("SubMesLookup 129 'abc'")}},
        {130, {}},
        {131, {QStringLiteral("SubMesLookup 131 'abc'")}},
        {999, {QStringLiteral("SubMesLookup 999 'abc'")}},
        {1000, {}},
        {6, {}},
        {-102,
         {QStringLiteral("ShowType 1"), QStringLiteral("ShowMode 1"), QStringLiteral("Filter 'F=1'"),
          QStringLiteral("Show")}},
        {-103,
         {QStringLiteral("ShowType 0"), QStringLiteral("ShowMode 1"), QStringLiteral("Filter 'F=1'"),
          QStringLiteral("Show")}},
    };
    for (const auto& c : cases) {
        journal.clear();
        const LookupOutcome out =
            host->ShowLookup(c.type, QStringLiteral("abc"), QStringLiteral("F=1"), 1, false);
        EXPECT_EQ(journal, c.calls) << c.type;
        EXPECT_EQ(out.IsNothing(), c.calls.isEmpty()) << c.type;
        if (c.type < 0) {
            EXPECT_TRUE(out.resource && !out.lookup) << c.type;
        }
    }
    EXPECT_EQ(viewsCreated, 1) << "the lookup object is kept";
}

TEST_F(HostServicesTest, ShowLookupOptionsForItemClasses) {
    for (bool longNumber : {false, true}) {
        host->ShowLookup(2, QStringLiteral("01"), QStringLiteral("FDProperty = 1070"), 4, longNumber);
        ASSERT_TRUE(view->lastOptions);
        EXPECT_EQ(view->lastOptions->Keys(),
                  (QStringList{QStringLiteral("BeShortNumber"), QStringLiteral("GetDataType"),
                               QStringLiteral("Search")}));
        EXPECT_EQ(view->lastOptions->Item(QStringLiteral("BeShortNumber")).toBool(), !longNumber);
        EXPECT_EQ(view->lastOptions->Item(QStringLiteral("GetDataType")).toInt(), 4);
        EXPECT_EQ(view->lastOptions->Item(QStringLiteral("Search")).toString(), QStringLiteral("01"));
        EXPECT_EQ(view->lastSearch.toString(), QStringLiteral("01"));
        EXPECT_EQ(view->lastFilter, QStringLiteral("FDProperty = 1070"));
    }
}

TEST_F(HostServicesTest, ShowLookupReportsAFailureAndGivesNothing) {
    view->fail = true;
    const LookupOutcome out = host->ShowLookup(3, QString(), QString(), 1, false);
    EXPECT_TRUE(out.IsNothing());
    EXPECT_EQ(journal,
              (QStringList{QStringLiteral("ItemLookUp 3"), QStringLiteral("HandleError 1 lookup broke")}));

    journal.clear();
    registry.Unregister(QStringLiteral("Q8Resources.Browser"));
    EXPECT_TRUE(host->ShowLookup(-103, QString(), QString(), 1, false).IsNothing());
    ASSERT_EQ(journal.size(), 1);
    EXPECT_TRUE(journal[0].startsWith(QStringLiteral("HandleError 429")));

    QStringList logged;
    ErrorLog::SetSink([&](const QString& source, const QString& text) { logged << source + u'|' + text; });
    registry.Unregister(QStringLiteral("VLVBF.VLF"));
    EXPECT_TRUE(host->ShowLookup(3, QString(), QString(), 1, false).IsNothing());
    ErrorLog::SetSink(nullptr);
    EXPECT_TRUE(logged.contains(QStringLiteral("GLView|1: lookup broke")))
        << logged.join(u'\n').toStdString();
}

}  // namespace
}  // namespace sp::testing
