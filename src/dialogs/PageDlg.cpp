#include "dialogs/PageDlg.h"

#include <wx/button.h>
#include <wx/colordlg.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "dialogs/DialogControls.h"
#include "dialogs/FieldPads.h"
#include "dialogs/PictureChooser.h"
#include "model/PageColours.h"
#include "model/PanelDocument.h"
#include "model/PanelState.h"
#include "panel/PageOperations.h"

namespace {

/// Each colour field takes a component of up to three digits.
constexpr unsigned long kComponentDigits = 3;

/// A colour field may grow to this width: the next control begins 48 pixels to its right.
constexpr int kWidestColourField = 46;

}  // namespace

PageDlg::PageDlg(wxWindow* parent, PageOperations& panel, PanelDocument& document, FieldPads& pads)
    : StandardDlg(parent, "Page Settings"), m_panel(panel), m_document(document) {
    NewLabel(this, wxID_ANY, "Pagename:", wxPoint(8, 8), wxSize(72, 22));
    m_name = new wxTextCtrl(this, ID_NAME, wxEmptyString, wxPoint(88, 8), wxSize(144, 24));
    AttachPad(*m_name, FieldInput::Text, pads);
    NewLabel(this, wxID_ANY, "Background\nImage", wxPoint(8, 48), wxSize(72, 32));
    m_image = new wxTextCtrl(this, ID_IMAGE, "Text", wxPoint(88, 56), wxSize(144, 23));
    AttachPad(*m_image, FieldInput::Text, pads);
    new wxButton(this, ID_SEL, "Sel", wxPoint(240, 56), wxSize(40, 23));

    NewLabel(this, wxID_ANY, "Background Color", wxPoint(8, 104), wxSize(160, 22));
    NewLabel(this, wxID_ANY, "Rot", wxPoint(8, 128), wxSize(32, 22));
    NewLabel(this, wxID_ANY, wxString::FromUTF8("Grün"), wxPoint(56, 128), wxSize(32, 22));
    NewLabel(this, wxID_ANY, "Blau", wxPoint(104, 128), wxSize(32, 22));

    const int rowY[2] = {152, 200};
    const int firstField[2] = {ID_RED1, ID_RED2};
    const int setButton[2] = {ID_SET1, ID_SET2};
    const int colorDlgButton[2] = {ID_COLOR_DLG1, ID_COLOR_DLG2};
    for (int row = 0; row < 2; ++row) {
        for (int i = 0; i < 3; ++i) {
            wxTextCtrl* field =
                NewLimitedField(this, firstField[row] + i, wxPoint(8 + 48 * i, rowY[row]),
                                wxSize(40, 24), kComponentDigits, FieldInput::Number, pads);
            // Three digits inside the theme's padding, and two pixels to spare.
            FitDigits(field, 3, kWidestColourField, 2);
            m_colours[row][i] = field;
        }
        new wxButton(this, setButton[row], "Set", wxPoint(160, rowY[row]), wxSize(40, 23));
        new wxButton(this, colorDlgButton[row], "ColorDlg", wxPoint(216, rowY[row]),
                     wxSize(64, 23));
    }

    new wxButton(this, wxID_CANCEL, "Cancel", wxPoint(120, 264), wxSize(75, 40));
    new wxButton(this, wxID_OK, "OK", wxPoint(208, 264), wxSize(75, 40));

    Place(wxSize(300, 319), Centring::OnScreen);

    Bind(wxEVT_BUTTON, &PageDlg::OnSel, this, ID_SEL);
    Bind(wxEVT_BUTTON, &PageDlg::OnSet, this, ID_SET1);
    Bind(wxEVT_BUTTON, &PageDlg::OnColorDlg, this, ID_COLOR_DLG1);
    Bind(wxEVT_BUTTON, &PageDlg::OnSet, this, ID_SET2);
    Bind(wxEVT_BUTTON, &PageDlg::OnColorDlg, this, ID_COLOR_DLG2);
    Bind(wxEVT_BUTTON, &PageDlg::OnCancel, this, wxID_CANCEL);
    Bind(wxEVT_CLOSE_WINDOW, &PageDlg::OnClose, this);
}

void PageDlg::EndModal(int retCode) {
    if (retCode == wxID_OK && EditsAPage()) {
        ShowPage();
    }
    StandardDlg::EndModal(retCode);
}

