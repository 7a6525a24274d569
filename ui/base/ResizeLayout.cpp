#include "ui/base/ResizeLayout.h"

#include <wx/window.h>

namespace {

// One axis: the edges lo..hi (hi exclusive) of a control in a client extent
// grown from initial to now.
void PlaceAxis(int& lo, int& hi, bool fixLo, bool fixHi, bool scale, bool centre, bool keepSize, int initial,
               int now) {
    const int size = hi - lo;
    const int grow = now - initial;
    auto scaled = [&](int v) { return initial > 0 ? static_cast<int>(static_cast<long long>(v) * now / initial) : v; };
    if (scale) {
        lo = scaled(lo);
        hi = scaled(hi);
        return;
    }
    if (centre) {
        lo += grow / 2;
        hi = lo + size;
        return;
    }
    int newLo = lo, newHi = hi + grow;
    if (keepSize) {
        if (fixLo && !fixHi) newHi = newLo + size;
        else if (fixHi && !fixLo) newLo = newHi - size;
        else if (!fixLo && !fixHi) {
            newLo = scaled(lo + size / 2) - size / 2;
            newHi = newLo + size;
        }
    } else {
        if (!fixLo) newLo = scaled(lo);
        if (!fixHi) newHi = scaled(hi);
    }
    lo = newLo;
    hi = newHi;
}

}  // namespace

wxRect CResizeLayout::Place(const wxRect& rect, unsigned flags, const wxSize& initial, const wxSize& now) {
    int left = rect.x, right = rect.x + rect.width, top = rect.y, bottom = rect.y + rect.height;
    const bool keep = flags & KEEP_SIZE;
    PlaceAxis(left, right, flags & LEFT, flags & RIGHT, flags & SCALE_X, flags & CENTRE_X, keep, initial.x, now.x);
    PlaceAxis(top, bottom, flags & TOP, flags & BOTTOM, flags & SCALE_Y, flags & CENTRE_Y, keep, initial.y, now.y);
    return wxRect(left, top, right - left, bottom - top);
}

void CResizeLayout::Attach(wxWindow* parent) {
    m_pParent = parent;
    m_items.clear();
    parent->SetMinSize(parent->GetSize());
}

void CResizeLayout::Add(wxWindow* control, unsigned flags) {
    m_items.push_back({control, control->GetRect(), m_pParent->GetClientSize(), flags});
}

void CResizeLayout::Layout() {
    if (!m_pParent) return;
    const wxSize now = m_pParent->GetClientSize();
    for (const Item& item : m_items) {
        item.control->SetSize(Place(item.rect, item.flags, item.client, now));
        item.control->Refresh();
    }
}
