#include "app/WxPrompter.h"

#include <unistd.h>

#include <cstdio>

#include <wx/app.h>
#include <wx/dirdlg.h>
#include <wx/msgdlg.h>

namespace {
/// Message boxes belong to the panel window, so that they stay above a panel kept on top.
wxWindow* Owner() {
    return wxTheApp != nullptr ? wxTheApp->GetTopWindow() : nullptr;
}
}  // namespace

bool WxPrompter::ChooseDirectory(const std::wstring& message, std::wstring& folder) {
    wxDirDialog chooser(nullptr, message, wxEmptyString, wxDD_DEFAULT_STYLE);
    if (chooser.ShowModal() != wxID_OK) {
        return false;
    }
    folder = chooser.GetPath().ToStdWstring();
    return true;
}

void WxPrompter::ShowMessage(const std::wstring& text) {
    wxMessageBox(text, wxMessageBoxCaptionStr, wxOK | wxCENTRE, Owner());
}

Prompter::Answer WxPrompter::AskYesNoCancel(const std::wstring& text, const std::wstring& caption) {
    switch (wxMessageBox(text, caption, wxYES_NO | wxCANCEL | wxCENTRE, Owner())) {
        case wxYES:
            return Answer::Yes;
        case wxNO:
            return Answer::No;
        case wxCANCEL:
            return Answer::Cancel;
        default:
            return Answer::Ok;
    }
}

void WxPrompter::ExitProcess(int code) {
    std::fflush(nullptr);
    ::_exit(code);
}
