#include "KXGR/widgets/KXDiagramBox.h"

#include "KXGR/core/KXEdge.h"
#include "KXGR/core/KXErrors.h"
#include "KXGR/core/KXVertex.h"
#include "KXGR/widgets/KXPrinterInfo.h"
#include "KXGR/widgets/KXQtCanvas.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <span>

namespace {

[[noreturn]] void InvalidValue() { throw EPropertyError(KXMessages::InvalidPropertyValue); }

bool ToMouseButton(Qt::MouseButton qtButton, TMouseButton &button)
{
    switch (qtButton) {
    case Qt::LeftButton: button = mbLeft; return true;
    case Qt::RightButton: button = mbRight; return true;
    case Qt::MiddleButton: button = mbMiddle; return true;
    default: return false;
    }
}

TShiftState ToShiftState(const QMouseEvent &event)
{
    TShiftState shift = 0;
    const Qt::KeyboardModifiers modifiers = event.modifiers();
    const Qt::MouseButtons buttons = event.buttons();
    if (modifiers & Qt::ShiftModifier) shift |= ssShift;
    if (modifiers & Qt::AltModifier) shift |= ssAlt;
    if (modifiers & Qt::ControlModifier) shift |= ssCtrl;
    if (buttons & Qt::LeftButton) shift |= ssLeft;
    if (buttons & Qt::RightButton) shift |= ssRight;
    if (buttons & Qt::MiddleButton) shift |= ssMiddle;
    return shift;
}

// Round(page width / screen width * printScale); 0 when there is no usable page.
int32_t FactorFor(const TKXPrinterMetrics &metrics, int32_t printScale)
{
    if (metrics.PageWidth <= 0 || metrics.ScreenWidth <= 0)
        return 0;
    const long double ratio = static_cast<long double>(metrics.PageWidth) / metrics.ScreenWidth;
    return Round(ratio * printScale);
}

// The view offset stays well inside int so that a device rectangle at it never overflows.
constexpr long double MaxViewOffset = 1 << 30;

// Distance of one arrow-key step, in client pixels.
constexpr int32_t KeyScrollStep = 20;

} // namespace

// A canvas on the window image at the view. Takes over the box's own-canvas state (in the copy
// pen mode) and gives it back when it is done, then asks for the image to be shown.
class TKXDiagramBox::TWindowCanvas : public TKXQtCanvas {
public:
    explicit TWindowCanvas(TKXDiagramBox &box) : TKXQtCanvas(&box.FWindowImage), FBox(box)
    {
        SetOrigin(box.ViewOffset());
        Pen = box.FOwnPen;
        Brush = box.FOwnBrush;
        Font = box.FOwnFont;
        // Feedback leaves the pen in not-xor; objects that set no mode of their own must not
        // be drawn inverted by the next direct drawing.
        Pen.Mode = pmCopy;
    }
    ~TWindowCanvas() override
    {
        End();
        FBox.FOwnPen = Pen;
        FBox.FOwnBrush = Brush;
        FBox.FOwnFont = Font;
        FBox.FCopyPending = true;
        FBox.update();
    }

private:
    TKXDiagramBox &FBox;
};

TKXDiagramBox::TKXDiagramBox(QWidget *parent) : QFrame(parent)
{
    setMouseTracking(true);  // moves without a button reach the actor too
    setAttribute(Qt::WA_OpaquePaintEvent);
    RegisterObjectClass(TKXObject::ClassRecord);
}

TKXDiagramBox::~TKXDiagramBox()
{
    EndDrawSession();
    Selection.clear();
    // Every edge goes next: emptying the vertices' Links first spares each edge a scan of its
    // vertices' lists, which made destroying a vertex with many edges quadratic.
    for (const auto &vertex : Vertices)
        vertex->Links.clear();
    Edges.Clear();
    Vertices.Clear();
}

void TKXDiagramBox::SetBorderStyle(int value)
{
    FBorderStyle = value;
    setFrameStyle(value == bsSingle ? QFrame::WinPanel | QFrame::Sunken : QFrame::NoFrame);
    Recompose();
}

int32_t TKXDiagramBox::ClientWidth() const { return contentsRect().width(); }

int32_t TKXDiagramBox::ClientHeight() const { return contentsRect().height(); }

TPoint TKXDiagramBox::ClientToScreen(TPoint p) const
{
    const QPoint screen = mapToGlobal(contentsRect().topLeft() + QPoint(p.X, p.Y));
    return {screen.x(), screen.y()};
}

