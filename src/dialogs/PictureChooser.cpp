#include "dialogs/PictureChooser.h"

#include <cwctype>

#include <wx/filename.h>

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
    const wxString path = wxString(folder) + wxFileName::GetPathSeparator();
    SetPath(path);
    SetDirectory(path);
    if (ShowModal() != wxID_OK) {
        return std::nullopt;
    }
    return wxFileName(GetFilename()).GetFullName();
}
