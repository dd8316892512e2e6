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

const QString kList = QStringLiteral("vlgList");
const QString kGrid = QStringLiteral("vlgProc");

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

    QString ProbePath(int program = 0) const {
        return home_.filePath(QStringLiteral("probe%1.txt").arg(program));
    }
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
                              << desk_->Shot(QStringLiteral("timeout")).toStdString() << "\n"
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
            qPrintable(name + QStringLiteral(" is the active window")),
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
                if (line.startsWith(QStringLiteral("widget\t") + p.Modal() + QStringLiteral("\t@") + w)) {
                    ClickWidget(line.section(u'\t', 2, 2), program);
                    return;
                }
        ADD_FAILURE() << "no button " << words.join(u'/').toStdString() << " in\n" << p.Raw().toStdString();
    }
    QString MessageText(const Probe& p) const {
        for (const QString& line : p.Raw().split(u'\n'))
            if (line.startsWith(QStringLiteral("widget\t") + p.Modal() + QStringLiteral("\tqt_msgbox_label")))
                return line.section(u'\t', 9);
        return {};
    }

    // The demo database the program made in its home, read-only.
    QVariant Db(const QString& sql) const {
        QVariant value;
        {
            QSqlDatabase db =
                QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("window-test"));
            db.setDatabaseName(home_.filePath(QStringLiteral(".local/share/ShopProc/erp-host/demo.db")));
            db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_BUSY_TIMEOUT=5000"));
            if (db.open()) {
                QSqlQuery q(db);
                if (q.exec(sql) && q.next())
                    value = q.value(0);
            }
        }
        QSqlDatabase::removeDatabase(QStringLiteral("window-test"));
        return value;
    }

    // From the filter dialog as it opens to the workbench showing its list.
    Probe OpenWorkbench(int program = 0) {
        WaitForWindow(QStringLiteral("frmWageFilter"), program);
        ClickWidget(QStringLiteral("cmdOK"), program);
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
    WaitForWindow(QStringLiteral("frmWageFilter"));
    desk_->Shot(QStringLiteral("filter"));

    // A department from its lookup (the "..." beside the first box), then a saved plan.
    ClickWidget(QStringLiteral("cmdItem_0"));
    WaitForWindow(QStringLiteral("ItemLookUp"));
    desk_->Shot(QStringLiteral("filter-lookup"));
    desk_->Key(QStringLiteral("Down Return"));  // the first workshop under the department
    Probe p = WaitFor("the department is in its box and the keyboard back in the dialog", [](const Probe& p) {
        return !p.Text(QStringLiteral("txtItem_0")).isEmpty() && p.Active() == u"frmWageFilter";
    });
    ClickWidget(QStringLiteral("tlbSave"));
    WaitForWindow(QStringLiteral("QInputDialog"));
    desk_->Type(QStringLiteral("day plan"));
    desk_->Key(QStringLiteral("Return"));
    p = WaitFor("the plan is listed", [](const Probe& p) {
        return p.Items(QStringLiteral("lvwProject")).contains(QStringLiteral("day plan"));
    });
    EXPECT_GT(Db(QStringLiteral("SELECT COUNT(*) FROM t_FilterPlan WHERE FPlan = 'day plan'")).toInt(), 0);
    desk_->Shot(QStringLiteral("filter-plan"));

    p = OpenWorkbench();
    desk_->Shot(QStringLiteral("workbench"));
    const int number = p.Column(kList, QStringLiteral("工序计划单号"));
    ASSERT_GT(number, 0);
    const QString first = p.Cell(kList, 2, number), second = p.Cell(kList, 3, number);
    const int gph = p.Column(kGrid, QStringLiteral("GPH")), hbxh = p.Column(kGrid, QStringLiteral("HBXH"));
    ASSERT_GT(gph, 0);
    const int before = Db(QStringLiteral("SELECT COUNT(*) FROM SHProcRpt")).toInt();

    // A double click on a work bill starts its report; its number typed starts another.
    ClickCell(kList, 2, number, 2);
    p = WaitFor("the first work bill's report row", [&](const Probe& p) {
        return p.Cell(kGrid, 2, gph) == first && !p.Cell(kGrid, 2, hbxh).isEmpty();
    });
    ClickCell(kGrid, 3, gph);
    desk_->Type(second);
    desk_->Key(QStringLiteral("Return"));
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
            return p.Current(kGrid) == std::pair(2, col) && p.Enabled(QStringLiteral("btnEditView")) &&
                   p.Text(QStringLiteral("btnSttInfo")) == u"按F7查找相关信息";
        });
        desk_->Key(QStringLiteral("F7"));
        WaitFor("its lookup is up",
                [](const Probe& p) { return p.Modal() != u"frmProc" && p.Active() == p.Modal(); });
        if (QString::fromLatin1(code) == u"BZ")
            desk_->Shot(QStringLiteral("team-lookup"));
        desk_->Key(QStringLiteral("Return"));
        p = WaitFor("the pick is in the cell and the keyboard back in the grid", [&](const Probe& p) {
            return !p.Cell(kGrid, 2, col).isEmpty() && p.Active() == u"frmProc" &&
                   p.Current(kGrid).first == 2;
        });
    }

    // Quantities typed with Enter moving on through the row.
    const int jss = p.Column(kGrid, QStringLiteral("JSS"));
    ClickCell(kGrid, 2, jss);
    WaitFor("the received quantity is current",
            [&](const Probe& p) { return p.Current(kGrid) == std::pair(2, jss); });
    int col = jss;
    for (const char* quantity : {"3", "3", "3"}) {
        desk_->Type(QString::fromLatin1(quantity));
        desk_->Key(QStringLiteral("Return"));
        p = WaitFor("Enter moves on in the row",
                    [&](const Probe& p) { return p.Current(kGrid).second > col; });
        col = p.Current(kGrid).second;
    }
    EXPECT_EQ(p.Cell(kGrid, 2, jss), QStringLiteral("3"));
    desk_->Shot(QStringLiteral("new-rows"));

    ClickWidget(QStringLiteral("btnFileSave"));
    WaitFor("the save is done", [&](const Probe& p) { return !p.Enabled(QStringLiteral("btnFileSave")); });
    EXPECT_EQ(Db(QStringLiteral("SELECT COUNT(*) FROM SHProcRpt")).toInt(), before + 2);
    const QString serial =
        Db(QStringLiteral(
               "SELECT MAX(PR.Fserial) FROM SHProcRpt PR JOIN SHWorkBillEntry WBE ON WBE.FWBInterID = "
               "PR.FWBInterID WHERE WBE.FWorkBillNO = '%1'")
               .arg(first))
            .toString();
    const QString stored =
        QStringLiteral(
            "SELECT %1 FROM SHProcRpt PR JOIN SHWorkBillEntry WBE ON WBE.FWBInterID = PR.FWBInterID "
            "WHERE WBE.FWorkBillNO = '%2' AND PR.Fserial = %3")
            .arg(QStringLiteral("%1"), first, serial);
    EXPECT_EQ(Db(stored.arg(QStringLiteral("PR.FAuxQtyReceive"))).toDouble(), 3.0);
    EXPECT_NE(Db(stored.arg(QStringLiteral("PR.FworkerID"))).toInt(), 0);
    desk_->Shot(QStringLiteral("saved"));

    // Edit mode on the first work bill: the record filter first, then its history.
    ClickCell(kList, 2, number);
    ClickWidget(QStringLiteral("btnModeEdit"));
    WaitForWindow(QStringLiteral("frmInfoFilter"));
    desk_->Type(serial);
    desk_->Shot(QStringLiteral("record-filter"));
    desk_->Key(QStringLiteral("Return"));
    p = WaitFor("the history shows the saved report alone", [&](const Probe& p) {
        return p.Active() == u"frmProc" && p.Cell(kGrid, 2, jss) == u"3" && p.Cell(kGrid, 3, jss).isEmpty();
    });
    desk_->Shot(QStringLiteral("edit-mode"));

    // Ctrl+P previews the work bill's reports; the preview's PDF button saves them.
    ClickCell(kGrid, 2, jss);
    desk_->Key(QStringLiteral("ctrl+p"));
    WaitForWindow(QStringLiteral("printPreview"));
    desk_->Shot(QStringLiteral("print-preview"));
    ClickWidget(QStringLiteral("savePdf"));
    WaitForWindow(QStringLiteral("saveFile"));
    desk_->Type(QStringLiteral("reports"));
    desk_->Key(QStringLiteral("Return"));
    p = WaitFor("the PDF saved", [](const Probe& p) { return p.Modal() == u"QMessageBox"; });
    EXPECT_TRUE(MessageText(p).startsWith(QStringLiteral("已保存到 "))) << MessageText(p).toStdString();
    desk_->Key(QStringLiteral("Return"));
    WaitForWindow(QStringLiteral("printPreview"));
    desk_->Key(QStringLiteral("Escape"));
    WaitFor("back in the workbench", [](const Probe& p) { return p.Active() == u"frmProc"; });
    const auto head = [&](const QString& name, int bytes) {
        QFile file(home_.filePath(name));
        return file.open(QIODevice::ReadOnly) ? file.read(bytes) : QByteArray();
    };
    EXPECT_EQ(head(QStringLiteral("reports.pdf"), 4), QByteArray("%PDF"));

    ClickCell(kGrid, 2, jss);
    ClickWidget(QStringLiteral("btnAudit"));
    const auto audited = [](const Probe& p) {
        return !p.Enabled(QStringLiteral("btnAudit")) && p.Enabled(QStringLiteral("btnUnAudit"));
    };
    WaitFor("the report audited", audited);
    EXPECT_EQ(Db(stored.arg(QStringLiteral("PR.Fstatus"))).toInt(), 1);
    desk_->Shot(QStringLiteral("audited"));
    ClickWidget(QStringLiteral("btnUnAudit"));
    WaitFor("the report unaudited",
            [&](const Probe& p) { return !audited(p) && p.Enabled(QStringLiteral("btnAudit")); });
    EXPECT_EQ(Db(stored.arg(QStringLiteral("PR.Fstatus"))).toInt(), 0);
    ClickWidget(QStringLiteral("btnEditDel"));
    p = WaitFor("the delete question", [](const Probe& p) { return p.Modal() == u"QMessageBox"; });
    EXPECT_EQ(MessageText(p), QStringLiteral("您是否确定要删除当前工序汇报记录？"));
    desk_->Shot(QStringLiteral("delete-question"));
    Answer({QStringLiteral("是"), QStringLiteral("Yes")});
    WaitFor("the row gone",
            [&](const Probe& p) { return p.Active() == u"frmProc" && p.Cell(kGrid, 2, jss).isEmpty(); });
    EXPECT_EQ(Db(stored.arg(QStringLiteral("COUNT(*)"))).toInt(), 0);

    // The column settings from the Tools menu: the first column hidden, and stored so.
    const QString hiddenColumns =
        QStringLiteral("SELECT COUNT(*) FROM SHRptDef WHERE Ftype = 'ProcRpt' AND Fshow = 0");
    const int hidden = Db(hiddenColumns).toInt();
    desk_->Key(QStringLiteral("alt+t"));
    desk_->Key(QStringLiteral("r"));
    p = WaitForWindow(QStringLiteral("frmSetCol"));
    EXPECT_FALSE(p.Items(QStringLiteral("ColList")).isEmpty());
    desk_->Key(QStringLiteral("space"));
    desk_->Shot(QStringLiteral("column-settings"));
    ClickWidget(QStringLiteral("cmdOK"));
    WaitFor("back in the workbench", [](const Probe& p) { return p.Active() == u"frmProc"; });
    EXPECT_EQ(Db(hiddenColumns).toInt(), hidden + 1);

    // Exit with an unsaved row asks first; No stays, Yes leaves.
    ClickWidget(QStringLiteral("btnModeNew"));
    WaitFor("new mode", [](const Probe& p) { return p.Checked(QStringLiteral("btnModeNew")); });
    ClickCell(kList, 2, number, 2);
    WaitFor("a new row", [&](const Probe& p) { return p.Cell(kGrid, 2, gph) == first; });

    // Ctrl+E in the list exports the list; the file name offered is taken as it is.
    // (A click in the list of new mode only selects.)
    ClickCell(kList, 2, 1);
    desk_->Key(QStringLiteral("ctrl+e"));
    WaitForWindow(QStringLiteral("saveFile"));
    desk_->Shot(QStringLiteral("export-dialog"));
    desk_->Key(QStringLiteral("Return"));
    p = WaitFor("the list exported", [](const Probe& p) { return p.Modal() == u"QMessageBox"; });
    EXPECT_TRUE(MessageText(p).startsWith(QStringLiteral("已导出到 "))) << MessageText(p).toStdString();
    desk_->Key(QStringLiteral("Return"));
    WaitFor("back in the workbench", [](const Probe& p) { return p.Active() == u"frmProc"; });
    EXPECT_EQ(head(QStringLiteral("工序计划单列表.xlsx"), 2), QByteArray("PK"));

    ClickWidget(QStringLiteral("btnFileExit"));
    p = WaitFor("the exit question", [](const Probe& p) { return p.Modal() == u"QMessageBox"; });
    EXPECT_TRUE(MessageText(p).startsWith(QStringLiteral("录入或修改尚未保存")))
        << MessageText(p).toStdString();
    desk_->Shot(QStringLiteral("exit-question"));
    Answer({QStringLiteral("否"), QStringLiteral("No")});
    WaitFor("still open", [](const Probe& p) { return p.Active() == u"frmProc"; });
    EXPECT_TRUE(program->Running());
    ClickWidget(QStringLiteral("btnFileExit"));
    WaitFor("the exit question again", [](const Probe& p) { return p.Modal() == u"QMessageBox"; });
    Answer({QStringLiteral("是"), QStringLiteral("Yes")});
    EXPECT_EQ(program->Finished(30000), 0) << program->Output().toStdString();
    EXPECT_EQ(Db(QStringLiteral("SELECT COUNT(*) FROM SHProcRpt")).toInt(), before + 1)
        << "the dropped row unsaved";
}

