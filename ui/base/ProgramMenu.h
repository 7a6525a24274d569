// The program's menu: what the tray icon's menu offers (Open, View Stories,
// Scan Now / Stop Scanning, Disable / Enable, About, Exit), with texts that
// follow the program's state. The story list and the settings sheet offer it
// from a button too, so that it stays within reach on a desktop without a
// tray.
#pragma once

#include <memory>
#include <string>
#include <vector>

class CAppCore;
class wxMenu;
class wxWindow;

struct ProgramMenuItem {
    int commandId;     // 0 for a separator
    std::string text;  // with its mnemonic
};

// The items in menu order, the texts of Scan Now and Disable set from the state.
std::vector<ProgramMenuItem> ProgramMenuItems(CAppCore& core);

// Toolkit menus take ids below 0x7FFF only: each item's id is its command id
// less PROGRAM_MENU_ID_OFFSET.
constexpr int PROGRAM_MENU_ID_OFFSET = 0x4000;
std::unique_ptr<wxMenu> CreateProgramMenu(const std::vector<ProgramMenuItem>& items);

// Pops the menu up below button and sends the chosen command.
void PopupProgramMenu(wxWindow* button, CAppCore& core);
// Sends the command, queued, to the window that owns from's window (the main
// window), else to the application's top window.
void SendProgramCommand(wxWindow* from, int commandId);
