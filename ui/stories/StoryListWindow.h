// CStoryListDlg: the window in which the user sees the delivered stories:
// one row per new, unread, read or bookmarked story with its state image,
// headline and the time it was found, the counts per state, and the
// commands View, Bookmark, Delete, Delete All, Mark story as... and Story
// Properties. Modeless and resizable; closing only hides it, and turns the
// new stories into unread ones.
#pragma once

#include <string>

#include <wx/dialog.h>

#include "app/Messages.h"
#include "app/StoryTypes.h"
#include "ui/base/ResizeLayout.h"

class CAppCore;
class CStoryListCtrl;
class wxButton;
class wxFocusEvent;
class wxListEvent;
class wxStaticText;

class CStoryListDlg : public wxDialog, public CMessageTarget {
public:
    // State images of the list, by story state.
    enum { IMAGE_NEW = 0, IMAGE_UNREAD = 1, IMAGE_READ = 2, IMAGE_BOOKMARKED = 3 };
    static int ImageOfState(int nState);

    // Created hidden.
    CStoryListDlg(wxWindow* parent, CAppCore& core);
    ~CStoryListDlg() override;

    // Re-reads the rows from the core (what WM_STORIES_CHANGED asks for).
    void Fill();
    // WM_STORIES_CHANGED refills the list, later on the window thread.
    void Post(unsigned message, std::uintptr_t wParam, std::intptr_t lParam) override;
    std::intptr_t Send(unsigned message, std::uintptr_t wParam, std::intptr_t lParam) override;

    // The image of one state (IMAGE_NEW ...), as the list shows it.
    wxBitmap StateBitmap(int image) const;
    // A story shown from its properties dialog: its row (the first selected
    // row when that is the story's, else the first of that story) turns read.
    void MarkRowRead(const StoryKey& key);

    CStoryListCtrl* List() const { return m_pList; }
    int GetNewCount() const { return m_nNew; }

private:
    void CreateControls();
    // A row selected, or the rows focused: the row commands become usable.
    void OnRowEvent(wxListEvent& event);
    void OnRowsFocused(wxFocusEvent& event);
    void OnView();
    void OnBookmark();
    void OnDelete();
    void OnDeleteAll();
    void OnMarkAs(int nState);
    void OnProperties();
    void OnPopupMenu();
    void OnClose();
    // The counts from the rows' images, then the caption and the count texts.
    void Recount();
    void ShowCounts();
    void EnableRowCommands(bool bEnable);

    CAppCore& m_core;
    CStoryListCtrl* m_pList = nullptr;
    wxStaticText* m_pCountNew = nullptr;
    wxStaticText* m_pCountUnread = nullptr;
    wxStaticText* m_pCountBookmarked = nullptr;
    wxStaticText* m_pCountRead = nullptr;
    CResizeLayout m_layout;
    int m_nNew = 0, m_nUnread = 0, m_nRead = 0, m_nBookmarked = 0;
};
