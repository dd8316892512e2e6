#pragma once

#include <QString>
#include <functional>

#include "src/common/Export.h"

namespace sp {

class ComError;

// Where errors nobody sees end up: the application log. The host installs a sink
// (a file in the user's data folder); until then lines go to qWarning.
class SPCOMMON_EXPORT ErrorLog {
  public:
    using Sink = std::function<void(const QString& source, const QString& text)>;
    // What every source and text passes through before it reaches the sink or qWarning:
    // the host hides database passwords with it, whoever installed the sink.
    using Mask = std::function<QString(const QString& text)>;
    static void SetSink(Sink sink);
    static void SetMask(Mask mask);
    static void Write(const QString& source, const QString& text);
    // An error caught and not shown: under its source, "<number>: <description>".
    static void Write(const ComError& error);
};

}  // namespace sp
