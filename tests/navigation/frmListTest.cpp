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
    const std::pair<QString, QString> cases[] = {
        {u"UserID=12;UserName=Li;X={X};"_s, u"X|12|Li"_s},
        {u"A={cn=1;b=2}z;UserName=Wang;userid=7.6"_s, u"cn=1;b=2|8|Wang"_s},
        {u"nothing"_s, u"|0|"_s},
    };
    for (const auto& [props, baseInfo] : cases)
        EXPECT_EQ(frmList::BaseInfoOf(props), baseInfo) << props.toStdString();
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
    EXPECT_TRUE(h.ui.dialogsShown.isEmpty());
    EXPECT_FALSE(form->OK());
    EXPECT_EQ(form->Selected(), nullptr);
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
    form->Resize(400, 300);
    form->Resize(0, -5);  // only positive sizes are followed
    EXPECT_EQ(std::pair(form->ControlWidth(), form->ControlHeight()), std::pair(400, 300));
}

TEST(ListSelControl, MultiRowSelectionKeepsListOrder) {
    HostHarness h;
    for (int i = 1; i <= 5; ++i) h.fake->listRows.append({i, 0, u"B%1"_s.arg(i)});
    ICListSel control(h.registry);
    control.SetCanSelectMultiRow(true);
    ASSERT_TRUE(control.InitData());
    for (int row : {4, 1, 3, 3}) control.ToggleRowSelected(row);
    ListSelRowsPtr picked = control.Selected();
    ASSERT_EQ(picked->Count(), 2);
    EXPECT_EQ(picked->Item(1).Value(u"FBillNo"_s).toString(), u"B2"_s);
    EXPECT_EQ(picked->Item(2).Value(u"FBillNo"_s).toString(), u"B5"_s);
    QStringList commands;
    control.commandHandler = [&](const QString& c) { commands << c; };
    control.SelectOK();
    control.Exit();
    EXPECT_EQ(commands, (QStringList{u"SelectOK"_s, u"Exit"_s}));
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
    EXPECT_TRUE(h.fake->Calls(u"Open"_s).last().contains(u"Provider=SQLite;Data Source=erp.db|12|Li"_s));
    pick = 0;  // a row without a work bill
    EXPECT_EQ(picker.PickWorkBillNumber(), QString());
    pick = -1;
    EXPECT_EQ(picker.PickWorkBillNumber(), QString());
}

}  // namespace
}  // namespace sp::test
