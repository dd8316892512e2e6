#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QStyleOptionViewItem>
#include <QTableView>
#include <QTest>
#include <QToolButton>
#include <QTreeView>

#include "src/filters/FilterBounds.h"
#include "src/filters/frmWageFilter.h"
#include "src/navigation/frmList.h"
#include "src/reportgrid/frmInfoFilter.h"
#include "src/settings/frmSetCol.h"
#include "tests/support/FakeHost.h"
#include "ui/controls/QtUi.h"
#include "ui/dialogs/FilterDialogViews.h"
#include "ui/dialogs/PickListTableModel.h"

using namespace sp;
using namespace Qt::StringLiterals;

namespace {

// The real window of the filter dialog, driven by keys and clicks.
TEST(FilterDialogView, TypedBoundsArriveInTheDictionaryWithoutRefusedCharacters) {
    RegisterFilterDialogViews();
    QtUi screen;
    test::HostHarness h(test::HostSetup::OnScreen(&screen));
    h.fake->plans = {u"A"_s};

    QString title;
    int planItems = 0;
    screen.SetShownHook([&](QWidget* window) {
        ASSERT_EQ(window->objectName(), u"frmWageFilter"_s);
        title = window->windowTitle();
        // For a person to look at: SHOPPROC_SCREENSHOT_DIR=/some/folder.
        const QString shots = qEnvironmentVariable("SHOPPROC_SCREENSHOT_DIR");
        if (!shots.isEmpty())
            window->grab().save(shots + u"/frmWageFilter.png"_s);
        planItems = window->findChild<QListView*>(u"lvwProject"_s)->model()->rowCount();
        auto* from = window->findChild<QLineEdit*>(u"txtItem_0"_s);
        auto* to = window->findChild<QLineEdit*>(u"txtItem_1"_s);
        ASSERT_TRUE(from && to);
        from->setFocus();
        QTest::keyClicks(from, u" A#1'|"_s);
        // Enter moves on to the next field instead of closing the dialog.
        QTest::keyClick(from, Qt::Key_Return);
        EXPECT_TRUE(window->isVisible());
        QApplication::clipboard()->setText(u"Z'9#"_s);
        to->setFocus();
        to->paste();
        EXPECT_EQ(to->text(), u"Z9"_s);
        auto* ok = window->findChild<QPushButton*>(u"cmdOK"_s);
        ASSERT_TRUE(ok);
        QTest::mouseClick(ok, Qt::LeftButton);
    });

    frmWageFilter dialog(*h.host);
    dialog.SetRptID(600);
    dialog.ShowModal();

    EXPECT_EQ(title, u"过滤条件"_s);
    EXPECT_EQ(planItems, 2);
    DictionaryPtr result = dialog.Result();
    ASSERT_TRUE(result);
    EXPECT_TRUE(result->Item(u"OK"_s).toBool());
    EXPECT_EQ(result->Item(u"BDept"_s).toString(), u" A1"_s);
    EXPECT_EQ(result->Item(u"EDept"_s).toString(), u"Z9"_s);
    EXPECT_EQ(result->Item(u"BWC"_s).toString(), QString());
    EXPECT_EQ(h.fake->ini.value(u"Q8SHProcRpt600"_s).value(u"BDept"_s), u" A1"_s);
}

// Enter in a bound box moves on as Tab does: through each row's "from" and "to" box to
// the next row, past the lookup buttons, so nothing typed is lost and no lookup opens.
TEST(FilterDialogView, EnterWalksTheBoundBoxesInOrderAndOpensNoLookup) {
    RegisterFilterDialogViews();
    QtUi screen;
    test::HostHarness h(test::HostSetup::OnScreen(&screen));
    QStringList windows, focused;
    screen.SetShownHook([&](QWidget* window) {
        windows << window->objectName();
        if (window->objectName() != u"frmWageFilter"_s) {
            window->close();
            return;
        }
        window->findChild<QLineEdit*>(u"txtItem_0"_s)->setFocus();
        for (int i = 0; i < kFilterBoxCount; ++i) {
            QWidget* box = window->focusWidget();
            focused << box->objectName();
            QTest::keyClicks(box, u"B%1"_s.arg(i));
            QTest::keyClick(box, Qt::Key_Return);
        }
        // Past the last box the walk goes on to the dates, not to a lookup button.
        EXPECT_EQ(qobject_cast<QToolButton*>(window->focusWidget()), nullptr);
        for (int i = 0; i < kFilterBoxCount; ++i)
            EXPECT_EQ(window->findChild<QLineEdit*>(u"txtItem_%1"_s.arg(i))->text(), u"B%1"_s.arg(i));
        QTest::mouseClick(window->findChild<QPushButton*>(u"cmdOK"_s), Qt::LeftButton);
    });
    frmWageFilter dialog(*h.host);
    dialog.SetRptID(600);
    dialog.ShowModal();

    QStringList boxes;
    for (int i = 0; i < kFilterBoxCount; ++i) boxes << u"txtItem_%1"_s.arg(i);
    EXPECT_EQ(focused, boxes);
    EXPECT_EQ(windows, QStringList{u"frmWageFilter"_s});
    EXPECT_EQ(h.fake->Count(u"ItemLookUp"_s) + h.fake->Count(u"SubMesLookup"_s), 0);
    for (int i = 0; i < kFilterBoxCount; ++i) EXPECT_EQ(dialog.txtItem(i), u"B%1"_s.arg(i));
}

// Long plan names keep to their cell in the icon views (whole in the tooltip); the
// details view has its column header "方案".
TEST(FilterDialogView, PlanNamesKeepToTheirCellsAndDetailsHaveAHeader) {
    RegisterFilterDialogViews();
    QtUi screen;
    test::HostHarness h(test::HostSetup::OnScreen(&screen));
    const QString longName = u"一车间上月全部工序计划单的汇报方案（含外协与返工）"_s;
    h.fake->plans = {longName, u"VeryLongPlanNameWithoutAnyBlanksAtAllInIt"_s, u"甲"_s};
    screen.SetShownHook([&](QWidget* window) {
        auto* icons = window->findChild<QListView*>(u"lvwProject"_s);
        auto* details = window->findChild<QTreeView*>(u"lvwProjectDetails"_s);
        auto* view = window->findChild<QToolButton*>(u"tlbView"_s);
        ASSERT_TRUE(icons && details && view);
        QAbstractItemModel* plans = icons->model();
        ASSERT_EQ(plans->rowCount(), 4);
        EXPECT_EQ(plans->index(1, 0).data(Qt::ToolTipRole).toString(), longName);
        for (const char* shown : {"large icons", "small icons"}) {
            SCOPED_TRACE(shown);
            ASSERT_TRUE(icons->isVisible());
            const QSize cell = icons->gridSize();
            ASSERT_TRUE(cell.isValid());
            for (int row = 0; row < plans->rowCount(); ++row) {
                const QRect item = icons->visualRect(plans->index(row, 0));
                EXPECT_LE(item.width(), cell.width()) << row;
                EXPECT_LE(item.height(), cell.height()) << row;
                for (int other = 0; other < row; ++other)
                    EXPECT_FALSE(item.intersects(icons->visualRect(plans->index(other, 0)))) << row << other;
            }
            QTest::mouseClick(view, Qt::LeftButton, {}, QPoint(4, view->height() / 2));
        }
        EXPECT_FALSE(details->isVisible()) << "the list";
        QTest::mouseClick(view, Qt::LeftButton, {}, QPoint(4, view->height() / 2));
        EXPECT_TRUE(details->isVisible());
        EXPECT_FALSE(icons->isVisible());
        EXPECT_FALSE(details->header()->isHidden());
        EXPECT_EQ(plans->headerData(0, Qt::Horizontal).toString(), u"方案"_s);
        // A click in the details loads that plan as in the other views.
        QTest::mouseClick(details->viewport(), Qt::LeftButton, {},
                          details->visualRect(plans->index(3, 0)).center());
        EXPECT_EQ(h.fake->Count(u"GetPlanValue"_s), 1);
        QTest::mouseClick(window->findChild<QPushButton*>(u"cmdCancel"_s), Qt::LeftButton);
    });
    frmWageFilter dialog(*h.host);
    dialog.SetRptID(600);
    dialog.ShowModal();
    EXPECT_EQ(dialog.lvwProject().SelectedIndex(), 3);
}

// Enter or Space on a focused button presses it: a lookup button opens its lookup, OK
// and Cancel close the dialog; the record filter's buttons as well.
TEST(FilterDialogView, EnterAndSpaceOnAFocusedButtonPressIt) {
    RegisterFilterDialogViews();
    QtUi screen;
    test::HostHarness h(test::HostSetup::OnScreen(&screen));
    struct Case {
        const char* button;
        Qt::Key key;
        int lookups;
        bool confirmed;
    };
    const Case cases[] = {{"cmdItem_8", Qt::Key_Return, 1, false}, {"cmdItem_13", Qt::Key_Enter, 1, false},
                          {"cmdItem_9", Qt::Key_Space, 1, false},  {"cmdOK", Qt::Key_Return, 0, true},
                          {"cmdCancel", Qt::Key_Return, 0, false}, {"cmdOK", Qt::Key_Space, 0, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.button) + " " + std::to_string(c.key));
        const int before = h.fake->Count(u"SubMesLookup"_s);
        bool stillOpen = false;
        screen.SetShownHook([&](QWidget* window) {
            auto* button = window->findChild<QAbstractButton*>(QString::fromLatin1(c.button));
            ASSERT_TRUE(button);
            button->setFocus();
            QTest::keyClick(button, c.key);
            stillOpen = window->isVisible();
            if (stillOpen)
                window->close();
        });
        frmWageFilter dialog(*h.host);
        dialog.SetRptID(600);
        dialog.ShowModal();
        EXPECT_EQ(h.fake->Count(u"SubMesLookup"_s) - before, c.lookups);
        EXPECT_EQ(stillOpen, c.lookups > 0);
        EXPECT_EQ(dialog.Result()->Item(u"OK"_s).toBool(), c.confirmed);
    }
    for (const char* name : {"cmdOK", "cmdCancel"}) {
        SCOPED_TRACE(name);
        frmInfoFilter model;
        screen.SetShownHook([&](QWidget* window) {
            auto* button = window->findChild<QPushButton*>(QString::fromLatin1(name));
            button->setFocus();
            QTest::keyClick(button, Qt::Key_Return);
        });
        screen.ShowModal(model);
        EXPECT_EQ(model.Result() != nullptr, name == std::string("cmdOK"));
    }
}

