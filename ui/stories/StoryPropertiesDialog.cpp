#include "ui/stories/StoryPropertiesDialog.h"

#include <wx/button.h>
#include <wx/statbmp.h>
#include <wx/statline.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "app/AppCore.h"
#include "res/resource.h"
#include "ui/base/BoldDialogFont.h"
#include "ui/stories/StoryListView.h"
#include "ui/stories/StoryListWindow.h"
#include "ui/stories/StoryViewer.h"

CStoryPropDlg::CStoryPropDlg(wxWindow* parent, CAppCore& core)
    : wxDialog(parent, IDD_STORY_PROP, "Story Properties"), m_core(core) {
    auto at = [this](int x, int y) { return wxDLG_UNIT(this, wxPoint(x, y)); };
    auto size = [this](int cx, int cy) { return wxDLG_UNIT(this, wxSize(cx, cy)); };
    const long readOnly = wxTE_READONLY | wxBORDER_NONE;

    m_pIcon = new wxStaticBitmap(this, IDC_PROP_ICON, wxBitmap(), at(8, 9), wxSize(16, 16));
    m_pHeadline = new wxTextCtrl(this, IDC_PROP_HEADLINE, "", at(25, 9), size(273, 11), readOnly);
    m_pHeadline->SetFont(BoldDialogFont());
    new wxStaticLine(this, wxID_ANY, at(7, 23), size(291, 1));

    struct Field {
        const char* label;
        int id, y, cy;
        wxTextCtrl** edit;
    };
    // The URL may take two lines, wrapped anywhere, so that it is seen whole.
    for (const Field& f : {Field{"Source:", IDC_PROP_SOURCE, 28, 11, &m_pSource},
                           Field{"URL:", IDC_PROP_URL, 40, 19, &m_pUrl},
                           Field{"Keywords:", IDC_PROP_KEYWORDS, 60, 11, &m_pKeywords},
                           Field{"Found:", IDC_PROP_FOUND, 72, 11, &m_pFound}}) {
        new wxStaticText(this, wxID_ANY, f.label, at(25, f.y + 1), size(38, 9));
        const long style = f.cy > 11 ? readOnly | wxTE_MULTILINE | wxTE_BESTWRAP | wxTE_NO_VSCROLL : readOnly;
        *f.edit = new wxTextCtrl(this, f.id, "", at(65, f.y), size(233, f.cy), style);
    }
    new wxStaticText(this, wxID_ANY, "Description:", at(25, 86), size(60, 9));
    m_pDescription = new wxTextCtrl(this, IDC_PROP_DESCRIPTION, "", at(25, 97), size(273, 41),
                                    wxTE_READONLY | wxTE_MULTILINE | wxVSCROLL);
    auto* ok = new wxButton(this, IDC_PROP_OK, "OK", at(188, 145), size(50, 14));
    new wxButton(this, IDC_PROP_VIEW, "&View Story", at(243, 145), size(55, 14));
    SetClientSize(size(305, 165));
    ok->SetDefault();
    ok->SetFocus();
    SetEscapeId(IDC_PROP_OK);

    Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { Destroy(); }, IDC_PROP_OK);
    Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnViewStory(); }, IDC_PROP_VIEW);
    Bind(wxEVT_CLOSE_WINDOW, [this](wxCloseEvent&) { Destroy(); });
}

CStoryPropDlg::~CStoryPropDlg() = default;

bool CStoryPropDlg::Fill(const StoryKey& key, CStoryListDlg* list) {
    m_key = key;
    m_pList = list;
    m_story = m_core.Stories().Find(key);
    m_pHeadline->ChangeValue(wxString::FromUTF8(key.headline));
    if (m_story) {
        m_pSource->ChangeValue(wxString::FromUTF8(m_story->sourceName));
        m_pKeywords->ChangeValue(wxString::FromUTF8(KeywordsAsTyped(m_story->keywords)));
        m_pFound->ChangeValue(CStoryListCtrl::FormatFoundTime(m_story->tFound));
        m_pDescription->ChangeValue(wxString::FromUTF8(m_story->description));
        m_pUrl->ChangeValue(wxString::FromUTF8(m_story->url));
        m_pUrl->SetToolTip(wxString::FromUTF8(m_story->url));
        const int state = m_story->state;
        if (list && state != STORY_READ) m_pIcon->SetBitmap(list->StateBitmap(CStoryListDlg::ImageOfState(state)));
    }
    return true;
}

void CStoryPropDlg::OnViewStory() {
    // A story shown becomes read whatever its state; after a cancelled
    // question or without a browser the dialog stays as it was.
    if (m_story && ShowStory(m_core, *m_story, this) != StoryShown::Shown) return;
    if (!m_story) {
        Destroy();  // no longer in the archive: nothing to show
        return;
    }
    m_core.Stories().SetState(m_key, STORY_READ);
    if (m_pList) m_pList->MarkRowRead(m_key);
    Destroy();
}
