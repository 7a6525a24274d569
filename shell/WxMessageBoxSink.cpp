#include "shell/WxMessageBoxSink.h"

#include <wx/msgdlg.h>

int CWxMessageBoxSink::ShowMessage(int stringId, const char* text) {
    return ShowNotice(stringId, text, ICON_WARNING);
}

int CWxMessageBoxSink::ShowNotice(int, const char* text, Icon icon) {
    long style = wxOK;
    switch (icon) {
    case ICON_INFORMATION: style |= wxICON_INFORMATION; break;
    case ICON_STOP: style |= wxICON_ERROR; break;
    case ICON_WARNING: style |= wxICON_EXCLAMATION; break;
    }
    wxMessageBox(wxString::FromUTF8(text ? text : ""), "Skimbolt", style, m_pOwner);
    return IDOK;
}
