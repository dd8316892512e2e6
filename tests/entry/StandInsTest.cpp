#include <gtest/gtest.h>

#include <QDateTime>
#include <QTemporaryDir>

#include "common/ComponentRegistry.h"
#include "common/ErrorLog.h"
#include "common/ScriptedUi.h"
#include "entry/HostServices.h"
#include "middletier/MiddleTierInterfaces.h"
#include "platform/Platform.h"
#include "platform/host/ErrorDisplay.h"
#include "platform/host/GLData.h"
#include "platform/host/LoginSession.h"
#include "platform/host/ResLoader.h"
#include "platform/host/SettingsFile.h"
#include "platform/host/ShareProps.h"
#include "platform/host/SystemProfile.h"
#include "support/TestDatabase.h"

namespace sp::testing {
namespace {

using platform::Database;

class StandInsTest : public ::testing::TestWithParam<Backend> {
  protected:
    void SetUp() override {
        tdb = TestDatabase::Create(GetParam());
        if (!tdb)
            return;
        db = tdb->db();
        db->Exec(QStringLiteral("INSERT INTO t_User (FUserID, FName) VALUES (?, ?)"),
                 {5, QStringLiteral("O'Brien")});
    }
    std::unique_ptr<TestDatabase> tdb;
    std::shared_ptr<Database> db;
};

TEST_P(StandInsTest, AccessCheckNeedsEveryBitOfTheMask) {
    if (!tdb)
        return;
    db->Exec(QStringLiteral(
                 "INSERT INTO t_UserRight (FUserID, FSubSys, FFunction, FRights) VALUES (5, 1024, 30, ?)"),
             {0x200000 | 0x4});
    db->Exec(QStringLiteral(
        "INSERT INTO t_UserRight (FUserID, FSubSys, FFunction, FRights) VALUES (6, 1024, 30, -1)"));
    platform::GLData mine(db, 5, QStringLiteral("PC1"));
    platform::GLData admin(db, 6, QStringLiteral("PC1"));
    platform::GLData nobody(db, 7, QStringLiteral("PC1"));
    struct Case {
        platform::GLData& who;
        qint32 subsystem;
        qint16 function;
        qint32 mask;
        bool expected;
    } cases[] = {
        {mine, 1024, 30, 0x200000, true},
        {mine, 1024, 30, 0x200004, true},
        {mine, 1024, 30, 0x200001, false},  // one bit missing
        {mine, 1024, 30, 0x1, false},
        {mine, 1024, 31, 0x200000, false},  // another function
        {mine, 1023, 30, 0x4, false},
        {admin, 1024, 30, 0x200000, true},
        {admin, 1024, 30, static_cast<qint32>(0x80000000u), true},
        {nobody, 1024, 30, 0x200000, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.who.AccessCheck(c.subsystem, c.function, c.mask), c.expected) << std::hex << c.mask;
}

TEST_P(StandInsTest, WriteLogStoresOneRowPerCall) {
    if (!tdb)
        return;
    const QDateTime before = QDateTime::currentDateTime().addSecs(-2);
    platform::GLData gl(db, 5, QStringLiteral("PC1"));
    gl.WriteLog(QStringLiteral("CJ1000"), 1);
    gl.WriteLog(QStringLiteral("CJ1000"), 3);
    RecordsetPtr rs = db->Query(QStringLiteral(
        "SELECT FUserID, FFunctionCode, FAction, FComputer, FTime FROM t_UsageLog ORDER BY FLogID"));
    QStringList rows;
    for (; !rs->Eof(); rs->MoveNext()) {
        rows << QStringLiteral("%1 %2 %3 %4")
                    .arg(rs->Field(0).toInt())
                    .arg(rs->Field(1).toString())
                    .arg(rs->Field(2).toInt())
                    .arg(rs->Field(3).toString());
        EXPECT_GE(rs->Field(4).toDateTime(), before);
    }
    EXPECT_EQ(rows, (QStringList{QStringLiteral("5 CJ1000 1 PC1"), QStringLiteral("5 CJ1000 3 PC1")}));
}

TEST_P(StandInsTest, GetItemFindsDetailEmployeesByNumber) {
    if (!tdb)
        return;
    db->Exec(QStringLiteral(
        "INSERT INTO t_Emp (FItemID, FNumber, FShortNumber, FName, FprofessionalGroup, FDetail) "
        "VALUES (11, 'E.001', '001', '张三', 4, 1), (12, 'E', 'E', '车间', 0, 0)"));
    platform::GLData gl(db, 5, QStringLiteral("PC1"));
    BaseItemPtr item = gl.GetItem(3, QVariant(), QStringLiteral("E.001"));
    ASSERT_TRUE(item);
    EXPECT_EQ(item->itemId, 11);
    EXPECT_EQ(item->name, QStringLiteral("张三"));
    EXPECT_EQ(item->properties.value(QStringLiteral("FprofessionalGroup")).toInt(), 4);
    EXPECT_TRUE(gl.GetItem(3, QVariant(), QStringLiteral(" E.001 ")));
    EXPECT_FALSE(gl.GetItem(3, QVariant(), QStringLiteral("E"))) << "group entries are not employees";
    EXPECT_FALSE(gl.GetItem(3, QVariant(), QStringLiteral("E.999")));
    EXPECT_FALSE(gl.GetItem(2, QVariant(), QStringLiteral("E.001")));
    EXPECT_FALSE(gl.GetItem(3, QVariant(), QStringLiteral("' OR 1=1 --")));
}

TEST_P(StandInsTest, SystemProfileGivesNullWhenAbsent) {
    if (!tdb)
        return;
    db->Exec(
        QStringLiteral("INSERT INTO t_SystemProfile (FCategory, FKey, FValue) VALUES "
                       "('SH', 'SHOPPROC_CONTROLRECEIVE', '0'), ('SH', 'EMPTY', NULL)"));
    platform::SystemProfile profile(db);
    EXPECT_EQ(profile.GetProfile(QString(), QStringLiteral("SH"), QStringLiteral("SHOPPROC_CONTROLRECEIVE"))
                  .toString(),
              QStringLiteral("0"));
    EXPECT_TRUE(profile.GetProfile(QString(), QStringLiteral("SH"), QStringLiteral("EMPTY")).isNull());
    EXPECT_TRUE(profile.GetProfile(QString(), QStringLiteral("SH"), QStringLiteral("MISSING")).isNull());
    EXPECT_TRUE(profile.GetProfile(QString(), QStringLiteral("XX"), QStringLiteral("SHOPPROC_CONTROLRECEIVE"))
                    .isNull());
}

TEST_P(StandInsTest, LoginPropertiesCarryTheSessionSafely) {
    if (!tdb)
        return;
    EXPECT_EQ(platform::LoginSession::FindUserId(*db, QStringLiteral("O'Brien")), 5);
    EXPECT_THROW(platform::LoginSession::FindUserId(*db, QStringLiteral("nobody")), ComError);

    auto session = std::make_shared<platform::LoginSession>(db, 5, QStringLiteral("O'Brien"),
                                                            QStringLiteral("en"), QStringLiteral("PC-1"));
    platform::ShareProps props(session);
    const QString text = props.GetProperty(QStringLiteral("PropsString"), 1).value.toString();
    EXPECT_EQ(HostServices::PropsValueOf(text, QStringLiteral("UserID")), QStringLiteral("5"));
    EXPECT_EQ(HostServices::PropsValueOf(text, QStringLiteral("UserName")), QStringLiteral("O'Brien"));
    EXPECT_EQ(HostServices::PropsValueOf(text, QStringLiteral("Language")), QStringLiteral("en"));
    EXPECT_EQ(HostServices::PropsValueOf(text, QStringLiteral("ComputerName")), QStringLiteral("PC-1"));
    const qsizetype open = text.indexOf(u'{');
    EXPECT_EQ(text.mid(open + 1, text.indexOf(u'}', open) - open - 1), db->url().ConnectionText());
    EXPECT_EQ(props.GetProperty(QStringLiteral("UserID"), 1).value.toInt(), 5);
    EXPECT_EQ(props.GetProperty(QStringLiteral("UserName"), 1).value.toString(), QStringLiteral("O'Brien"));
    EXPECT_FALSE(props.GetProperty(QStringLiteral("Unknown"), 1).value.isValid());

    for (const char* bad : {"a;Language=de", "x=y", "{x}", "a|b", "a\nb"}) {
        EXPECT_THROW(platform::LoginSession(db, 5, QString::fromUtf8(bad), QStringLiteral("chs"),
                                            QStringLiteral("PC")),
                     ComError)
            << bad;
        EXPECT_THROW(platform::LoginSession(db, 5, QStringLiteral("demo"), QStringLiteral("chs"),
                                            QString::fromUtf8(bad)),
                     ComError)
            << bad;
    }
}

TEST_P(StandInsTest, TheRegisteredPlatformServesTheHostServices) {
    if (!tdb)
        return;
    db->Exec(QStringLiteral(
                 "INSERT INTO t_UserRight (FUserID, FSubSys, FFunction, FRights) VALUES (5, 1024, 30, ?)"),
             {0x200000});
    ComponentRegistry registry;
    ScriptedUi ui;
    platform::RegisterPlatform(registry,
                               {db, 5, QStringLiteral("O'Brien"), QStringLiteral("en"), QString(), &ui});
    ComponentContext context{&registry, &ui, QString(), QString(), 99};
    HostServices host(context);
    EXPECT_TRUE(host.AccessCheck(0x200000));
    EXPECT_FALSE(host.AccessCheck(0x400000));
    EXPECT_EQ(host.UserName(), QStringLiteral("O'Brien"));
    EXPECT_EQ(host.PropsValue(QStringLiteral("UserID")), QStringLiteral("5"));
    EXPECT_TRUE(host.IsControlReceive()) << "no stored switch";
    host.WriteLog(QStringLiteral("CJ1002"), 1);
    EXPECT_EQ(
        db->Scalar(QStringLiteral("SELECT COUNT(*) FROM t_UsageLog WHERE FFunctionCode = 'CJ1002'")).toInt(),
        1);
    EXPECT_TRUE(host.ServerDate().isValid());

    qint32 task = host.ExecFunc(47, QStringLiteral("cj0891"), 0, 0, QStringLiteral("WB-1"));
    EXPECT_GE(task, 1);
    EXPECT_TRUE(host.EndFunc(task));
    EXPECT_EQ(task, 0);

    for (const QString& progId :
         {ProgId::ShareProps(), ProgId::AppConnection(), ProgId::GLData(), ProgId::GLView(),
          ProgId::ResourceBrowser(), ProgId::LangInfo(), ProgId::ResLoader(), ProgId::SystemProfile(),
          ProgId::ErrorDisplay(), ProgId::PlanProfile(), ProgId::SettingsFile(), ProgId::ListSelData(),
          ProgId::MShopProc(), ProgId::MShopProcSet()})
        EXPECT_TRUE(registry.IsRegistered(progId)) << progId.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Backends, StandInsTest, ::testing::Values(Backend::SQLite, Backend::PostgreSQL),
                         [](const auto& info) { return BackendName(info.param); });

// ---- stand-ins without a database ----------------------------------------------

TEST(ResLoader, TranslatesFromTheShippedCatalogs) {
    platform::ResLoader loader;
    loader.SetLanguageID(QStringLiteral("en"));
    EXPECT_EQ(loader.LoadString(QStringLiteral("序时薄")), QStringLiteral("List"));
    EXPECT_EQ(loader.LoadString(QStringLiteral("##")), QStringLiteral("List"));
    EXPECT_FALSE(
        loader.LoadString(QStringLiteral("当前使用的功能与其他用户有冲突,目前无法使用!")).contains(u'当'));
    EXPECT_EQ(loader.LoadString(QStringLiteral("没有的文字")), QStringLiteral("没有的文字"));
    loader.SetLanguageID(QStringLiteral("chs"));
    EXPECT_EQ(loader.LoadString(QStringLiteral("序时薄")), QStringLiteral("序时薄"));
    loader.SetLanguageID(QStringLiteral("xx"));
    EXPECT_EQ(loader.LoadString(QStringLiteral("序时薄")), QStringLiteral("序时薄"));
}

TEST(ResLoader, CatalogLines) {
    const auto catalog = platform::ResLoaderCatalog::Parse(
        QStringLiteral("; comment\n[Q8Manufacture]\n保存 = Save\r\n##=List\n公式=a=b\nbroken line\n=x\n"));
    EXPECT_EQ(catalog.Find(QStringLiteral("保存")), QStringLiteral("Save"));
    EXPECT_EQ(catalog.Find(QStringLiteral("##")), QStringLiteral("List"));
    EXPECT_EQ(catalog.Find(QStringLiteral("公式")), QStringLiteral("a=b"));
    EXPECT_EQ(catalog.Count(), 3);
}

TEST(ErrorDisplay, ShowsAndLogsTheError) {
    ScriptedUi ui;
    QStringList logged;
    ErrorLog::SetSink([&](const QString& source, const QString& text) { logged << source + u'|' + text; });
    platform::ErrorDisplay(ui).HandleError(
        ComError(3000, QStringLiteral("NXCGLView.GLView"), QStringLiteral("查找失败")));
    ErrorLog::SetSink(nullptr);
    ASSERT_EQ(ui.messages.size(), 1);
    EXPECT_EQ(ui.messages[0].text, QStringLiteral("查找失败"));
    EXPECT_EQ(ui.messages[0].icon, MsgIcon::Information);
    EXPECT_EQ(logged, QStringList{QStringLiteral("NXCGLView.GLView|3000: 查找失败")});
}

TEST(SettingsFile, RoundTripsAndNeverThrows) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Q8SHProcRpt.ini"));
    platform::SettingsFile ini;
    ini.SetFile(path);
    EXPECT_EQ(ini.Read(QStringLiteral("Q8SHProcRpt600"), QStringLiteral("BDept"), QStringLiteral("dflt")),
              QStringLiteral("dflt"))
        << "missing file";
    ini.Write(QStringLiteral("Q8SHProcRpt600"), QStringLiteral("BDept"), QStringLiteral("车间, 一"));
    ini.Write(QStringLiteral("Q8SHProcRpt600"), QStringLiteral("EDept"), QString());
    EXPECT_EQ(ini.Read(QStringLiteral("Q8SHProcRpt600"), QStringLiteral("BDept"), QString()),
              QStringLiteral("车间, 一"));
    EXPECT_EQ(ini.Read(QStringLiteral("Q8SHProcRpt600"), QStringLiteral("EDept"), QStringLiteral("x")),
              QString());
    EXPECT_EQ(ini.Read(QStringLiteral("Q8SHProcRpt600"), QStringLiteral("bdept"), QStringLiteral("x")),
              QStringLiteral("x"))
        << "keys are case-sensitive";

    // A file written by hand: an unquoted list-like value is read as it stands.
    const QString hand = dir.filePath(QStringLiteral("hand.ini"));
    QFile f(hand);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("[Q8SHProcRpt600]\nBWC=01,02\nEWC=a, b\n\n[Other]\nBWC=zz\n");
    f.close();
    ini.SetFile(hand);
    EXPECT_EQ(ini.Read(QStringLiteral("Q8SHProcRpt600"), QStringLiteral("BWC"), QString()),
              QStringLiteral("01,02"));
    EXPECT_EQ(ini.Read(QStringLiteral("Q8SHProcRpt600"), QStringLiteral("EWC"), QString()),
              QStringLiteral("a, b"));

    // Garbage, a folder in place of a file, a file that cannot be created.
    const QString garbage = dir.filePath(QStringLiteral("garbage.ini"));
    QFile g(garbage);
    ASSERT_TRUE(g.open(QIODevice::WriteOnly));
    g.write(QByteArray("\x00\xff\xfe[[[=\n===\n", 12));
    g.close();
    for (const QString& p : {garbage, dir.path(), dir.filePath(QStringLiteral("no/such/folder/x.ini"))}) {
        ini.SetFile(p);
        EXPECT_EQ(ini.Read(QStringLiteral("S"), QStringLiteral("K"), QStringLiteral("d")),
                  QStringLiteral("d"))
            << p.toStdString();
        EXPECT_NO_THROW(ini.Write(QStringLiteral("S"), QStringLiteral("K"), QStringLiteral("v")))
            << p.toStdString();
    }
}

}  // namespace
}  // namespace sp::testing
