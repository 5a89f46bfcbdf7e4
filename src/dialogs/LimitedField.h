#pragma once

#include <cstddef>

#include <wx/textctrl.h>

/// A single-line text field that takes at most `limit` characters from the user's typing. The
/// toolkit's own maximum length would also cut (or refuse) a longer value that the program puts
/// in: a value from the layout is shown whole here, and can be shortened but not made longer.
class LimitedField : public wxTextCtrl {
  public:
    LimitedField(wxWindow* parent, wxWindowID id, const wxPoint& position, const wxSize& size,
                 std::size_t limit);

    std::size_t Limit() const { return m_limit; }

  protected:
    /// What the program puts in is taken whole, with or without a change event.
    void DoSetValue(const wxString& value, int flags) override;

  private:
    void OnText(wxCommandEvent& event);

    std::size_t m_limit;
    wxString m_accepted;  ///< the text before the last change
};
