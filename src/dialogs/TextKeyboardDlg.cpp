#include "dialogs/TextKeyboardDlg.h"

#include <wx/button.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "dialogs/LimitedField.h"
#include "dialogs/PadEntry.h"

namespace {

/// Keys of the keypad's size and spacing.
constexpr int kKey = 48;
constexpr int kPitch = 56;
constexpr int kMargin = 8;
constexpr int kKeysTop = 64;
constexpr int kBottomRow = kKeysTop + static_cast<int>(KeyboardKeys::kRows) * kPitch;
/// Room at the right of the entry line for the count of characters.
constexpr int kRoomWidth = 88;

wxPoint KeyPlace(std::size_t row, std::size_t column) {
    return wxPoint(kMargin + static_cast<int>(column) * kPitch,
                   kKeysTop + static_cast<int>(row) * kPitch);
}

}  // namespace

TextKeyboardDlg::TextKeyboardDlg(wxWindow* parent)
    : StandardDlg(parent, "Text Keyboard", wxBORDER_THEME) {
    const int width = kMargin + static_cast<int>(KeyboardKeys::kColumns) * kPitch;
    SetBackgroundColour(wxColour(255, 255, 128));

    // Two lines show, enough for a button's text; at their right, how many characters the field
    // takes.
    const wxSize entrySize(width - 2 * kMargin - kRoomWidth, kKey);
    m_lines =
        new LimitedField(this, ID_ENTRY, wxPoint(kMargin, kMargin), entrySize, 0, wxTE_MULTILINE);
    // For a masked field the entry line is masked too; it has one line, as a password has.
    m_masked = new LimitedField(this, ID_MASKED_ENTRY, wxPoint(kMargin, kMargin), entrySize, 0,
                                wxTE_PASSWORD);
    m_masked->Hide();
    auto* room = new wxStaticText(
        this, ID_ROOM, wxEmptyString, wxPoint(width - kMargin - kRoomWidth, kMargin + kKey / 3),
        wxSize(kRoomWidth, kKey / 2), wxALIGN_CENTRE_HORIZONTAL | wxST_NO_AUTORESIZE);
    m_padEntry = std::make_unique<PadEntry>(*room);
    for (LimitedField* entry : {m_lines, m_masked}) {
        entry->Bind(wxEVT_TEXT, [this](wxCommandEvent& event) {
            event.Skip();
            CallAfter([this] { m_padEntry->ShowRoom(); });
        });
    }
    for (std::size_t row = 0; row < KeyboardKeys::kRows; ++row) {
        for (std::size_t column = 0; column < KeyboardKeys::kColumns; ++column) {
            const std::size_t index = row * KeyboardKeys::kColumns + column;
            m_keyButtons[index] =
                new wxButton(this, ID_KEY_FIRST + static_cast<int>(index), wxEmptyString,
                             KeyPlace(row, column), wxSize(kKey, kKey));
        }
    }
    new wxButton(this, ID_CLEAR, "Clear", wxPoint(kMargin, kBottomRow), wxSize(kKey, kKey));
    m_lineBreak = new wxButton(this, ID_LINEBREAK, wxString::FromUTF8("↵"),
                               wxPoint(kMargin + kPitch, kBottomRow), wxSize(kKey, kKey));
    new wxButton(this, ID_SPACE, wxEmptyString, wxPoint(kMargin + 2 * kPitch, kBottomRow),
                 wxSize(5 * kPitch - (kPitch - kKey), kKey));
    new wxButton(this, ID_BACKSPACE, wxString::FromUTF8("←"),
                 wxPoint(kMargin + 7 * kPitch, kBottomRow), wxSize(kPitch + kKey, kKey));
    new wxButton(this, wxID_CANCEL, "Cancel", wxPoint(kMargin + 9 * kPitch, kBottomRow),
                 wxSize(kKey, kKey));
    new wxButton(this, wxID_OK, "OK", wxPoint(kMargin + 10 * kPitch, kBottomRow),
                 wxSize(kPitch + kKey, kKey));
    ShowLabels();
    Place(wxSize(width, kBottomRow + kPitch), Centring::OverParent);

    Bind(wxEVT_BUTTON, &TextKeyboardDlg::OnKey, this, ID_KEY_FIRST, ID_KEY_LAST);
    Bind(wxEVT_BUTTON, &TextKeyboardDlg::OnSpace, this, ID_SPACE);
    Bind(wxEVT_BUTTON, &TextKeyboardDlg::OnBackspace, this, ID_BACKSPACE);
    Bind(wxEVT_BUTTON, &TextKeyboardDlg::OnLineBreak, this, ID_LINEBREAK);
    Bind(wxEVT_BUTTON, &TextKeyboardDlg::OnClear, this, ID_CLEAR);
}

void TextKeyboardDlg::ShowLabels() {
    for (std::size_t row = 0; row < KeyboardKeys::kRows; ++row) {
        for (std::size_t column = 0; column < KeyboardKeys::kColumns; ++column) {
            // "&" is a key, not a mnemonic.
            m_keyButtons[row * KeyboardKeys::kColumns + column]->SetLabelText(
                m_keys.Label(row, column));
        }
    }
}

TextKeyboardDlg::~TextKeyboardDlg() = default;

void TextKeyboardDlg::SetTarget(wxTextCtrl* field) {
    m_padEntry->SetTarget(field);
}

wxTextCtrl* TextKeyboardDlg::Target() const {
    return m_padEntry->Target();
}

bool TextKeyboardDlg::TransferDataToWindow() {
    m_keys = KeyboardKeys();
    ShowLabels();
    // The field's text to go on from: a long name is mended, not typed anew.
    const wxTextCtrl* target = Target();
    const bool masked = target != nullptr && target->HasFlag(wxTE_PASSWORD);
    LimitedField& entry = masked ? *m_masked : *m_lines;
    m_lines->Show(!masked);
    m_masked->Show(masked);
    m_lineBreak->Enable(m_lineBreaks && !masked);
    m_padEntry->Start(entry);
    entry.SetFocus();
    return true;
}

bool TextKeyboardDlg::TransferDataFromWindow() {
    m_padEntry->PassToTarget();
    return true;
}

void TextKeyboardDlg::OnKey(wxCommandEvent& event) {
    const auto index = static_cast<std::size_t>(event.GetId() - ID_KEY_FIRST);
    const std::size_t row = index / KeyboardKeys::kColumns;
    const std::size_t column = index % KeyboardKeys::kColumns;
    // A character the field has no room for is not typed, and a shift stays for the next.
    if (KeyboardKeys::IsShift(row, column) || m_padEntry->Type(m_keys.Label(row, column))) {
        m_keys.Press(row, column);
    }
    ShowLabels();
}

void TextKeyboardDlg::OnSpace(wxCommandEvent&) {
    m_padEntry->Type(" ");
}

void TextKeyboardDlg::OnBackspace(wxCommandEvent&) {
    LimitedField& entry = m_padEntry->Entry();
    long from = 0;
    long to = 0;
    entry.GetSelection(&from, &to);
    if (from == to && from > 0) {
        --from;
    }
    entry.Remove(from, to);
    m_padEntry->ShowRoom();
}

void TextKeyboardDlg::OnLineBreak(wxCommandEvent&) {
    m_padEntry->Type("\n");
}

void TextKeyboardDlg::OnClear(wxCommandEvent&) {
    m_padEntry->Entry().ChangeValue(wxEmptyString);
    m_padEntry->ShowRoom();
}
