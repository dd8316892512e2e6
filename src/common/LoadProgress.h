#pragma once

#include <QElapsedTimer>
#include <QString>
#include <functional>

#include "src/common/Export.h"
#include "src/common/Texts.h"
#include "src/common/Ui.h"

namespace sp {

// Counts the rows of a long load. Once the load has run for half a second the screen
// shows how far it has come, with a button to cancel it; a quicker load never reaches
// the screen and costs one clock reading a row. The loaders call Step between rows, so
// a cancelled load stops at a row's end and drops what it read.
class SPCOMMON_EXPORT LoadProgress {
  public:
    // Milliseconds since any fixed moment. Without one, a steady clock from construction.
    using Clock = std::function<qint64()>;
    static constexpr qint64 ShowAfterMs = 500;
    // Once shown, the count is brought up to date and the cancel button heard this often:
    // letting the screen run after every row would cost more than the rows.
    static constexpr qint64 RefreshMs = 50;

    // The half second counts from here.
    LoadProgress(Ui& ui, LoadPane pane, Clock clock = {});
    ~LoadProgress();
    LoadProgress(const LoadProgress&) = delete;
    LoadProgress& operator=(const LoadProgress&) = delete;

    // The number of rows the load will read, when known: shown beside the count.
    void SetTotal(int rows) { total_ = rows; }
    // rowsRead rows are in. False once the clerk has cancelled (and from then on).
    bool Step(int rowsRead);
    // The rows are all in: the progress leaves the screen before the rows are shown.
    void Done();
    bool Cancelled() const { return cancelled_; }

    // "正在读取……已读取 N 行，共 M 行", naming what the pane holds.
    static QString Text(LoadPane pane, int rowsRead, int total);
    // What the pane's label says after a cancelled load.
    static QString CancelledText() { return CommonTexts::LoadCancelled(); }
    static QString CancelCaption() { return CommonTexts::Cancel(); }

  private:
    qint64 Now() const;

    Ui& ui_;
    LoadPane pane_;
    Clock clock_;
    QElapsedTimer timer_;
    qint64 start_ = 0;
    qint64 lastShown_ = 0;
    int total_ = -1;
    bool shown_ = false;
    bool ended_ = false;
    bool cancelled_ = false;
};

}  // namespace sp
