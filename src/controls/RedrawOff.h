#pragma once

#include "src/controls/GridModel.h"

namespace sp {

// Switches a grid's redrawing off for a scope and back to what it was, whatever leaves
// the scope: a fill of many cells repaints once.
class RedrawOff {
  public:
    explicit RedrawOff(GridModel& grid) : grid_(grid), was_(grid.Redraw()) { grid_.SetRedraw(false); }
    ~RedrawOff() { grid_.SetRedraw(was_); }
    RedrawOff(const RedrawOff&) = delete;
    RedrawOff& operator=(const RedrawOff&) = delete;

  private:
    GridModel& grid_;
    bool was_;
};

}  // namespace sp
