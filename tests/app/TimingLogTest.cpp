#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QWindow>
#include <memory>

#include "app/host/TimingLog.h"

namespace sp::host {
namespace {

// The log a timing driver reads: its origin, one line per key however many widgets see it,
// and a paint of the window with its begin and end.
TEST(TimingLog, LogsTheOriginEachKeyOnceAndTheWindowsPaints) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("timing.log"));
    qputenv("SHOPPROC_TIMING_LOG", QFile::encodeName(path));
    std::unique_ptr<TimingLog> log(TimingLog::StartFromEnvironment(qApp));
    qunsetenv("SHOPPROC_TIMING_LOG");
    ASSERT_TRUE(log);
    QLineEdit edit;
    edit.setObjectName(QStringLiteral("edit"));
    edit.show();
    QKeyEvent press(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
    QApplication::sendEvent(&edit, &press);
    QApplication::sendEvent(edit.windowHandle(), &press);
    for (int i = 0; i < 20 && edit.text().isEmpty(); ++i) QApplication::processEvents();
    QApplication::processEvents();
    log.reset();

    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts);
    ASSERT_FALSE(lines.isEmpty());
    EXPECT_TRUE(lines[0].startsWith(QStringLiteral("origin\t")));
    EXPECT_EQ(lines.filter(QStringLiteral("\tkey\tA\tedit\t")).size(), 1) << lines.join(u'\n').toStdString();
    const QStringList paints =
        lines.filter(QRegularExpression(QStringLiteral("^paint\t\\d+\t\\d+\tedit\t[1-9]")));
    ASSERT_FALSE(paints.isEmpty()) << lines.join(u'\n').toStdString();
    EXPECT_LE(paints[0].section(u'\t', 1, 1).toLongLong(), paints[0].section(u'\t', 2, 2).toLongLong());
}

}  // namespace
}  // namespace sp::host