void TKXDiagramBox::SetColor(TColor value)
{
    FColor = value;
    Recompose();
}

void TKXDiagramBox::SetScale(int32_t value)
{
    if (value <= 0)
        InvalidValue();
    FScale = value;
    Recompose();
}

void TKXDiagramBox::SetPrintScale(int32_t value)
{
    if (value <= 0)
        InvalidValue();
    FPrintScale = value;
    if (FShowPrinterPage)
        Recompose();
}

void TKXDiagramBox::SetShowGrid(bool value)
{
    FShowGrid = value;
    Recompose();
}

void TKXDiagramBox::SetGridStep(int32_t value)
{
    if (value <= 0)
        InvalidValue();
    FGridStep = value;
    Recompose();
}

void TKXDiagramBox::SetGridColor(TColor value)
{
    FGridColor = value;
    Recompose();
}

void TKXDiagramBox::SetGridStyle(int value)
{
    FGridStyle = static_cast<uint8_t>(value);
    Recompose();
}

void TKXDiagramBox::SetShowPrinterPage(bool value)
{
    FShowPrinterPage = value;
    Recompose();
}

void TKXDiagramBox::SetActor(TKXActor *value)
{
    FActor = value;
    if (value)
        value->FBox = this;
    Recompose();
}

void TKXDiagramBox::SetScrolling(bool value)
{
    FScrolling = value;
    // Keys reach the box only when it can take the focus; without scrolling the focus policy
    // stays the frame's own.
    setFocusPolicy(value ? Qt::WheelFocus : Qt::NoFocus);
}

void TKXDiagramBox::SetViewOrigin(TPoint value)
{
    if (value == FViewOrigin)
        return;
    FViewOrigin = value;
    Recompose();
    emit ViewOriginChanged();
}

void TKXDiagramBox::ScrollBy(int32_t dx, int32_t dy) { SetViewOrigin(ClientToDiagram({dx, dy})); }

TPoint TKXDiagramBox::ViewOffset() const
{
    const long double factor = FScale * 0.01L;
    const auto offset = [&](int32_t v) { return Round(std::clamp(v * factor, -MaxViewOffset, MaxViewOffset)); };
    return {offset(FViewOrigin.X), offset(FViewOrigin.Y)};
}

TPoint TKXDiagramBox::ClientToDiagram(TPoint p) const
{
    const TPoint offset = ViewOffset();
    const long double factor = 100.0L / FScale;
    return {RoundSaturated(factor * (static_cast<long double>(p.X) + offset.X)),
            RoundSaturated(factor * (static_cast<long double>(p.Y) + offset.Y))};
}

TPoint TKXDiagramBox::DiagramToClient(TPoint p) const
{
    const TPoint offset = ViewOffset();
    const long double factor = FScale * 0.01L;
    return {RoundSaturated(p.X * factor - offset.X), RoundSaturated(p.Y * factor - offset.Y)};
}

void TKXDiagramBox::Invalidate()
{
    Vertices.ForgetExtents();
    Edges.ForgetExtents();
    Recompose();
}

void TKXDiagramBox::Recompose()
{
    FRecompose = true;
    update();
}

void TKXDiagramBox::Paint()
{
    Vertices.ForgetExtents();
    Edges.ForgetExtents();
    ComposePicture();
    FCopyPending = true;
    update();
}

// The picture covers at least one pixel, also while the client area is empty.
QSize TKXDiagramBox::PictureSize() const { return {std::max(ClientWidth(), 1), std::max(ClientHeight(), 1)}; }

bool TKXDiagramBox::WindowImageFits() const { return FWindowImage.size() == PictureSize(); }

void TKXDiagramBox::EndDrawSession() { FDrawSession.reset(); }

