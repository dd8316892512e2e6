#pragma once

#include <QString>
#include <QStringList>

namespace sp::host {

// What erp-host was asked to do, read from its command line.
struct HostOptions {
    enum class Command {
        Workbench,
        Help,
        DbInit,
        DbSeedDemo,
        DbSeedBench,
        DbBackup,
        DbRestore,
        UserAdd,
        UserGrant,
        UserRevoke,
        UserPassword,
        UserDisable,
        Passwd,
        TaskList,
        TaskRelease,
        ReportSummary
    };

    Command command = Command::Workbench;
    QString dbUrl;  // empty: the demo database in the user's data folder
    QString user = QStringLiteral("demo");
    QString screenshot;          // a PNG of the workbench, then leave
    QString userName;            // user add / grant / revoke / password / disable
    QString file;                // db backup: where the copy goes; db restore: the copy to put back
    quint32 rights = 0;          // user add / grant / revoke
    bool admin = false;          // user grant / revoke: the administrators' role instead of rights
    bool passwordStdin = false;  // user add / password, passwd: the password on the standard input
    int workBills = 0;           // db seed-bench
    int reports = 0;             // db seed-bench
    int longHistory = 1000;      // db seed-bench: the reports of the first work bill
    // db init: beside the tables of another program too; db restore: while work bills are
    // held; task release: a live holder's too
    bool force = false;
    bool userGiven = false;  // --user was given (task release: who releases; else the login name)
    qint32 taskId = 0;       // task release
    bool yes = false;        // task release: without asking
    // report summary: the period, the groupings (worker, team, device, workcenter,
    // workbill, item), all reports or audited ones only, the file format, the file
    QString from;
    QString to;
    QStringList by;
    bool allReports = false;
    QString format = QStringLiteral("csv");
    QString output;  // empty: the standard output (CSV only)
    QString error;   // why the command line was refused; empty when it was not

    bool NeedsScreen() const { return command == Command::Workbench; }

    // args without the program name. Each option may be given once, and only to the
    // commands it applies to.
    static HostOptions Parse(const QStringList& args);
    // "all", "none", or a mask in decimal, 0x... or &H... hexadecimal. False when unreadable.
    static bool ParseRights(const QString& text, quint32& mask);
};

}  // namespace sp::host
