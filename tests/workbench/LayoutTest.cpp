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

TEST(WorkbenchLayout, ResizePlacesThePanesInTheFrame) {
    WorkbenchLayout l = Sized();
    EXPECT_EQ(l.fraBar(), (TwipRect{0, 0, 12000, 9000}));
    EXPECT_EQ(l.imgSpliterH(), (TwipRect{120 + 3000, 120, 60, l.tvw().height}));
    EXPECT_EQ(l.vlgList(), (TwipRect{3180, 120, 12000 - 3180 - 180, 3600}));
    EXPECT_EQ(l.lblList(), l.vlgList());
    EXPECT_EQ(l.imgSpliterV(), (TwipRect{120, 3720, 12000 - 240, 60}));
    EXPECT_EQ(l.vlgProc(), (TwipRect{120, 3780, 12000 - 240, 9000 - 3780 - 120}));
    EXPECT_EQ(l.lblProc(), l.vlgProc());

    // A larger frame keeps the list's height; sizes below 0 are never applied.
    l.Resize(15000, 12000);
    EXPECT_EQ(l.vlgList().height, 3600);
    EXPECT_EQ(l.vlgProc().height, 12000 - 3780 - 120);
    l.Resize(200, 3000);
    EXPECT_EQ(l.vlgProc().width, 15000 - 240) << "a width below 0 is not applied";
    EXPECT_EQ(l.vlgProc().height, 12000 - 3780 - 120);
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
        EXPECT_EQ(l.vlgList().height, listHeight) << frameHeight;
        EXPECT_EQ(l.tvw().height, listHeight) << frameHeight;
        EXPECT_EQ(l.imgSpliterH().height, listHeight) << frameHeight;
        EXPECT_EQ(l.imgSpliterV().top, 120 + listHeight) << frameHeight;
        if (listHeight > 300) {
            EXPECT_EQ(l.vlgProc().height, std::max(1500, frameHeight - 120 - 3600 - 60 - 120)) << frameHeight;
        }
    }
}

TEST(WorkbenchLayout, BarsResizeTheirPanes) {
    WorkbenchLayout l = Sized();
    ASSERT_TRUE(l.MoveSpliterV(5000));
    EXPECT_EQ(l.imgSpliterV().top, 5000);
    EXPECT_EQ(l.tvw().height, 5000 - 120);
    EXPECT_EQ(l.imgSpliterH().height, l.tvw().height);
    EXPECT_EQ(l.vlgList().height, 5000 - 120);
    EXPECT_EQ(l.vlgProc().top, 5060);
    EXPECT_EQ(l.vlgProc().height, 9000 - 5000 - 180);
    // The next resize keeps the list's new height.
    l.Resize(12000, 10000);
    EXPECT_EQ(l.vlgProc().top, 5060);
    EXPECT_EQ(l.vlgProc().height, 10000 - 5060 - 120);

    // The vertical bar moves the tree's edge and the list.
    ASSERT_TRUE(l.MoveSpliterH(4000));
    EXPECT_EQ(l.tvw().width, 4000 - 120);
    EXPECT_EQ(l.vlgList().left, 4060);
    EXPECT_EQ(l.vlgList().right(), 12000 - 180);
    EXPECT_EQ(l.vlgProc().left, 120) << "the record grid keeps the whole width";
}

TEST(WorkbenchLayout, DragOffersStartPositionPlusPointerMovementAndGoesOnAfterARefusal) {
    WorkbenchLayout l = Sized();
    l.BeginDrag(Splitter::Horizontal, 4000);  // bar top 3720
    EXPECT_TRUE(l.DragTo(3000));
    EXPECT_EQ(l.imgSpliterV().top, 2720);
    EXPECT_FALSE(l.DragTo(100));
    EXPECT_EQ(l.imgSpliterV().top, 2720);
    EXPECT_TRUE(l.Dragging());
    EXPECT_TRUE(l.DragTo(3100));
    EXPECT_EQ(l.imgSpliterV().top, 2820);
    l.EndDrag();
    EXPECT_FALSE(l.DragTo(5000));
    EXPECT_EQ(l.imgSpliterV().top, 2820);
}

}  // namespace
}  // namespace sp::test
