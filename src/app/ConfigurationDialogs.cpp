#include "app/ConfigurationDialogs.h"

#include <algorithm>
#include <iterator>

#include "dialogs/ButtonDlg.h"
#include "dialogs/ButtonSettingsDlg.h"
#include "dialogs/ChangeStyleDlg.h"
#include "dialogs/FieldPads.h"
#include "dialogs/KeyboardDlg.h"
#include "dialogs/MenuDlg.h"
#include "dialogs/PageDlg.h"
#include "dialogs/PageSelectDlg.h"
#include "dialogs/PasswordDlg.h"
#include "dialogs/SettingsDlg.h"
#include "dialogs/TextKeyboardDlg.h"
#include "dialogs/TransmitDlg.h"
#include "panel/PageView.h"

ConfigurationDialogs::ConfigurationDialogs(wxWindow& parent, PanelDocument& document,
                                           PageView& view, ControllerLink& link, LayoutStore& store,
                                           PanelWindow& window)
    : m_document(document),
      m_view(view),
      m_editor(view, *this, document, view.Renderer(), view.Area()) {
    // The pads first: the fields of the other dialogs open them.
    m_keyboardDlg = new KeyboardDlg(&parent);
    m_textKeyboardDlg = new TextKeyboardDlg(&parent);
    m_fieldPads = std::make_unique<FieldPads>(*m_keyboardDlg, *m_textKeyboardDlg);
    FieldPads& pads = *m_fieldPads;
    m_menuDlg = new MenuDlg(&parent, *this, store, window);
    m_settingsDlg = new SettingsDlg(&parent, view, link, window, document, pads);
    m_buttonDlg = new ButtonDlg(&parent, *this);
    m_buttonSettingsDlg = new ButtonSettingsDlg(&parent, document, pads);
    m_passwordDlg = new PasswordDlg(&parent, document, pads);
    m_changeStyleDlg = new ChangeStyleDlg(&parent, document);
    m_pageSelectDlg = new PageSelectDlg(&parent, view, *this, document);
    m_pageDlg = new PageDlg(&parent, view, document, pads);
    m_transmitDlg = new TransmitDlg(&parent, link, store, document, pads);
}

// The dialogs are the parent's children and go with it.
ConfigurationDialogs::~ConfigurationDialogs() = default;

wxDialog& ConfigurationDialogs::Dialog(PanelDialog which) {
    switch (which) {
        case PanelDialog::ButtonMenu:
            return *m_buttonDlg;
        case PanelDialog::ButtonSettings:
            return *m_buttonSettingsDlg;
        case PanelDialog::ChangeStyle:
            return *m_changeStyleDlg;
        case PanelDialog::PageSettings:
            return *m_pageDlg;
        case PanelDialog::PageSelect:
            return *m_pageSelectDlg;
        case PanelDialog::MainSettings:
            return *m_settingsDlg;
        case PanelDialog::Transmit:
            break;
    }
    return *m_transmitDlg;
}

void ConfigurationDialogs::SetEditMode(int mode) {
    PanelState& panel = m_document.State();
    panel.EditMode = mode;
    if (mode == EditModes::Normal) {
        panel.StyleSourceMarked = false;
    }
    m_view.ShowTitle();
    m_view.ShowEditMarks();
}

void ConfigurationDialogs::BackToMainMenu() {
    SetEditMode(EditModes::Normal);
    m_menuDlg->ShowAgain();
}

void ConfigurationDialogs::InsertButton() {
    m_editor.Insert();
}

void ConfigurationDialogs::MenuRequest() {
    const PanelState& panel = m_document.State();
    if (panel.MenuUnlocked <= 0 && !m_document.Layout().Form.Form_Password.empty()) {
        m_passwordDlg->ShowModal();
        if (panel.MenuUnlocked <= 0) {
            return;
        }
    }
    switch (panel.EditMode) {
        case EditModes::Normal:
            m_menuDlg->ShowModal();
            break;
        case EditModes::Move:
        case EditModes::Settings:
        case EditModes::GetStyle:
        case EditModes::ChangeStyle:
        case EditModes::Delete:
            m_buttonDlg->ShowModal();
            break;
        default:
            break;
    }
}

void ConfigurationDialogs::CloseIfOurs(wxWindow* innermost) {
    const wxWindow* const ours[] = {m_menuDlg,           m_passwordDlg,    m_buttonDlg,
                                    m_buttonSettingsDlg, m_changeStyleDlg, m_pageDlg,
                                    m_pageSelectDlg,     m_settingsDlg,    m_keyboardDlg,
                                    m_textKeyboardDlg,   m_transmitDlg};
    if (innermost == nullptr ||
        std::find(std::begin(ours), std::end(ours), innermost) == std::end(ours)) {
        return;
    }
    if (innermost == m_transmitDlg && m_transmitDlg->IsWaiting()) {
        return;
    }
    innermost->Close();
}
