#include <gtest/gtest.h>

#include "app/host/HostOptions.h"
#include "src/entry/Rights.h"

namespace sp::host {
namespace {

using Command = HostOptions::Command;

QStringList Args(const char* line) { return QString::fromUtf8(line).split(u' ', Qt::SkipEmptyParts); }

TEST(HostOptions, ReadsEachCommand) {
    struct Case {
        const char* line;
        Command command;
        const char* db;
        const char* user;
    } cases[] = {
        {"", Command::Workbench, "", "demo"},
        {"--db /tmp/a.db --user clerk", Command::Workbench, "/tmp/a.db", "clerk"},
        {"--db=postgresql://u@h/db --user=王五", Command::Workbench, "postgresql://u@h/db", "王五"},
        {"--screenshot wb.png", Command::Workbench, "", "demo"},
        {"db init", Command::DbInit, "", "demo"},
        {"db init --db x.db", Command::DbInit, "x.db", "demo"},
        {"db init --force", Command::DbInit, "", "demo"},
        {"--db x.db db seed-demo", Command::DbSeedDemo, "x.db", "demo"},
        {"db seed-bench --work-bills 10 --reports 200", Command::DbSeedBench, "", "demo"},
        {"db seed-bench --work-bills 10 --reports 200 --long-history 50", Command::DbSeedBench, "", "demo"},
        {"db backup /tmp/b.db", Command::DbBackup, "", "demo"},
        {"db restore b.db --force --db x.db", Command::DbRestore, "x.db", "demo"},
        {"user add anna", Command::UserAdd, "", "demo"},
        {"user grant anna 0x200000", Command::UserGrant, "", "demo"},
        {"db init --help", Command::Help, "", "demo"},
        {"task list --db x.db", Command::TaskList, "x.db", "demo"},
        {"task release 7 --force --yes --user root", Command::TaskRelease, "", "root"},
    };
    for (const auto& c : cases) {
        const HostOptions o = HostOptions::Parse(Args(c.line));
        EXPECT_TRUE(o.error.isEmpty()) << c.line << ": " << o.error.toStdString();
        EXPECT_EQ(o.command, c.command) << c.line;
        if (c.command != Command::Help) {
            EXPECT_EQ(o.dbUrl, QString::fromUtf8(c.db)) << c.line;
            EXPECT_EQ(o.user, QString::fromUtf8(c.user)) << c.line;
        }
    }
    const HostOptions bench = HostOptions::Parse(Args("db seed-bench --work-bills 10 --reports 200"));
    EXPECT_EQ(bench.workBills, 10);
    EXPECT_EQ(bench.reports, 200);
    EXPECT_EQ(bench.longHistory, 1000);
    EXPECT_EQ(
        HostOptions::Parse(Args("db seed-bench --work-bills 1 --reports 9 --long-history 5")).longHistory, 5);
    EXPECT_EQ(HostOptions::Parse(Args("--screenshot wb.png")).screenshot, QStringLiteral("wb.png"));
    EXPECT_TRUE(HostOptions::Parse(Args("db init --force")).force);
    const HostOptions restore = HostOptions::Parse(Args("db restore b.db --force"));
    EXPECT_TRUE(restore.force && restore.file == QStringLiteral("b.db"));
    EXPECT_EQ(HostOptions::Parse(Args("db backup /tmp/b.db")).file, QStringLiteral("/tmp/b.db"));
    const HostOptions release = HostOptions::Parse(Args("task release 7 --yes"));
    EXPECT_EQ(release.taskId, 7);
    EXPECT_TRUE(release.yes && !release.force && !release.userGiven);
}

TEST(HostOptions, RightsMasks) {
    const std::pair<const char*, quint32> cases[] = {
        {"user add anna", Rights::All},
        {"user add anna --rights all", Rights::All},
        {"user add anna --rights none", 0},
        {"user add anna --rights 2097152", 0x200000},
        {"user add anna --rights 0x200001", 0x200001},
        {"user grant anna &H20000", 0x20000},
        {"user grant anna ALL", Rights::All},
        {"user add anna --rights 0xFFFFFFFF", 0xFFFFFFFF},
    };
    for (const auto& [line, rights] : cases) {
        const HostOptions o = HostOptions::Parse(Args(line));
        EXPECT_TRUE(o.error.isEmpty()) << line;
        EXPECT_EQ(o.rights, rights) << line;
        EXPECT_EQ(o.userName, QStringLiteral("anna")) << line;
    }
}

// An option without its value, an unknown word, a missing or malformed argument, an
// option given twice or to a command it does not apply to, a name the login cannot
// carry, a mask over 32 bits.
TEST(HostOptions, RefusesWhatItCannotRead) {
    // clang-format off
    const std::pair<const char*, const char*> cases[] = {
        {"--db", "needs a value"}, {"--db=", "needs a database URL"}, {"--frobnicate", "Unknown option"},
        {"db", "Unknown command"}, {"db drop", "Unknown command"}, {"db init extra", "Usage"},
        {"db seed-bench --work-bills x --reports 1", "whole number"},
        {"db seed-bench --reports 10", "needs --work-bills"},
        {"db seed-bench --work-bills -3 --reports 1", "whole number"},
        {"db seed-bench --work-bills 3 --reports 1 --long-history many", "whole number"},
        {"user add", "Usage"}, {"user add anna --rights some", "not \"some\""}, {"user grant anna", "Usage"},
        {"user grant anna 0xZZ", "0xZZ"}, {"user remove anna", "Unknown command"}, {"open", "Unknown command"},
        {"--db a.db --db b.db", "--db is given twice."}, {"--db=a.db user add x --db=a.db", "--db is given twice."},
        {"--user a --user=b", "--user is given twice."}, {"db init --force --force", "--force is given twice."},
        {"db init --rights all", "--rights does not apply to erp-host db init."},
        {"--screenshot a.png --work-bills 3", "--work-bills does not apply to opening the workbench."},
        {"--force", "--force does not apply to opening the workbench."},
        {"db seed-demo --force", "--force does not apply"}, {"user grant anna 1 --rights all", "--rights does not apply"},
        {"user add anna --user bob", "--user does not apply"}, {"db init --screenshot a.png", "--screenshot does not apply"},
        {"task release", "Usage"}, {"task release x7", "not \"x7\""}, {"task release 0", "not \"0\""},
        {"db backup", "Usage"}, {"db restore a.db b.db", "Usage"},
        {"db backup a.db --force", "--force does not apply to erp-host db backup."},
        {"task list 3", "Usage"}, {"task list --yes", "--yes does not apply"}, {"db init --yes", "--yes does not apply"},
        {"user add a;b", "holds \";\""}, {"user add a=b", "holds \"=\""}, {"user add a\tb", "control character"},
        {"user add a\nb", "control character"}, {"--user a{b", "holds \"{\""},
        {"user add anna --rights 0x100000000", "mask of 32 bits"}, {"user add anna --rights 4294967296", "mask of 32 bits"},
        {"user add anna --rights -1", "mask of 32 bits"}, {"user grant anna 0x1FFFFFFFF", "mask of 32 bits"},
        // What was typed is repeated with a password masked.
        {"--dburl=postgresql://u:hunter2@h/db", "--dburl=postgresql://u:***@h/db"},
        {"postgresql://u:hunter2@h/db", "\"postgresql://u:***@h/db\""},
    };
    // clang-format on
    for (const auto& [line, says] : cases) {
        const QString error = HostOptions::Parse(Args(line)).error;
        EXPECT_TRUE(error.contains(QString::fromUtf8(says))) << line << ": " << error.toStdString();
    }
}

}  // namespace
}  // namespace sp::host
