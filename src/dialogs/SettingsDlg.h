#pragma once

#include <array>
#include <cstddef>

#include "dialogs/StandardDlg.h"
#include "model/FieldEntry.h"
#include "model/SettingsForm.h"

class FieldPads;
class PanelDocument;
class ControllerLink;
class PageOperations;
class PanelWindow;
class wxCheckBox;
class wxTextCtrl;

/// Edits the panel-wide settings: size, grid, start page, connection mode, full-screen
/// operation, the controller's address, the display values and the menu password. "OK" writes
/// them all back, and the panel applies at once what can be applied while running (the window
/// size and the controller link); "Cancel", Escape and the close box change nothing.
class SettingsDlg : public StandardDlg {
  public:
    SettingsDlg(wxWindow* parent, PageOperations& panel, ControllerLink& link, PanelWindow& window,
                PanelDocument& document, FieldPads& pads);
    ~SettingsDlg() override;

    /// Ending with "OK", the panel takes the settings written back while the dialog still shows:
    /// a picture the page's reload misses is reported over the dialog whose "OK" caused it.
    void EndModal(int retCode) override;
    /// The settings the layout holds.
    bool TransferDataToWindow() override;
    /// Every field but the path into the layout, read and bounded as the form reads them.
    bool TransferDataFromWindow() override;

    enum {
        ID_SIZE_X = wxID_HIGHEST + 1,
        ID_SIZE_Y,
        ID_GRID_X,
        ID_GRID_Y,
        ID_START_PAGE,
        ID_LAN_MODUS,
        ID_FULLSCREEN,
        ID_BUS_MODUS,
        ID_DESTINATION_IP1,  ///< octets 1 to 4 of Destination_IP
        ID_DESTINATION_IP2,
        ID_DESTINATION_IP3,
        ID_DESTINATION_IP4,
        ID_DISPLAY_BRIGHT,
        ID_DISPLAY_BRIGHT_DIM,
        ID_DISPLAY_OFF_DIM,
        ID_DISPLAY_OFF,
        ID_PASSWORD,
        ID_PATH,  ///< the layout folder, shown only
    };

  private:
    void OnLanModus(wxCommandEvent& event);
    void OnBusModus(wxCommandEvent& event);

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
    PageOperations& m_panel;
    ControllerLink& m_link;
    PanelWindow& m_window;
    PanelDocument& m_document;
    /// The pads that the fields open on a long touch.
    FieldPads& m_pads;
};
