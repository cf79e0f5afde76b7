// Every object kind with coordinates at and near both ends of the 32-bit range: read from both
// record forms, hit tested, drawn at three scales, moved, written and read again. Sums and
// products of such coordinates must saturate rather than wrap (the sanitizer build turns any
// overflow into a failure; the checks below catch the wrapped results in any build).

#include "KXGR/core/KXEdge.h"
#include "KXGR/core/KXStyles.h"
#include "KXGR/core/KXVertex.h"
#include "TestRecords.h"
#include "TestStyles.h"
#include "support/KXRecordingCanvas.h"

#include <gtest/gtest.h>

#include <string>

namespace {

constexpr int32_t Max = INT32_MAX;

// F is the far coordinate; the objects lie between F and the origin.
class Limits : public TRecordTest, public ::testing::WithParamInterface<int32_t> {
protected:
    int32_t F = GetParam();
    int32_t Inward(int32_t by) const { return F > 0 ? F - by : F + by; }
    TRect Corner() const { return NormalizeRect({Inward(20), Inward(20), F, F}); }

    static std::string Line(std::initializer_list<int32_t> values)
    {
        std::string line;
        for (const int32_t v : values)
            line += (line.empty() ? "" : " ") + std::to_string(v);
        return line + "\r\n";
    }

    // Every rectangle handed to the canvas has its corners in order: nothing wrapped.
    void DrawAtEveryScale(TKXObject &object)
    {
        for (const int32_t scale : {50, 100, 200}) {
            TKXRecordingCanvas canvas;
            object.Draw(canvas, scale, dmScreen);
            for (const TKXCanvasCall &call : canvas.Calls) {
                if (call.Op == "Rectangle" || call.Op == "TextRect" || call.Op == "Ellipse" || call.Op == "RoundRect") {
                    EXPECT_TRUE(call.Args[0] <= call.Args[2] && call.Args[1] <= call.Args[3])
                        << call << " at scale " << scale;
                }
            }
        }
    }

