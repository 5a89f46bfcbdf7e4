#include "dialogs/SettingsDlg.h"

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/font.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "dialogs/DialogControls.h"
#include "dialogs/FieldPads.h"
#include "model/PanelDocument.h"
#include "model/PanelState.h"
#include "panel/ControllerLink.h"
#include "panel/PageOperations.h"
#include "panel/PanelWindow.h"

namespace {

/// The size every number field is given; NewField may widen it.
const wxSize kNumberField(40, 24);
/// A number field may grow to this width: the next control begins 48 pixels to its right.
constexpr int kWidestNumberField = 46;

/// A label grown to its text up to the dialog's edge, where it would be cut.
void NewEdgeLabel(wxWindow* parent, const char* text, const wxPoint& position, const wxSize& size) {
    GrowToLabel(new wxStaticText(parent, wxID_ANY, text, position, size), 300 - position.x);
}

}  // namespace

SettingsDlg::SettingsDlg(wxWindow* parent, PageOperations& panel, ControllerLink& link,
                         PanelWindow& window, PanelDocument& document, FieldPads& pads)
    : StandardDlg(parent, "Main Settings"),
      m_panel(panel),
      m_link(link),
      m_window(window),
      m_document(document),
      m_pads(pads) {
    NewEdgeLabel(this, "Size X", wxPoint(8, 16), wxSize(40, 16));
    m_sizeX = NewField(ID_SIZE_X, wxPoint(8, 40), kNumberField, FieldInput::Number);
    NewEdgeLabel(this, "Size Y", wxPoint(56, 16), wxSize(40, 16));
    m_sizeY = NewField(ID_SIZE_Y, wxPoint(56, 40), kNumberField, FieldInput::Number);
    NewEdgeLabel(this, "Grid X", wxPoint(192, 16), wxSize(40, 16));
    m_gridX = NewField(ID_GRID_X, wxPoint(192, 40), kNumberField, FieldInput::Number);
    NewEdgeLabel(this, "Grid Y", wxPoint(240, 16), wxSize(40, 16));
    m_gridY = NewField(ID_GRID_Y, wxPoint(240, 40), kNumberField, FieldInput::Number);

    NewEdgeLabel(this, "Start Page", wxPoint(8, 80), wxSize(64, 16));
    m_startPage = NewField(ID_START_PAGE, wxPoint(8, 104), kNumberField, FieldInput::Number);
    auto* reboot =
        new wxStaticText(this, wxID_ANY, "----- Reboot required -----", wxPoint(88, 80),
                         wxSize(176, 16), wxALIGN_CENTRE_HORIZONTAL | wxST_NO_AUTORESIZE);
    reboot->SetFont(wxFont(wxFontInfo(8).FaceName("Arial")));
    m_lanModus = new wxCheckBox(this, ID_LAN_MODUS, "LAN Modus", wxPoint(88, 104));
    m_fullscreen = new wxCheckBox(this, ID_FULLSCREEN, "Fullscreen", wxPoint(192, 104));
    m_busModus = new wxCheckBox(this, ID_BUS_MODUS, "BUS Modus", wxPoint(88, 128), wxSize(96, 15));
    // The theme's check box needs more than 96 x 15 pixels; squeezed, it is cut and complains.
    wxSize busSize = m_busModus->GetBestSize();
    busSize.IncTo(wxSize(96, 15));
    m_busModus->SetSize(busSize);

    NewEdgeLabel(this, "Zmk-LAN IP-Address", wxPoint(8, 160), wxSize(144, 16));
    for (int i = 0; i < 4; ++i) {
        m_ip[static_cast<std::size_t>(i)] = NewField(
            ID_DESTINATION_IP1 + i, wxPoint(8 + 48 * i, 184), kNumberField, FieldInput::Number, 3);
    }

    NewEdgeLabel(this, "Bright\nOn", wxPoint(8, 224), wxSize(40, 32));
    m_bright = NewField(ID_DISPLAY_BRIGHT, wxPoint(8, 264), kNumberField, FieldInput::Number, 3);
    NewEdgeLabel(this, "Bright\nDim", wxPoint(80, 224), wxSize(40, 32));
    m_brightDim =
        NewField(ID_DISPLAY_BRIGHT_DIM, wxPoint(80, 264), kNumberField, FieldInput::Number, 3);
    NewEdgeLabel(this, "Display\nDim(min)", wxPoint(168, 224), wxSize(56, 32));
    m_offDim = NewField(ID_DISPLAY_OFF_DIM, wxPoint(168, 264), kNumberField, FieldInput::Number, 2);
    NewEdgeLabel(this, "Display\nOff(min)", wxPoint(240, 224), wxSize(56, 32));
    m_off = NewField(ID_DISPLAY_OFF, wxPoint(240, 264), kNumberField, FieldInput::Number, 2);

    NewEdgeLabel(this, "Password", wxPoint(8, 304), wxSize(144, 16));
    // In clear: the panel hangs on a wall and is typed on with a finger.
    m_password = NewField(ID_PASSWORD, wxPoint(8, 328), wxSize(272, 23), FieldInput::Text);
    NewEdgeLabel(this, "Path", wxPoint(8, 360), wxSize(64, 16));
    // Shows the layout folder; it is chosen at start-up, so what is typed here is never read.
    m_path = new wxTextCtrl(this, ID_PATH, "Text", wxPoint(8, 384), wxSize(272, 23));
    m_path->SetForegroundColour(wxColour(128, 128, 128));

    new wxButton(this, wxID_CANCEL, "Cancel", wxPoint(120, 424), wxSize(75, 40));
    new wxButton(this, wxID_OK, "OK", wxPoint(208, 424), wxSize(75, 40));

    Place(wxSize(300, 482), Centring::OverParent);

    Bind(wxEVT_CHECKBOX, &SettingsDlg::OnLanModus, this, ID_LAN_MODUS);
    Bind(wxEVT_CHECKBOX, &SettingsDlg::OnBusModus, this, ID_BUS_MODUS);
}

