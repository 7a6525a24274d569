#include "ui/stories/StoryListWindow.h"

#include <algorithm>
#include <memory>
#include <optional>

#include <wx/button.h>
#include <wx/imaglist.h>
#include <wx/menu.h>
#include <wx/msgdlg.h>
#include <wx/statbmp.h>
#include <wx/statbox.h>
#include <wx/stattext.h>
#include <wx/utils.h>

#include "app/AppCore.h"
#include "app/Messages.h"
#include "res/resource.h"
#include "ui/base/ContextHelp.h"
#include "ui/base/ProgramMenu.h"
#include "ui/base/Resources.h"
#include "ui/base/SourceStatusWindow.h"
#include "ui/stories/StoryListView.h"
#include "ui/stories/StoryPropertiesDialog.h"
#include "ui/stories/StoryViewer.h"

namespace {

constexpr int kImageSize = 16;

StoryKey KeyOf(const StoryRow& row) { return {row.source, row.headline}; }
constexpr int kImageCount = 4;

// The four state images from the bitmap strip (green is transparent);
// blank images stand in for any the strip lacks.
wxImageList* LoadStateImages() {
    auto* images = new wxImageList(kImageSize, kImageSize, true, kImageCount);
    const wxBitmap strip = LoadResourceBitmap(IDB_STORY_STATES);
    if (strip.IsOk() && strip.GetHeight() == kImageSize && strip.GetWidth() >= kImageSize)
        images->Add(strip, wxColour(0, 255, 0));
    while (images->GetImageCount() < kImageCount) {
        wxImage blank(kImageSize, kImageSize);
        blank.InitAlpha();
        std::fill_n(blank.GetAlpha(), kImageSize * kImageSize, 0);
        images->Add(wxBitmap(blank));
    }
    return images;
}

}  // namespace

int CStoryListDlg::ImageOfState(int nState) {
    switch (nState) {
        case STORY_NEW: return IMAGE_NEW;
        case STORY_UNREAD: return IMAGE_UNREAD;
        case STORY_READ: return IMAGE_READ;
        case STORY_BOOKMARKED: return IMAGE_BOOKMARKED;
        default: return -1;
    }
}

