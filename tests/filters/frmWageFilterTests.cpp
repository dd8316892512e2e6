#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>

#include "FilterFakes.h"
#include "filters/FilterBounds.h"
#include "filters/frmWageFilter.h"
#include "navigation/frmList.h"
#include "platform/host/SettingsFile.h"

using namespace sp;
using namespace sp::test;

namespace {

const QString kSection = QStringLiteral("Q8SHProcRpt600");
const QString kDefault = QStringLiteral("默认方案");

class WageFilter : public ::testing::Test {
  protected:
    FilterHarness h;

    std::unique_ptr<frmWageFilter> Open() {
        auto dlg = std::make_unique<frmWageFilter>(*h.host);
        dlg->SetRptID(600);
        dlg->Form_Load();
        return dlg;
    }
    // Runs the dialog the way ShopProc does, with the user's actions in between.
    DictionaryPtr Run(std::function<void(frmWageFilter&)> user) {
        h.ui.dialogHandlers[QStringLiteral("frmWageFilter")] = [user](DialogModel& m) {
            user(dynamic_cast<frmWageFilter&>(m));
        };
        frmWageFilter dlg(*h.host);
        dlg.SetRptID(600);
        dlg.ShowModal();
        return dlg.Result();
    }
    void MakeLocalFile(const QString& relative) {
        const QString path = h.folder.filePath(relative);
        QDir().mkpath(QFileInfo(path).path());
        const QString name = QStringLiteral("make-local");
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
            db.setDatabaseName(path);
            ASSERT_TRUE(db.open());
            QSqlQuery(db).exec(QStringLiteral("CREATE TABLE t_Switch (FKey TEXT)"));
            db.close();
        }
        QSqlDatabase::removeDatabase(name);
    }
    void PickListRow(int row) {
        h.ui.dialogHandlers[QStringLiteral("frmList")] = [row](DialogModel& m) {
            auto& form = dynamic_cast<frmList&>(m);
            form.SetCurrentRow(row);
            form.Confirm();
        };
    }
};

TEST_F(WageFilter, ConfirmHandsOverTheFourteenBoxesExactlyAsTyped) {
    // Empty boxes: every key present and empty, OK True, nothing else.
    DictionaryPtr empty = Run([](frmWageFilter& f) { f.cmdOK_Click(); });
    ASSERT_TRUE(empty);
    EXPECT_TRUE(empty->Item(QStringLiteral("OK")).toBool());
    EXPECT_EQ(empty->Count(), 15);
    for (int i = 0; i < kFilterBoxCount; ++i) {
        EXPECT_TRUE(empty->Exists(FilterBoundKey(i)));
        EXPECT_EQ(empty->Item(FilterBoundKey(i)).toString(), QString());
    }
    EXPECT_FALSE(empty->Exists(QStringLiteral("GroupBy")));

    // Blanks around a bound arrive untouched.
    DictionaryPtr typed = Run([](frmWageFilter& f) {
        f.UserEdit(0, QStringLiteral(" 01"));
        f.UserEdit(13, QStringLiteral("09 "));
        f.SetGroupByIndex(0);
        f.cmdOK_Click();
    });
    EXPECT_EQ(typed->Item(QStringLiteral("BDept")).toString(), QStringLiteral(" 01"));
    EXPECT_EQ(typed->Item(QStringLiteral("EItem")).toString(), QStringLiteral("09 "));
}

