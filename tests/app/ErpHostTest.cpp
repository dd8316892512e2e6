#include <gtest/gtest.h>

#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>

#include "app/host/ComponentLoader.h"
#include "common/ComError.h"
#include "platform/db/Migrations.h"
#include "support/TestDatabase.h"

namespace sp::testing {
namespace {

struct Outcome {
    int exitCode = -1;
    QString out;
    QString err;
};

// Runs erp-host the way a user would, with its own data folder and no display.
class ErpHost {
  public:
    ErpHost() { EXPECT_TRUE(home_.isValid()); }

    Outcome Run(const QStringList& args, bool screen = false) {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_DATA_HOME"), home_.filePath(QStringLiteral("data")));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), home_.path());
        env.remove(QStringLiteral("DISPLAY"));
        env.remove(QStringLiteral("WAYLAND_DISPLAY"));
        env.remove(QStringLiteral("QT_QPA_PLATFORM"));
        if (screen)
            env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        p.setProcessEnvironment(env);
        p.start(QStringLiteral(ERP_HOST_PATH), args);
        Outcome o;
        if (!p.waitForFinished(120000)) {
            p.kill();
            p.waitForFinished();
            ADD_FAILURE() << "erp-host did not finish: " << args.join(u' ').toStdString();
            return o;
        }
        o.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -2;  // -2: crashed
        o.out = QString::fromLocal8Bit(p.readAllStandardOutput());
        o.err = QString::fromLocal8Bit(p.readAllStandardError());
        return o;
    }

    QString Path(const QString& name) const { return home_.filePath(name); }

