#pragma once
// The diagram box: a frame that owns a diagram's vertices and edges, numbers and selects them,
// paints them at a zoom factor with an optional grid and printer-page lines, and hands its
// mouse input, converted to diagram units, to an actor.
//
// Painting: the box keeps a persistent image of what its window shows (its own canvas).
// Invalidate recomposes the whole picture in the off-screen Buffer and copies it onto that
// image in one go; direct drawing through OwnCanvas (new objects, selection changes, not-xor
// outlines, the rubber band) goes onto the image and is shown by a plain copy.
//
// View: the window shows the diagram from its ViewOrigin (diagram units) on; at (0, 0) it shows
// what a box without a view shows. Drawing coordinates are scaled diagram units ("view
// pixels"): ScaleValue of a diagram coordinate. Every canvas the box hands out or paints on
// is shifted by ViewOffset, the view pixel at the client's top-left corner, so the images
// stay the size of the control however large the diagram.

#include "KXGR/core/KXCanvas.h"
#include "KXGR/core/KXObject.h"
#include "KXGR/widgets/KXActors.h"
#include "KXGR/widgets/KXGuard.h"

#include <QFrame>
#include <QImage>
#include <QPointer>
#include <QString>

#include <functional>
#include <memory>
#include <string>
#include <vector>

enum TKXMode : uint8_t { moNew = 0, moLoaded = 1 };

// Asked before an object is added; may replace it through theObject. Answering false refuses it.
using TKXObjectEvent = std::function<bool(TKXObject *&theObject, TKXMode mode)>;

enum TBevelCut : uint8_t { bvNone = 0, bvLowered = 1, bvRaised = 2, bvSpace = 3 };
enum TBorderStyle : uint8_t { bsNone = 0, bsSingle = 1 };

class TKXDiagramBox : public QFrame {
    Q_OBJECT
    // Panel properties kept for forms and hosts; the box paints no bevel and no caption.
    Q_PROPERTY(int BevelInner READ BevelInner WRITE SetBevelInner STORED true)
    Q_PROPERTY(int BevelOuter READ BevelOuter WRITE SetBevelOuter STORED true)
    Q_PROPERTY(int BevelWidth READ BevelWidth WRITE SetBevelWidth STORED true)
    Q_PROPERTY(int BorderStyle READ BorderStyle WRITE SetBorderStyle STORED true)
    Q_PROPERTY(int BorderWidth READ BorderWidth WRITE SetBorderWidth STORED true)
    Q_PROPERTY(QString Caption READ Caption WRITE SetCaption STORED true)
    Q_PROPERTY(int Color READ Color WRITE SetColor STORED true)
    Q_PROPERTY(bool ParentColor READ ParentColor WRITE SetParentColor STORED true)
    Q_PROPERTY(int Scale READ Scale WRITE SetScale STORED true)
    Q_PROPERTY(int PrintScale READ PrintScale WRITE SetPrintScale STORED true)
    Q_PROPERTY(bool ShowGrid READ ShowGrid WRITE SetShowGrid STORED true)
    Q_PROPERTY(int GridStep READ GridStep WRITE SetGridStep STORED true)
    Q_PROPERTY(int GridColor READ GridColor WRITE SetGridColor STORED true)
    Q_PROPERTY(int GridStyle READ GridStyle WRITE SetGridStyle STORED true)
    Q_PROPERTY(bool ShowPrinterPage READ ShowPrinterPage WRITE SetShowPrinterPage STORED true)
    Q_PROPERTY(TKXActor *Actor READ Actor WRITE SetActor STORED true)
    Q_PROPERTY(bool ImmediateRedraw READ ImmediateRedraw WRITE SetImmediateRedraw STORED true)
    Q_PROPERTY(bool Scrolling READ Scrolling WRITE SetScrolling STORED true)

public:
    // Registers TKXObject; Scale and PrintScale 100, GridStep 50, Color clBtnFace.
    explicit TKXDiagramBox(QWidget *parent = nullptr);
    // Destroys the edges (first to last), then the vertices (first to last); clears the
    // actor's Box.
    ~TKXDiagramBox() override;

