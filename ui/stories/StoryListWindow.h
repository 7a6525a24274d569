// CStoryListDlg: the window in which the user sees the delivered stories:
// one row per new, unread, read or bookmarked story with its state image,
// headline, source, matched keywords and the time it was found, the counts
// per state, and the commands View, Bookmark, Delete, Delete All, Mark story
// as... and Story Properties, also from a popup menu and the keyboard.
// Modeless and resizable; closing only hides it, and turns the new stories
// into unread ones.
#pragma once

#include <memory>
#include <string>

#include <wx/dialog.h>

#include "app/Messages.h"
#include "app/StoryTypes.h"
#include "ui/base/ResizeLayout.h"

class CAppCore;
class CStoryListCtrl;
class wxButton;
class wxFocusEvent;
class wxKeyEvent;
class wxListEvent;
class wxMenu;
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

    // The rows' popup menu. Toolkit menus take ids below 0x7FFF only: an
    // item whose command id is not is given the command id less
    // MENU_ID_OFFSET; CommandOfMenuId turns a chosen item back.
    static constexpr int MENU_ID_OFFSET = 0x4000;
    static int MenuIdOf(int commandId);
    static int CommandOfMenuId(int menuId);
    std::unique_ptr<wxMenu> CreateStoryMenu() const;

protected:
    // Shows the popup menu at a point of this window (wxDefaultPosition: at
    // the mouse) and returns the chosen item's id, wxID_NONE when none.
    virtual int TrackStoryMenu(wxMenu& menu, const wxPoint& at);

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
    // The popup menu for the selected rows, at a point (wxDefaultPosition:
    // at the mouse); the chosen command is carried out.
    void OnPopupMenu(const wxPoint& at);
    // The keys of the list: Delete, Enter, the menu key (Shift+F10), F1 and Esc.
    void OnCharHook(wxKeyEvent& event);
    void OnClose();
    // Help about the control under the mouse pointer, else the one with the
    // keyboard focus (focus, or the window's when null; before the Help
    // button took it), else the overview.
    void ShowHelp(const wxWindow* focus = nullptr);
    // Where a menu asked for from the keyboard opens: below the focused row.
    wxPoint FocusedRowPoint() const;
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
    int m_nFocusedControl = 0;  // id of the control that had the keyboard focus last
};
