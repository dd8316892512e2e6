#include <gtest/gtest.h>

#include "src/common/ErrorLog.h"
#include "tests/support/FakeHost.h"

namespace sp::test {
namespace {

// A host service layer over the fake, in a process of its own id, speaking `language`.
struct Bench : HostHarness {
    explicit Bench(const QString& language = u"chs"_s) : HostHarness(HostSetup::InProcess(4242)) {
        fake->props =
            u"UserID=5;UserName=demo;Language=%1;DB={Provider=SQLite;Data Source=x};"_s.arg(language);
        fake->texts = {{u"序时薄"_s, u"Journal"_s}, {u"保存"_s, u"Save"_s}};
    }
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

TEST(HostServices, EveryPropertyReadUsesANewObjectAndTheProcessId) {
    Bench b;
    EXPECT_EQ(b.host->PropsValue(u"UserID"_s), u"5"_s);
    EXPECT_EQ(b.host->UserName(), u"Li"_s);
    EXPECT_EQ(b.host->LoginObject().get(), static_cast<ILoginObject*>(b.fake.get()));
    EXPECT_EQ(b.fake->calls, (QStringList{u"GetProperty PropsString 4242"_s, u"GetProperty UserName 4242"_s,
                                          u"GetProperty VLLogin 4242"_s}));
    EXPECT_EQ(b.Created(ProgId::ShareProps()), 3);
}

TEST(HostServices, TranslateTextFollowsTheLanguageRules) {
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
        Bench b(QString::fromUtf8(language));
        EXPECT_EQ(b.host->TranslateText(QString::fromUtf8(text), spacing), QString::fromUtf8(expected));
        EXPECT_EQ(b.fake->resFileBaseName, u"Q8Manufacture"_s);
        EXPECT_EQ(b.fake->languageId, QString::fromUtf8(language));
    }
    // The language (from the host when the login has none) and the loader are fixed at first use.
    Bench b;
    b.fake->props = u"UserID=5;"_s;
    b.fake->hostLanguage = u"en"_s;
    EXPECT_EQ(b.host->TranslateText(u"保存"_s, 0), u"Save"_s);
    b.fake->hostLanguage = u"chs"_s;
    EXPECT_EQ(b.host->TranslateText(u"保存"_s, 0), u"Save"_s);
    EXPECT_EQ(b.Created(ProgId::ResLoader()), 1);
    EXPECT_EQ(b.fake->Count(u"SetLanguageID"_s), 1);
    // Without the resource component the text comes back, spaced all the same.
    Bench c(u"en"_s);
    c.registry.Unregister(ProgId::ResLoader());
    EXPECT_EQ(c.host->TranslateText(u" 保存"_s, 3), u" 保存 "_s);
}

// A value that is neither a Boolean nor a number switches the control off and is logged
// with its value; the values the switch is meant to hold are not.
TEST(HostServices, IsControlReceiveReadsTheSwitch) {
    Bench b;
    QStringList logged;
    ErrorLog::SetSink([&](const QString& source, const QString& text) { logged << source + u'|' + text; });
    // clang-format off
    const std::tuple<QVariant, bool, const char*> cases[] = {
        {QVariant(), true, ""}, {u"0"_s, false, ""}, {u" -1"_s, true, ""}, {u"False"_s, false, ""},
        {-1, true, ""},
        {u"开"_s, false, "HostServices.IsControlReceive|The system switch SH/SHOPPROC_CONTROLRECEIVE holds \"开\""}};
    // clang-format on
    for (const auto& [stored, expected, log] : cases) {
        logged.clear();
        b.fake->profile = stored;
        EXPECT_EQ(b.host->IsControlReceive(), expected) << stored.toString().toStdString();
        EXPECT_EQ(b.fake->calls.last(), u"GetProfile "_s + b.fake->props + u" SH SHOPPROC_CONTROLRECEIVE"_s);
        EXPECT_TRUE(*log ? logged.size() == 1 && logged[0].startsWith(QString::fromUtf8(log))
                         : logged.isEmpty())
            << stored.toString().toStdString() << ": " << logged.join(u'\n').toStdString();
    }
    ErrorLog::SetSink(nullptr);
    b.fake->failing = {u"GetProfile"_s};
    EXPECT_FALSE(b.host->IsControlReceive()) << "a failing profile";
    b.registry.Unregister(ProgId::SystemProfile());
    EXPECT_FALSE(b.host->IsControlReceive()) << "no profile component";
}

TEST(HostServices, ExecFuncPassesTheArgumentsAndEndFuncCommits) {
    Bench b;
    const QString pc = HostServices::ComputerName();
    EXPECT_FALSE(pc.isEmpty());
    EXPECT_LE(pc.size(), 40);
    b.fake->nextTask = 7;
    EXPECT_EQ(b.host->ExecFunc(47, u"cj0891"_s, 0, 0, u"WB-1"_s), 7);
    b.host->ExecFunc(47, u"cj0891"_s, 2, 9);
    qint32 none = 0, task = 12;
    EXPECT_FALSE(b.host->EndFunc(none));  // id 0 is never committed
    b.fake->commitAnswer = false;
    EXPECT_FALSE(b.host->EndFunc(task));
    EXPECT_EQ(task, 12);
    b.fake->commitAnswer = true;
    EXPECT_TRUE(b.host->EndFunc(task));
    EXPECT_EQ(task, 0);
    b.fake->calls.removeIf([](const QString& s) { return s.startsWith(u"GetProperty"_s); });
    EXPECT_EQ(b.fake->calls, (QStringList{u"taskexec 47 cj0891 %1 3 0 0 WB-1"_s.arg(pc),
                                          u"taskexec 47 cj0891 %1 3 2 9 -"_s.arg(pc), u"CommitTask 12"_s,
                                          u"CommitTask 12"_s}));

    // A task below 1 is a conflict, raised in the user's language.
    const QString conflict = u"当前使用的功能与其他用户有冲突,目前无法使用!"_s;
    for (const auto& [answer, language, text] :
         {std::tuple{0, u"chs"_s, conflict}, {-1, u"chs"_s, conflict}, {0, u"en"_s, u"Conflict"_s}}) {
        Bench c(language);
        c.fake->texts.insert(conflict, u"Conflict"_s);
        c.fake->nextTask = answer;
        EXPECT_EQ(Raised([&] { c.host->ExecFunc(47, u"cj0891"_s, 0, 0); }),
                  u"16390 MNetControl.ExecFunc: "_s + text);
    }
}

// Item classes go to the item lookup with its options, auxiliary types to the lookup of
// auxiliary data, -102 and -103 to the resource browser; any other type shows nothing.
TEST(HostServices, ShowLookupDispatchesByType) {
    Bench b;
    b.fake->browserPick = NewDictionary();
    // type, long numbers, the call made (none: Nothing), its options
    // clang-format off
    const std::tuple<qint32, bool, const char*, const char*> cases[] = {
        {3, false, "ItemLookUp 3 'abc' 'F=1'", "BeShortNumber=true,GetDataType=4,Search=abc"},
        {2, true, "ItemLookUp 2 'abc' 'F=1'", "BeShortNumber=false,GetDataType=4,Search=abc"},
        {62, false, "SubMesLookup 62 'abc'", ""}, {999, false, "SubMesLookup 999 'abc'", ""},
        {130, false, "", ""}, {6, false, "", ""},
        {-102, false, "Show 1 1 'F=1'", ""}, {-103, false, "Show 0 1 'F=1'", ""}};
    // clang-format on
    for (const auto& [type, longNumber, call, options] : cases) {
        b.fake->calls.clear();
        b.fake->lastLookupOptions = nullptr;
        b.fake->picks = {Pick(u"01"_s, u"x"_s)};
        const LookupOutcome out = b.host->ShowLookup(type, u"abc"_s, u"F=1"_s, 4, longNumber);
        EXPECT_EQ(b.fake->calls.join(u" / "_s), QString::fromUtf8(call)) << type;
        EXPECT_EQ(out.IsNothing(), !*call) << type;
        QStringList given;
        for (const QString& key :
             b.fake->lastLookupOptions ? b.fake->lastLookupOptions->Keys() : QStringList())
            given << key + u'=' + b.fake->lastLookupOptions->Item(key).toString();
        EXPECT_EQ(given.join(u','), QString::fromUtf8(options)) << type;
    }
    EXPECT_EQ(b.Created(ProgId::GLView()), 1) << "the lookup object is kept";
}

TEST(HostServices, ShowLookupReportsAFailureAndGivesNothing) {
    Bench b;
    b.fake->failing = {u"ItemLookUp"_s};
    b.fake->picks = {Pick(u"01"_s, u"x"_s)};
    EXPECT_TRUE(b.host->ShowLookup(3, QString(), QString(), 1, false).IsNothing());
    EXPECT_EQ(b.fake->Calls(u"HandleError"_s), QStringList{u"HandleError 3001 ItemLookUp failed"_s});

    b.fake->calls.clear();
    b.registry.Unregister(ProgId::ResourceBrowser());
    EXPECT_TRUE(b.host->ShowLookup(-103, QString(), QString(), 1, false).IsNothing());
    ASSERT_EQ(b.fake->calls.size(), 1);
    EXPECT_TRUE(b.fake->calls[0].startsWith(u"HandleError 429"_s));

    QStringList logged;
    ErrorLog::SetSink([&](const QString& source, const QString& text) { logged << source + u'|' + text; });
    b.registry.Unregister(ProgId::ErrorDisplay());
    EXPECT_TRUE(b.host->ShowLookup(3, QString(), QString(), 1, false).IsNothing());
    ErrorLog::SetSink(nullptr);
    EXPECT_TRUE(logged.contains(u"FakeHost|3001: ItemLookUp failed"_s)) << logged.join(u'\n').toStdString();
}

}  // namespace
}  // namespace sp::test