CStoryListDlg::CStoryListDlg(wxWindow* parent, CAppCore& core)
    : wxDialog(parent, IDD_STORY_LIST, "Story List", wxDefaultPosition, wxDefaultSize,
               wxDEFAULT_DIALOG_STYLE | wxRESIZE_BORDER),
      m_core(core) {
    const wxIconBundle icons = LoadResourceIconBundle(IDI_STORY_LIST);
    if (!icons.IsEmpty()) SetIcons(icons);
    CreateControls();
    SetEscapeId(IDC_STORY_DONE);

    Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnView(); }, IDC_STORY_VIEW);
    Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnBookmark(); }, IDC_STORY_BOOKMARK);
    Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnDelete(); }, IDC_STORY_DELETE);
    Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnDeleteAll(); }, IDC_STORY_DELETE_ALL);
    Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnClose(); }, IDC_STORY_DONE);
    Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { ShowHelp(); }, IDC_STORY_HELP);
    Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { PopupProgramMenu(FindWindow(IDC_PROGRAM_MENU), m_core); },
         IDC_PROGRAM_MENU);
    Bind(wxEVT_MENU, [this](wxCommandEvent&) { OnView(); }, ID_STORY_VIEW);
    Bind(wxEVT_MENU, [this](wxCommandEvent&) { OnBookmark(); }, ID_STORY_BOOKMARK);
    Bind(wxEVT_MENU, [this](wxCommandEvent&) { OnDelete(); }, ID_STORY_DELETE);
    Bind(wxEVT_MENU, [this](wxCommandEvent&) { OnMarkAs(STORY_NEW); }, ID_STORY_MARK_NEW);
    Bind(wxEVT_MENU, [this](wxCommandEvent&) { OnMarkAs(STORY_UNREAD); }, ID_STORY_MARK_UNREAD);
    Bind(wxEVT_MENU, [this](wxCommandEvent&) { OnMarkAs(STORY_READ); }, ID_STORY_MARK_READ);
    Bind(wxEVT_MENU, [this](wxCommandEvent&) { OnProperties(); }, ID_STORY_PROPERTIES);
    Bind(wxEVT_MENU, [this](wxCommandEvent&) { ShowSourceStatus(this, m_core); }, ID_STORY_SOURCE_STATUS);
    Bind(wxEVT_CLOSE_WINDOW, [this](wxCloseEvent& event) {
        if (event.CanVeto()) OnClose();
        else Destroy();
    });
    Bind(wxEVT_SIZE, [this](wxSizeEvent& event) {
        m_layout.Layout();
        event.Skip();
    });
    m_pList->Bind(wxEVT_LIST_ITEM_ACTIVATED, [this](wxListEvent&) { OnView(); });
    m_pList->Bind(wxEVT_LIST_ITEM_RIGHT_CLICK, [this](wxListEvent&) { OnPopupMenu(wxDefaultPosition); });
    // A context menu asked for from the keyboard comes without a position;
    // one from the mouse was shown by the right click already.
    m_pList->Bind(wxEVT_CONTEXT_MENU, [this](wxContextMenuEvent& event) {
        if (event.GetPosition() == wxDefaultPosition) OnPopupMenu(FocusedRowPoint());
        else event.Skip();
    });
    Bind(wxEVT_CHAR_HOOK, &CStoryListDlg::OnCharHook, this);
    // The control help is about when the pointer is on none: the one that had
    // the focus last, before the Help button took it.
    Bind(wxEVT_CHILD_FOCUS, [this](wxChildFocusEvent& event) {
        event.Skip();
        if (const wxWindow* child = event.GetWindow(); child && child->GetId() != IDC_STORY_HELP)
            m_nFocusedControl = child->GetId();
    });
    m_pList->Bind(wxEVT_LIST_ITEM_SELECTED, &CStoryListDlg::OnRowEvent, this);
    m_pList->Bind(wxEVT_LIST_ITEM_FOCUSED, &CStoryListDlg::OnRowEvent, this);
    for (wxWindow* child : m_pList->GetChildren()) child->Bind(wxEVT_SET_FOCUS, &CStoryListDlg::OnRowsFocused, this);

    Fill();
}

// The list's inner windows outlive this part of the window while they are
// destroyed, and may still get the focus then.
CStoryListDlg::~CStoryListDlg() {
    m_pList->Unbind(wxEVT_LIST_ITEM_SELECTED, &CStoryListDlg::OnRowEvent, this);
    m_pList->Unbind(wxEVT_LIST_ITEM_FOCUSED, &CStoryListDlg::OnRowEvent, this);
    for (wxWindow* child : m_pList->GetChildren()) child->Unbind(wxEVT_SET_FOCUS, &CStoryListDlg::OnRowsFocused, this);
}

