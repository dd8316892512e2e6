#include "src/controls/GridExport.h"

#include <xlsxwriter.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QTemporaryFile>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>

#include "src/controls/GridModel.h"
#include "src/controls/GridModelImpl.h"

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace sp {

namespace {

using Kind = GridSnapshot::Kind;

// The workbench writes dates as yyyy-MM-dd and date-times as yyyy-MM-dd HH:mm:ss.
QVariant DateOf(const QString& text) {
    const QString t = text.trimmed();
    if (t.size() == 10) {
        const QDate d = QDate::fromString(t, QStringLiteral("yyyy-MM-dd"));
        if (d.isValid())
            return d;
    } else if (t.size() == 19) {
        const QDateTime dt = QDateTime::fromString(t, QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        if (dt.isValid())
            return dt;
    }
    return {};
}

QVariant NumberOf(const QString& text) {
    double v = 0;
    return gridcells::ParseNumber(text, &v) ? QVariant(v) : QVariant();
}

// A text column is typed when every filled cell reads as that type.
void TypeTextColumn(GridSnapshot& s, int c) {
    GridSnapshot::Column& column = s.columns[c];
    bool anyFilled = false;
    bool allDates = true;
    bool allDateTimes = true;
    bool allNumbers = column.rightAligned;
    for (const auto& row : s.rows) {
        const QString& text = row[c].text;
        if (text.trimmed().isEmpty())
            continue;
        anyFilled = true;
        const QVariant d = allDates || allDateTimes ? DateOf(text) : QVariant();
        allDates = allDates && d.typeId() == QMetaType::QDate;
        allDateTimes = allDateTimes && d.isValid();
        allNumbers = allNumbers && NumberOf(text).isValid();
        if (!allDateTimes && !allNumbers)
            return;
    }
    if (!anyFilled)
        return;
    column.kind = allNumbers ? Kind::Number : allDates ? Kind::Date : Kind::DateTime;
    for (auto& row : s.rows) {
        GridSnapshot::Cell& cell = row[c];
        if (!cell.text.trimmed().isEmpty())
            cell.value = column.kind == Kind::Number ? NumberOf(cell.text) : DateOf(cell.text);
    }
}

// A temporary file is readable by its owner alone; the file it becomes keeps the
// permissions of the file it replaces, or gets those a new file would get.
QString GiveUsualPermissions(QTemporaryFile& temp, const QString& path) {
#ifdef Q_OS_UNIX
    struct stat existing {};
    mode_t mode = 0;
    if (::stat(QFile::encodeName(path).constData(), &existing) == 0) {
        mode = existing.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    if (::fchmod(temp.handle(), mode) != 0)
        return QString::fromLocal8Bit(std::strerror(errno));
#else
    Q_UNUSED(temp);
    Q_UNUSED(path);
#endif
    return {};
}

QString CsvField(const GridSnapshot::Cell& cell, Kind kind) {
    QString text = cell.text;
    if (kind == Kind::Text && !text.isEmpty() &&
        (text[0] == u'=' || text[0] == u'+' || text[0] == u'-' || text[0] == u'@'))
        text.prepend(u'\'');
    if (text.contains(u',') || text.contains(u'"') || text.contains(u'\n') || text.contains(u'\r') ||
        text.startsWith(u' ') || text.endsWith(u' ')) {
        text.replace(QStringLiteral("\""), QStringLiteral("\"\""));
        text = u'"' + text + u'"';
    }
    return text;
}

QString XlsxError(lxw_error error) { return QString::fromUtf8(lxw_strerror(error)); }

}  // namespace

QString WriteWhole(const QString& path, const std::function<QString(QFile&)>& write) {
    const QFileInfo target(path);
    QTemporaryFile temp(target.absoluteDir().filePath(QStringLiteral(".%1.XXXXXX").arg(target.fileName())));
    if (!temp.open())
        return temp.errorString();
    QString failure = write(temp);
    if (failure.isEmpty() && !temp.flush())
        failure = temp.errorString();
#ifdef Q_OS_UNIX
    if (failure.isEmpty() && ::fsync(temp.handle()) != 0)
        failure = QString::fromLocal8Bit(std::strerror(errno));
#endif
    if (failure.isEmpty())
        failure = GiveUsualPermissions(temp, path);
    temp.close();
    if (!failure.isEmpty())
        return failure;  // the temporary file goes with `temp`
    // rename() replaces an existing file in one step; QFile::rename would refuse it.
    if (std::rename(QFile::encodeName(temp.fileName()).constData(), QFile::encodeName(path).constData()) != 0)
        return QString::fromLocal8Bit(std::strerror(errno));
    temp.setAutoRemove(false);
    return {};
}

int GridSnapshot::ColumnOf(const QString& key) const {
    for (int c = 0; c < columns.size(); ++c)
        if (columns[c].key.compare(key, Qt::CaseInsensitive) == 0)
            return c;
    return -1;
}

GridSnapshot SnapshotGrid(const GridModel& grid) {
    GridSnapshot s;
    const int titleRow = grid.FixedRows();
    QVector<int> cols;
    for (int c = 1; c <= grid.Cols(); ++c) {
        if (!grid.ColumnVisible(c))
            continue;
        cols << c;
        GridSnapshot::Column column;
        if (titleRow >= 1) {
            column.title = grid.CellText(titleRow, c);
            column.key = grid.CellKey(titleRow, c);
        }
        column.kind = grid.ColumnKind(c) == CellKind::Number ? Kind::Number
                      : grid.ColumnKind(c) == CellKind::Date ? Kind::Date
                                                             : Kind::Text;
        column.widthTwips = grid.ColumnWidth(c);
        column.rightAligned = grid.ColumnAlignment(c) == CellAlign::Right;
        s.columns << column;
    }
    for (int r = titleRow + 1; r <= grid.Rows(); ++r) {
        QVector<GridSnapshot::Cell> row(cols.size());
        bool filled = false;
        for (int i = 0; i < cols.size(); ++i) {
            GridSnapshot::Cell& cell = row[i];
            // A tab parts the work bill number from its item in the list; a file shows a blank.
            cell.text = grid.DisplayText(r, cols[i]).replace(u'\t', u' ');
            filled = filled || !cell.text.trimmed().isEmpty();
            const QVariant value = grid.CellValue(r, cols[i]);
            if (s.columns[i].kind == Kind::Number && gridcells::IsNumber(value) && !cell.text.isEmpty()) {
                cell.value = value.toDouble();
                // The cell's own format wins over the column's, as on the screen.
                cell.format = grid.CellFormat(r, cols[i]);
                if (cell.format.isEmpty())
                    cell.format = grid.ColumnFormat(cols[i]);
            } else if (s.columns[i].kind == Kind::Date && !cell.text.isEmpty())
                cell.value =
                    Basic::ToDate(value).isValid() ? QVariant(Basic::ToDate(value)) : DateOf(cell.text);
        }
        if (!filled)
            continue;
        s.rows << row;
        s.gridRows << r;
    }
    for (int c = 0; c < s.columns.size(); ++c)
        if (s.columns[c].kind == Kind::Text)
            TypeTextColumn(s, c);
    return s;
}

QString SpreadsheetNumberFormat(const QString& gridFormat) {
    if (gridFormat.isEmpty())
        return QStringLiteral("General");
    const int decimals = gridcells::DecimalsOf(gridFormat);
    return decimals == 0 ? QStringLiteral("0") : QStringLiteral("0.") + QString(decimals, u'0');
}

QString WriteCsv(const GridSnapshot& snapshot, const QString& path) {
    return WriteWhole(path, [&](QFile& file) {
        QByteArray out("\xEF\xBB\xBF");
        const auto line = [&](const QStringList& fields) { out += fields.join(u',').toUtf8() + "\r\n"; };
        QStringList titles;
        for (const auto& column : snapshot.columns)
            titles << CsvField({column.title, {}, {}}, GridSnapshot::Kind::Text);
        line(titles);
        for (const auto& row : snapshot.rows) {
            QStringList fields;
            for (int c = 0; c < row.size(); ++c) fields << CsvField(row[c], snapshot.columns[c].kind);
            line(fields);
        }
        return file.write(out) == out.size() ? QString() : file.errorString();
    });
}

QString WriteXlsx(const GridSnapshot& snapshot, const QString& path, const QString& sheetName) {
    return WriteWhole(path, [&](QFile& file) {
        // The library writes the file by its name; the handle stays open for the flush after.
        const QByteArray name = QFile::encodeName(file.fileName());
        // Rows go out in order, so the library may write them as they come.
        lxw_workbook_options options{};
        options.constant_memory = LXW_TRUE;
        lxw_workbook* book = workbook_new_opt(name.constData(), &options);
        if (!book)
            return QStringLiteral("cannot start the workbook");
        lxw_worksheet* sheet = workbook_add_worksheet(book, sheetName.toUtf8().constData());
        lxw_format* bold = workbook_add_format(book);
        format_set_bold(bold);
        lxw_format* date = workbook_add_format(book);
        format_set_num_format(date, "yyyy-mm-dd");
        lxw_format* dateTime = workbook_add_format(book);
        format_set_num_format(dateTime, "yyyy-mm-dd hh:mm:ss");
        QHash<QString, lxw_format*> numbers;
        const auto numberFormat = [&](const QString& gridFormat) {
            lxw_format*& f = numbers[SpreadsheetNumberFormat(gridFormat)];
            if (!f) {
                f = workbook_add_format(book);
                format_set_num_format(f, SpreadsheetNumberFormat(gridFormat).toUtf8().constData());
            }
            return f;
        };
        for (int c = 0; c < snapshot.columns.size(); ++c) {
            const auto& column = snapshot.columns[c];
            worksheet_write_string(sheet, 0, static_cast<lxw_col_t>(c), column.title.toUtf8().constData(),
                                   bold);
            // About seven pixels to a character of the sheet's default font.
            worksheet_set_column(sheet, static_cast<lxw_col_t>(c), static_cast<lxw_col_t>(c),
                                 std::max(4.0, column.widthTwips / 15.0 / 7.0), nullptr);
        }
        worksheet_freeze_panes(sheet, 1, 0);
        for (int r = 0; r < snapshot.rows.size(); ++r) {
            const auto row_ = static_cast<lxw_row_t>(r + 1);
            for (int c = 0; c < snapshot.rows[r].size(); ++c) {
                const auto& cell = snapshot.rows[r][c];
                const auto col = static_cast<lxw_col_t>(c);
                const QVariant& v = cell.value;
                if (v.typeId() == QMetaType::Double) {
                    worksheet_write_number(sheet, row_, col, v.toDouble(), numberFormat(cell.format));
                } else if (v.typeId() == QMetaType::QDate || v.typeId() == QMetaType::QDateTime) {
                    const QDateTime dt =
                        v.typeId() == QMetaType::QDate ? v.toDate().startOfDay() : v.toDateTime();
                    lxw_datetime when{dt.date().year(),
                                      static_cast<uint8_t>(dt.date().month()),
                                      static_cast<uint8_t>(dt.date().day()),
                                      static_cast<uint8_t>(dt.time().hour()),
                                      static_cast<uint8_t>(dt.time().minute()),
                                      static_cast<double>(dt.time().second())};
                    worksheet_write_datetime(sheet, row_, col, &when,
                                             v.typeId() == QMetaType::QDate ? date : dateTime);
                } else if (!cell.text.isEmpty()) {
                    worksheet_write_string(sheet, row_, col, cell.text.toUtf8().constData(), nullptr);
                }
            }
        }
        const lxw_error closed = workbook_close(book);
        return closed == LXW_NO_ERROR ? QString() : XlsxError(closed);
    });
}

}  // namespace sp
