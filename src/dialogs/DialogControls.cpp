#include "dialogs/DialogControls.h"

#include <algorithm>

#include "dialogs/FieldPads.h"

void GrowToLabel(wxWindow* control, int widest) {
    const wxSize best = control->GetBestSize();
    const wxSize size = control->GetSize();
    control->SetSize(wxSize(std::min(std::max(size.x, best.x), widest), std::max(size.y, best.y)));
}

wxStaticText* NewLabel(wxWindow* parent, wxWindowID id, const wxString& text,
                       const wxPoint& position, const wxSize& size, const wxString& name) {
    auto* label = new wxStaticText(parent, id, text, position, size, 0, name);
    GrowToLabel(label);
    return label;
}

LimitedField* NewLimitedField(wxWindow* parent, wxWindowID id, const wxPoint& position,
                              const wxSize& size, std::size_t limit, FieldInput input,
                              FieldPads& pads) {
    auto* field = new LimitedField(parent, id, position, size, limit);
    AttachPad(*field, input, pads);
    return field;
}

void FitDigits(wxTextCtrl* field, int digits, int widest, int extra) {
    const int needed =
        field->GetSizeFromTextSize(field->GetTextExtent(wxString(digits, '0')).x).x + extra;
    field->SetSize(wxSize(std::clamp(needed, field->GetSize().x, widest), field->GetSize().y));
}

wxColour OpaqueColourOf(Colour colour) {
    return wxColour(static_cast<unsigned char>(RedOf(colour)),
                    static_cast<unsigned char>(GreenOf(colour)),
                    static_cast<unsigned char>(BlueOf(colour)));
}
