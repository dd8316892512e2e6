#include <gtest/gtest.h>

#include "src/workbench/WorkbenchLayout.h"

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

struct MoveCase {
    const char* name;
    Splitter bar;
    int position;
    bool accepted;
};

void PrintTo(const MoveCase& c, std::ostream* os) {
    *os << c.name;
}

class SplitterLimits : public ::testing::TestWithParam<MoveCase> {};

TEST_P(SplitterLimits, RefuseMovesThatSqueezeAPane) {
    const MoveCase& c = GetParam();
    WorkbenchLayout l = Sized();
    const WorkbenchLayout before = l;
    const bool moved = c.bar == Splitter::Horizontal ? l.MoveSpliterV(c.position) : l.MoveSpliterH(c.position);
    EXPECT_EQ(moved, c.accepted);
    if (!c.accepted) {
        EXPECT_EQ(l.vlgList(), before.vlgList());
        EXPECT_EQ(l.vlgProc(), before.vlgProc());
        EXPECT_EQ(l.tvw(), before.tvw());
    }
}

// Frame 12000 x 9000: the list starts at 120 and the tree at 120.
INSTANTIATE_TEST_SUITE_P(
    Limits, SplitterLimits,
    ::testing::Values(MoveCase{"ListOf300Refused", Splitter::Horizontal, 420, false},
                      MoveCase{"ListOf301Accepted", Splitter::Horizontal, 421, true},
                      MoveCase{"GridTooSmallRefused", Splitter::Horizontal, 9000 - 480 - 60, false},
                      MoveCase{"GridJustLargeEnough", Splitter::Horizontal, 9000 - 480 - 61, true},
                      MoveCase{"TreeOf300Refused", Splitter::Vertical, 420, false},
                      MoveCase{"TreeOf301Accepted", Splitter::Vertical, 421, true},
                      MoveCase{"ListTooNarrowRefused", Splitter::Vertical, 12000 - 480 - 60, false},
                      MoveCase{"ListJustWideEnough", Splitter::Vertical, 12000 - 480 - 61, true}),
    [](const ::testing::TestParamInfo<MoveCase>& info) { return std::string(info.param.name); });

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
