#pragma once
// The size strip: one style painted on vertices of several sizes side by side, each captioned
// with its size, so the growth rules of the style are seen at a glance. Each vertex is painted
// exactly as the preview paints it (the styled vertex on the Qt canvas at scale 100); texts come
// from the style's own data event.

#include "KXGR/core/KXTypes.h"

#include <QString>
#include <QWidget>

#include <memory>
#include <optional>
#include <vector>

class TKXVertexStyle;

class TSizeStrip : public QWidget {
    Q_OBJECT
public:
    explicit TSizeStrip(QWidget *parent = nullptr);
    ~TSizeStrip() override;

    // Paints a copy of style from now on (nothing for nullptr); the copy keeps the style's data
    // event, which must stay callable while the strip lives.
    void SetStyle(const TKXVertexStyle *style);
    // Width and height in logical units, painted left to right.
    const std::vector<TPoint> &Sizes() const { return FSizes; }
    void SetSizes(std::vector<TPoint> sizes);
    // One more size painted after Sizes (the preview vertex's current size), or none.
    void SetCurrentSize(std::optional<TPoint> size);
    // Everything painted, Sizes first, then the current size.
    std::vector<TPoint> PaintedSizes() const;

    // The style on a vertex of size: a (width + 1) x (height + 1) picture on background,
    // the vertex's top-left corner at (0, 0).
    QImage CellPicture(TPoint size) const;
    // Where the picture of the painted size at index lies in the widget.
    QRect CellRect(size_t index) const;

    QSize sizeHint() const override;

    // "50x25 100x50 200x100": sizes as width x height separated by blanks (an "×" does too).
    // Raises EConvertError naming the first part that is no size of at least 1 x 1.
    static std::vector<TPoint> ParseSizes(const QString &text);
    static QString FormatSizes(const std::vector<TPoint> &sizes);

    // The strip's background, that of the preview box.
    TColor Background = clInfoBk;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    std::unique_ptr<TKXVertexStyle> FStyle;
    std::vector<TPoint> FSizes;
    std::optional<TPoint> FCurrentSize;
};
