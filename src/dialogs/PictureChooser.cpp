#include "dialogs/PictureChooser.h"

#include <cwctype>

#include <wx/filename.h>

#include "model/Paths.h"
#include "model/PictureImport.h"
#include "model/Prompter.h"

namespace {

/// "png" becomes "*.[pP][nN][gG]".
wxString AnyCasePattern(const wxString& extension) {
    wxString pattern = "*.";
    for (const wxUniChar c : extension) {
        const wchar_t letter = static_cast<wchar_t>(c.GetValue());
        pattern << '[' << static_cast<wchar_t>(std::towlower(letter))
                << static_cast<wchar_t>(std::towupper(letter)) << ']';
    }
    return pattern;
}

}  // namespace

wxString PictureChooser::Wildcard() {
    const wxString extensions[] = {"png", "jpg", "jpeg", "bmp"};
    wxString patterns;
    for (const wxString& extension : extensions) {
        patterns << (patterns.empty() ? "" : ";") << AnyCasePattern(extension);
    }
    return "Pictures (*.png, *.jpg, *.jpeg, *.bmp)|" + patterns;
}

PictureChooser::PictureChooser(wxWindow* parent, long style)
    : wxFileDialog(parent, "Select file", wxEmptyString, wxEmptyString, Wildcard(), style) {}

std::optional<wxString> PictureChooser::ChooseName(const std::wstring& folder) {
    const wxString start = wxString(folder) + wxFileName::GetPathSeparator();
    SetPath(start);
    SetDirectory(start);
    if (ShowModal() != wxID_OK) {
        return std::nullopt;
    }
    // The toolkit's chooser tells the file it was left on; a path given with SetPath to a chooser
    // that never loaded it (answered without being shown) is the one given.
    const wxString path = GetPath().empty() ? wxFileDialogBase::GetPath() : GetPath();
    const wxString name = wxFileName(path).GetFullName();
    const std::string chosen = NativeName(path.ToStdWstring());
    // Back to the layout folder: the chooser does not hold on to a folder elsewhere (a stick
    // that is taken out) until it is shown again.
    SetPath(start);
    const std::string into = NativeName(folder);
    std::string reason;
    ImportOutcome outcome = ImportPicture(chosen, into, false, &reason);
    if (outcome == ImportOutcome::NameTaken) {
        const wxString question = wxString::Format(
            "The layout folder has another picture named \"%s\".\n\nReplace it with the one you "
            "chose, or keep the folder's own?",
            name);
        switch (GetPrompter().AskWithLabels(question.ToStdWstring(), L"Picture", L"Replace",
                                            L"Keep the folder's")) {
            case Prompter::Answer::Yes:
                outcome = ImportPicture(chosen, into, true, &reason);
                break;
            case Prompter::Answer::No:
                return name;
            default:
                return std::nullopt;
        }
    }
    if (outcome == ImportOutcome::Failed) {
        GetPrompter().ShowMessage(wxString::Format("%s was not copied into the layout folder:\n%s",
                                                   name, wxString::FromUTF8(reason.c_str()))
                                      .ToStdWstring());
        return std::nullopt;
    }
    return name;
}
