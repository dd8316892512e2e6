#include "tests/window/Desktop.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcessEnvironment>
#include <QThread>

namespace sp::test {

// ---- Probe -----------------------------------------------------------------------

Probe::Probe(const QString& text) : text_(text) {
    for (const QString& line : text.split(u'\n', Qt::SkipEmptyParts)) lines_.append(line.split(u'\t'));
}

QString Probe::Field(QStringView kind, int index) const {
    const QStringList* line = Find([&](const QStringList& f) { return f[0] == kind; });
    return line ? line->value(index) : QString();
}

const QStringList* Probe::Find(const std::function<bool(const QStringList&)>& match) const {
    for (const QStringList& f : lines_)
        if (match(f))
            return &f;
    return nullptr;
}

bool Probe::HasWindow(const QString& name) const {
    return Find([&](const QStringList& f) { return f[0] == u"window" && f.value(1) == name; });
}

namespace {

QPoint Middle(const QStringList& f, int x) {
    return {f.value(x).toInt() + f.value(x + 2).toInt() / 2,
            f.value(x + 1).toInt() + f.value(x + 3).toInt() / 2};
}

}  // namespace

// Widgets of the modal window first: a dialog's buttons share names with the window below.
std::optional<QPoint> Probe::Centre(const QString& name) const {
    for (const bool inModal : {true, false}) {
        const QString modal = Modal();
        const QStringList* f = Find([&](const QStringList& f) {
            return (f[0] == u"widget" || f[0] == u"action") && f.value(2) == name &&
                   (!inModal || f.value(1) == modal);
        });
        if (f)
            return Middle(*f, (*f)[0] == u"widget" ? 4 : 3);
    }
    return std::nullopt;
}

QString Probe::Text(const QString& name) const {
    const QStringList* f = Find([&](const QStringList& f) {
        return (f[0] == u"widget" && f.value(2) == name) || (f[0] == u"action" && f.value(2) == name);
    });
    if (!f)
        return {};
    return f->value(9);
}

bool Probe::Enabled(const QString& name) const {
    const QStringList* f = Find(
        [&](const QStringList& f) { return (f[0] == u"widget" || f[0] == u"action") && f.value(2) == name; });
    return f && f->value((*f)[0] == u"widget" ? 8 : 7) == u"1";
}

bool Probe::Checked(const QString& action) const {
    const QStringList* f =
        Find([&](const QStringList& f) { return f[0] == u"action" && f.value(2) == action; });
    return f && f->value(8) == u"1";
}

int Probe::Column(const QString& grid, const QString& keyOrTitle) const {
    const QStringList* f = Find([&](const QStringList& f) {
        return f[0] == u"column" && f.value(1) == grid &&
               (f.value(3) == keyOrTitle || f.value(8) == keyOrTitle);
    });
    return f ? f->value(2).toInt() : 0;
}

QString Probe::Cell(const QString& grid, int row, int col) const {
    const QStringList* f = Find([&](const QStringList& f) {
        return f[0] == u"cell" && f.value(1) == grid && f.value(2).toInt() == row &&
               f.value(3).toInt() == col;
    });
    return f ? f->value(8).trimmed() : QString();
}

std::optional<QPoint> Probe::CellCentre(const QString& grid, int row, int col) const {
    const QStringList* f = Find([&](const QStringList& f) {
        return f[0] == u"cell" && f.value(1) == grid && f.value(2).toInt() == row &&
               f.value(3).toInt() == col;
    });
    if (!f)
        return std::nullopt;
    return Middle(*f, 4);
}

std::pair<int, int> Probe::Current(const QString& grid) const {
    const QStringList* f =
        Find([&](const QStringList& f) { return f[0] == u"current" && f.value(1) == grid; });
    return f ? std::pair(f->value(2).toInt(), f->value(3).toInt()) : std::pair(0, 0);
}

QStringList Probe::Items(const QString& view) const {
    QStringList items;
    for (const QStringList& f : lines_)
        if (f[0] == u"item" && f.value(1) == view && f.value(3) == u"0")
            items << f.value(8);
    return items;
}

std::optional<QPoint> Probe::ItemCentre(const QString& view, const QString& text) const {
    const QStringList* f = Find(
        [&](const QStringList& f) { return f[0] == u"item" && f.value(1) == view && f.value(8) == text; });
    if (!f)
        return std::nullopt;
    return Middle(*f, 4);
}

// ---- Program ---------------------------------------------------------------------

Program::Program(const QString& display, const QString& home, const QString& probePath,
                 const QStringList& args) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), display);
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    env.insert(QStringLiteral("HOME"), home);
    env.insert(QStringLiteral("XDG_DATA_HOME"), home + QStringLiteral("/.local/share"));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home + QStringLiteral("/.config"));
    const QString runtime = home + QStringLiteral("/runtime");
    QDir().mkpath(runtime);
    QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);
    env.insert(QStringLiteral("SHOPPROC_WINDOW_PROBE"), probePath);
    process_.setProcessEnvironment(env);
    process_.setProcessChannelMode(QProcess::MergedChannels);
    process_.start(QString::fromUtf8(ERP_HOST_PATH), args);
    process_.waitForStarted(10000);
}

