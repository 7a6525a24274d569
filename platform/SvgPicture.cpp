#include "platform/SvgPicture.h"

#include <cmath>
#include <fstream>
#include <iterator>

#include <cairo.h>
#include <librsvg/rsvg.h>

CSvgPicture::CSvgPicture(const std::string& path) { Take(rsvg_handle_new_from_file(path.c_str(), nullptr)); }

CSvgPicture::CSvgPicture(const std::string& path,
                         const std::vector<std::pair<std::string, std::string>>& replacements) {
    std::ifstream file(path, std::ios::binary);
    if (!file) return;
    std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    for (const auto& [from, to] : replacements)
        for (std::size_t at = text.find(from); !from.empty() && at != std::string::npos; at = text.find(from, at + to.size()))
            text.replace(at, from.size(), to);
    // Read from memory with the file as its base, so that what it names
    // beside it is found.
    GFile* base = g_file_new_for_path(path.c_str());
    GInputStream* stream =
        g_memory_input_stream_new_from_data(g_memdup2(text.data(), text.size()), static_cast<gssize>(text.size()), g_free);
    Take(rsvg_handle_new_from_stream_sync(stream, base, RSVG_HANDLE_FLAGS_NONE, nullptr, nullptr));
    g_object_unref(stream);
    g_object_unref(base);
}

void CSvgPicture::Take(void* picture) {
    auto* handle = static_cast<RsvgHandle*>(picture);
    if (!handle) return;
    gdouble width = 0, height = 0;
    if (!rsvg_handle_get_intrinsic_size_in_pixels(handle, &width, &height) || width <= 0 || height <= 0) {
        g_object_unref(handle);
        return;
    }
    m_handle = handle;
    m_width = width;
    m_height = height;
}

CSvgPicture::~CSvgPicture() {
    if (m_handle) g_object_unref(static_cast<RsvgHandle*>(m_handle));
}

RgbaPixels CSvgPicture::Render(double scale) const {
    RgbaPixels out;
    if (!m_handle || scale <= 0) return out;
    const int width = static_cast<int>(std::lround(m_width * scale));
    const int height = static_cast<int>(std::lround(m_height * scale));
    if (width <= 0 || height <= 0) return out;
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
    cairo_t* cr = cairo_create(surface);
    const RsvgRectangle viewport = {0, 0, static_cast<double>(width), static_cast<double>(height)};
    const bool bDrawn = rsvg_handle_render_document(static_cast<RsvgHandle*>(m_handle), cr, &viewport, nullptr);
    cairo_destroy(cr);
    cairo_surface_flush(surface);
    if (bDrawn && cairo_surface_status(surface) == CAIRO_STATUS_SUCCESS) {
        // Cairo's pixels are native 32-bit words with premultiplied alpha.
        out.width = width;
        out.height = height;
        out.rgba.resize(static_cast<std::size_t>(width) * height * 4);
        const unsigned char* data = cairo_image_surface_get_data(surface);
        const int stride = cairo_image_surface_get_stride(surface);
        std::uint8_t* to = out.rgba.data();
        for (int y = 0; y < height; ++y) {
            const auto* row = reinterpret_cast<const std::uint32_t*>(data + static_cast<std::ptrdiff_t>(y) * stride);
            for (int x = 0; x < width; ++x) {
                const std::uint32_t p = row[x];
                const unsigned a = p >> 24;
                auto straight = [a](unsigned c) { return static_cast<std::uint8_t>(a ? (c * 255 + a / 2) / a : 0); };
                *to++ = straight((p >> 16) & 0xFF);
                *to++ = straight((p >> 8) & 0xFF);
                *to++ = straight(p & 0xFF);
                *to++ = static_cast<std::uint8_t>(a);
            }
        }
    }
    cairo_surface_destroy(surface);
    return out;
}
