#include <gtest/gtest.h>

#include "platform/host/LookupListModel.h"
#include "platform/host/LookupRegistration.h"
#include "src/common/ComponentRegistry.h"
#include "src/entry/HostInterfaces.h"
#include "tests/support/BackendTest.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/ScriptedUi.h"

namespace sp::test {
namespace {

using namespace Qt::StringLiterals;

// The host's lookups over a real database: a few departments (one group), employees,
// work centers, teams, processes and devices.
class HostLookups : public BackendTest {
  protected:
    QStringList captions, seen;

    void SetUp() override {
        BackendTest::SetUp();
        if (IsSkipped())
            return;
        Exec(
            "INSERT INTO t_Department (FItemID, FNumber, FShortNumber, FName, FDetail, FDProperty) VALUES "
            "(1, '01', '01', 'Works', 0, 1070), (2, '01.01', '0101', 'Machining', 1, 1070), "
            "(3, '01.02', '0102', 'Office', 1, 1071)");
        Exec(
            "INSERT INTO t_Emp (FItemID, FNumber, FShortNumber, FName, FprofessionalGroup, FDetail) VALUES "
            "(10, '02.001', 'E001', 'Zhang San', 55, 1), (11, '02', '02', 'Staff', 0, 0)");
        Exec(
            "INSERT INTO t_WorkCenter (FInterID, FNumber, FShortNumber, FName, FDetail) VALUES "
            "(5, 'WC.05', 'W05', 'Lathes', 1)");
        Exec(
            "INSERT INTO t_SubMessage (FInterID, FTypeID, FID, FName, FDetail) VALUES "
            "(55, 62, 'T01', 'Team one', 1), (56, 62, 'T02', 'Team two', 1), (70, 61, 'P01', 'Turning', 1)");
        Exec(
            "INSERT INTO t_Device (FInterID, FNumber, FName, FType, FWorkCenterID) VALUES "
            "(1, 'D1', 'Lathe 1', 3, 5), (2, 'D2', 'Lathe 2', 3, 6), (3, 'D3', 'Saw', 4, 5)");
        platform::RegisterLookups(registry, tdb_->db(), ui);
    }

