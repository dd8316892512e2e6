#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include "controls/QtUi.h"
#include "dialogs/FilterDialogViews.h"
#include "filters/FilterFakes.h"
#include "filters/frmWageFilter.h"

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
    EXPECT_EQ(h.settings->sections.value(QStringLiteral("Q8SHProcRpt600")).value(QStringLiteral("BDept")), QStringLiteral(" A1"));
}

}  // namespace
