#include <gtest/gtest.h>

#include <algorithm>

#include "src/workbench/WorkbenchLayout.h"
#include "tests/support/QtPrinters.h"

namespace sp::test {
namespace {

using Splitter = WorkbenchLayout::Splitter;

WorkbenchLayout Sized(int width = 12000, int height = 9000) {
    WorkbenchLayout layout;
    layout.Resize(width, height);
    return layout;
}

// The tree stands left of the list, the record grid below both over the whole width;
// sizes below 0 are never applied.
TEST(WorkbenchLayout, ResizePlacesThePanesInTheFrame) {
    WorkbenchLayout l = Sized();
    EXPECT_EQ(l.fraBar(), (TwipRect{0, 0, 12000, 9000}));
    EXPECT_EQ(
        std::tuple(l.tvw().right() <= l.imgSpliterH().left, l.imgSpliterH().right() <= l.vlgList().left),
        std::tuple(true, true));
    EXPECT_EQ(std::pair(l.lblList(), l.lblProc()), std::pair(l.vlgList(), l.vlgProc()));
    EXPECT_EQ(l.vlgProc(), (TwipRect{120, 3780, 12000 - 240, 9000 - 3780 - 120}));
    l.Resize(200, 3000);
    EXPECT_EQ(l.vlgProc(), (TwipRect{120, 3780, 12000 - 240, 9000 - 3780 - 120}));
}

// Frame 12000 x 9000: the list and the tree start at 120; a move that leaves a pane
// 300 twips or less (the grid: too small for its rows), or the grid below its least
// height, is refused and changes nothing.
TEST(WorkbenchLayout, SplitterMovesThatSqueezeAPaneAreRefused) {
    // the bar (the horizontal one moves vertically), the position, the grid's least
    // height, accepted
    // clang-format off
    const std::tuple<Splitter, int, int, bool> cases[] = {
        {Splitter::Horizontal, 420, 0, false}, {Splitter::Horizontal, 421, 0, true},
        {Splitter::Horizontal, 9000 - 480 - 60, 0, false}, {Splitter::Horizontal, 9000 - 480 - 61, 0, true},
        {Splitter::Horizontal, 9000 - 120 - 1500 - 60, 1500, true},
        {Splitter::Horizontal, 9000 - 120 - 1500 - 59, 1500, false},
        {Splitter::Vertical, 420, 0, false}, {Splitter::Vertical, 421, 0, true},
        {Splitter::Vertical, 12000 - 480 - 60, 0, false}, {Splitter::Vertical, 12000 - 480 - 61, 0, true}};
    // clang-format on
    for (const auto& [bar, position, minGrid, accepted] : cases) {
        WorkbenchLayout l = Sized();
        l.SetMinGridHeight(minGrid);
        const WorkbenchLayout before = l;
        EXPECT_EQ(bar == Splitter::Horizontal ? l.MoveSpliterV(position) : l.MoveSpliterH(position), accepted)
            << position;
        if (!accepted) {
            EXPECT_EQ(std::tuple(l.vlgList(), l.vlgProc(), l.tvw()),
                      std::tuple(before.vlgList(), before.vlgProc(), before.tvw()));
        }
    }
}

// A frame too short for the list's 3600 twips and the grid's least height (1500 here)
// takes the difference from the list, and from the tree beside it, down to 300; the
// list gets its height back as the frame grows.
TEST(WorkbenchLayout, AShortFrameTakesTheGridsLeastHeightFromTheList) {
    const int fits = 120 + 3600 + 60 + 1500 + 120;  // the list's height and the grid's least
    // frame height, the list's height
    const std::pair<int, int> cases[] = {{9000, 3600},     {fits, 3600},
                                         {fits - 1, 3599}, {3000, 3000 - 300 - 1500},
                                         {1000, 300},      {fits + 1, 3600}};
    WorkbenchLayout l = Sized();
    l.SetMinGridHeight(1500);
    for (const auto& [frameHeight, listHeight] : cases) {
        l.Resize(12000, frameHeight);
        EXPECT_EQ(std::tuple(l.vlgList().height, l.tvw().height, l.imgSpliterH().height, l.imgSpliterV().top),
                  std::tuple(listHeight, listHeight, listHeight, 120 + listHeight))
            << frameHeight;
        if (listHeight > 300) {
            EXPECT_EQ(l.vlgProc().height, std::max(1500, frameHeight - 120 - 3600 - 60 - 120)) << frameHeight;
        }
    }
}

// The horizontal bar sets the height of the list and the tree, the vertical one the
// tree's width; the record grid takes the rest and keeps the whole width. A drag offers
// the start position plus the pointer's movement and goes on after a refusal.
TEST(WorkbenchLayout, BarsAndDragsResizeThePanes) {
    WorkbenchLayout l = Sized();
    ASSERT_TRUE(l.MoveSpliterV(5000));
    EXPECT_EQ(std::tuple(l.imgSpliterV().top, l.tvw().height, l.imgSpliterH().height, l.vlgList().height),
              std::tuple(5000, 4880, 4880, 4880));
    EXPECT_EQ(std::pair(l.vlgProc().top, l.vlgProc().height), std::pair(5060, 9000 - 5060 - 120));
    l.Resize(12000, 10000);  // the next resize keeps the list's new height
    EXPECT_EQ(std::pair(l.vlgProc().top, l.vlgProc().height), std::pair(5060, 10000 - 5060 - 120));
    ASSERT_TRUE(l.MoveSpliterH(4000));
    EXPECT_EQ(std::tuple(l.tvw().width, l.vlgList().left, l.vlgList().right(), l.vlgProc().left),
              std::tuple(3880, 4060, 12000 - 180, 120));

    l = Sized();
    l.BeginDrag(Splitter::Horizontal, 4000);  // bar top 3720
    EXPECT_TRUE(l.DragTo(3000));
    EXPECT_FALSE(l.DragTo(100));
    EXPECT_EQ(l.imgSpliterV().top, 2720);
    EXPECT_TRUE(l.DragTo(3100));
    EXPECT_EQ(l.imgSpliterV().top, 2820);
    l.EndDrag();
    EXPECT_FALSE(l.DragTo(5000));
    EXPECT_EQ(l.imgSpliterV().top, 2820);
}

}  // namespace
}  // namespace sp::test
