#include <gtest/gtest.h>

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
// 300 twips or less (the grid: too small for its rows) is refused and changes nothing.
TEST(WorkbenchLayout, SplitterMovesThatSqueezeAPaneAreRefused) {
    // the bar (the horizontal one moves vertically), the position, accepted
    // clang-format off
    const std::tuple<Splitter, int, bool> cases[] = {
        {Splitter::Horizontal, 420, false}, {Splitter::Horizontal, 421, true},
        {Splitter::Horizontal, 9000 - 480 - 60, false}, {Splitter::Horizontal, 9000 - 480 - 61, true},
        {Splitter::Vertical, 420, false}, {Splitter::Vertical, 421, true},
        {Splitter::Vertical, 12000 - 480 - 60, false}, {Splitter::Vertical, 12000 - 480 - 61, true}};
    // clang-format on
    for (const auto& [bar, position, accepted] : cases) {
        WorkbenchLayout l = Sized();
        const WorkbenchLayout before = l;
        EXPECT_EQ(bar == Splitter::Horizontal ? l.MoveSpliterV(position) : l.MoveSpliterH(position), accepted)
            << position;
        if (!accepted) {
            EXPECT_EQ(std::tuple(l.vlgList(), l.vlgProc(), l.tvw()),
                      std::tuple(before.vlgList(), before.vlgProc(), before.tvw()));
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
