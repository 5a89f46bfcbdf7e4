#pragma once

#include <cstddef>
#include <limits>

#include <wx/colour.h>
#include <wx/stattext.h>

#include "dialogs/LimitedField.h"
#include "model/FieldEntry.h"
#include "model/Layout.h"

class FieldPads;

/// The dialogs' controls are placed at sizes that suit narrower fonts and paddings than this
/// platform's theme. A control whose text needs more room gets it, up to `widest`, rather than
/// being cut or wrapped.
void GrowToLabel(wxWindow* control, int widest = std::numeric_limits<int>::max());

/// A label at its place, grown to its text as GrowToLabel does.
wxStaticText* NewLabel(wxWindow* parent, wxWindowID id, const wxString& text,
                       const wxPoint& position, const wxSize& size,
                       const wxString& name = wxASCII_STR(wxStaticTextNameStr));

/// A field that takes at most `limit` typed characters and opens the pad of `pads` for `input` on
/// a long touch.
LimitedField* NewLimitedField(wxWindow* parent, wxWindowID id, const wxPoint& position,
                              const wxSize& size, std::size_t limit, FieldInput input,
                              FieldPads& pads);

/// Widens a number field so that `digits` digits show inside the theme's padding, with `extra`
/// pixels more, up to `widest`, where the next control begins. It never shrinks.
void FitDigits(wxTextCtrl* field, int digits, int widest, int extra = 0);

/// The colour without its alpha, as the toolkit's colour chooser takes it.
wxColour OpaqueColourOf(Colour colour);