    TKXObjectList Vertices;                           // owned, order of adding
    TKXObjectList Edges;                              // owned, order of adding
    // Not owned, order of selecting. Change it through the box's operations only: the box
    // marks its members for a membership test in constant time.
    std::vector<TKXObject *> Selection;
    std::vector<const TKXObjectClass *> ObjectClasses;
    int32_t LastId = 0;                               // highest Id given out or loaded
    TKXObjectEvent OnAddObject;
    // Asked by DeleteSelection and DeleteObject, once for each vertex or edge they are asked to
    // delete, before anything is deleted (mode is moNew; a replacement is ignored). Answering
    // false keeps that object. No other operation fires it.
    TKXObjectEvent OnDeleteObject;
    // Receives what the box's mouse handlers raise (the actor's and the objects' errors
    // included), which then stops there; empty: the application-wide handler.
    TKXErrorEvent OnError;

    int BevelInner() const { return FBevelInner; }
    void SetBevelInner(int value) { FBevelInner = value; }
    int BevelOuter() const { return FBevelOuter; }
    void SetBevelOuter(int value) { FBevelOuter = value; }
    int BevelWidth() const { return FBevelWidth; }
    void SetBevelWidth(int value) { FBevelWidth = value; }
    // bsSingle puts a sunken frame around the client area.
    int BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(int value);
    int BorderWidth() const { return FBorderWidth; }
    void SetBorderWidth(int value) { FBorderWidth = value; }
    QString Caption() const { return FCaption; }
    void SetCaption(const QString &value) { FCaption = value; }
    // Background colour; a system colour is resolved through the application palette.
    TColor Color() const { return FColor; }
    void SetColor(TColor value);
    bool ParentColor() const { return FParentColor; }
    void SetParentColor(bool value) { FParentColor = value; }

    // Zoom in percent. Scale, PrintScale and GridStep raise EPropertyError for values <= 0
    // and keep the old value.
    int32_t Scale() const { return FScale; }
    void SetScale(int32_t value);
    int32_t PrintScale() const { return FPrintScale; }
    // Repaints only while ShowPrinterPage is set.
    void SetPrintScale(int32_t value);
    bool ShowGrid() const { return FShowGrid; }
    void SetShowGrid(bool value);
    int32_t GridStep() const { return FGridStep; }  // diagram units
    void SetGridStep(int32_t value);
    TColor GridColor() const { return FGridColor; }
    void SetGridColor(TColor value);
    int GridStyle() const { return FGridStyle; }     // a TPenStyle
    void SetGridStyle(int value);
    bool ShowPrinterPage() const { return FShowPrinterPage; }
    void SetShowPrinterPage(bool value);
    // Not owned. Setting an actor makes this box its Box; nullptr touches no actor. The
    // reference is cleared when the actor is destroyed.
    TKXActor *Actor() const { return FActor.data(); }
    void SetActor(TKXActor *value);
    // Drag feedback by full repaints instead of not-xor outlines. No repaint.
    bool ImmediateRedraw() const { return FImmediateRedraw; }
    void SetImmediateRedraw(bool value) { FImmediateRedraw = value; }

    // Wheel and keyboard scrolling (arrows, Page Up/Down, Home), off by default: the box then
    // leaves wheel and keys to its parent as a box without a view does.
    bool Scrolling() const { return FScrolling; }
    void SetScrolling(bool value);

    // The client area inside the border: pictures, grid and mouse positions are relative to it.
    int32_t ClientWidth() const;
    int32_t ClientHeight() const;
    // A client pixel position in screen coordinates.
    TPoint ClientToScreen(TPoint p) const;

    // The diagram point shown at the client's top-left corner; (0, 0) in a new box. Setting a
    // new origin repaints and emits ViewOriginChanged; any value is taken.
    TPoint ViewOrigin() const { return FViewOrigin; }
    void SetViewOrigin(TPoint value);
    // Moves the view by a distance in client pixels (positive: the picture moves up and left).
    void ScrollBy(int32_t dx, int32_t dy);
    // The view pixel at the client's top-left corner: ViewOrigin scaled, kept within +-2^30.
    TPoint ViewOffset() const;
    // Client pixels to diagram units and back, through Scale and the view; results saturate
    // at the 32-bit limits.
    TPoint ClientToDiagram(TPoint p) const;
    TPoint DiagramToClient(TPoint p) const;
    // The diagram area (diagram units, sides included) that the vertices and edges paint at
    // Scale, handles and labels included; (0, 0, 0, 0) without objects. An object of a class
    // that does not state its PaintExtent stretches it over the whole plane.
    TRect DiagramExtent();

