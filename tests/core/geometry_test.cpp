#include "KXGR/core/KXErrors.h"
#include "KXGR/core/KXObject.h"
#include "KXGR/core/KXTypes.h"

#include <gtest/gtest.h>

#include <cfenv>
#include <vector>

TEST(Geometry, RoundingGoesToTheEvenNeighbour)
{
    for (const auto &[value, rounded] : {std::pair{132.5L, 132}, {133.5L, 134}, {-2.5L, -2}, {2.4999L, 2}})
        EXPECT_EQ(Round(value), rounded);
    EXPECT_THROW(Round(1e12L), EInvalidOp);
    // At the 32-bit limits, and whatever rounding mode the host has set.
    EXPECT_EQ(Round(2147483646.5L), 2147483646);
    EXPECT_EQ(Round(-2147483648.5L), -2147483648);
    EXPECT_THROW(Round(2147483647.5L), EInvalidOp);
    EXPECT_THROW(Round(-2147483648.51L), EInvalidOp);
    for (const int mode : {FE_UPWARD, FE_DOWNWARD, FE_TOWARDZERO}) {
        std::fesetround(mode);
        const std::vector<int32_t> rounded{Round(-2.5L), Round(3.5L), Round(2.7L), Round(-2.7L), Round(2.2L)};
        std::fesetround(FE_TONEAREST);
        EXPECT_EQ(rounded, (std::vector<int32_t>{-2, 4, 3, -3, 2})) << "rounding mode " << mode;
    }
    for (const auto &[value, scale, scaled] : {std::tuple{5, 50, 2}, {3, 50, 2}, {101, 100, 101}})
        EXPECT_EQ(ScaleValue(value, scale), scaled);
    EXPECT_EQ(UnscaleValue(101, 200), 50);
    EXPECT_EQ(UnscaleValue(51, 200), 26);
    // Zero scales and degenerate lines raise instead of converting NaN.
    EXPECT_THROW(UnscaleValue(10, 0), EZeroDivide);
    EXPECT_THROW(UnscalePoint({1, 2}, 0), EZeroDivide);
    EXPECT_THROW(ProjectOnLine({5, 5}, {3, 3}, {3, 3}), EInvalidOp);
}

TEST(Geometry, RectanglesAreClosed)
{
    const TRect r{0, 0, 10, 20};
    EXPECT_TRUE(PointInRect({10, 20}, r));
    EXPECT_FALSE(PointInRect({11, 20}, r));
    EXPECT_TRUE(RectInRect(r, r));
    EXPECT_FALSE(RectInRect({0, 0, 11, 20}, r));
    EXPECT_EQ(NormalizeRect({10, 20, 0, 5}), (TRect{0, 5, 10, 20}));
}

TEST(Geometry, SegmentDistanceAndProjection)
{
    const TPoint a{0, 0}, b{10, 0};
    EXPECT_EQ(std::abs(SegmentDistance({5, 3}, a, b)), 3);
    EXPECT_TRUE(IsNear(SegmentDistance({5, 3}, a, b)));
    EXPECT_FALSE(IsNear(SegmentDistance({5, 4}, a, b)));
    for (const TPoint p : {a, b, TPoint{-1, 0}}) // at and beyond the ends
        EXPECT_EQ(SegmentDistance(p, a, b), 999);
    EXPECT_EQ(SegmentDistance({5, 5}, {3, 3}, {3, 3}), 999);
    EXPECT_FALSE(IsNear(999));
    // Differences far beyond 46 340 would overflow 32-bit products.
    EXPECT_EQ(std::abs(SegmentDistance({1000000, 3}, {0, 0}, {2000000, 0})), 3);
    EXPECT_EQ(std::abs(SegmentDistance({0, 3}, {-1000000000, 0}, {1000000000, 0})), 3);

    // Across the whole 32-bit range the squares pass 2^64.
    constexpr int32_t Max = INT32_MAX;
    EXPECT_EQ(SegmentDistance({0, 2}, {-Max, 0}, {Max, 0}), -2);
    EXPECT_EQ(SegmentDistance({Max, 0}, {-Max, -Max}, {Max, Max}), 1518500249) << "half the diagonal, not wrapped";

    EXPECT_EQ(ProjectOnLine({20, 5}, a, b), (TPoint{20, 0})) << "beyond B";
    EXPECT_EQ(ProjectOnLine({Max, Max}, {0, 0}, {1, 2}), (TPoint{1288490188, Max})) << "beyond the range: saturated";
}

TEST(Geometry, ResultsBeyondThirtyTwoBitsSaturate)
{
    constexpr int32_t Max = INT32_MAX, Min = INT32_MIN;
    for (const auto &[value, scale, scaled] : {std::tuple{Max, 200, Max}, {-Max, 200, Min}, {Max - 4, 101, Max},
                                               {Min, 100, Min}, {Max, 50, 1073741824}})
        EXPECT_EQ(ScaleValue(value, scale), scaled) << value << " at " << scale;
    EXPECT_EQ(UnscaleValue(Max, 50), Max);
    EXPECT_EQ(UnscaleValue(Min, 1), Min);
    EXPECT_EQ(PointDelta({Min, Max}, {Max, Min}), (TPoint{Max, Min}));
    TRect r{Max - 4, Min + 4, Max, Min + 8};
    OffsetRect(r, {10, -10});
    EXPECT_EQ(r, (TRect{Max, Min, Max, Min}));
    TPoint p{-5, 5};
    OffsetPoint(p, {Min, Max});
    EXPECT_EQ(p, (TPoint{Min, Max}));
    EXPECT_EQ(ProjectOnLine({5, 5}, {0, 0}, {10, 10}), (TPoint{5, 5}));
}

namespace {
struct TTestObject : TKXObject {
    explicit TTestObject(int32_t id) { Id = id; }
};
}

TEST(ObjectList, FindByIdAnswersTheLastMatchAndFollowsChanges)
{
    TKXObjectList list;
    auto *first = list.Add(std::make_unique<TTestObject>(7));
    auto *second = list.Add(std::make_unique<TTestObject>(7));
    EXPECT_EQ(list.FindById(7), second);
    EXPECT_EQ(list.FindById(9), nullptr);
    list.Extract(second);
    EXPECT_EQ(list.FindById(7), first);
    first->Id = 9;
    EXPECT_EQ(list.FindById(9), first);
}