void CStoryListDlg::CreateControls() {
    auto at = [this](int x, int y) { return wxDLG_UNIT(this, wxPoint(x, y)); };
    auto size = [this](int cx, int cy) { return wxDLG_UNIT(this, wxSize(cx, cy)); };
    SetClientSize(size(324, 161));

    auto* frame = new wxStaticBox(this, IDC_STORY_FRAME, wxEmptyString, at(7, 0), size(310, 18));
    m_pList = new CStoryListCtrl(this, IDC_STORY_LIST, at(7, 19), size(310, 114));
    m_pList->AssignImageList(LoadStateImages(), wxIMAGE_LIST_SMALL);

    // The header row: state image, label and count, for each state.
    struct Header {
        int iconId, image, x, labelId;
        const char* label;
        int labelWidth, countId;
        wxStaticText** count;
    };
    const Header headers[] = {
        {IDC_STORY_ICON_NEW, IMAGE_NEW, 19, IDC_STORY_LABEL_NEW, "New -", 24, IDC_STORY_COUNT_NEW, &m_pCountNew},
        {IDC_STORY_ICON_UNREAD, IMAGE_UNREAD, 86, IDC_STORY_LABEL_UNREAD, "Unread -", 34, IDC_STORY_COUNT_UNREAD,
         &m_pCountUnread},
        {IDC_STORY_ICON_BOOKMARKED, IMAGE_BOOKMARKED, 160, IDC_STORY_LABEL_BOOKMARKED, "Bookmarked -", 52,
         IDC_STORY_COUNT_BOOKMARKED, &m_pCountBookmarked},
        {IDC_STORY_ICON_READ, IMAGE_READ, 250, IDC_STORY_LABEL_READ, "Read -", 26, IDC_STORY_COUNT_READ, &m_pCountRead},
    };
    std::vector<wxWindow*> headerControls{frame};
    for (const Header& h : headers) {
        auto* label = new wxStaticText(this, h.labelId, h.label, at(h.x + 12, 7), size(h.labelWidth, 9));
        // The image centred on the label's line.
        const wxPoint iconAt(at(h.x, 0).x, label->GetPosition().y + (label->GetSize().y - kImageSize) / 2);
        headerControls.push_back(
            new wxStaticBitmap(this, h.iconId, StateBitmap(h.image), iconAt, wxSize(kImageSize, kImageSize)));
        headerControls.push_back(label);
        *h.count = new wxStaticText(this, h.countId, "0", at(h.x + 12 + h.labelWidth, 7), size(24, 9));
        headerControls.push_back(*h.count);
    }

    // The bottom row, left to right: x and width of each button.
    auto button = [&](int id, const char* text, int x, int cx) {
        return new wxButton(this, id, wxString::FromUTF8(text), at(x, 140), size(cx, 14));
    };
    auto* menu = button(IDC_PROGRAM_MENU, "&Menu \u25BE", 7, 40);
    auto* deleteButton = button(IDC_STORY_DELETE, "&Delete", 51, 40);
    auto* deleteAll = button(IDC_STORY_DELETE_ALL, "Delete &All", 95, 46);
    auto* view = button(IDC_STORY_VIEW, "&View", 145, 36);
    auto* bookmark = button(IDC_STORY_BOOKMARK, "&Bookmark", 185, 46);
    auto* help = button(IDC_STORY_HELP, "&Help", 235, 36);
    auto* done = button(IDC_STORY_DONE, "D&one", 275, 42);
    done->SetDefault();

    // Source, keywords and the time found keep their widths; the headline
    // takes what is left.
    const int width = m_pList->GetClientSize().x;
    const int dateWidth = m_pList->GetTextExtent(CStoryListCtrl::FormatFoundTime(0) + "MM").x + 8;
    m_pList->AppendColumn("Headline", wxLIST_FORMAT_LEFT, width * 48 / 100);
    m_pList->AppendColumn("Source", wxLIST_FORMAT_LEFT, width * 20 / 100);
    m_pList->AppendColumn("Keywords", wxLIST_FORMAT_LEFT, width * 14 / 100);
    m_pList->AppendColumn("Found", wxLIST_FORMAT_LEFT, dateWidth);
    m_pList->FitHeadlineColumn();
    m_pList->SortBy(CStoryListCtrl::COL_FOUND, false);

    m_layout.Attach(this);
    for (wxWindow* control : headerControls) m_layout.Add(control, 0x80005);
    m_layout.Add(m_pList, 0xF);
    m_layout.Add(menu, 0x80009);
    for (wxButton* control : {deleteButton, deleteAll, view, bookmark, help})
        m_layout.Add(control, 0x80008);
    m_layout.Add(done, 0x8000A);
}

wxBitmap CStoryListDlg::StateBitmap(int image) const {
    const wxImageList* images = m_pList ? m_pList->GetImageList(wxIMAGE_LIST_SMALL) : nullptr;
    return images && image >= 0 && image < images->GetImageCount() ? images->GetBitmap(image) : wxBitmap();
}

