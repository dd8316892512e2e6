#pragma once

#include <QString>
#include <QStringList>
#include <algorithm>

#include "app/host/ExitCodes.h"
#include "platform/db/TaskAdmin.h"

// What erp-host says on its command line.
namespace sp::host::Texts {

inline QString Usage() {
    QString text = QStringLiteral(
        "Usage:\n  erp-host [--db URL] [--user NAME] [--screenshot FILE]\n      Opens the process report "
        "workbench. Without --db the demo database in the\n      user's data folder is used, created on "
        "first use; a database named by --db\n      must have been prepared with db init.\n  erp-host db "
        "init [--force] [--db URL]\n      Creates a database or brings it to the newest schema; safe to "
        "repeat.\n  erp-host db seed-demo [--db URL]\n      Puts the demo shop (work bills, workers, "
        "devices, users, reports) into a database.\n  erp-host db seed-bench --work-bills N --reports M "
        "[--long-history H] [--db URL]\n      Fills a database with N work bills and M reports, for "
        "benchmarks.\n  erp-host user add NAME [--rights all|none|MASK] [--db URL]\n      Adds a user, with "
        "every right unless --rights says otherwise. NAME may not\n      hold ; = { } | or control "
        "characters.\n  erp-host user grant NAME MASK [--db URL]\n      Adds rights to a user's (all, none, "
        "0x200000, &H200000 or decimal).\n  erp-host task list [--db URL]\n      Lists the work bills "
        "workstations hold: task id, work bill, computer, user,\n      process, since when, and whether the "
        "holder is still alive.\n  erp-host task release ID [--force] [--yes] [--user NAME] [--db URL]\n     "
        " Releases a held work bill after asking; the holder can no longer save its\n      changes to it. A "
        "live holder's only with --force (PostgreSQL: ends the\n      holder's database session, and every "
        "work bill it holds is released).\n  erp-host --help, -h\n      Shows this text.\n\nOptions (each "
        "once, and only to the commands it is shown with; --name=value works too):\n  --db URL           a "
        "SQLite file path, or postgresql://user@host[:port]/database\n                     with the password "
        "in PGPASSWORD or ~/.pgpass (a password in\n                     the URL is visible to other users "
        "of the machine)\n  --user NAME        the user who opens the workbench (default: demo); task "
        "release:\n                     who releases, for the record (default: the login name)\n  "
        "--screenshot FILE  confirms the filter dialog, writes a PNG of the workbench and\n                  "
        "   leaves; prints how long the start took. Needs no display\n  --force            db init: adds the "
        "tables beside another program's; task\n                     release: releases a holder that is "
        "alive too\n  --yes              task release: does not ask\n  --rights MASK      user add: all, "
        "none, or a 32-bit mask of rights\n  --work-bills N     db seed-bench: how many work bills\n  "
        "--reports M        db seed-bench: how many reports\n  --long-history H   db seed-bench: the reports "
        "of the first work bill (1000)\n\nFiles: the demo database, the application log and the settings "
        "files are in\n$XDG_DATA_HOME/ShopProc/erp-host (~/.local/share/ShopProc/erp-host).\n\nExit "
        "codes:\n");
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
               "Nothing was changed: this database role may not end the session of %1 on %2 (server process "
               "%3): %4\nRun the command as a role that may (a superuser or a member of pg_signal_backend), "
               "or ask the holder to close the work bill.")
        .arg(HeldBy(t), t.computer, QString::number(t.backendPid), reason.trimmed());
}
inline QString Changed(qint32 id) {
    return QStringLiteral(
               "Task %1 changed hands meanwhile; nothing was released. Run erp-host task list again.")
        .arg(id);
}

}  // namespace sp::host::Texts
