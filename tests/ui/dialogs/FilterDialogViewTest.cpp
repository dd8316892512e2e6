#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QToolButton>

#include "src/filters/FilterBounds.h"
#include "src/filters/frmWageFilter.h"
#include "src/navigation/frmList.h"
#include "src/reportgrid/frmInfoFilter.h"
#include "tests/filters/FilterFakes.h"
#include "ui/controls/QtUi.h"
#include "ui/dialogs/FilterDialogViews.h"
#include "ui/dialogs/PickListTableModel.h"

using namespace sp;

namespace {

// The real window of the filter dialog, driven by keys and clicks.
TEST(FilterDialogView, TypedBoundsArriveInTheDictionaryWithoutRefusedCharacters) {
    RegisterFilterDialogViews();
    QtUi screen;
    test::FilterHarness h(&screen);
    h.plans->stored = {QStringLiteral("A")};

    QString title;
    int planItems = 0;
    screen.SetShownHook([&](QWidget* window) {
        ASSERT_EQ(window->objectName(), QStringLiteral("frmWageFilter"));
        title = window->windowTitle();
        // For a person to look at: SHOPPROC_SCREENSHOT_DIR=/some/folder.
        const QString shots = qEnvironmentVariable("SHOPPROC_SCREENSHOT_DIR");
        if (!shots.isEmpty())
            window->grab().save(shots + QStringLiteral("/frmWageFilter.png"));
        planItems = window->findChild<QListWidget*>(QStringLiteral("lvwProject"))->count();
        auto* from = window->findChild<QLineEdit*>(QStringLiteral("txtItem_0"));
        auto* to = window->findChild<QLineEdit*>(QStringLiteral("txtItem_1"));
        ASSERT_TRUE(from && to);
        from->setFocus();
        QTest::keyClicks(from, QStringLiteral(" A#1'|"));
        // Enter moves on to the next field instead of closing the dialog.
        QTest::keyClick(from, Qt::Key_Return);
        EXPECT_TRUE(window->isVisible());
        QApplication::clipboard()->setText(QStringLiteral("Z'9#"));
        to->setFocus();
        to->paste();
        EXPECT_EQ(to->text(), QStringLiteral("Z9"));
        auto* ok = window->findChild<QPushButton*>(QStringLiteral("cmdOK"));
        ASSERT_TRUE(ok);
        QTest::mouseClick(ok, Qt::LeftButton);
    });

    frmWageFilter dialog(*h.host);
    dialog.SetRptID(600);
    dialog.ShowModal();

    EXPECT_EQ(title, QStringLiteral("过滤条件"));
    EXPECT_EQ(planItems, 2);
    DictionaryPtr result = dialog.Result();
    ASSERT_TRUE(result);
    EXPECT_TRUE(result->Item(QStringLiteral("OK")).toBool());
    EXPECT_EQ(result->Item(QStringLiteral("BDept")).toString(), QStringLiteral(" A1"));
    EXPECT_EQ(result->Item(QStringLiteral("EDept")).toString(), QStringLiteral("Z9"));
    EXPECT_EQ(result->Item(QStringLiteral("BWC")).toString(), QString());
    EXPECT_EQ(h.settings->sections.value(QStringLiteral("Q8SHProcRpt600")).value(QStringLiteral("BDept")),
              QStringLiteral(" A1"));
}

// Enter in a bound box moves on as Tab does: through each row's "from" and "to" box to
// the next row, past the lookup buttons, so nothing typed is lost and no lookup opens.
TEST(FilterDialogView, EnterWalksTheBoundBoxesInOrderAndOpensNoLookup) {
    RegisterFilterDialogViews();
    QtUi screen;
    test::FilterHarness h(&screen);
    QStringList windows, focused;
    screen.SetShownHook([&](QWidget* window) {
        windows << window->objectName();
        if (window->objectName() != QStringLiteral("frmWageFilter")) {
            window->close();
            return;
        }
        window->findChild<QLineEdit*>(QStringLiteral("txtItem_0"))->setFocus();
        for (int i = 0; i < kFilterBoxCount; ++i) {
            QWidget* box = window->focusWidget();
            focused << box->objectName();
            QTest::keyClicks(box, QStringLiteral("B%1").arg(i));
            QTest::keyClick(box, Qt::Key_Return);
        }
        // Past the last box the walk goes on to the dates, not to a lookup button.
        EXPECT_EQ(qobject_cast<QToolButton*>(window->focusWidget()), nullptr);
        for (int i = 0; i < kFilterBoxCount; ++i)
            EXPECT_EQ(window->findChild<QLineEdit*>(QStringLiteral("txtItem_%1").arg(i))->text(),
                      QStringLiteral("B%1").arg(i));
        QTest::mouseClick(window->findChild<QPushButton*>(QStringLiteral("cmdOK")), Qt::LeftButton);
    });
    frmWageFilter dialog(*h.host);
    dialog.SetRptID(600);
    dialog.ShowModal();

    QStringList boxes;
    for (int i = 0; i < kFilterBoxCount; ++i) boxes << QStringLiteral("txtItem_%1").arg(i);
    EXPECT_EQ(focused, boxes);
    EXPECT_EQ(windows, QStringList{QStringLiteral("frmWageFilter")});
    EXPECT_TRUE(h.lookups->calls.isEmpty());
    for (int i = 0; i < kFilterBoxCount; ++i) EXPECT_EQ(dialog.txtItem(i), QStringLiteral("B%1").arg(i));
}

// The list form over a long list: OK or Enter maps to "SelectOK" with the row the user
// chose (with the mouse, or with Down from the search box into the list), Escape to "Exit".
TEST(FilterDialogView, ListFormPicksTheChosenRowOrCancels) {
    RegisterFilterDialogViews();
    QtUi screen;
    test::FilterHarness h(&screen);
    for (int i = 1; i <= 20000; ++i)
        h.lists->rows.append({i, 1, QStringLiteral("WB%1").arg(i, 5, 10, QLatin1Char('0'))});

    const auto keys = [](const QString& typed, QList<Qt::Key> pressed) {
        return [typed, pressed](QWidget* window) {
            auto* search = window->findChild<QLineEdit*>(QStringLiteral("txtSearch"));
            search->setFocus();
            QTest::keyClicks(search, typed);
            for (Qt::Key key : pressed) QTest::keyClick(window->focusWidget(), key);
        };
    };
    struct Case {
        const char* what;
        std::function<void(QWidget*)> act;
        QString picked;  // empty: cancelled
        int rowsShown = 20000;
    };
    const Case cases[] = {
        {"a row chosen with the mouse, then OK",
         [](QWidget* window) {
             auto* table = window->findChild<QTableView*>(QStringLiteral("lstRows"));
             table->setCurrentIndex(table->model()->index(4, 0));
             QTest::mouseClick(window->findChild<QPushButton*>(QStringLiteral("cmdOK")), Qt::LeftButton);
         },
         QStringLiteral("WB00005")},
        {"Down enters the list below the current row, Down again, Enter",
         keys(QString(), {Qt::Key_Down, Qt::Key_Down, Qt::Key_Return}), QStringLiteral("WB00003")},
        {"Down right after typing searches first",
         keys(QStringLiteral("WB0001"), {Qt::Key_Down, Qt::Key_Return}), QStringLiteral("WB00011"), 10},
        {"Enter in the search box picks the first hit", keys(QStringLiteral("WB0002"), {Qt::Key_Return}),
         QStringLiteral("WB00020"), 10},
        {"Escape cancels", [](QWidget* window) { QTest::keyClick(window, Qt::Key_Escape); }, QString()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        int rowsShown = 0;
        screen.SetShownHook([&](QWidget* window) {
            c.act(window);
            rowsShown = window->findChild<QTableView*>(QStringLiteral("lstRows"))->model()->rowCount();
        });
        frmList form(*h.host);
        form.SetListID(601);
        form.InitData();
        form.ShowModal();
        EXPECT_EQ(rowsShown, c.rowsShown);
        ASSERT_EQ(form.OK(), !c.picked.isEmpty());
        if (form.OK()) {
            EXPECT_EQ(form.Selected()->Item(1).Value(QStringLiteral("FBillNo")).toString(), c.picked);
        }
    }
}

TEST(FilterDialogView, PickListAdapterStaysConsistentAcrossSearches) {
    test::FilterHarness h;
    for (int i = 1; i <= 300; ++i)
        h.lists->rows.append({i, 1, QStringLiteral("WB%1").arg(i, 5, 10, QLatin1Char('0'))});
    frmList form(*h.host);
    form.SetListID(601);
    form.InitData();
    PickListTableModel model(form);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    EXPECT_EQ(model.rowCount(), 300);
    EXPECT_EQ(model.headerData(0, Qt::Horizontal).toString(), QStringLiteral("单号"));
    for (const QString& search : {QStringLiteral("WB001"), QStringLiteral("none"), QString()}) {
        form.SetSearchText(search);
        model.Reset();
        EXPECT_EQ(model.rowCount(), form.RowCount());
    }
    EXPECT_EQ(model.rowCount(), 300);
}

}  // namespace

namespace {

// The record info filter's window: a confirm hands over the serial's leading digits and
// the memo quoted for SQL; a cancel leaves no dictionary; a plain close leaves an empty one.
TEST(InfoFilterView, ConfirmCancelAndCloseGiveTheirResults) {
    RegisterFilterDialogViews();
    QtUi screen;
    enum class Way { Confirm, Cancel, Close };
    for (Way way : {Way::Confirm, Way::Cancel, Way::Close}) {
        frmInfoFilter model;
        screen.SetShownHook([&](QWidget* window) {
            ASSERT_EQ(window->objectName(), QStringLiteral("frmInfoFilter"));
            window->findChild<QLineEdit*>(QStringLiteral("txtItem0"))->setText(QStringLiteral("3ab"));
            window->findChild<QLineEdit*>(QStringLiteral("txtItem1"))->setText(QStringLiteral("O'Brien"));
            if (way == Way::Close)
                window->close();
            else
                window
                    ->findChild<QPushButton*>(way == Way::Confirm ? QStringLiteral("cmdOK")
                                                                  : QStringLiteral("cmdCancel"))
                    ->click();
        });
        screen.ShowModal(model);
        if (way == Way::Cancel) {
            EXPECT_EQ(model.Result(), nullptr);
            continue;
        }
        ASSERT_NE(model.Result(), nullptr);
        if (way == Way::Confirm) {
            EXPECT_EQ(model.Result()->Item(QStringLiteral("FSerial")).toDouble(), 3.0);
            EXPECT_EQ(model.Result()->Item(QStringLiteral("FMemo")).toString(), QStringLiteral("O''Brien"));
        } else {
            EXPECT_EQ(model.Result()->Count(), 0);
        }
    }
}

}  // namespace