void CStoryListDlg::Fill() {
    std::vector<StoryRow> rows;
    for (StoryItem& story : m_core.Stories().VisibleStories()) {
        StoryRow row;
        row.headline = std::move(story.key.headline);
        row.source = std::move(story.key.source);
        row.sourceName = std::move(story.sourceName);
        row.keywords = KeywordsAsTyped(story.keywords);
        row.description = std::move(story.description);
        row.found = story.tFound;
        row.date = CStoryListCtrl::FormatFoundTime(story.tFound);
        row.image = ImageOfState(story.state);
        rows.push_back(std::move(row));
    }
    m_pList->SetRows(std::move(rows));
    Recount();
    // The first new story is selected, in view, for View or Enter at once.
    long firstNew = -1;
    for (long i = 0, n = m_pList->GetRowCount(); i < n && firstNew < 0; ++i)
        if (m_pList->Row(i).image == IMAGE_NEW) firstNew = i;
    m_pList->SelectOnly(firstNew);
    EnableRowCommands(firstNew >= 0);
}

void CStoryListDlg::Post(unsigned message, std::uintptr_t, std::intptr_t) {
    if (message == WM_STORIES_CHANGED) CallAfter([this] { Fill(); });
}

std::intptr_t CStoryListDlg::Send(unsigned message, std::uintptr_t wParam, std::intptr_t lParam) {
    Post(message, wParam, lParam);
    return 0;
}

void CStoryListDlg::Recount() {
    m_nNew = m_nUnread = m_nRead = m_nBookmarked = 0;
    for (long i = 0, n = m_pList->GetRowCount(); i < n; ++i) {
        switch (m_pList->Row(i).image) {
            case IMAGE_NEW: ++m_nNew; break;
            case IMAGE_UNREAD: ++m_nUnread; break;
            case IMAGE_BOOKMARKED: ++m_nBookmarked; break;
            default: ++m_nRead; break;
        }
    }
    ShowCounts();
}

void CStoryListDlg::ShowCounts() {
    m_pCountNew->SetLabel(wxString::Format("%d", m_nNew));
    m_pCountUnread->SetLabel(wxString::Format("%d", m_nUnread));
    m_pCountBookmarked->SetLabel(wxString::Format("%d", m_nBookmarked));
    m_pCountRead->SetLabel(wxString::Format("%d", m_nRead));
    if (m_nNew == 0) SetTitle("Story List");
    else if (m_nNew == 1) SetTitle("Story List : 1 New story!");
    else SetTitle(wxString::Format("Story List : %d New stories!", m_nNew));
}

void CStoryListDlg::EnableRowCommands(bool bEnable) {
    for (int id : {IDC_STORY_DELETE, IDC_STORY_VIEW, IDC_STORY_BOOKMARK})
        if (wxWindow* button = FindWindow(id)) button->Enable(bEnable);
}

void CStoryListDlg::OnRowEvent(wxListEvent& event) {
    if (m_pList->GetSelectedItemCount() > 0) EnableRowCommands(true);
    event.Skip();
}

void CStoryListDlg::OnRowsFocused(wxFocusEvent& event) {
    m_nFocusedControl = IDC_STORY_LIST;
    if (m_pList->GetSelectedItemCount() > 0) EnableRowCommands(true);
    event.Skip();
}

void CStoryListDlg::OnView() {
    m_core.SetNewStoriesPending(false);
    std::vector<StoryKey> keys;
    for (long row : m_pList->SelectedRows()) keys.push_back(KeyOf(m_pList->Row(row)));
    // Showing a story may ask where to show it, and the list may be
    // refilled meanwhile: each row is found again by its key.
    // Only a story the browser got becomes read: a cancelled question or a
    // missing browser leaves it as it was.
    CStoryDesk& desk = m_core.Stories();
    for (const StoryKey& key : keys) {
        const std::optional<StoryItem> story = desk.Find(key);
        if (!story || ShowStory(m_core, *story, this) != StoryShown::Shown) continue;
        if (desk.MarkRead(key)) {
            m_pList->SetRowImage(m_pList->FindRow(key.source, key.headline), IMAGE_READ);
            Recount();
        }
    }
}