    // The host's repaint request: the next paint recomposes the whole picture and asks every
    // object again where it paints (a style, caption or selection may have changed unseen).
    void Invalidate();
    // The next paint recomposes the whole picture, trusting what the objects last reported
    // through TKXObject::Changed: for changes made by the objects' own operations (moves,
    // resizes, bend points), as the actors make them. Painting then visits only the objects
    // the index finds in the view.
    void Recompose();
    // Composes the picture in Buffer (background, grid, page lines, objects) and copies it onto
    // the window image in one go, asking every object again as Invalidate does; the window
    // shows it at its next paint.
    void Paint();
    const QImage &Buffer() const { return FBuffer; }
    // What the window shows.
    const QImage &WindowImage() const { return FWindowImage; }
    // A canvas on the window image for direct drawing in view pixels; the window shows the
    // result at its next paint. Pen, brush and font carry over between canvases. Keep it only for the
    // duration of one drawing operation.
    std::unique_ptr<TKXCanvas> OwnCanvas();

    // The three layers of a picture, in view pixels: grid and page lines cover the client
    // area at the view; mode 0 draws at Scale, mode 1 (printer) at the printer factor,
    // without handles.
    void DrawGrid(TKXCanvas &canvas);
    void DrawPrinterPage(TKXCanvas &canvas);
    void DrawObjects(TKXCanvas &canvas, TKXDrawMode mode);
    // Round(page width / screen width * PrintScale); 0 when there is no usable page.
    int32_t PrinterFactor();

    // Asks OnAddObject, files a vertex or an edge (the box then owns it), numbers and selects
    // it for moNew, and draws it on the own canvas. Answers the object the box took (perhaps
    // the handler's replacement), or nullptr when it took none: a refused object stays with
    // the caller, an object of another kind is drawn but not owned.
    TKXObject *AddObject(TKXObject *obj, TKXMode mode);
    // Deselects everything, redrawing each object on the own canvas.
    void ClearSelection();
    // Selects obj (after clearing the selection unless add); lists it once. Draws nothing.
    void SelectObject(TKXObject *obj, bool add);
    // Takes obj out of the selection and clears its Selected flag. Draws nothing.
    void DeselectObject(TKXObject *obj);
    // Selects the vertices inside r (diagram units, corners in order). Draws nothing.
    void SelectInRect(const TRect &r, bool add);
    // The object under p (diagram units): edges last to first, then vertices last to first;
    // may be a handle or an adjacent. nullptr when nothing is there. A handle answers on its
    // hit square and, at scales below 100, anywhere on the larger square it is drawn as.
    // Answered from a spatial index; the same answer as asking every object in that order.
    TKXObject *ObjectAt(TPoint p);
    // Calls f for every vertex and edge whose hit area (handles at their drawn size at Scale)
    // meets r (diagram units, corners in order), in the order DrawObjects paints them:
    // unselected edges, vertices, selected edges, each in list order. Objects may draw outside
    // their hit area (a label's text at other scales): widen r for painting. f must not add or
    // delete objects.
    void ForEachObjectIn(const TRect &r, const std::function<void(TKXObject *)> &f);

    // Deletes the selected vertices and edges together with every edge attached to a deleted
    // vertex, after OnDeleteObject allowed each selected one; handles and labels in the
    // selection are not deleted themselves and leave it with their owner. The rest of the
    // selection stays. Repaints once. O(k + n) for k objects deleted from n.
    void DeleteSelection();
    // The same for one vertex or edge of this box (selected or not). Anything else (nullptr, a
    // handle, a label, an object of another box) is left alone. Costs O(attached edges) plus
    // O(selection size) when something is selected.
    void DeleteObject(TKXObject *obj);
    // Moves every selected object; without ImmediateRedraw its outline is taken off before
    // and drawn after the move on the own canvas.
    void MoveSelection(TPoint delta);
    // Not-xor rectangle on the own canvas, in view pixels; drawing it twice takes it off.
    void DrawRubberBand(int32_t x1, int32_t y1, int32_t x2, int32_t y2);

    // Forward a mouse event at client pixel (x, y) to the Actor in diagram units (through the
    // view); nothing without one.
    void BoxMouseDown(QObject *sender, TMouseButton button, TShiftState shift, int32_t x, int32_t y);
    void BoxMouseMove(QObject *sender, TShiftState shift, int32_t x, int32_t y);
    void BoxMouseUp(QObject *sender, TMouseButton button, TShiftState shift, int32_t x, int32_t y);

