#pragma once

#include <QStringList>
#include <functional>

#include "src/controls/GridModel.h"

namespace sp::test {

// Writes down every event the grid raises, in order, the way a rule sees them; the
// optional handlers act as a rule would.
class GridEventLog : public GridEventSink {
  public:
    QStringList events;
    std::function<void(int&, int)> onKey;
    std::function<void(int, int)> onCellChanged;

    void OnEditorOpens(int r, int c) override { events << QStringLiteral("open %1,%2").arg(r).arg(c); }
    void OnEditorCloses(int r, int c) override { events << QStringLiteral("close %1,%2").arg(r).arg(c); }
    void OnCurrentCellChanged(int nr, int nc, int orow, int ocol) override {
        events << QStringLiteral("cell %1,%2<-%3,%4").arg(nr).arg(nc).arg(orow).arg(ocol);
        if (onCellChanged)
            onCellChanged(nr, nc);
    }
    void OnKeyDown(int& key, int shift) override {
        events << QStringLiteral("key %1/%2").arg(key).arg(shift);
        if (onKey)
            onKey(key, shift);
    }
    void OnSelectionChanged(int first, int count) override {
        events << QStringLiteral("sel %1+%2").arg(first).arg(count);
    }
    void OnColumnResized(int c) override { events << QStringLiteral("resize %1").arg(c); }
    void OnDoubleClick(int r, int c) override { events << QStringLiteral("dbl %1,%2").arg(r).arg(c); }
};

}  // namespace sp::test
