#pragma once

#include <array>
#include <string>

#include "dialogs/StandardDlg.h"
#include "model/Layout.h"

class FieldPads;
class PanelDocument;
class PageOperations;
class PictureChooser;
class wxTextCtrl;

/// Edits the page shown on the panel: its name, its background picture and its two background
/// colours. Background changes go into the layout and onto the panel at once, so the user sees
/// them behind the dialog; "Cancel" puts back the background the page had when the dialog was
/// shown, as Escape does. The name is stored only by "OK", after which the page is shown again.
/// The close box ends the dialog without either.
class PageDlg : public StandardDlg {
  public:
    PageDlg(wxWindow* parent, PageOperations& panel, PanelDocument& document, FieldPads& pads);

    /// Ending with "OK", the page is shown again with its name while the dialog still shows.
    void EndModal(int retCode) override;
    /// The page the panel shows, as the layout holds it.
    bool TransferDataToWindow() override;
    /// The name and the picture into the page.
    bool TransferDataFromWindow() override;

    enum {
        ID_NAME = wxID_HIGHEST + 1,
        ID_IMAGE,
        ID_RED1,  ///< first colour: red, green, blue
        ID_GREEN1,
        ID_BLUE1,
        ID_RED2,  ///< second colour: red, green, blue
        ID_GREEN2,
        ID_BLUE2,
        ID_SEL,
        ID_SET1,
        ID_COLOR_DLG1,
        ID_SET2,
        ID_COLOR_DLG2,
    };

  private:
    /// The three fields of a colour row; row 0 edits BackColor1, row 1 BackColor2.
    using ColourRow = std::array<wxTextCtrl*, 3>;

    void OnSel(wxCommandEvent& event);
    void OnSet(wxCommandEvent& event);
    void OnColorDlg(wxCommandEvent& event);
    void OnCancel(wxCommandEvent& event);
    void OnClose(wxCloseEvent& event);

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
    PageOperations& m_panel;
    PanelDocument& m_document;
};