// The list form over a long list: OK or Enter maps to "SelectOK" with the row the user
// chose (with the mouse, or with Down from the search box into the list), Escape to "Exit".
TEST(FilterDialogView, ListFormPicksTheChosenRowOrCancels) {
    RegisterFilterDialogViews();
    QtUi screen;
    test::HostHarness h(test::HostSetup::OnScreen(&screen));
    for (int i = 1; i <= 20000; ++i)
        h.fake->listRows.append({i, 1, u"WB%1"_s.arg(i, 5, 10, QLatin1Char('0'))});

    const auto keys = [](const QString& typed, QList<Qt::Key> pressed) {
        return [typed, pressed](QWidget* window) {
            auto* search = window->findChild<QLineEdit*>(u"txtSearch"_s);
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
             auto* table = window->findChild<QTableView*>(u"lstRows"_s);
             table->setCurrentIndex(table->model()->index(4, 0));
             QTest::mouseClick(window->findChild<QPushButton*>(u"cmdOK"_s), Qt::LeftButton);
         },
         u"WB00005"_s},
        {"Down enters the list below the current row, Down again, Enter",
         keys(QString(), {Qt::Key_Down, Qt::Key_Down, Qt::Key_Return}), u"WB00003"_s},
        {"Down right after typing searches first", keys(u"WB0001"_s, {Qt::Key_Down, Qt::Key_Return}),
         u"WB00011"_s, 10},
        {"Enter in the search box picks the first hit", keys(u"WB0002"_s, {Qt::Key_Return}), u"WB00020"_s,
         10},
        {"Enter with nothing typed picks the highlighted row", keys(QString(), {Qt::Key_Return}),
         u"WB00001"_s},
        {"Escape cancels", [](QWidget* window) { QTest::keyClick(window, Qt::Key_Escape); }, QString()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        int rowsShown = 0;
        screen.SetShownHook([&](QWidget* window) {
            c.act(window);
            rowsShown = window->findChild<QTableView*>(u"lstRows"_s)->model()->rowCount();
        });
        frmList form(*h.host);
        form.SetListID(601);
        form.InitData();
        form.ShowModal();
        EXPECT_EQ(rowsShown, c.rowsShown);
        ASSERT_EQ(form.OK(), !c.picked.isEmpty());
        if (form.OK()) {
            EXPECT_EQ(form.Selected()->Item(1).Value(u"FBillNo"_s).toString(), c.picked);
        }
    }
}