int PageDlg::RowOfButton(int id) {
    return id == ID_SET1 || id == ID_COLOR_DLG1 ? 0 : 1;
}

Colour& PageDlg::BackColor(int row) {
    PageRecord& page = m_document.Layout().Page(m_page);
    return row == 0 ? page.BackColor1 : page.BackColor2;
}

void PageDlg::ShowColour(int row, Colour colour) {
    const ColourFields fields = ColourFieldsOf(colour);
    m_colours[row][0]->ChangeValue(fields.red);
    m_colours[row][1]->ChangeValue(fields.green);
    m_colours[row][2]->ChangeValue(fields.blue);
}

void PageDlg::ShowPage() {
    m_panel.BuildPageBackground(m_page);
    m_panel.DrawPage(m_page);
}

bool PageDlg::TransferDataToWindow() {
    m_page = m_document.State().CurrentPage;
    if (!EditsAPage()) {
        return true;
    }
    const PageRecord& page = m_document.Layout().Page(m_page);
    m_name->ChangeValue(page.PageName);
    m_image->ChangeValue(page.PageImage);
    m_savedImage = page.PageImage;
    m_savedColours = {page.BackColor1, page.BackColor2};
    ShowColour(0, page.BackColor1);
    ShowColour(1, page.BackColor2);
    return true;
}

void PageDlg::OnSet(wxCommandEvent& event) {
    if (!EditsAPage()) {
        return;
    }
    const int row = RowOfButton(event.GetId());
    const ColourRow& fields = m_colours[row];
    BackColor(row) = ColourOfFields(ColourFields{fields[0]->GetValue().ToStdWstring(),
                                                 fields[1]->GetValue().ToStdWstring(),
                                                 fields[2]->GetValue().ToStdWstring()});
    ShowPage();
}

void PageDlg::OnColorDlg(wxCommandEvent& event) {
    if (!EditsAPage()) {
        return;
    }
    const int row = RowOfButton(event.GetId());
    wxColourData data;
    data.SetColour(OpaqueColourOf(BackColor(row)));
    // A chooser of its own each time: it takes its initial colour only when it is built.
    wxColourDialog chooser(this, &data);
    if (chooser.ShowModal() != wxID_OK) {
        return;
    }
    const wxColour chosen = chooser.GetColourData().GetColour();
    // The alpha the chooser may hand back is no part of a page colour.
    const Colour colour = ColourOfComponents(chosen.Red(), chosen.Green(), chosen.Blue());
    BackColor(row) = colour;
    ShowColour(row, colour);
    ShowPage();
}

void PageDlg::OnSel(wxCommandEvent&) {
    if (!EditsAPage()) {
        return;
    }
    // Made when first used: building the toolkit's chooser is a good part of the panel's start.
    if (m_fileDialog == nullptr) {
        m_fileDialog = new PictureChooser(this, wxFD_OPEN | wxFD_CHANGE_DIR);
    }
    if (const auto name = m_fileDialog->ChooseName(m_document.Layout().Form.LayoutDirectory)) {
        m_image->ChangeValue(*name);
    }
    // Chosen or not: a name typed into the field is applied too.
    m_document.Layout().Page(m_page).PageImage = m_image->GetValue().ToStdWstring();
    ShowPage();
}

void PageDlg::OnCancel(wxCommandEvent&) {
    if (EditsAPage()) {
        PageRecord& page = m_document.Layout().Page(m_page);
        page.PageImage = m_savedImage;
        page.BackColor1 = m_savedColours[0];
        page.BackColor2 = m_savedColours[1];
        ShowPage();
    }
    EndDialog(wxID_CANCEL);
}

void PageDlg::OnClose(wxCloseEvent&) {
    // Neither "Cancel" nor "OK": what the buttons applied stays, the name is not taken.
    EndDialog(wxID_CANCEL);
}

bool PageDlg::TransferDataFromWindow() {
    if (EditsAPage()) {
        PageRecord& page = m_document.Layout().Page(m_page);
        page.PageName = m_name->GetValue().ToStdWstring();
        page.PageImage = m_image->GetValue().ToStdWstring();
        m_document.State().LayoutChanged = 1;
    }
    return true;
}
