#include "ui/settings/UpdateProgressWindow.h"

#include <string>

#include <wx/msgdlg.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>

#include "app/SourceUpdate.h"
#include "ui/base/BusyWork.h"
#include "res/resource.h"
#include "ui/base/Resources.h"

namespace {
constexpr int kStartTimer = 1;
constexpr int kStartDelayMs = 500;
}  // namespace

CUpdateProgressDlg::CUpdateProgressDlg(wxWindow* parent, CSourceUpdate& update)
    : wxDialog(parent, IDD_UPDATE_PROGRESS, wxEmptyString, wxDefaultPosition, wxDefaultSize, wxBORDER_RAISED),
      m_update(update), m_timer(this, kStartTimer) {
    auto at = [this](int x, int y) { return wxDLG_UNIT(this, wxPoint(x, y)); };
    auto size = [this](int cx, int cy) { return wxDLG_UNIT(this, wxSize(cx, cy)); };
    const wxIcon icon = LoadResourceIcon(IDI_UPDATE_PROGRESS_ICON);
    if (icon.IsOk()) {
        wxBitmap bitmap;
        bitmap.CopyFromIcon(icon);
        new wxStaticBitmap(this, wxID_ANY, bitmap, at(7, 6));
    }
    m_textStatus = new wxStaticText(this, IDC_UPDATE_STATUS, wxEmptyString, at(34, 12), size(150, 10),
                                    wxALIGN_CENTRE_HORIZONTAL | wxST_NO_AUTORESIZE);
    SetStatus("Downloading news source update....");
    SetClientSize(size(191, 32));
    Centre();
    Bind(wxEVT_TIMER, &CUpdateProgressDlg::OnTimer, this, kStartTimer);
}

int CUpdateProgressDlg::ShowModal() {
    m_timer.StartOnce(kStartDelayMs);
    return wxDialog::ShowModal();
}

void CUpdateProgressDlg::SetStatus(const char* text) {
    m_textStatus->SetLabel(text);
    m_textStatus->Update();
}

void CUpdateProgressDlg::OnTimer(wxTimerEvent&) {
    m_timer.Stop();
    if (m_bStarted) return;
    RunUpdate();
    if (IsModal()) EndModal(wxID_OK);
}

bool CUpdateProgressDlg::RunUpdate() {
    if (m_bStarted) return false;
    m_bStarted = true;
    for (;;) {
        SetStatus("Downloading news source update....");
        std::string why;
        bool bDone = false;
        RunBusy([&] { bDone = m_update.Fetch(why); }, m_update.Fetcher());
        if (bDone) {
            SetStatus("Updating sources....");
            bDone = m_update.Merge();
            if (!bDone) why = "the update file holds no news source";
        }
        if (bDone) return true;
        wxMessageDialog box(this, "Could not download source update file", "Update Error",
                            wxOK | wxCANCEL | wxICON_ERROR);
        box.SetOKCancelLabels("&Retry", "Cancel");
        box.SetExtendedMessage(wxString::FromUTF8(why));
        if (box.ShowModal() != wxID_OK) return false;
    }
}
