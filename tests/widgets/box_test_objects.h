#pragma once
// Small diagram objects for the diagram box and actor tests: an edge stand-in (a horizontal
// line with bend handles) and an object that notes its destruction.

#include "KXGR/core/KXCanvas.h"
#include "KXGR/core/KXHandle.h"
#include "KXGR/core/KXObject.h"
#include "KXGR/core/KXVertex.h"

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

// A straight horizontal edge from A to B. A point within 3 units of it, strictly between the
// ends, hits the edge; its bend handles win over the line. InsertBendPoint adds a bend handle
// at the foot of the point when it lies on the line.
class TTestEdge : public TKXObject, public TKXHandleOwner {
public:
    TTestEdge(TPoint a, TPoint b, std::vector<std::string> *log = nullptr, std::string name = "")
        : A(a), B(b), FLog(log), FName(std::move(name))
    {
        Kind = okEdge;
    }
    ~TTestEdge() override
    {
        if (FLog)
            FLog->push_back(FName);
    }

    TPoint A, B;
    std::vector<std::unique_ptr<TKXHandle>> Bends;
    std::vector<TPoint> Inserted;   // every InsertBendPoint request

    TKXHandle *AddBend(TPoint p)
    {
        Bends.push_back(std::make_unique<TKXHandle>(this, p, hkBend));
        return Bends.back().get();
    }

    void Draw(TKXCanvas &canvas, int32_t scale, TKXDrawMode mode) override
    {
        canvas.Pen.Mode = pmCopy;
        canvas.Pen.Color = clBlack;
        canvas.Pen.Style = psSolid;
        canvas.MoveTo(ScaleValue(A.X, scale), ScaleValue(A.Y, scale));
        canvas.LineTo(ScaleValue(B.X, scale), ScaleValue(B.Y, scale));
        if (Selected && mode == dmScreen)
            for (auto &h : Bends)
                h->Draw(canvas, scale, mode);
    }
    void DrawOutline(TKXCanvas &canvas, int32_t scale) override
    {
        canvas.Pen.Mode = pmNotXor;
        canvas.Pen.Color = clBlack;
        canvas.MoveTo(ScaleValue(A.X, scale), ScaleValue(A.Y, scale));
        canvas.LineTo(ScaleValue(B.X, scale), ScaleValue(B.Y, scale));
    }
    TKXObject *HitTest(TPoint p) override
    {
        TKXObject *answer = nullptr;
        if (p.X > A.X && p.X < B.X && std::abs(p.Y - A.Y) <= 3)
            answer = this;
        for (auto &h : Bends)
            if (TKXObject *hit = h->HitTest(p))
                answer = hit;
        return answer;
    }
    void MoveBy(TPoint) override {}
    bool InRect(const TRect &) override { return false; }
    void InsertBendPoint(TPoint p) override
    {
        Inserted.push_back(p);
        if (p.X > A.X && p.X < B.X && std::abs(p.Y - A.Y) <= 3)
            AddBend({p.X, A.Y});
    }
    void RemoveBendPoint(TKXHandle *handle) override
    {
        Bends.erase(std::remove_if(Bends.begin(), Bends.end(), [handle](auto &h) { return h.get() == handle; }),
                    Bends.end());
    }
    void MoveHandle(TKXHandle &handle, TPoint delta) override { handle.Shift(delta); }
    void DrawHandleOutline(TKXCanvas &canvas, TKXHandle &, int32_t scale) override { DrawOutline(canvas, scale); }

private:
    std::vector<std::string> *FLog;
    std::string FName;
};

// A plain vertex that notes its destruction.
class TLoggedVertex : public TKXCustomVertex {
public:
    TLoggedVertex(TPoint center, std::vector<std::string> *log, std::string name)
        : TKXCustomVertex(center), FLog(log), FName(std::move(name))
    {
    }
    ~TLoggedVertex() override { FLog->push_back(FName); }

private:
    std::vector<std::string> *FLog;
    std::string FName;
};
