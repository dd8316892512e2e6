#pragma once

#include <QString>
#include <QStringList>
#include <algorithm>

#include "app/host/ExitCodes.h"
#include "platform/db/TaskAdmin.h"

// What erp-host says: on its command line, in its sign-in window and on the terminal.
namespace sp::host::Texts {

inline QString Usage() {
    QString text = QStringLiteral(R"(Usage:
  erp-host [--db URL] [--user NAME] [--screenshot FILE]
      Opens the process report workbench. Without --db the demo database in the
      user's data folder is used, created on first use; a database named by --db
      must have been prepared with db init. On PostgreSQL the user is the role the
      server signs in (a password is asked for when the server wants one).
  erp-host db init [--force] [--db URL]
      Creates a database or brings it to the newest schema; safe to repeat. On
      PostgreSQL also the database's group roles, privileges and policies: run it
      as the database's owner with CREATEROLE, or as a superuser.
  erp-host db seed-demo [--db URL]
      Puts the demo shop (work bills, workers, devices, users, reports) into a database.
  erp-host db seed-bench --work-bills N --reports M [--long-history H] [--db URL]
      Fills a database with N work bills and M reports, for benchmarks.
  erp-host db backup FILE [--db URL]
      Writes a copy of a SQLite database to FILE while workstations may use it;
      an older FILE is replaced only by a whole copy.
  erp-host db restore FILE [--force] [--db URL]
      Replaces a SQLite database's content with that of FILE, a backup of it.
      Close the workbenches first: refused while work bills are held, unless
      --force. Never copy a file over a database in use.
  erp-host user add NAME [--rights all|none|MASK] [--password-stdin] [--db URL]
      Adds a user, with every right unless --rights says otherwise. NAME may not
      hold ; = { } | or control or format characters, nor be over 64 characters
      (PostgreSQL: 63 bytes). PostgreSQL: also a login role, whose password is
      asked for twice (a role the server has already keeps its own).
  erp-host user grant NAME MASK|admin [--db URL]
  erp-host user revoke NAME MASK|admin [--db URL]
      Adds rights to a user's, or takes them away (all, none, 0x200000, &H200000
      or decimal); admin: makes the user an administrator (PostgreSQL), or no longer.
      The rights: 0x200000 open the workbench, 0x20000 new reports, 0x400000 change
      them, 0x1 audit and unaudit, 0x10000 delete, 0x800000 see the summary of
      reports (its fees are wages).
  erp-host user password NAME [--password-stdin] [--db URL]
      PostgreSQL: sets a user's password (asked twice) and lets the role sign in.
  erp-host user disable NAME [--db URL]
      PostgreSQL: the user's role may no longer sign in, and its sessions end; the
      user, its rights and its reports stay (user password signs it in again).
  erp-host passwd [--password-stdin] [--db URL]
      PostgreSQL: changes the password of the role that signs in.
  erp-host task list [--db URL]
      Lists the work bills workstations hold: task id, work bill, computer, user,
      process, since when, and whether the holder is still alive.
  erp-host task release ID [--force] [--yes] [--user NAME] [--db URL]
      Releases a held work bill after asking; the holder can no longer save its
      changes to it. A live holder's only with --force (PostgreSQL: ends the
      holder's database session, and every work bill it holds is released).
  erp-host report summary --from DATE --to DATE --by GROUPS [--all]
                          [--format csv|xlsx] [--output FILE] [--user NAME] [--db URL]
      The summary of reports for payroll: per group the count, the quantities, the
      hours per time unit and the fee, and the totals, as the workbench's summary
      window shows them. DATE: yyyy-mm-dd, the actual completion date. GROUPS: one
      or two of worker, team, device, workcenter, workbill, item, comma-separated
      (team,worker). Audited reports only unless --all. CSV goes to the standard
      output unless --output; XLSX needs --output. Needs right 0x800000.
  erp-host --help, -h
      Shows this text.

On PostgreSQL the user and task release commands need an administrator: a member
of the database's admins role (user grant NAME admin), its owner or a superuser.

Options (each once, and only to the commands it is shown with; --name=value works too):
  --db URL           a SQLite file path, or postgresql://[user@]host[:port]/database;
                     the user is PGUSER or the system's user when left out. The
                     password goes in ~/.pgpass or PGPASSWORD, or is asked for (a
                     password in the URL is visible to other users of the machine)
  --user NAME        SQLite: the user who opens the workbench (default: demo); task
                     release: who releases, for the record (default: the login
                     name). Refused on PostgreSQL, where the server signs users in
  --screenshot FILE  confirms the filter dialog, writes a PNG of the workbench and
                     leaves; prints how long the start took. Needs no display
  --force            db init: adds the tables beside another program's; db
                     restore: even while work bills are held; task release:
                     releases a holder that is alive too
  --yes              task release: does not ask
  --rights MASK      user add: all, none, or a 32-bit mask of rights
  --password-stdin   user add, user password, passwd: the new password is the first
                     line of the standard input, not asked on the terminal
  --work-bills N     db seed-bench: how many work bills
  --reports M        db seed-bench: how many reports
  --long-history H   db seed-bench: the reports of the first work bill (1000)
  --from DATE, --to DATE   report summary: the period, yyyy-mm-dd
  --by GROUPS        report summary: one or two of worker, team, device,
                     workcenter, workbill, item (team,worker)
  --all              report summary: unaudited reports too
  --format csv|xlsx  report summary: the file's kind (csv)
  --output FILE      report summary: where the file goes (CSV: standard output)

Files: the demo database, the application log and the settings files are in
$XDG_DATA_HOME/ShopProc/erp-host (~/.local/share/ShopProc/erp-host).

Exit codes:
)");
    for (const ExitCodeMeaning& e : ExitCodeMeanings)
        text += QStringLiteral("  %1 %2\n")
                    .arg(static_cast<int>(e.code), -3)
                    .arg(QString::fromUtf8(e.meaning).replace(u'\n', QStringLiteral("\n      ")));
    return text;
}

