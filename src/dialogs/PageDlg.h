#pragma once

#include <array>
#include <string>

#include <wx/dialog.h>

#include "model/Layout.h"

class FieldPads;
class PanelDocument;
class PanelOperations;
class PictureChooser;
class wxTextCtrl;

/// Edits the page shown on the panel: its name, its background picture and its two background
/// colours. Background changes go into the layout and onto the panel at once, so the user sees
/// them behind the dialog; "Cancel" puts back the background the page had when the dialog was
/// shown. The name is stored only by "OK". The close box ends the dialog without either.
class PageDlg : public wxDialog {
  public:
    PageDlg(wxWindow* parent, PanelOperations& panel, PanelDocument& document, FieldPads& pads);

    enum {
        ID_TEXTCTRL1 = wxID_HIGHEST + 1,  ///< page name
        ID_TEXTCTRL2,                     ///< background picture
        ID_TEXTCTRL3,                     ///< first colour: red, green, blue
        ID_TEXTCTRL4,
        ID_TEXTCTRL5,
        ID_TEXTCTRL6,  ///< second colour: red, green, blue
        ID_TEXTCTRL7,
        ID_TEXTCTRL8,
        ID_BUTTON1,  ///< "Sel"
        ID_BUTTON2,  ///< "Set", first row
        ID_BUTTON3,  ///< "ColorDlg", first row
        ID_BUTTON4,  ///< "Set", second row
        ID_BUTTON5,  ///< "ColorDlg", second row
        ID_BUTTON6,  ///< "Cancel"
        ID_BUTTON7,  ///< "OK"
        ID_STATICTEXT1,
        ID_STATICTEXT2,
        ID_STATICTEXT3,
        ID_STATICTEXT4,
        ID_STATICTEXT5,
        ID_STATICTEXT6,
    };

  private:
    /// The three fields of a colour row; row 0 edits BackColor1, row 1 BackColor2.
    using ColourRow = std::array<wxTextCtrl*, 3>;

    void OnInitDialog(wxInitDialogEvent& event);
    void OnSel(wxCommandEvent& event);
    void OnSet(wxCommandEvent& event);
    void OnColorDlg(wxCommandEvent& event);
    void OnCancel(wxCommandEvent& event);
    void OnOk(wxCommandEvent& event);

    /// The row a "Set" or "ColorDlg" button belongs to.
    static int RowOfButton(int id);
    Colour& BackColor(int row);
    void ShowColour(int row, Colour colour);
    /// Renders the page background again and shows the page.
    void ShowPage();
    /// The page being edited is still a page of the layout.
    bool EditsAPage() const { return ::Layout::IsPageSlot(m_page); }

    wxTextCtrl* m_name = nullptr;
    wxTextCtrl* m_image = nullptr;
    std::array<ColourRow, 2> m_colours{};
    PictureChooser* m_fileDialog = nullptr;

    int m_page = -1;  ///< CurrentPage when the dialog was shown
    std::wstring m_savedImage;
    std::array<Colour, 2> m_savedColours{};
    PanelOperations& m_panel;
    PanelDocument& m_document;
};