void CStoryListDlg::OnBookmark() {
    for (long row : m_pList->SelectedRows())
        if (m_core.Stories().Bookmark(KeyOf(m_pList->Row(row)))) m_pList->SetRowImage(row, IMAGE_BOOKMARKED);
    Recount();
}

void CStoryListDlg::OnDelete() {
    const std::vector<long> selected = m_pList->SelectedRows();
    if (selected.empty()) return;
    if (static_cast<long>(selected.size()) == m_pList->GetRowCount()) {
        OnDeleteAll();
        return;
    }
    const long first = selected.front();
    std::vector<StoryKey> keys;
    // Bottom up, so that the other selected rows keep their places.
    for (auto it = selected.rbegin(); it != selected.rend(); ++it) {
        keys.push_back(KeyOf(m_pList->Row(*it)));
        m_pList->DeleteRow(*it);
    }
    m_core.Stories().Delete(keys);
    Recount();
    if (m_pList->GetRowCount() == 0) {
        EnableRowCommands(false);
        return;
    }
    m_pList->SetFocus();
    m_pList->SelectOnly(std::min(first, m_pList->GetRowCount() - 1));
}

void CStoryListDlg::OnDeleteAll() {
    int answer = wxYES;
    if (m_nBookmarked > 0) {
        answer = wxMessageBox("Do you want to delete all Bookmarked Stories?", "Confirm Delete",
                              wxYES_NO | wxCANCEL | wxICON_QUESTION, this);
        if (answer == wxCANCEL) return;
    }
    m_pList->DeleteAllRows();
    m_core.Stories().DeleteAll(answer == wxYES);
    Fill();
}

void CStoryListDlg::OnMarkAs(int nState) {
    for (long row : m_pList->SelectedRows()) {
        m_pList->SetRowImage(row, ImageOfState(nState));
        m_core.Stories().SetState(KeyOf(m_pList->Row(row)), nState);
    }
    Recount();
}

void CStoryListDlg::OnProperties() {
    const std::vector<long> selected = m_pList->SelectedRows();
    if (selected.empty()) return;
    auto* properties = new CStoryPropDlg(this, m_core);
    properties->Show();
    properties->Iconize(false);
    properties->Raise();
    properties->Fill(KeyOf(m_pList->Row(selected.front())), this);
}

void CStoryListDlg::MarkRowRead(const StoryKey& key) {
    const std::vector<long> selected = m_pList->SelectedRows();
    long row = !selected.empty() && KeyOf(m_pList->Row(selected.front())) == key
                   ? selected.front()
                   : m_pList->FindRow(key.source, key.headline);
    if (row < 0) return;
    m_pList->SetRowImage(row, IMAGE_READ);
    Recount();
}

int CStoryListDlg::MenuIdOf(int commandId) {
    return commandId >= 0x7FFF ? commandId - MENU_ID_OFFSET : commandId;
}

int CStoryListDlg::CommandOfMenuId(int menuId) {
    return menuId + MENU_ID_OFFSET >= 0x7FFF ? menuId + MENU_ID_OFFSET : menuId;
}

std::unique_ptr<wxMenu> CStoryListDlg::CreateStoryMenu() const {
    auto menu = std::make_unique<wxMenu>();
    menu->Append(MenuIdOf(ID_STORY_VIEW), "&View");
    menu->AppendSeparator();
    menu->Append(MenuIdOf(ID_STORY_BOOKMARK), "&Bookmark");
    auto* markAs = new wxMenu;
    markAs->Append(MenuIdOf(ID_STORY_MARK_NEW), "&New");
    markAs->Append(MenuIdOf(ID_STORY_MARK_UNREAD), "&Unread");
    markAs->Append(MenuIdOf(ID_STORY_MARK_READ), "&Read");
    menu->AppendSubMenu(markAs, "&Mark story as...");
    menu->Append(MenuIdOf(ID_STORY_DELETE), "&Delete");
    menu->Append(MenuIdOf(ID_STORY_PROPERTIES), "Story &Properties");
    menu->AppendSeparator();
    menu->Append(MenuIdOf(ID_STORY_SOURCE_STATUS), "&Source Status...");
    return menu;
}

