// CTrayIconSet: the tray icon's four animations, one per tray state. Each
// frame is drawn from the state's SVG strip (res/art/bitmap_N.svg, frames of
// 16 by 16 side by side) in every size a notification area may ask for, so
// that it stays sharp on a display of scale 2 or more. A state whose drawing
// cannot be read has its frames cut from the PNG strip instead, whose
// RGB(0,132,132) pixels are transparent. The main window shows them frame by
// frame.
#pragma once

#include <array>
#include <string>
#include <vector>

#include <wx/bitmap.h>
#include <wx/bmpbndl.h>

// What the tray shows. TRAY_FROM_FLAGS asks the main window to work the
// state out from the shared flags.
enum TrayState { TRAY_NORMAL = 0, TRAY_DISABLED = 1, TRAY_SCANNING = 2, TRAY_NEW_STORIES = 3, TRAY_FROM_FLAGS = 4 };

class CTrayIconSet {
public:
    static constexpr int STATE_COUNT = 4;
    static constexpr int FRAME_SIZE = 16;
    // The sizes each drawn frame comes in: whole multiples of the 16-pixel
    // frame, and 22 and 24 as the 16-pixel frame with a clear border
    // (scaling by a fraction would blur the pixel-grid drawing).
    static constexpr std::array<int, 6> ICON_SIZES = {16, 22, 24, 32, 48, 64};

    // Loads every animation from its drawing (bitmaps 161, 160, 163, 162),
    // else from its PNG strip.
    CTrayIconSet();

    // Draws one state's animation from an SVG strip. How many frames the
    // state then has; 0 (and the state left as it was) when the file cannot be read.
    int LoadDrawing(TrayState state, const std::string& svgPath);
    // Cuts one state's animation from a PNG strip (16-pixel frames only); an
    // empty strip leaves it without frames. How many frames the state then has.
    int Load(TrayState state, const wxBitmap& strip);
    // 0 when the state has neither drawing nor strip.
    int GetFrameCount(TrayState state) const;
    // Frame `frame` of the state's animation, counted round, in all its
    // sizes; an empty bundle when the state has no frames.
    const wxBitmapBundle& GetFrame(TrayState state, int frame) const;

    // The strip and the tip (string-table text) of each state.
    static int BitmapId(TrayState state);
    static int TipStringId(TrayState state);
    // The state's tip, telling of the pages that failed at their last read
    // (failing of pages) where it speaks of the program at rest; at most
    // 63 characters, as the notification area shows.
    static std::string Tip(TrayState state, int failing, int pages);

private:
    std::array<std::vector<wxBitmapBundle>, STATE_COUNT> m_animations;
};