void TKXDiagramBox::ComposePicture()
{
    EndDrawSession();
    // The window image shares the last picture with the buffer; letting go of it first spares
    // painting on the buffer a copy of the whole image.
    FWindowImage = QImage();
    const QSize size = PictureSize();
    if (FBuffer.size() != size)
        FBuffer = QImage(size, QImage::Format_RGB32);
    {
        TKXQtCanvas canvas(&FBuffer);
        canvas.Pen = FBufferPen;
        canvas.Brush = FBufferBrush;
        canvas.Font = FBufferFont;
        const TPoint offset = ViewOffset();
        canvas.SetOrigin(offset);
        canvas.Pen.Mode = pmCopy;
        canvas.Brush.Color = FColor;
        canvas.Brush.Style = bsSolid;
        canvas.FillRect(MakeRect(offset.X, offset.Y, offset.X + ClientWidth(), offset.Y + ClientHeight()));
        if (FShowGrid)
            DrawGrid(canvas);
        if (FShowPrinterPage)
            DrawPrinterPage(canvas);
        DrawObjectsIn(canvas, dmScreen, MakeRect(offset.X, offset.Y, offset.X + ClientWidth() - 1,
                                                 offset.Y + ClientHeight() - 1));
        FBufferPen = canvas.Pen;
        FBufferBrush = canvas.Brush;
        FBufferFont = canvas.Font;
    }
    FWindowImage = FBuffer;
    FRecompose = false;
}

void TKXDiagramBox::paintEvent(QPaintEvent *)
{
    // A plain copy suffices when only direct drawing is waiting; anything else (the host's
    // invalidation, exposure, a new size) recomposes.
    // A failing compose (an object's or the host's drawing raised) is reported once, not on
    // every repaint that follows, until a compose succeeds again; the window then shows what
    // it held before.
    const bool composed = RunGuarded(
        [&] {
            if (FRecompose || !FCopyPending || !WindowImageFits())
                ComposePicture();
        },
        FPaintFailed ? TKXErrorEvent([](const std::exception &) {}) : OnError);
    FPaintFailed = !composed;
    FCopyPending = false;
    QPainter painter(this);
    drawFrame(&painter);
    painter.drawImage(contentsRect().topLeft(), FWindowImage);
}

std::unique_ptr<TKXCanvas> TKXDiagramBox::OwnCanvas()
{
    // One painter at a time on the window image, and the pen, brush and font flow on.
    EndDrawSession();
    if (!WindowImageFits())
        ComposePicture();
    return std::make_unique<TWindowCanvas>(*this);
}

void TKXDiagramBox::DrawGrid(TKXCanvas &canvas)
{
    canvas.Pen.Color = FGridColor;
    canvas.Pen.Style = static_cast<TPenStyle>(FGridStyle);
    const TPoint offset = ViewOffset();
    const int32_t left = offset.X;
    const int32_t top = offset.Y;
    const int32_t right = left + ClientWidth();
    const int32_t bottom = top + ClientHeight();
    const long double step = FGridStep * (FScale * 0.01L);
    // The grid lines from the view's top-left corner up to the one nearest its far side,
    // never one at 0: a view at (0, 0) draws from the first step on.
    const auto first = [&](int32_t from) { return static_cast<int64_t>(std::floor(from / step)); };
    const auto last = [&](int32_t to) { return static_cast<int64_t>(Round(to / step)); };
    for (int64_t i = first(top), rows = last(bottom); i <= rows; ++i) {
        if (i == 0)
            continue;
        const int32_t y = Round(step * i);
        canvas.MoveTo(left, y);
        canvas.LineTo(right, y);
    }
    for (int64_t j = first(left), columns = last(right); j <= columns; ++j) {
        if (j == 0)
            continue;
        const int32_t x = Round(step * j);
        canvas.MoveTo(x, top);
        canvas.LineTo(x, bottom);
    }
}

int32_t TKXDiagramBox::PrinterFactor() { return FactorFor(PrinterInfo().Metrics(), FPrintScale); }

void TKXDiagramBox::DrawPrinterPage(TKXCanvas &canvas)
{
    const TKXPrinterMetrics metrics = PrinterInfo().Metrics();
    const int32_t factor = FactorFor(metrics, FPrintScale);
    // A page too small for the factor would give page lines 0 units apart: draw none.
    if (factor <= 0)
        return;
    canvas.Pen.Style = psSolid;
    canvas.Pen.Color = clBlack;
    const TPoint offset = ViewOffset();
    const int32_t left = offset.X;
    const int32_t top = offset.Y;
    const int32_t right = left + ClientWidth();
    const int32_t bottom = top + ClientHeight();
    // Pages lie from the diagram's origin on. Lines up to the far side of the view, counted
    // as for a view at (0, 0) that reached that far; the ones before the view are skipped.
    const long double factorScale = FScale * 0.01L;
    const auto scaled = [&](int64_t v) { return RoundSaturated(v * factorScale); };
    const auto pageLines = [&](int32_t page, int32_t from, int32_t to, auto &&line) {
        if (page <= 0)
            return;
        const int64_t count = UnscaleValue(Round(static_cast<long double>(to) / page + 0.5L), FScale);
        const int64_t start = std::max<int64_t>(1, static_cast<int64_t>(std::floor(from / factorScale / page)));
        for (int64_t i = start; i <= count; ++i)
            line(scaled(i * page));
    };
    pageLines(Round(metrics.PageWidth * (100.0L / factor)), left, right, [&](int32_t x) {
        canvas.MoveTo(x, top);
        canvas.LineTo(x, bottom);
    });
    pageLines(Round(metrics.PageHeight * (100.0L / factor)), top, bottom, [&](int32_t y) {
        canvas.MoveTo(left, y);
        canvas.LineTo(right, y);
    });
}

