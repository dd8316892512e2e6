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

// The dialogs' windows on the screen over the fake host; the clerk's part runs once a
// window is up.
class FilterDialogView : public ::testing::Test {
  protected:
    void SetUp() override { RegisterFilterDialogViews(); }
    std::unique_ptr<frmWageFilter> ShowWageFilter(const std::function<void(QWidget*)>& clerk) {
        screen.SetShownHook(clerk);
        auto dialog = std::make_unique<frmWageFilter>(*h.host);
        dialog->SetRptID(600);
        dialog->ShowModal();
        return dialog;
    }
    // The list form over the fake's work bills WB00001, WB00002, ...
    std::unique_ptr<frmList> ListOf(int rows) {
        h.fake->listRows.clear();
        for (int i = 1; i <= rows; ++i)
            h.fake->listRows.append({i, 1, u"WB%1"_s.arg(i, 5, 10, QLatin1Char('0'))});
        auto form = std::make_unique<frmList>(*h.host);
        form->SetListID(601);
        form->InitData();
        return form;
    }

    QtUi screen;
    test::HostHarness h{test::HostSetup::OnScreen(&screen)};
};

// The real window of the filter dialog, driven by keys: what is typed or pasted reaches
// the model, which swallows a refused key and cleans a paste, and Enter walks each row's
// "from" and "to" box on to the next row, past the lookup buttons, so no lookup opens.
TEST_F(FilterDialogView, TypingReachesTheModelAndEnterWalksTheBoxes) {
    QStringList windows, focused;
    const auto dialog = ShowWageFilter([&](QWidget* window) {
        windows << window->objectName();
        if (window->objectName() != u"frmWageFilter"_s) {
            window->close();
            return;
        }
        EXPECT_EQ(window->windowTitle(), u"过滤条件"_s);
        // For a person to look at: SHOPPROC_SCREENSHOT_DIR=/some/folder.
        if (const QString shots = qEnvironmentVariable("SHOPPROC_SCREENSHOT_DIR"); !shots.isEmpty())
            window->grab().save(shots + u"/frmWageFilter.png"_s);
        window->findChild<QLineEdit*>(u"txtItem_0"_s)->setFocus();
        for (int i = 0; i < kFilterBoxCount; ++i) {
            QWidget* box = window->focusWidget();
            focused << box->objectName();
            QTest::keyClicks(box, u"B'%1"_s.arg(i));
            QTest::keyClick(box, Qt::Key_Return);
        }
        // Past the last box the walk goes on to the dates, not to a lookup button.
        EXPECT_EQ(qobject_cast<QToolButton*>(window->focusWidget()), nullptr);
        auto* pasted = window->findChild<QLineEdit*>(u"txtItem_1"_s);
        QApplication::clipboard()->setText(u"Z'9#"_s);
        pasted->selectAll();
        pasted->paste();
        EXPECT_EQ(pasted->text(), u"Z9"_s) << "the box shows what the model kept";
        QTest::mouseClick(window->findChild<QPushButton*>(u"cmdOK"_s), Qt::LeftButton);
    });
    QStringList boxes;
    for (int i = 0; i < kFilterBoxCount; ++i) boxes << u"txtItem_%1"_s.arg(i);
    EXPECT_EQ(std::tuple(focused, windows, h.fake->Count(u"ItemLookUp"_s) + h.fake->Count(u"SubMesLookup"_s)),
              std::tuple(boxes, QStringList{u"frmWageFilter"_s}, 0));
    for (int i = 0; i < kFilterBoxCount; ++i)
        EXPECT_EQ(dialog->txtItem(i), i == 1 ? u"Z9"_s : u"B%1"_s.arg(i));
    EXPECT_TRUE(dialog->Result()->Item(u"OK"_s).toBool());
}

// Long plan names keep to their cell in the icon views (whole in the tooltip); the
// details view has its column header "方案".
TEST_F(FilterDialogView, PlanNamesKeepToTheirCellsAndDetailsHaveAHeader) {
    const QString longName = u"一车间上月全部工序计划单的汇报方案（含外协与返工）"_s;
    h.fake->plans = {longName, u"VeryLongPlanNameWithoutAnyBlanksAtAllInIt"_s, u"甲"_s};
    const auto dialog = ShowWageFilter([&](QWidget* window) {
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
        EXPECT_EQ(std::tuple(details->isVisible(), icons->isVisible(), details->header()->isHidden(),
                             plans->headerData(0, Qt::Horizontal).toString()),
                  std::tuple(true, false, false, u"方案"_s));
        // A click in the details loads that plan as in the other views.
        QTest::mouseClick(details->viewport(), Qt::LeftButton, {},
                          details->visualRect(plans->index(3, 0)).center());
        EXPECT_EQ(h.fake->Count(u"GetPlanValue"_s), 1);
        QTest::mouseClick(window->findChild<QPushButton*>(u"cmdCancel"_s), Qt::LeftButton);
    });
    EXPECT_EQ(dialog->lvwProject().SelectedIndex(), 3);
}

