#include "app/host/HostOptions.h"

#include <QDate>

#include "app/host/Texts.h"

#include "platform/db/Users.h"
#include "src/entry/Rights.h"

namespace sp::host {

namespace {

bool ParseCount(const QString& text, int& value) {
    bool ok = false;
    value = text.toInt(&ok);
    return ok && value >= 0;
}

// The options each command takes (--db: every command).
QStringList OptionsOf(HostOptions::Command command) {
    using Command = HostOptions::Command;
    switch (command) {
        case Command::Workbench:
            return {QStringLiteral("--user"), QStringLiteral("--screenshot")};
        case Command::DbInit:
        case Command::DbRestore:
            return {QStringLiteral("--force")};
        case Command::DbSeedBench:
            return {QStringLiteral("--work-bills"), QStringLiteral("--reports"),
                    QStringLiteral("--long-history")};
        case Command::UserAdd:
            return {QStringLiteral("--rights"), QStringLiteral("--password-stdin")};
        case Command::UserPassword:
        case Command::Passwd:
            return {QStringLiteral("--password-stdin")};
        case Command::TaskRelease:
            return {QStringLiteral("--force"), QStringLiteral("--yes"), QStringLiteral("--user")};
        case Command::ReportSummary:
            return {QStringLiteral("--from"), QStringLiteral("--to"),     QStringLiteral("--by"),
                    QStringLiteral("--all"),  QStringLiteral("--format"), QStringLiteral("--output"),
                    QStringLiteral("--user")};
        default:
            return {};
    }
}

// Why the summary's options cannot be used; empty when they can.
QString ReportSummaryProblem(const QString& from, const QString& to, const QStringList& by,
                             const QString& format, const QString& output) {
    const QDate f = QDate::fromString(from, Qt::ISODate);
    const QDate t = QDate::fromString(to, Qt::ISODate);
    if (!f.isValid() || !t.isValid())
        return QStringLiteral(
                   "report summary needs --from and --to as dates, yyyy-mm-dd (given: \"%1\", \"%2\").")
            .arg(from, to);
    if (f > t)
        return QStringLiteral("--from %1 is after --to %2.").arg(from, to);
    const QStringList names = Texts::SummaryGroupNames();
    if (by.isEmpty() || by.size() > 2 || (by.size() == 2 && by[0] == by[1]))
        return QStringLiteral("--by takes one or two different groupings of %1, comma-separated.")
            .arg(names.join(QStringLiteral(", ")));
    for (const QString& name : by)
        if (!names.contains(name))
            return QStringLiteral("--by: unknown grouping \"%1\"; one of %2.")
                .arg(name, names.join(QStringLiteral(", ")));
    if (format != u"csv" && format != u"xlsx")
        return QStringLiteral("--format is csv or xlsx, not \"%1\".").arg(format);
    if (format == u"xlsx" && output.isEmpty())
        return QStringLiteral("--format xlsx needs --output FILE.");
    return {};
}
}  // namespace

bool HostOptions::ParseRights(const QString& text, quint32& mask) {
    const QString t = text.trimmed();
    if (t.compare(QLatin1String("all"), Qt::CaseInsensitive) == 0) {
        mask = Rights::All;
        return true;
    }
    if (t.compare(QLatin1String("none"), Qt::CaseInsensitive) == 0) {
        mask = 0;
        return true;
    }
    bool ok = false;
    if (t.startsWith(QLatin1String("0x"), Qt::CaseInsensitive) ||
        t.startsWith(QLatin1String("&H"), Qt::CaseInsensitive))
        mask = t.mid(2).toUInt(&ok, 16);
    else
        mask = t.toUInt(&ok, 10);
    return ok && !t.isEmpty();
}

HostOptions HostOptions::Parse(const QStringList& args) {
    HostOptions o;
    QStringList words;  // the command and its plain arguments
    QStringList given;  // the options, as named
    QString rightsText;
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        auto once = [&](const QString& name) {
            if (given.contains(name))
                o.error = Texts::OptionTwice(name);
            given << name;
        };
        // Options take their value as the next argument or after "=".
        auto value = [&](const QString& name, QString& target) -> bool {
            if (a == name) {
                once(name);
                if (i + 1 >= args.size()) {
                    o.error = Texts::OptionNeedsValue(name);
                    return true;
                }
                target = args[++i];
                return true;
            }
            if (a.startsWith(name + u'=')) {
                once(name);
                target = a.mid(name.size() + 1);
                return true;
            }
            return false;
        };
        QString text;
        if (a == QLatin1String("--help") || a == QLatin1String("-h")) {
            o.command = Command::Help;
            return o;
        } else if (a == QLatin1String("--force")) {
            once(a);
            o.force = true;
        } else if (a == QLatin1String("--yes")) {
            once(a);
            o.yes = true;
        } else if (a == QLatin1String("--all")) {
            once(a);
            o.allReports = true;
        } else if (value(QStringLiteral("--from"), o.from) || value(QStringLiteral("--to"), o.to) ||
                   value(QStringLiteral("--format"), o.format) ||
                   value(QStringLiteral("--output"), o.output)) {
        } else if (value(QStringLiteral("--by"), text)) {
            o.by = text.split(u',');
        } else if (a == QLatin1String("--password-stdin")) {
            once(a);
            o.passwordStdin = true;
        } else if (value(QStringLiteral("--db"), o.dbUrl)) {
            if (o.error.isEmpty() && o.dbUrl.trimmed().isEmpty())
                o.error = QStringLiteral("--db needs a database URL.");
        } else if (value(QStringLiteral("--user"), o.user)) {
            if (o.error.isEmpty())
                o.error = platform::UserNameProblem(o.user);
        } else if (value(QStringLiteral("--screenshot"), o.screenshot)) {
        } else if (value(QStringLiteral("--rights"), rightsText)) {
        } else if (value(QStringLiteral("--work-bills"), text)) {
            if (o.error.isEmpty() && !ParseCount(text, o.workBills))
                o.error = QStringLiteral("--work-bills needs a whole number, not \"%1\".").arg(text);
        } else if (value(QStringLiteral("--reports"), text)) {
            if (o.error.isEmpty() && !ParseCount(text, o.reports))
                o.error = QStringLiteral("--reports needs a whole number, not \"%1\".").arg(text);
        } else if (value(QStringLiteral("--long-history"), text)) {
            if (o.error.isEmpty() && !ParseCount(text, o.longHistory))
                o.error = QStringLiteral("--long-history needs a whole number, not \"%1\".").arg(text);
        } else if (a.startsWith(QLatin1String("--"))) {
            o.error = Texts::UnknownOption(a);
        } else {
            words << a;
        }
        if (!o.error.isEmpty())
            break;
    }