    template <typename T>
    void ExpectSameRecordAfterReading(T &object, TObject *data = nullptr)
    {
        const std::string text = TextOf(object);
        const TBytes bytes = BytesOfRecord(object);
        for (const auto &copy : ReadBack<T>(object, data)) {
            EXPECT_EQ(TextOf(*copy), text);
            EXPECT_EQ(BytesOfRecord(*copy), bytes);
        }
    }
};

TEST_P(Limits, PlainVertexAtTheCorner)
{
    const TRect r = Corner();
    const auto v = FromText<TKXCustomVertex>(Line({3}) + Line({r.Left, r.Top, r.Right, r.Bottom}));
    for (const auto &copy : ReadBack<TKXCustomVertex>(*v)) {
        ASSERT_EQ((TRect{copy->Left, copy->Top, copy->Right, copy->Bottom}), r);
        const TKXObject *corner = copy->HitTest({F, F});
        ASSERT_NE(corner, nullptr);
        EXPECT_EQ(corner->Kind, okHandle) << "the hit square reaches the limit";
        EXPECT_EQ(copy->HitTest({Inward(10), Inward(10)}), copy.get());
        EXPECT_EQ(copy->HitTest({-F, -F}), nullptr);
        EXPECT_EQ(copy->BorderPoint({Inward(10), Inward(10)}, {Inward(10), -F}),
                  (TPoint{Inward(10), F > 0 ? r.Top : r.Bottom}));
        copy->Selected = true;
        DrawAtEveryScale(*copy);
    }
    // A move past the limit stops there and keeps the rectangle in order.
    v->MoveBy({F, F});
    EXPECT_TRUE(v->Left <= v->Right && v->Top <= v->Bottom);
    EXPECT_EQ(F > 0 ? v->Right : v->Left, F > 0 ? Max : INT32_MIN);
    ExpectSameRecordAfterReading(*v);
}

TEST_P(Limits, StyledVertexAcrossTheWholeRange)
{
    TKXUOLibrary library;
    TKXVertexStyle &style = *library.AddStyle(NamedStyle("Wide"));
    for (uint8_t shape = isRectangle; shape <= isLine; ++shape) {
        TKXDrawItem &item = AddDrawItem(style, "D", NormalizeRect({-F, Inward(5), F, F}));
        item.Shape = static_cast<TKXItemShape>(shape);
        item.Growth = static_cast<TKXItemGrowth>(shape);
    }
    for (uint8_t align = txLeft; align <= txRight; ++align) {
        TKXTextItem &item = AddTextItem(style, "T", NormalizeRect({-F, 0, F, F}));
        item.Alignment = static_cast<TKXTextAlign>(align);
        item.Growth = align == txCenter ? igBoth : igNone;
        item.FontSize = F;
    }
    const auto v = FromText<TKXVertex>(Line({4}) + Line({-Max, -Max, Max, Max}) + "Wide\r\n", &library);
    ASSERT_EQ(v->Style->Name, "Wide");
    EXPECT_EQ(v->Style->DrawItems[3]->X2, Max) << "the growth to a width of 2^32 - 2 saturates";
    for (const auto &copy : ReadBack<TKXVertex>(*v, &library)) {
        EXPECT_EQ(copy->HitTest({Max, Max})->Kind, okHandle);
        EXPECT_EQ(copy->HitTest({-Max, -Max})->Kind, okHandle);
        EXPECT_EQ(copy->HitTest({0, F}), copy.get());
        copy->Selected = true;
        DrawAtEveryScale(*copy);
    }
    ExpectSameRecordAfterReading(*v, &library);
}

// From the corner vertex at F, up (or down) the range to a bend, across to the vertex at -F.
TEST_P(Limits, EdgeWithBendLabelAndAnchorAcrossTheRange)
{
    const TRect near = Corner();
    const TRect far = NormalizeRect({-F, -F, -Inward(20), -Inward(20)});
    Vertices.Add(FromText<TKXCustomVertex>(Line({1}) + Line({near.Left, near.Top, near.Right, near.Bottom})));
    Vertices.Add(FromText<TKXCustomVertex>(Line({2}) + Line({far.Left, far.Top, far.Right, far.Bottom})));
    const std::string record = Line({9}) + Line({1, 2}) + Line({F, F}) + Line({-F, -F}) + "label\r\n"
                               + Line({-F, F}) + Line({-F, -F, F, F}) + Line({F, 0}) + Line({1}) + Line({F, -F});
    const auto e = FromText<TKXCustomEdge>(record);
    ASSERT_EQ(e->Handles.size(), 3u);
    ExpectSameRecordAfterReading(*e);

    for (const auto &copy : ReadBack<TKXCustomEdge>(*e)) {
        DrawAtEveryScale(*copy); // places the label's bounds around its position
        const TRect label = copy->Adjacent->Bounds;
        EXPECT_TRUE(label.Left <= label.Right && label.Top <= label.Bottom) << "label bounds saturate";
        EXPECT_EQ(copy->HitTest({-F, F}), copy->Adjacent.get());
        EXPECT_EQ(copy->HitTest({F, F}), copy->Handles[0].get());
        EXPECT_EQ(copy->HitTest({F, -F}), copy->Handles[1].get());
        EXPECT_EQ(copy->HitTest({-F, -F}), copy->Handles[2].get());
        EXPECT_EQ(copy->HitTest({Inward(2), 12345}), copy.get()) << "2 units beside a segment of length 2^32";
        EXPECT_EQ(copy->HitTest({Inward(10), 12345}), nullptr);
        EXPECT_EQ(copy->HitTest({F, 0}), copy->Adjacent->Anchor.get());
        copy->Selected = true;
        copy->Adjacent->Selected = true;
        DrawAtEveryScale(*copy);
    }

    // Moves beyond the range stop at its ends: the label, its anchor along the first segment,
    // a bend; an end handle may not leave its vertex at all.
    e->Adjacent->MoveBy({F, F});
    EXPECT_EQ(e->Adjacent->Position, (TPoint{0, F > 0 ? Max : INT32_MIN}));
    e->Adjacent->Anchor->MoveBy({0, F});
    EXPECT_EQ(e->Adjacent->Anchor->Position.X, F);
    e->Handles[1]->MoveBy({F, F});
    EXPECT_EQ(e->Handles[1]->Position.X, F > 0 ? Max : INT32_MIN);
    e->Handles[0]->MoveBy({F, F});
    EXPECT_EQ(e->Handles[0]->Position, (TPoint{F, F}));
    DrawAtEveryScale(*e);
    ExpectSameRecordAfterReading(*e);
}

INSTANTIATE_TEST_SUITE_P(AtBothEnds, Limits, ::testing::Values(Max, Max - 4, -Max, -(Max - 4)),
                         [](const auto &info) {
                             const int32_t f = info.param;
                             return std::string(f > 0 ? "Plus" : "Minus") + (f == Max || f == -Max ? "Max" : "MaxLess4");
                         });

}
