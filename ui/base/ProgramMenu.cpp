#include "ui/base/ProgramMenu.h"

#include <wx/app.h>
#include <wx/menu.h>
#include <wx/toplevel.h>
#include <wx/window.h>

#include "app/AppCore.h"
#include "res/resource.h"

std::vector<ProgramMenuItem> ProgramMenuItems(CAppCore& core) {
    return {{ID_TRAY_OPEN, "&Open"},
            {ID_TRAY_VIEW_STORIES, "&View Stories"},
            {0, ""},
            {ID_TRAY_SCAN_NOW, core.IsScanning() ? "&Stop Scanning" : "&Scan Now"},
            {ID_TRAY_DISABLE, core.IsEnabled() ? "&Disable" : "&Enable"},
            {ID_TRAY_ABOUT, "&About Skimbolt"},
            {0, ""},
            {ID_TRAY_EXIT, "E&xit"}};
}

std::unique_ptr<wxMenu> CreateProgramMenu(const std::vector<ProgramMenuItem>& items) {
    auto menu = std::make_unique<wxMenu>();
    for (const ProgramMenuItem& item : items) {
        if (item.commandId == 0)
            menu->AppendSeparator();
        else
            menu->Append(item.commandId - PROGRAM_MENU_ID_OFFSET, wxString::FromUTF8(item.text));
    }
    return menu;
}

void PopupProgramMenu(wxWindow* button, CAppCore& core) {
    std::unique_ptr<wxMenu> menu = CreateProgramMenu(ProgramMenuItems(core));
    wxWindow* parent = button->GetParent();
    const wxPoint below = parent->ScreenToClient(button->ClientToScreen(wxPoint(0, button->GetSize().y)));
    const int chosen = parent->GetPopupMenuSelectionFromUser(*menu, below);
    if (chosen != wxID_NONE) SendProgramCommand(button, chosen + PROGRAM_MENU_ID_OFFSET);
}

void SendProgramCommand(wxWindow* from, int commandId) {
    wxWindow* owner = wxGetTopLevelParent(from);
    owner = owner ? owner->GetParent() : nullptr;
    if (!owner && wxTheApp) owner = wxTheApp->GetTopWindow();
    if (owner) owner->GetEventHandler()->QueueEvent(new wxCommandEvent(wxEVT_MENU, commandId));
}
