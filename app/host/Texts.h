#pragma once

#include <QString>

// What erp-host says on its command line.
namespace sp::host::Texts {

inline QString Usage() {
    return QStringLiteral(
        "Usage:\n"
        "  erp-host [--db URL] [--user NAME] [--screenshot FILE]\n"
        "      Opens the process report workbench as NAME (default: demo). Without --db\n"
        "      the demo database in the user's data folder is used, created on first use;\n"
        "      a database named by --db must have been prepared with db init.\n"
        "      --screenshot FILE confirms the filter dialog, writes a PNG of the workbench\n"
        "      and leaves; it prints how long the start took until the workbench was ready.\n"
        "  erp-host db init [--force] [--db URL]        create or bring a database up to date;\n"
        "                                               --force: beside another program's tables\n"
        "  erp-host db seed-demo [--db URL]             put the demo shop into a database\n"
        "  erp-host db seed-bench --work-bills N --reports M [--long-history H] [--db URL]\n"
        "                                               a large database for benchmarks; the\n"
        "                                               first work bill gets H reports (1000)\n"
        "  erp-host user add NAME [--rights all|none|MASK] [--db URL]\n"
        "                                               NAME without ; = { } | or control characters\n"
        "  erp-host user grant NAME MASK [--db URL]     add rights (all, none, 0x200000, ...)\n"
        "  erp-host --help\n"
        "\n"
        "Each option once, and only to the commands it is shown with.\n"
        "URL: a SQLite file path, or postgresql://user@host[:port]/database with the password\n"
        "in PGPASSWORD or ~/.pgpass (a password inside the URL is visible to other users).\n"
        "Exit codes: 0 done, 1 failed (database, component), 2 unknown user, 3 the user may not\n"
        "open the workbench, 64 bad command line.\n");
}

inline QString NoDisplay() {
    return QStringLiteral(
        "The workbench needs a display, and there is none (DISPLAY and WAYLAND_DISPLAY are not set).\n"
        "Run it under a virtual one:   xvfb-run -a ./run\n"
        "or take a picture instead:    ./run --screenshot wb.png");
}

inline QString UnknownUser(const QString& name) {
    return QStringLiteral(
               "There is no user \"%1\" in this database. Add one with: erp-host user add %1 [--db URL]")
        .arg(name);
}

}  // namespace sp::host::Texts
