#include "KXGR/core/KXObject.h"
#include "KXGR/core/KXSpatialIndex.h"
#include "KXGR/core/KXVertex.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <limits>
#include <memory>
#include <random>
#include <vector>

namespace {

struct TNumbered : TKXObject {
    explicit TNumbered(int32_t id) { Id = id; }
};

// A list of objects with the given ids, a change, and the position (in the list as it was
// built, -1 for none) FindById must answer for each id afterwards.
struct TRenumbering {
    const char *Name;
    std::vector<int32_t> Ids;
    std::function<void(TKXObjectList &, std::vector<TKXObject *> &)> Change;
    std::vector<std::pair<int32_t, int>> Expected;
};

class FindByIdTest : public ::testing::TestWithParam<TRenumbering> {};

TEST_P(FindByIdTest, AnswersTheLastHolderInListOrderAfterTheChange)
{
    const TRenumbering &row = GetParam();
    for (const bool lookedUpBefore : {false, true}) {
        TKXObjectList list;
        std::vector<TKXObject *> objects;
        for (const int32_t id : row.Ids)
            objects.push_back(list.Add(std::make_unique<TNumbered>(id)));
        if (lookedUpBefore)
            for (const int32_t id : row.Ids)
                list.FindById(id);
        row.Change(list, objects);
        for (const auto &[id, position] : row.Expected)
            EXPECT_EQ(list.FindById(id), position < 0 ? nullptr : objects[position])
                << "id " << id << (lookedUpBefore ? ", index built before the change" : "");
    }
}

const TRenumbering Renumberings[] = {
    {"LaterObjectGivenAnIndexedId", {1, 2, 3}, [](auto &, auto &o) { o[2]->Id = 1; }, {{1, 2}, {3, -1}, {2, 1}}},
    {"EarlierObjectGivenALaterId", {1, 2, 3}, [](auto &, auto &o) { o[0]->Id = 3; }, {{3, 2}, {1, -1}}},
    {"LastOfThreeHoldersRenumbered", {5, 5, 5}, [](auto &, auto &o) { o[2]->Id = 9; }, {{5, 1}, {9, 2}}},
    {"MiddleHolderRenumberedAndBack", {5, 5, 5},
     [](auto &, auto &o) { o[1]->Id = 6; o[2]->Id = 6; o[1]->Id = 5; }, {{5, 1}, {6, 2}}},
    {"IdsSwapped", {1, 2}, [](auto &, auto &o) { o[0]->Id = 2; o[1]->Id = 1; }, {{1, 1}, {2, 0}}},
    {"LastHolderExtracted", {5, 7, 5}, [](auto &l, auto &o) { l.Extract(o[2]); }, {{5, 0}, {7, 1}}},
    {"ExtractedThenAddedWithTheSameId", {5, 7},
     [](auto &l, auto &o) {
         l.Extract(o[1]);
         o[1] = l.Add(std::make_unique<TNumbered>(5));
     },
     {{5, 1}, {7, -1}}},
    {"ExtractedObjectRenumberedOutside", {4, 8},
     [](auto &l, auto &o) {
         auto gone = l.Extract(o[0]);
         gone->Id = 8;
     },
     {{8, 1}, {4, -1}}},
    {"WholeListRenumberedDownwards", {10, 20, 30},
     [](auto &, auto &o) {
         for (std::size_t i = 0; i < o.size(); ++i)
             o[i]->Id = int32_t(i) + 1;
     },
     {{1, 0}, {2, 1}, {3, 2}, {10, -1}, {30, -1}}},
};

INSTANTIATE_TEST_SUITE_P(Renumbering, FindByIdTest, ::testing::ValuesIn(Renumberings),
                         [](const auto &info) { return std::string(info.param.Name); });

// Thousands of random renumberings, extractions and additions over ids that repeat: every
// look-up answers what a search from the back of the list answers.
TEST(ObjectList, FindByIdMatchesASearchFromTheBackThroughRandomChanges)
{
    std::mt19937 random(11);
    const auto anyId = [&] {
        const int32_t ids[] = {0, -1, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()};
        return random() % 8 == 0 ? ids[random() % 4] : int32_t(random() % 3000) * 4096;
    };
    TKXObjectList list;
    std::vector<std::unique_ptr<TKXObject>> gone;  // kept alive: a renumbering may look at them
    for (int i = 0; i < 2000; ++i)
        list.Add(std::make_unique<TNumbered>(anyId()));
    for (int step = 0; step < 20000; ++step) {
        const std::size_t count = list.Count();
        switch (random() % 4) {
        case 0: list[random() % count]->Id = anyId(); break;
        case 1: gone.push_back(list.Extract(list[random() % count])); break;
        case 2: list.Add(std::make_unique<TNumbered>(anyId())); break;
        default: {
            const int32_t id = step % 2 ? anyId() : list[random() % count]->Id;
            TKXObject *last = nullptr;
            for (std::size_t i = count; i-- > 0 && !last;)
                if (list[i]->Id == id)
                    last = list[i];
            ASSERT_EQ(list.FindById(id), last) << "id " << id << " at step " << step;
        }
        }
    }
}

TEST(ObjectList, ExtractLeavesNoGapAndKeepsOrderAndPositions)
{
    TKXObjectList list;
    std::vector<TKXObject *> objects;
    for (int32_t id = 1; id <= 6; ++id)
        objects.push_back(list.Add(std::make_unique<TNumbered>(id)));
    std::vector<std::unique_ptr<TKXObject>> extracted;  // kept alive: Extract looks at the object
    for (const std::size_t i : {4u, 0u, 2u}) {
        extracted.push_back(list.Extract(objects[i]));
        EXPECT_EQ(extracted.back().get(), objects[i]);
    }
    EXPECT_EQ(list.Extract(objects[0]), nullptr) << "no longer in the list";
    ASSERT_EQ(list.Count(), 3u);
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(list[i], objects[2 * i + 1]);
        EXPECT_EQ(list.IndexOf(objects[2 * i + 1]), int(i));
    }
    EXPECT_EQ(list.IndexOf(objects[0]), -1);
    EXPECT_EQ(list.FindById(4), objects[3]);
}

