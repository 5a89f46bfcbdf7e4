#include "app/WxPrompter.h"

#include <unistd.h>

#include <cstdio>

#include <wx/dirdlg.h>
#include <wx/msgdlg.h>

bool WxPrompter::ChooseDirectory(const std::wstring& message, const std::wstring& start,
                                 std::wstring& folder) {
    wxDirDialog chooser(nullptr, message, start, wxDD_DEFAULT_STYLE);
    if (chooser.ShowModal() != wxID_OK) {
        return false;
    }
    folder = chooser.GetPath().ToStdWstring();
    return true;
}

void WxPrompter::ShowMessage(const std::wstring& text) {
    wxMessageBox(text, wxMessageBoxCaptionStr, wxOK | wxCENTRE, m_dialogs.Innermost());
}

Prompter::Answer WxPrompter::AskYesNoCancel(const std::wstring& text, const std::wstring& caption) {
    switch (wxMessageBox(text, caption, wxYES_NO | wxCANCEL | wxCENTRE, m_dialogs.Innermost())) {
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

Prompter::Answer WxPrompter::AskYesNo(const std::wstring& text, const std::wstring& caption) {
    const int answer = wxMessageBox(text, caption, wxYES_NO | wxCENTRE, m_dialogs.Innermost());
    return answer == wxYES ? Answer::Yes : Answer::No;
}

Prompter::Answer WxPrompter::AskWithLabels(const std::wstring& text, const std::wstring& caption,
                                           const std::wstring& yes, const std::wstring& no) {
    wxMessageDialog box(m_dialogs.Innermost(), text, caption, wxYES_NO | wxCANCEL | wxCENTRE);
    box.SetYesNoCancelLabels(wxString(yes), wxString(no), wxID_CANCEL);
    switch (box.ShowModal()) {
        case wxID_YES:
            return Answer::Yes;
        case wxID_NO:
            return Answer::No;
        default:
            return Answer::Cancel;
    }
}

void WxPrompter::ExitProcess(int code) {
    std::fflush(nullptr);
    ::_exit(code);
}
