#pragma once

#include <array>
#include <cstddef>

#include <wx/dialog.h>

#include "model/FieldEntry.h"
#include "model/SettingsForm.h"

class FieldPads;
class PanelDocument;
class PanelOperations;
class wxCheckBox;
class wxTextCtrl;

/// Edits the panel-wide settings: size, grid, start page, connection mode, full-screen
/// operation, the controller's address, the display values and the menu password. "OK" writes
/// them all back and applies at once what can be applied while running (the window size and
/// the controller link); "Cancel" and the close box change nothing.
class SettingsDlg : public wxDialog {
  public:
    SettingsDlg(wxWindow* parent, PanelOperations& panel, PanelDocument& document, FieldPads& pads);
    ~SettingsDlg() override;

    enum {
        ID_EditSizeX = wxID_HIGHEST + 1,
        ID_EditSizeY,
        ID_EditGridX,
        ID_EditGridY,
        ID_EditStartPage,
        ID_CHECKBOX1,  ///< "LAN Modus"
        ID_CHECKBOX2,  ///< "Fullscreen"
        ID_CHECKBOX3,  ///< "BUS Modus"
        ID_EditIP1,
        ID_EditIP2,
        ID_EditIP3,
        ID_EditIP4,
        ID_TEXTCTRL1,  ///< Display_Bright
        ID_TEXTCTRL2,  ///< Display_Bright_Dim
        ID_TEXTCTRL3,  ///< Display_Off_Dim
        ID_EditDisplayOff,
        ID_EditPassword,
        ID_TEXTCTRL6,  ///< the layout folder, shown only
        ID_BUTTON1,    ///< "Cancel"
        ID_BUTTON2,    ///< "OK"
    };

  private:
    void OnInitDialog(wxInitDialogEvent& event);
    void OnLanModus(wxCommandEvent& event);
    void OnBusModus(wxCommandEvent& event);
    void OnOk(wxCommandEvent& event);
    void OnCancel(wxCommandEvent& event);

    /// A field that opens its pad on a long touch.
    wxTextCtrl* NewField(int id, const wxPoint& position, const wxSize& size, FieldInput input,
                         std::size_t limit = 0);
    SettingsFields FieldsInWindow() const;

    wxTextCtrl* m_sizeX = nullptr;
    wxTextCtrl* m_sizeY = nullptr;
    wxTextCtrl* m_gridX = nullptr;
    wxTextCtrl* m_gridY = nullptr;
    wxTextCtrl* m_startPage = nullptr;
    wxCheckBox* m_lanModus = nullptr;
    wxCheckBox* m_fullscreen = nullptr;
    wxCheckBox* m_busModus = nullptr;
    std::array<wxTextCtrl*, 4> m_ip{};
    wxTextCtrl* m_bright = nullptr;
    wxTextCtrl* m_brightDim = nullptr;
    wxTextCtrl* m_offDim = nullptr;
    wxTextCtrl* m_off = nullptr;
    wxTextCtrl* m_password = nullptr;
    wxTextCtrl* m_path = nullptr;
    PanelOperations& m_panel;
    PanelDocument& m_document;
    /// The pads that the fields open on a long touch.
    FieldPads& m_pads;
};
