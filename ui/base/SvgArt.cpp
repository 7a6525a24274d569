#include "ui/base/SvgArt.h"

#include <librsvg/rsvg.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>

#include <wx/display.h>

#include "ui/base/Resources.h"

wxImage RenderArtImage(const std::string& name, int width, int height, const ArtReplacements& replacements) {
    if (width <= 0 || height <= 0) return wxImage();
    const std::string path = ResourceDir() + "art/" + name + ".svg";
    std::ifstream file(path, std::ios::binary);
    if (!file) return wxImage();
    std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    for (const auto& [from, to] : replacements)
        for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
            text.replace(at, from.size(), to);

    // Read from memory, but with the file as its base, so that pictures the
    // source names beside it are found.
    GFile* base = g_file_new_for_path(path.c_str());
    GInputStream* stream = g_memory_input_stream_new_from_data(g_memdup2(text.data(), text.size()),
                                                                static_cast<gssize>(text.size()), g_free);
    GError* error = nullptr;
    RsvgHandle* handle = rsvg_handle_new_from_stream_sync(stream, base, RSVG_HANDLE_FLAGS_NONE, nullptr, &error);
    g_object_unref(stream);
    g_object_unref(base);
    if (!handle) {
        if (error) g_error_free(error);
        return wxImage();
    }
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
    cairo_t* cairo = cairo_create(surface);
    const RsvgRectangle viewport{0, 0, static_cast<double>(width), static_cast<double>(height)};
    const bool bDrawn = rsvg_handle_render_document(handle, cairo, &viewport, &error) != FALSE;
    if (error) g_error_free(error);
    cairo_destroy(cairo);
    g_object_unref(handle);
    cairo_surface_flush(surface);

    wxImage image;
    if (bDrawn && cairo_surface_status(surface) == CAIRO_STATUS_SUCCESS) {
        image.Create(width, height, false);
        image.InitAlpha();
        unsigned char* rgb = image.GetData();
        unsigned char* alpha = image.GetAlpha();
        const unsigned char* data = cairo_image_surface_get_data(surface);
        const int stride = cairo_image_surface_get_stride(surface);
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                // Native-endian 0xAARRGGBB with the colour premultiplied by alpha.
                std::uint32_t pixel;
                std::memcpy(&pixel, data + y * stride + 4 * x, 4);
                const unsigned a = pixel >> 24;
                const auto channel = [&](int shift) {
                    const unsigned c = (pixel >> shift) & 0xFF;
                    return static_cast<unsigned char>(a == 0 ? 0 : std::min(255u, (c * 255 + a / 2) / a));
                };
                const std::size_t at = static_cast<std::size_t>(y) * width + x;
                rgb[3 * at] = channel(16);
                rgb[3 * at + 1] = channel(8);
                rgb[3 * at + 2] = channel(0);
                alpha[at] = static_cast<unsigned char>(a);
            }
        }
    }
    cairo_surface_destroy(surface);
    return image;
}

wxBitmap RenderArt(const std::string& name, const wxSize& logical, double scale, const ArtReplacements& replacements) {
    if (!(scale >= 1.0)) scale = 1.0;
    const wxImage image = RenderArtImage(name, static_cast<int>(std::lround(logical.x * scale)),
                                         static_cast<int>(std::lround(logical.y * scale)), replacements);
    if (!image.IsOk()) return wxBitmap();
    return wxBitmap(image, wxBITMAP_SCREEN_DEPTH, scale);
}

double DisplayScale() {
    if (wxDisplay::GetCount() == 0) return 1.0;
    const double scale = wxDisplay(0u).GetScaleFactor();
    return scale >= 1.0 ? scale : 1.0;
}
