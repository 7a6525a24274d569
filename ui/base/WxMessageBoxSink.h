// CWxMessageBoxSink: the core's refusals and failures shown as message boxes
// owned by the main window (or by no window before it exists).
#pragma once

#include "app/Messages.h"

class wxWindow;

class CWxMessageBoxSink : public CMessageBoxSink {
public:
    void SetOwner(wxWindow* pOwner) { m_pOwner = pOwner; }

    int ShowMessage(int stringId, const char* text) override;
    int ShowNotice(int stringId, const char* text, Icon icon) override;

private:
    wxWindow* m_pOwner = nullptr;
};