// Areas follow the object's changes; a query finds it once, in list order.
TEST(ObjectList, ObjectsInFollowsMovesAndRemovals)
{
    TKXObjectList list;
    auto *lower = static_cast<TKXCustomVertex *>(list.Add(std::make_unique<TKXCustomVertex>(TPoint{100, 100})));
    auto *upper = static_cast<TKXCustomVertex *>(list.Add(std::make_unique<TKXCustomVertex>(TPoint{130, 110})));
    std::vector<TKXObject *> found;
    list.ObjectsIn({120, 100, 2000, 2000}, found);
    EXPECT_EQ(found, (std::vector<TKXObject *>{lower, upper}));

    lower->MoveBy({5000, 0});
    found.clear();
    list.ObjectsIn({0, 0, 2000, 2000}, found);
    EXPECT_EQ(found, std::vector<TKXObject *>{upper});
    found.clear();
    list.ObjectsIn({5100, 100, 5100, 100}, found);
    EXPECT_EQ(found, std::vector<TKXObject *>{lower});

    // A corner handle reaches 4 units beyond the rectangle.
    found.clear();
    list.ObjectsIn({184, 139, 184, 139}, found);
    EXPECT_EQ(found, std::vector<TKXObject *>{upper});

    list.Extract(upper);
    found.clear();
    list.ObjectsIn({0, 0, 2000, 2000}, found);
    EXPECT_TRUE(found.empty());
}

std::vector<uint32_t> Keys(const TKXSpatialIndex &index, const TRect &r)
{
    std::vector<uint32_t> keys;
    index.Query(r, keys);
    std::sort(keys.begin(), keys.end());
    keys.erase(std::unique(keys.begin(), keys.end()), keys.end());
    return keys;
}

TEST(SpatialIndex, FilesRectanglesAndSegmentsAnywhereOnThePlane)
{
    constexpr int32_t lo = std::numeric_limits<int32_t>::min();
    constexpr int32_t hi = std::numeric_limits<int32_t>::max();
    TKXSpatialIndex index(100);
    index.Set(1, {{{-50, -50}, {-10, -10}}});                        // a small rectangle left of 0
    index.Set(2, {{{0, 0}, {10000, 10000}, 4, true}});               // a long diagonal line
    index.Set(3, {{{lo, lo}, {hi, hi}}});                            // the whole plane
    index.Set(4, {{{hi - 2, hi - 2}, {hi, hi}, 8}});                 // at the very corner
    using K = std::vector<uint32_t>;
    EXPECT_EQ(Keys(index, {-10, -10, -10, -10}), (K{1, 3}));
    EXPECT_EQ(Keys(index, {-9, -9, -9, -9}), (K{3}));
    EXPECT_EQ(Keys(index, {5000, 5004, 5000, 5004}), (K{2, 3}));
    // Inside the line's bounding rectangle but far from the line.
    EXPECT_EQ(Keys(index, {9000, 100, 9000, 100}), (K{3}));
    EXPECT_EQ(Keys(index, {hi, hi, hi, hi}), (K{3, 4}));

    // Set replaces, Remove takes out, and many updates of one key leave only its last areas.
    index.Remove(3);
    index.Set(2, {});
    for (int32_t i = 0; i < 20000; ++i)
        index.Set(1, {{{i, 0}, {i + 10, 10}}});
    EXPECT_EQ(Keys(index, {-20, -20, -20, -20}), K{});
    EXPECT_EQ(Keys(index, {20005, 5, 20005, 5}), (K{1}));
    EXPECT_EQ(Keys(index, {5, 5, 5, 5}), K{});
    EXPECT_EQ(Keys(index, {lo, lo, hi, hi}), (K{1, 4}));
}

TEST(SpatialIndex, AnObjectOfManyLongSegmentsIsFiledByTheRectangleAroundThem)
{
    // A zigzag whose pieces would take tens of thousands of cells: a few bytes of a file must
    // not cost megabytes of index. It is still found everywhere along it, and coarsely around.
    TKXSpatialIndex index(100);
    TKXHitAreas zigzag;
    for (int32_t i = 0; i < 20; ++i)
        zigzag.push_back({{i * 1000, 0}, {(i + 1) * 1000, i % 2 ? -200000 : 200000}, 4, true});
    index.Set(7, zigzag);
    index.Set(8, {{{-500, -500}, {-400, -400}}});
    using K = std::vector<uint32_t>;
    EXPECT_EQ(Keys(index, {500, 100000, 500, 100000}), (K{7}));     // on the first segment
    EXPECT_EQ(Keys(index, {19900, 1, 19900, 1}), (K{7}));           // near the last one's end
    EXPECT_EQ(Keys(index, {500, -150000, 500, -150000}), (K{7}));   // off the line, inside
    EXPECT_EQ(Keys(index, {-450, -450, -450, -450}), (K{8}));
    EXPECT_EQ(Keys(index, {20005, 0, 20005, 0}), K{});              // beyond the rectangle
    index.Set(7, {});
    EXPECT_EQ(Keys(index, {500, 100000, 500, 100000}), K{});
}

}