    // Registers the class and its ancestors up to the first registered one. Raises
    // EKXDiagramError "Class already registered: <name>" when another class holds the name.
    void RegisterObjectClass(const TKXObjectClass &objectClass);
    // Exact-case lookup by class name; nullptr when none.
    const TKXObjectClass *FindObjectClass(const std::string &name) const;

    // Diagram files, binary and text form. Loading hands data to the readers (the styled
    // vertex takes it as its library).
    // Virtual, so a host's box can add to what is stored.
    virtual void LoadFromFile(const std::string &fileName, TObject *data);
    virtual void SaveToFile(const std::string &fileName);
    virtual void LoadFromTextFile(const std::string &fileName, TObject *data);
    virtual void SaveToTextFile(const std::string &fileName);

signals:
    void ViewOriginChanged();

protected:
    void paintEvent(QPaintEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    class TWindowCanvas;
    // Scope of a load: the objects it adds share one canvas on the window image.
    class TDrawBatch {
    public:
        explicit TDrawBatch(TKXDiagramBox &box) : FBox(box) { box.FBatchDrawing = true; }
        ~TDrawBatch()
        {
            FBox.FBatchDrawing = false;
            FBox.EndDrawSession();
        }
        TDrawBatch(const TDrawBatch &) = delete;
        TDrawBatch &operator=(const TDrawBatch &) = delete;

    private:
        TKXDiagramBox &FBox;
    };

    QImage FBuffer;
    QImage FWindowImage;
    bool FRecompose = true;      // the next paint composes the picture anew
    bool FPaintFailed = false;   // the last compose raised and was reported
    bool FCopyPending = false;   // direct drawing waits to be shown
    TKXPen FBufferPen;           // canvas state kept between paints
    TKXBrush FBufferBrush;
    TKXFont FBufferFont;
    TKXPen FOwnPen;              // state of the own canvas
    TKXBrush FOwnBrush;
    TKXFont FOwnFont;
    // While a load runs, the objects it adds are drawn through one canvas on the window
    // image, opened at the first of them, instead of one canvas (one painter) each.
    bool FBatchDrawing = false;
    std::unique_ptr<TWindowCanvas> FDrawSession;

    int FBevelInner = bvNone;
    int FBevelOuter = bvRaised;
    int FBevelWidth = 1;
    int FBorderStyle = bsNone;
    int FBorderWidth = 0;
    QString FCaption;
    TColor FColor = clBtnFace;
    bool FParentColor = false;
    int32_t FScale = 100;
    int32_t FPrintScale = 100;
    bool FShowGrid = false;
    int32_t FGridStep = 50;
    TColor FGridColor = clBlack;
    int FGridStyle = psSolid;
    bool FShowPrinterPage = false;
    QPointer<TKXActor> FActor;
    bool FImmediateRedraw = false;
    bool FScrolling = false;
    TPoint FViewOrigin;

    QSize PictureSize() const;
    bool WindowImageFits() const;
    void ComposePicture();
    void EndDrawSession();
    // Draws FPainted (its first edgeCount are edges, the rest vertices) in painting order:
    // unselected edges, vertices, selected edges.
    void DrawInOrder(TKXCanvas &canvas, int32_t scale, TKXDrawMode mode, std::size_t edgeCount);
    void SetSelected(TKXObject &obj, bool selected);
    // DrawObjects for the objects whose PaintExtent meets view (view pixels).
    void DrawObjectsIn(TKXCanvas &canvas, TKXDrawMode mode, const TRect &view);
    void DrawOnOwnCanvas(TKXObject *obj);
    // How far beyond its hit square a handle's drawn square reaches at Scale, logical units.
    int32_t HandleReach() const;
    // Deletes the objects of request that OnDeleteObject allows (see DeleteSelection).
    void DeleteObjects(const std::vector<TKXObject *> &request);

    std::vector<TKXObject *> FFound;                   // scratch of the index queries
    std::vector<TKXObject *> FPainted;                 // edges, then vertices, to be drawn
    // AddObject that leaves in obj what the handler made of it (the object or its replacement),
    // so a load can tell a refused object from a replaced one.
    TKXObject *AddOffered(TKXObject *&obj, TKXMode mode);
    // Adds a completely read object with moLoaded and raises LastId to its Id, also when the
    // host refuses it. The box keeps what it takes; an object the host replaced belongs to the
    // host; anything else (refused, or of a kind the box does not list) is released here.
    void AddLoaded(std::unique_ptr<TKXObject> object);
};