void TKXDiagramBox::DrawObjects(TKXCanvas &canvas, TKXDrawMode mode)
{
    const int32_t scale = mode == dmScreen ? FScale : PrinterFactor();
    FPainted.clear();
    for (const TKXObjectList *list : {&Edges, &Vertices})
        for (const auto &obj : *list)
            FPainted.push_back(obj.get());
    DrawInOrder(canvas, scale, mode, Edges.Count());
}

void TKXDiagramBox::DrawObjectsIn(TKXCanvas &canvas, TKXDrawMode mode, const TRect &view)
{
    const int32_t scale = mode == dmScreen ? FScale : PrinterFactor();
    // The index finds the objects whose paint extents meet the view.
    FPainted.clear();
    Edges.ObjectsPaintedIn(view, scale, FPainted);
    const std::size_t edgeCount = FPainted.size();
    Vertices.ObjectsPaintedIn(view, scale, FPainted);
    DrawInOrder(canvas, scale, mode, edgeCount);
}

void TKXDiagramBox::DrawInOrder(TKXCanvas &canvas, int32_t scale, TKXDrawMode mode, std::size_t edgeCount)
{
    const auto edges = std::span(FPainted).first(edgeCount);
    for (TKXObject *edge : edges)
        if (!edge->Selected)
            edge->Draw(canvas, scale, mode);
    for (TKXObject *vertex : std::span(FPainted).subspan(edgeCount))
        vertex->Draw(canvas, scale, mode);
    // Selected edges lie above the vertices; on paper they are printed last as well.
    for (TKXObject *edge : edges)
        if (edge->Selected)
            edge->Draw(canvas, scale, mode);
}

TRect TKXDiagramBox::DiagramExtent()
{
    bool any = false;
    TRect extent;
    for (const TKXObjectList *list : {&Vertices, &Edges})
        for (const auto &obj : *list) {
            const TRect r = obj->PaintExtent(FScale);
            extent = any ? UniteRects(extent, r) : r;
            any = true;
        }
    if (!any)
        return {};
    const long double factor = 100.0L / FScale;
    return {RoundSaturated(factor * extent.Left), RoundSaturated(factor * extent.Top),
            RoundSaturated(factor * extent.Right), RoundSaturated(factor * extent.Bottom)};
}

void TKXDiagramBox::DrawOnOwnCanvas(TKXObject *obj)
{
    if (!FBatchDrawing) {
        obj->Draw(*OwnCanvas(), FScale, dmScreen);
        return;
    }
    if (!FDrawSession) {
        if (!WindowImageFits())
            ComposePicture();
        FDrawSession = std::make_unique<TWindowCanvas>(*this);
    }
    obj->Draw(*FDrawSession, FScale, dmScreen);
}

TKXObject *TKXDiagramBox::AddObject(TKXObject *obj, TKXMode mode) { return AddOffered(obj, mode); }

TKXObject *TKXDiagramBox::AddOffered(TKXObject *&obj, TKXMode mode)
{
    if (OnAddObject && !OnAddObject(obj, mode))
        return nullptr;
    if (!obj)
        return nullptr;
    TKXObject *taken = nullptr;
    if (obj->Kind == okVertex)
        taken = Vertices.Add(std::unique_ptr<TKXObject>(obj));
    else if (obj->Kind == okEdge)
        taken = Edges.Add(std::unique_ptr<TKXObject>(obj));
    if (mode == moNew) {
        obj->Id = ++LastId;
        SelectObject(obj, false);
    }
    DrawOnOwnCanvas(obj);
    return taken;
}