inline QString NoDisplay() {
    return QStringLiteral(
        "The workbench needs a display, and there is none (DISPLAY and WAYLAND_DISPLAY are not set).\nRun it "
        "under a virtual one:   xvfb-run -a erp-host\nor take a picture instead:    erp-host --screenshot "
        "wb.png");
}

// text as one word of a POSIX shell command: as it is when it holds nothing the shell
// reads specially, else in single quotes (a quote inside as '\'').
inline QString ShellWord(const QString& text) {
    const auto plain = [](QChar c) {
        return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') ||
               QStringView(u"@%+=:,./_-").contains(c);
    };
    if (!text.isEmpty() && std::all_of(text.begin(), text.end(), plain))
        return text;
    QString quoted = text;
    return u'\'' + quoted.replace(u'\'', QStringLiteral("'\\''")) + u'\'';
}

inline QString UnknownUser(const QString& name) {
    return QStringLiteral(
               "There is no user \"%1\" in this database. Add one with: erp-host user add %2 [--db URL]")
        .arg(name, ShellWord(name));
}

// ---- users ----------------------------------------------------------------------

inline QString UserOptionOnPostgres() {
    return QStringLiteral(
        "--user is not taken on PostgreSQL: the server signs the user in. Name the role in the address "
        "(postgresql://anna@host/database) or sign in as the system's user.");
}
inline QString PostgresOnly() {
    return QStringLiteral(
        "Passwords, administrators and disabled users exist only on PostgreSQL: a SQLite database is one "
        "user's file, guarded by its permissions, and nobody signs in to it.");
}
inline QString NotAdministrator(const QString& role, const QString& database) {
    return QStringLiteral(
               "The role %1 is not an administrator of %2: managing users and releasing held work bills need "
               "a member of its admins role (erp-host user grant NAME admin), its owner or a superuser.")
        .arg(role, database);
}
inline QString UserAdded(const QString& name, quint32 rights, bool postgres, bool signedInAlready) {
    QString text = QStringLiteral("User %1 added with rights 0x%2.").arg(name).arg(rights, 0, 16);
    if (postgres)
        text += signedInAlready
                    ? QStringLiteral(" Its role exists on the server already and keeps its password.")
                    : QStringLiteral(" It signs in with the password given.");
    return text;
}
inline QString RightsChanged(const QString& name, bool grant, bool admin, quint32 rights) {
    if (admin)
        return grant ? QStringLiteral("User %1 is an administrator now.").arg(name)
                     : QStringLiteral("User %1 is no administrator any more.").arg(name);
    return (grant ? QStringLiteral("User %1 granted 0x%2.") : QStringLiteral("User %1 no longer has 0x%2."))
        .arg(name)
        .arg(rights, 0, 16);
}
inline QString PasswordSet(const QString& name) {
    return QStringLiteral("User %1 has a new password and may sign in.").arg(name);
}
inline QString PasswordChanged(const QString& role) {
    return QStringLiteral("The password of %1 is changed.").arg(role);
}
inline QString UserDisabled(const QString& name, int sessionsEnded) {
    return QStringLiteral(
               "User %1 may no longer sign in; %2 open session(s) ended. Its rights and reports stay.")
        .arg(name)
        .arg(sessionsEnded);
}

