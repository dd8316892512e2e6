#pragma once

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QFile>
#include <QStringList>
#include <QThread>
#include <functional>

#include "platform/db/DemoData.h"
#include "platform/db/Users.h"
#include "platform/middletier/OperationLedger.h"
#include "src/common/Basic.h"
#include "src/common/ComError.h"
#include "src/entry/Rights.h"
#include "tests/support/FakeHost.h"
#include "tests/support/ScriptedUi.h"
#include "tests/support/SignedIn.h"
#include "tests/support/TestDatabase.h"

namespace sp::test {

// Asks until the answer is yes or the time is up; the last answer.
inline bool Eventually(int milliseconds, const std::function<bool()>& yes) {
    QElapsedTimer timer;
    timer.start();
    for (bool answer = false;; QThread::msleep(20))
        if ((answer = yes()) || timer.elapsed() > milliseconds)
            return answer;
}

// Writes the bytes as the file's whole content; its path back.
inline QString WriteBytes(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    f.write(bytes);
    return path;
}

// "a,b,c" as a list, to keep expected rows of text on one line.
inline QStringList Words(const char* commaSeparated) {
    const QString text = QString::fromUtf8(commaSeparated);
    return text.isEmpty() ? QStringList() : text.split(u',');
}

// One field (the first when unnamed) of every row from the first, as text.
inline QStringList Values(const RecordsetPtr& rs, const char* field = nullptr) {
    QStringList values;
    for (rs->MoveFirst(); !rs->Eof(); rs->MoveNext())
        values << (field ? rs->Field(QString::fromUtf8(field)) : rs->Field(0)).toString();
    return values;
}

// Every row the statements read, as text, each statement's rows sorted: two snapshots are
// equal exactly when those rows are.
inline QString Snapshot(platform::Database& db, const QStringList& statements) {
    QStringList tables;
    for (const QString& sql : statements) {
        QStringList rows;
        for (RecordsetPtr rs = db.Query(sql); !rs->Eof(); rs->MoveNext()) {
            QStringList fields;
            for (int i = 0; i < rs->FieldCount(); ++i) fields << Basic::Text(rs->Field(i));
            rows << fields.join(u'|');
        }
        rows.sort();
        tables << sql + u'\n' + rows.join(u'\n');
    }
    return tables.join(u"\n\n"_s);
}
inline QString Snapshot(platform::Database& db, std::initializer_list<const char*> statements) {
    QStringList texts;
    for (const char* sql : statements) texts << QString::fromUtf8(sql);
    return Snapshot(db, texts);
}

// The first operations of the n largest tasks of the demo shop: they take reports from
// the start, and have room for many.
inline QStringList LargestFirstOperations(platform::Database& db, int n) {
    return Values(
        db.Query(u"SELECT FWorkBillNO FROM SHWorkBillEntry WHERE FEntryID = 1 "
                 "ORDER BY FAuxQtyPlan DESC, FWorkBillNO LIMIT ?"_s,
                 {n}));
}

// "column of work bill" for every posted total that is not the sum of the work bill's
// audited reports (of every work bill when none is named).
inline QStringList PostedMismatches(platform::Database& db, qint32 wbInterId = 0) {
    QStringList wrong;
    for (const platform::PostedColumn& c : platform::PostedColumns())
        for (const QString& bill :
             Values(db.Query(u"SELECT w.FWorkBillNO FROM SHWorkBillEntry w WHERE (? = 0 OR w.FWBInterID = ?) "
                             "AND ABS(COALESCE(w.%1, 0) - COALESCE((SELECT SUM(r.%2) FROM SHProcRpt r "
                             "WHERE r.FWBInterID = w.FWBInterID AND r.Fstatus = 1), 0)) > 0.000001"_s.arg(
                                 QLatin1String(c.workBill), QLatin1String(c.report)),
                             {wbInterId, wbInterId})))
            wrong << u"%1 of %2"_s.arg(QLatin1String(c.workBill), bill);
    return wrong;
}

// Every posted quantity of the work bill equals the sum of its audited reports.
inline void ExpectPostedMatchesAudited(platform::Database& db, qint32 wbInterId) {
    EXPECT_EQ(PostedMismatches(db, wbInterId), QStringList());
}

// The demo shop with users of the suite's own, as the suites that drive the whole
// workbench start: the users' ids in the order given, and the work bill they report on.
struct DemoShop {
    QList<qint32> users;
    QString bill;
    qint32 wbId = 0;
};
inline DemoShop SeedDemoShop(platform::Database& db, const QList<std::pair<QString, quint32>>& users) {
    platform::SeedDemo(db);
    DemoShop shop;
    for (const auto& [name, rights] : users) {
        platform::AddUser(db, name, rights);
        shop.users << platform::FindUser(db, name).value_or(0);
    }
    shop.bill = LargestFirstOperations(db, 1).value(0);
    shop.wbId =
        db.Scalar(u"SELECT FWBInterID FROM SHWorkBillEntry WHERE FWorkBillNO = ?"_s, {shop.bill}).toInt();
    return shop;
}

// The database outlives whoever signs in on it.
struct WithDatabase {
    std::unique_ptr<TestDatabase> tdb_;
};

// A suite that runs once per backend with a fresh migrated database.
class BackendTest : public ::testing::TestWithParam<Backend>,
                    public WithDatabase,
                    public SignedIn<ScriptedUi> {
  protected:
    void SetUp() override {
        tdb_ = TestDatabase::Create(GetParam());
        if (!tdb_)
            GTEST_SKIP();
    }
    platform::Database& db() { return *tdb_->db(); }
    std::shared_ptr<platform::Database> shared() { return tdb_->db(); }
    void SeedDemo() { platform::SeedDemo(db()); }

    // The platform's stand-ins over this database for one user, and the host service
    // layer over them.
    HostServices& RegisterPlatform(qint32 userId, const QString& userName,
                                   const QString& language = u"chs"_s) {
        SignIn(shared(), userId, userName, language);
        return *host;
    }

    // Shorthands for the many one-statement steps of the tests.
    RecordsetPtr Query(const char* sql, const QVariantList& params = {}) {
        return db().Query(QString::fromUtf8(sql), params);
    }
    int Exec(const char* sql, const QVariantList& params = {}) {
        return db().Exec(QString::fromUtf8(sql), params);
    }
    QVariant Scalar(const char* sql, const QVariantList& params = {}) {
        return db().Scalar(QString::fromUtf8(sql), params);
    }
    int Count(const char* from, const QVariantList& params = {}) {
        return db().Scalar(u"SELECT COUNT(*) FROM "_s + QString::fromUtf8(from), params).toInt();
    }
};

// The demo shop and a user of the suite's own with every right, on each backend.
class DemoShopTest : public BackendTest {
  protected:
    void SetUp() override {
        BackendTest::SetUp();
        if (tdb_)
            shop = SeedDemoShop(db(), {{u"clerk1"_s, Rights::All}});
    }
    DemoShop shop;
};

// Listed and failing test names show the backend, not its bytes.
inline void PrintTo(Backend backend, std::ostream* os) { *os << BackendName(backend); }

inline std::string BackendParamName(const ::testing::TestParamInfo<Backend>& info) {
    return BackendName(info.param);
}

// Checks "Name=text;Other=text" against the current row, each value compared as text.
inline void ExpectFields(const RecordsetPtr& rs, const char* expected) {
    ASSERT_FALSE(rs->Eof());
    for (const QString& pair : QString::fromUtf8(expected).split(u';')) {
        const QString name = pair.section(u'=', 0, 0);
        EXPECT_EQ(rs->Field(name).toString(), pair.section(u'=', 1)) << name.toStdString();
    }
}

// Every suite that runs on both databases is instantiated with this.
#define SP_INSTANTIATE_BACKENDS(Suite)                                                                 \
    INSTANTIATE_TEST_SUITE_P(Backends, Suite, ::testing::Values(Backend::SQLite, Backend::PostgreSQL), \
                             ::sp::test::BackendParamName)

}  // namespace sp::test
