#include <gtest/gtest.h>

#include <QDate>
#include <QDateTime>
#include <QElapsedTimer>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <optional>

#include "platform/host/AppConnection.h"
#include "platform/host/ErrorDisplay.h"
#include "platform/host/GLData.h"
#include "platform/host/LoginSession.h"
#include "platform/host/LookupListModel.h"
#include "platform/host/LookupRegistration.h"
#include "platform/host/ResLoader.h"
#include "platform/host/SettingsFile.h"
#include "platform/host/SystemProfile.h"
#include "src/common/ErrorLog.h"
#include "tests/support/BackendTest.h"
#include "tests/support/QtPrinters.h"

namespace sp::test {
namespace {

using namespace Qt::StringLiterals;

class StandInsTest : public BackendTest {
  protected:
    void SetUp() override {
        BackendTest::SetUp();
        if (tdb_)
            Exec("INSERT INTO t_User (FUserID, FName) VALUES (5, 'O''Brien')");
    }
    void Rights(int user, qint32 rights) {
        Exec("INSERT INTO t_UserRight (FUserID, FSubSys, FFunction, FRights) VALUES (?, 1024, 30, ?)",
             {user, rights});
    }
};

TEST_P(StandInsTest, AccessCheckNeedsEveryBitOfTheMaskAndKeepsWhatItReadFiveSeconds) {
    Rights(5, 0x200000 | 0x4);
    Rights(6, -1);
    platform::GLData mine(shared(), 5, u"PC1"_s), admin(shared(), 6, u"PC1"_s), nobody(shared(), 7, u"PC1"_s);
    // One missing bit, another function or subsystem, or no rights row refuse.
    const std::tuple<platform::GLData&, qint32, qint16, qint32, bool> cases[] = {
        {mine, 1024, 30, 0x200000, true},    {mine, 1024, 30, 0x200004, true},
        {mine, 1024, 30, 0x200001, false},   {mine, 1024, 30, 0x1, false},
        {mine, 1024, 31, 0x200000, false},   {mine, 1023, 30, 0x4, false},
        {admin, 1024, 30, 0x200000, true},   {admin, 1024, 30, static_cast<qint32>(0x80000000u), true},
        {nobody, 1024, 30, 0x200000, false},
    };
    for (const auto& [who, subsystem, function, mask, expected] : cases)
        EXPECT_EQ(who.AccessCheck(subsystem, function, mask), expected) << std::hex << mask;
    // What was read is kept five seconds: at `at` ms the rights become `stored`.
    qint64 now = 0;
    platform::GLData kept(shared(), 5, u"PC1"_s, [&] { return now; });
    for (const auto& [at, stored, expected] : std::initializer_list<std::tuple<qint64, qint32, bool>>{
             {0, 4, true}, {4999, 0, true}, {5000, 0, false}, {9999, 4, false}, {10000, 4, true}}) {
        Exec("UPDATE t_UserRight SET FRights = ? WHERE FUserID = 5", {stored});
        now = at;
        EXPECT_EQ(kept.AccessCheck(1024, 30, 0x4), expected) << at;
    }
}

TEST_P(StandInsTest, WriteLogStoresOneRowPerCall) {
    const QDateTime before = QDateTime::currentDateTime().addSecs(-2);
    // On PostgreSQL the lines go by the held work bills' session and thread, in order.
    auto lines = std::make_shared<platform::UsageLog>(shared(), 5, u"PC1"_s);
    platform::GLData gl(shared(), 5, u"PC1"_s, {}, lines);
    gl.WriteLog(u"CJ1000"_s, 1);
    gl.WriteLog(u"CJ1000"_s, 3);
    lines->Flush();
    const RecordsetPtr rs = Query(
        "SELECT FUserID || ' ' || FFunctionCode || ' ' || FAction || ' ' || FComputer, FTime FROM t_UsageLog "
        "ORDER BY FLogID");
    EXPECT_EQ(Values(rs), Words("5 CJ1000 1 PC1,5 CJ1000 3 PC1"));
    for (rs->MoveFirst(); !rs->Eof(); rs->MoveNext()) EXPECT_GE(rs->Field(1).toDateTime(), before);
}

TEST_P(StandInsTest, GetItemFindsDetailEmployeesAndTheProfileGivesNullWhenAbsent) {
    Exec(
        "INSERT INTO t_Emp (FItemID, FNumber, FShortNumber, FName, FprofessionalGroup, FDetail) "
        "VALUES (11, 'E.001', '001', '张三', 4, 1), (12, 'E', 'E', '车间', 0, 0)");
    platform::GLData gl(shared(), 5, u"PC1"_s);
    const BaseItemPtr item = gl.GetItem(3, QVariant(), u"E.001"_s);
    ASSERT_TRUE(item);
    EXPECT_EQ(std::tuple(item->itemId, item->name, item->properties.value(u"FprofessionalGroup"_s).toInt()),
              std::tuple(11, u"张三"_s, 4));
    // Long or short number in any letter case, the long number as written preferred. Group entries
    // are no employees; the number is bound, never spliced into the statement.
    Exec(
        "INSERT INTO t_Emp (FItemID, FNumber, FShortNumber, FName, FDetail) "
        "VALUES (13, 'e.002', 'E.001', '李四', 1), (14, 'E.002', 'X', '王五', 1)");
    // clang-format off
    const std::tuple<int, const char*, qint32> lookups[] = {
        {3, " E.001 ", 11}, {3, "e.001", 11}, {3, "001", 11}, {3, "E.002", 14}, {3, "e.002", 13},
        {3, "x", 14}, {3, "E", 0}, {3, "e", 0}, {3, "E.999", 0}, {2, "E.001", 0}, {3, "' OR 1=1 --", 0}};
    // clang-format on
    for (const auto& [itemClass, number, expected] : lookups) {
        const BaseItemPtr found = gl.GetItem(itemClass, QVariant(), QString::fromUtf8(number));
        EXPECT_EQ(found ? found->itemId : 0, expected) << number;
    }

    Exec(
        "INSERT INTO t_SystemProfile (FCategory, FKey, FValue) VALUES "
        "('SH', 'SHOPPROC_CONTROLRECEIVE', '0'), ('SH', 'EMPTY', NULL)");
    platform::SystemProfile profile(shared());
    EXPECT_EQ(profile.GetProfile(QString(), u"SH"_s, u"SHOPPROC_CONTROLRECEIVE"_s).toString(), u"0"_s);
    for (const auto& [category, key] :
         {std::pair{u"SH"_s, u"EMPTY"_s}, {u"SH"_s, u"MISSING"_s}, {u"XX"_s, u"SHOPPROC_CONTROLRECEIVE"_s}})
        EXPECT_TRUE(profile.GetProfile(QString(), category, key).isNull()) << key.toStdString();
}

// The host service layer over the registered platform: the login properties carry the
// session, and the connection between braces.
TEST_P(StandInsTest, TheRegisteredPlatformServesTheHostServices) {
    HostServices& host = RegisterPlatform(5, u"O'Brien"_s, u"en"_s);
    for (const auto& [key, value] :
         {std::pair{u"UserID"_s, u"5"_s}, {u"UserName"_s, u"O'Brien"_s}, {u"Language"_s, u"en"_s}})
        EXPECT_EQ(host.PropsValue(key), value);
    EXPECT_FALSE(host.PropsValue(u"ComputerName"_s).isEmpty());
    const QString text = host.PropsString();
    const qsizetype open = text.indexOf(u'{');
    EXPECT_EQ(text.mid(open + 1, text.indexOf(u'}', open) - open - 1), db().url().ConnectionText());
    EXPECT_EQ(host.UserName(), u"O'Brien"_s);
}

// A user is found by name; a value that would break the property string is refused.
TEST_P(StandInsTest, LoginRefusesWhatWouldBreakThePropertyString) {
    EXPECT_EQ(platform::LoginSession::FindUserId(db(), u"O'Brien"_s), 5);
    EXPECT_THROW(platform::LoginSession::FindUserId(db(), u"nobody"_s), ComError);
    for (const char* bad : {"a;Language=de", "x=y", "{x}", "a|b", "a\nb"}) {
        const QString b = QString::fromUtf8(bad);
        EXPECT_THROW(platform::LoginSession(shared(), 5, b, u"chs"_s, u"PC"_s), ComError) << bad;
        EXPECT_THROW(platform::LoginSession(shared(), 5, u"demo"_s, u"chs"_s, b), ComError) << bad;
    }
}

SP_INSTANTIATE_BACKENDS(StandInsTest);

class AppConnectionTest : public BackendTest {
  protected:
    RecordsetPtr Run(const char* sql) {
        return platform::AppConnection(shared()).Execute(QString::fromUtf8(sql));
    }
};

TEST_P(AppConnectionTest, StatementsWithoutResultGiveAClosedEmptyRecordsetOnOneSharedConnection) {
    const RecordsetPtr done = Run("INSERT INTO t_User (FUserID, FName) VALUES (7, 'x')");
    ASSERT_TRUE(done);
    EXPECT_FALSE(done->IsOpen());
    EXPECT_TRUE(done->Eof());
    const RecordsetPtr rows = Run("SELECT FName FROM t_User WHERE FUserID=7");
    EXPECT_TRUE(rows->IsOpen());
    EXPECT_EQ(rows->Field(0).toString(), u"x"_s);
    EXPECT_THROW(Run("SELEC nonsense"), ComError);
    for (int i = 0; i < 200; ++i) Run("SELECT COUNT(*) FROM t_User");
    EXPECT_EQ(db().ConnectionsOpened(), 1);
}

TEST_P(AppConnectionTest, AnswersTheHostsServerDateQueryInEitherDialect) {
    for (const char* sql :
         {"Select Convert(varchar,GetDate(),101)", "select convert(varchar, getdate(), 101);",
          "  SELECT CONVERT( VARCHAR , GETDATE() , 101 )"}) {
        const QString text = Run(sql)->Field(0).toString();
        EXPECT_TRUE(QRegularExpression(u"^\\d\\d/\\d\\d/\\d{4}$"_s).match(text).hasMatch())
            << sql << " gave " << text.toStdString();
        // The database runs on this machine: its date is ours (give or take midnight).
        EXPECT_LE(std::abs(Basic::ToDate(text).daysTo(QDate::currentDate())), 1) << sql;
    }
    EXPECT_FALSE(platform::AppConnection::IsServerDateQuery(u"Select Convert(varchar,GetDate(),102)"_s));
}

TEST_P(AppConnectionTest, TransactionsCommitRollBackAndDieRolledBack) {
    {
        platform::AppConnection cnn(shared());
        cnn.BeginTrans();
        cnn.Execute(u"INSERT INTO t_User (FUserID, FName) VALUES (1, 'a')"_s);
        cnn.CommitTrans();
        cnn.BeginTrans();
        cnn.Execute(u"INSERT INTO t_User (FUserID, FName) VALUES (2, 'b')"_s);
        cnn.RollbackTrans();
        EXPECT_THROW(cnn.CommitTrans(), ComError);
        cnn.BeginTrans();
        cnn.Execute(u"INSERT INTO t_User (FUserID, FName) VALUES (3, 'c')"_s);
    }
    EXPECT_EQ(Count("t_User"), 1);
    EXPECT_EQ(db().TransactionDepth(), 0);
}

SP_INSTANTIATE_BACKENDS(AppConnectionTest);

// The host's lookups over a real database: a few departments (one group), employees,
// work centers, teams, processes and devices.
class HostLookups : public BackendTest {
  protected:
    QStringList captions, seen;