// ---- task list / task release ----------------------------------------------------

// The work bill a task holds, or its raw key when the key names none.
inline QString HeldWhat(const platform::HeldTask& t) { return t.workBillNo.isEmpty() ? t.key : t.workBillNo; }
inline QString HeldBy(const platform::HeldTask& t) {
    return t.userName.isEmpty() ? QStringLiteral("user #%1").arg(t.userId) : t.userName;
}
inline QString HeldSince(const platform::HeldTask& t) {
    return t.since.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}
inline QStringList TaskTableHeader() {
    return {QStringLiteral("ID"),   QStringLiteral("Work bill"), QStringLiteral("Computer"),
            QStringLiteral("User"), QStringLiteral("Process"),   QStringLiteral("Since"),
            QStringLiteral("Alive")};
}
// postgres: a dead holder's lock went with its session; on SQLite its row is taken over.
inline QString Alive(const platform::HeldTask& t, bool postgres) {
    if (t.alive)
        return QStringLiteral("yes");
    return postgres ? QStringLiteral("no: its session ended, nothing left to release")
                    : QStringLiteral("no: free for the next who asks");
}
inline QString NothingHeld() { return QStringLiteral("No work bill is held."); }
inline QString Holding(const platform::HeldTask& t) {
    return QStringLiteral("task %1 (work bill %2), held by %3 on %4 (process %5) since %6")
        .arg(QString::number(t.taskId), HeldWhat(t), HeldBy(t), t.computer, QString::number(t.processId),
             HeldSince(t));
}
inline QString NoSuchTask(qint32 id) {
    return QStringLiteral("No task is held under id %1; erp-host task list shows the held ones.").arg(id);
}
inline QString HolderAlive(const platform::HeldTask& t) {
    return QStringLiteral(
               "Not released: %1, and the holder is alive. Ask them to close the work bill, or release it "
               "with --force: what they have not saved of it then cannot be saved.")
        .arg(Holding(t));
}
inline QString ReleaseQuestion(const platform::HeldTask& t) {
    return QStringLiteral("Release %1?%2 [y/N] ")
        .arg(Holding(t),
             t.alive ? QStringLiteral(" The holder is alive: what it has not saved of it cannot be saved.")
                     : QString());
}
inline QString SessionQuestion(const platform::HeldTask& t) {
    return QStringLiteral(
               "Releasing it ends the database session of %1 on %2 (process %3), and every work bill above "
               "is released with it; what was not saved of them cannot be saved. Go on? [y/N] ")
        .arg(HeldBy(t), t.computer, QString::number(t.processId));
}
inline QString NoTerminal() {
    return QStringLiteral(
        "Nothing was released: task release asks for confirmation on a terminal, and there is none. Add "
        "--yes to release without asking.");
}
inline QString NotConfirmed() { return QStringLiteral("Nothing was released."); }
inline QString Released(const platform::HeldTask& t, bool wasAlive) {
    return QStringLiteral("Released task %1 (work bill %2).%3")
        .arg(QString::number(t.taskId), HeldWhat(t),
             wasAlive
                 ? QStringLiteral(" %1 on %2 can no longer save changes to it.").arg(HeldBy(t), t.computer)
                 : QString());
}
inline QString StaleRemoved(const platform::HeldTask& t) {
    return QStringLiteral(
               "Task %1 (work bill %2): the holder's database session had ended, so there was nothing left "
               "to release; its leftover entry was removed.")
        .arg(QString::number(t.taskId), HeldWhat(t));
}
inline QString SessionEnded(const platform::HeldTask& t) {
    return QStringLiteral(
               "Ended the database session of %1 on %2 (process %3, server process %4). Every task it held "
               "is released, and its holder can no longer save changes to them:")
        .arg(HeldBy(t), t.computer, QString::number(t.processId), QString::number(t.backendPid));
}
inline QString NotPermitted(const platform::HeldTask& t, const QString& reason) {
    return QStringLiteral(
               "Nothing was changed: the session of %1 on %2 (server process %3) cannot be ended from here: "
               "%4\nThe role that ran erp-host db init owns the function that ends it and must be a "
               "superuser "
               "or a member of pg_signal_backend; or ask the holder to close the work bill.")
        .arg(HeldBy(t), t.computer, QString::number(t.backendPid), reason.trimmed());
}
inline QString Changed(qint32 id) {
    return QStringLiteral(
               "Task %1 changed hands meanwhile; nothing was released. Run erp-host task list again.")
        .arg(id);
}

