#include <gtest/gtest.h>

#include "common/ComponentRegistry.h"
#include "common/ScriptedUi.h"
#include "entry/HostInterfaces.h"
#include "platform/host/LookupListModel.h"
#include "platform/host/LookupRegistration.h"
#include "support/TestDatabase.h"

using namespace sp;
using sp::testing::Backend;
using sp::testing::TestDatabase;

namespace {

// The host's lookups over a real database: a few departments (one group), employees,
// work centers, teams, processes and devices.
class HostLookups : public ::testing::TestWithParam<Backend> {
  protected:
    std::unique_ptr<TestDatabase> tdb;
    ComponentRegistry registry;
    ScriptedUi ui;
    QStringList captions;

    void SetUp() override {
        tdb = TestDatabase::Create(GetParam());
        if (!tdb)
            return;
        auto db = tdb->db();
        db->Exec(QStringLiteral(
            "INSERT INTO t_Department (FItemID, FNumber, FShortNumber, FName, FDetail, FDProperty) VALUES "
            "(1, '01', '01', 'Works', 0, 1070), (2, '01.01', '0101', 'Machining', 1, 1070), "
            "(3, '01.02', '0102', 'Office', 1, 1071)"));
        db->Exec(QStringLiteral(
            "INSERT INTO t_Emp (FItemID, FNumber, FShortNumber, FName, FprofessionalGroup, FDetail) VALUES "
            "(10, '02.001', 'E001', 'Zhang San', 55, 1), (11, '02', '02', 'Staff', 0, 0)"));
        db->Exec(QStringLiteral(
            "INSERT INTO t_WorkCenter (FInterID, FNumber, FShortNumber, FName, FDetail) VALUES "
            "(5, 'WC.05', 'W05', 'Lathes', 1)"));
        db->Exec(
            QStringLiteral("INSERT INTO t_SubMessage (FInterID, FTypeID, FID, FName, FDetail) VALUES "
                           "(55, 62, 'T01', 'Team one', 1), (56, 62, 'T02', 'Team two', 1), "
                           "(70, 61, 'P01', 'Turning', 1)"));
        db->Exec(
            QStringLiteral("INSERT INTO t_Device (FInterID, FNumber, FName, FType, FWorkCenterID) VALUES "
                           "(1, 'D1', 'Lathe 1', 3, 5), (2, 'D2', 'Lathe 2', 3, 6), (3, 'D3', 'Saw', 4, 5)"));
        platform::RegisterLookups(registry, db, ui);
    }

    // The user searches, takes the first row shown and confirms; rows seen are kept.
    void UserPicks(const QString& dialog, const QString& search, QStringList* seen = nullptr) {
        ui.dialogHandlers[dialog] = [=, this](DialogModel& m) {
            auto& list = dynamic_cast<ListSelPickList&>(m);
            captions << list.Caption();
            if (!search.isNull())
                list.SetSearchText(search);
            if (seen)
                for (int r = 0; r < list.RowCount(); ++r)
                    *seen << list.Cell(r, list.ColumnCount() - 1).toString();
            list.SetCurrentRow(0);
            list.Confirm();
        };
    }
};

TEST_P(HostLookups, ItemLookUpReturnsTheChosenEntry) {
    struct Case {
        qint32 itemClass;
        QString filter;
        QString search;
        QString number, name, shortNumber;
        qint32 itemId;
        bool detail;
        qint32 group;
    };
    const Case cases[] = {
        {2, QStringLiteral("FDProperty = 1070"), QStringLiteral("Mach"), QStringLiteral("01.01"),
         QStringLiteral("Machining"), QStringLiteral("0101"), 2, true, 0},
        {2, QString(), QStringLiteral("Works"), QStringLiteral("01"), QStringLiteral("Works"),
         QStringLiteral("01"), 1, false, 0},
        {3, QString(), QStringLiteral("e001"), QStringLiteral("02.001"), QStringLiteral("Zhang San"),
         QStringLiteral("E001"), 10, true, 55},
        {14, QString(), QString(), QStringLiteral("WC.05"), QStringLiteral("Lathes"), QStringLiteral("W05"),
         5, true, 0},
    };
    if (!tdb)
        return;
    auto view = registry.Create<IGLView>(ProgId::GLView());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.number.toStdString());
        UserPicks(QStringLiteral("ItemLookUp"), c.search);
        LookupResultPtr r = view->ItemLookUp(c.itemClass, QVariant(), c.filter, nullptr);
        ASSERT_TRUE(r);
        EXPECT_TRUE(r->ReturnOK);
        ASSERT_TRUE(r->ReturnObject);
        EXPECT_EQ(r->ReturnObject->Number, c.number);
        EXPECT_EQ(r->ReturnObject->Name, c.name);
        EXPECT_EQ(r->ReturnObject->ItemID, c.itemId);
        EXPECT_EQ(r->ReturnObject->Detail.toBool(), c.detail);
        EXPECT_EQ(r->ReturnObject->Properties.value(QStringLiteral("FShortNumber")).toString(),
                  c.shortNumber);
        EXPECT_EQ(r->ReturnObject->Properties.value(QStringLiteral("FprofessionalGroup")).toInt(), c.group);
    }
}

