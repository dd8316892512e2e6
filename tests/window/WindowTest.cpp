// The real program on a virtual display, driven only from outside with real key and
// mouse events (xdotool) as a clerk drives it. Where things are comes from the window
// probe of erp-host (SHOPPROC_WINDOW_PROBE), never from fixed pixels; each step checks
// the screen, and the database where it writes, and leaves a picture in window-shots/.
#include <gtest/gtest.h>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QThread>
#include <QUrl>

#include "tests/window/Desktop.h"

namespace sp::test {
namespace {

const QString kList = u"vlgList"_s;
const QString kGrid = u"vlgProc"_s;

// The first value the statement reads, on a connection of its own made for it.
QVariant FirstValue(const QString& driver, const QString& sql,
                    const std::function<void(QSqlDatabase&)>& setUp) {
    QVariant value;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(driver, u"window-test"_s);
        setUp(db);
        QSqlQuery q(db);
        if (db.open() && q.exec(sql) && q.next())
            value = q.value(0);
    }
    QSqlDatabase::removeDatabase(u"window-test"_s);
    return value;
}

class WindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        QString why;
        desk_ = Desktop::Start(&why);
        ASSERT_TRUE(desk_) << why.toStdString() << " (the window tests need Xvfb and xdotool)";
        desk_->SetPrefix(
            QString::fromLatin1(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        ASSERT_TRUE(home_.isValid());
    }

    QString ProbePath(int program = 0) const { return home_.filePath(u"probe%1.txt"_s.arg(program)); }
    std::unique_ptr<Program> Start(int program = 0, const QStringList& args = {}) {
        QFile::remove(ProbePath(program));
        return std::make_unique<Program>(desk_->Display(), home_.path(), ProbePath(program), args);
    }

    Probe Read(int program = 0) const {
        QFile file(ProbePath(program));
        return Probe(file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString());
    }
    // Polls the probe until the condition holds; a timeout fails the test, with a picture.
    Probe WaitFor(const char* what, const std::function<bool(const Probe&)>& holds, int program = 0,
                  int ms = 30000) {
        QElapsedTimer timer;
        timer.start();
        Probe p = Read(program);
        while (!holds(p)) {
            if (timer.elapsed() > ms) {
                ADD_FAILURE() << "timed out waiting until " << what << "; screen in "
                              << desk_->Shot(u"timeout"_s).toStdString() << "\n"
                              << p.Raw().left(3000).toStdString();
                return p;
            }
            QThread::msleep(60);
            p = Read(program);
        }
        return p;
    }
    Probe WaitForWindow(const QString& name, int program = 0) {
        return WaitFor(
            qPrintable(name + u" is the active window"_s),
            [&](const Probe& p) { return p.Active() == name && p.Modal() == name; }, program);
    }

    void ClickWidget(const QString& name, int program = 0) {
        const auto at = Read(program).Centre(name);
        ASSERT_TRUE(at) << name.toStdString() << " is not on the screen";
        desk_->Click(*at);
    }
    void ClickCell(const QString& grid, int row, int col, int times = 1, int program = 0) {
        const auto at = Read(program).CellCentre(grid, row, col);
        ASSERT_TRUE(at) << grid.toStdString() << " cell " << row << "," << col << " is not on the screen";
        desk_->Click(*at, times);
    }
    // Presses the message box button whose caption starts with one of the words.
    void Answer(const QStringList& words, int program = 0) {
        const Probe p = Read(program);
        for (const QString& w : words)
            for (const QString& line : p.Raw().split(u'\n'))
                if (line.startsWith(u"widget\t"_s + p.Modal() + u"\t@"_s + w)) {
                    ClickWidget(line.section(u'\t', 2, 2), program);
                    return;
                }
        ADD_FAILURE() << "no button " << words.join(u'/').toStdString() << " in\n" << p.Raw().toStdString();
    }
    QString MessageText(const Probe& p) const {
        for (const QString& line : p.Raw().split(u'\n'))
            if (line.startsWith(u"widget\t"_s + p.Modal() + u"\tqt_msgbox_label"_s))
                return line.section(u'\t', 9);
        return {};
    }

    // The demo database the program made in its home, read-only.
    QVariant Db(const QString& sql) const {
        return FirstValue(u"QSQLITE"_s, sql, [&](QSqlDatabase& db) {
            db.setDatabaseName(home_.filePath(u".local/share/ShopProc/erp-host/demo.db"_s));
            db.setConnectOptions(u"QSQLITE_OPEN_READONLY;QSQLITE_BUSY_TIMEOUT=5000"_s);
        });
    }

    // From the filter dialog as it opens to the workbench showing its list.
    Probe OpenWorkbench(int program = 0) {
        WaitForWindow(u"frmWageFilter"_s, program);
        ClickWidget(u"cmdOK"_s, program);
        return WaitFor(
            "the workbench shows its list",
            [](const Probe& p) { return p.Active() == u"frmProc" && !p.Cell(kList, 2, 1).isEmpty(); },
            program);
    }

    std::unique_ptr<Desktop> desk_;
    QTemporaryDir home_;
};

// A clerk's day: the filter dialog with a lookup and a saved plan, new reports on two
// work bills with F7 lookups and Enter through the row, the save, edit mode with the
// record filter, the print preview and its PDF, audit, unaudit and delete, the column
// settings, the export of the list, and the exit.
TEST_F(WindowTest, AClerksDay) {
    auto program = Start();
    WaitForWindow(u"frmWageFilter"_s);
    desk_->Shot(u"filter"_s);

    // A department from its lookup (the "..." beside the first box), then a saved plan.
    ClickWidget(u"cmdItem_0"_s);
    WaitForWindow(u"ItemLookUp"_s);
    desk_->Shot(u"filter-lookup"_s);
    desk_->Key(u"Return"_s);  // the list opens on the first workshop, past its department
    Probe p = WaitFor("the department is in its box and the keyboard back in the dialog", [](const Probe& p) {
        return !p.Text(u"txtItem_0"_s).isEmpty() && p.Active() == u"frmWageFilter";
    });
    ClickWidget(u"tlbSave"_s);
    WaitForWindow(u"QInputDialog"_s);
    desk_->Type(u"day plan"_s);
    desk_->Key(u"Return"_s);
    p = WaitFor("the plan is listed",
                [](const Probe& p) { return p.Items(u"lvwProject"_s).contains(u"day plan"_s); });
    EXPECT_GT(Db(u"SELECT COUNT(*) FROM t_FilterPlan WHERE FPlan = 'day plan'"_s).toInt(), 0);
    desk_->Shot(u"filter-plan"_s);

    p = OpenWorkbench();
    desk_->Shot(u"workbench"_s);
    const int number = p.Column(kList, u"工序计划单号"_s);
    ASSERT_GT(number, 0);
    const QString first = p.Cell(kList, 2, number), second = p.Cell(kList, 3, number);
    const int gph = p.Column(kGrid, u"GPH"_s), hbxh = p.Column(kGrid, u"HBXH"_s);
    ASSERT_GT(gph, 0);
    const int before = Db(u"SELECT COUNT(*) FROM SHProcRpt"_s).toInt();

    // A double click on a work bill starts its report; its number typed starts another.
    ClickCell(kList, 2, number, 2);
    p = WaitFor("the first work bill's report row", [&](const Probe& p) {
        return p.Cell(kGrid, 2, gph) == first && !p.Cell(kGrid, 2, hbxh).isEmpty();
    });
    ClickCell(kGrid, 3, gph);
    desk_->Type(second);
    desk_->Key(u"Return"_s);
    p = WaitFor("the second work bill's report row", [&](const Probe& p) {
        return p.Cell(kGrid, 3, gph) == second && !p.Cell(kGrid, 3, hbxh).isEmpty();
    });

    // F7 in the worker, team and device cells of the first row (its work bill names none
    // of them, so they are open) picks from their lookups.
    for (const char* code : {"BZ", "CZG", "SYSB"}) {  // the team first: it limits the workers
        const int col = p.Column(kGrid, QString::fromLatin1(code));
        ASSERT_GT(col, 0) << code;
        ClickCell(kGrid, 2, col);
        WaitFor("the cell is current and offers its lookup", [&](const Probe& p) {
            return p.Current(kGrid) == std::pair(2, col) && p.Enabled(u"btnEditView"_s) &&
                   p.Text(u"btnSttInfo"_s) == u"按F7查找相关信息";
        });
        desk_->Key(u"F7"_s);
        WaitFor("its lookup is up",
                [](const Probe& p) { return p.Modal() != u"frmProc" && p.Active() == p.Modal(); });
        if (QString::fromLatin1(code) == u"BZ")
            desk_->Shot(u"team-lookup"_s);
        desk_->Key(u"Return"_s);
        p = WaitFor("the pick is in the cell and the keyboard back in the grid", [&](const Probe& p) {
            return !p.Cell(kGrid, 2, col).isEmpty() && p.Active() == u"frmProc" &&
                   p.Current(kGrid).first == 2;
        });
    }

    // Quantities typed with Enter moving on through the row.
    const int jss = p.Column(kGrid, u"JSS"_s);
    ClickCell(kGrid, 2, jss);
    WaitFor("the received quantity is current",
            [&](const Probe& p) { return p.Current(kGrid) == std::pair(2, jss); });
    int col = jss;
    for (const char* quantity : {"3", "3", "3"}) {
        desk_->Type(QString::fromLatin1(quantity));
        desk_->Key(u"Return"_s);
        p = WaitFor("Enter moves on in the row",
                    [&](const Probe& p) { return p.Current(kGrid).second > col; });
        col = p.Current(kGrid).second;
    }
    EXPECT_EQ(p.Cell(kGrid, 2, jss), u"3"_s);
    desk_->Shot(u"new-rows"_s);

    ClickWidget(u"btnFileSave"_s);
    WaitFor("the save is done", [&](const Probe& p) { return !p.Enabled(u"btnFileSave"_s); });
    EXPECT_EQ(Db(u"SELECT COUNT(*) FROM SHProcRpt"_s).toInt(), before + 2);
    const QString serial =
        Db(u"SELECT MAX(PR.Fserial) FROM SHProcRpt PR JOIN SHWorkBillEntry WBE ON WBE.FWBInterID = "
           "PR.FWBInterID WHERE WBE.FWorkBillNO = '%1'"_s.arg(first))
            .toString();
    const QString stored =
        u"SELECT %1 FROM SHProcRpt PR JOIN SHWorkBillEntry WBE ON WBE.FWBInterID = PR.FWBInterID "
        "WHERE WBE.FWorkBillNO = '%2' AND PR.Fserial = %3"_s.arg(u"%1"_s, first, serial);
    EXPECT_EQ(Db(stored.arg(u"PR.FAuxQtyReceive"_s)).toDouble(), 3.0);
    EXPECT_NE(Db(stored.arg(u"PR.FworkerID"_s)).toInt(), 0);
    desk_->Shot(u"saved"_s);

    // Edit mode on the first work bill: the record filter first, then its history.
    ClickCell(kList, 2, number);
    ClickWidget(u"btnModeEdit"_s);
    WaitForWindow(u"frmInfoFilter"_s);
    desk_->Type(serial);
    desk_->Shot(u"record-filter"_s);
    desk_->Key(u"Return"_s);
    p = WaitFor("the history shows the saved report alone", [&](const Probe& p) {
        return p.Active() == u"frmProc" && p.Cell(kGrid, 2, jss) == u"3" && p.Cell(kGrid, 3, jss).isEmpty();
    });
    desk_->Shot(u"edit-mode"_s);

    // Ctrl+P previews the work bill's reports; the preview's PDF button saves them.
    ClickCell(kGrid, 2, jss);
    desk_->Key(u"ctrl+p"_s);
    WaitForWindow(u"printPreview"_s);
    desk_->Shot(u"print-preview"_s);
    ClickWidget(u"savePdf"_s);
    WaitForWindow(u"saveFile"_s);
    desk_->Type(u"reports"_s);
    desk_->Key(u"Return"_s);
    p = WaitFor("the PDF saved", [](const Probe& p) { return p.Modal() == u"QMessageBox"; });
    EXPECT_TRUE(MessageText(p).startsWith(u"已保存到 "_s)) << MessageText(p).toStdString();
    desk_->Key(u"Return"_s);
    WaitForWindow(u"printPreview"_s);
    desk_->Key(u"Escape"_s);
    WaitFor("back in the workbench", [](const Probe& p) { return p.Active() == u"frmProc"; });
    const auto head = [&](const QString& name, int bytes) {
        QFile file(home_.filePath(name));
        return file.open(QIODevice::ReadOnly) ? file.read(bytes) : QByteArray();
    };
    EXPECT_EQ(head(u"reports.pdf"_s, 4), QByteArray("%PDF"));

    ClickCell(kGrid, 2, jss);
    ClickWidget(u"btnAudit"_s);
    const auto audited = [](const Probe& p) {
        return !p.Enabled(u"btnAudit"_s) && p.Enabled(u"btnUnAudit"_s);
    };
    WaitFor("the report audited", audited);
    EXPECT_EQ(Db(stored.arg(u"PR.Fstatus"_s)).toInt(), 1);
    desk_->Shot(u"audited"_s);
    ClickWidget(u"btnUnAudit"_s);
    WaitFor("the report unaudited", [&](const Probe& p) { return !audited(p) && p.Enabled(u"btnAudit"_s); });
    EXPECT_EQ(Db(stored.arg(u"PR.Fstatus"_s)).toInt(), 0);
    ClickWidget(u"btnEditDel"_s);
    p = WaitFor("the delete question", [](const Probe& p) { return p.Modal() == u"QMessageBox"; });
    EXPECT_EQ(MessageText(p), u"您是否确定要删除当前工序汇报记录？"_s);
    desk_->Shot(u"delete-question"_s);
    Answer({u"是"_s, u"Yes"_s});
    WaitFor("the row gone",
            [&](const Probe& p) { return p.Active() == u"frmProc" && p.Cell(kGrid, 2, jss).isEmpty(); });
    EXPECT_EQ(Db(stored.arg(u"COUNT(*)"_s)).toInt(), 0);

    // The column settings from the Tools menu: the first column hidden, and stored so.
    const QString hiddenColumns = u"SELECT COUNT(*) FROM SHRptDef WHERE Ftype = 'ProcRpt' AND Fshow = 0"_s;
    const int hidden = Db(hiddenColumns).toInt();
    desk_->Key(u"alt+t"_s);
    desk_->Key(u"r"_s);
    p = WaitForWindow(u"frmSetCol"_s);
    EXPECT_FALSE(p.Items(u"ColList"_s).isEmpty());
    desk_->Key(u"space"_s);
    desk_->Shot(u"column-settings"_s);
    ClickWidget(u"cmdOK"_s);
    WaitFor("back in the workbench", [](const Probe& p) { return p.Active() == u"frmProc"; });
    EXPECT_EQ(Db(hiddenColumns).toInt(), hidden + 1);

    // Exit with an unsaved row asks first; No stays, Yes leaves.
    ClickWidget(u"btnModeNew"_s);
    WaitFor("new mode", [](const Probe& p) { return p.Checked(u"btnModeNew"_s); });
    ClickCell(kList, 2, number, 2);
    WaitFor("a new row", [&](const Probe& p) { return p.Cell(kGrid, 2, gph) == first; });

    // Ctrl+E in the list exports the list; the file name offered is taken as it is.
    // (A click in the list of new mode only selects.)
    ClickCell(kList, 2, 1);
    desk_->Key(u"ctrl+e"_s);
    WaitForWindow(u"saveFile"_s);
    desk_->Shot(u"export-dialog"_s);
    desk_->Key(u"Return"_s);
    p = WaitFor("the list exported", [](const Probe& p) { return p.Modal() == u"QMessageBox"; });
    EXPECT_TRUE(MessageText(p).startsWith(u"已导出到 "_s)) << MessageText(p).toStdString();
    desk_->Key(u"Return"_s);
    WaitFor("back in the workbench", [](const Probe& p) { return p.Active() == u"frmProc"; });
    EXPECT_EQ(head(u"工序计划单列表.xlsx"_s, 2), QByteArray("PK"));

    ClickWidget(u"btnFileExit"_s);
    p = WaitFor("the exit question", [](const Probe& p) { return p.Modal() == u"QMessageBox"; });
    EXPECT_TRUE(MessageText(p).startsWith(u"录入或修改尚未保存"_s)) << MessageText(p).toStdString();
    desk_->Shot(u"exit-question"_s);
    Answer({u"否"_s, u"No"_s});
    WaitFor("still open", [](const Probe& p) { return p.Active() == u"frmProc"; });
    EXPECT_TRUE(program->Running());
    ClickWidget(u"btnFileExit"_s);
    WaitFor("the exit question again", [](const Probe& p) { return p.Modal() == u"QMessageBox"; });
    Answer({u"是"_s, u"Yes"_s});
    EXPECT_EQ(program->Finished(30000), 0) << program->Output().toStdString();
    EXPECT_EQ(Db(u"SELECT COUNT(*) FROM SHProcRpt"_s).toInt(), before + 1) << "the dropped row unsaved";
}

// Two programs on one database: the second is refused the work bill the first has open
// in edit mode, and says so; the first, with nothing unsaved, leaves without a question.
TEST_F(WindowTest, ASecondProgramIsRefusedTheSameWorkBill) {
    auto first = Start(0);
    Probe p = OpenWorkbench(0);
    const int number = p.Column(kList, u"工序计划单号"_s);
    ClickCell(kList, 2, number, 1, 0);
    ClickWidget(u"btnModeEdit"_s, 0);
    WaitForWindow(u"frmInfoFilter"_s, 0);
    desk_->Key(u"Return"_s);
    WaitFor(
        "the first program in edit mode", [](const Probe& p) { return p.Active() == u"frmProc"; }, 0);

    auto second = Start(1);
    OpenWorkbench(1);
    ClickCell(kList, 2, number, 1, 1);
    ClickWidget(u"btnModeEdit"_s, 1);
    WaitForWindow(u"frmInfoFilter"_s, 1);
    desk_->Key(u"Return"_s);
    p = WaitFor(
        "the second program is refused", [](const Probe& p) { return p.Modal() == u"QMessageBox"; }, 1);
    EXPECT_EQ(MessageText(p), u"当前使用的功能与其他用户有冲突,目前无法使用!"_s);
    desk_->Shot(u"refused"_s);
    desk_->Key(u"Return"_s);
    WaitFor(
        "the refusal closed", [](const Probe& p) { return p.Active() == u"frmProc"; }, 1);
    ClickWidget(u"btnFileExit"_s, 1);
    EXPECT_EQ(second->Finished(30000), 0) << second->Output().toStdString();
    ClickWidget(u"btnFileExit"_s, 0);
    EXPECT_EQ(first->Finished(30000), 0) << first->Output().toStdString();
}

// On a shared PostgreSQL database whose server asks for passwords (run by ctest beside a
// server of its own that does): clerk A, who may not audit, signs in through the sign-in
// window and saves two reports; clerk B signs in and audits them in the window. The database
// holds each step as the screen says, each under the clerk who did it.
TEST_F(WindowTest, ClerksSignInToASharedDatabase) {
    const QString server = qEnvironmentVariable("SHOPPROC_TEST_PG_URL");
    if (qEnvironmentVariable("SHOPPROC_TEST_PG_AUTH") != u"scram-sha-256"_s)
        GTEST_SKIP()
            << "needs a server that asks for passwords (scripts/with-postgres.sh --auth scram-sha-256)";
    QUrl shop(server);
    shop.setPath(u"/shopfloor"_s);
    const auto sql = [&](const QString& database, const QString& statement) {
        return FirstValue(u"QPSQL"_s, statement, [&](QSqlDatabase& db) {
            db.setHostName(shop.host());
            db.setPort(shop.port());
            db.setUserName(shop.userName());
            db.setPassword(shop.password());
            db.setDatabaseName(database);
        });
    };
    sql(u"postgres"_s, u"CREATE DATABASE shopfloor"_s);
    const auto admin = [&](const QString& line, const QByteArray& input = {}) {
        QProcess p;
        p.start(QStringLiteral(ERP_HOST_PATH), line.split(u' ') << u"--db"_s << shop.toString());
        p.write(input);
        p.closeWriteChannel();
        EXPECT_TRUE(p.waitForFinished(60000) && p.exitCode() == 0)
            << line.toStdString() << ": " << p.readAllStandardError().toStdString();
    };
    admin(u"db init"_s);
    admin(u"db seed-demo"_s);
    admin(u"user add anna --rights 0x620000 --password-stdin"_s, "anna's secret\n");
    admin(u"user add bert --password-stdin"_s, "bert's secret\n");
    const auto signIn = [&](const QString& user, const QString& password) {
        QUrl as = shop;
        as.setUserName(user);
        as.setPassword(QString());
        auto program = Start(0, {u"--db"_s, as.toString()});
        WaitForWindow(u"frmSignIn"_s);
        EXPECT_EQ(Read().Text(u"txtUser"_s), user);
        desk_->Type(password);
        desk_->Shot(u"sign-in-"_s + user);
        desk_->Key(u"Return"_s);
        return program;
    };
    const QString reports =
        u"SELECT COUNT(*) FROM SHProcRpt PR JOIN t_User U ON U.FUserID = PR.%1 WHERE U.FName = '%2' AND "
        "PR.Fstatus = %3"_s;

    // Clerk A: two reports on the first work bill of the list.
    auto anna = signIn(u"anna"_s, u"anna's secret"_s);
    Probe p = OpenWorkbench();
    const int number = p.Column(kList, u"工序计划单号"_s);
    const int gph = p.Column(kGrid, u"GPH"_s), jss = p.Column(kGrid, u"JSS"_s);
    ASSERT_GT(number, 0);
    const QString bill = p.Cell(kList, 2, number);
    for (int row = 2; row <= 3; ++row) {
        ClickCell(kList, 2, number, 2);
        p = WaitFor("a report row of the work bill",
                    [&](const Probe& p) { return p.Cell(kGrid, row, gph) == bill; });
        ClickCell(kGrid, row, jss);
        WaitFor("the received quantity is current",
                [&](const Probe& p) { return p.Current(kGrid) == std::pair(row, jss); });
        desk_->Type(u"1"_s);
        desk_->Key(u"Return"_s);
        WaitFor("Enter moves on", [&](const Probe& p) { return p.Current(kGrid).second > jss; });
    }
    desk_->Shot(u"anna-typed"_s);
    ClickWidget(u"btnFileSave"_s);
    WaitFor("the save is done", [&](const Probe& p) { return !p.Enabled(u"btnFileSave"_s); });
    EXPECT_EQ(sql(u"shopfloor"_s, reports.arg(u"FbillerID"_s, u"anna"_s).arg(0)).toInt(), 2);
    ClickWidget(u"btnFileExit"_s);
    EXPECT_EQ(anna->Finished(30000), 0) << anna->Output().toStdString();

    // Clerk B: the work bill in edit mode, both reports audited.
    auto bert = signIn(u"bert"_s, u"bert's secret"_s);
    p = OpenWorkbench();
    for (int row = 2; !p.Cell(kList, row, number).isEmpty(); ++row)
        if (p.Cell(kList, row, number) == bill) {
            ClickCell(kList, row, number);
            break;
        }
    ClickWidget(u"btnModeEdit"_s);
    WaitForWindow(u"frmInfoFilter"_s);
    desk_->Key(u"Return"_s);
    p = WaitFor("the history of the work bill",
                [&](const Probe& p) { return p.Active() == u"frmProc" && !p.Cell(kGrid, 2, jss).isEmpty(); });
    const int hbxh = p.Column(kGrid, u"HBXH"_s);
    int audits = 0;
    for (int row = 2; !p.Cell(kGrid, row, hbxh).isEmpty(); ++row) {
        if (p.Cell(kGrid, row, jss) != u"1")
            continue;
        ClickCell(kGrid, row, jss);
        WaitFor("the report is current", [&](const Probe& p) { return p.Current(kGrid).first == row; });
        ClickWidget(u"btnAudit"_s);
        p = WaitFor("the report audited", [](const Probe& p) { return p.Enabled(u"btnUnAudit"_s); });
        ++audits;
    }
    desk_->Shot(u"bert-audited"_s);
    EXPECT_EQ(audits, 2);
    EXPECT_EQ(sql(u"shopfloor"_s, reports.arg(u"FcheckerID"_s, u"bert"_s).arg(1)).toInt(), 2);
    ClickWidget(u"btnFileExit"_s);
    EXPECT_EQ(bert->Finished(30000), 0) << bert->Output().toStdString();
}

}  // namespace
}  // namespace sp::test

