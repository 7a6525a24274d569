#include "ui/shell/Application.h"

#include <csignal>
#include <cstdio>
#include <string_view>

#include <wx/filename.h>
#include <wx/image.h>
#include <wx/msgdlg.h>
#include <wx/stdpaths.h>

#include "app/AppCore.h"
#include "app/HomeFolder.h"
#include "res/resource.h"
#include "ui/shell/InstanceLink.h"
#include "ui/shell/MainWindow.h"
#include "ui/shell/SplashWindow.h"
#include "ui/base/WxMessageBoxSink.h"

wxIMPLEMENT_APP_NO_MAIN(CSkimboltApp);

DesktopCommandLine ParseDesktopCommandLine(int argc, const char* const* argv) {
    DesktopCommandLine line;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--home" && i + 1 < argc) {
            line.home = argv[++i];
        } else if (arg.substr(0, 7) == "--home=") {
            line.home = std::string(arg.substr(7));
        }
    }
    return line;
}

namespace {
// SIGTERM (the session ending) and SIGINT: the orderly exit of the Exit
// command. Called from the event loop, not from the signal itself.
void OnStopSignal(int) { wxGetApp().RequestExit(); }
}  // namespace

CSkimboltApp::CSkimboltApp() = default;
CSkimboltApp::~CSkimboltApp() = default;

bool CSkimboltApp::OnInit() {
    wxInitAllImageHandlers();
    SetAppName("skimbolt");
    if (StartUp()) return true;
    EndWithoutRunning();
    return false;
}

bool CSkimboltApp::StartUp() {
    std::vector<std::string> args;
    for (int i = 0; i < argc; ++i) args.push_back(argv[i].utf8_string());
    std::vector<const char*> argp;
    for (const std::string& a : args) argp.push_back(a.c_str());
    const DesktopCommandLine line = ParseDesktopCommandLine(static_cast<int>(argp.size()), argp.data());
    CSplashWnd::EnableSplashScreen(CSplashWnd::ShowSplashFromCommandLine(static_cast<int>(argp.size()), argp.data()));

    m_pBoxes = std::make_unique<CWxMessageBoxSink>();
    m_pCore = std::make_unique<CAppCore>(*m_pBoxes);
    CAppCore& core = *m_pCore;
    core.FindApplicationFolder(ExplicitHomeFolder(line.home), RegistryFile());

    // One desktop program per folder: a second start hands over and ends.
    m_pInstance = std::make_unique<CInstanceLink>(core.GetAppDir());
    std::string error;
    switch (m_pInstance->TakeLock(error)) {
    case CInstanceLink::Start::First:
        break;
    case CInstanceLink::Start::Second:
        if (!m_pInstance->AskRunningToComeForward())
            std::fprintf(stderr, "skimbolt: Skimbolt already runs on %s but does not answer\n", core.GetAppDir().c_str());
        m_bSecondStart = true;
        return true;
    case CInstanceLink::Start::Refused:
        wxMessageBox(wxString::FromUTF8("Skimbolt cannot start: " + error + "."), "Skimbolt", wxOK | wxICON_ERROR);
        return false;
    }
    if (!m_pInstance->Listen([this] { if (m_pMainWnd) m_pMainWnd->ComeForward(); }, error))
        std::fprintf(stderr, "skimbolt: a second start cannot reach this one: %s\n", error.c_str());

    if (!core.PrepareFolder(error) || !core.LockFolder(error)) {
        wxMessageBox(wxString::FromUTF8("Skimbolt cannot start: " + error + "."), "Skimbolt",
                     wxOK | wxICON_ERROR);
        return false;
    }
    core.LoadData();
    core.Config().RefreshAutostart(wxStandardPaths::Get().GetExecutablePath().utf8_string());

    m_pMainWnd = new CSkimboltDlg(core);
    m_pMainWnd->Hide();
    SetTopWindow(m_pMainWnd);
    m_pBoxes->SetOwner(m_pMainWnd);

    if (!core.StartNetwork()) return false;
    core.CreateScanner(m_pMainWnd->MessageTarget());
    if (!core.StartScanningThread()) return false;

    const wxFileName program(wxStandardPaths::Get().GetExecutablePath());
    m_strHelpFile = core.GetAppDir() + "Help/" + program.GetName().utf8_string() + ".hlp";
    m_pMainWnd->StartFetchWatchdog(CAppCore::WATCHDOG_PERIOD_MS);
    SetSignalHandler(SIGTERM, OnStopSignal);
    SetSignalHandler(SIGINT, OnStopSignal);
    return true;
}

void CSkimboltApp::EndWithoutRunning() {
    if (m_pMainWnd) {
        m_pBoxes->SetOwner(nullptr);
        delete m_pMainWnd;
        m_pMainWnd = nullptr;
    }
    m_pCore.reset();
    m_pInstance.reset();
}

void CSkimboltApp::RequestExit() {
    if (!m_pMainWnd) return;
    wxCommandEvent exit(wxEVT_MENU, ID_TRAY_EXIT);
    m_pMainWnd->GetEventHandler()->ProcessEvent(exit);
}

int CSkimboltApp::OnRun() {
    if (m_bSecondStart) return 0;
    return wxApp::OnRun();
}

int CSkimboltApp::OnExit() {
    // The main window was closed (the scanning thread stopped at its exit);
    // it may still wait to be deleted, and it uses the core until then.
    DeletePendingObjects();
    m_pMainWnd = nullptr;
    if (m_pBoxes) m_pBoxes->SetOwner(nullptr);
    m_pCore.reset();
    m_pInstance.reset();
    return wxApp::OnExit();
}
