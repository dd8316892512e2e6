#pragma once

#include <QPoint>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QVector>
#include <functional>
#include <memory>
#include <optional>

namespace sp::test {

using namespace Qt::StringLiterals;

// What erp-host's window probe last wrote: one record per line, fields by tab (the
// format is described in app/host/WindowProbe.h).
class Probe {
  public:
    explicit Probe(const QString& text = {});

    QString Active() const { return Field(u"active", 1); }
    QString Modal() const { return Field(u"modal", 1); }
    QString FocusWindow() const { return Field(u"focus", 1); }
    bool HasWindow(const QString& name) const;
    // A widget or toolbar button by name, in any window; nullopt when not shown.
    std::optional<QPoint> Centre(const QString& name) const;
    QString Text(const QString& name) const;
    bool Enabled(const QString& name) const;
    bool Checked(const QString& action) const;
    // Grids by name: a column by key (the record grid) or by title (the list), 0 when not
    // shown; a cell's text and centre; the current cell (row, col) while the grid has focus.
    int Column(const QString& grid, const QString& keyOrTitle) const;
    QString Cell(const QString& grid, int row, int col) const;
    std::optional<QPoint> CellCentre(const QString& grid, int row, int col) const;
    std::pair<int, int> Current(const QString& grid) const;
    // The rows of an item view (a list or table that is no grid), column 0, in order.
    QStringList Items(const QString& view) const;
    std::optional<QPoint> ItemCentre(const QString& view, const QString& text) const;
    const QString& Raw() const { return text_; }

  private:
    QString Field(QStringView kind, int index) const;
    const QStringList* Find(const std::function<bool(const QStringList&)>& match) const;

    QString text_;
    QVector<QStringList> lines_;
};

// One erp-host under the test's virtual display, with a home of its own (its demo
// database, settings and log) unless it shares another's.
class Program {
  public:
    Program(const QString& display, const QString& home, const QString& probePath,
            const QStringList& args = {});
    ~Program();
    bool Running() const { return process_.state() != QProcess::NotRunning; }
    // Waits for the end; the exit code, or -1 when it did not end in time.
    int Finished(int ms);
    QString Output();

  private:
    QProcess process_;
};

// The virtual display every window test shares, and the outside hands that drive it:
// real X input through xdotool, pictures through sp_grab.
class Desktop {
  public:
    // Starts Xvfb on a free display; nullptr (and why) when it cannot.
    static std::unique_ptr<Desktop> Start(QString* why);
    ~Desktop();
    const QString& Display() const { return display_; }

    void Click(QPoint at, int times = 1);
    void Move(QPoint to);
    // xdotool key names: "F7", "Return", "ctrl+s", "alt+t".
    void Key(const QString& keys);
    void Type(const QString& text);
    // Saves the screen as <prefix>-NN-step.png in the artefact folder and returns its path.
    QString Shot(const QString& step);
    void SetPrefix(const QString& prefix) { prefix_ = prefix; }

  private:
    Desktop() = default;
    bool Run(const QString& program, const QStringList& args);

    QProcess xvfb_;
    QString display_;
    QString prefix_;
    int shots_ = 0;
};

}  // namespace sp::test
