#include "ui/base/ContextHelp.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

#include <wx/tipwin.h>
#include <wx/utils.h>
#include <wx/window.h>

#include "ui/base/Resources.h"

namespace {

struct TopicRange {
    int first, last;  // control ids first to last
    int group;
    int representative;  // 0: each control is its own
};

// Keywords page 0x8C, News Sources page 0x69, Options page 0x6A, Connection
// page 0x85, Custom URL dialog 0x84, story list 0x9B.
constexpr TopicRange kTopics[] = {
    {1, 1, 0x8C, 0},          {1004, 1004, 0x8C, 0},    {1005, 1005, 0x8C, 1005},
    {1011, 1015, 0x8C, 1005}, {1031, 1036, 0x8C, 1031}, {1037, 1037, 0x8C, 0},
    {1169, 1170, 0x8C, 0},

    {1043, 1043, 0x69, 0},    {1044, 1044, 0x69, 1076}, {1046, 1047, 0x69, 1076},
    {1049, 1049, 0x69, 1076}, {1051, 1056, 0x69, 1076}, {1063, 1063, 0x69, 1076},
    {1065, 1065, 0x69, 1076}, {1076, 1076, 0x69, 1076}, {1199, 1199, 0x69, 1076}, {1057, 1057, 0x69, 0},
    {1175, 1175, 0x69, 0},    {1197, 1198, 0x69, 0},

    {1018, 1018, 0x6A, 0},    {1021, 1022, 0x6A, 0},    {1038, 1040, 0x6A, 0},
    {1042, 1042, 0x6A, 0},    {1060, 1060, 0x6A, 0},    {1068, 1068, 0x6A, 0},
    {1072, 1072, 0x6A, 0},    {1132, 1132, 0x6A, 0},    {1134, 1134, 0x6A, 0},
    {1154, 1156, 0x6A, 0},

    {1041, 1041, 0x85, 0},    {1091, 1095, 0x85, 1095}, {1111, 1114, 0x85, 1095},

    {1007, 1008, 0x84, 0},    {1017, 1017, 0x84, 0},    {1028, 1028, 0x84, 0},
    {1090, 1090, 0x84, 0},

    {1006, 1006, 0x9B, 0},    {1058, 1059, 0x9B, 0},    {1061, 1061, 0x9B, 0},
    {1167, 1167, 0x9B, 0},    {1140, 1140, 0x9B, 1140}, {1143, 1143, 0x9B, 1140},
    {1150, 1150, 0x9B, 1140}, {1141, 1142, 0x9B, 1141}, {1149, 1149, 0x9B, 1141},
    {1144, 1144, 0x9B, 1144}, {1146, 1146, 0x9B, 1144}, {1151, 1151, 0x9B, 1144},
    {1145, 1145, 0x9B, 1145}, {1147, 1148, 0x9B, 1145},
};

constexpr int kActiveCountId = 1181;

wxTipWindow* g_pHelpPopup = nullptr;
std::string g_strHelpPopupText;

bool ContainsPoint(wxWindow* control, const wxPoint& screenPoint) {
    if (!control->IsShownOnScreen()) return false;
    const wxPoint p = control->ScreenToClient(screenPoint);
    const wxSize size = control->GetSize();
    return p.x >= 0 && p.y >= 0 && p.x < size.x && p.y < size.y;
}

}  // namespace

std::uint32_t HelpTopicForControl(int id) {
    if (id == kActiveCountId) return kActiveCountId;
    for (const TopicRange& r : kTopics) {
        if (id < r.first || id > r.last) continue;
        const int representative = r.representative ? r.representative : id;
        return 0x80000000u + static_cast<std::uint32_t>(r.group) * 0x10000u +
               static_cast<std::uint32_t>(representative);
    }
    return 0;
}

bool CHelpFile::Load(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::ostringstream text;
    text << in.rdbuf();
    Parse(text.str());
    return true;
}

void CHelpFile::Parse(const std::string& text) {
    m_topics.clear();
    m_strContents.clear();
    std::istringstream in(text);
    std::string line, body;
    std::string* target = nullptr;
    auto finish = [&] {
        while (!body.empty() && (body.back() == '\n' || body.back() == ' ')) body.pop_back();
        if (target) *target = body;
        body.clear();
        target = nullptr;
    };
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty() && line[0] == '#') continue;
        if (line.size() > 2 && line.front() == '[' && line.back() == ']') {
            finish();
            const std::string name = line.substr(1, line.size() - 2);
            if (name == "contents") {
                target = &m_strContents;
            } else {
                char* end = nullptr;
                const unsigned long topic = std::strtoul(name.c_str(), &end, 16);
                if (end && *end == '\0') target = &m_topics[static_cast<std::uint32_t>(topic)];
            }
            continue;
        }
        if (target) body += line + "\n";
    }
    finish();
}

std::string CHelpFile::Topic(std::uint32_t topic) const {
    const auto it = m_topics.find(topic);
    return it == m_topics.end() ? std::string() : it->second;
}

const CHelpFile& ProgramHelpFile() {
    static const CHelpFile file = [] {
        CHelpFile f;
        f.Load(ResourceDir() + "Help/skimbolt.hlp");
        return f;
    }();
    return file;
}

int FindHelpControl(wxWindow* window, const wxPoint& screenPoint) {
    if (!window) return 0;
    // The first control found at the point wins, unless a later one lies
    // inside it: a page (the News Sources page's id is 105) or a frame
    // holds the controls that have the topics.
    wxWindow* found = nullptr;
    int foundId = 0;
    auto consider = [&](int id) {
        wxWindow* control = window->FindWindow(id);
        if (!control || control == window || !ContainsPoint(control, screenPoint)) return;
        if (!found || found->IsDescendant(control)) {
            found = control;
            foundId = id;
        }
    };
    // Select All and Clear lie inside the Categories frame, whose id is lower.
    for (int id : {1197, 1198}) consider(id);
    for (int id = 1; id <= 1199; ++id) consider(id);
    return foundId;
}

std::string HelpTextForControl(int id) {
    const CHelpFile& file = ProgramHelpFile();
    const std::uint32_t topic = id ? HelpTopicForControl(id) : 0;
    std::string text = topic ? file.Topic(topic) : std::string();
    if (text.empty()) text = file.Contents();
    if (text.empty()) text = "No help is available: the help file Help/skimbolt.hlp is missing.";
    return text;
}

void ShowHelpPopup(wxWindow* parent, const std::string& text) {
    CloseHelpPopup();
    g_strHelpPopupText = text;
    g_pHelpPopup = new wxTipWindow(parent, wxString::FromUTF8(text), 320, &g_pHelpPopup);
}

std::string OpenHelpPopupText() { return g_pHelpPopup ? g_strHelpPopupText : std::string(); }

void CloseHelpPopup() {
    if (g_pHelpPopup) {
        g_pHelpPopup->SetTipWindowPtr(nullptr);
        g_pHelpPopup->Close();
        g_pHelpPopup = nullptr;
    }
}

void ShowContextHelp(wxWindow* window) {
    int id = FindHelpControl(window, wxGetMousePosition());
    if (!HelpTopicForControl(id)) {
        const wxWindow* focus = wxWindow::FindFocus();
        if (focus && HelpTopicForControl(focus->GetId())) id = focus->GetId();
    }
    ShowHelpPopup(window, HelpTextForControl(id));
}
