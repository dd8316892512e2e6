#pragma once

#include "src/entry/HostInterfaces.h"

namespace sp::platform {

// Q8Host.IniFile: an INI settings file. Values are read as the text that stands in the
// file, even where the INI reader would see a list ("a, b"). Nothing here throws: a
// missing, unreadable or malformed file reads as defaults, and a write that cannot be
// stored is written to the application log.
class SettingsFile : public ISettingsFile {
  public:
    void SetFile(const QString& path) override { path_ = path; }
    QString Read(const QString& section, const QString& key, const QString& defaultValue) override;
    void Write(const QString& section, const QString& key, const QString& value) override;

  private:
    // The value as it stands after "key=" in [section], or a null QString.
    QString RawValue(const QString& section, const QString& key) const;

    QString path_;
};

}  // namespace sp::platform
