#include "platform/host/SettingsFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QSet>
#include <QStringDecoder>
#include <cstring>
#include <optional>
#include <utility>

#include "src/common/ErrorLog.h"

namespace sp::platform {

namespace {

QString Source() { return QStringLiteral("Q8Host.IniFile"); }

// Reads a file line by line in large blocks, holding at most kMaxLineBytes of a line: a
// longer line gives that much as its head and is overlong; its rest is passed over, or
// copied, by Finish, without ever being held whole.
class LineReader {
  public:
    explicit LineReader(QIODevice& in) : in_(in) {}

    // The next line's head, without its line break; false at the end of the file.
    bool Next() {
        if (pending_)
            Finish(nullptr);
        head_.clear();
        overlong_ = false;
        hasBreak_ = false;
        if (!Fill())
            return false;
        for (;;) {
            const char* begin = buf_.constData() + pos_;
            const qsizetype available = buf_.size() - pos_;
            const qsizetype room = SettingsFile::kMaxLineBytes - head_.size();
            // A break right after `room` bytes still ends a line that fits.
            const qsizetype look = qMin(available, room + 1);
            if (const void* nl = std::memchr(begin, '\n', static_cast<size_t>(look))) {
                const qsizetype length = static_cast<const char*>(nl) - begin;
                head_.append(begin, length);
                pos_ += length + 1;
                hasBreak_ = true;
                return true;
            }
            if (available > room) {
                head_.append(begin, room);
                pos_ += room;
                overlong_ = pending_ = true;
                return true;
            }
            head_.append(begin, available);
            pos_ += available;
            if (!Fill())
                return true;  // the last line has no break
        }
    }

    const QByteArray& Head() const { return head_; }
    bool Overlong() const { return overlong_; }
    // Whether the line read last ended with a line break (known after Finish for an
    // overlong line).
    bool HadBreak() const { return hasBreak_; }

    // Ends the current line: writes every byte of it as it stood, its break included, to
    // out when given, else passes over it. False when out refused a write.
    bool Finish(QIODevice* out) {
        bool ok = !out || out->write(head_) == head_.size();
        if (!pending_)
            return hasBreak_ && out ? ok && out->write("\n", 1) == 1 : ok;
        pending_ = false;
        while (Fill()) {
            const char* begin = buf_.constData() + pos_;
            const qsizetype available = buf_.size() - pos_;
            const void* nl = std::memchr(begin, '\n', static_cast<size_t>(available));
            const qsizetype take = nl ? static_cast<const char*>(nl) - begin + 1 : available;
            if (out)
                ok = ok && out->write(begin, take) == take;
            pos_ += take;
            if (nl) {
                hasBreak_ = true;
                break;
            }
        }
        return ok;
    }

  private:
    bool Fill() {
        if (pos_ < buf_.size())
            return true;
        constexpr qint64 kBlock = 1 << 20;
        buf_.resize(kBlock);
        const qint64 got = in_.read(buf_.data(), kBlock);
        buf_.resize(got > 0 ? got : 0);
        pos_ = 0;
        return got > 0;
    }