// Two programs on one database: the second is refused the work bill the first has open
// in edit mode, and says so; the first, with nothing unsaved, leaves without a question.
TEST_F(WindowTest, ASecondProgramIsRefusedTheSameWorkBill) {
    auto first = Start(0);
    Probe p = OpenWorkbench(0);
    const int number = p.Column(kList, QStringLiteral("工序计划单号"));
    ClickCell(kList, 2, number, 1, 0);
    ClickWidget(QStringLiteral("btnModeEdit"), 0);
    WaitForWindow(QStringLiteral("frmInfoFilter"), 0);
    desk_->Key(QStringLiteral("Return"));
    WaitFor(
        "the first program in edit mode", [](const Probe& p) { return p.Active() == u"frmProc"; }, 0);

    auto second = Start(1);
    OpenWorkbench(1);
    ClickCell(kList, 2, number, 1, 1);
    ClickWidget(QStringLiteral("btnModeEdit"), 1);
    WaitForWindow(QStringLiteral("frmInfoFilter"), 1);
    desk_->Key(QStringLiteral("Return"));
    p = WaitFor(
        "the second program is refused", [](const Probe& p) { return p.Modal() == u"QMessageBox"; }, 1);
    EXPECT_EQ(MessageText(p), QStringLiteral("当前使用的功能与其他用户有冲突,目前无法使用!"));
    desk_->Shot(QStringLiteral("refused"));
    desk_->Key(QStringLiteral("Return"));
    WaitFor(
        "the refusal closed", [](const Probe& p) { return p.Active() == u"frmProc"; }, 1);
    ClickWidget(QStringLiteral("btnFileExit"), 1);
    EXPECT_EQ(second->Finished(30000), 0) << second->Output().toStdString();
    ClickWidget(QStringLiteral("btnFileExit"), 0);
    EXPECT_EQ(first->Finished(30000), 0) << first->Output().toStdString();
}

