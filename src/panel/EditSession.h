#pragma once

/// What the button menu, the page selection and the touch input ask of the panel's editing:
/// switch edit modes, add a button, open the menu that a touch in the menu area asks for.
class EditSession {
  public:
    /// Puts an edit mode in force (EditModes::Normal ends editing): the title and the page show
    /// it until it ends.
    virtual void SetEditMode(int mode) = 0;
    /// Normal operation again, the main menu shown again.
    virtual void BackToMainMenu() = 0;
    /// Adds a button to the current page.
    virtual void InsertButton() = 0;
    /// A touch released in the menu area: the password prompt when one is needed, then the
    /// main menu, or the button menu while an edit operation waits for a touch.
    virtual void MenuRequest() = 0;

  protected:
    ~EditSession() = default;
};