void TKXDiagramBox::ClearSelection()
{
    if (Selection.empty())
        return;
    {
        const std::unique_ptr<TKXCanvas> canvas = OwnCanvas();
        for (TKXObject *obj : Selection) {
            obj->Draw(*canvas, FScale, dmScreen);
            SetSelected(*obj, false);
            obj->Draw(*canvas, FScale, dmScreen);
        }
    }
    for (TKXObject *obj : Selection)
        obj->FInSelection = false;
    Selection.clear();
}

void TKXDiagramBox::SelectObject(TKXObject *obj, bool add)
{
    if (!add)
        ClearSelection();
    if (!obj->FInSelection) {
        obj->FInSelection = true;
        Selection.push_back(obj);
    }
    SetSelected(*obj, true);
}

void TKXDiagramBox::DeselectObject(TKXObject *obj)
{
    if (obj && obj->FInSelection) {
        obj->FInSelection = false;
        std::erase(Selection, obj);
    }
    if (obj)
        SetSelected(*obj, false);
}

void TKXDiagramBox::SetSelected(TKXObject &obj, bool selected)
{
    // A selected label draws a frame whose size depends on the font it meets, so its edge
    // paints elsewhere than before.
    if (obj.Selected != selected && obj.Kind == okAdjacent)
        obj.Changed();
    obj.Selected = selected;
}

void TKXDiagramBox::SelectInRect(const TRect &r, bool add)
{
    if (!add)
        ClearSelection();
    for (const auto &vertex : Vertices)
        if (vertex->InRect(r))
            SelectObject(vertex.get(), true);
}

int32_t TKXDiagramBox::HandleReach() const
{
    // The drawn square reaches 4.5 pixels from the scaled point, plus half a unit of rounding
    // on the way back; the hit square covers 4 units of it.
    if (FScale >= 100)
        return 0;
    return std::max(0, static_cast<int32_t>(std::ceil(450.0 / FScale + 0.5)) - 4);
}

namespace {
TRect Widen(const TRect &r, int32_t by)
{
    const auto clamp = [](int64_t v) {
        return static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX));
    };
    return {clamp(int64_t(r.Left) - by), clamp(int64_t(r.Top) - by), clamp(int64_t(r.Right) + by),
            clamp(int64_t(r.Bottom) + by)};
}
}

TKXObject *TKXDiagramBox::ObjectAt(TPoint p)
{
    const TRect around = Widen({p.X, p.Y, p.X, p.Y}, HandleReach());
    for (TKXObjectList *list : {&Edges, &Vertices}) {
        FFound.clear();
        list->ObjectsIn(around, FFound);
        for (auto it = FFound.rbegin(); it != FFound.rend(); ++it)
            if (TKXObject *hit = (*it)->HitTestAt(p, FScale))
                return hit;
    }
    return nullptr;
}

void TKXDiagramBox::ForEachObjectIn(const TRect &r, const std::function<void(TKXObject *)> &f)
{
    const TRect area = Widen(r, HandleReach());
    std::vector<TKXObject *> edges;
    std::vector<TKXObject *> vertices;
    Edges.ObjectsIn(area, edges);
    Vertices.ObjectsIn(area, vertices);
    for (TKXObject *edge : edges)
        if (!edge->Selected)
            f(edge);
    for (TKXObject *vertex : vertices)
        f(vertex);
    for (TKXObject *edge : edges)
        if (edge->Selected)
            f(edge);
}

void TKXDiagramBox::DeleteSelection() { DeleteObjects(Selection); }

void TKXDiagramBox::DeleteObject(TKXObject *obj)
{
    if (obj)
        DeleteObjects({obj});
}

namespace {
// The vertex or edge a handle or label belongs to (the object itself otherwise).
const TKXObject *TopOwner(const TKXObject *obj)
{
    for (int depth = 0; depth < 4 && (obj->Kind == okHandle || obj->Kind == okAdjacent) && !obj->Links.empty() &&
                        obj->Links[0];
         ++depth)
        obj = obj->Links[0];
    return obj;
}
}