// On a shared PostgreSQL database whose server asks for passwords (run by ctest beside a
// server of its own that does): clerk A, who may not audit, signs in through the sign-in
// window and saves two reports; clerk B signs in and audits them in the window. The database
// holds each step as the screen says, each under the clerk who did it.
TEST_F(WindowTest, ClerksSignInToASharedDatabase) {
    const QString server = qEnvironmentVariable("SHOPPROC_TEST_PG_URL");
    if (qEnvironmentVariable("SHOPPROC_TEST_PG_AUTH") != QStringLiteral("scram-sha-256"))
        GTEST_SKIP()
            << "needs a server that asks for passwords (scripts/with-postgres.sh --auth scram-sha-256)";
    QUrl shop(server);
    shop.setPath(QStringLiteral("/shopfloor"));
    const auto sql = [&](const QString& database, const QString& statement) {
        QVariant value;
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), QStringLiteral("window-pg"));
            db.setHostName(shop.host());
            db.setPort(shop.port());
            db.setUserName(shop.userName());
            db.setPassword(shop.password());
            db.setDatabaseName(database);
            if (db.open()) {
                QSqlQuery q(db);
                if (q.exec(statement) && q.next())
                    value = q.value(0);
            }
        }
        QSqlDatabase::removeDatabase(QStringLiteral("window-pg"));
        return value;
    };
    sql(QStringLiteral("postgres"), QStringLiteral("CREATE DATABASE shopfloor"));
    const auto admin = [&](QStringList args, const QByteArray& input = {}) {
        QProcess p;
        p.start(QStringLiteral(ERP_HOST_PATH), args << QStringLiteral("--db") << shop.toString());
        p.write(input);
        p.closeWriteChannel();
        EXPECT_TRUE(p.waitForFinished(60000) && p.exitCode() == 0)
            << args.join(u' ').toStdString() << ": " << p.readAllStandardError().toStdString();
    };
    admin({QStringLiteral("db"), QStringLiteral("init")});
    admin({QStringLiteral("db"), QStringLiteral("seed-demo")});
    admin({QStringLiteral("user"), QStringLiteral("add"), QStringLiteral("anna"), QStringLiteral("--rights"),
           QStringLiteral("0x620000"), QStringLiteral("--password-stdin")},
          "anna's secret\n");
    admin({QStringLiteral("user"), QStringLiteral("add"), QStringLiteral("bert"),
           QStringLiteral("--password-stdin")},
          "bert's secret\n");
    const auto signIn = [&](const QString& user, const QString& password) {
        QUrl as = shop;
        as.setUserName(user);
        as.setPassword(QString());
        auto program = Start(0, {QStringLiteral("--db"), as.toString()});
        WaitForWindow(QStringLiteral("frmSignIn"));
        EXPECT_EQ(Read().Text(QStringLiteral("txtUser")), user);
        desk_->Type(password);
        desk_->Shot(QStringLiteral("sign-in-") + user);
        desk_->Key(QStringLiteral("Return"));
        return program;
    };
    const QString reports = QStringLiteral(
        "SELECT COUNT(*) FROM SHProcRpt PR JOIN t_User U ON U.FUserID = PR.%1 WHERE U.FName = '%2' AND "
        "PR.Fstatus = %3");

    // Clerk A: two reports on the first work bill of the list.
    auto anna = signIn(QStringLiteral("anna"), QStringLiteral("anna's secret"));
    Probe p = OpenWorkbench();
    const int number = p.Column(kList, QStringLiteral("工序计划单号"));
    const int gph = p.Column(kGrid, QStringLiteral("GPH")), jss = p.Column(kGrid, QStringLiteral("JSS"));
    ASSERT_GT(number, 0);
    const QString bill = p.Cell(kList, 2, number);
    for (int row = 2; row <= 3; ++row) {
        ClickCell(kList, 2, number, 2);
        p = WaitFor("a report row of the work bill",
                    [&](const Probe& p) { return p.Cell(kGrid, row, gph) == bill; });
        ClickCell(kGrid, row, jss);
        WaitFor("the received quantity is current",
                [&](const Probe& p) { return p.Current(kGrid) == std::pair(row, jss); });
        desk_->Type(QStringLiteral("1"));
        desk_->Key(QStringLiteral("Return"));
        WaitFor("Enter moves on", [&](const Probe& p) { return p.Current(kGrid).second > jss; });
    }
    desk_->Shot(QStringLiteral("anna-typed"));
    ClickWidget(QStringLiteral("btnFileSave"));
    WaitFor("the save is done", [&](const Probe& p) { return !p.Enabled(QStringLiteral("btnFileSave")); });
    EXPECT_EQ(sql(QStringLiteral("shopfloor"),
                  reports.arg(QStringLiteral("FbillerID"), QStringLiteral("anna")).arg(0))
                  .toInt(),
              2);
    ClickWidget(QStringLiteral("btnFileExit"));
    EXPECT_EQ(anna->Finished(30000), 0) << anna->Output().toStdString();

    // Clerk B: the work bill in edit mode, both reports audited.
    auto bert = signIn(QStringLiteral("bert"), QStringLiteral("bert's secret"));
    p = OpenWorkbench();
    for (int row = 2; !p.Cell(kList, row, number).isEmpty(); ++row)
        if (p.Cell(kList, row, number) == bill) {
            ClickCell(kList, row, number);
            break;
        }
    ClickWidget(QStringLiteral("btnModeEdit"));
    WaitForWindow(QStringLiteral("frmInfoFilter"));
    desk_->Key(QStringLiteral("Return"));
    p = WaitFor("the history of the work bill",
                [&](const Probe& p) { return p.Active() == u"frmProc" && !p.Cell(kGrid, 2, jss).isEmpty(); });
    const int hbxh = p.Column(kGrid, QStringLiteral("HBXH"));
    int audits = 0;
    for (int row = 2; !p.Cell(kGrid, row, hbxh).isEmpty(); ++row) {
        if (p.Cell(kGrid, row, jss) != u"1")
            continue;
        ClickCell(kGrid, row, jss);
        WaitFor("the report is current", [&](const Probe& p) { return p.Current(kGrid).first == row; });
        ClickWidget(QStringLiteral("btnAudit"));
        p = WaitFor("the report audited",
                    [](const Probe& p) { return p.Enabled(QStringLiteral("btnUnAudit")); });
        ++audits;
    }
    desk_->Shot(QStringLiteral("bert-audited"));
    EXPECT_EQ(audits, 2);
    EXPECT_EQ(sql(QStringLiteral("shopfloor"),
                  reports.arg(QStringLiteral("FcheckerID"), QStringLiteral("bert")).arg(1))
                  .toInt(),
              2);
    ClickWidget(QStringLiteral("btnFileExit"));
    EXPECT_EQ(bert->Finished(30000), 0) << bert->Output().toStdString();
}

}  // namespace
}  // namespace sp::test
