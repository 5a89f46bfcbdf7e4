#include "app/MainApp.h"

#include <csignal>
#include <cstdio>
#include <exception>
#include <new>

#include <wx/event.h>
#include <wx/image.h>

#include "app/MainDialog.h"
#include "app/WaitingPage.h"
#include "model/Journal.h"
#include "model/StartOptions.h"

namespace {

/// What the exception being handled says, for a message.
std::wstring CurrentFailure() {
    try {
        throw;
    } catch (const std::bad_alloc&) {
        return L"out of memory";
    } catch (const std::exception& failure) {
        return wxString::FromUTF8(failure.what()).ToStdWstring();
    } catch (...) {
        return L"unknown failure";
    }
}

/// A stop asked from outside (the user's service manager, the session ending) is told, and then
/// ends the panel as the signal would have without the handler.
void EndBySignal(int signal) {
    Journal().Info("end: stopped by signal " + std::to_string(signal) + " (" +
                   sigabbrev_np(signal) + ")");
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

}  // namespace

bool MainApp::OnInit() {
    // The formats the panel shows; the picture header reader tells which decoder a file needs.
    wxImage::AddHandler(new wxPNGHandler);
    wxImage::AddHandler(new wxJPEGHandler);
    // Idle and interface-update events go only to windows that ask for them (none do): a panel
    // that waits is not woken up to walk its hidden dialogs.
    wxIdleEvent::SetMode(wxIDLE_PROCESS_SPECIFIED);
    wxUpdateUIEvent::SetMode(wxUPDATE_UI_PROCESS_SPECIFIED);
    SetPrompter(&m_prompter);
    for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
        SetSignalHandler(signal, EndBySignal);
    }
    try {
        if (m_waitForLayout) {
            WaitForLayout();
        }
        m_dialog = new MainDialog(m_document, m_modalDialogs, nullptr, wxID_ANY, m_folder,
                                  std::make_unique<File>(), m_lockTime);
        if (m_dialog->StartedUp()) {
            SetTopWindow(m_dialog);
            m_dialog->ShowModal();
        }
    } catch (...) {
        // Nothing is lost yet: the layout is stored only by a store that went through.
        const std::wstring failure = CurrentFailure();
        Journal().Error("tolvamix: cannot start: " + wxString(failure).utf8_string() +
                        " (exit code 1)");
        m_prompter.ShowMessage(L"Tolvamix cannot start: " + failure);
        m_prompter.ExitProcess(ExitCodes::kFailure);
    }
    if (m_dialog != nullptr) {
        m_dialog->Destroy();
        m_dialog = nullptr;
    }
    return false;
}

void MainApp::WaitForLayout() {
    const File file;
    WaitingPage page(m_folder, file);
    if (!page.Ready()) {
        SetTopWindow(&page);
        // The page lies over the whole screen by itself.
        m_modalDialogs.SetPanel(&page);
        page.ShowModal();
        m_modalDialogs.SetPanel(nullptr);
        SetTopWindow(nullptr);
    }
}

bool MainApp::OnExceptionInMainLoop() {
    // A panel on a wall carries on: what failed was one event, the layout in memory is whole.
    const std::wstring failure = CurrentFailure();
    Journal().Error("tolvamix: an event failed and was skipped: " +
                    wxString(failure).utf8_string());
    if (!m_failureShown) {
        // Once: a failure that repeats with every redraw must not pile up message boxes.
        m_failureShown = true;
        m_prompter.ShowMessage(L"An action failed and was skipped: " + failure);
    }
    return true;
}

void MainApp::OnUnhandledException() {
    Journal().Error("tolvamix: ended by a failure: " + wxString(CurrentFailure()).utf8_string());
}
