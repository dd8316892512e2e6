#pragma once

#include <gtest/gtest.h>

#include <QStringList>
#include <QTemporaryDir>

#include "platform/Platform.h"
#include "platform/db/DemoData.h"
#include "platform/db/Users.h"
#include "platform/middletier/OperationLedger.h"
#include "src/common/Basic.h"
#include "src/common/ComError.h"
#include "src/common/ComponentRegistry.h"
#include "src/entry/HostServices.h"
#include "src/entry/Rights.h"
#include "tests/support/ScriptedUi.h"
#include "tests/support/TestDatabase.h"

namespace sp::test {

// A suite that runs once per backend with a fresh migrated database.
class BackendTest : public ::testing::TestWithParam<Backend> {
  protected:
    void SetUp() override {
        tdb_ = TestDatabase::Create(GetParam());
        if (!tdb_)
            GTEST_SKIP();
    }
    platform::Database& db() { return *tdb_->db(); }
    std::shared_ptr<platform::Database> shared() { return tdb_->db(); }
    void SeedDemo() { platform::SeedDemo(db()); }

    // The platform's stand-ins over this database for one user, as erp-host registers them,
    // with `folder` as the program folder, and the host service layer over them.
    HostServices& RegisterPlatform(qint32 userId, const QString& userName,
                                   const QString& language = QStringLiteral("chs")) {
        platform::RegisterPlatform(registry, {shared(), userId, userName, language, folder.path(), &ui});
        host = std::make_unique<HostServices>(
            ComponentContext{&registry, &ui, folder.path(), folder.path(), 4242});
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
        return db().Scalar(QStringLiteral("SELECT COUNT(*) FROM ") + QString::fromUtf8(from), params).toInt();
    }

    std::unique_ptr<TestDatabase> tdb_;
    QTemporaryDir folder;
    ComponentRegistry registry;
    ScriptedUi ui;
    std::unique_ptr<HostServices> host;  // dies before the registry and the Ui it uses
};

// Listed and failing test names show the backend, not its bytes.
inline void PrintTo(Backend backend, std::ostream* os) { *os << BackendName(backend); }

inline std::string BackendParamName(const ::testing::TestParamInfo<Backend>& info) {
    return BackendName(info.param);
}

// "a,b,c" as a list, to keep expected rows of text on one line.
inline QStringList Words(const char* commaSeparated) {
    const QString text = QString::fromUtf8(commaSeparated);
    return text.isEmpty() ? QStringList() : text.split(QLatin1Char(','));
}

// One field (the first when unnamed) of every row from the first, as text.
inline QStringList Values(const RecordsetPtr& rs, const char* field = nullptr) {
    QStringList values;
    for (rs->MoveFirst(); !rs->Eof(); rs->MoveNext())
        values << (field ? rs->Field(QString::fromUtf8(field)) : rs->Field(0)).toString();
    return values;
}

// The first operations of the n largest tasks of the demo shop: they take reports from
// the start, and have room for many.
inline QStringList LargestFirstOperations(platform::Database& db, int n) {
    return Values(db.Query(QStringLiteral("SELECT FWorkBillNO FROM SHWorkBillEntry WHERE FEntryID = 1 "
                                          "ORDER BY FAuxQtyPlan DESC, FWorkBillNO LIMIT ?"),
                           {n}));
}

// Every posted quantity of the work bill equals the sum of its audited reports.
inline void ExpectPostedMatchesAudited(platform::Database& db, qint32 wbInterId) {
    for (const platform::PostedColumn& c : platform::PostedColumns())
        EXPECT_NEAR(Basic::Dbl(db.Scalar(QStringLiteral("SELECT %1 FROM SHWorkBillEntry WHERE FWBInterID = ?")
                                             .arg(QLatin1String(c.workBill)),
                                         {wbInterId})),
                    Basic::Dbl(db.Scalar(QStringLiteral("SELECT COALESCE(SUM(%1), 0) FROM SHProcRpt WHERE "
                                                        "FWBInterID = ? AND Fstatus = 1")
                                             .arg(QLatin1String(c.report)),
                                         {wbInterId})),
                    1e-6)
            << c.workBill;
}

// Checks "Name=text;Other=text" against the current row, each value compared as text.
inline void ExpectFields(const RecordsetPtr& rs, const char* expected) {
    ASSERT_FALSE(rs->Eof());
    for (const QString& pair : QString::fromUtf8(expected).split(QLatin1Char(';'))) {
        const QString name = pair.section(QLatin1Char('='), 0, 0);
        EXPECT_EQ(rs->Field(name).toString(), pair.section(QLatin1Char('='), 1)) << name.toStdString();
    }
}

// "<number> <source>: <description>" of the ComError the call raises; empty when it raises none.
template <class Call>
QString ErrorOf(Call&& call) {
    try {
        call();
    } catch (const ComError& e) {
        return QStringLiteral("%1 %2: %3").arg(e.Number()).arg(e.Source(), e.Description());
    }
    return {};
}

// Every suite that runs on both databases is instantiated with this.
#define SP_INSTANTIATE_BACKENDS(Suite)                                                                 \
    INSTANTIATE_TEST_SUITE_P(Backends, Suite, ::testing::Values(Backend::SQLite, Backend::PostgreSQL), \
                             ::sp::test::BackendParamName)

}  // namespace sp::test
