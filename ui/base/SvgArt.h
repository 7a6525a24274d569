// The program's pictures drawn from their SVG sources (res/art/NAME.svg) at
// the size the display needs, so that they stay sharp on a scaled display
// (GDK_SCALE=2). The PNGs of res/images/ are the fallback where a source is
// missing or cannot be drawn.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include <wx/bitmap.h>
#include <wx/image.h>

// Texts replaced in the source before it is drawn, e.g. {"@VERSION@", "0.1.0"}.
using ArtReplacements = std::vector<std::pair<std::string, std::string>>;

// The source drawn to exactly width x height pixels; not IsOk() when the
// source is missing or cannot be drawn.
wxImage RenderArtImage(const std::string& name, int width, int height, const ArtReplacements& replacements = {});

// The source drawn for a picture of `logical` size on a display of `scale`
// (physical pixels per logical pixel); the bitmap carries that scale.
wxBitmap RenderArt(const std::string& name, const wxSize& logical, double scale,
                   const ArtReplacements& replacements = {});

// The scale of the display the program's windows appear on (1 when unknown).
double DisplayScale();
