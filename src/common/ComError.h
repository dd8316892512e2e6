#pragma once

#include <QString>
#include <exception>
#include <string>

#include "src/common/Export.h"

namespace sp {

// The one error type of host and middle-tier calls: number, source and description, and
// for a statement the database refused, the database's own code of the failure.
class SPCOMMON_EXPORT ComError : public std::exception {
  public:
    ComError(int number, QString source, QString description, QString nativeCode = {});

    int Number() const { return number_; }
    const QString& Source() const { return source_; }
    const QString& Description() const { return description_; }
    // The database's code, as its driver gives it (PostgreSQL: the SQLSTATE, "23505"; SQLite:
    // the extended result code, "2067"): the kind of a failure whatever language the server's
    // messages are in. Empty for every other error.
    const QString& NativeCode() const { return nativeCode_; }
    const char* what() const noexcept override { return what_.c_str(); }

  private:
    int number_;
    QString source_;
    QString description_;
    QString nativeCode_;
    std::string what_;
};

// Error numbers the component raises or tests for.
namespace ErrorNumber {
constexpr int FunctionConflict = 16390;  // MNetControl.ExecFunc
constexpr int NotFound = 5;              // missing key, field or component
constexpr int Database = 3000;           // a statement the database refused
constexpr int Refused = 3001;            // a stand-in refused the call (bad input)
}  // namespace ErrorNumber

// Refuses what a caller asked for (bad input, not a fault): ComError(ErrorNumber::Refused).
[[noreturn]] inline void Refuse(const QString& source, const QString& message) {
    throw ComError(ErrorNumber::Refused, source, message);
}

}  // namespace sp
