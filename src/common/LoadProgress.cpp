#include "src/common/LoadProgress.h"

#include "src/common/IgnoreErrors.h"

namespace sp {

LoadProgress::LoadProgress(Ui& ui, LoadPane pane, Clock clock)
    : ui_(ui), pane_(pane), clock_(std::move(clock)) {
    if (!clock_)
        timer_.start();
    start_ = Now();
}

LoadProgress::~LoadProgress() { Done(); }

qint64 LoadProgress::Now() const { return clock_ ? clock_() : timer_.elapsed(); }

bool LoadProgress::Step(int rowsRead) {
    if (cancelled_ || ended_)
        return !cancelled_;
    const qint64 now = Now();
    if (now - (shown_ ? lastShown_ : start_) < (shown_ ? RefreshMs : ShowAfterMs))
        return true;
    shown_ = true;
    lastShown_ = now;
    cancelled_ = !ui_.ShowLoadProgress(pane_, rowsRead, total_);
    return !cancelled_;
}

void LoadProgress::Done() {
    if (ended_)
        return;
    ended_ = true;
    if (shown_)
        IgnoreErrors([&] { ui_.EndLoadProgress(pane_); });
}

QString LoadProgress::Text(LoadPane pane, int rowsRead, int total) {
    QString text =
        pane == LoadPane::List ? CommonTexts::ReadingList(rowsRead) : CommonTexts::ReadingHistory(rowsRead);
    if (total >= 0)
        text += CommonTexts::OfTotal(total);
    return text;
}

}  // namespace sp
