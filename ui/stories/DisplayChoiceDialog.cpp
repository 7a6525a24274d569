#include "ui/stories/DisplayChoiceDialog.h"

#include <wx/artprov.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>

#include "app/StoryDesk.h"
#include "res/resource.h"
#include "ui/base/Resources.h"

CDisplayChoiceDlg::CDisplayChoiceDlg(wxWindow* parent, CStoryDesk& stories)
    : wxDialog(parent, IDD_DISPLAY_CHOICE, "Skimbolt", wxDefaultPosition, wxDefaultSize, wxBORDER_RAISED),
      m_stories(stories) {
    auto at = [this](int x, int y) { return wxDLG_UNIT(this, wxPoint(x, y)); };
    auto size = [this](int cx, int cy) { return wxDLG_UNIT(this, wxSize(cx, cy)); };

    // Our picture of a browser window; the desktop's question sign until it is installed.
    wxBitmap picture = LoadResourceBitmap(IDC_DISPLAY_PICTURE);
    if (!picture.IsOk()) picture = wxArtProvider::GetBitmap(wxART_QUESTION, wxART_MESSAGE_BOX, wxSize(32, 32));
    new wxStaticBitmap(this, IDC_DISPLAY_PICTURE, picture, at(7, 7), wxSize(32, 32));
    new wxStaticText(this, wxID_ANY, "Where would you like Skimbolt to display this story?", at(35, 7), size(200, 10));
    auto* newWindow = new wxButton(this, IDC_DISPLAY_NEW, "New window", at(35, 20), size(60, 14));
    new wxButton(this, IDC_DISPLAY_CURRENT, "Current window", at(100, 20), size(70, 14));
    new wxButton(this, IDC_DISPLAY_CANCEL, "Cancel", at(175, 20), size(55, 14));
    m_pAlways = new wxCheckBox(this, IDC_DISPLAY_ALWAYS, "Always open stories this way", at(35, 38), size(195, 10));
    SetClientSize(size(240, 50));

    newWindow->SetDefault();
    newWindow->SetFocus();
    SetEscapeId(IDC_DISPLAY_CANCEL);
    Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { Choose(1); }, IDC_DISPLAY_NEW);
    Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { Choose(0); }, IDC_DISPLAY_CURRENT);
    Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { Finish(wxID_CANCEL); }, IDC_DISPLAY_CANCEL);
    Centre();
}

void CDisplayChoiceDlg::Choose(int nNewWindow) {
    m_stories.ChooseWindow(nNewWindow == 1, m_pAlways->GetValue());
    Finish(wxID_OK);
}

void CDisplayChoiceDlg::Finish(int result) {
    SetReturnCode(result);  // also when the dialog is not running modally
    EndDialog(result);
}