TEST_F(WageFilter, EveryCloseWritesTheBoundsAndReopeningShowsThem) {
    struct Case {
        const char* name;
        std::function<void(frmWageFilter&)> close;
        bool ok;
    };
    const Case cases[] = {
        {"confirmed", [](frmWageFilter& f) { f.cmdOK_Click(); }, true},
        {"cancelled", [](frmWageFilter& f) { f.cmdCancel_Click(); }, false},
        {"window closed", [](frmWageFilter& f) { f.QueryClose(); }, false},
        {"dialog left without a button", [](frmWageFilter&) {}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        h.settings->sections.clear();
        DictionaryPtr result = Run([&](frmWageFilter& f) {
            f.UserEdit(2, QStringLiteral("WC-1"));
            f.UserEdit(7, QStringLiteral("WB 9"));
            f.SetGroupByIndex(1);
            c.close(f);
        });
        EXPECT_EQ(result->Item(QStringLiteral("OK")).toBool(), c.ok);
        EXPECT_EQ(h.settings->file, QDir(h.folder.path()).filePath(QStringLiteral("Q8SHProcRpt.ini")));
        const auto section = h.settings->sections.value(kSection);
        EXPECT_EQ(section.size(), 15);
        EXPECT_EQ(section.value(QStringLiteral("BWC")), QStringLiteral("WC-1"));
        EXPECT_EQ(section.value(QStringLiteral("EWB")), QStringLiteral("WB 9"));
        EXPECT_EQ(section.value(QStringLiteral("GroupBy")), QStringLiteral("1"));

        auto again = Open();
        EXPECT_EQ(again->txtItem(2), QStringLiteral("WC-1"));
        EXPECT_EQ(again->txtItem(7), QStringLiteral("WB 9"));
        EXPECT_EQ(again->txtItem(0), QString());
        EXPECT_EQ(again->GroupByIndex(), 2) << "GroupBy is written, never read back";
    }
}

TEST_F(WageFilter, ReportsKeepTheirOwnSection) {
    h.settings->sections[QStringLiteral("Q8SHProcRpt601")][QStringLiteral("BDept")] = QStringLiteral("other");
    h.settings->sections[kSection][QStringLiteral("BDept")] = QStringLiteral("mine");
    EXPECT_EQ(Open()->txtItem(0), QStringLiteral("mine"));
}

TEST_F(WageFilter, AnUnusableSettingsFileGivesEmptyBoxesAndNeverFails) {
    h.settings->sections[kSection][QStringLiteral("BDept")] = QStringLiteral("01");
    h.settings->failReads = true;
    h.settings->failWrites = true;
    DictionaryPtr result;
    EXPECT_NO_THROW(result = Run([](frmWageFilter& f) {
                        EXPECT_EQ(f.txtItem(0), QString());
                        f.UserEdit(1, QStringLiteral("02"));
                        f.cmdOK_Click();
                    }));
    EXPECT_EQ(result->Item(QStringLiteral("EDept")).toString(), QStringLiteral("02"));

    // Without any settings component the dialog still works.
    h.registry.Unregister(ProgId::SettingsFile());
    EXPECT_NO_THROW(result = Run([](frmWageFilter& f) { f.cmdOK_Click(); }));
    EXPECT_TRUE(result->Item(QStringLiteral("OK")).toBool());
}

TEST_F(WageFilter, RefusedCharactersNeverReachABox) {
    auto f = Open();
    struct Key {
        int key;
        QString text;
        frmWageFilter::KeyAction expected;
    };
    const Key keys[] = {
        {Qt::Key_Apostrophe, QStringLiteral("'"), frmWageFilter::KeyAction::Swallow},
        {Qt::Key_Bar, QStringLiteral("|"), frmWageFilter::KeyAction::Swallow},
        {Qt::Key_NumberSign, QStringLiteral("#"), frmWageFilter::KeyAction::Swallow},
        {Qt::Key_A, QStringLiteral("a"), frmWageFilter::KeyAction::Pass},
        {Qt::Key_Space, QStringLiteral(" "), frmWageFilter::KeyAction::Pass},
        {Qt::Key_Return, QStringLiteral("\r"), frmWageFilter::KeyAction::NextField},
        {Qt::Key_Enter, QStringLiteral("\r"), frmWageFilter::KeyAction::NextField},
    };
    for (const Key& k : keys)
        EXPECT_EQ(f->txtItem_KeyDown(3, k.key, k.text), k.expected) << k.text.toStdString();

    // Pasted or dropped text: the refused characters are stripped, the rest kept.
    EXPECT_EQ(f->UserEdit(3, QStringLiteral("A'01|B#2")), QStringLiteral("A01B2"));
    EXPECT_EQ(f->UserEdit(4, QStringLiteral("x\ny")), QStringLiteral("xy"));
    EXPECT_EQ(f->txtItem(3), QStringLiteral("A01B2"));

    // A hand-edited settings file cannot smuggle them in either.
    h.settings->sections[kSection][QStringLiteral("BWorker")] = QStringLiteral("1' OR '1'='1");
    EXPECT_EQ(Open()->txtItem(10), QStringLiteral("1 OR 1=1"));
}

TEST_F(WageFilter, ItemLookupsWriteTheShortNumberOfADetailEntryOnly) {
    struct Case {
        int index;
        qint32 itemClass;
        QString filter;
        bool searchFromBox;
    };
    const Case cases[] = {
        {0, 2, QStringLiteral("FDProperty = 1070"), true},
        {1, 2, QStringLiteral("FDProperty = 1070"), true},
        {2, 14, QString(), false},
        {3, 14, QString(), false},
        {10, 3, QString(), true},
        {11, 3, QString(), true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.index);
        auto f = Open();
        f->UserEdit(c.index, QStringLiteral("before"));
        h.lookups->classes.clear();
        h.lookups->filters.clear();
        h.lookups->searches.clear();
        h.lookups->results = {Chosen(QStringLiteral("01.02"), QStringLiteral("02"))};
        f->cmdItem_Click(c.index);
        ASSERT_EQ(h.lookups->classes.size(), 1);
        EXPECT_EQ(h.lookups->classes[0], c.itemClass);
        EXPECT_EQ(h.lookups->filters[0], c.filter);
        EXPECT_EQ(h.lookups->searches[0], c.searchFromBox ? QStringLiteral("before") : QString());
        EXPECT_EQ(f->txtItem(c.index), QStringLiteral("02"));
    }

    // Group-level, Null-detail, not confirmed and cancelled choices leave the box.
    auto refused = [](LookupResultPtr r) { return r; };
    auto notOk = Chosen(QStringLiteral("01"), QStringLiteral("01"));
    notOk->ReturnOK = false;
    const LookupResultPtr leaveBox[] = {
        refused(Chosen(QStringLiteral("01"), QStringLiteral("01"), false)),
        refused(Chosen(QStringLiteral("01"), QStringLiteral("01"), QVariant())), notOk, nullptr};
    for (const LookupResultPtr& r : leaveBox) {
        auto f = Open();
        f->UserEdit(0, QStringLiteral("kept"));
        h.lookups->results = {r};
        f->cmdItem_Click(0);
        EXPECT_EQ(f->txtItem(0), QStringLiteral("kept"));
    }
}

TEST_F(WageFilter, TeamAndProcessLookupsWriteTheEntryNumber) {
    auto f = Open();
    h.lookups->results = {Chosen(QStringLiteral("T7"), QString(), false),
                          Chosen(QStringLiteral("P3"), QString())};
    f->cmdItem_Click(9);
    f->cmdItem_Click(12);
    EXPECT_EQ(h.lookups->classes, (QVector<qint32>{62, 61}));
    // Auxiliary entries are taken whatever their level.
    EXPECT_EQ(f->txtItem(9), QStringLiteral("T7"));
    EXPECT_EQ(f->txtItem(12), QStringLiteral("P3"));

    f->UserEdit(13, QStringLiteral("kept"));
    f->cmdItem_Click(13);  // nothing scripted: cancelled
    EXPECT_EQ(f->txtItem(13), QStringLiteral("kept"));
}

TEST_F(WageFilter, AFailingLookupIsShownByTheErrorDisplayAndLeavesTheBox) {
    auto f = Open();
    h.lookups->fail = true;
    for (int index : {0, 3, 8, 11, 12}) {
        f->UserEdit(index, QStringLiteral("kept"));
        f->cmdItem_Click(index);
        EXPECT_EQ(f->txtItem(index), QStringLiteral("kept"));
    }
    EXPECT_EQ(h.lookups->handledErrors, QStringList(5, QStringLiteral("lookup down")));
    EXPECT_TRUE(h.ui.messages.isEmpty());
}

TEST_F(WageFilter, F7AndF8OpenTheLookupOfTheirBoxOrButton) {
    auto f = Open();
    h.lookups->results = {Chosen(QStringLiteral("E1"), QStringLiteral("E1s")),
                          Chosen(QStringLiteral("T1"), QString())};
    EXPECT_EQ(f->txtItem_KeyDown(10, Qt::Key_F7, QString()), frmWageFilter::KeyAction::Swallow);
    EXPECT_EQ(f->cmdItem_KeyDown(8, Qt::Key_F8), frmWageFilter::KeyAction::Swallow);
    EXPECT_EQ(f->txtItem(10), QStringLiteral("E1s"));
    EXPECT_EQ(f->txtItem(8), QStringLiteral("T1"));
    EXPECT_EQ(f->cmdItem_KeyDown(8, Qt::Key_F9), frmWageFilter::KeyAction::Pass);
}

TEST_F(WageFilter, ListLookupWithoutTheLocalFileEndsQuietly) {
    auto f = Open();
    f->UserEdit(5, QStringLiteral("MO-1"));
    f->cmdItem_Click(5);
    EXPECT_EQ(f->txtItem(5), QStringLiteral("MO-1"));
    EXPECT_TRUE(h.ui.messages.isEmpty());
    EXPECT_TRUE(h.ui.dialogsShown.isEmpty());
}

TEST_F(WageFilter, ListLookupThatCannotOpenTheLocalFileTellsTheUser) {
    const QString path = h.folder.filePath(QStringLiteral("ErpSwitch.sss"));
    QFile garbage(path);
    ASSERT_TRUE(garbage.open(QIODevice::WriteOnly));
    garbage.write(QByteArray(4096, 'x'));
    garbage.close();
    auto f = Open();
    f->UserEdit(6, QStringLiteral("WB-1"));
    f->cmdItem_Click(6);
    EXPECT_EQ(f->txtItem(6), QStringLiteral("WB-1"));
    ASSERT_EQ(h.ui.messages.size(), 1);
    EXPECT_EQ(h.ui.messages[0].text,
              QStringLiteral("由于你的ODBC有误，系统不能与文件:'") + path + QStringLiteral("'建立连接。"));
    EXPECT_EQ(h.ui.messages[0].title, QStringLiteral("Vorlane提示"));
    EXPECT_EQ(h.ui.messages[0].buttons, MsgButtons::Ok);
    EXPECT_TRUE(h.ui.dialogsShown.isEmpty());
}

TEST_F(WageFilter, ListLookupsFetchTheNumberOfThePickedRow) {
    MakeLocalFile(QStringLiteral("erpSystem/ErpSwitch.sss"));
    h.lists->rows = {{7, 2, QStringLiteral("X")}, {8, 3, QStringLiteral("Y")}};
    h.connection->answers[QStringLiteral("Select FBillNo From ICMO Where FInterID=8")] =
        QStringLiteral("MO-8");
    h.connection->answers[QStringLiteral(
        "Select FWorkBillNo From SHWorkBillEntry Where FWBInterID=7 and  FEntryId = 2")] =
        QStringLiteral("WB-7");
    PickListRow(1);
    auto f = Open();
    f->cmdItem_Click(4);
    EXPECT_EQ(f->txtItem(4), QStringLiteral("MO-8"));
    EXPECT_EQ(h.lists->lastFilter,
              QStringLiteral(
                  "(v1.FCanCellation = 0 And v1.FStatus in(1,2)  and v1.FTranType=85 and v1.froutingid>0)"));
    EXPECT_EQ(h.lists->lastBaseInfo, QStringLiteral("Provider=SQLite;Data Source=erp.db|12|Li"));
    EXPECT_TRUE(h.lists->lastLocalCnn.startsWith(QStringLiteral("Provider=SQLite;Data Source=")));
    EXPECT_TRUE(h.lists->lastLocalCnn.endsWith(QStringLiteral("erpSystem/ErpSwitch.sss;")));

    PickListRow(0);
    f->cmdItem_Click(7);
    EXPECT_EQ(f->txtItem(7), QStringLiteral("WB-7"));
    EXPECT_EQ(h.lists->lastFilter, QStringLiteral("(v1.FCanCellation = 0 And v1.FStatus > 0)"));

    // A picked row without a bill, and a cancelled list, leave the box.
    PickListRow(0);
    f->cmdItem_Click(5);
    EXPECT_EQ(f->txtItem(5), QString());
    h.ui.dialogHandlers[QStringLiteral("frmList")] = [](DialogModel& m) {
        dynamic_cast<frmList&>(m).Cancel();
    };
    f->cmdItem_Click(4);
    EXPECT_EQ(f->txtItem(4), QStringLiteral("MO-8"));
    EXPECT_TRUE(h.ui.messages.isEmpty());
}

TEST_F(WageFilter, ListLookupMakesAReadOnlyLocalFileWritable) {
    MakeLocalFile(QStringLiteral("ErpSwitch.sss"));
    const QString path = h.folder.filePath(QStringLiteral("ErpSwitch.sss"));
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::ReadGroup);
    auto f = Open();
    EXPECT_EQ(f->ListLookup().LocalCnnString(),
              QStringLiteral("Provider=SQLite;Data Source=") + path + QLatin1Char(';'));
    EXPECT_TRUE(QFile::permissions(path) & QFileDevice::WriteOwner);
}

