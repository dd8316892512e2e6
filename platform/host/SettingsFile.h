#pragma once

#include "src/entry/HostInterfaces.h"

namespace sp::platform {

// Q8Host.IniFile: an INI settings file, read line by line and written in place of the
// one line that changes, so every other byte of the file stays as it stood. Values are
// the text that stands after "key=", blanks around it trimmed and a pair of double
// quotes around it taken off (a value with blanks at its ends is written so); nothing
// else in a value is special, so "a, b", ";" and backslashes read as they stand.
//
// A value that cannot be read (not UTF-8, longer than kMaxValueLength characters, or on
// a line longer than kMaxLineBytes, which is passed over without being held) reads as
// the default, is named by UnreadableKeys and stays in the file until written. Nothing
// here throws: a missing or unusable file reads as defaults, and a write that cannot be
// stored is written to the application log.
class SettingsFile : public ISettingsFile {
  public:
    static constexpr qint64 kMaxLineBytes = 64 * 1024;
    static constexpr qsizetype kMaxValueLength = 255;

    void SetFile(const QString& path) override { path_ = path; }
    QString Read(const QString& section, const QString& key, const QString& defaultValue) override;
    void Write(const QString& section, const QString& key, const QString& value) override;
    QStringList UnreadableKeys(const QString& section) override;
    bool Writable() override;

  private:
    QString path_;
};

}  // namespace sp::platform
