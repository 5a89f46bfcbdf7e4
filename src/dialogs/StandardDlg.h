#pragma once

#include <wx/dialog.h>

/// The base of the panel's own dialogs and pads. It gives each the same window style (caption,
/// system menu, close box, on top of the panel), puts it where it is first shown, and keeps it
/// wholly on its display for the length of each modal run (KeepOnDisplay).
///
/// Values move in the toolkit's idiom: a dialog fills its controls in TransferDataToWindow,
/// which runs each time it is shown, and writes them back in TransferDataFromWindow, which the
/// "OK" button (`wxID_OK`) runs before it ends the dialog; a false there keeps the dialog open.
/// "Cancel" is `wxID_CANCEL`, so Escape and the close box cancel too, unless a dialog binds its
/// own close handler. Whoever shows a dialog applies its result to the panel once ShowModal
/// gives `wxID_OK`; a dialog whose result must reach the panel while it still shows (a message
/// the panel gives then belongs over it) applies it as its modal run ends (EndModal).
class StandardDlg : public wxDialog {
  public:
    int ShowModal() override;

  protected:
    /// Where a dialog is first shown.
    enum class Centring {
        OverParent,  ///< centred over the panel window (or the window it belongs to)
        OnScreen,    ///< centred on the screen
    };

    /// `extraStyle` adds to the common style (the pads' themed border).
    StandardDlg(wxWindow* parent, const wxString& title, long extraStyle = 0);

    /// Gives the dialog its client size and its first place; called once its controls are made.
    void Place(const wxSize& clientSize, Centring centring);
};
