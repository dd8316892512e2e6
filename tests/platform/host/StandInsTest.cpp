#include <gtest/gtest.h>

#include <QDateTime>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <optional>

#include "platform/host/ErrorDisplay.h"
#include "platform/host/GLData.h"
#include "platform/host/LoginSession.h"
#include "platform/host/ResLoader.h"
#include "platform/host/SettingsFile.h"
#include "platform/host/SystemProfile.h"
#include "src/common/ErrorLog.h"
#include "tests/support/BackendTest.h"

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

TEST_P(StandInsTest, AccessCheckNeedsEveryBitOfTheMask) {
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
}

TEST_P(StandInsTest, WriteLogStoresOneRowPerCall) {
    const QDateTime before = QDateTime::currentDateTime().addSecs(-2);
    platform::GLData gl(shared(), 5, u"PC1"_s);
    gl.WriteLog(u"CJ1000"_s, 1);
    gl.WriteLog(u"CJ1000"_s, 3);
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
    EXPECT_EQ(item->itemId, 11);
    EXPECT_EQ(item->name, u"张三"_s);
    EXPECT_EQ(item->properties.value(u"FprofessionalGroup"_s).toInt(), 4);
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
// session (and the connection between braces), access checks, the server date and the
// function-conflict control all answer from this database.
TEST_P(StandInsTest, TheRegisteredPlatformServesTheHostServices) {
    Rights(5, 0x200000);
    HostServices& host = RegisterPlatform(5, u"O'Brien"_s, u"en"_s);
    for (const auto& [key, value] :
         {std::pair{u"UserID"_s, u"5"_s}, {u"UserName"_s, u"O'Brien"_s}, {u"Language"_s, u"en"_s}})
        EXPECT_EQ(host.PropsValue(key), value);
    EXPECT_FALSE(host.PropsValue(u"ComputerName"_s).isEmpty());
    const QString text = host.PropsString();
    const qsizetype open = text.indexOf(u'{');
    EXPECT_EQ(text.mid(open + 1, text.indexOf(u'}', open) - open - 1), db().url().ConnectionText());
    EXPECT_EQ(host.UserName(), u"O'Brien"_s);
    EXPECT_TRUE(host.AccessCheck(0x200000));
    EXPECT_FALSE(host.AccessCheck(0x400000));
    EXPECT_TRUE(host.IsControlReceive()) << "no stored switch";
    EXPECT_TRUE(host.ServerDate().isValid());
    qint32 task = host.ExecFunc(47, u"cj0891"_s, 0, 0, u"WB-1"_s);
    EXPECT_GE(task, 1);
    EXPECT_TRUE(host.EndFunc(task));
    EXPECT_EQ(task, 0);
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

// ---- stand-ins without a database ----------------------------------------------

TEST(ResLoader, TranslatesFromTheShippedCatalogs) {
    platform::ResLoader loader;
    loader.SetLanguageID(u"en"_s);
    EXPECT_EQ(loader.LoadString(u"序时薄"_s), u"List"_s);
    EXPECT_EQ(loader.LoadString(u"##"_s), u"List"_s);
    EXPECT_FALSE(loader.LoadString(u"当前使用的功能与其他用户有冲突,目前无法使用!"_s).contains(u'当'));
    EXPECT_EQ(loader.LoadString(u"没有的文字"_s), u"没有的文字"_s);
    for (const QString& other : {u"chs"_s, u"xx"_s}) {
        loader.SetLanguageID(other);
        EXPECT_EQ(loader.LoadString(u"序时薄"_s), u"序时薄"_s);
    }
    const auto catalog = platform::ResLoaderCatalog::Parse(
        u"; comment\n[Q8Manufacture]\n保存 = Save\r\n##=List\n公式=a=b\nbroken line\n=x\n"_s);
    EXPECT_EQ(catalog.Find(u"保存"_s), u"Save"_s);
    EXPECT_EQ(catalog.Find(u"公式"_s), u"a=b"_s);
    EXPECT_EQ(catalog.Count(), 3);
}

TEST(ErrorDisplay, ShowsAndLogsTheError) {
    ScriptedUi ui;
    QStringList logged;
    ErrorLog::SetSink([&](const QString& source, const QString& text) { logged << source + u'|' + text; });
    platform::ErrorDisplay(ui).HandleError(ComError(3000, u"NXCGLView.GLView"_s, u"查找失败"_s));
    ErrorLog::SetSink(nullptr);
    ASSERT_EQ(ui.messages.size(), 1);
    EXPECT_EQ(ui.messages[0].text, u"查找失败"_s);
    EXPECT_EQ(ui.messages[0].icon, MsgIcon::Information);
    EXPECT_EQ(logged, QStringList{u"NXCGLView.GLView|3000: 查找失败"_s});
}

// Writes the bytes as the file's whole content; its path back.
QString WriteBytes(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    f.write(bytes);
    return path;
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
    const std::pair<QString, QString> values[] = {{u"BDept"_s, u" 车间, 一 "_s},
                                                  {u"EDept"_s, QString()},
                                                  {u"BWC"_s, u"班组=7;x"_s},
                                                  {u"EWC"_s, u"\"quoted\""_s},
                                                  {u"BICMO"_s, u"say \"hi"_s},
                                                  {u"EICMO"_s, u"C:\\tmp\\ ; --"_s},
                                                  {u"BWB"_s, u"\t"_s}};
    for (const auto& [key, value] : values) ini.Write(section, key, value);
    for (const auto& [key, value] : values)
        EXPECT_EQ(ini.Read(section, key, u"x"_s), value) << key.toStdString();
    EXPECT_EQ(ini.Read(section, u"bdept"_s, u"x"_s), u"x"_s) << "keys are case-sensitive";

    // A file written by hand: an unquoted list-like value is read as it stands.
    ini.SetFile(write(u"hand.ini"_s, "[Q8SHProcRpt600]\nBWC=01,02\nEWC=a, b\n\n[Other]\nBWC=zz\n"));
    EXPECT_EQ(ini.Read(section, u"BWC"_s, QString()), u"01,02"_s);
    EXPECT_EQ(ini.Read(section, u"EWC"_s, QString()), u"a, b"_s);

    // Garbage, a folder in place of a file, a file that cannot be created.
    for (const QString& p :
         {write(u"g1.ini"_s, QByteArray("\x00\xff\xfe[[[=\n===\n\x01 BDept\n", 20)),
          write(u"g2.ini"_s, "[Q8SHProcRpt600\nBDept\n=\n"), write(u"g3.ini"_s, QByteArray(70000, '[')),
          dir.path(), dir.filePath(u"no/such/folder/x.ini"_s)}) {
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
// that key replaces it.
TEST(SettingsFile, AValueItCannotReadStaysInTheFileAsItWas) {
    const struct {
        const char* name;
        QByteArray stored;
        std::optional<QString> read;  // nothing: unreadable
    } cases[] = {
        {"plain", "01.02", u"01.02"_s},
        {"quoted", "\"a; b \"", u"a; b "_s},
        {"as it stands", "a \\t; \"b", u"a \\t; \"b"_s},
        {"255 characters", QByteArray(255, 'x'), QString(255, u'x')},
        {"255 Chinese characters", QString(255, u'车').toUtf8(), QString(255, u'车')},
        {"256 characters", QByteArray(256, 'x'), std::nullopt},
        {"not UTF-8",
         "\xff\xfe"
         "01",
         std::nullopt},
        {"line over 64 KB", QByteArray(70000, 'x'), std::nullopt},
    };
    QTemporaryDir dir;
    const QString path = dir.filePath(u"Q8SHProcRpt.ini"_s);
    const QByteArray head = "; kept\r\n[Q8SHProcRpt600]\r\nBDept=";
    const QByteArray tail = "\r\nEDept=keep\r\n\r\n[Other]\nBDept=zz\n" + QByteArray(80000, ';');
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        WriteBytes(path, head + c.stored + tail);
        platform::SettingsFile ini;
        ini.SetFile(path);
        EXPECT_EQ(ini.Read(u"Q8SHProcRpt600"_s, u"BDept"_s, u"d"_s), c.read.value_or(u"d"_s));
        EXPECT_EQ(ini.UnreadableKeys(u"Q8SHProcRpt600"_s), c.read ? QStringList() : QStringList{u"BDept"_s});
        EXPECT_TRUE(ini.UnreadableKeys(u"Other"_s).isEmpty());

        ini.Write(u"Q8SHProcRpt600"_s, u"EDept"_s, u"new"_s);
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
    EXPECT_EQ(Bytes(readOnly), QByteArray("[S]\nBDept=01\n"));
    EXPECT_EQ(QFileInfo(readOnly).permissions(), mode);
    EXPECT_TRUE(QFileInfo(dir.path()).isDir());
}

// A line of 20 MB is passed over, not read into memory: the dialog's reads stay quick and
// writing another key keeps the line.
TEST(SettingsFile, AHugeLineIsPassedOverQuickly) {
    QTemporaryDir dir;
    const QString path = dir.filePath(u"big.ini"_s);
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("[S]\nBDept=01\nJunk=");
    f.write(QByteArray(20 * 1024 * 1024, 'j'));
    f.write("\nEDept=02\n");
    f.close();
    const qint64 size = QFileInfo(path).size();
    platform::SettingsFile ini;
    ini.SetFile(path);
    QElapsedTimer timer;
    timer.start();
    QStringList read;
    for (const char* key : {"BDept", "EDept", "BWC", "EWC", "BICMO", "EICMO", "BWB", "EWB", "BTeam", "ETeam",
                            "BWorker", "EWorker", "BItem", "EItem"})
        read << ini.Read(u"S"_s, QString::fromLatin1(key), QString());
    EXPECT_EQ(ini.UnreadableKeys(u"S"_s), QStringList{u"Junk"_s});
    const qint64 readMs = timer.restart();
    EXPECT_EQ(read.mid(0, 2), (QStringList{u"01"_s, u"02"_s}));
    ini.Write(u"S"_s, u"EDept"_s, u"03"_s);
    const qint64 writeMs = timer.elapsed();
    EXPECT_LT(readMs, 2000) << "the dialog's reads of a file with a 20 MB line";
    EXPECT_LT(writeMs, 2000);
    RecordProperty("read_ms", static_cast<int>(readMs));
    RecordProperty("write_ms", static_cast<int>(writeMs));
    EXPECT_EQ(QFileInfo(path).size(), size);
    EXPECT_EQ(ini.Read(u"S"_s, u"EDept"_s, QString()), u"03"_s);
}

}  // namespace
}  // namespace sp::test
