#pragma once

#include <QString>
#include <functional>
#include <memory>

namespace sp {

class HostServices;
class ISettingsFile;

// The workbench's settings file (in the host's program folder) through the host's settings
// component; null when the component cannot be had.
std::shared_ptr<ISettingsFile> WorkbenchSettingsFile(HostServices& host);

// Where the workbench's windows write exports and PDFs, and how the writing is told: one
// folder for all of them, the one last written to (the settings file's [Export] Folder), else
// the home folder.
class OutputFiles {
  public:
    explicit OutputFiles(HostServices& host) : host_(host) {}

    QString Folder();
    // Runs `write` (empty when written, else why not) under the wait cursor. Written: the
    // folder is remembered and `written` shown; not written: the failure is logged under
    // `source` and the clerk told why, the old file being left as it was. True when written.
    bool Write(const QString& path, const QString& source, const QString& written,
               const std::function<QString()>& write);

  private:
    HostServices& host_;
};

}  // namespace sp
