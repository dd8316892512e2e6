#pragma once

#include <gtest/gtest.h>

#include "support/TestDatabase.h"

namespace sp::testing {

// A suite that runs once per backend with a fresh migrated database.
class BackendTest : public ::testing::TestWithParam<Backend> {
  protected:
    void SetUp() override {
        tdb_ = TestDatabase::Create(GetParam());
        if (!tdb_)
            GTEST_SKIP();
    }
    platform::Database& db() { return *tdb_->db(); }
    std::unique_ptr<TestDatabase> tdb_;
};

inline std::string BackendParamName(const ::testing::TestParamInfo<Backend>& info) {
    return BackendName(info.param);
}

#define SP_INSTANTIATE_BACKENDS(Suite)                                                                 \
    INSTANTIATE_TEST_SUITE_P(Backends, Suite, ::testing::Values(Backend::SQLite, Backend::PostgreSQL), \
                             ::sp::testing::BackendParamName)

}  // namespace sp::testing
