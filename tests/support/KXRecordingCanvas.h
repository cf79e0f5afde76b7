#pragma once
// A canvas for tests: it paints nothing, logs every call with its arguments and the pen, brush,
// font and pen position at the time of the call, and measures text by a fixed rule so tests can
// state exact expectations:
//   TextWidth(s)  = CharWidth * s.size()   (bytes; CharWidth is 6 unless a test sets it)
//   TextHeight(s) = Font.Size + 4
// Each call also has a short text form, e.g. "Rectangle(10,10,20,20)" or
// "TextRect(10,20,110,40,11,21,\"<<A>>\")", for comparing whole sequences at once.

#include "KXGR/core/KXCanvas.h"

#include <algorithm>
#include <ostream>
#include <string>
#include <vector>

struct TKXCanvasCall {
    std::string Op;              // the method name: "Rectangle", "LineTo", "TextWidth" ...
    std::vector<int32_t> Args;   // integer arguments in call order; a TRect gives its four sides
    std::string Text;            // the text of TextOut, TextRect, TextWidth, TextHeight
    TKXPen Pen;                  // state when the call was made
    TKXBrush Brush;
    TKXFont Font;
    TPoint PenPos;               // before the call (the start of a LineTo)

    std::string ToString() const
    {
        std::string s = Op + "(";
        for (size_t i = 0; i < Args.size(); ++i)
            s += (i ? "," : "") + std::to_string(Args[i]);
        if (Op.rfind("Text", 0) == 0)
            s += std::string(Args.empty() ? "" : ",") + "\"" + Text + "\"";
        return s + ")";
    }
};

inline std::ostream &operator<<(std::ostream &out, const TKXCanvasCall &call) { return out << call.ToString(); }

class TKXRecordingCanvas : public TKXCanvas {
public:
    std::vector<TKXCanvasCall> Calls;
    int32_t CharWidth = 6;

    // The text forms of the calls in order, without the measuring ones.
    std::vector<std::string> Log() const
    {
        std::vector<std::string> lines;
        for (const TKXCanvasCall &call : Calls)
            if (call.Op != "TextWidth" && call.Op != "TextHeight")
                lines.push_back(call.ToString());
        return lines;
    }
    std::vector<TKXCanvasCall> CallsOf(const std::string &op) const
    {
        std::vector<TKXCanvasCall> found;
        std::copy_if(Calls.begin(), Calls.end(), std::back_inserter(found), [&](auto &call) { return call.Op == op; });
        return found;
    }
    void Clear() { Calls.clear(); }

    void Rectangle(int32_t x1, int32_t y1, int32_t x2, int32_t y2) override { Record("Rectangle", {x1, y1, x2, y2}); }
    void RoundRect(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t x3, int32_t y3) override
    {
        Record("RoundRect", {x1, y1, x2, y2, x3, y3});
    }
    void Ellipse(int32_t x1, int32_t y1, int32_t x2, int32_t y2) override { Record("Ellipse", {x1, y1, x2, y2}); }
    void MoveTo(int32_t x, int32_t y) override { Record("MoveTo", {x, y}); PenPos = {x, y}; }
    void LineTo(int32_t x, int32_t y) override { Record("LineTo", {x, y}); PenPos = {x, y}; }
    void FillRect(const TRect &r) override { Record("FillRect", {r.Left, r.Top, r.Right, r.Bottom}); }
    void TextOut(int32_t x, int32_t y, const std::string &text) override { Record("TextOut", {x, y}, text); }
    void TextRect(const TRect &r, int32_t x, int32_t y, const std::string &text) override
    {
        Record("TextRect", {r.Left, r.Top, r.Right, r.Bottom, x, y}, text);
    }
    int32_t TextWidth(const std::string &text) override
    {
        Record("TextWidth", {}, text);
        return CharWidth * static_cast<int32_t>(text.size());
    }
    int32_t TextHeight(const std::string &text) override
    {
        Record("TextHeight", {}, text);
        return Font.Size + 4;
    }

private:
    void Record(const char *op, std::vector<int32_t> args, const std::string &text = {})
    {
        Calls.push_back({op, std::move(args), text, Pen, Brush, Font, PenPos});
    }
};
