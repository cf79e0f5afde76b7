#include "uPalette.h"

#include "DataVertex.h"
#include "StyleLibraries.h"
#include "uDiagramView.h"

#include "KXGR/core/KXStyles.h"
#include "KXGR/widgets/KXQtCanvas.h"
#include "KXGR/widgets/KXQtConvert.h"

#include <QImage>
#include <QMimeData>
#include <QPixmap>

#include <set>

namespace {
constexpr int PictureScale = 60;
constexpr int NameRole = Qt::UserRole;
}

TStylePalette::TStylePalette(QWidget *parent) : QListWidget(parent)
{
    setDragEnabled(true);
    setDragDropMode(QAbstractItemView::DragOnly);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setIconSize(QSize(ScaleValue(100, PictureScale) + 1, ScaleValue(50, PictureScale) + 1));
    setSpacing(2);
}

QImage TStylePalette::Picture(const TKXVertexStyle &style, int scale)
{
    TKXDataVertex vertex({50, 25}, &style);
    for (const auto &item : style.TextItems)
        vertex.SetValue(item->Name, item->Name);
    QImage image(ScaleValue(100, scale) + 1, ScaleValue(50, scale) + 1, QImage::Format_RGB32);
    image.fill(Qt::white);
    TKXQtCanvas canvas(&image);
    vertex.Draw(canvas, scale, dmPrinter);
    canvas.End();
    return image;
}

void TStylePalette::Fill(const TKXStyleLibraries &libraries)
{
    const std::string picked = PickedStyle();
    clear();
    std::set<std::string> listed;
    for (const auto &entry : libraries.Entries())
        for (const auto &style : entry.Library->Styles()) {
            if (!listed.insert(style->Name).second)
                continue;
            auto *item = new QListWidgetItem(QIcon(QPixmap::fromImage(Picture(*style, PictureScale))),
                                             FromCp1252(style->Name), this);
            item->setData(NameRole, QByteArray::fromStdString(style->Name));
            item->setToolTip(QString::fromStdString(entry.FileName));
        }
    if (QListWidgetItem *item = ItemOf(picked))
        item->setSelected(true);
}

std::string TStylePalette::PickedStyle() const
{
    const QList<QListWidgetItem *> items = selectedItems();
    return items.isEmpty() ? std::string() : items.first()->data(NameRole).toByteArray().toStdString();
}

void TStylePalette::ClearPick() { clearSelection(); }

QListWidgetItem *TStylePalette::ItemOf(const std::string &styleName) const
{
    for (int i = 0; i < count(); ++i)
        if (item(i)->data(NameRole).toByteArray().toStdString() == styleName)
            return item(i);
    return nullptr;
}

QStringList TStylePalette::mimeTypes() const { return {QLatin1String(StyleMimeType)}; }

QMimeData *TStylePalette::mimeData(const QList<QListWidgetItem *> &items) const
{
    if (items.isEmpty())
        return nullptr;
    auto *data = new QMimeData;
    data->setData(QLatin1String(StyleMimeType), items.first()->data(NameRole).toByteArray());
    return data;
}