TEST(FilterDialogView, PickListAdapterStaysConsistentAcrossSearches) {
    test::HostHarness h;
    for (int i = 1; i <= 300; ++i) h.fake->listRows.append({i, 1, u"WB%1"_s.arg(i, 5, 10, QLatin1Char('0'))});
    frmList form(*h.host);
    form.SetListID(601);
    form.InitData();
    PickListTableModel model(form);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    EXPECT_EQ(model.rowCount(), 300);
    EXPECT_EQ(model.headerData(0, Qt::Horizontal).toString(), u"单号"_s);
    for (const QString& search : {u"WB001"_s, u"none"_s, QString()}) {
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
            ASSERT_EQ(window->objectName(), u"frmInfoFilter"_s);
            window->findChild<QLineEdit*>(u"txtItem0"_s)->setText(u"3ab"_s);
            window->findChild<QLineEdit*>(u"txtItem1"_s)->setText(u"O'Brien"_s);
            if (way == Way::Close)
                window->close();
            else
                window->findChild<QPushButton*>(way == Way::Confirm ? u"cmdOK"_s : u"cmdCancel"_s)->click();
        });
        screen.ShowModal(model);
        if (way == Way::Cancel) {
            EXPECT_EQ(model.Result(), nullptr);
            continue;
        }
        ASSERT_NE(model.Result(), nullptr);
        if (way == Way::Confirm) {
            EXPECT_EQ(model.Result()->Item(u"FSerial"_s).toDouble(), 3.0);
            EXPECT_EQ(model.Result()->Item(u"FMemo"_s).toString(), u"O''Brien"_s);
        } else {
            EXPECT_EQ(model.Result()->Count(), 0);
        }
    }
}

}  // namespace

