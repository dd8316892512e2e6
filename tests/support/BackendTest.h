#pragma once

#include <gtest/gtest.h>

#include <QStringList>

#include "src/common/ComError.h"
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
};

// Listed and failing test names show the backend, not its bytes.
inline void PrintTo(Backend backend, std::ostream* os) {
    *os << BackendName(backend);
}

inline std::string BackendParamName(const ::testing::TestParamInfo<Backend>& info) {
    return BackendName(info.param);
}

// "a,b,c" as a list, to keep expected rows of text on one line.
inline QStringList Words(const char* commaSeparated) {
    const QString text = QString::fromUtf8(commaSeparated);
    return text.isEmpty() ? QStringList() : text.split(QLatin1Char(','));
}

// The current row as "text|text|...", NULL as nothing.
inline QString RowText(const RecordsetPtr& rs) {
    QStringList fields;
    for (int i = 0; i < rs->FieldNames().size(); ++i) fields << rs->Field(i).toString();
    return fields.join(QLatin1Char('|'));
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

#define SP_INSTANTIATE_BACKENDS(Suite)                                                                 \
    INSTANTIATE_TEST_SUITE_P(Backends, Suite, ::testing::Values(Backend::SQLite, Backend::PostgreSQL), \
                             ::sp::test::BackendParamName)

}  // namespace sp::test
