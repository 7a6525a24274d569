#include "ui/base/BoldDialogFont.h"

#include <wx/settings.h>

const wxFont& BoldDialogFont() {
    // The platform's dialog font stands in for the classic 8-point sans serif,
    // so that bold labels line up with their plain neighbours.
    static const wxFont font = wxSystemSettings::GetFont(wxSYS_DEFAULT_GUI_FONT).Bold();
    return font;
}