// ---- db backup / db restore -----------------------------------------------------

inline QString UseServerTools(bool restore) {
    return restore ? QStringLiteral(
                         "erp-host db restore works on SQLite files only. Restore a PostgreSQL database with "
                         "the server's own tools: pg_restore, from a dump pg_dump made.")
                   : QStringLiteral(
                         "erp-host db backup works on SQLite files only. Back up a PostgreSQL database with "
                         "the server's own tools: pg_dump (and pg_restore to put it back).");
}
inline QString BackedUp(const QString& database, const QString& file) {
    return QStringLiteral("Backup of %1 written to %2.").arg(database, file);
}
inline QString Restored(const QString& database, const QString& file, int fromVersion, int toVersion) {
    return QStringLiteral("Restored %1 from %2.%3")
        .arg(database, file,
             fromVersion < toVersion ? QStringLiteral(" Its schema was brought from version %1 to %2.")
                                           .arg(fromVersion)
                                           .arg(toVersion)
                                     : QString());
}
// Who works on the database, for a restore refused or forced while they do.
inline QString Holders(const QList<platform::HeldTask>& held) {
    QString text;
    for (const platform::HeldTask& t : held) text += QStringLiteral("\n  ") + Holding(t);
    return text;
}
inline QString HeldDuringRestore(const QList<platform::HeldTask>& held) {
    return QStringLiteral(
               "Nothing was restored: workstations hold work bills of this database:%1\nClose the open "
               "workbenches before a restore: what they show and have not saved belongs to the content "
               "the restore replaces. Restore anyway with --force.")
        .arg(Holders(held));
}
inline QString RestoredWhileHeld(const QList<platform::HeldTask>& held) {
    return QStringLiteral(
               "Restored while workstations held work bills:%1\nClose those workbenches and open them again: "
               "what they show is not the restored content.")
        .arg(Holders(held));
}

// ---- sign-in window (in the clerks' language) ------------------------------------

inline QString SignInCaption() { return QStringLiteral("登录 — 工序汇报"); }
inline QString SignInWhere(const QString& where) { return QStringLiteral("数据库：%1").arg(where); }
inline QString SignInUserLabel() { return QStringLiteral("用户名(&U)："); }
inline QString SignInPasswordLabel() { return QStringLiteral("密码(&P)："); }
inline QString SignInRefused(const QString& problem) { return QStringLiteral("未能登录：%1").arg(problem); }
inline QString SignInButton() { return QStringLiteral("登录"); }
inline QString SignInCancelButton() { return QStringLiteral("取消"); }

// ---- the command line ------------------------------------------------------------

inline QString OptionTwice(const QString& option) { return QStringLiteral("%1 is given twice.").arg(option); }
inline QString OptionNeedsValue(const QString& option) {
    return QStringLiteral("%1 needs a value.").arg(option);
}
inline QString UnknownOption(const QString& option) {
    return QStringLiteral("Unknown option %1.").arg(option);
}
inline QString UsageOf(const QString& form) { return QStringLiteral("Usage: erp-host %1").arg(form); }
inline QString UnknownCommand(const QString& words) {
    return QStringLiteral("Unknown command \"%1\".").arg(words);
}
inline QString SeedBenchNeedsSizes() {
    return QStringLiteral("db seed-bench needs --work-bills N (at least 1) and --reports M.");
}
inline QString UserRightsArgument(const QString& verb, const QString& given) {
    return QStringLiteral("user %1 takes all, none, a mask of 32 bits or admin, not \"%2\".")
        .arg(verb, given);
}
inline QString ReportSummaryForm() {
    return QStringLiteral(
        "report summary --from DATE --to DATE --by GROUPS [--all] [--format csv|xlsx] [--output FILE] "
        "[--user NAME] [--db URL]");
}
// The groupings by name, in the order of the service's codes (SummaryBy 1 ... 6).
inline QStringList SummaryGroupNames() {
    return {QStringLiteral("worker"),     QStringLiteral("team"),     QStringLiteral("device"),
            QStringLiteral("workcenter"), QStringLiteral("workbill"), QStringLiteral("item")};
}
inline QString SummaryWritten(const QString& file, int groups) {
    return QStringLiteral("%1 groups written to %2").arg(groups).arg(file);
}
inline QString MayNotSummarise(const QString& user, quint32 right) {
    return QStringLiteral("The user %1 may not see the summary of reports (lacks right 0x%2).")
        .arg(user)
        .arg(right, 0, 16);
}
inline QString TaskIdArgument(const QString& given) {
    return QStringLiteral("task release takes the id erp-host task list shows, not \"%1\".").arg(given);
}
inline QString OptionDoesNotApply(const QString& option, const QString& command) {
    return QStringLiteral("%1 does not apply to %2.").arg(option, command);
}
inline QString OpeningTheWorkbench() { return QStringLiteral("opening the workbench"); }