    // The user searches (unless search is null), takes the first row shown and confirms;
    // the last column of the rows shown is kept in seen.
    void UserPicks(const QString& dialog, const QString& search = QString()) {
        seen.clear();
        ui.dialogHandlers[dialog] = [=, this](DialogModel& m) {
            auto& list = dynamic_cast<ListSelPickList&>(m);
            captions << list.Caption();
            if (!search.isNull())
                list.SetSearchText(search);
            for (int r = 0; r < list.RowCount(); ++r) seen << list.Cell(r, list.ColumnCount() - 1).toString();
            list.SetCurrentRow(0);
            list.Confirm();
        };
    }
};

TEST_P(HostLookups, ItemLookUpReturnsTheChosenEntry) {
    // item class, filter, search; then number, name, short number, item id, detail, professional group
    const std::tuple<qint32, QString, QString, QString, QString, QString, qint32, bool, qint32> cases[] = {
        {2, u"FDProperty = 1070"_s, u"Mach"_s, u"01.01"_s, u"Machining"_s, u"0101"_s, 2, true, 0},
        {2, QString(), u"Works"_s, u"01"_s, u"Works"_s, u"01"_s, 1, false, 0},
        {3, QString(), u"e001"_s, u"02.001"_s, u"Zhang San"_s, u"E001"_s, 10, true, 55},
        {14, QString(), QString(), u"WC.05"_s, u"Lathes"_s, u"W05"_s, 5, true, 0},
    };
    auto view = registry.Create<IGLView>(ProgId::GLView());
    for (const auto& [itemClass, filter, search, number, name, shortNumber, itemId, detail, group] : cases) {
        SCOPED_TRACE(number.toStdString());
        UserPicks(u"ItemLookUp"_s, search);
        LookupResultPtr r = view->ItemLookUp(itemClass, QVariant(), filter, nullptr);
        ASSERT_TRUE(r && r->ReturnOK && r->ReturnObject);
        const LookupEntry& e = *r->ReturnObject;
        EXPECT_EQ(e.Number, number);
        EXPECT_EQ(e.Name, name);
        EXPECT_EQ(e.ItemID, itemId);
        EXPECT_EQ(e.Detail.toBool(), detail);
        EXPECT_EQ(e.Properties.value(u"FShortNumber"_s).toString(), shortNumber);
        EXPECT_EQ(e.Properties.value(u"FprofessionalGroup"_s).toInt(), group);
    }
}

TEST_P(HostLookups, TheCallersFilterAndTheSearchNarrowInTheDatabase) {
    auto view = registry.Create<IGLView>(ProgId::GLView());
    UserPicks(u"ItemLookUp"_s);
    view->ItemLookUp(2, QVariant(), u"FDProperty = 1070"_s, nullptr);
    EXPECT_EQ(seen, (QStringList{u"Works"_s, u"Machining"_s}));

    // The box's text is the initial search; wildcards and quotes in it are plain characters.
    UserPicks(u"ItemLookUp"_s);
    view->ItemLookUp(2, u"0102"_s, QString(), nullptr);
    EXPECT_EQ(seen, QStringList{u"Office"_s});
    QList<int> counts;
    ui.dialogHandlers[u"ItemLookUp"_s] = [&](DialogModel& m) {
        auto& list = dynamic_cast<ListSelPickList&>(m);
        for (const QString& search : {u"%"_s, u"'; DROP TABLE t_Emp; --"_s}) {
            list.SetSearchText(search);
            counts << list.RowCount();
        }
        list.Cancel();
    };
    EXPECT_EQ(view->ItemLookUp(3, QVariant(), QString(), nullptr), nullptr) << "cancel is Nothing";
    EXPECT_EQ(counts, (QList<int>{0, 0}));
    EXPECT_EQ(Count("t_Emp"), 2);
    EXPECT_THROW(view->ItemLookUp(99, QVariant(), QString(), nullptr), ComError);
}

TEST_P(HostLookups, SubMesLookupListsOneTypeAndReturnsItsCode) {
    auto view = registry.Create<IGLView>(ProgId::GLView());
    UserPicks(u"SubMesLookup"_s, u"two"_s);
    qint32 type = 62;
    QString search;
    LookupResultPtr r = view->SubMesLookup(type, search);
    ASSERT_TRUE(r && r->ReturnObject);
    EXPECT_EQ(r->ReturnObject->Number, u"T02"_s);
    EXPECT_EQ(r->ReturnObject->Name, u"Team two"_s);
    EXPECT_EQ(r->ReturnObject->ItemID, 56);
    EXPECT_TRUE(r->ReturnObject->Detail.toBool());
    EXPECT_EQ(seen, QStringList{u"Team two"_s});
    EXPECT_EQ(captions.last(), u"班组"_s);
}

TEST_P(HostLookups, ResourceBrowserAppendsTheCallersFilter) {
    auto browser = registry.Create<IResourceBrowser>(ProgId::ResourceBrowser());
    UserPicks(u"ResourceBrowser"_s);
    browser->SetShowType(0);
    browser->SetShowMode(1);
    browser->SetFilter(u" Ftype=3 And FworkCenterID=5"_s);
    browser->Show();
    EXPECT_EQ(seen, QStringList{u"Lathe 1"_s});
    DictionaryPtr chosen = browser->Result();
    ASSERT_TRUE(chosen);
    EXPECT_EQ(chosen->Item(u"Fnumber"_s).toString(), u"D1"_s);
    EXPECT_EQ(chosen->Item(u"Fname"_s).toString(), u"Lathe 1"_s);
    EXPECT_EQ(chosen->Item(u"FinterID"_s).toInt(), 1);
    EXPECT_EQ(chosen->Item(u"Ftype"_s).toInt(), 3);
    EXPECT_EQ(chosen->Item(u"FworkCenterID"_s).toInt(), 5);
    ui.dialogHandlers[u"ResourceBrowser"_s] = [](DialogModel& m) {
        dynamic_cast<ListSelPickList&>(m).Cancel();
    };
    browser->Show();
    EXPECT_EQ(browser->Result(), nullptr);
}

SP_INSTANTIATE_BACKENDS(HostLookups);

TEST(LookupListModel, LikePatternEscapesWildcards) {
    EXPECT_EQ(platform::LookupListModel::LikePattern(u"a%b_c\\"_s), u"%a\\%b\\_c\\\\%"_s);
    EXPECT_EQ(platform::LookupListModel::AppendedFilter(u" "_s), QString());
    EXPECT_EQ(platform::LookupListModel::AppendedFilter(u"FDProperty = 1070"_s),
              u" AND (FDProperty = 1070)"_s);
}

}  // namespace
}  // namespace sp::test
