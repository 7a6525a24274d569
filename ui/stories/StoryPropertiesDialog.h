// CStoryPropDlg: shows every field of one story (headline, source, URL,
// keywords, time found, description and its state image) and offers View Story. The
// story list opens it, modeless; it destroys itself when closed.
#pragma once

#include <optional>

#include <wx/dialog.h>
#include <wx/weakref.h>

#include "app/StoryTypes.h"

class CAppCore;
class CStoryListDlg;
class wxStaticBitmap;
class wxTextCtrl;

class CStoryPropDlg : public wxDialog {
public:
    CStoryPropDlg(wxWindow* parent, CAppCore& core);
    ~CStoryPropDlg() override;

    // Reads the story from the core and shows it; a story no longer there
    // shows only its headline. list: the story list whose row View Story
    // updates (may be null).
    bool Fill(const StoryKey& key, CStoryListDlg* list);

private:
    void OnViewStory();

    CAppCore& m_core;
    StoryKey m_key;
    std::optional<StoryItem> m_story;
    wxWeakRef<CStoryListDlg> m_pList;
    wxStaticBitmap* m_pIcon = nullptr;
    wxTextCtrl* m_pHeadline = nullptr;
    wxTextCtrl* m_pSource = nullptr;
    wxTextCtrl* m_pUrl = nullptr;
    wxTextCtrl* m_pKeywords = nullptr;
    wxTextCtrl* m_pFound = nullptr;
    wxTextCtrl* m_pDescription = nullptr;
};
