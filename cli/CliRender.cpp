#include "CliRender.h"

#include "CliDocument.h"

#include "KXGR/core/KXErrors.h"
#include "KXGR/core/KXSafeSave.h"
#include "KXGR/core/KXVertex.h"
#include "KXGR/widgets/KXQtCanvas.h"
#include "KXGR/widgets/KXQtConvert.h"

#include <QFileInfo>
#include <QImage>
#include <QPageSize>
#include <QPdfWriter>
#include <QSvgGenerator>

#include <algorithm>
#include <functional>

namespace {

constexpr int32_t Margin = 10;          // pixels around the picture and between vertices
constexpr int32_t MaxPixels = 16384;    // per side of a picture
const char *const LabelFont = "Liberation Sans";
constexpr int32_t LabelFontSize = 9;

using TPainting = std::function<void(TKXQtCanvas &canvas)>;

[[noreturn]] void OutputFailed(const std::string &fileName, const std::string &message)
{
    throw ECliError(csOutputFailed, Printable(fileName) + ": error: " + Printable(message));
}

// Paints on a device of the format, which writes tempFileName; a device that cannot be
// started or a file that was not written raises EWriteError.
void PaintFile(TCliPictureFormat format, const std::string &tempFileName, QSize size, const TPainting &paint)
{
    const QString name = QString::fromStdString(tempFileName);
    bool written = false;
    TKXQtCanvas canvas;
    switch (format) {
    case pfPng: {
        QImage image(size, QImage::Format_RGB32);
        canvas.Begin(&image);
        if (canvas.IsActive())
            paint(canvas);
        canvas.End();
        written = !image.isNull() && image.save(name, "PNG");
        break;
    }
    case pfSvg: {
        QSvgGenerator svg;
        svg.setFileName(name);
        svg.setSize(size);
        svg.setViewBox(QRect(QPoint(0, 0), size));
        svg.setResolution(96);
        svg.setTitle(QStringLiteral("Glyphsmith"));
        canvas.Begin(&svg);
        written = canvas.IsActive();
        if (written)
            paint(canvas);
        canvas.End();
        break;
    }
    case pfPdf: {
        QPdfWriter pdf(name);
        pdf.setResolution(96);
        pdf.setPageSize(QPageSize(QSizeF(size) * 72.0 / 96.0, QPageSize::Point, QString(), QPageSize::ExactMatch));
        pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
        pdf.setCreator(QStringLiteral("glyphsmith-cli"));
        canvas.Begin(&pdf);
        written = canvas.IsActive();
        if (written)
            paint(canvas);
        canvas.End();
        break;
    }
    }
    // The vector devices report no write errors of their own: an empty file is a failed one.
    if (!written || QFileInfo(name).size() <= 0)
        throw EWriteError(KXMessages::WriteError);
}

void WritePicture(const std::string &fileName, int64_t width, int64_t height, const TPainting &paint)
{
    if (width > MaxPixels || height > MaxPixels)
        OutputFailed(fileName, "the picture would be " + std::to_string(width) + " x " + std::to_string(height)
                                   + " pixels, more than " + std::to_string(MaxPixels)
                                   + " on a side; choose a smaller --scale");
    const QSize size(static_cast<int>(width), static_cast<int>(height));
    const TCliPictureFormat format = PictureFormatOf(fileName);
    try {
        SaveFileSafely(fileName, [&](const std::string &tempFileName) { PaintFile(format, tempFileName, size, paint); });
    } catch (const std::exception &error) {
        OutputFailed(fileName, error.what());
    }
}

void FillBackground(TKXQtCanvas &canvas, TPoint size)
{
    canvas.Brush = {clWhite, bsSolid};
    canvas.FillRect({0, 0, size.X, size.Y});
}

void SetLabelFont(TKXCanvas &canvas)
{
    canvas.Font = {LabelFont, LabelFontSize, clBlack, 0};
    canvas.Brush.Style = bsClear;
}

// A styled vertex of the style at logical (0, 0) with the given size, its growth rules applied.
std::unique_ptr<TKXVertex> SheetVertex(const TKXVertexStyle &style, TPoint size)
{
    auto vertex = TKXVertex::CreateWithStyle({50, 25}, nullptr, {});
    vertex->Style->AssignStyle(style);
    vertex->Left = 0;
    vertex->Top = 0;
    vertex->Right = size.X;
    vertex->Bottom = size.Y;
    vertex->AdjustHandles();
    return vertex;
}

void RenderSheet(const TKXUOLibrary &library, const TCliRenderOptions &options, const std::string &fileName)
{
    TKXQtCanvas measure;
    SetLabelFont(measure);
    const int32_t labelHeight = measure.TextHeight("Ag");

    // Rows: the vertices of one style side by side, its name under them.
    int64_t width = Margin;
    int64_t height = Margin;
    int64_t rowHeight = 0;
    for (const TPoint size : options.Sizes) {
        width += ScaleValue(size.X, options.Scale) + Margin;
        rowHeight = std::max<int64_t>(rowHeight, ScaleValue(size.Y, options.Scale));
    }
    for (const auto &style : library.Styles()) {
        width = std::max<int64_t>(width, 2 * Margin + measure.TextWidth(style->Name));
        height += rowHeight + 4 + labelHeight + Margin;
    }
    WritePicture(fileName, width, height, [&](TKXQtCanvas &canvas) {
        FillBackground(canvas, {int(width), int(height)});
        int32_t y = Margin;
        for (const auto &style : library.Styles()) {
            int32_t x = Margin;
            for (const TPoint size : options.Sizes) {
                auto vertex = SheetVertex(*style, size);
                canvas.SetOrigin({-x, -y});
                vertex->Draw(canvas, options.Scale, dmPrinter);
                x += ScaleValue(size.X, options.Scale) + Margin;
            }
            canvas.SetOrigin({0, 0});
            SetLabelFont(canvas);
            canvas.TextOut(Margin, y + int32_t(rowHeight) + 4, style->Name);
            y += int32_t(rowHeight) + 4 + labelHeight + Margin;
        }
    });
}

void RenderDiagram(TKXDiagramBox &box, const TCliRenderOptions &options, const std::string &fileName)
{
    box.SetScale(options.Scale);
    const TRect extent = box.DiagramExtent();
    // Device pixels of the extent; labels are measured anew when drawn, so the margin keeps a
    // caption that grew inside the picture.
    const int64_t left = int64_t(ScaleValue(extent.Left, options.Scale)) - Margin;
    const int64_t top = int64_t(ScaleValue(extent.Top, options.Scale)) - Margin;
    const int64_t right = int64_t(ScaleValue(extent.Right, options.Scale)) + Margin + 1;
    const int64_t bottom = int64_t(ScaleValue(extent.Bottom, options.Scale)) + Margin + 1;
    WritePicture(fileName, right - left, bottom - top, [&](TKXQtCanvas &canvas) {
        FillBackground(canvas, {int32_t(right - left), int32_t(bottom - top)});
        canvas.SetOrigin({int32_t(left), int32_t(top)});
        box.DrawObjects(canvas, dmScreen);
    });
}

}

TCliPictureFormat PictureFormatOf(const std::string &fileName)
{
    const QString suffix = QFileInfo(QString::fromStdString(fileName)).suffix().toLower();
    if (suffix == "png")
        return pfPng;
    if (suffix == "svg")
        return pfSvg;
    if (suffix == "pdf")
        return pfPdf;
    throw ECliError(csUsage, Printable(fileName) + ": the picture format is chosen by the extension: .png, .svg or .pdf");
}

void RenderDocument(TCliDocument &document, const TCliRenderOptions &options, const std::string &fileName)
{
    if (document.IsDiagram())
        RenderDiagram(*document.Box, options, fileName);
    else
        RenderSheet(document.Library, options, fileName);
}
