#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include "src/controls/GridExport.h"
#include "src/controls/GridModel.h"

#ifdef Q_OS_UNIX
#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>
#endif

using namespace Qt::StringLiterals;

namespace sp {
namespace {

// Reads an XLSX file back with Python's openpyxl, as another program would: one JSON
// array of rows, each cell [type, value, number format], and the sheet's name and panes.
QJsonArray ReadBack(const QString& path) {
    const QString script =
        uR"(
import json, sys, datetime, openpyxl
ws = openpyxl.load_workbook(sys.argv[1]).worksheets[0]
rows = []
for row in ws.iter_rows():
    out = []
    for c in row:
        v = c.value
        shown = v.isoformat() if isinstance(v, datetime.datetime) else v
        out.append([type(v).__name__, shown, c.number_format])
    rows.append(out)
rows.append([['sheet', ws.title, ws.freeze_panes]])
print(json.dumps(rows))
)"_s;
    QProcess python;
    // The distribution's Python, where its openpyxl package lives.
    python.start(u"/usr/bin/python3"_s, {u"-c"_s, script, path});
    python.waitForFinished(60000);
    EXPECT_EQ(python.exitCode(), 0) << python.readAllStandardError().toStdString();
    return QJsonDocument::fromJson(python.readAllStandardOutput()).array();
}

// Columns: 1 work bill (text), 2 quantity (number, "0.00"), 3 hidden key, 4 date,
// 5 memo (Chinese, comma, quote), 6 a right-aligned text column of numbers, 7 a text
// column of date-times; column 5 is then dragged in front of column 2.
class GridExportTest : public ::testing::Test {
  protected:
    void SetUp() override {
        grid.SetCols(7);
        grid.SetRows(1);
        grid.SetFixedRows(1);
        const QStringList titles{u"工票号"_s, u"实作数"_s, u"内码"_s,    u"实际开工日期"_s,
                                 u"备注"_s,   u"计划数"_s, u"审核时间"_s};
        for (int c = 1; c <= 7; ++c) {
            grid.SetCellText(1, c, titles[c - 1]);
            grid.SetCellKey(1, c, u"K%1"_s.arg(c));
        }
        grid.SetColumnKind(2, CellKind::Number);
        grid.SetColumnFormat(2, u"0.00"_s);
        grid.SetColumnVisible(3, false);
        grid.SetColumnKind(4, CellKind::Date);
        grid.SetColumnAlignment(6, CellAlign::Right);
        const QList<QStringList> rows{
            {u"WB000124"_s, u"12.5"_s, u"7"_s, u"2026-12-01"_s, u"返工, 说\"急\""_s, u"100"_s,
             u"2026-12-02 08:30:00"_s},
            {u"WB000125"_s, u""_s, u"8"_s, u""_s, u"=1+2"_s, u"-3.5"_s, u""_s},
            {u""_s, u""_s, u""_s, u""_s, u""_s, u""_s, u""_s},  // the empty input row
        };
        for (const QStringList& row : rows) {
            grid.AddRow();
            for (int c = 1; c <= 7; ++c) grid.SetCellText(grid.Rows(), c, row[c - 1]);
        }
        grid.SetCellFormat(3, 2, u"0.000"_s);  // a row's own format
        grid.SetCellText(3, 2, u"4"_s);
        grid.MoveColumn(5, 2);
    }
    GridModel grid;
    QTemporaryDir dir;
};

TEST_F(GridExportTest, XlsxHoldsWhatTheGridShowsWithTypes) {
    const GridSnapshot snapshot = SnapshotGrid(grid);
    const QString path = dir.filePath(u"汇报记录.xlsx"_s);
    ASSERT_EQ(WriteXlsx(snapshot, path, u"汇报记录"_s), QString());
    const QJsonArray rows = ReadBack(path);
    ASSERT_EQ(rows.size(), 4);  // titles, two filled rows (the empty one is left out), sheet
    // [type, value, number format] per visible column in the order shown.
    const QJsonArray expected = QJsonDocument::fromJson(
                                    uR"([
      [["str","工票号","General"],["str","备注","General"],["str","实作数","General"],
       ["str","实际开工日期","General"],["str","计划数","General"],["str","审核时间","General"]],
      [["str","WB000124","General"],["str","返工, 说\"急\"","General"],["float",12.5,"0.00"],
       ["datetime","2026-12-01T00:00:00","yyyy-mm-dd"],["int",100,"General"],
       ["datetime","2026-12-02T08:30:00","yyyy-mm-dd hh:mm:ss"]],
      [["str","WB000125","General"],["str","=1+2","General"],["int",4,"0.000"],
       ["NoneType",null,"General"],["float",-3.5,"General"],["NoneType",null,"General"]],
      [["sheet","汇报记录","A2"]]])"_s.toUtf8())
                                    .array();
    ASSERT_EQ(expected.size(), 4);
    for (int r = 0; r < rows.size(); ++r)
        EXPECT_EQ(rows[r].toArray(), expected[r].toArray())
            << "row " << r << ": "
            << QJsonDocument(rows[r].toArray()).toJson(QJsonDocument::Compact).toStdString();
}

