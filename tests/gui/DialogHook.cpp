#include "gui/DialogHook.h"

#include <mutex>

#include <gtest/gtest.h>
#include <wx/msgdlg.h>

namespace {

std::mutex g_unexpectedMutex;
std::vector<std::string> g_unexpected;

void RecordUnexpected(const std::string& what) {
    std::lock_guard<std::mutex> lock(g_unexpectedMutex);
    g_unexpected.push_back(what);
}

}  // namespace

std::vector<std::string> UnexpectedDialogs() {
    std::lock_guard<std::mutex> lock(g_unexpectedMutex);
    return g_unexpected;
}

void ClearUnexpectedDialogs() {
    std::lock_guard<std::mutex> lock(g_unexpectedMutex);
    g_unexpected.clear();
}

std::string DescribeDialog(wxDialog* dialog) {
    if (auto* box = dynamic_cast<wxMessageDialog*>(dialog))
        return "message box \"" + box->GetMessage().utf8_string() + "\"";
    return "dialog \"" + dialog->GetTitle().utf8_string() + "\"";
}

int CStrayDialogHook::Enter(wxDialog* dialog) {
    const std::string what = DescribeDialog(dialog);
    RecordUnexpected(what);
    ADD_FAILURE() << "Unexpected modal " << what << " was cancelled";
    return wxID_CANCEL;
}

CExpectDialogHook::CExpectDialogHook(const char* file, int line, const char* func)
    : wxTestingModalHook(file, line, func), m_pszFile(file), m_nLine(line) {}

int CExpectDialogHook::Enter(wxDialog* dialog) {
    const int result = wxTestingModalHook::Enter(dialog);
    if (result != wxID_NONE) return result;
    // The base class has reported the surprise; never let the dialog show.
    RecordUnexpected(DescribeDialog(dialog));
    return wxID_CANCEL;
}

void CExpectDialogHook::ReportFailure(const wxString& message) {
    ADD_FAILURE_AT(m_pszFile ? m_pszFile : __FILE__, m_pszFile ? m_nLine : __LINE__)
        << message.utf8_string();
}
