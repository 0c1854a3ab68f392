#include "preview/ScrollModel.h"
#include "preview/ZoomModel.h"

#include <gtest/gtest.h>

namespace brindlecast {
namespace {

float pressTimes(ZoomState& state, ZoomDirection direction, int presses) {
    for (int i = 0; i < presses; ++i)
        state.apply(NextZoom(state.mZoom, direction));
    return state.mZoom;
}

TEST(ZoomModel, QuarterStepsStopAtBothEnds) {
    ZoomState state;
    state.reset(2248, 2248); // small enough for 4.0
    EXPECT_EQ(pressTimes(state, ZoomDirection::In, 12), 4.0f);
    EXPECT_FALSE(state.apply(NextZoom(state.mZoom, ZoomDirection::In)));
    EXPECT_EQ(state.mZoom, 4.0f);
    EXPECT_EQ(state.mCurWidth, 8992);

    state.reset(2248, 2248);
    EXPECT_EQ(pressTimes(state, ZoomDirection::Out, 3), 0.25f);
    EXPECT_FALSE(state.apply(NextZoom(state.mZoom, ZoomDirection::Out)));
    EXPECT_EQ(state.mZoom, 0.25f);
    EXPECT_EQ(state.mCurWidth, 562);
}

TEST(ZoomModel, SizesAreWholePartsAndLimitIsInclusive) {
    EXPECT_EQ(ScaledSize(8698, 1.25f), 10872); // 10872.5
    EXPECT_EQ(ScaledSize(101, 0.75f), 75);     // 75.75
    EXPECT_FALSE(OverSizeLimit(11399, 14299));
    EXPECT_TRUE(OverSizeLimit(11400, 0));
    EXPECT_TRUE(OverSizeLimit(0, 14300));
}

TEST(ZoomModel, UnscaledSizeTakesTwoTwipsOffRoundingHalfToEven) {
    EXPECT_EQ(UnscaledSize(8700), 8698);
    EXPECT_EQ(UnscaledSize(8700.5), 8698); // 8698.5
    EXPECT_EQ(UnscaledSize(8701.5), 8700); // 8699.5
    EXPECT_EQ(UnscaledSize(0), 0);         // an empty picture has no negative size
}

TEST(ZoomModel, RefusedStepKeepsFactorAndSizes) {
    ZoomState state;
    state.reset(7000, 9000);
    ASSERT_EQ(pressTimes(state, ZoomDirection::In, 2), 1.5f); // 10500 x 13500
    EXPECT_FALSE(state.apply(NextZoom(state.mZoom, ZoomDirection::In)));
    EXPECT_EQ(state.mZoom, 1.5f);
    EXPECT_EQ(state.mCurWidth, 10500);
    EXPECT_EQ(state.mCurHeight, 13500);
    // The next step starts from what is shown, not from 1.0.
    EXPECT_TRUE(state.apply(NextZoom(state.mZoom, ZoomDirection::Out)));
    EXPECT_EQ(state.mZoom, 1.25f);
}

TEST(ZoomModel, PictureOverTheLimitAtNaturalSizeCanOnlyShrink) {
    ZoomState state;
    state.reset(11998, 14998);
    EXPECT_EQ(state.mCurWidth, 11998);
    EXPECT_FALSE(state.apply(NextZoom(state.mZoom, ZoomDirection::In)));
    EXPECT_EQ(state.mZoom, 1.0f);
    EXPECT_EQ(state.mCurWidth, 11998);
    EXPECT_EQ(pressTimes(state, ZoomDirection::Out, 1), 0.75f);
    EXPECT_EQ(state.mCurWidth, 8998);
    EXPECT_EQ(pressTimes(state, ZoomDirection::Out, 2), 0.25f);
}

TEST(ScrollModel, BarStepAndMaximumFromTheExcess) {
    const auto bar = [](int excess) { return SetupBar(9330 + excess, 9330); };
    EXPECT_FALSE(bar(0).enabled);
    EXPECT_EQ(bar(0).step, 0);
    EXPECT_FALSE(bar(-500).enabled);
    EXPECT_EQ(bar(1).step, 1);
    EXPECT_EQ(bar(1).maximum, 1);
    EXPECT_EQ(bar(100).step, 1);
    EXPECT_EQ(bar(100).maximum, 100);
    EXPECT_EQ(bar(101).step, 10);
    EXPECT_EQ(bar(101).maximum, 10);
    EXPECT_EQ(bar(105).maximum, 10); // 10.5 to even
    EXPECT_EQ(bar(115).maximum, 12); // 11.5 to even
    EXPECT_TRUE(bar(115).enabled);
}

TEST(ScrollModel, PercentOfTheBarRoundsHalfToEvenAndIgnoresOutOfRange) {
    EXPECT_EQ(BarValueForPercent(50, 421), 210); // 210.5
    EXPECT_EQ(BarValueForPercent(37, 421), 156); // 155.77
    EXPECT_EQ(BarValueForPercent(0, 421), 0);
    EXPECT_EQ(BarValueForPercent(100, 421), 421);
    EXPECT_EQ(BarValueForPercent(101, 421), std::nullopt);
    EXPECT_EQ(BarValueForPercent(-1, 421), std::nullopt);
    EXPECT_EQ(PositionForBarValue(10, 156), -1560);
    EXPECT_EQ(PositionForBarValue(0, 5), 0);
}

// A viewport 9330 outer, 9270 inner (a 30-twip border each side) shows the gap between the
// drag's clamp and the bar's range; a borderless one has none.
constexpr float Inner = 9270;
constexpr float Outer = 9330;

TEST(DragModel, PictureFollowsThePointerWithinTheViewport) {
    // Anchor stays under the pointer: moved by pointer - anchor.
    EXPECT_EQ(DragPosition(-1000, 3000, 2500, Inner, Outer, 13540), -1500);
    // Already at the top-left, dragging right or down keeps it there.
    EXPECT_EQ(DragPosition(0, 500, 800, Inner, Outer, 13540), 0);
    // Far left stops where the right edge meets the inner right edge.
    EXPECT_EQ(DragPosition(-4000, 5000, 0, Inner, Outer, 13540), Inner - 13540);
}

TEST(DragModel, PictureThatFitsStaysAtZero) {
    EXPECT_EQ(DragPosition(0, 5000, 0, Inner, Outer, 6000), 0);
    EXPECT_EQ(DragPosition(0, 5000, 4000, Inner, Outer, 6000), 0);
    // Wider than the inner size but within the outer one: its bar is disabled, so it must not
    // be left at an offset no bar can undo.
    EXPECT_EQ(DragPosition(0, 5000, 0, Inner, Outer, 9300), 0);
    EXPECT_EQ(DragPosition(0, 5000, 0, Outer, Outer, Outer), 0);
}

TEST(DragModel, ReleasePercentSettlesOnTheBar) {
    // 13540 - 9330 = 4210: step 10, maximum 421.
    const BarSetup setup = SetupBar(13540, 9330);
    ASSERT_EQ(setup.maximum, 421);
    const int percent = ReleasePercent(-1557.7f, 13540, 9330);
    EXPECT_EQ(percent, 37);
    EXPECT_EQ(PositionForBarValue(setup.step, *BarValueForPercent(percent, setup.maximum)), -1560);

    // Rounded half to even.
    EXPECT_EQ(ReleasePercent(-125, 1000 + 9330, 9330), 12);
    EXPECT_EQ(ReleasePercent(-135, 1000 + 9330, 9330), 14);
}

TEST(DragModel, ReleaseAtTheFarEdgePutsTheBarAtItsEnd) {
    const float farLeft = DragPosition(0, 9000, 0, Inner, Outer, 13540);
    EXPECT_EQ(ReleasePercent(farLeft, 13540, 9330), 100); // 101.4 % before the clamp
    EXPECT_EQ(ReleasePercent(-1e30f, 13540, 9330), 100);
    // No range: the picture fits, the bar is disabled.
    EXPECT_EQ(ReleasePercent(0, 9330, 9330), 0);
    EXPECT_EQ(ReleasePercent(-30, 9300, 9330), 0);
}

} // namespace
} // namespace brindlecast
