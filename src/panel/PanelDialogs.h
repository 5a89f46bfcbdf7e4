#pragma once

class wxDialog;

/// The dialogs the panel keeps, as the menu and the editor ask for them.
enum class PanelDialog {
    ButtonMenu,
    ButtonSettings,
    ChangeStyle,
    PageSettings,
    PageSelect,
    MainSettings,
    Transmit
};

/// Hands the menu and the editor the dialog they open.
class PanelDialogs {
  public:
    virtual wxDialog& Dialog(PanelDialog which) = 0;

  protected:
    ~PanelDialogs() = default;
};
