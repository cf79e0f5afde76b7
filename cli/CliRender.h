#pragma once
// Pictures of libraries and diagrams as PNG, SVG or PDF files, painted through the library's
// Qt canvas, so they have the pixels the editor and the diagram box paint.

#include "KXGR/core/KXTypes.h"

#include <string>
#include <vector>

struct TCliDocument;

enum TCliPictureFormat : uint8_t { pfPng, pfSvg, pfPdf };

// The format by the extension of fileName (.png, .svg, .pdf, any letter case); ECliError
// csUsage for any other.
TCliPictureFormat PictureFormatOf(const std::string &fileName);

struct TCliRenderOptions {
    int32_t Scale = 100;                // percent
    std::vector<TPoint> Sizes;          // vertex sizes of a contact sheet, logical units (X by Y)
};

// Paints the document into fileName through a temporary file beside it that replaces the
// target only when complete. A library becomes a contact sheet: one row per style with a
// vertex of every size, the style's name under it; a diagram is painted whole, its objects at
// options.Scale. Raises ECliError csOutputFailed when the picture cannot be made or written.
void RenderDocument(TCliDocument &document, const TCliRenderOptions &options, const std::string &fileName);
