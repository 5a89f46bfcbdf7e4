#pragma once

#include <memory>

#include "model/PanelDocument.h"
#include "panel/EditSession.h"
#include "panel/PanelDialogs.h"
#include "panel/PanelEditor.h"

class ButtonDlg;
class ButtonSettingsDlg;
class ChangeStyleDlg;
class ControllerLink;
class FieldPads;
class KeyboardDlg;
class LayoutStore;
class MenuDlg;
class PageDlg;
class PageSelectDlg;
class PageView;
class PanelWindow;
class PasswordDlg;
class SettingsDlg;
class TextKeyboardDlg;
class TransmitDlg;
class wxWindow;

/// The panel's configuration dialogs, created once with the panel window as their parent and
/// kept for the whole run, and the editing they drive: the menu a touch in the menu area opens,
/// the edit modes, the editor that moves, restyles, deletes and inserts buttons.
class ConfigurationDialogs final : public PanelDialogs, public EditSession {
  public:
    ConfigurationDialogs(wxWindow& parent, PanelDocument& document, PageView& view,
                         ControllerLink& link, LayoutStore& store, PanelWindow& window);
    ~ConfigurationDialogs();
    ConfigurationDialogs(const ConfigurationDialogs&) = delete;
    ConfigurationDialogs& operator=(const ConfigurationDialogs&) = delete;

    wxDialog& Dialog(PanelDialog which) override;

    void SetEditMode(int mode) override;
    /// "Back" of the button menu and of the page selection: normal operation again, the main
    /// menu shown again, the page's name in the title.
    void BackToMainMenu() override;
    /// Adds a button to the current page, as the I key does (the button menu's insert).
    void InsertButton() override;
    void MenuRequest() override;

    /// Closes `innermost` as its close box would when it is one of these dialogs and not at
    /// work (a transfer under way ends by itself, within its deadlines).
    void CloseIfOurs(wxWindow* innermost);

    PanelEditor& Editor() { return m_editor; }
    MenuDlg& Menu() const { return *m_menuDlg; }
    PasswordDlg& Password() const { return *m_passwordDlg; }
    ButtonDlg& ButtonMenu() const { return *m_buttonDlg; }
    ButtonSettingsDlg& ButtonSettings() const { return *m_buttonSettingsDlg; }
    ChangeStyleDlg& ChangeStyle() const { return *m_changeStyleDlg; }
    PageDlg& PageSettings() const { return *m_pageDlg; }
    PageSelectDlg& PageSelect() const { return *m_pageSelectDlg; }
    SettingsDlg& MainSettings() const { return *m_settingsDlg; }
    TransmitDlg& Transmit() const { return *m_transmitDlg; }
    KeyboardDlg& Keyboard() const { return *m_keyboardDlg; }
    /// The on-screen keyboard for text fields; it and the keypad open on a long touch.
    TextKeyboardDlg& TextKeyboard() const { return *m_textKeyboardDlg; }

  private:
    PanelDocument& m_document;
    PageView& m_view;
    PanelEditor m_editor;
    std::unique_ptr<FieldPads> m_fieldPads;
    KeyboardDlg* m_keyboardDlg = nullptr;
    TextKeyboardDlg* m_textKeyboardDlg = nullptr;
    MenuDlg* m_menuDlg = nullptr;
    SettingsDlg* m_settingsDlg = nullptr;
    ButtonDlg* m_buttonDlg = nullptr;
    ButtonSettingsDlg* m_buttonSettingsDlg = nullptr;
    PasswordDlg* m_passwordDlg = nullptr;
    ChangeStyleDlg* m_changeStyleDlg = nullptr;
    PageSelectDlg* m_pageSelectDlg = nullptr;
    PageDlg* m_pageDlg = nullptr;
    TransmitDlg* m_transmitDlg = nullptr;
};
