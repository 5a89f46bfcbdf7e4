#pragma once

#include <wx/dialog.h>

#include "model/PanelState.h"

class PageRenderer;
class TransferSocket;

/// The dialogs the panel window keeps, as the menu and the editor ask for them.
enum class PanelDialog {
    ButtonMenu,
    ButtonSettings,
    ChangeStyle,
    PageSettings,
    PageSelect,
    MainSettings,
    Transmit
};

/// What the dialogs, the touch input and the editor do with the panel window: show pages and
/// buttons, switch edit modes, store the layout, reach the link and the transfer. The panel
/// window implements it and hands itself to each of them.
class PanelOperations {
  public:
    /// Load the pictures of a page, compose it and show it.
    virtual void LoadPage(int page) = 0;
    virtual void BuildPageBackground(int page) = 0;
    virtual void LoadButtonImages(int page) = 0;
    virtual void DrawPage(int page) = 0;
    virtual void DrawButton(int page, int button, int look) = 0;
    /// Every button of the page in its lamp look, without the background.
    virtual void DrawButtons(int page) = 0;
    virtual void RestoreBackground(int button, int x, int y) = 0;
    virtual int LampLook(int page, int button) const = 0;
    virtual PageRenderer& Renderer() = 0;
    /// Where the pointer is now, in page coordinates.
    virtual PagePoint PointerOnPage() const = 0;
    /// A finger has started to move a button: the button follows the pointer (OnMoveTimer) until
    /// the move ends.
    virtual void FollowMove() = 0;
    /// Fits the window and the page area to the client area of the display that holds it.
    virtual void FitToDisplay() = 0;

    /// Puts an edit mode in force (EditModes::Normal ends editing).
    virtual void SetEditMode(int mode) = 0;
    /// Brings the marks of the edit mode on the page up to date with the panel state.
    virtual void ShowEditMarks() = 0;
    /// Adds a button to the current page.
    virtual void InsertButton() = 0;
    /// A touch released in the menu area.
    virtual void MenuRequest() = 0;
    /// Normal operation again, the main menu shown again.
    virtual void BackToMainMenu() = 0;
    virtual wxDialog& Dialog(PanelDialog which) = 0;

    /// Writes the layout file and tells the user when that did not work; true once the new file
    /// is in place.
    virtual bool StoreLayoutAndReport() = 0;

    /// The selected button's press and release on the controller link. A touch whose press or
    /// release the link dropped (it is down) is cued on its button after the release.
    virtual void SendPress() = 0;
    virtual void SendRelease() = 0;
    /// Connects the controller link anew to the address and mode of the layout.
    virtual void Relink() = 0;
    /// The transfer of layout and pictures to another panel, once the panel has been shown.
    virtual TransferSocket* Transfer() const = 0;

  protected:
    ~PanelOperations() = default;
};
