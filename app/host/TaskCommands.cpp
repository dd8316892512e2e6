#include "app/host/TaskCommands.h"

#include <QList>
#include <QStringList>
#include <algorithm>
#include <string>

#include "app/host/ExitCodes.h"
#include "app/host/Texts.h"
#include "platform/db/TaskAdmin.h"
#include "platform/db/UserAdmin.h"
#include "platform/host/LoginSession.h"
#include "src/common/ComError.h"

#ifdef Q_OS_UNIX
#include <pwd.h>
#include <unistd.h>
#endif

namespace sp::host {
namespace {

using platform::HeldTask;
using platform::ReleaseResult;

// Columns a terminal shows twice as wide: CJK ideographs, kana, hangul, full-width forms.
int DisplayWidth(const QString& text) {
    int width = 0;
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        const bool wide = (u >= 0x1100 && u <= 0x115F) || (u >= 0x2E80 && u <= 0xA4CF) ||
                          (u >= 0xAC00 && u <= 0xD7A3) || (u >= 0xF900 && u <= 0xFAFF) ||
                          (u >= 0xFE30 && u <= 0xFE4F) || (u >= 0xFF00 && u <= 0xFF60) ||
                          (u >= 0xFFE0 && u <= 0xFFE6);
        width += wide ? 2 : 1;
    }
    return width;
}

// The header and the tasks as a plain table, each column as wide as its widest cell.
// A list of tasks just released leaves out whether their holder is alive.
QString Table(const QList<HeldTask>& tasks, bool postgres, bool released = false) {
    QList<QStringList> rows{Texts::TaskTableHeader()};
    for (const HeldTask& t : tasks)
        rows << QStringList{QString::number(t.taskId), Texts::HeldWhat(t),           t.computer,
                            Texts::HeldBy(t),          QString::number(t.processId), Texts::HeldSince(t),
                            Texts::Alive(t, postgres)};
    if (released)
        for (QStringList& row : rows) row.removeLast();
    QList<int> widths(rows.first().size(), 0);
    for (const QStringList& row : rows)
        for (int c = 0; c < row.size(); ++c) widths[c] = std::max(widths[c], DisplayWidth(row[c]));
    QString text;
    for (const QStringList& row : rows) {
        QString line;
        for (int c = 0; c < row.size(); ++c) {
            line += row[c];
            if (c + 1 < row.size())
                line += QString(widths[c] - DisplayWidth(row[c]) + 2, u' ');
        }
        text += line + u'\n';
    }
    return text;
}

QString LoginName() {
    QString name = qEnvironmentVariable("USER");
    if (name.isEmpty())
        name = qEnvironmentVariable("LOGNAME");
#ifdef Q_OS_UNIX
    if (name.isEmpty())
        if (const passwd* entry = ::getpwuid(::getuid()))
            name = QString::fromLocal8Bit(entry->pw_name);
#endif
    return name.isEmpty() ? QStringLiteral("unknown") : name;
}

}  // namespace

TaskCommands::TaskCommands(std::shared_ptr<platform::Database> db, Print print)
    : db_(std::move(db)), print_(std::move(print)) {}

int TaskCommands::List() {
    const QList<HeldTask> tasks = platform::TaskAdmin(db_).List();
    print_(stdout, tasks.isEmpty() ? Texts::NothingHeld()
                                   : Table(tasks, db_->dialect() == platform::Dialect::PostgreSQL));
    return Done;
}

bool TaskCommands::Releaser(const HostOptions& o, QString& name, qint32& userId) {
    // On PostgreSQL the role the server signed in releases (--user is refused there).
    const bool postgres = db_->dialect() == platform::Dialect::PostgreSQL;
    name = postgres ? platform::UserAdmin(db_).SessionRole() : o.userGiven ? o.user : LoginName();
    try {
        userId = platform::LoginSession::FindUserId(*db_, name);
    } catch (const ComError& e) {
        if (e.Number() != ErrorNumber::NotFound)
            throw;
        if (o.userGiven && !postgres) {
            print_(stderr, Texts::UnknownUser(name));
            return false;
        }
        userId = 0;  // the role or login name need not be a user of the workbench
    }
    return true;
}

bool TaskCommands::Confirm(const HostOptions& o, const QString& question) {
    if (o.yes)
        return true;
#ifdef Q_OS_UNIX
    if (!::isatty(STDIN_FILENO)) {
        print_(stderr, Texts::NoTerminal());
        return false;
    }
#endif
    std::fputs(question.toLocal8Bit().constData(), stdout);
    std::fflush(stdout);
    char answer[64] = {};
    const bool yes = std::fgets(answer, sizeof answer, stdin) &&
                     QString::fromLocal8Bit(answer).trimmed().toLower().startsWith(u'y');
    if (!yes)
        print_(stderr, Texts::NotConfirmed());
    return yes;
}

int TaskCommands::Release(const HostOptions& o) {
    const bool postgres = db_->dialect() == platform::Dialect::PostgreSQL;
    QString by;
    qint32 byId = 0;
    if (!Releaser(o, by, byId))
        return UnknownUser;
    platform::TaskAdmin admin(db_);
    const std::optional<HeldTask> seen = admin.Find(o.taskId);
    if (!seen) {
        print_(stderr, Texts::NoSuchTask(o.taskId));
        return NoSuchTask;
    }
    if (seen->alive && !o.force) {
        print_(stderr, Texts::HolderAlive(*seen));
        return ReleaseRefused;
    }
    // On PostgreSQL a live holder's session goes as a whole: show all it takes with it.
    QList<HeldTask> shown{*seen};
    if (postgres && seen->alive) {
        shown.clear();
        for (const HeldTask& t : admin.List())
            if (t.alive && t.backendPid == seen->backendPid)
                shown << t;
    }
    print_(stdout, Table(shown, postgres));
    if (!Confirm(o, postgres && seen->alive ? Texts::SessionQuestion(*seen) : Texts::ReleaseQuestion(*seen)))
        return NotConfirmed;

    const platform::ReleaseOutcome outcome = admin.Release(*seen, o.force, by, byId);
    switch (outcome.result) {
        case ReleaseResult::Released:
            print_(stdout, Texts::Released(outcome.task, outcome.task.alive));
            return Done;
        case ReleaseResult::StaleRemoved:
            print_(stdout, Texts::StaleRemoved(outcome.task));
            return Done;
        case ReleaseResult::SessionEnded:
            print_(stdout,
                   Texts::SessionEnded(outcome.task) + u'\n' + Table(outcome.released, postgres, true));
            return Done;
        case ReleaseResult::NotFound:
            print_(stderr, Texts::NoSuchTask(o.taskId));
            return NoSuchTask;
        case ReleaseResult::HolderAlive:
            print_(stderr, Texts::HolderAlive(outcome.task));
            return ReleaseRefused;
        case ReleaseResult::Changed:
            print_(stderr, Texts::Changed(o.taskId));
            return ReleaseRefused;
        case ReleaseResult::NotPermitted:
            print_(stderr, Texts::NotPermitted(outcome.task, outcome.reason));
            return ReleaseRefused;
    }
    return Failed;
}

}  // namespace sp::host
