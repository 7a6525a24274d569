// CSkimboltApp: the desktop application object. It reads the command line,
// finds the application folder, makes sure only one desktop program runs on
// it, brings up the application core and the hidden main window, and starts
// the scanning thread.
#pragma once

#include <memory>
#include <string>

#include <wx/app.h>

class CAppCore;
class CInstanceLink;
class CSkimboltDlg;
class CWxMessageBoxSink;

// What the desktop program takes from its command line.
struct DesktopCommandLine {
    std::string home;  // --home DIR; "" when not given
};
DesktopCommandLine ParseDesktopCommandLine(int argc, const char* const* argv);

class CSkimboltApp : public wxApp {
public:
    CSkimboltApp();
    ~CSkimboltApp() override;

    bool OnInit() override;
    int OnRun() override;
    int OnExit() override;

    // The Exit command, from outside the tray menu (a stop signal).
    void RequestExit();

    // The help file's path: Help/ in the application folder, named after the program.
    const std::string& GetHelpFile() const { return m_strHelpFile; }

private:
    bool StartUp();
    void EndWithoutRunning();

    std::unique_ptr<CWxMessageBoxSink> m_pBoxes;
    std::unique_ptr<CAppCore> m_pCore;
    std::unique_ptr<CInstanceLink> m_pInstance;
    CSkimboltDlg* m_pMainWnd = nullptr;
    std::string m_strHelpFile;
    bool m_bSecondStart = false;
};

wxDECLARE_APP(CSkimboltApp);