  private:
    QTemporaryDir home_;
};

TEST(ErpHost, RefusesWhatItCannotUseWithAClearMessage) {
    ErpHost host;
    struct Case {
        QStringList args;
        int exitCode;
        const char* says;
    } cases[] = {
        {{QStringLiteral("--db"), host.Path(QStringLiteral("missing.db"))}, 1, "does not exist"},
        {{QStringLiteral("--db"), QStringLiteral("postgresql://nobody")}, 1, "postgresql://nobody"},
        {{QStringLiteral("--db"), QStringLiteral("postgresql://u@127.0.0.1:1/none")}, 1, "127.0.0.1"},
        {{QStringLiteral("--db"), host.Path(QString())}, 1, ""},  // a folder
        {{QStringLiteral("--frobnicate")}, 64, "Unknown option"},
        {{QStringLiteral("db"), QStringLiteral("drop")}, 64, "Unknown command"},
    };
    for (const auto& c : cases) {
        const Outcome o = host.Run(c.args, true);
        EXPECT_EQ(o.exitCode, c.exitCode) << c.args.join(u' ').toStdString() << "\n" << o.err.toStdString();
        EXPECT_TRUE(o.err.contains(QString::fromUtf8(c.says))) << o.err.toStdString();
    }
}

TEST(ErpHost, WithoutADisplayTheWorkbenchSaysHowToGetOne) {
    ErpHost host;
    const Outcome o = host.Run({});
    EXPECT_EQ(o.exitCode, 1);
    EXPECT_TRUE(o.err.contains(QStringLiteral("xvfb-run -a ./run"))) << o.err.toStdString();
    EXPECT_EQ(host.Run({QStringLiteral("--help")}).exitCode, 0);
}

class ErpHostOnDatabase : public ::testing::TestWithParam<Backend> {};

TEST_P(ErpHostOnDatabase, InitTwiceAndUsers) {
    auto tdb = TestDatabase::Create(GetParam());
    if (!tdb)
        return;
    ErpHost host;
    const QStringList db{QStringLiteral("--db"), tdb->url()};
    for (int round = 0; round < 2; ++round) {
        const Outcome o = host.Run(QStringList{QStringLiteral("db"), QStringLiteral("init")} + db);
        EXPECT_EQ(o.exitCode, 0) << o.err.toStdString();
    }
    EXPECT_EQ(platform::Migrations::CurrentVersion(*tdb->db()), platform::Migrations::LatestVersion());

    EXPECT_EQ(host.Run(QStringList{QStringLiteral("--user"), QStringLiteral("ghost")} + db, true).exitCode,
              2);
    EXPECT_EQ(host.Run(QStringList{QStringLiteral("user"), QStringLiteral("grant"), QStringLiteral("ghost"),
                                   QStringLiteral("all")} +
                       db)
                  .exitCode,
              2);
    EXPECT_EQ(host.Run(QStringList{QStringLiteral("user"), QStringLiteral("add"), QStringLiteral("anna"),
                                   QStringLiteral("--rights"), QStringLiteral("0x200000")} +
                       db)
                  .exitCode,
              0);
    const Outcome again =
        host.Run(QStringList{QStringLiteral("user"), QStringLiteral("add"), QStringLiteral("anna")} + db);
    EXPECT_EQ(again.exitCode, 1) << "a name is taken once";
    EXPECT_EQ(host.Run(QStringList{QStringLiteral("user"), QStringLiteral("grant"), QStringLiteral("anna"),
                                   QStringLiteral("0x1")} +
                       db)
                  .exitCode,
              0);
    EXPECT_EQ(tdb->db()
                  ->Scalar(QStringLiteral(
                      "SELECT r.FRights FROM t_UserRight r JOIN t_User u ON u.FUserID = r.FUserID "
                      "WHERE u.FName = 'anna' AND r.FSubSys = 1024 AND r.FFunction = 30"))
                  .toLongLong(),
              0x200001);
}

INSTANTIATE_TEST_SUITE_P(Backends, ErpHostOnDatabase, ::testing::Values(Backend::SQLite, Backend::PostgreSQL),
                         [](const auto& info) { return BackendName(info.param); });

TEST(ErpHost, DbInitCreatesAFreshFileOnceAndForAll) {
    ErpHost host;
    const QString file = host.Path(QStringLiteral("fresh/shop.db"));
    for (int round = 0; round < 2; ++round)
        EXPECT_EQ(
            host.Run({QStringLiteral("db"), QStringLiteral("init"), QStringLiteral("--db"), file}).exitCode,
            0);
    EXPECT_TRUE(QFileInfo(file).isFile());
}

// The whole road: a seeded database, the component loaded by name, the filter dialog
// confirmed and a picture of the workbench a person can look at.
TEST(ErpHost, ScreenshotOfTheWorkbench) {
    ErpHost host;
    const QString file = host.Path(QStringLiteral("demo.db"));
    ASSERT_EQ(
        host.Run({QStringLiteral("db"), QStringLiteral("seed-demo"), QStringLiteral("--db"), file}).exitCode,
        0);
    const QString png = QStringLiteral(SCREENSHOT_PATH);
    QFile::remove(png);
    const Outcome o = host.Run({QStringLiteral("--db"), file, QStringLiteral("--screenshot"), png}, true);
    ASSERT_EQ(o.exitCode, 0) << o.err.toStdString();
    const QImage picture(png);
    ASSERT_FALSE(picture.isNull());
    EXPECT_GT(picture.width(), 400);
    EXPECT_GT(picture.height(), 300);

    // A user without the right sees the refusal and no workbench: no picture, a failure.
    ASSERT_EQ(host.Run({QStringLiteral("user"), QStringLiteral("add"), QStringLiteral("guest"),
                        QStringLiteral("--rights"), QStringLiteral("none"), QStringLiteral("--db"), file})
                  .exitCode,
              0);
    const Outcome denied =
        host.Run({QStringLiteral("--db"), file, QStringLiteral("--user"), QStringLiteral("guest"),
                  QStringLiteral("--screenshot"), host.Path(QStringLiteral("no.png"))},
                 true);
    EXPECT_EQ(denied.exitCode, 1);
    EXPECT_TRUE(denied.err.contains(QStringLiteral("对不起，你没有相应的权限！")))
        << denied.err.toStdString();
    EXPECT_FALSE(QFileInfo::exists(host.Path(QStringLiteral("no.png"))));
}

TEST(ComponentLibrary, LoadsByNameAndOffersItsEntryPoints) {
    host::ComponentLoader loader(QStringLiteral("shopproc"));
    ASSERT_NO_THROW(loader.Load());
    EXPECT_NE(loader.create, nullptr);
    EXPECT_NE(loader.createUi, nullptr);
    EXPECT_TRUE(QFileInfo::exists(loader.Folder() + QStringLiteral("/Q8ShopFloor.html")))
        << "the guide beside it";

    host::ComponentLoader missing(QStringLiteral("no_such_component"));
    EXPECT_THROW(missing.Load(), ComError);
    host::ComponentLoader notTheComponent(QStringLiteral("spcommon"));
    EXPECT_THROW(notTheComponent.Load(), ComError);
}

}  // namespace
}  // namespace sp::testing