void TKXDiagramBox::DeleteObjects(const std::vector<TKXObject *> &request)
{
    // Every answer is in before anything changes, so a handler that raises deletes nothing.
    std::vector<TKXObject *> allowed;
    for (TKXObject *obj : request) {
        if (!Vertices.Contains(obj) && !Edges.Contains(obj))
            continue;
        TKXObject *asked = obj;
        if (!OnDeleteObject || OnDeleteObject(asked, moNew))
            allowed.push_back(obj);
    }
    if (allowed.empty())
        return;

    // Marks on the objects instead of sets: each test is one load, also at 100 000 objects.
    constexpr uint8_t doomed = 1;
    constexpr uint8_t touched = 2;
    const auto isDoomed = [](const TKXObject *obj) { return (obj->FDeleteMark & doomed) != 0; };
    std::vector<TKXObject *> edges;
    std::vector<TKXObject *> vertices;
    const auto doom = [&](TKXObject *obj, std::vector<TKXObject *> &list) {
        if (!isDoomed(obj)) {
            obj->FDeleteMark = doomed;
            list.push_back(obj);
        }
    };
    for (TKXObject *obj : allowed) {
        if (obj->Kind == okEdge) {
            doom(obj, edges);
        } else if (!isDoomed(obj)) {
            doom(obj, vertices);
            // An edge cannot outlive its vertex: it goes too, without being asked.
            for (TKXObject *link : obj->Links)
                if (!link->Links.empty() && Edges.Contains(link->Links[0]))
                    doom(link->Links[0], edges);
        }
    }

    if (!Selection.empty()) {
        const auto kept = std::stable_partition(Selection.begin(), Selection.end(),
                                                [&](TKXObject *obj) { return !isDoomed(TopOwner(obj)); });
        std::for_each(kept, Selection.end(), [](TKXObject *obj) { obj->FInSelection = false; });
        Selection.erase(kept, Selection.end());
    }
    if (TKXActor *actor = Actor(); actor && actor->Current && isDoomed(TopOwner(actor->Current)))
        actor->Current = nullptr;

    // The edge ends leave the surviving vertices' lists in one pass per vertex; the edges then
    // let go of their vertices, so destroying them scans no list.
    std::vector<TKXObject *> survivors;
    for (TKXObject *obj : edges)
        if (auto *edge = dynamic_cast<TKXCustomEdge *>(obj)) {
            for (TKXObject *end : {static_cast<TKXObject *>(edge->Source), static_cast<TKXObject *>(edge->Target)})
                if (end && end->FDeleteMark == 0) {
                    end->FDeleteMark = touched;
                    survivors.push_back(end);
                }
        }
    for (TKXObject *vertex : survivors) {
        auto &links = vertex->Links;
        links.erase(std::remove_if(links.begin(), links.end(),
                                   [&](const TKXObject *link) { return !link->Links.empty() && isDoomed(link->Links[0]); }),
                    links.end());
        vertex->FDeleteMark = 0;
    }
    for (TKXObject *obj : edges) {
        if (auto *edge = dynamic_cast<TKXCustomEdge *>(obj)) {
            edge->Source = nullptr;
            edge->Target = nullptr;
        }
        Edges.Extract(obj).reset();
    }
    // The edges no longer look at these vertices, so each is emptied and destroyed in one visit.
    for (TKXObject *vertex : vertices) {
        vertex->Links.clear();
        Vertices.Extract(vertex).reset();
    }
    Recompose();
}

void TKXDiagramBox::MoveSelection(TPoint delta)
{
    if (FImmediateRedraw) {
        for (TKXObject *obj : Selection)
            obj->MoveBy(delta);
        return;
    }
    const std::unique_ptr<TKXCanvas> canvas = OwnCanvas();
    for (TKXObject *obj : Selection) {
        obj->DrawOutline(*canvas, FScale);
        obj->MoveBy(delta);
        obj->DrawOutline(*canvas, FScale);
    }
}

void TKXDiagramBox::DrawRubberBand(int32_t x1, int32_t y1, int32_t x2, int32_t y2)
{
    const std::unique_ptr<TKXCanvas> canvas = OwnCanvas();
    canvas->Pen.Color = clBlack;
    canvas->Pen.Mode = pmNotXor;
    canvas->Brush.Style = bsClear;
    // The band may be dragged up or left of its start; the rectangle is the same either way.
    const TRect r = NormalizeRect(MakeRect(x1, y1, x2, y2));
    canvas->Rectangle(r.Left, r.Top, r.Right, r.Bottom);
}

void TKXDiagramBox::BoxMouseDown(QObject *sender, TMouseButton button, TShiftState shift, int32_t x, int32_t y)
{
    if (TKXActor *actor = Actor())
        actor->MouseDown(sender, button, shift, ClientToDiagram({x, y}));
}

