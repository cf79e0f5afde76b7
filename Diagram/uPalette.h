#pragma once
// The palette: every style of the open libraries with its picture, painted by the diagram's
// own canvas code at a small size, and its name. A style is dragged onto the diagram, or
// picked (selected) and placed by the next click on the diagram.

#include <QListWidget>

#include <string>

class TKXStyleLibraries;
class TKXVertexStyle;

class TStylePalette : public QListWidget {
    Q_OBJECT
public:
    explicit TStylePalette(QWidget *parent = nullptr);

    // Lists the styles of every library in order, a name held twice once (placing takes the
    // first). Keeps the picked style picked when it is still there.
    void Fill(const TKXStyleLibraries &libraries);
    // The picked style's name; "" when none is picked.
    std::string PickedStyle() const;
    void ClearPick();
    // The item showing the style name, or nullptr.
    QListWidgetItem *ItemOf(const std::string &styleName) const;

    // The picture of a style: a vertex of 100 x 50 units at the given scale on white, its text
    // items showing their names.
    static QImage Picture(const TKXVertexStyle &style, int scale);

protected:
    QMimeData *mimeData(const QList<QListWidgetItem *> &items) const override;
    QStringList mimeTypes() const override;
};
