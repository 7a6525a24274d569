#include "ui/shell/TrayIconSet.h"

#include <algorithm>
#include <map>
#include <memory>

#include <wx/image.h>
#include <wx/imaglist.h>

#include "app/Desktop.h"
#include "app/Messages.h"
#include "res/resource.h"
#include "ui/base/Resources.h"

namespace {
const wxColour kMaskColour(0, 132, 132);

bool IsState(TrayState state) { return state >= TRAY_NORMAL && state < CTrayIconSet::STATE_COUNT; }

// Frame `index` of a strip drawn at `scale`, centred on a clear square of `size` pixels.
wxBitmap CutFrame(const RgbaPixels& strip, int scale, int index, int size) {
    const int cell = CTrayIconSet::FRAME_SIZE * scale;
    const int offset = (size - cell) / 2;
    wxImage image(size, size, true);
    image.SetAlpha();
    std::fill_n(image.GetAlpha(), size * size, 0);
    unsigned char* rgb = image.GetData();
    unsigned char* alpha = image.GetAlpha();
    for (int y = 0; y < cell && y < strip.height; ++y) {
        for (int x = 0; x < cell; ++x) {
            const int from = ((y * strip.width) + index * cell + x) * 4;
            const int to = (y + offset) * size + x + offset;
            rgb[to * 3] = strip.rgba[from];
            rgb[to * 3 + 1] = strip.rgba[from + 1];
            rgb[to * 3 + 2] = strip.rgba[from + 2];
            alpha[to] = strip.rgba[from + 3];
        }
    }
    return wxBitmap(image);
}
}  // namespace

CTrayIconSet::CTrayIconSet() {
    for (TrayState state : {TRAY_NORMAL, TRAY_DISABLED, TRAY_SCANNING, TRAY_NEW_STORIES}) {
        const std::string drawing = ResourceDir() + "art/bitmap_" + std::to_string(BitmapId(state)) + ".svg";
        if (LoadDrawing(state, drawing) == 0) Load(state, LoadResourceBitmap(BitmapId(state)));
    }
}

int CTrayIconSet::LoadDrawing(TrayState state, const std::string& svgPath) {
    if (!IsState(state)) return 0;
    const CSvgPicture picture(svgPath);
    const int count = picture.IsOk() ? static_cast<int>(picture.Width()) / FRAME_SIZE : 0;
    if (count <= 0 || static_cast<int>(picture.Height()) != FRAME_SIZE) return 0;
    std::map<int, RgbaPixels> strips;  // by scale
    std::vector<wxVector<wxBitmap>> sizes(count);
    for (int size : ICON_SIZES) {
        const int scale = std::max(1, size / FRAME_SIZE);
        RgbaPixels& strip = strips[scale];
        if (strip.rgba.empty()) strip = picture.Render(scale);
        if (strip.width < count * FRAME_SIZE * scale) return 0;
        for (int i = 0; i < count; ++i) sizes[i].push_back(CutFrame(strip, scale, i, size));
    }
    std::vector<wxBitmapBundle>& frames = m_animations[state];
    frames.clear();
    for (const auto& bitmaps : sizes) frames.push_back(wxBitmapBundle::FromBitmaps(bitmaps));
    return count;
}

int CTrayIconSet::Load(TrayState state, const wxBitmap& strip) {
    if (!IsState(state)) return 0;
    std::vector<wxBitmapBundle>& frames = m_animations[state];
    frames.clear();
    if (!strip.IsOk() || strip.GetWidth() < FRAME_SIZE || strip.GetHeight() < FRAME_SIZE) return 0;
    wxImageList list(FRAME_SIZE, FRAME_SIZE, true, 10);
    list.Add(strip, kMaskColour);
    for (int i = 0; i < list.GetImageCount(); ++i) frames.push_back(wxBitmapBundle(list.GetIcon(i)));
    return static_cast<int>(frames.size());
}

int CTrayIconSet::GetFrameCount(TrayState state) const {
    return IsState(state) ? static_cast<int>(m_animations[state].size()) : 0;
}

const wxBitmapBundle& CTrayIconSet::GetFrame(TrayState state, int frame) const {
    static const wxBitmapBundle kNone;
    const int count = GetFrameCount(state);
    if (count == 0) return kNone;
    frame %= count;
    if (frame < 0) frame += count;
    return m_animations[state][frame];
}

int CTrayIconSet::BitmapId(TrayState state) {
    switch (state) {
    case TRAY_DISABLED: return IDB_TRAY_DISABLED;
    case TRAY_SCANNING: return IDB_TRAY_SCANNING;
    case TRAY_NEW_STORIES: return IDB_TRAY_NEW_STORIES;
    default: return IDB_TRAY_NORMAL;
    }
}

int CTrayIconSet::TipStringId(TrayState state) {
    switch (state) {
    case TRAY_DISABLED: return 160;
    case TRAY_SCANNING: return 163;
    case TRAY_NEW_STORIES: return 162;
    default: return 200;
    }
}

std::string CTrayIconSet::Tip(TrayState state, int failing, int pages) {
    const std::string tip = LoadStringText(TipStringId(state));
    if (failing <= 0) return tip;
    const std::string count = std::to_string(failing) + " of " + std::to_string(pages);
    std::string text;
    switch (state) {
    case TRAY_NORMAL:
        text = "Skimbolt: " + count + (pages == 1 ? " page" : " pages") + " failed at the last read";
        break;
    case TRAY_NEW_STORIES:
        text = tip + " (" + count + " pages failed)";
        break;
    default:  // disabled, or a pass under way: the last outcomes do not apply
        return tip;
    }
    if (text.size() > 63) text = "Skimbolt: " + count + " pages failed";
    return text;
}
