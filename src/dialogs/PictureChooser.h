#pragma once

#include <optional>
#include <string>

#include <wx/filedlg.h>

/// The file chooser of the picture buttons of the button and page settings. It opens in the
/// layout folder and lists the pictures the panel draws (PNG, JPEG and BMP files, their names in
/// any letter case), and hands back the chosen file's bare name: the layout keeps bare names and
/// resolves them against the layout folder; a picture chosen elsewhere is neither copied nor
/// checked.
class PictureChooser : public wxFileDialog {
  public:
    PictureChooser(wxWindow* parent, long style);

    /// Shows the chooser in `folder`; the chosen file's name without its folder, or nothing when
    /// the user cancels.
    std::optional<wxString> ChooseName(const std::wstring& folder);

    /// The chooser's wildcard. The toolkit's chooser here takes each pattern exactly as written,
    /// blanks and letter case included, so every type is spelled out for both cases.
    static wxString Wildcard();
};
