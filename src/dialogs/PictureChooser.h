#pragma once

#include <optional>
#include <string>

#include <wx/filedlg.h>

/// The file chooser of the picture buttons of the button and page settings. It opens in the
/// layout folder and lists the pictures the panel draws (PNG, JPEG and BMP files, their names in
/// any letter case), and hands back the chosen file's bare name: the layout keeps bare names and
/// resolves them against the layout folder. A picture chosen elsewhere is copied into the layout
/// folder first; when the folder has a different file of that name, the user chooses between
/// replacing it, keeping the folder's, and choosing nothing.
class PictureChooser : public wxFileDialog {
  public:
    PictureChooser(wxWindow* parent, long style);

    /// Shows the chooser in `folder`; the chosen file's name without its folder, once the file
    /// is in `folder`, or nothing when the user cancels or the file cannot be copied there (which
    /// a message says).
    std::optional<wxString> ChooseName(const std::wstring& folder);

    /// The chooser's wildcard. The toolkit's chooser here takes each pattern exactly as written,
    /// blanks and letter case included, so every type is spelled out for both cases.
    static wxString Wildcard();
};