// The host's real settings file in the program folder.
class WageFilterSettingsFile : public WageFilter {
  protected:
    void SetUp() override {
        h.registry.Register<ISettingsFile>(ProgId::SettingsFile(),
                                           [] { return std::make_shared<platform::SettingsFile>(); });
    }
    QString IniPath() const { return h.folder.filePath(QStringLiteral("Q8SHProcRpt.ini")); }
    void WriteIni(const QByteArray& bytes) {
        QFile f(IniPath());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
};

TEST_F(WageFilterSettingsFile, BoundsRoundTripThroughTheFile) {
    Run([](frmWageFilter& f) {
        f.UserEdit(0, QStringLiteral(" 部门, 01 "));
        f.UserEdit(9, QStringLiteral("班组=7;x"));
        f.cmdCancel_Click();
    });
    auto again = Open();
    EXPECT_EQ(again->txtItem(0), QStringLiteral(" 部门, 01 "));
    EXPECT_EQ(again->txtItem(9), QStringLiteral("班组=7;x"));
}

TEST_F(WageFilterSettingsFile, GarbageOrUnwritableFilesGiveEmptyBoxesWithoutFailing) {
    const QByteArray garbage[] = {
        QByteArray("\x00\xff\xfe[[[=\n\x01"
                   "BDept\n",
                   16),
        QByteArray("[Q8SHProcRpt600\nBDept\n=\n"),
        QByteArray(70000, '['),
    };
    for (const QByteArray& bytes : garbage) {
        WriteIni(bytes);
        auto f = Open();
        for (int i = 0; i < kFilterBoxCount; ++i) EXPECT_EQ(f->txtItem(i), QString()) << i;
    }
    // A settings file that cannot be written (a folder in its place) loses the bounds
    // quietly; the dialog still confirms.
    QFile::remove(IniPath());
    ASSERT_TRUE(QDir().mkpath(IniPath()));
    DictionaryPtr result;
    EXPECT_NO_THROW(result = Run([](frmWageFilter& f) {
                        f.UserEdit(0, QStringLiteral("01"));
                        f.cmdOK_Click();
                    }));
    EXPECT_EQ(result->Item(QStringLiteral("BDept")).toString(), QStringLiteral("01"));
    EXPECT_EQ(Open()->txtItem(0), QString());
}

}  // namespace
