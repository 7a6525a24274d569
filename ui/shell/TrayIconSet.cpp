#include "ui/shell/TrayIconSet.h"

#include <wx/imaglist.h>

#include "res/resource.h"
#include "ui/base/Resources.h"

namespace {
const wxColour kMaskColour(0, 132, 132);

bool IsState(TrayState state) { return state >= TRAY_NORMAL && state < CTrayIconSet::STATE_COUNT; }
}  // namespace

CTrayIconSet::CTrayIconSet() {
    for (TrayState state : {TRAY_NORMAL, TRAY_DISABLED, TRAY_SCANNING, TRAY_NEW_STORIES})
        Load(state, LoadResourceBitmap(BitmapId(state)));
}

int CTrayIconSet::Load(TrayState state, const wxBitmap& strip) {
    if (!IsState(state)) return 0;
    std::vector<wxIcon>& frames = m_animations[state];
    frames.clear();
    if (!strip.IsOk() || strip.GetWidth() < FRAME_SIZE || strip.GetHeight() < FRAME_SIZE) return 0;
    wxImageList list(FRAME_SIZE, FRAME_SIZE, true, 10);
    list.Add(strip, kMaskColour);
    for (int i = 0; i < list.GetImageCount(); ++i) frames.push_back(list.GetIcon(i));
    return static_cast<int>(frames.size());
}

int CTrayIconSet::GetFrameCount(TrayState state) const {
    return IsState(state) ? static_cast<int>(m_animations[state].size()) : 0;
}

const wxIcon& CTrayIconSet::GetFrame(TrayState state, int frame) const {
    static const wxIcon kNone;
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
