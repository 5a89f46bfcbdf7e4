#pragma once

/// What the dialogs, the editor and the touch input ask of the page on screen: load a page's
/// pictures, compose it, draw its buttons and the marks of the edit mode. The page view does it.
class PageOperations {
  public:
    /// Loads the pictures of a page (a required one missing ends the panel) and composes it.
    virtual void LoadPage(int page) = 0;
    virtual void BuildPageBackground(int page) = 0;
    virtual void LoadButtonImages(int page) = 0;
    /// Draws the page with its buttons in their lamp looks, and the title that names it.
    virtual void DrawPage(int page) = 0;
    virtual void DrawButton(int page, int button, int look) = 0;
    /// Every button of the page in its lamp look, without the background.
    virtual void DrawButtons(int page) = 0;
    /// The page's background where a button stood at (x, y).
    virtual void RestoreBackground(int button, int x, int y) = 0;
    /// Brings the marks of the edit mode on the page up to date with the panel state.
    virtual void ShowEditMarks() = 0;

  protected:
    ~PageOperations() = default;
};
