// Context help: the help topic of each control that has one, the program's
// help file that holds the topics' texts, and the pop-up shown for the
// control under the mouse when a Help button (or F1) is pressed.
#pragma once

#include <cstdint>
#include <map>
#include <string>

#include <wx/gdicmn.h>

class wxWindow;

// The help topic of a control id, 0 when the control has none. Topics are
// 0x80000000 + group * 0x10000 + the id of the control that represents its
// kind (word fields share the first field's topic, and so on); the count
// of active sources has the topic 1181 itself.
std::uint32_t HelpTopicForControl(int id);

// The help file: topics written as a line "[808C03ED]" followed by the
// topic's text up to the next such line; "[contents]" is the text shown
// where no control has a topic. Lines starting with '#' are comments.
class CHelpFile {
public:
    bool Load(const std::string& path);
    void Parse(const std::string& text);
    // The topic's text, "" when the file has none.
    std::string Topic(std::uint32_t topic) const;
    std::string Contents() const { return m_strContents; }

private:
    std::map<std::uint32_t, std::string> m_topics;
    std::string m_strContents;
};

// The program's help file, read once: Help/skimbolt.hlp in the resource folder.
const CHelpFile& ProgramHelpFile();

// The control whose help is wanted at a point of the screen, looked up in
// window: first the ids 1197 and 1198, then 1 to 1199; the first control
// that exists, is shown and contains the point, or a control found later
// that lies inside it (a control within a page or a frame). 0 when none.
int FindHelpControl(wxWindow* window, const wxPoint& screenPoint);

// The text shown for a control: its topic's text, or the help file's
// contents when the control has no topic (or id is 0).
std::string HelpTextForControl(int id);

// Shows the text as a pop-up near the mouse; it goes away at the next click
// or key. A pop-up still open is closed first.
void ShowHelpPopup(wxWindow* parent, const std::string& text);
// The text of the pop-up that is open, "" when none is (for tests).
std::string OpenHelpPopupText();
void CloseHelpPopup();

// What the Help command (or F1) does in an ordinary dialog: the text of the
// control under the mouse pointer in window, else of the control with the
// keyboard focus, else the overview, as a pop-up.
void ShowContextHelp(wxWindow* window);
