// Group boxes with a bold label: the controls inside keep the page's own
// font (a box's children would otherwise take over its bold one).
#pragma once

#include <wx/statbox.h>

#include "ui/base/BoldDialogFont.h"

// Call once the box's controls exist.
inline void MakeFrameLabelBold(wxStaticBox* box) {
    const wxFont plain = box->GetParent()->GetFont();
    box->SetFont(BoldDialogFont());
    for (wxWindow* child : box->GetChildren()) child->SetFont(plain);
}
