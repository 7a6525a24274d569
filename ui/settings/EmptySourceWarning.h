// CEmptySourceWarningDlg: tells the user that a news source made active
// without any category selected is switched off again (dialog 207).
#pragma once

#include <string>

#include <wx/dialog.h>

class CEmptySourceWarningDlg : public wxDialog {
public:
    CEmptySourceWarningDlg(wxWindow* parent, const std::string& sourceName);
    const std::string& GetSourceName() const { return m_strSourceName; }

private:
    std::string m_strSourceName;
};
