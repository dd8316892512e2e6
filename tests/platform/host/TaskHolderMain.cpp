// A second process for the function-conflict tests: takes one task and keeps it
// until told to commit it or to exit (or until it is killed).
//   sp_task_holder URL SUBSYSTEM FUNCTION KEY
// Prints "TASK <id>" once the task is asked for; reads "commit" or "exit" lines.
#include <QCoreApplication>
#include <QVariant>
#include <cstdio>
#include <iostream>
#include <string>

#include "platform/db/Database.h"
#include "platform/host/TaskControl.h"
#include "src/common/ComError.h"

using namespace sp::platform;

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc != 5)
        return 2;
    try {
        auto control =
            TaskControl::Create(Database::Open(DatabaseUrl::Parse(QString::fromLocal8Bit(argv[1]))), 99);
        qint32 subsystem = QString::fromLocal8Bit(argv[2]).toInt();
        QString function = QString::fromLocal8Bit(argv[3]);
        const QVariant key(QString::fromLocal8Bit(argv[4]));
        qint16 a = 0, b = 0;
        const qint32 id = control->taskexec(subsystem, function, QStringLiteral("holder"), 3, a, b, &key);
        std::printf("TASK %d\n", id);
        std::fflush(stdout);
        std::string line;
        while (std::getline(std::cin, line)) {
            if (line == "commit") {
                std::printf("COMMITTED %d\n", control->CommitTask(id) ? 1 : 0);
                std::fflush(stdout);
            } else if (line == "exit") {
                break;
            }
        }
    } catch (const sp::ComError& e) {
        std::fprintf(stderr, "%s\n", e.Description().toLocal8Bit().constData());
        return 1;
    }
    return 0;
}
