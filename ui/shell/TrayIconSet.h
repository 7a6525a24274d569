// CTrayIconSet: the tray icon's four animations, one per tray state, each a
// row of 16 by 16 icons cut from a bitmap strip whose RGB(0,132,132) pixels
// are transparent. The main window shows them frame by frame.
#pragma once

#include <array>
#include <vector>

#include <wx/bitmap.h>
#include <wx/icon.h>

// What the tray shows. TRAY_FROM_FLAGS asks the main window to work the
// state out from the shared flags.
enum TrayState { TRAY_NORMAL = 0, TRAY_DISABLED = 1, TRAY_SCANNING = 2, TRAY_NEW_STORIES = 3, TRAY_FROM_FLAGS = 4 };

class CTrayIconSet {
public:
    static constexpr int STATE_COUNT = 4;
    static constexpr int FRAME_SIZE = 16;

    // Loads every animation from its strip (bitmaps 161, 160, 163, 162).
    CTrayIconSet();

    // Cuts one state's animation from a strip; an empty strip leaves it
    // without frames. How many frames the state then has.
    int Load(TrayState state, const wxBitmap& strip);
    // 0 when the state's strip was missing.
    int GetFrameCount(TrayState state) const;
    // Frame `frame` of the state's animation, counted round; an empty icon
    // when the state has no frames.
    const wxIcon& GetFrame(TrayState state, int frame) const;

    // The strip and the tip (string-table text) of each state.
    static int BitmapId(TrayState state);
    static int TipStringId(TrayState state);

private:
    std::array<std::vector<wxIcon>, STATE_COUNT> m_animations;
};
