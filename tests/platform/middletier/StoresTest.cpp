#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <thread>

#include "platform/middletier/LayoutStore.h"
#include "platform/middletier/ListSelData.h"
#include "platform/middletier/LocalSwitchFile.h"
#include "platform/middletier/MiddleTierRegistration.h"
#include "platform/middletier/OperationLedger.h"
#include "platform/middletier/PlanProfile.h"
#include "src/common/Basic.h"
#include "tests/platform/middletier/MiddleTierFixture.h"

namespace sp::test {
namespace {

class StoresTest : public MiddleTierTest {
  protected:
    int LayoutRows(const char* type, qint32 user) {
        return Count("SHRptDef WHERE Ftype = ? AND FuserID = ?", {QString::fromLatin1(type), user});
    }
};

TEST_P(StoresTest, DefaultLayoutsAreStoredOnceAndReadInOrder) {
    platform::MShopProc q = query();
    const QStringList fields = Values(q.GetReportTitle(Props(Clerk), 7), "Ffield");
    EXPECT_EQ(fields.value(0), QStringLiteral("GPH"));
    EXPECT_EQ(QSet<QString>(fields.begin(), fields.end()).size(), fields.size()) << "each field once";
    EXPECT_EQ(LayoutRows("ProcRpt", 7), fields.size());
    EXPECT_EQ(
        Scalar("SELECT Forder FROM SHRptDef WHERE Ftype = 'ProcRpt' AND FuserID = 7 AND Ffield = 'GPH'"),
        QVariant(0))
        << "grid column 2 is never renumbered by the settings dialog";
    EXPECT_EQ(Values(q.GetWorkBillTitle(Props(Clerk), 7), "Ffield").value(4), QStringLiteral("FWorkBillNO"))
        << "the list reads the number from its fifth column";
    // The number column as the list reads it: wide enough for "B1040WB0019999" (a
    // benchmark load on the demo database), about 112 px in a 9-point font at 15 twips a
    // pixel; 0 would leave the grid's default width, which cuts it.
    const double numberWidth = 112 * 15;
    auto storedNumberWidth = [&] {
        RecordsetPtr rs = q.GetWorkBillTitle(Props(Clerk), 7);
        rs->SetFilter(QStringLiteral("Ffield='FWorkBillNO'"));
        return Basic::Dbl(rs->Field(QStringLiteral("Fwidth")));
    };
    EXPECT_GE(storedNumberWidth(), numberWidth);

    // The user's own order wins; equal positions keep the default's order.
    Exec("UPDATE SHRptDef SET Forder = 1 WHERE Ftype = 'ProcRpt' AND FuserID = 7");
    Exec("UPDATE SHRptDef SET Forder = 0 WHERE Ftype = 'ProcRpt' AND FuserID = 7 AND Ffield = 'MEMO'");
    EXPECT_EQ(Values(q.GetReportTitle(Props(Clerk), 7), "Ffield").mid(0, 2), Words("MEMO,GPH"));
    EXPECT_EQ(LayoutRows("ProcRpt", 7), fields.size()) << "reading again stores nothing";

    // A list layout without the number fifth (rows made by hand) lists from the
    // default; the stored rows stay as they are.
    Exec(
        "UPDATE SHRptDef SET Forder = 99 WHERE Ftype = 'WorkBill' AND FuserID = 7 AND Ffield = "
        "'FWorkBillNO'");
    EXPECT_EQ(Values(q.GetWorkBillTitle(Props(Clerk), 7), "Ffield").value(4), QStringLiteral("FWorkBillNO"));
    EXPECT_EQ(Scalar("SELECT Forder FROM SHRptDef WHERE Ftype = 'WorkBill' AND FuserID = 7 "
                     "AND Ffield = 'FWorkBillNO'"),
              QVariant(99));
    Exec(
        "UPDATE SHRptDef SET Forder = 5 WHERE Ftype = 'WorkBill' AND FuserID = 7 AND Ffield = 'FWorkBillNO'");

    // A layout the user has keeps its widths (one stored with the old default too);
    // after a restore (the dialog deletes the rows) the default comes back.
    Exec("UPDATE SHRptDef SET Fwidth = 0 WHERE FuserID = 7 AND Ffield = 'FWorkBillNO'");
    EXPECT_EQ(storedNumberWidth(), 0);
    Exec("DELETE FROM SHRptDef WHERE Ftype = 'WorkBill' AND FuserID = 7");
    EXPECT_GE(storedNumberWidth(), numberWidth);
}

TEST_P(StoresTest, TwoWorkstationsAskingAtOnceStoreOneDefault) {
    const int full = query().GetReportTitle(Props(Clerk), 7)->RecordCount();
    for (qint32 user = 20; user < 24; ++user) {
        std::vector<std::thread> stations;
        std::atomic<int> failures{0};
        for (int s = 0; s < 2; ++s)
            stations.emplace_back([&, user] {
                try {
                    if (query().GetReportTitle(Props(Clerk), user)->RecordCount() != full)
                        ++failures;
                } catch (const ComError&) {
                    ++failures;
                }
            });
        for (auto& t : stations) t.join();
        EXPECT_EQ(failures, 0);
        EXPECT_EQ(LayoutRows("ProcRpt", user), full);
    }
}

TEST_P(StoresTest, PlansRoundTripWithQuotesInNames) {
    platform::PlanProfile profile(shared());
    const QString p = Props(Clerk);
    const QString name = QStringLiteral("O'Brien 的方案");
    auto save = [&](const QString& plan, const QString& value) {
        Collection<DictionaryPtr> entries;
        for (const QString& key : Words("BDept,EDept,BWC,EWC")) {
            auto e = NewDictionary();
            for (const auto& [field, v] :
                 {std::pair{"RptID", QVariant(600)}, {"Plan", plan}, {"Key", key}, {"Value", value}})
                e->Set(QString::fromLatin1(field), v);
            entries.Add(e);
        }
        profile.SaveProfile(p, entries);
    };
    EXPECT_EQ(profile.GetPlanValue(p, 600, Basic::SqlQuote(name)), nullptr);
    save(name, QStringLiteral("D'01"));
    save(QStringLiteral("默认方案"), QString());
    save(name, QStringLiteral("D02"));  // replaces
    EXPECT_EQ(profile.GetPlanList(p, 600)->RecordCount(), 2);
    RecordsetPtr values = profile.GetPlanValue(p, 600, Basic::SqlQuote(name));
    ASSERT_NE(values, nullptr);
    EXPECT_EQ(values->RecordCount(), 4);
    values->SetFilter(QStringLiteral("FKey='EWC'"));
    EXPECT_EQ(values->Field(QStringLiteral("FValue")).toString(), QStringLiteral("D02"));
    EXPECT_EQ(profile.GetPlanValue(p, 601, Basic::SqlQuote(name)), nullptr) << "plans are per report";
    profile.DelPlan(p, 600, Basic::SqlQuote(name));
    EXPECT_EQ(profile.GetPlanValue(p, 600, Basic::SqlQuote(name)), nullptr);
    EXPECT_EQ(profile.GetPlanList(p, 600)->RecordCount(), 1);
}

TEST_P(StoresTest, SelectionListsHonourTheirAliasesAndSearch) {
    platform::ListSelData lists(shared());
    ASSERT_TRUE(lists.Open(QStringLiteral("x|1|u"), QString()));
    const QString pick = QStringLiteral(
        " (u1.FCancellation = 0 and u1.FStatus=1 And t3.Fstatus in (1,2) and t3.Fsuspend=0 ) ");
    RecordsetPtr rs = lists.Rows(601, pick, QString(), 100);
    EXPECT_EQ(Values(rs, "FWorkBillNO"), Words("WB-11,WB-12,WB-13"));
    rs->MoveFirst();
    EXPECT_EQ(rs->Field(QStringLiteral("FInterID")).toInt(), WB11)
        << "FInterID is the work bill's FWBInterID";
    EXPECT_EQ(rs->Field(QStringLiteral("FEntryID")).toInt(), 10);
    const QString range = QStringLiteral("(v1.FCanCellation = 0 And v1.FStatus > 0)");
    // Search ignores case, finds the process name, takes quotes and wildcards literally.
    for (const auto& [search, limit, found] :
         {std::tuple{"wb-12", 100, 1}, {"铣", 100, 1}, {"x' OR '1'='1", 100, 0}, {"%", 100, 0}, {"", 2, 2}})
        EXPECT_EQ(lists.Rows(601, range, QString::fromUtf8(search), limit)->RecordCount(), found) << search;

    const QString tasks = QStringLiteral(
        "(v1.FCanCellation = 0 And v1.FStatus in(1,2)  and v1.FTranType=85 and v1.froutingid>=0)");
    EXPECT_EQ(Values(lists.Rows(36, tasks, QString(), 100), "FBillNo"), Words("MO-1,MO-4"));
    // Statuses show by name.
    const RecordsetPtr open = lists.Rows(36, QStringLiteral("v1.FCancellation = 0"), QString(), 100);
    EXPECT_EQ(Values(open, "FBillNo"), Words("MO-1,MO-2,MO-4"));
    EXPECT_EQ(Values(open, "FStatus"), Words("下达,结案,开工"));
    EXPECT_THROW(lists.Rows(5, QString(), QString(), 10), ComError);
}

// Installed once; the probe opens the local list file read-only: it takes a list file,
// refuses what is not one, and leaves the folder and the file's permissions as they were.
TEST(LocalSwitchFile, InstalledOnceAndTheProbeTakesOnlyAListFileAndChangesNothing) {
    enum class File { Installed, Missing, Garbage };
    const QFileDevice::Permissions readOnly =
        QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther;
    // clang-format off
    const struct {
        const char* name;
        File file;
        QFileDevice::Permissions permissions;  // none: as the file was made
        bool accepted;
    } cases[] = {
        {"installed",           File::Installed, {},       true},
        {"missing",             File::Missing,   {},       false},
        {"garbage",             File::Garbage,   {},       false},
        {"installed read-only", File::Installed, readOnly, true},
    };
    // clang-format on
    QTemporaryDir dir;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QString folder = dir.filePath(QString::fromLatin1(c.name));
        const QString path = QDir(folder).filePath(QStringLiteral("ErpSwitch.sss"));
        if (c.file == File::Installed) {
            platform::InstallLocalSwitchFile(folder);  // makes the folder too
            const QDateTime made = QFileInfo(path).lastModified();
            platform::InstallLocalSwitchFile(folder);
            EXPECT_EQ(QFileInfo(path).lastModified(), made) << "an installed file is left alone";
        }
        QDir().mkpath(folder);
        if (c.file == File::Garbage) {
            QFile garbage(path);
            ASSERT_TRUE(garbage.open(QIODevice::WriteOnly));
            garbage.write(QByteArray("not a list file\n").repeated(200));
        }
        ASSERT_TRUE(c.permissions.toInt() == 0 || QFile::setPermissions(path, c.permissions));
        const QStringList files = QDir(folder).entryList(QDir::Files | QDir::Hidden);
        const auto permissions = QFileInfo(path).permissions();

        platform::LocalSwitchDatabase probe;
        if (c.accepted)
            EXPECT_EQ(probe.Connect(path), QStringLiteral("Provider=SQLite;Data Source=") + path + u';');
        else
            EXPECT_THROW(probe.Connect(path), ComError);
        EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden), files) << "no file made or left";
        EXPECT_EQ(QFileInfo(path).permissions(), permissions);
    }
}

SP_INSTANTIATE_BACKENDS(StoresTest);

}  // namespace
}  // namespace sp::test
