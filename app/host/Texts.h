#pragma once

#include <QString>
#include <algorithm>

#include "app/host/ExitCodes.h"

// What erp-host says on its command line.
namespace sp::host::Texts {

inline QString Usage() {
    QString text = QStringLiteral(
        "Usage:\n"
        "  erp-host [--db URL] [--user NAME] [--screenshot FILE]\n"
        "      Opens the process report workbench. Without --db the demo database in the\n"
        "      user's data folder is used, created on first use; a database named by --db\n"
        "      must have been prepared with db init.\n"
        "  erp-host db init [--force] [--db URL]\n"
        "      Creates a database or brings it to the newest schema; safe to repeat.\n"
        "  erp-host db seed-demo [--db URL]\n"
        "      Puts the demo shop (work bills, workers, devices, users, reports) into a database.\n"
        "  erp-host db seed-bench --work-bills N --reports M [--long-history H] [--db URL]\n"
        "      Fills a database with N work bills and M reports, for benchmarks.\n"
        "  erp-host user add NAME [--rights all|none|MASK] [--db URL]\n"
        "      Adds a user, with every right unless --rights says otherwise. NAME may not\n"
        "      hold ; = { } | or control characters.\n"
        "  erp-host user grant NAME MASK [--db URL]\n"
        "      Adds rights to a user's (all, none, 0x200000, &H200000 or decimal).\n"
        "  erp-host --help, -h\n"
        "      Shows this text.\n"
        "\n"
        "Options (each once, and only to the commands it is shown with; --name=value works too):\n"
        "  --db URL           a SQLite file path, or postgresql://user@host[:port]/database\n"
        "                     with the password in PGPASSWORD or ~/.pgpass (a password in\n"
        "                     the URL is visible to other users of the machine)\n"
        "  --user NAME        the user who opens the workbench (default: demo)\n"
        "  --screenshot FILE  confirms the filter dialog, writes a PNG of the workbench and\n"
        "                     leaves; prints how long the start took. Needs no display\n"
        "  --force            db init: adds the tables beside another program's\n"
        "  --rights MASK      user add: all, none, or a 32-bit mask of rights\n"
        "  --work-bills N     db seed-bench: how many work bills\n"
        "  --reports M        db seed-bench: how many reports\n"
        "  --long-history H   db seed-bench: the reports of the first work bill (1000)\n"
        "\n"
        "Files: the demo database, the application log and the settings files are in\n"
        "$XDG_DATA_HOME/ShopProc/erp-host (~/.local/share/ShopProc/erp-host).\n"
        "\n"
        "Exit codes:\n");
    for (const ExitCodeMeaning& e : ExitCodeMeanings)
        text += QStringLiteral("  %1 %2\n")
                    .arg(static_cast<int>(e.code), -3)
                    .arg(QString::fromUtf8(e.meaning).replace(u'\n', QStringLiteral("\n      ")));
    return text;
}

inline QString NoDisplay() {
    return QStringLiteral(
        "The workbench needs a display, and there is none (DISPLAY and WAYLAND_DISPLAY are not set).\n"
        "Run it under a virtual one:   xvfb-run -a erp-host\n"
        "or take a picture instead:    erp-host --screenshot wb.png");
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

}  // namespace sp::host::Texts