namespace {

QPoint CheckBoxCentre(QListWidget* list, int row) {
    QStyleOptionViewItem option;
    option.initFrom(list);
    option.rect = list->visualItemRect(list->item(row));
    option.features = QStyleOptionViewItem::HasCheckIndicator | QStyleOptionViewItem::HasDisplay;
    option.text = list->item(row)->text();
    return list->style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, list).center();
}

// The column settings window over a long list: a tick by the check box and one by Space,
// moves and "all" reach the model and show again; OK confirms, Escape and the close box cancel.
TEST(SetColView, TicksAndMovesReachTheModelOkConfirmsEscapeAndCloseCancel) {
    RegisterFilterDialogViews();
    QtUi screen;
    enum class Way { Confirm, Escape, Close };
    for (Way way : {Way::Confirm, Way::Escape, Way::Close}) {
        SCOPED_TRACE(static_cast<int>(way));
        frmSetCol model;
        for (int i = 0; i < 30; ++i) model.AddItem(u"列%1"_s.arg(i), 100 + i, i == 0);
        model.SetCmdEnable();
        QString title;
        screen.SetShownHook([&](QWidget* window) {
            ASSERT_EQ(window->objectName(), u"frmSetCol"_s);
            title = window->windowTitle();
            auto* list = window->findChild<QListWidget*>(u"ColList"_s);
            auto* ok = window->findChild<QPushButton*>(u"cmdOK"_s);
            auto* down = window->findChild<QPushButton*>(u"cmdMoveDown"_s);
            ASSERT_TRUE(list && ok && down);
            ASSERT_EQ(list->count(), 30);

            QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, CheckBoxCentre(list, 0));
            EXPECT_FALSE(model.ItemAt(0).checked);
            EXPECT_FALSE(ok->isEnabled());
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                              list->visualItemRect(list->item(1)).center());
            EXPECT_EQ(model.CurrentIndex(), 1);
            QTest::keyClick(list, Qt::Key_Space);
            EXPECT_TRUE(model.ItemAt(1).checked);
            EXPECT_TRUE(ok->isEnabled());

            // Far enough down that the moved row leaves the first page.
            for (int i = 0; i < 20; ++i) QTest::mouseClick(down, Qt::LeftButton);
            EXPECT_EQ(model.CurrentIndex(), 21);
            EXPECT_EQ(list->currentRow(), 21);
            EXPECT_EQ(list->item(21)->text(), u"列1"_s);
            EXPECT_EQ(list->item(21)->checkState(), Qt::Checked);
            EXPECT_TRUE(list->viewport()->rect().contains(list->visualItemRect(list->item(21))));
            const int scrolled = list->verticalScrollBar()->value();
            EXPECT_GT(scrolled, 0);
            QTest::mouseClick(window->findChild<QPushButton*>(u"cmdAll"_s), Qt::LeftButton);
            EXPECT_EQ(list->verticalScrollBar()->value(), scrolled);
            EXPECT_EQ(list->item(29)->checkState(), Qt::Checked);

            if (way == Way::Confirm)
                QTest::mouseClick(ok, Qt::LeftButton);
            else if (way == Way::Escape)
                QTest::keyClick(window, Qt::Key_Escape);
            else
                window->close();
        });
        screen.ShowModal(model);

        EXPECT_EQ(title, u"列设置（显示/顺序/隐藏）"_s);
        EXPECT_TRUE(model.Closed());
        EXPECT_EQ(model.SelOK(), way == Way::Confirm);
        EXPECT_EQ(model.ItemAt(21).text, u"列1"_s);
        EXPECT_EQ(model.ItemAt(21).data, 101);
        EXPECT_EQ(model.ItemAt(1).data, 102);
        EXPECT_TRUE(model.ItemAt(0).checked);  // ticked again by cmdAll
    }
}

}  // namespace
