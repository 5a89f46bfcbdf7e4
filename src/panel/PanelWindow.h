#pragma once

/// What the main settings and the menu ask of the panel window itself.
class PanelWindow {
  public:
    /// Gives the window the layout's size and fits it to the display that holds it.
    virtual void ResizeToLayout() = 0;
    /// Asks the window to close ("SAVE CHANGES ?" when the layout has changes not stored); the
    /// process ends with `exitCode` unless the user cancels.
    virtual void Quit(int exitCode) = 0;

  protected:
    ~PanelWindow() = default;
};
