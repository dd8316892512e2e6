#include <gtest/gtest.h>

#include "FilterFakes.h"
#include "navigation/frmList.h"

using namespace sp;
using namespace sp::test;

namespace {

class ListForm : public ::testing::Test {
  protected:
    FilterHarness h;
    int closes = 0;

    std::unique_ptr<frmList> Loaded(int rows) {
        h.lists->rows.clear();
        for (int i = 1; i <= rows; ++i)
            h.lists->rows.append({i, 1, QStringLiteral("WB%1").arg(i, 5, 10, QLatin1Char('0'))});
        auto form = std::make_unique<frmList>(*h.host);
        form->closeView = [this] { ++closes; };
        form->SetListID(601);
        form->SetFilter(QStringLiteral(" (u1.FStatus=1) "));
        form->InitData();
        return form;
    }
};

TEST_F(ListForm, CaptionAndBaseInfo) {
    frmList fresh(*h.host);
    EXPECT_EQ(fresh.Caption(), QStringLiteral("##"));
    EXPECT_FALSE(fresh.OK());
    auto form = Loaded(3);
    EXPECT_EQ(form->Caption(), QStringLiteral("工序计划单序时薄"));

    struct Case {
        QString props;
        QString baseInfo;
    };
    const Case cases[] = {
        {QStringLiteral("UserID=12;UserName=Li;X={X};"), QStringLiteral("X|12|Li")},
        {QStringLiteral("A={cn=1;b=2}z;UserName=Wang;userid=7.6"), QStringLiteral("cn=1;b=2|8|Wang")},
        {QStringLiteral("nothing"), QStringLiteral("|0|")},
    };
    for (const Case& c : cases) EXPECT_EQ(frmList::BaseInfoOf(c.props), c.baseInfo) << c.props.toStdString();
}

TEST_F(ListForm, SelectOkNeedsASelectionAndExitCancels) {
    auto form = Loaded(3);
    EXPECT_TRUE(form->OK()) << "OK reports a successful load";
    form->SetCurrentRow(2);
    form->Confirm();
    EXPECT_TRUE(form->OK());
    EXPECT_EQ(closes, 1);
    ListSelRowsPtr picked = form->Selected();
    ASSERT_TRUE(picked);
    ASSERT_EQ(picked->Count(), 1);
    EXPECT_EQ(picked->Item(1).Value(QStringLiteral("finterid")).toInt(), 3);
    EXPECT_EQ(picked->Item(1).Value(QStringLiteral("FBillNo")).toString(), QStringLiteral("WB00003"));
    EXPECT_THROW(picked->Item(1).Value(QStringLiteral("FNoSuchField")), ComError);

    form->Cancel();
    EXPECT_FALSE(form->OK());
    EXPECT_EQ(closes, 2);

    // An empty list holds no selection: SelectOK does nothing.
    auto empty = Loaded(0);
    closes = 0;
    empty->Confirm();
    EXPECT_EQ(closes, 0);
    EXPECT_EQ(empty->Selected()->Count(), 0);

    empty->Unload();
    EXPECT_FALSE(empty->OK());
    EXPECT_EQ(empty->Selected(), nullptr);
}

TEST_F(ListForm, AListThatCannotLoadNeverShowsAndReportsNotOk) {
    h.lists->openOk = false;
    auto form = Loaded(3);
    EXPECT_FALSE(form->OK());
    form->ShowModal();
    EXPECT_TRUE(h.ui.dialogsShown.isEmpty());
    EXPECT_FALSE(form->OK());
    EXPECT_EQ(form->Selected(), nullptr);

    // A view that activates it anyway is closed at once.
    auto again = Loaded(3);
    again->Activated();
    EXPECT_EQ(closes, 1);

    // No list data component at all: the same.
    h.registry.Unregister(ProgId::ListSelData());
    EXPECT_FALSE(Loaded(1)->OK());
}

TEST_F(ListForm, SearchingAsksTheListAgainWithALimit) {
    auto form = Loaded(1500);
    EXPECT_EQ(form->RowCount(), 1500);
    EXPECT_EQ(h.lists->lastFilter, QStringLiteral(" (u1.FStatus=1) "));
    EXPECT_EQ(h.lists->lastMaxRows, ICListSel::kMaxRows);
    const int before = h.lists->queries;
    int notified = 0;
    form->rowsChanged = [&] { ++notified; };
    form->SetSearchText(QStringLiteral("WB0142"));
    EXPECT_EQ(h.lists->queries, before + 1);
    EXPECT_EQ(notified, 1);
    EXPECT_EQ(form->RowCount(), 10);  // WB01420 .. WB01429
    EXPECT_EQ(form->Cell(0, 0).toString(), QStringLiteral("WB01420"));
    EXPECT_EQ(form->CurrentRow(), 0);
    form->SetSearchText(QStringLiteral("nothing like it"));
    EXPECT_EQ(form->RowCount(), 0);
    EXPECT_EQ(form->CurrentRow(), -1);
}

TEST_F(ListForm, ResizeFollowsOnlyPositiveSizes) {
    auto form = Loaded(1);
    form->Resize(400, 300);
    form->Resize(0, -5);
    EXPECT_EQ(form->ControlWidth(), 400);
    EXPECT_EQ(form->ControlHeight(), 300);
}

TEST(ListSelControl, MultiRowSelectionKeepsListOrder) {
    FilterHarness h;
    for (int i = 1; i <= 5; ++i) h.lists->rows.append({i, 0, QStringLiteral("B%1").arg(i)});
    ICListSel control(h.registry);
    control.SetCanSelectMultiRow(true);
    ASSERT_TRUE(control.InitData());
    control.ToggleRowSelected(4);
    control.ToggleRowSelected(1);
    control.ToggleRowSelected(3);
    control.ToggleRowSelected(3);
    ListSelRowsPtr picked = control.Selected();
    ASSERT_EQ(picked->Count(), 2);
    EXPECT_EQ(picked->Item(1).Value(QStringLiteral("FBillNo")).toString(), QStringLiteral("B2"));
    EXPECT_EQ(picked->Item(2).Value(QStringLiteral("FBillNo")).toString(), QStringLiteral("B5"));

    QStringList commands;
    control.commandHandler = [&](const QString& c) { commands << c; };
    control.SelectOK();
    control.Exit();
    EXPECT_EQ(commands, (QStringList{QStringLiteral("SelectOK"), QStringLiteral("Exit")}));
}

}  // namespace
