#include "support/KXRecordingCanvas.h"

#include <gtest/gtest.h>

// The recording canvas is what other tests measure against; its log must hold the state of
// each call, not the state at the end.
TEST(RecordingCanvas, LogsCallsWithTheStateTheyWereMadeIn)
{
    TKXRecordingCanvas c;
    c.Pen.Color = clNavy;
    c.MoveTo(1, 2);
    c.LineTo(30, 40);
    c.Pen.Color = clBlack;
    c.Brush.Style = bsClear;
    c.Font.Size = 10;
    c.TextRect({10, 20, 110, 40}, 11, 21, "<<A>>");
    EXPECT_EQ(c.TextWidth("<<A>>"), 30);
    EXPECT_EQ(c.TextHeight("x"), 14);

    EXPECT_EQ(c.Log(), (std::vector<std::string>{"MoveTo(1,2)", "LineTo(30,40)",
                                                 "TextRect(10,20,110,40,11,21,\"<<A>>\")"}));
    EXPECT_EQ(c.Log(true).back(), "TextHeight(\"x\")");
    const auto lines = c.CallsOf("LineTo");
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].PenPos, (TPoint{1, 2}));
    EXPECT_EQ(lines[0].Pen.Color, clNavy);
    EXPECT_EQ(c.PenPos, (TPoint{30, 40}));
    EXPECT_EQ(c.CallsOf("TextRect")[0].Brush.Style, bsClear);
}