namespace sp::test {
namespace {

// A supervisor's summary: F9 opens it on this month by team and worker, a double click
// lists a group's reports, which go to a spreadsheet and to the print preview, and a
// double click on one opens it in the workbench in edit mode, its row current.
TEST_F(WindowTest, ASupervisorsSummary) {
    auto program = Start();
    OpenWorkbench();
    desk_->Key(u"F9"_s);
    WaitForWindow(u"frmSummary"_s);
    const QString summary = u"vlgSummary"_s;
    const QString reports = u"vlgSummaryReports"_s;
    Probe p =
        WaitFor("the summary's groups", [&](const Probe& p) { return !p.Cell(summary, 3, 1).isEmpty(); });
    desk_->Shot(u"summary"_s);
    ClickCell(summary, 3, 2, 2);
    p = WaitFor("the group's reports", [&](const Probe& p) { return !p.Cell(reports, 2, 1).isEmpty(); });
    desk_->Shot(u"summary-reports"_s);
    const QString bill = p.Cell(reports, 2, 1);
    const QString serial = p.Cell(reports, 2, 2);

    desk_->Key(u"ctrl+e"_s);
    WaitForWindow(u"saveFile"_s);
    desk_->Type(u"wages"_s);
    desk_->Key(u"Return"_s);
    p = WaitFor("the reports exported", [](const Probe& p) { return p.Modal() == u"QMessageBox"; });
    EXPECT_TRUE(MessageText(p).startsWith(u"已导出到 "_s)) << MessageText(p).toStdString();
    desk_->Key(u"Return"_s);
    QFile xlsx(home_.filePath(u"wages.xlsx"_s));
    EXPECT_TRUE(xlsx.open(QIODevice::ReadOnly) && xlsx.read(2) == "PK");
    WaitForWindow(u"frmSummary"_s);
    desk_->Key(u"ctrl+p"_s);
    WaitForWindow(u"printPreview"_s);
    desk_->Shot(u"summary-print"_s);
    desk_->Key(u"Escape"_s);
    WaitForWindow(u"frmSummary"_s);

    ClickCell(reports, 2, 1, 2);
    p = WaitFor("the report in the workbench", [&](const Probe& p) {
        return p.Active() == u"frmProc" && p.Checked(u"btnModeEdit"_s) && p.Current(kGrid).first >= 2;
    });
    const int hbxh = p.Column(kGrid, u"HBXH"_s);
    EXPECT_EQ(p.Cell(kGrid, p.Current(kGrid).first, hbxh), serial) << bill.toStdString();
    ClickWidget(u"btnFileExit"_s);
    EXPECT_EQ(program->Finished(30000), 0) << program->Output().toStdString();
}

}  // namespace
}  // namespace sp::test