SettingsDlg::~SettingsDlg() = default;

wxTextCtrl* SettingsDlg::NewField(int id, const wxPoint& position, const wxSize& size,
                                  FieldInput input, std::size_t limit) {
    wxTextCtrl* field = nullptr;
    if (limit > 0) {
        field = NewLimitedField(this, id, position, size, limit, input, m_pads);
    } else {
        field = new wxTextCtrl(this, id, wxEmptyString, position, size);
        AttachPad(*field, input, m_pads);
    }
    if (size == kNumberField) {
        // A four-digit size inside the theme's padding, as far as the next control allows.
        FitDigits(field, 4, kWidestNumberField);
    }
    return field;
}

bool SettingsDlg::TransferDataToWindow() {
    const SettingsFields fields = SettingsFieldsOf(m_document.Layout().Form);
    m_sizeX->ChangeValue(fields.sizeX);
    m_sizeY->ChangeValue(fields.sizeY);
    m_gridX->ChangeValue(fields.gridX);
    m_gridY->ChangeValue(fields.gridY);
    m_lanModus->SetValue(fields.lanModus);
    m_busModus->SetValue(fields.busModus);
    m_fullscreen->SetValue(fields.fullscreen);
    m_startPage->ChangeValue(fields.startPage);
    m_path->ChangeValue(fields.path);
    for (std::size_t i = 0; i < m_ip.size(); ++i) {
        m_ip[i]->ChangeValue(fields.destinationIp[i]);
    }
    m_password->ChangeValue(fields.password);
    m_off->ChangeValue(fields.displayOff);
    m_offDim->ChangeValue(fields.displayOffDim);
    m_bright->ChangeValue(fields.displayBright);
    m_brightDim->ChangeValue(fields.displayBrightDim);
    return true;
}

void SettingsDlg::OnLanModus(wxCommandEvent&) {
    // The two modes exclude each other; neither may be ticked.
    m_busModus->SetValue(false);
}

void SettingsDlg::OnBusModus(wxCommandEvent&) {
    m_lanModus->SetValue(false);
}

SettingsFields SettingsDlg::FieldsInWindow() const {
    auto text = [](const wxTextCtrl* field) { return field->GetValue().ToStdWstring(); };
    SettingsFields fields;
    fields.sizeX = text(m_sizeX);
    fields.sizeY = text(m_sizeY);
    fields.gridX = text(m_gridX);
    fields.gridY = text(m_gridY);
    fields.startPage = text(m_startPage);
    fields.lanModus = m_lanModus->GetValue();
    fields.busModus = m_busModus->GetValue();
    fields.fullscreen = m_fullscreen->GetValue();
    for (std::size_t i = 0; i < m_ip.size(); ++i) {
        fields.destinationIp[i] = text(m_ip[i]);
    }
    fields.displayBright = text(m_bright);
    fields.displayBrightDim = text(m_brightDim);
    fields.displayOffDim = text(m_offDim);
    fields.displayOff = text(m_off);
    fields.password = text(m_password);
    return fields;
}

bool SettingsDlg::TransferDataFromWindow() {
    StoreSettingsFields(FieldsInWindow(), m_document.Layout().Form);
    m_document.State().LayoutChanged = 1;
    return true;
}

void SettingsDlg::EndModal(int retCode) {
    if (retCode == wxID_OK) {
        const int page = m_document.State().CurrentPage;
        m_window.ResizeToLayout();
        // A changed address or mode takes effect at once: in LAN mode the link connects to the
        // address just stored, in the other modes it stays closed.
        m_link.Relink();
        m_panel.LoadPage(page);
        m_panel.DrawPage(page);
    }
    StandardDlg::EndModal(retCode);
}