int CStoryListDlg::TrackStoryMenu(wxMenu& menu, const wxPoint& at) { return GetPopupMenuSelectionFromUser(menu, at); }

wxPoint CStoryListDlg::FocusedRowPoint() const {
    long row = m_pList->GetNextItem(-1, wxLIST_NEXT_ALL, wxLIST_STATE_FOCUSED);
    if (row < 0) row = m_pList->GetNextItem(-1, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED);
    wxRect rect;
    if (row < 0 || !m_pList->GetItemRect(row, rect)) return ScreenToClient(m_pList->GetScreenPosition());
    return ScreenToClient(m_pList->ClientToScreen(wxPoint(rect.x + rect.height, rect.GetBottom())));
}

void CStoryListDlg::OnPopupMenu(const wxPoint& at) {
    if (m_pList->GetSelectedItemCount() == 0) return;
    std::unique_ptr<wxMenu> menu = CreateStoryMenu();
    const int chosen = TrackStoryMenu(*menu, at);
    if (chosen == wxID_NONE) return;
    wxCommandEvent command(wxEVT_MENU, CommandOfMenuId(chosen));
    command.SetEventObject(this);
    ProcessWindowEvent(command);
}

void CStoryListDlg::OnCharHook(wxKeyEvent& event) {
    // The key came to the window with the keyboard focus.
    const wxWindow* focus = wxDynamicCast(event.GetEventObject(), wxWindow);
    if (!focus) focus = FindFocus();
    const bool bInList = focus && (focus == m_pList || focus->GetParent() == m_pList);
    const int key = event.GetKeyCode();
    const bool bMenuKey =
        key == WXK_MENU || key == WXK_WINDOWS_MENU || (key == WXK_F10 && event.GetModifiers() == wxMOD_SHIFT);
    if (bInList && event.GetModifiers() == wxMOD_NONE && (key == WXK_DELETE || key == WXK_NUMPAD_DELETE)) {
        OnDelete();
    } else if (bInList && (key == WXK_RETURN || key == WXK_NUMPAD_ENTER)) {
        OnView();
    } else if (bInList && bMenuKey) {
        OnPopupMenu(FocusedRowPoint());
    } else if (key == WXK_F1 && event.GetModifiers() == wxMOD_NONE) {
        ShowHelp(focus);
    } else if (key == WXK_ESCAPE) {
        OnClose();
    } else {
        event.Skip();
    }
}

void CStoryListDlg::OnClose() {
    Hide();
    for (long i = 0, n = m_pList->GetRowCount(); i < n; ++i)
        if (m_pList->Row(i).image == IMAGE_NEW) m_pList->SetRowImage(i, IMAGE_UNREAD);
    m_core.Stories().MarkNewAsUnread();
    Recount();
}

void CStoryListDlg::ShowHelp(const wxWindow* focus) {
    // Done shares its id with other windows' controls: it has no topic here.
    int id = FindHelpControl(this, wxGetMousePosition());
    if (!HelpTopicForControl(id) || id == IDC_STORY_DONE) {
        // The control of this window that holds the focus (the list for its
        // inner windows); when that is the Help button, the one before it.
        if (!focus) focus = FindFocus();
        while (focus && !focus->IsTopLevel() && focus->GetParent() != this) focus = focus->GetParent();
        const bool bOwn =
            focus && !focus->IsTopLevel() && focus->GetParent() == this && focus->GetId() != IDC_STORY_HELP;
        id = bOwn ? focus->GetId() : m_nFocusedControl;
    }
    ShowHelpPopup(this, HelpTextForControl(id == IDC_STORY_DONE ? 0 : id));
}