void TKXDiagramBox::BoxMouseMove(QObject *sender, TShiftState shift, int32_t x, int32_t y)
{
    if (TKXActor *actor = Actor())
        actor->MouseMove(sender, shift, ClientToDiagram({x, y}));
}

void TKXDiagramBox::BoxMouseUp(QObject *sender, TMouseButton button, TShiftState shift, int32_t x, int32_t y)
{
    if (TKXActor *actor = Actor())
        actor->MouseUp(sender, button, shift, ClientToDiagram({x, y}));
}

void TKXDiagramBox::mousePressEvent(QMouseEvent *event)
{
    TMouseButton button;
    if (!ToMouseButton(event->button(), button))
        return;
    const QPoint pos = event->position().toPoint() - contentsRect().topLeft();
    RunGuarded([&] { BoxMouseDown(this, button, ToShiftState(*event), pos.x(), pos.y()); }, OnError);
}

void TKXDiagramBox::mouseDoubleClickEvent(QMouseEvent *event)
{
    TMouseButton button;
    if (!ToMouseButton(event->button(), button))
        return;
    const QPoint pos = event->position().toPoint() - contentsRect().topLeft();
    RunGuarded([&] { BoxMouseDown(this, button, ToShiftState(*event) | ssDouble, pos.x(), pos.y()); }, OnError);
}

void TKXDiagramBox::mouseMoveEvent(QMouseEvent *event)
{
    const QPoint pos = event->position().toPoint() - contentsRect().topLeft();
    RunGuarded([&] { BoxMouseMove(this, ToShiftState(*event), pos.x(), pos.y()); }, OnError);
}

void TKXDiagramBox::mouseReleaseEvent(QMouseEvent *event)
{
    TMouseButton button;
    if (!ToMouseButton(event->button(), button))
        return;
    const QPoint pos = event->position().toPoint() - contentsRect().topLeft();
    RunGuarded([&] { BoxMouseUp(this, button, ToShiftState(*event), pos.x(), pos.y()); }, OnError);
}

void TKXDiagramBox::wheelEvent(QWheelEvent *event)
{
    if (!FScrolling) {
        event->ignore();
        return;
    }
    // A mouse wheel reports angles (120 per notch, taken as 40 pixels), a touchpad pixels.
    QPoint delta = event->pixelDelta();
    if (delta.isNull())
        delta = event->angleDelta() / 3;
    // Shift turns a plain wheel sideways.
    if ((event->modifiers() & Qt::ShiftModifier) && delta.x() == 0)
        delta = QPoint(delta.y(), 0);
    ScrollBy(-delta.x(), -delta.y());
    event->accept();
}

void TKXDiagramBox::keyPressEvent(QKeyEvent *event)
{
    if (!FScrolling) {
        QFrame::keyPressEvent(event);
        return;
    }
    const int32_t page = std::max(ClientHeight() - KeyScrollStep, KeyScrollStep);
    switch (event->key()) {
    case Qt::Key_Left: ScrollBy(-KeyScrollStep, 0); break;
    case Qt::Key_Right: ScrollBy(KeyScrollStep, 0); break;
    case Qt::Key_Up: ScrollBy(0, -KeyScrollStep); break;
    case Qt::Key_Down: ScrollBy(0, KeyScrollStep); break;
    case Qt::Key_PageUp: ScrollBy(0, -page); break;
    case Qt::Key_PageDown: ScrollBy(0, page); break;
    case Qt::Key_Home: SetViewOrigin({0, 0}); break;
    default: QFrame::keyPressEvent(event); return;
    }
    event->accept();
}

void TKXDiagramBox::RegisterObjectClass(const TKXObjectClass &objectClass)
{
    for (const TKXObjectClass *c = &objectClass;
         c && std::find(ObjectClasses.begin(), ObjectClasses.end(), c) == ObjectClasses.end(); c = c->Parent) {
        if (c != &TKXObject::ClassRecord && FindObjectClass(c->ClassName))
            throw EKXDiagramError(KXMessages::ClassAlreadyRegistered + std::string(c->ClassName));
        ObjectClasses.push_back(c);
        if (c == &TKXObject::ClassRecord)
            break;
    }
}

const TKXObjectClass *TKXDiagramBox::FindObjectClass(const std::string &name) const
{
    for (const TKXObjectClass *c : ObjectClasses)
        if (name == c->ClassName)
            return c;
    return nullptr;
}
