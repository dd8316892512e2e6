#include "src/workbench/WorkbenchLayout.h"

#include <algorithm>

namespace sp {

WorkbenchLayout::WorkbenchLayout() {
    tvw_ = {Margin, Margin, InitialTreeWidth, InitialListHeight};
    spliterH_ = {tvw_.right(), Margin, Bar, InitialListHeight};
    list_ = {spliterH_.left + Bar, Margin, 0, InitialListHeight};
    spliterV_ = {Margin, list_.bottom(), 0, Bar};
    grid_ = {Margin, spliterV_.bottom(), 0, 0};
}

// A size that would come out negative is not applied: the control keeps its old one.
static void SetIfValid(int& target, int value) {
    if (value >= 0)
        target = value;
}

void WorkbenchLayout::PlaceList() {
    list_.top = Margin;
    list_.left = spliterH_.left + Bar;
    SetIfValid(list_.width, fraBar_.width - list_.left - ListRightGap);
}

void WorkbenchLayout::Resize(int frameWidth, int frameHeight) {
    fraBar_ = {0, 0, frameWidth, frameHeight};

    // The list's height does not change with the window, unless the record grid would
    // otherwise drop below its least height; the tree beside it follows.
    list_.height = listHeight_;
    if (minGridHeight_ > 0) {
        const int most = frameHeight - (Margin + Bar + Margin) - minGridHeight_;
        list_.height = std::min(listHeight_, std::max(most, MinPane));
    }
    tvw_.height = list_.height;

    spliterH_.left = tvw_.right();
    spliterH_.top = Margin;
    spliterH_.height = tvw_.height;
    spliterH_.width = Bar;

    PlaceList();

    spliterV_.left = Margin;
    spliterV_.top = list_.bottom();
    spliterV_.height = Bar;
    SetIfValid(spliterV_.width, frameWidth - 2 * Margin);

    grid_.top = spliterV_.top + Bar;
    grid_.left = Margin;
    SetIfValid(grid_.width, frameWidth - 2 * Margin);
    SetIfValid(grid_.height, frameHeight - grid_.top - Margin);
}

bool WorkbenchLayout::MoveSpliterV(int newTop) {
    if (!(list_.top + MinPane < newTop && newTop + Bar < fraBar_.height - FarLimit))
        return false;
    if (newTop + Bar + minGridHeight_ + Margin > fraBar_.height)
        return false;
    spliterV_.top = newTop;
    tvw_.height = newTop - tvw_.top;
    spliterH_.height = tvw_.height;
    list_.height = newTop - Margin;
    listHeight_ = list_.height;
    grid_.top = newTop + Bar;
    grid_.height = fraBar_.height - newTop - (Bar + Margin);
    return true;
}

bool WorkbenchLayout::MoveSpliterH(int newLeft) {
    if (!(tvw_.left + MinPane < newLeft && newLeft + Bar < fraBar_.width - FarLimit))
        return false;
    spliterH_.left = newLeft;
    tvw_.width = newLeft - tvw_.left;
    PlaceList();
    return true;
}

void WorkbenchLayout::BeginDrag(Splitter bar, int pointerPos) {
    dragging_ = bar;
    dragStartPointer_ = pointerPos;
    dragStartBar_ = bar == Splitter::Horizontal ? spliterV_.top : spliterH_.left;
}

bool WorkbenchLayout::DragTo(int pointerPos) {
    const int offered = dragStartBar_ + (pointerPos - dragStartPointer_);
    switch (dragging_) {
        case Splitter::Horizontal:
            return MoveSpliterV(offered);
        case Splitter::Vertical:
            return MoveSpliterH(offered);
        case Splitter::None:
            break;
    }
    return false;
}

void WorkbenchLayout::EndDrag() { dragging_ = Splitter::None; }

}  // namespace sp