// Enter or Space on a focused button presses it: a lookup button opens its lookup, OK
// and Cancel close the dialog; the record filter's buttons as well.
TEST_F(FilterDialogView, EnterAndSpaceOnAFocusedButtonPressIt) {
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
        const auto dialog = ShowWageFilter([&](QWidget* window) {
            auto* button = window->findChild<QAbstractButton*>(QString::fromLatin1(c.button));
            ASSERT_TRUE(button);
            button->setFocus();
            QTest::keyClick(button, c.key);
            stillOpen = window->isVisible();
            if (stillOpen)
                window->close();
        });
        EXPECT_EQ(std::tuple(h.fake->Count(u"SubMesLookup"_s) - before, stillOpen,
                             dialog->Result()->Item(u"OK"_s).toBool()),
                  std::tuple(c.lookups, c.lookups > 0, c.confirmed));
    }
    // The record filter: its boxes reach the model on OK, Cancel leaves no filter, the
    // close box and Escape an empty one (the history then loads unfiltered).
    enum class Gives { Filter, None, Empty };
    const std::pair<QString, Gives> ways[] = {{u"cmdOK"_s, Gives::Filter},
                                              {u"cmdCancel"_s, Gives::None},
                                              {u"close"_s, Gives::Empty},
                                              {u"Escape"_s, Gives::Empty}};
    for (const auto& way : ways) {
        SCOPED_TRACE(way.first.toStdString());
        frmInfoFilter model;
        screen.SetShownHook([&](QWidget* window) {
            window->findChild<QLineEdit*>(u"txtItem0"_s)->setText(u"3ab"_s);
            window->findChild<QLineEdit*>(u"txtItem1"_s)->setText(u"O'Brien"_s);
            if (auto* button = window->findChild<QPushButton*>(way.first)) {
                button->setFocus();
                QTest::keyClick(button, Qt::Key_Return);
            } else if (way.first == u"close"_s) {
                window->close();
            } else {
                QTest::keyClick(window, Qt::Key_Escape);
            }
        });
        screen.ShowModal(model);
        ASSERT_EQ(model.Result() != nullptr, way.second != Gives::None);
        if (way.second == Gives::Filter) {
            EXPECT_EQ(model.Result()->Item(u"FSerial"_s).toDouble(), 3.0);
            EXPECT_EQ(model.Result()->Item(u"FMemo"_s).toString(), u"O''Brien"_s);
        } else if (way.second == Gives::Empty) {
            EXPECT_EQ(model.Result()->Count(), 0);
        }
    }
}

// The list form over a long list: OK or Enter maps to "SelectOK" with the row the user
// chose (with the mouse, or with Down from the search box into the list), Escape to "Exit".
TEST_F(FilterDialogView, ListFormPicksTheChosenRowOrCancels) {
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
        const auto form = ListOf(20000);
        form->ShowModal();
        EXPECT_EQ(rowsShown, c.rowsShown);
        ASSERT_EQ(form->OK(), !c.picked.isEmpty());
        if (form->OK()) {
            EXPECT_EQ(form->Selected()->Item(1).Value(u"FBillNo"_s).toString(), c.picked);
        }
    }
}

TEST_F(FilterDialogView, PickListAdapterStaysConsistentAcrossSearches) {
    const auto form = ListOf(300);
    PickListTableModel model(*form);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    EXPECT_EQ(model.rowCount(), 300);
    EXPECT_EQ(model.headerData(0, Qt::Horizontal).toString(), u"单号"_s);
    for (const QString& search : {u"WB001"_s, u"none"_s, QString()}) {
        form->SetSearchText(search);
        model.Reset();
        EXPECT_EQ(model.rowCount(), form->RowCount());
    }
    EXPECT_EQ(model.rowCount(), 300);
}

QPoint CheckBoxCentre(QListWidget* list, int row) {
    QStyleOptionViewItem option;
    option.initFrom(list);
    option.rect = list->visualItemRect(list->item(row));
    option.features = QStyleOptionViewItem::HasCheckIndicator | QStyleOptionViewItem::HasDisplay;
    option.text = list->item(row)->text();
    return list->style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, list).center();
}

// The column settings window over a long list: a tick by the check box and one by Space,
// a move and "all" reach the model and show again, the moved row staying in sight and
// "all" leaving the list where it was; OK confirms, Escape and the close box cancel.
TEST_F(FilterDialogView, SetColTicksAndMovesReachTheModelOkConfirmsEscapeAndCloseCancel) {
    enum class Way { Confirm, Escape, Close };
    for (Way way : {Way::Confirm, Way::Escape, Way::Close}) {
        SCOPED_TRACE(static_cast<int>(way));
        frmSetCol model;
        for (int i = 0; i < 30; ++i) model.AddItem(u"列%1"_s.arg(i), 100 + i, i == 0);
        model.SetCmdEnable();
        screen.SetShownHook([&](QWidget* window) {
            EXPECT_EQ(window->windowTitle(), u"列设置（显示/顺序/隐藏）"_s);
            auto* list = window->findChild<QListWidget*>(u"ColList"_s);
            auto* ok = window->findChild<QPushButton*>(u"cmdOK"_s);
            auto* down = window->findChild<QPushButton*>(u"cmdMoveDown"_s);
            ASSERT_TRUE(list && ok && down);
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, CheckBoxCentre(list, 0));
            EXPECT_FALSE(model.ItemAt(0).checked);
            EXPECT_FALSE(ok->isEnabled());
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                              list->visualItemRect(list->item(1)).center());
            QTest::keyClick(list, Qt::Key_Space);
            EXPECT_TRUE(model.ItemAt(1).checked);
            EXPECT_TRUE(ok->isEnabled());
            // Far enough down that the moved row leaves the first page.
            for (int i = 0; i < 20; ++i) QTest::mouseClick(down, Qt::LeftButton);
            EXPECT_EQ(std::tuple(list->currentRow(), list->item(21)->text(), list->item(21)->checkState()),
                      std::tuple(21, u"列1"_s, Qt::Checked));
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
        EXPECT_EQ(std::tuple(model.Closed(), model.SelOK(), model.ItemAt(21).data),
                  std::tuple(true, way == Way::Confirm, 101));
    }
}

}  // namespace