    void SetUp() override {
        BackendTest::SetUp();
        if (IsSkipped())
            return;
        Exec(
            "INSERT INTO t_Department (FItemID, FNumber, FShortNumber, FName, FDetail, FDProperty) VALUES "
            "(1, '01', '01', 'Works', 0, 1070), (2, '01.01', '0101', 'Machining', 1, 1070), "
            "(3, '01.02', '0102', 'Office', 1, 1071)");
        Exec(
            "INSERT INTO t_Emp (FItemID, FNumber, FShortNumber, FName, FprofessionalGroup, FDetail) VALUES "
            "(10, '02.001', 'E001', 'Zhang San', 55, 1), (11, '02', '02', 'Staff', 0, 0)");
        Exec(
            "INSERT INTO t_WorkCenter (FInterID, FNumber, FShortNumber, FName, FDetail) VALUES "
            "(5, 'WC.05', 'W05', 'Lathes', 1)");
        Exec(
            "INSERT INTO t_SubMessage (FInterID, FTypeID, FID, FName, FDetail) VALUES "
            "(55, 62, 'T01', 'Team one', 1), (56, 62, 'T02', 'Team two', 1), (70, 61, 'P01', 'Turning', 1)");
        Exec(
            "INSERT INTO t_Device (FInterID, FNumber, FName, FType, FWorkCenterID) VALUES "
            "(1, 'D1', 'Lathe 1', 3, 5), (2, 'D2', 'Lathe 2', 3, 6), (3, 'D3', 'Saw', 4, 5)");
        platform::RegisterLookups(registry, tdb_->db(), ui);
    }

