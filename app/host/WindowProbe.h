#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

namespace sp::host {

// Writes what the screen shows, ten times a second, to a text file, so that a test
// driving the program from outside (real key and mouse events) can find its windows,
// widgets and grid cells by name instead of by pixel. Switched on by the environment
// variable SHOPPROC_WINDOW_PROBE naming the file; the file is replaced whole, only
// when something changed. One line per item, fields separated by tabs:
//   active  <window name> <title>
//   modal   <window name> <title>              (the modal window, when one is up)
//   focus   <window name> <widget name> <class>
//   window  <window name> <class> <x> <y> <w> <h> <title>      (each visible top-level window)
//   widget  <window name> <name> <class> <x> <y> <w> <h> <enabled> <text>
//   action  <window name> <name> <x> <y> <w> <h> <enabled> <checked> <text>   (toolbar buttons)
//   column  <grid name> <col> <key> <x> <y> <w> <h> <title>
//   cell    <grid name> <row> <col> <x> <y> <w> <h> <text>   (visible cells, grid rows and columns)
//   current <grid name> <row> <col>
// Positions are global screen pixels; names are object names, and a widget without one
// is left out (its children are still visited).
class WindowProbe : public QObject {
    Q_OBJECT
  public:
    // Null when the variable is not set.
    static WindowProbe* StartFromEnvironment(QObject* parent);

  private:
    WindowProbe(QString path, QObject* parent);
    void Write();

    QString path_;
    QString last_;
    QTimer timer_;
};

}  // namespace sp::host