TEST_P(HostLookups, TheCallersFilterAndTheSearchNarrowInTheDatabase) {
    if (!tdb)
        return;
    auto view = registry.Create<IGLView>(ProgId::GLView());
    QStringList seen;
    UserPicks(QStringLiteral("ItemLookUp"), QString(), &seen);
    view->ItemLookUp(2, QVariant(), QStringLiteral("FDProperty = 1070"), nullptr);
    EXPECT_EQ(seen, (QStringList{QStringLiteral("Works"), QStringLiteral("Machining")}));

    // The box's text is the initial search; wildcards in it are plain characters.
    seen.clear();
    UserPicks(QStringLiteral("ItemLookUp"), QString(), &seen);
    view->ItemLookUp(2, QStringLiteral("0102"), QString(), nullptr);
    EXPECT_EQ(seen, QStringList{QStringLiteral("Office")});
    seen.clear();
    ui.dialogHandlers[QStringLiteral("ItemLookUp")] = [&](DialogModel& m) {
        auto& list = dynamic_cast<ListSelPickList&>(m);
        list.SetSearchText(QStringLiteral("%"));
        seen << QString::number(list.RowCount());
        list.SetSearchText(QStringLiteral("'; DROP TABLE t_Emp; --"));
        seen << QString::number(list.RowCount());
        list.Cancel();
    };
    EXPECT_EQ(view->ItemLookUp(3, QVariant(), QString(), nullptr), nullptr) << "cancel is Nothing";
    EXPECT_EQ(seen, (QStringList{QStringLiteral("0"), QStringLiteral("0")}));
    EXPECT_EQ(tdb->db()->Scalar(QStringLiteral("SELECT count(*) FROM t_Emp")).toInt(), 2);

    EXPECT_THROW(view->ItemLookUp(99, QVariant(), QString(), nullptr), ComError);
}

TEST_P(HostLookups, SubMesLookupListsOneTypeAndReturnsItsCode) {
    if (!tdb)
        return;
    auto view = registry.Create<IGLView>(ProgId::GLView());
    QStringList seen;
    UserPicks(QStringLiteral("SubMesLookup"), QStringLiteral("two"), &seen);
    qint32 type = 62;
    QString search;
    LookupResultPtr r = view->SubMesLookup(type, search);
    ASSERT_TRUE(r && r->ReturnObject);
    EXPECT_EQ(r->ReturnObject->Number, QStringLiteral("T02"));
    EXPECT_EQ(r->ReturnObject->Name, QStringLiteral("Team two"));
    EXPECT_EQ(r->ReturnObject->ItemID, 56);
    EXPECT_TRUE(r->ReturnObject->Detail.toBool());
    EXPECT_EQ(seen, QStringList{QStringLiteral("Team two")});
    EXPECT_EQ(captions.last(), QStringLiteral("班组"));
}

TEST_P(HostLookups, ResourceBrowserAppendsTheCallersFilter) {
    if (!tdb)
        return;
    auto browser = registry.Create<IResourceBrowser>(ProgId::ResourceBrowser());
    QStringList seen;
    UserPicks(QStringLiteral("ResourceBrowser"), QString(), &seen);
    browser->SetShowType(0);
    browser->SetShowMode(1);
    browser->SetFilter(QStringLiteral(" Ftype=3 And FworkCenterID=5"));
    browser->Show();
    EXPECT_EQ(seen, QStringList{QStringLiteral("Lathe 1")});
    DictionaryPtr chosen = browser->Result();
    ASSERT_TRUE(chosen);
    EXPECT_EQ(chosen->Item(QStringLiteral("Fnumber")).toString(), QStringLiteral("D1"));
    EXPECT_EQ(chosen->Item(QStringLiteral("Fname")).toString(), QStringLiteral("Lathe 1"));
    EXPECT_EQ(chosen->Item(QStringLiteral("FinterID")).toInt(), 1);
    EXPECT_EQ(chosen->Item(QStringLiteral("Ftype")).toInt(), 3);
    EXPECT_EQ(chosen->Item(QStringLiteral("FworkCenterID")).toInt(), 5);

    ui.dialogHandlers[QStringLiteral("ResourceBrowser")] = [](DialogModel& m) {
        dynamic_cast<ListSelPickList&>(m).Cancel();
    };
    browser->Show();
    EXPECT_EQ(browser->Result(), nullptr);
}

INSTANTIATE_TEST_SUITE_P(Backends, HostLookups, ::testing::Values(Backend::SQLite, Backend::PostgreSQL),
                         [](const auto& info) { return sp::testing::BackendName(info.param); });

TEST(LookupListModel, LikePatternEscapesWildcards) {
    EXPECT_EQ(platform::LookupListModel::LikePattern(QStringLiteral("a%b_c\\")),
              QStringLiteral("%a\\%b\\_c\\\\%"));
    EXPECT_EQ(platform::LookupListModel::AppendedFilter(QStringLiteral(" ")), QString());
    EXPECT_EQ(platform::LookupListModel::AppendedFilter(QStringLiteral("FDProperty = 1070")),
              QStringLiteral(" AND (FDProperty = 1070)"));
}

}  // namespace
