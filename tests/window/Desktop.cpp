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
    env.insert(u"DISPLAY"_s, display);
    env.remove(u"QT_QPA_PLATFORM"_s);
    env.remove(u"WAYLAND_DISPLAY"_s);
    env.insert(u"HOME"_s, home);
    env.insert(u"XDG_DATA_HOME"_s, home + u"/.local/share"_s);
    env.insert(u"XDG_CONFIG_HOME"_s, home + u"/.config"_s);
    const QString runtime = home + u"/runtime"_s;
    QDir().mkpath(runtime);
    QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    env.insert(u"XDG_RUNTIME_DIR"_s, runtime);
    env.insert(u"SHOPPROC_WINDOW_PROBE"_s, probePath);
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
        if (QFileInfo::exists(u"/tmp/.X%1-lock"_s.arg(n)))
            continue;
        desk->display_ = u":%1"_s.arg(n);
        desk->xvfb_.start(u"Xvfb"_s,
                          {desk->display_, u"-screen"_s, u"0"_s, u"1280x900x24"_s, u"-nolisten"_s, u"tcp"_s});
        if (!desk->xvfb_.waitForStarted(5000)) {
            *why = u"Xvfb cannot be started: "_s + desk->xvfb_.errorString();
            return nullptr;
        }
        for (int i = 0; i < 100 && desk->xvfb_.state() == QProcess::Running; ++i) {
            if (QFileInfo::exists(u"/tmp/.X11-unix/X%1"_s.arg(n)))
                return desk;
            QThread::msleep(50);
        }
        desk->xvfb_.kill();
        desk->xvfb_.waitForFinished(2000);
    }
    *why = u"no display could be opened"_s;
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
    env.insert(u"DISPLAY"_s, display_);
    env.remove(u"QT_QPA_PLATFORM"_s);
    p.setProcessEnvironment(env);
    p.start(program, args);
    return p.waitForFinished(30000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

void Desktop::Click(QPoint at, int times) {
    Run(u"xdotool"_s, {u"mousemove"_s, QString::number(at.x()), QString::number(at.y()), u"click"_s,
                       u"--repeat"_s, QString::number(times), u"--delay"_s, u"80"_s, u"1"_s});
}

void Desktop::Move(QPoint to) {
    Run(u"xdotool"_s, {u"mousemove"_s, QString::number(to.x()), QString::number(to.y())});
}

void Desktop::Key(const QString& keys) {
    Run(u"xdotool"_s, QStringList{u"key"_s, u"--delay"_s, u"60"_s} + keys.split(u' '));
}

void Desktop::Type(const QString& text) { Run(u"xdotool"_s, {u"type"_s, u"--delay"_s, u"40"_s, text}); }

QString Desktop::Shot(const QString& step) {
    QDir().mkpath(QString::fromUtf8(SHOT_FOLDER));
    const QString path =
        QDir(QString::fromUtf8(SHOT_FOLDER))
            .filePath(u"%1-%2-%3.png"_s.arg(prefix_).arg(++shots_, 2, 10, QLatin1Char('0')).arg(step));
    Run(QString::fromUtf8(SP_GRAB_PATH), {path});
    return path;
}

}  // namespace sp::test