    const QString verb = words.value(0);
    const QString what = words.value(1);
    auto expect = [&](int count, const QString& form) {
        if (o.error.isEmpty() && words.size() != count)
            o.error = Texts::UsageOf(form);
    };
    if (!o.error.isEmpty()) {
    } else if (words.isEmpty()) {
        o.command = Command::Workbench;
    } else if (verb == QLatin1String("db") && what == QLatin1String("init")) {
        o.command = Command::DbInit;
        expect(2, QStringLiteral("db init [--force] [--db URL]"));
    } else if (verb == QLatin1String("db") && what == QLatin1String("seed-demo")) {
        o.command = Command::DbSeedDemo;
        expect(2, QStringLiteral("db seed-demo [--db URL]"));
    } else if (verb == QLatin1String("db") && what == QLatin1String("seed-bench")) {
        o.command = Command::DbSeedBench;
        expect(2, QStringLiteral("db seed-bench --work-bills N --reports M [--long-history H] [--db URL]"));
        if (o.error.isEmpty() && o.workBills < 1)
            o.error = Texts::SeedBenchNeedsSizes();
    } else if (verb == QLatin1String("db") && what == QLatin1String("backup")) {
        o.command = Command::DbBackup;
        expect(3, QStringLiteral("db backup FILE [--db URL]"));
        o.file = words.value(2);
    } else if (verb == QLatin1String("db") && what == QLatin1String("restore")) {
        o.command = Command::DbRestore;
        expect(3, QStringLiteral("db restore FILE [--force] [--db URL]"));
        o.file = words.value(2);
    } else if (verb == QLatin1String("user") && what == QLatin1String("add")) {
        o.command = Command::UserAdd;
        expect(3, QStringLiteral("user add NAME [--rights all|none|MASK] [--password-stdin] [--db URL]"));
        o.userName = words.value(2);
        o.rights = Rights::All;
        if (o.error.isEmpty())
            o.error = platform::UserNameProblem(o.userName);
        if (o.error.isEmpty() && given.contains(QStringLiteral("--rights")) &&
            !ParseRights(rightsText, o.rights))
            o.error =
                QStringLiteral("--rights takes all, none or a mask of 32 bits, not \"%1\".").arg(rightsText);
    } else if (verb == QLatin1String("user") &&
               (what == QLatin1String("grant") || what == QLatin1String("revoke"))) {
        o.command = what == QLatin1String("grant") ? Command::UserGrant : Command::UserRevoke;
        expect(4, QStringLiteral("user %1 NAME MASK|admin [--db URL]").arg(what));
        o.userName = words.value(2);
        o.admin = words.value(3).compare(QLatin1String("admin"), Qt::CaseInsensitive) == 0;
        if (o.error.isEmpty() && !o.admin && !ParseRights(words.value(3), o.rights))
            o.error = Texts::UserRightsArgument(what, words.value(3));
    } else if (verb == QLatin1String("user") &&
               (what == QLatin1String("password") || what == QLatin1String("disable"))) {
        o.command = what == QLatin1String("password") ? Command::UserPassword : Command::UserDisable;
        expect(3, what == QLatin1String("password")
                      ? QStringLiteral("user password NAME [--password-stdin] [--db URL]")
                      : QStringLiteral("user disable NAME [--db URL]"));
        o.userName = words.value(2);
    } else if (verb == QLatin1String("passwd")) {
        o.command = Command::Passwd;
        expect(1, QStringLiteral("passwd [--password-stdin] [--db URL]"));
    } else if (verb == QLatin1String("task") && what == QLatin1String("list")) {
        o.command = Command::TaskList;
        expect(2, QStringLiteral("task list [--db URL]"));
    } else if (verb == QLatin1String("task") && what == QLatin1String("release")) {
        o.command = Command::TaskRelease;
        expect(3, QStringLiteral("task release ID [--force] [--yes] [--user NAME] [--db URL]"));
        bool ok = false;
        o.taskId = words.value(2).toInt(&ok);
        if (o.error.isEmpty() && (!ok || o.taskId < 1))
            o.error = Texts::TaskIdArgument(words.value(2));
    } else if (verb == QLatin1String("report") && what == QLatin1String("summary")) {
        o.command = Command::ReportSummary;
        expect(2, Texts::ReportSummaryForm());
        if (o.error.isEmpty())
            o.error = ReportSummaryProblem(o.from, o.to, o.by, o.format, o.output);
    } else {
        o.error = Texts::UnknownCommand(words.join(u' '));
    }

    o.userGiven = given.contains(QStringLiteral("--user"));
    if (o.error.isEmpty()) {
        const QStringList applies = OptionsOf(o.command) << QStringLiteral("--db");
        for (const QString& option : std::as_const(given))
            if (!applies.contains(option)) {
                o.error = Texts::OptionDoesNotApply(
                    option, o.command == Command::Workbench
                                ? Texts::OpeningTheWorkbench()
                                : QStringLiteral("erp-host ") + words.mid(0, 2).join(u' '));
                break;
            }
    }
    // What was typed may hold a database address with its password.
    o.error = platform::DatabaseUrl::Masked(o.error);
    return o;
}

}  // namespace sp::host
