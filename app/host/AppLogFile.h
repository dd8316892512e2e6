#pragma once

#include <QString>

namespace sp::host {

// Sends the application log (ErrorLog) to a file: one line per entry with the time
// and the source. A file that cannot be written leaves the lines on stderr.
class AppLogFile {
  public:
    static void Install(const QString& path);
};

}  // namespace sp::host
