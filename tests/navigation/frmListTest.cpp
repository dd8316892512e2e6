#include <gtest/gtest.h>

#include "src/navigation/WorkBillPicker.h"
#include "src/navigation/frmList.h"
#include "tests/support/FakeHost.h"

namespace sp::test {
namespace {

class ListForm : public ::testing::Test {
  protected:
    std::unique_ptr<frmList> Loaded(int rows) {
        h.fake->listRows.clear();
        for (int i = 1; i <= rows; ++i)
            h.fake->listRows.append({i, 1, u"WB%1"_s.arg(i, 5, 10, QLatin1Char('0'))});
        auto form = std::make_unique<frmList>(*h.host);
        form->closeView = [this] { ++closes; };
        form->SetListID(601);
        form->SetFilter(u" (u1.FStatus=1) "_s);
        form->InitData();
        return form;
    }
    HostHarness h;
    int closes = 0;
};

TEST_F(ListForm, CaptionAndBaseInfo) {
    EXPECT_EQ(Loaded(3)->Caption(), u"工序计划单序时薄"_s);
    // The connection between the braces, the user's id and name.
    EXPECT_EQ(frmList::BaseInfoOf(u"A={cn=1;b=2}z;UserName=Wang;userid=7.6"_s), u"cn=1;b=2|8|Wang"_s);
    EXPECT_EQ(frmList::BaseInfoOf(u"nothing"_s), u"|0|"_s);
}

TEST_F(ListForm, SelectOkNeedsASelectionAndExitCancels) {
    auto form = Loaded(3);
    EXPECT_TRUE(form->OK()) << "OK reports a successful load";
    form->SetCurrentRow(2);
    form->Confirm();
    EXPECT_TRUE(form->OK());
    EXPECT_EQ(closes, 1);
    ListSelRowsPtr picked = form->Selected();
    ASSERT_TRUE(picked && picked->Count() == 1);
    EXPECT_EQ(picked->Item(1).Value(u"finterid"_s).toInt(), 3);
    EXPECT_EQ(picked->Item(1).Value(u"FBillNo"_s).toString(), u"WB00003"_s);
    EXPECT_THROW(picked->Item(1).Value(u"FNoSuchField"_s), ComError);
    form->Cancel();
    EXPECT_FALSE(form->OK());
    EXPECT_EQ(closes, 2);

    // An empty list holds no selection: SelectOK does nothing.
    auto empty = Loaded(0);
    empty->Confirm();
    EXPECT_EQ(closes, 2);
    EXPECT_EQ(empty->Selected()->Count(), 0);
    empty->Unload();
    EXPECT_FALSE(empty->OK());
    EXPECT_EQ(empty->Selected(), nullptr);
}

TEST_F(ListForm, AListThatCannotLoadNeverShowsAndReportsNotOk) {
    h.fake->listOpens = false;
    auto form = Loaded(3);
    form->ShowModal();
    EXPECT_EQ(std::tuple(h.ui.dialogsShown.isEmpty(), form->OK(), form->Selected()),
              std::tuple(true, false, nullptr));
    Loaded(3)->Activated();
    EXPECT_EQ(closes, 1) << "a view that activates it anyway is closed at once";
    h.registry.Unregister(ProgId::ListSelData());
    EXPECT_FALSE(Loaded(1)->OK()) << "no list data component";
}

TEST_F(ListForm, SearchingAsksTheListAgainWithALimit) {
    auto form = Loaded(1500);
    EXPECT_EQ(form->RowCount(), 1500);
    EXPECT_EQ(h.fake->Calls(u"Rows"_s), QStringList{u"Rows 601 ' (u1.FStatus=1) ' '' 20000"_s});
    int notified = 0;
    form->rowsChanged = [&] { ++notified; };
    form->SetSearchText(u"WB0142"_s);
    EXPECT_EQ(h.fake->Calls(u"Rows"_s).last(), u"Rows 601 ' (u1.FStatus=1) ' 'WB0142' 20000"_s);
    EXPECT_EQ(notified, 1);
    EXPECT_EQ(form->RowCount(), 10);  // WB01420 .. WB01429
    EXPECT_EQ(form->Cell(0, 0).toString(), u"WB01420"_s);
    EXPECT_EQ(form->CurrentRow(), 0);
    form->SetSearchText(u"nothing like it"_s);
    EXPECT_EQ(form->RowCount(), 0);
    EXPECT_EQ(form->CurrentRow(), -1);
}

TEST(WorkBillPicker, OffersTheReportableWorkBillsAndGivesThePickedNumber) {
    HostHarness h;
    h.fake->listRows = {{7, 1, u"B7"_s}, {8, 1, u"B8"_s}};
    h.fake->execute = [](const QString& sql) {
        return sql.endsWith(u"FWBInterID=8"_s) ? Records({u"FWorkBillNo"_s}, {{u"WB8"_s}})
                                               : Records({u"FWorkBillNo"_s}, {});
    };
    int pick = 1;
    h.ui.dialogHandlers[u"frmList"_s] = [&](DialogModel& m) {
        auto& list = dynamic_cast<frmList&>(m);
        if (pick < 0)
            return list.Cancel();
        list.SetCurrentRow(pick);
        list.Confirm();
    };
    WorkBillPicker picker(*h.host);
    EXPECT_EQ(picker.PickWorkBillNumber(), u"WB8"_s);
    EXPECT_TRUE(h.fake->Calls(u"Rows"_s).last().startsWith(u"Rows 601 ' (u1.FCancellation = 0"_s));
    pick = 0;  // a row without a work bill
    EXPECT_EQ(picker.PickWorkBillNumber(), QString());
    pick = -1;
    EXPECT_EQ(picker.PickWorkBillNumber(), QString());
}

}  // namespace
}  // namespace sp::test
