#pragma once

#include <QStringList>
#include <functional>

#include "src/controls/GridModel.h"

namespace sp::test {

using namespace Qt::StringLiterals;

// Writes down every event the grid raises, in order, the way a rule sees them; the
// optional handlers act as a rule would.
class GridEventLog : public GridEventSink {
  public:
    QStringList events;
    std::function<void(int&, int)> onKey;
    std::function<void(int, int)> onCellChanged;

    void OnEditorOpens(int r, int c) override { events << u"open %1,%2"_s.arg(r).arg(c); }
    void OnEditorCloses(int r, int c) override { events << u"close %1,%2"_s.arg(r).arg(c); }
    void OnCurrentCellChanged(int nr, int nc, int orow, int ocol) override {
        events << u"cell %1,%2<-%3,%4"_s.arg(nr).arg(nc).arg(orow).arg(ocol);
        if (onCellChanged)
            onCellChanged(nr, nc);
    }
    void OnKeyDown(int& key, int shift) override {
        events << u"key %1/%2"_s.arg(key).arg(shift);
        if (onKey)
            onKey(key, shift);
    }
    void OnSelectionChanged(int first, int count) override { events << u"sel %1+%2"_s.arg(first).arg(count); }
    void OnColumnResized(int c) override { events << u"resize %1"_s.arg(c); }
    void OnDoubleClick(int r, int c) override { events << u"dbl %1,%2"_s.arg(r).arg(c); }
};

}  // namespace sp::test