    QIODevice& in_;
    QByteArray buf_;
    qsizetype pos_ = 0;
    QByteArray head_;
    bool overlong_ = false;
    bool pending_ = false;
    bool hasBreak_ = false;
};

struct IniLine {
    enum class Kind { Other, Blank, Section, Entry } kind = Kind::Other;
    QByteArray name;   // the section's or the key's
    QByteArray value;  // an entry's value as it stands, blanks around it trimmed
};

IniLine ParseLine(QByteArray head, bool overlong, bool firstLine) {
    if (firstLine && head.startsWith("\xEF\xBB\xBF"))
        head.remove(0, 3);
    const QByteArray line = head.trimmed();
    IniLine parsed;
    if (line.isEmpty()) {
        // A line of blanks longer than the limit is no blank line to move around.
        parsed.kind = overlong ? IniLine::Kind::Other : IniLine::Kind::Blank;
    } else if (line.startsWith('[')) {
        const qsizetype close = line.indexOf(']');
        parsed.kind = IniLine::Kind::Section;
        // A header cut off by the limit names no section this file can be sure of.
        if (!overlong && close > 0)
            parsed.name = line.mid(1, close - 1).trimmed();
        else
            parsed.name = QByteArray("\n");  // matches no section
    } else if (!line.startsWith(';')) {
        const qsizetype eq = line.indexOf('=');
        if (eq > 0) {
            parsed.kind = IniLine::Kind::Entry;
            parsed.name = line.left(eq).trimmed();
            parsed.value = line.mid(eq + 1).trimmed();
        }
    }
    return parsed;
}

// The text of a value as it stands after "key=", blanks around it trimmed; a pair of
// double quotes around it (which keep blanks at its ends) is taken off. Nothing when the
// bytes are not UTF-8 or the text is longer than the limit.
std::optional<QString> DecodeValue(const QByteArray& raw) {
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8(raw);
    if (utf8.hasError())
        return std::nullopt;
    if (text.size() >= 2 && text.startsWith(u'"') && text.endsWith(u'"'))
        text = text.mid(1, text.size() - 2);
    if (text.toUcs4().size() > SettingsFile::kMaxValueLength)
        return std::nullopt;
    return text;
}

// The value as it is read back by DecodeValue.
QByteArray EncodeValue(const QString& value) {
    const QByteArray text = value.toUtf8();
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    const bool quote = !text.isEmpty() && (blank(text.front()) || blank(text.back()) ||
                                           (text.size() >= 2 && text.startsWith('"') && text.endsWith('"')));
    return quote ? '"' + text + '"' : text;
}

// Calls visit(key, value) for the first entry of each key in [section], the value
// nothing when it cannot be read; visit answers false to stop.
template <typename Visit>
void VisitSection(const QString& path, const QString& section, Visit&& visit) {
    if (path.isEmpty() || !QFileInfo(path).isFile())
        return;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return;
    LineReader lines(file);
    const QByteArray wanted = section.toUtf8();
    bool inSection = false;
    bool first = true;
    QSet<QByteArray> seen;
    while (lines.Next()) {
        const IniLine line = ParseLine(lines.Head(), lines.Overlong(), std::exchange(first, false));
        if (line.kind == IniLine::Kind::Section) {
            inSection = line.name == wanted;
            continue;
        }
        if (!inSection || line.kind != IniLine::Kind::Entry || seen.contains(line.name))
            continue;
        seen.insert(line.name);
        const std::optional<QString> value = lines.Overlong() ? std::nullopt : DecodeValue(line.value);
        if (!visit(QString::fromUtf8(line.name), value))
            return;
    }
}

// Names that can stand in a file line as they are.
bool PlainName(const QString& name) {
    return !name.trimmed().isEmpty() && name == name.trimmed() && !name.startsWith(u'[') &&
           !name.startsWith(u';') && !name.contains(u'=') && !name.contains(u']') && !name.contains(u'\n') &&
           !name.contains(u'\r');
}

// Writable for this program: the system lets it write and the entry's permissions are not
// all read-only (which a user with every right could otherwise still write over).
bool MayWrite(const QFileInfo& info) {
    return info.isWritable() && (info.permissions() & (QFileDevice::WriteOwner | QFileDevice::WriteGroup |
                                                       QFileDevice::WriteOther));
}

}  // namespace

QString SettingsFile::Read(const QString& section, const QString& key, const QString& defaultValue) {
    QString result = defaultValue;
    VisitSection(path_, section, [&](const QString& name, const std::optional<QString>& value) {
        if (name != key)
            return true;
        if (value)
            result = *value;
        return false;
    });
    return result;
}

QStringList SettingsFile::UnreadableKeys(const QString& section) {
    QStringList keys;
    VisitSection(path_, section, [&](const QString& name, const std::optional<QString>& value) {
        if (!value)
            keys << name;
        return true;
    });
    return keys;
}

bool SettingsFile::Writable() {
    if (path_.isEmpty())
        return true;
    const QFileInfo info(path_);
    if (info.exists())
        return info.isFile() && info.isReadable() && MayWrite(info);
    // A new file: the nearest folder that is there must take it.
    QString folder = info.absolutePath();
    while (!QFileInfo::exists(folder)) {
        const QString up = QFileInfo(folder).absolutePath();
        if (up == folder)
            break;
        folder = up;
    }
    const QFileInfo dir(folder);
    return dir.isDir() && MayWrite(dir);
}

void SettingsFile::Write(const QString& section, const QString& key, const QString& value) {
    if (path_.isEmpty())
        return;
    const auto fail = [&](const QString& why) {
        ErrorLog::Write(Source(),
                        QStringLiteral("Cannot write [%1] %2 to %3: %4").arg(section, key, path_, why));
    };
    if (!PlainName(section) || !PlainName(key))
        return fail(QStringLiteral("the name cannot stand in a settings file"));
    // A value that would not be read back is not stored in place of the one there.
    if (value.toUcs4().size() > kMaxValueLength)
        return fail(QStringLiteral("the value is longer than %1 characters").arg(kMaxValueLength));
    if (value.contains(u'\n') || value.contains(u'\r'))
        return fail(QStringLiteral("a value cannot hold a line break"));
    if (!Writable())
        return fail(QStringLiteral("the file cannot be written"));

    // The same value already there: the file is left untouched.
    bool same = false;
    VisitSection(path_, section, [&](const QString& name, const std::optional<QString>& stored) {
        if (name != key)
            return true;
        same = stored && *stored == value;
        return false;
    });
    if (same)
        return;

    const QFileInfo info(path_);
    const bool exists = info.exists();
    if (!exists && !QDir().mkpath(info.absolutePath()))
        return fail(QStringLiteral("its folder cannot be made"));
    QFile in(path_);
    if (exists && !in.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return fail(in.errorString());
    // Written beside the file and put in its place at the end (its permissions kept), so a
    // failure half-way leaves the old file whole.
    QSaveFile out(path_);
    out.setDirectWriteFallback(true);
    if (!out.open(QIODevice::WriteOnly))
        return fail(out.errorString());

    const QByteArray wantedSection = section.toUtf8();
    const QByteArray wantedKey = key.toUtf8();
    const QByteArray entry = wantedKey + '=' + EncodeValue(value);
    QByteArray eol = "\n";
    bool ok = true;
    const auto put = [&](const QByteArray& bytes) { ok = ok && out.write(bytes) == bytes.size(); };
    bool eolKnown = false;
    bool inSection = false;
    bool done = false;
    bool any = false;
    bool lastHadBreak = true;
    QByteArray heldBlanks;  // blank lines at the end of the section, put after a new entry
    if (exists) {
        LineReader lines(in);
        while (lines.Next()) {
            const IniLine line = ParseLine(lines.Head(), lines.Overlong(), !std::exchange(any, true));
            // A new line ends as the file's lines do.
            if (!eolKnown && lines.HadBreak() && !lines.Overlong()) {
                eolKnown = true;
                eol = lines.Head().endsWith('\r') ? "\r\n" : "\n";
            }
            if (inSection && !done) {
                if (line.kind == IniLine::Kind::Blank) {
                    heldBlanks += lines.Head() + (lines.HadBreak() ? "\n" : "");
                    lastHadBreak = lines.HadBreak();
                    continue;
                }
                if (line.kind == IniLine::Kind::Section) {
                    put(entry + eol);
                    done = true;
                } else if (line.kind == IniLine::Kind::Entry && line.name == wantedKey) {
                    put(heldBlanks);
                    heldBlanks.clear();
                    lines.Finish(nullptr);
                    put(entry + (lines.HadBreak() ? eol : QByteArray()));
                    lastHadBreak = lines.HadBreak();
                    done = true;
                    continue;
                }
                put(heldBlanks);
                heldBlanks.clear();
            }
            if (line.kind == IniLine::Kind::Section)
                inSection = line.name == wantedSection;
            ok = ok && lines.Finish(&out);
            lastHadBreak = lines.HadBreak();
        }
        if (in.error() != QFileDevice::NoError)
            ok = false;
    }
    if (!done) {
        if (inSection) {
            if (heldBlanks.isEmpty() && !lastHadBreak)
                put(eol);
            put(entry + eol);
            put(heldBlanks);
        } else {
            if (any)
                put(lastHadBreak ? eol : eol + eol);
            put('[' + wantedSection + ']' + eol + entry + eol);
        }
    }
    if (!ok) {
        out.cancelWriting();
        return fail(out.errorString());
    }
    if (!out.commit())
        fail(out.errorString());
}

}  // namespace sp::platform
