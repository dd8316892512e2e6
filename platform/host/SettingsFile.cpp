#include "platform/host/SettingsFile.h"

#include <QFile>
#include <QFileInfo>
#include <QSettings>

#include "src/common/ErrorLog.h"

namespace sp::platform {

namespace {
QString Source() { return QStringLiteral("Q8Host.IniFile"); }
}  // namespace

QString SettingsFile::Read(const QString& section, const QString& key, const QString& defaultValue) {
    if (path_.isEmpty() || !QFileInfo(path_).isFile())
        return defaultValue;
    try {
        QSettings ini(path_, QSettings::IniFormat);
        if (ini.status() != QSettings::NoError)
            return defaultValue;
        const QVariant value = ini.value(section + u'/' + key);
        if (!value.isValid())
            return defaultValue;
        // An unquoted "a, b" parses as a list; the caller wants the text of the line.
        if (value.typeId() == QMetaType::QStringList) {
            const QString raw = RawValue(section, key);
            return raw.isNull() ? value.toStringList().join(QStringLiteral(", ")) : raw;
        }
        return value.toString();
    } catch (const std::exception& e) {
        ErrorLog::Write(Source(), QString::fromLocal8Bit(e.what()));
        return defaultValue;
    }
}

void SettingsFile::Write(const QString& section, const QString& key, const QString& value) {
    if (path_.isEmpty())
        return;
    try {
        QSettings ini(path_, QSettings::IniFormat);
        ini.setValue(section + u'/' + key, value);
        ini.sync();
        if (ini.status() != QSettings::NoError)
            ErrorLog::Write(Source(), QStringLiteral("Cannot write [%1] %2 to %3").arg(section, key, path_));
    } catch (const std::exception& e) {
        ErrorLog::Write(Source(), QString::fromLocal8Bit(e.what()));
    }
}

QString SettingsFile::RawValue(const QString& section, const QString& key) const {
    QFile file(path_);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    const QStringList lines = QString::fromUtf8(file.readAll()).split(u'\n');
    bool inSection = false;
    for (const QString& raw : lines) {
        const QString line = raw.trimmed();
        if (line.startsWith(u'[')) {
            inSection = line.compare(u'[' + section + u']') == 0;
            continue;
        }
        if (!inSection)
            continue;
        const qsizetype eq = line.indexOf(u'=');
        if (eq > 0 && line.left(eq).trimmed() == key)
            return line.mid(eq + 1).trimmed();
    }
    return QString();
}

}  // namespace sp::platform
