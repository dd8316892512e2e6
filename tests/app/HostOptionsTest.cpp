#include <gtest/gtest.h>

#include "app/host/HostOptions.h"
#include "platform/db/DemoData.h"

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
        {"--db x.db db seed-demo", Command::DbSeedDemo, "x.db", "demo"},
        {"db seed-bench --work-bills 10 --reports 200", Command::DbSeedBench, "", "demo"},
        {"db seed-bench --work-bills 10 --reports 200 --long-history 50", Command::DbSeedBench, "", "demo"},
        {"user add anna", Command::UserAdd, "", "demo"},
        {"user grant anna 0x200000", Command::UserGrant, "", "demo"},
        {"db init --help", Command::Help, "", "demo"},
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
}

TEST(HostOptions, RightsMasks) {
    const std::pair<const char*, quint32> cases[] = {
        {"user add anna", platform::Rights::All},
        {"user add anna --rights all", platform::Rights::All},
        {"user add anna --rights none", 0},
        {"user add anna --rights 2097152", 0x200000},
        {"user add anna --rights 0x200001", 0x200001},
        {"user grant anna &H20000", 0x20000},
        {"user grant anna ALL", platform::Rights::All},
    };
    for (const auto& [line, rights] : cases) {
        const HostOptions o = HostOptions::Parse(Args(line));
        EXPECT_TRUE(o.error.isEmpty()) << line;
        EXPECT_EQ(o.rights, rights) << line;
        EXPECT_EQ(o.userName, QStringLiteral("anna")) << line;
    }
}

// An option without its value, an unknown word, a missing or malformed argument.
TEST(HostOptions, RefusesWhatItCannotRead) {
    for (const char* line : {"--db", "--db=", "--frobnicate", "db", "db drop", "db init extra",
                             "db seed-bench --work-bills x --reports 1", "db seed-bench --reports 10",
                             "db seed-bench --work-bills -3 --reports 1",
                             "db seed-bench --work-bills 3 --reports 1 --long-history many", "user add",
                             "user add anna --rights some", "user grant anna", "user grant anna 0xZZ",
                             "user remove anna", "open"})
        EXPECT_FALSE(HostOptions::Parse(Args(line)).error.isEmpty()) << line;
}

}  // namespace
}  // namespace sp::host