TEST_F(GridExportTest, CsvOpensWithTheRightColumnsAndNeverRunsAFormula) {
    const QString path = dir.filePath(u"list.csv"_s);
#ifdef Q_OS_UNIX
    // A new file gets the permissions any new file gets; a replaced one keeps its own.
    const mode_t mask = ::umask(022);
    ASSERT_EQ(WriteCsv(SnapshotGrid(grid), path), QString());
    EXPECT_EQ(QFile::permissions(path) & 0x0777,
              QFile::ReadUser | QFile::WriteUser | QFile::ReadGroup | QFile::ReadOther);
    ASSERT_TRUE(QFile::setPermissions(
        path, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser | QFile::ReadGroup));
    ::umask(mask);
#endif
    ASSERT_EQ(WriteCsv(SnapshotGrid(grid), path), QString());
    EXPECT_EQ(QFile::permissions(path) & 0x0777, QFile::ReadUser | QFile::WriteUser | QFile::ReadGroup);
    // UTF-8 with a byte order mark, the displayed texts, quotes doubled inside quotes, and
    // a leading apostrophe before what a spreadsheet would run as a formula.
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(),
              u"\uFEFF工票号,备注,实作数,实际开工日期,计划数,审核时间\r\n"
              u"WB000124,\"返工, 说\"\"急\"\"\",12.50,2026-12-01,100,2026-12-02 08:30:00\r\n"
              u"WB000125,'=1+2,4.000,,-3.5,\r\n"_s.toUtf8());
}

// A name that is a folder, or a full disk (made with a file size limit, which holds for
// root as well): the write fails, the old file stays as it was and no half file is left.
TEST_F(GridExportTest, AFailedWriteLeavesTheOldFileAndNoHalfFile) {
    const GridSnapshot snapshot = SnapshotGrid(grid);
    GridSnapshot big = snapshot;  // big enough to pass the size limit below
    for (int i = 0; i < 300; ++i) big.rows << snapshot.rows[0];
    const QString path = dir.filePath(u"old.csv"_s), folder = dir.filePath(u"taken.xlsx"_s);
    {
        QFile old(path);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("old");
    }
    ASSERT_TRUE(QDir().mkdir(folder));
#ifdef Q_OS_UNIX
    for (const bool full : {false, true}) {
        rlimit saved{};
        getrlimit(RLIMIT_FSIZE, &saved);
        if (full) {
            std::signal(SIGXFSZ, SIG_IGN);
            rlimit small = saved;
            small.rlim_cur = 2000;
            setrlimit(RLIMIT_FSIZE, &small);
        }
        EXPECT_FALSE(WriteCsv(big, full ? path : folder).isEmpty()) << full;
        EXPECT_FALSE(WriteXlsx(big, full ? path : folder, u"s"_s).isEmpty()) << full;
        setrlimit(RLIMIT_FSIZE, &saved);
    }
#endif
    QFile old(path);
    ASSERT_TRUE(old.open(QIODevice::ReadOnly));
    EXPECT_EQ(old.readAll(), "old");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{u"old.csv"_s});
    EXPECT_TRUE(QFileInfo(folder).isDir());
}

}  // namespace
}  // namespace sp
