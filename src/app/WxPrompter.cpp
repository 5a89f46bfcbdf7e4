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

namespace {

/// The answer of a message box by the button that ended it.
Prompter::Answer AnswerOf(int button) {
    switch (button) {
        case wxID_YES:
            return Prompter::Answer::Yes;
        case wxID_NO:
            return Prompter::Answer::No;
        case wxID_CANCEL:
            return Prompter::Answer::Cancel;
        default:
            return Prompter::Answer::Ok;
    }
}

}  // namespace

Prompter::Answer WxPrompter::AskYesNoCancel(const std::wstring& text, const std::wstring& caption) {
    wxMessageDialog box(m_dialogs.Innermost(), text, caption, wxYES_NO | wxCANCEL | wxCENTRE);
    return AnswerOf(box.ShowModal());
}

Prompter::Answer WxPrompter::AskYesNo(const std::wstring& text, const std::wstring& caption) {
    const int answer = wxMessageBox(text, caption, wxYES_NO | wxCENTRE, m_dialogs.Innermost());
    return answer == wxYES ? Answer::Yes : Answer::No;
}

Prompter::Answer WxPrompter::AskWithLabels(const std::wstring& text, const std::wstring& caption,
                                           const std::wstring& yes, const std::wstring& no) {
    wxMessageDialog box(m_dialogs.Innermost(), text, caption, wxYES_NO | wxCANCEL | wxCENTRE);
    box.SetYesNoCancelLabels(wxString(yes), wxString(no), wxID_CANCEL);
    return AnswerOf(box.ShowModal());
}

void WxPrompter::ExitProcess(int code) {
    std::fflush(nullptr);
    ::_exit(code);
}
