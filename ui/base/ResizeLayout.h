// CResizeLayout: moves a resizable dialog's controls when the dialog's size
// changes, each by its anchor flags (which edges keep their distance to the
// dialog's sides, which scale, which keep the control's size), and keeps the
// dialog from becoming smaller than it was when the layout was attached.
#pragma once

#include <vector>

#include <wx/gdicmn.h>

class wxWindow;

class CResizeLayout {
public:
    enum : unsigned {
        LEFT = 0x1,
        RIGHT = 0x2,
        TOP = 0x4,
        BOTTOM = 0x8,
        SCALE_Y = 0x100,
        SCALE_X = 0x200,
        CENTRE_Y = 0x400,
        CENTRE_X = 0x800,
        KEEP_SIZE = 0x80000,
    };

    // Remembers the parent's size, which becomes its minimum size.
    void Attach(wxWindow* parent);
    // Remembers the control's place now; add controls after Attach.
    void Add(wxWindow* control, unsigned flags);
    // Moves every control for the parent's present client size.
    void Layout();

    // A control's rectangle for a client area grown from initial to now.
    static wxRect Place(const wxRect& rect, unsigned flags, const wxSize& initial, const wxSize& now);

private:
    struct Item {
        wxWindow* control;
        wxRect rect;
        wxSize client;  // the parent's client size when the control was added
        unsigned flags;
    };
    wxWindow* m_pParent = nullptr;
    std::vector<Item> m_items;
};
