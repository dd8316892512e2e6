#include <gtest/gtest.h>

#include "app/host/HostOptions.h"
#include "src/entry/Rights.h"

namespace sp::host {
namespace {

using Command = HostOptions::Command;
using namespace Qt::StringLiterals;

QStringList Args(const char* line) { return QString::fromUtf8(line).split(u' ', Qt::SkipEmptyParts); }

// What Parse read besides the command, in one line; what was left as it starts out is
// left out (the user demo, the long history of 1000 reports).
QString Read(const HostOptions& o) {
    QStringList read;
    const auto add = [&](bool shown, const QString& what) {
        if (shown)
            read << what;
    };
    add(!o.dbUrl.isEmpty(), u"db="_s + o.dbUrl);
    add(o.userGiven || o.user != u"demo"_s, u"user="_s + o.user);
    add(!o.screenshot.isEmpty(), u"screenshot="_s + o.screenshot);
    add(!o.userName.isEmpty(), u"name="_s + o.userName);
    add(!o.file.isEmpty(), u"file="_s + o.file);
    add(o.rights != 0,
        o.rights == quint32(Rights::All) ? u"rights=all"_s : u"rights=0x"_s + QString::number(o.rights, 16));
    add(o.admin, u"admin"_s);
    add(o.passwordStdin, u"stdin"_s);
    add(o.workBills != 0 || o.reports != 0, u"bills=%1 reports=%2"_s.arg(o.workBills).arg(o.reports));
    add(o.longHistory != 1000, u"history=%1"_s.arg(o.longHistory));
    add(o.force, u"force"_s);
    add(o.taskId != 0, u"task=%1"_s.arg(o.taskId));
    add(o.yes, u"yes"_s);
    return read.join(u' ');
}

TEST(HostOptions, ReadsEachCommandAndItsOptions) {
    // clang-format off
    const std::tuple<const char*, Command, const char*> cases[] = {
        {"", Command::Workbench, ""},
        {"--db shop/a.db --user clerk", Command::Workbench, "db=shop/a.db user=clerk"},
        {"--db=postgresql://u@h/db --user=王五", Command::Workbench, "db=postgresql://u@h/db user=王五"},
        {"--screenshot wb.png", Command::Workbench, "screenshot=wb.png"},
        {"db init --force --db x.db", Command::DbInit, "db=x.db force"},
        {"--db x.db db seed-demo", Command::DbSeedDemo, "db=x.db"},
        {"db seed-bench --work-bills 10 --reports 200", Command::DbSeedBench, "bills=10 reports=200"},
        {"db seed-bench --work-bills 1 --reports 9 --long-history 5", Command::DbSeedBench, "bills=1 reports=9 history=5"},
        {"db backup backups/b.db", Command::DbBackup, "file=backups/b.db"},
        {"db restore b.db --force", Command::DbRestore, "file=b.db force"},
        {"user add anna", Command::UserAdd, "name=anna rights=all"},
        {"user add anna --rights none --password-stdin", Command::UserAdd, "name=anna stdin"},
        {"user add anna --rights 2097152", Command::UserAdd, "name=anna rights=0x200000"},
        {"user add anna --rights 0xFFFFFFFF", Command::UserAdd, "name=anna rights=0xffffffff"},
        {"user grant anna &H20000", Command::UserGrant, "name=anna rights=0x20000"},
        {"user grant anna ALL", Command::UserGrant, "name=anna rights=all"},
        {"user revoke anna admin", Command::UserRevoke, "name=anna admin"},
        {"user password anna --password-stdin", Command::UserPassword, "name=anna stdin"},
        {"passwd", Command::Passwd, ""}, {"db init --help", Command::Help, ""},
        {"task list --db x.db", Command::TaskList, "db=x.db"},
        {"task release 7 --yes", Command::TaskRelease, "task=7 yes"},
        {"task release 7 --force --yes --user root", Command::TaskRelease, "user=root force task=7 yes"},
    };
    // clang-format on
    for (const auto& [line, command, read] : cases) {
        const HostOptions o = HostOptions::Parse(Args(line));
        EXPECT_TRUE(o.error.isEmpty()) << line << ": " << o.error.toStdString();
        EXPECT_EQ(o.command, command) << line;
        EXPECT_EQ(Read(o), QString::fromUtf8(read)) << line;
    }
}

// An option without its value, an unknown word, a missing or malformed argument, an
// option given twice or to a command it does not apply to, a name the login cannot
// carry, a mask over 32 bits; what was typed is repeated with a password masked.
TEST(HostOptions, RefusesWhatItCannotRead) {
    // clang-format off
    const std::pair<const char*, const char*> cases[] = {
        {"--db", "needs a value"}, {"--db=", "needs a database URL"}, {"--frobnicate", "Unknown option"},
        {"db", "Unknown command"}, {"db drop", "Unknown command"}, {"db init extra", "Usage"},
        {"db seed-bench --work-bills x --reports 1", "whole number"},
        {"db seed-bench --reports 10", "needs --work-bills"},
        {"db seed-bench --work-bills -3 --reports 1", "whole number"},
        {"db seed-bench --work-bills 3 --reports x", "whole number"},
        {"db seed-bench --work-bills 3 --reports 1 --long-history many", "whole number"},
        {"user add", "Usage"}, {"user add anna --rights some", "not \"some\""}, {"user grant anna", "Usage"},
        {"user grant anna 0xZZ", "0xZZ"}, {"user disable", "Usage"}, {"passwd x", "Usage"},
        {"--db a.db --db b.db", "--db is given twice."}, {"--db=a.db user add x --db=a.db", "--db is given twice."},
        {"--user a --user=b", "--user is given twice."}, {"db init --force --force", "--force is given twice."},
        {"db init --rights all", "--rights does not apply to erp-host db init."},
        {"--force", "--force does not apply to opening the workbench."},
        {"user add anna --user bob", "--user does not apply"},
        {"task release", "Usage"}, {"task release x7", "not \"x7\""}, {"task release 0", "not \"0\""},
        {"db backup", "Usage"}, {"db restore a.db b.db", "Usage"}, {"task list 3", "Usage"},
        {"db backup a.db --force", "--force does not apply to erp-host db backup."}, {"task list --yes", "--yes does not apply"},
        {"user add a;b", "holds \";\""}, {"--user a{b", "holds \"{\""},
        {"user add anna --rights 0x100000000", "mask of 32 bits"}, {"user add anna --rights -1", "mask of 32 bits"},
        {"user grant anna 0x1FFFFFFFF", "mask of 32 bits"},
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