// ---- what the commands did --------------------------------------------------------

inline QString DatabaseReady(const QString& db) { return QStringLiteral("Database ready: %1").arg(db); }
inline QString DemoDataIn(const QString& db) { return QStringLiteral("Demo data in %1").arg(db); }
inline QString BenchmarkDataIn(const QString& db) { return QStringLiteral("Benchmark data in %1").arg(db); }
inline QString ComponentGaveNoScreen() { return QStringLiteral("The component gave no screen."); }
inline QString ComponentNotCreated(const QString& dataFolder) {
    return QStringLiteral("The component could not be created; see the log in %1.").arg(dataFolder);
}
inline QString CannotLoadComponent(const QString& why) {
    return QStringLiteral("Cannot load the component: %1").arg(why);
}
inline QString MayNotOpen(const QString& user, quint32 right) {
    return QStringLiteral("The user %1 may not open the workbench (right 0x%2).").arg(user).arg(right, 0, 16);
}
inline QString ScreenshotTimedOut() {
    return QStringLiteral("The workbench did not come up in time; no screenshot was written.");
}
inline QString WorkbenchNotShown() {
    return QStringLiteral("The workbench was not shown; no screenshot was written.");
}
inline QString ScreenshotWritten(const QString& path) {
    return QStringLiteral("Screenshot written to %1").arg(path);
}
inline QString ScreenshotNotWritten(const QString& path) {
    return QStringLiteral("Cannot write the screenshot to %1.").arg(path);
}
inline QString MessageShown(const QString& text) { return QStringLiteral("Message: %1").arg(text); }
inline QString CannotMakeDataFolder(const QString& folder) {
    return QStringLiteral("Cannot create the data folder %1.").arg(folder);
}
inline QString DataFolderReadOnly(const QString& folder) {
    return QStringLiteral("The data folder %1 cannot be written.").arg(folder);
}
inline QString QtTextsMissing(const QString& language, const QString& folder) {
    return QStringLiteral("Qt's %1 texts are not installed in %2; dialog buttons stay in English.")
        .arg(language, folder);
}

// ---- passwords on the terminal ----------------------------------------------------

inline QString NotSignedInBecause(const QString& why) {
    return QStringLiteral("Not signed in: %1\n").arg(why);
}
inline QString PasswordPrompt(const QString& user, const QString& where) {
    return QStringLiteral("Password of %1 for %2: ").arg(user, where);
}
inline QString NotSignedIn(const QString& where, const QString& user, const QString& why) {
    return QStringLiteral("Not signed in to %1 as %2: %3").arg(where, user, why);
}
inline QString NewPasswordPrompt(const QString& user) {
    return QStringLiteral("New password of %1: ").arg(user);
}
inline QString AgainPrompt() { return QStringLiteral("Again: "); }
inline QString NoPasswordTyped() { return QStringLiteral("No password was typed; nothing was changed."); }
inline QString PasswordsDiffer() { return QStringLiteral("The two passwords differ; nothing was changed."); }
inline QString NoPasswordToGive(const QString& user, const QString& where) {
    return QStringLiteral(
               "The server asks for the password of %1 for %2, and there is none to give: run the command on "
               "a "
               "terminal to be asked, or put it into ~/.pgpass (mode 0600) or PGPASSWORD.")
        .arg(user, where);
}
inline QString NewPasswordNeedsTerminal() {
    return QStringLiteral(
        "A new password is typed on a terminal, and there is none; give it on the standard input with "
        "--password-stdin.");
}
inline QString EmptyPassword() {
    return QStringLiteral("An empty password is no password; nothing was changed.");
}

}  // namespace sp::host::Texts
