// CSvgPicture: a picture read from an SVG file (librsvg), drawn at any
// scale into plain RGBA pixels, so that icons stay sharp at the display's
// scale. References to other files beside it (<use href="parts.svg#id">)
// are followed.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

// width * height pixels row by row, each R, G, B, A bytes with straight
// (not premultiplied) alpha.
struct RgbaPixels {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgba;
};

class CSvgPicture {
public:
    // Not IsOk() when the file is missing or no SVG.
    explicit CSvgPicture(const std::string& path);
    // The file's text with each `from` replaced by its `to` first (a
    // version, say), read as if it were the file.
    CSvgPicture(const std::string& path, const std::vector<std::pair<std::string, std::string>>& replacements);
    ~CSvgPicture();
    CSvgPicture(const CSvgPicture&) = delete;
    CSvgPicture& operator=(const CSvgPicture&) = delete;

    bool IsOk() const { return m_handle != nullptr; }
    // The picture's own size in pixels (its width and height attributes).
    double Width() const { return m_width; }
    double Height() const { return m_height; }
    // The picture drawn `scale` times its own size (rounded to whole
    // pixels); empty when it cannot be drawn.
    RgbaPixels Render(double scale) const;

private:
    void Take(void* handle);

    void* m_handle = nullptr;  // the RsvgHandle
    double m_width = 0;
    double m_height = 0;
};
