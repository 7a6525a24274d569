#include "ui/base/WxMessageBoxSink.h"

#include <wx/app.h>
#include <wx/msgdlg.h>
#include <wx/thread.h>

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
    const wxString message = wxString::FromUTF8(text ? text : "");
    if (!wxThread::IsMain()) {
        // Windows belong to the user-interface thread: the box is shown there
        // and the caller does not wait for it.
        wxWindow* owner = m_pOwner;
        wxTheApp->CallAfter([message, style, owner] { wxMessageBox(message, "Skimbolt", style, owner); });
        return IDOK;
    }
    wxMessageBox(message, "Skimbolt", style, m_pOwner);
    return IDOK;
}
