#include "uSizeStrip.h"

#include "KXGR/core/KXErrors.h"
#include "KXGR/core/KXStyles.h"
#include "KXGR/core/KXVertex.h"
#include "KXGR/widgets/KXQtCanvas.h"
#include "KXGR/widgets/KXQtConvert.h"

#include <QPainter>
#include <QRegularExpression>

namespace {

constexpr int Gap = 12;          // pixels between cells and around them
constexpr int CaptionHeight = 16;
constexpr int32_t MaxSide = 2000;  // logical units: keeps a typo from asking for a huge picture

QString SizeText(TPoint size)
{
    return QStringLiteral("%1 x %2").arg(size.X).arg(size.Y);
}

}  // namespace

TSizeStrip::TSizeStrip(QWidget *parent)
    : QWidget(parent), FSizes{{50, 25}, {100, 50}, {200, 100}}
{
    resize(sizeHint());
}

TSizeStrip::~TSizeStrip() = default;

void TSizeStrip::SetStyle(const TKXVertexStyle *style)
{
    if (!style) {
        FStyle.reset();
    } else {
        if (!FStyle)
            FStyle = std::make_unique<TKXVertexStyle>();
        FStyle->AssignStyle(*style);
    }
    update();
}

void TSizeStrip::SetSizes(std::vector<TPoint> sizes)
{
    FSizes = std::move(sizes);
    resize(sizeHint());
    update();
}

void TSizeStrip::SetCurrentSize(std::optional<TPoint> size)
{
    if (size == FCurrentSize)
        return;
    FCurrentSize = size;
    resize(sizeHint());
    update();
}

std::vector<TPoint> TSizeStrip::PaintedSizes() const
{
    std::vector<TPoint> sizes = FSizes;
    if (FCurrentSize)
        sizes.push_back(*FCurrentSize);
    return sizes;
}

QImage TSizeStrip::CellPicture(TPoint size) const
{
    QImage image(std::max(size.X + 1, 1), std::max(size.Y + 1, 1), QImage::Format_RGB32);
    image.fill(ToQColor(Background, palette()));
    if (!FStyle)
        return image;
    std::unique_ptr<TKXVertex> vertex = TKXVertex::CreateWithStyle({0, 0}, nullptr, "");
    vertex->Left = 0;
    vertex->Top = 0;
    vertex->Right = size.X;
    vertex->Bottom = size.Y;
    vertex->Style->AssignStyle(*FStyle);
    vertex->AdjustHandles();
    TKXQtCanvas canvas(&image);
    vertex->Draw(canvas, 100, dmScreen);
    return image;
}

QRect TSizeStrip::CellRect(size_t index) const
{
    const std::vector<TPoint> sizes = PaintedSizes();
    int x = Gap;
    for (size_t i = 0; i < index; ++i)
        x += sizes[i].X + 1 + Gap;
    return QRect(x, Gap, sizes[index].X + 1, sizes[index].Y + 1);
}

QSize TSizeStrip::sizeHint() const
{
    const std::vector<TPoint> sizes = PaintedSizes();
    int width = Gap, height = 0;
    for (const TPoint &s : sizes) {
        width += s.X + 1 + Gap;
        height = std::max(height, s.Y + 1);
    }
    return QSize(width, Gap + height + CaptionHeight + Gap / 2);
}

void TSizeStrip::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const std::vector<TPoint> sizes = PaintedSizes();
    for (size_t i = 0; i < sizes.size(); ++i) {
        const QRect cell = CellRect(i);
        painter.drawImage(cell.topLeft(), CellPicture(sizes[i]));
        painter.setPen(palette().color(QPalette::Mid));
        painter.drawRect(cell.adjusted(-1, -1, 0, 0));
        painter.setPen(palette().color(QPalette::WindowText));
        const QString caption = FCurrentSize && i + 1 == sizes.size()
                                    ? QStringLiteral("preview ") + SizeText(sizes[i])
                                    : SizeText(sizes[i]);
        painter.drawText(QRect(cell.left() - Gap / 2, cell.bottom() + 2, cell.width() + Gap, CaptionHeight),
                         Qt::AlignHCenter | Qt::AlignTop, caption);
    }
}

std::vector<TPoint> TSizeStrip::ParseSizes(const QString &text)
{
    static const QRegularExpression size(QStringLiteral("^(\\d{1,9})\\s*[xX\u00D7]\\s*(\\d{1,9})$"));
    // Blanks separate sizes; blanks around the "x" belong to a size.
    QString joined = text.trimmed();
    joined.replace(QRegularExpression(QStringLiteral("\\s*([xX\u00D7])\\s*")), QStringLiteral("\\1"));
    std::vector<TPoint> sizes;
    for (const QString &part : joined.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts)) {
        const auto m = size.match(part);
        const int64_t w = m.hasMatch() ? m.captured(1).toLongLong() : 0;
        const int64_t h = m.hasMatch() ? m.captured(2).toLongLong() : 0;
        if (w < 1 || h < 1 || w > MaxSide || h > MaxSide)
            throw EConvertError(QStringLiteral("'%1' is no size from 1 x 1 to %2 x %2 (width x height)")
                                    .arg(part)
                                    .arg(MaxSide)
                                    .toStdString());
        sizes.push_back({int32_t(w), int32_t(h)});
    }
    return sizes;
}

QString TSizeStrip::FormatSizes(const std::vector<TPoint> &sizes)
{
    QStringList parts;
    for (const TPoint &s : sizes)
        parts << QStringLiteral("%1x%2").arg(s.X).arg(s.Y);
    return parts.join(QLatin1Char(' '));
}