    // The user searches (unless search is null) and confirms the row the list stands on;
    // the last column of the rows shown is kept in seen.
    void UserPicks(const QString& dialog, const QString& search = QString()) {
        seen.clear();
        ui.dialogHandlers[dialog] = [=, this](DialogModel& m) {
            auto& list = dynamic_cast<ListSelPickList&>(m);
            captions << list.Caption();
            if (!search.isNull())
                list.SetSearchText(search);
            for (int r = 0; r < list.RowCount(); ++r) seen << list.Cell(r, list.ColumnCount() - 1).toString();
            list.Confirm();
        };
    }
};

TEST_P(HostLookups, ItemLookUpAndSubMesLookupReturnTheChosenEntry) {
    // The entry as "number|name|item id|detail|short number|professional group".
    const auto entry = [](const LookupResultPtr& r) {
        if (!r || !r->ReturnOK || !r->ReturnObject)
            return u"none"_s;
        const LookupEntry& e = *r->ReturnObject;
        return u"%1|%2|%3|%4|%5|%6"_s.arg(e.Number, e.Name)
            .arg(e.ItemID)
            .arg(e.Detail.toBool())
            .arg(e.Properties.value(u"FShortNumber"_s).toString())
            .arg(e.Properties.value(u"FprofessionalGroup"_s).toInt());
    };
    // item class, filter, search, the entry chosen
    const std::tuple<qint32, QString, QString, QString> cases[] = {
        {2, u"FDProperty = 1070"_s, u"Mach"_s, u"01.01|Machining|2|1|0101|0"_s},
        {2, QString(), u"Works"_s, u"01|Works|1|0|01|0"_s},  // groups only: the first
        {3, QString(), u"e001"_s, u"02.001|Zhang San|10|1|E001|55"_s},
        {3, QString(), QString(), u"02.001|Zhang San|10|1|E001|55"_s},  // opens past the group "02"
        {14, QString(), QString(), u"WC.05|Lathes|5|1|W05|0"_s},
    };
    auto view = registry.Create<IGLView>(ProgId::GLView());
    for (const auto& [itemClass, filter, search, expected] : cases) {
        UserPicks(u"ItemLookUp"_s, search);
        EXPECT_EQ(entry(view->ItemLookUp(itemClass, QVariant(), filter, nullptr)), expected);
    }
    // A code of one type of the codes table, listed under its caption.
    UserPicks(u"SubMesLookup"_s, u"two"_s);
    qint32 type = 62;
    QString search;
    EXPECT_EQ(entry(view->SubMesLookup(type, search)), u"T02|Team two|56|1|T02|0"_s);
    EXPECT_EQ(seen, QStringList{u"Team two"_s});
    EXPECT_EQ(captions.last(), u"班组"_s);
}

TEST_P(HostLookups, TheCallersFilterAndTheSearchNarrowInTheDatabase) {
    auto view = registry.Create<IGLView>(ProgId::GLView());
    UserPicks(u"ItemLookUp"_s);
    view->ItemLookUp(2, QVariant(), u"FDProperty = 1070"_s, nullptr);
    EXPECT_EQ(seen, (QStringList{u"Works"_s, u"Machining"_s}));

    // The box's text is the initial search; wildcards and quotes in it are plain characters.
    UserPicks(u"ItemLookUp"_s);
    view->ItemLookUp(2, u"0102"_s, QString(), nullptr);
    EXPECT_EQ(seen, QStringList{u"Office"_s});
    QList<int> counts;
    ui.dialogHandlers[u"ItemLookUp"_s] = [&](DialogModel& m) {
        auto& list = dynamic_cast<ListSelPickList&>(m);
        for (const QString& search : {u"%"_s, u"'; DROP TABLE t_Emp; --"_s}) {
            list.SetSearchText(search);
            counts << list.RowCount();
        }
        list.Cancel();
    };
    EXPECT_EQ(view->ItemLookUp(3, QVariant(), QString(), nullptr), nullptr) << "cancel is Nothing";
    EXPECT_EQ(counts, (QList<int>{0, 0}));
    EXPECT_EQ(Count("t_Emp"), 2);
    EXPECT_THROW(view->ItemLookUp(99, QVariant(), QString(), nullptr), ComError);
}

TEST_P(HostLookups, ResourceBrowserAppendsTheCallersFilter) {
    auto browser = registry.Create<IResourceBrowser>(ProgId::ResourceBrowser());
    UserPicks(u"ResourceBrowser"_s);
    browser->SetShowType(0);
    browser->SetShowMode(1);
    browser->SetFilter(u" Ftype=3 And FworkCenterID=5"_s);
    browser->Show();
    EXPECT_EQ(seen, QStringList{u"Lathe 1"_s});
    DictionaryPtr chosen = browser->Result();
    ASSERT_TRUE(chosen);
    QStringList fields;
    for (const QString& key : Words("Fnumber,Fname,FinterID,Ftype,FworkCenterID"))
        fields << chosen->Item(key).toString();
    EXPECT_EQ(fields, Words("D1,Lathe 1,1,3,5"));
    ui.dialogHandlers[u"ResourceBrowser"_s] = [](DialogModel& m) {
        dynamic_cast<ListSelPickList&>(m).Cancel();
    };
    browser->Show();
    EXPECT_EQ(browser->Result(), nullptr);
}

SP_INSTANTIATE_BACKENDS(HostLookups);

TEST(LookupListModel, LikePatternEscapesWildcards) {
    EXPECT_EQ(platform::LookupListModel::LikePattern(u"a%b_c\\"_s), u"%a\\%b\\_c\\\\%"_s);
    EXPECT_EQ(platform::LookupListModel::AppendedFilter(u" "_s), QString());
    EXPECT_EQ(platform::LookupListModel::AppendedFilter(u"FDProperty = 1070"_s),
              u" AND (FDProperty = 1070)"_s);
}

// ---- stand-ins without a database ----------------------------------------------

TEST(ResLoader, TranslatesFromTheShippedCatalogs) {
    platform::ResLoader loader;
    loader.SetLanguageID(u"en"_s);
    EXPECT_EQ(std::pair(loader.LoadString(u"序时薄"_s), loader.LoadString(u"##"_s)),
              std::pair(u"List"_s, u"List"_s));
    EXPECT_FALSE(loader.LoadString(u"当前使用的功能与其他用户有冲突,目前无法使用!"_s).contains(u'当'));
    EXPECT_EQ(loader.LoadString(u"没有的文字"_s), u"没有的文字"_s);
    for (const QString& other : {u"chs"_s, u"xx"_s}) {
        loader.SetLanguageID(other);
        EXPECT_EQ(loader.LoadString(u"序时薄"_s), u"序时薄"_s);
    }
    const auto catalog = platform::ResLoaderCatalog::Parse(
        u"; comment\n[Q8Manufacture]\n保存 = Save\r\n##=List\n公式=a=b\nbroken line\n=x\n"_s);
    EXPECT_EQ(std::tuple(catalog.Find(u"保存"_s), catalog.Find(u"公式"_s), catalog.Count()),
              std::tuple(u"Save"_s, u"a=b"_s, 3));
}

TEST(ErrorDisplay, ShowsAndLogsTheError) {
    ScriptedUi ui;
    QStringList logged;
    ErrorLog::SetSink([&](const QString& source, const QString& text) { logged << source + u'|' + text; });
    platform::ErrorDisplay(ui).HandleError(ComError(3000, u"NXCGLView.GLView"_s, u"查找失败"_s));
    ErrorLog::SetSink(nullptr);
    ASSERT_EQ(ui.MessageTexts(), QStringList{u"查找失败"_s});
    EXPECT_EQ(ui.messages[0].icon, MsgIcon::Information);
    EXPECT_EQ(logged, QStringList{u"NXCGLView.GLView|3000: 查找失败"_s});
}

TEST(SettingsFile, RoundTripsAndNeverThrows) {
    QTemporaryDir dir;
    const QString section = u"Q8SHProcRpt600"_s;
    const auto write = [&](const QString& name, const QByteArray& bytes) {
        return WriteBytes(dir.filePath(name), bytes);
    };
    platform::SettingsFile ini;
    ini.SetFile(dir.filePath(u"Q8SHProcRpt.ini"_s));
    EXPECT_EQ(ini.Read(section, u"BDept"_s, u"dflt"_s), u"dflt"_s) << "missing file";
    // Blanks, commas, "=", ";", quotes, backslashes and the empty text come back as written.
    // clang-format off
    const std::pair<QString, QString> values[] = {
        {u"BDept"_s, u" 车间, 一 "_s}, {u"EDept"_s, QString()}, {u"BWC"_s, u"班组=7;x"_s}, {u"EWC"_s, u"\"quoted\""_s},
        {u"BICMO"_s, u"say \"hi"_s}, {u"EICMO"_s, u"C:\\tmp\\ ; --"_s}, {u"BWB"_s, u"\t"_s}};
    // clang-format on
    for (const auto& [key, value] : values) ini.Write(section, key, value);
    for (const auto& [key, value] : values)
        EXPECT_EQ(ini.Read(section, key, u"x"_s), value) << key.toStdString();
    EXPECT_EQ(ini.Read(section, u"bdept"_s, u"x"_s), u"x"_s) << "keys are case-sensitive";

    // A file written by hand: an unquoted list-like value is read as it stands.
    ini.SetFile(write(u"hand.ini"_s, "[Q8SHProcRpt600]\nBWC=01,02\nEWC=a, b\n\n[Other]\nBWC=zz\n"));
    EXPECT_EQ(ini.Read(section, u"BWC"_s, QString()), u"01,02"_s);
    EXPECT_EQ(ini.Read(section, u"EWC"_s, QString()), u"a, b"_s);

    // Garbage (a folder in place of the file: AFileThatCannotBeWrittenIsSaidAndLeftAlone).
    for (const QString& p : {write(u"g1.ini"_s, QByteArray("\x00\xff\xfe[[[=\n===\n\x01 BDept\n", 20)),
                             write(u"g2.ini"_s, "[Q8SHProcRpt600\nBDept\n=\n")}) {
        ini.SetFile(p);
        EXPECT_EQ(ini.Read(section, u"BDept"_s, u"d"_s), u"d"_s) << p.toStdString();
        EXPECT_NO_THROW(ini.Write(section, u"BDept"_s, u"v"_s)) << p.toStdString();
    }
}

QByteArray Bytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

// What cannot be read (not UTF-8, over 255 characters, a line over 64 KB) reads as the
// default, is named, and stays byte for byte while other keys are written; only writing
// that key replaces it. A line of 20 MB is passed over, not read into memory: the dialog's
// reads and a write stay quick.
TEST(SettingsFile, AValueItCannotReadStaysInTheFileAsItWas) {
    const struct {
        const char* name;
        QByteArray stored;
        std::optional<QString> read;  // nothing: unreadable
    } cases[] = {
        // clang-format off
        {"plain", "01.02", u"01.02"_s}, {"quoted", "\"a; b \"", u"a; b "_s},
        {"as it stands", "a \\t; \"b", u"a \\t; \"b"_s},
        {"255 characters", QByteArray(255, 'x'), QString(255, u'x')},
        {"255 Chinese characters", QString(255, u'车').toUtf8(), QString(255, u'车')},
        {"256 characters", QByteArray(256, 'x'), std::nullopt}, {"not UTF-8", "\xff\xfe" "01", std::nullopt},
        {"line of 20 MB", QByteArray(20 * 1024 * 1024, 'x'), std::nullopt},
        // clang-format on
    };
    QTemporaryDir dir;
    const QString path = dir.filePath(u"Q8SHProcRpt.ini"_s);
    const QByteArray head = "; kept\r\n[Q8SHProcRpt600]\r\nBDept=";
    const QByteArray tail = "\r\nEDept=keep\r\n\r\n[Other]\nBDept=zz\n" + QByteArray(80000, ';');
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        WriteBytes(path, head + c.stored + tail);
        QElapsedTimer timer;
        timer.start();
        platform::SettingsFile ini;
        ini.SetFile(path);
        EXPECT_EQ(
            std::tuple(ini.Read(u"Q8SHProcRpt600"_s, u"BDept"_s, u"d"_s),
                       ini.UnreadableKeys(u"Q8SHProcRpt600"_s), ini.UnreadableKeys(u"Other"_s).isEmpty()),
            std::tuple(c.read.value_or(u"d"_s), c.read ? QStringList() : QStringList{u"BDept"_s}, true));

        ini.Write(u"Q8SHProcRpt600"_s, u"EDept"_s, u"new"_s);
        EXPECT_LT(timer.elapsed(), 2000) << "reading and writing the file";
        QByteArray expected = head + c.stored + tail;
        expected.replace("EDept=keep", "EDept=new");
        EXPECT_TRUE(Bytes(path) == expected) << "only the written line changes";
        ini.Write(u"Q8SHProcRpt600"_s, u"EDept"_s, u"new"_s);
        ini.Write(u"Q8SHProcRpt600"_s, u"BDept"_s, u"typed"_s);
        expected = head + "typed" + tail;
        expected.replace("EDept=keep", "EDept=new");
        EXPECT_TRUE(Bytes(path) == expected);
        // A key the section lacks goes after its last entry (as the file ends its lines);
        // a section the file lacks, at the end.
        ini.Write(u"Q8SHProcRpt600"_s, u"BWC"_s, u"w"_s);
        ini.Write(u"New"_s, u"K"_s, u"v"_s);
        expected.replace("EDept=new\r\n", "EDept=new\r\nBWC=w\r\n");
        EXPECT_TRUE(Bytes(path) == expected + "\r\n\r\n[New]\r\nK=v\r\n");
    }
}

// A folder or a read-only file in the settings file's place: said, and left as it is.
TEST(SettingsFile, AFileThatCannotBeWrittenIsSaidAndLeftAlone) {
    QTemporaryDir dir;
    const QString readOnly = dir.filePath(u"ro.ini"_s);
    WriteBytes(readOnly, "[S]\nBDept=01\n");
    ASSERT_TRUE(QFile::setPermissions(readOnly, QFileDevice::ReadOwner | QFileDevice::ReadGroup));
    const auto mode = QFileInfo(readOnly).permissions();
    const std::pair<QString, bool> cases[] = {{dir.path(), false},
                                              {readOnly, false},
                                              {dir.filePath(u"new.ini"_s), true},
                                              {dir.filePath(u"sub/folder/new.ini"_s), true}};
    for (const auto& [path, writable] : cases) {
        SCOPED_TRACE(path.toStdString());
        platform::SettingsFile ini;
        ini.SetFile(path);
        EXPECT_EQ(ini.Writable(), writable);
        ini.Write(u"S"_s, u"BDept"_s, u"02"_s);
        EXPECT_EQ(ini.Read(u"S"_s, u"BDept"_s, u"d"_s), writable           ? u"02"_s
                                                        : path == readOnly ? u"01"_s
                                                                           : u"d"_s);
    }
    EXPECT_EQ(std::tuple(Bytes(readOnly), QFileInfo(readOnly).permissions(), QFileInfo(dir.path()).isDir()),
              std::tuple(QByteArray("[S]\nBDept=01\n"), mode, true));
}

}  // namespace
}  // namespace sp::test
