#include "KXGR/core/KXErrors.h"
#include "KXGR/core/KXObject.h"
#include "KXGR/core/KXTypes.h"

#include <gtest/gtest.h>

TEST(Round, HalvesGoToTheEvenNeighbour)
{
    EXPECT_EQ(Round(132.5L), 132);
    EXPECT_EQ(Round(133.5L), 134);
    EXPECT_EQ(Round(-2.5L), -2);
    EXPECT_EQ(Round(2.4999L), 2);
    EXPECT_THROW(Round(1e12L), EInvalidOp);
}

TEST(Geometry, ScaleValueRoundsHalvesToEven)
{
    EXPECT_EQ(ScaleValue(5, 50), 2);
    EXPECT_EQ(ScaleValue(3, 50), 2);
    EXPECT_EQ(ScaleValue(101, 100), 101);
    EXPECT_EQ(UnscaleValue(101, 200), 50);
    EXPECT_EQ(UnscaleValue(51, 200), 26);
}

TEST(Geometry, ZeroScaleAndDegenerateLineRaiseInsteadOfConvertingNaN)
{
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

TEST(Geometry, SegmentDistance)
{
    const TPoint a{0, 0}, b{10, 0};
    EXPECT_EQ(std::abs(SegmentDistance({5, 3}, a, b)), 3);
    EXPECT_TRUE(IsNear(SegmentDistance({5, 3}, a, b)));
    EXPECT_FALSE(IsNear(SegmentDistance({5, 4}, a, b)));
    EXPECT_EQ(SegmentDistance(a, a, b), 999);
    EXPECT_EQ(SegmentDistance(b, a, b), 999);
    EXPECT_EQ(SegmentDistance({-1, 0}, a, b), 999);
    EXPECT_EQ(SegmentDistance({5, 5}, {3, 3}, {3, 3}), 999);
    EXPECT_FALSE(IsNear(999));
}

TEST(Geometry, SegmentDistanceWithLargeCoordinatesDoesNotOverflow)
{
    // Differences far beyond 46 340 would overflow 32-bit products.
    EXPECT_EQ(std::abs(SegmentDistance({1000000, 3}, {0, 0}, {2000000, 0})), 3);
    EXPECT_EQ(std::abs(SegmentDistance({0, 3}, {-1000000000, 0}, {1000000000, 0})), 3);
}

TEST(Geometry, ProjectOnLineMayFallBeyondTheEnds)
{
    EXPECT_EQ(ProjectOnLine({20, 5}, {0, 0}, {10, 0}), (TPoint{20, 0}));
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
    list.Add(std::make_unique<TTestObject>(8));
    EXPECT_EQ(list.FindById(7), second);
    EXPECT_EQ(list.FindById(9), nullptr);

    list.Extract(second);
    EXPECT_EQ(list.FindById(7), first);
    first->Id = 9;
    EXPECT_EQ(list.FindById(7), nullptr);
    EXPECT_EQ(list.FindById(9), first);
}

TEST(ObjectBase, OperationsLeftAbstractRaise)
{
    TTestObject object(1);
    EXPECT_THROW(object.MoveBy({1, 1}), EAbstractError);
    EXPECT_THROW(object.HitTest({1, 1}), EAbstractError);
}