Program::~Program() {
    if (process_.state() == QProcess::NotRunning)
        return;
    process_.terminate();
    if (!process_.waitForFinished(5000)) {
        process_.kill();
        process_.waitForFinished(5000);
    }
}

int Program::Finished(int ms) {
    if (!process_.waitForFinished(ms))
        return -1;
    return process_.exitStatus() == QProcess::NormalExit ? process_.exitCode() : -1;
}

QString Program::Output() { return QString::fromLocal8Bit(process_.readAll()); }

// ---- Desktop ---------------------------------------------------------------------

std::unique_ptr<Desktop> Desktop::Start(QString* why) {
    std::unique_ptr<Desktop> desk(new Desktop);
    // A free display: another run (ctest -j) may take one at the same moment, so a
    // server that ends at once is taken as a clash and the next number tried.
    for (int n = 140 + static_cast<int>(QCoreApplication::applicationPid() % 40); n < 260; ++n) {
        if (QFileInfo::exists(QStringLiteral("/tmp/.X%1-lock").arg(n)))
            continue;
        desk->display_ = QStringLiteral(":%1").arg(n);
        desk->xvfb_.start(QStringLiteral("Xvfb"), {desk->display_, QStringLiteral("-screen"),
                                                   QStringLiteral("0"), QStringLiteral("1280x900x24"),
                                                   QStringLiteral("-nolisten"), QStringLiteral("tcp")});
        if (!desk->xvfb_.waitForStarted(5000)) {
            *why = QStringLiteral("Xvfb cannot be started: ") + desk->xvfb_.errorString();
            return nullptr;
        }
        for (int i = 0; i < 100 && desk->xvfb_.state() == QProcess::Running; ++i) {
            if (QFileInfo::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(n)))
                return desk;
            QThread::msleep(50);
        }
        desk->xvfb_.kill();
        desk->xvfb_.waitForFinished(2000);
    }
    *why = QStringLiteral("no display could be opened");
    return nullptr;
}

Desktop::~Desktop() {
    xvfb_.terminate();
    if (!xvfb_.waitForFinished(5000))
        xvfb_.kill();
}

bool Desktop::Run(const QString& program, const QStringList& args) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), display_);
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    p.setProcessEnvironment(env);
    p.start(program, args);
    return p.waitForFinished(30000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

void Desktop::Click(QPoint at, int times) {
    Run(QStringLiteral("xdotool"),
        {QStringLiteral("mousemove"), QString::number(at.x()), QString::number(at.y()),
         QStringLiteral("click"), QStringLiteral("--repeat"), QString::number(times),
         QStringLiteral("--delay"), QStringLiteral("80"), QStringLiteral("1")});
}

void Desktop::Key(const QString& keys) {
    Run(QStringLiteral("xdotool"),
        QStringList{QStringLiteral("key"), QStringLiteral("--delay"), QStringLiteral("60")} +
            keys.split(u' '));
}

void Desktop::Type(const QString& text) {
    Run(QStringLiteral("xdotool"),
        {QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("40"), text});
}

QString Desktop::Shot(const QString& step) {
    QDir().mkpath(QString::fromUtf8(SHOT_FOLDER));
    const QString path =
        QDir(QString::fromUtf8(SHOT_FOLDER))
            .filePath(
                QStringLiteral("%1-%2-%3.png").arg(prefix_).arg(++shots_, 2, 10, QLatin1Char('0')).arg(step));
    Run(QString::fromUtf8(SP_GRAB_PATH), {path});
    return path;
}

}  // namespace sp::test
