#pragma once

#include <QString>

namespace sp::host {

// Sends the application log (ErrorLog) to a file only its owner may read or write: one
// line per entry with the time and the source. Every line, to the file or not, passes
// through DatabaseUrl::Masked first (ErrorLog::SetMask). A file that cannot be written
// leaves the lines on stderr.
class AppLogFile {
  public:
    static void Install(const QString& path);
};

}  // namespace sp::host
