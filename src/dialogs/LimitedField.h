#pragma once

#include <cstddef>

#include <wx/textctrl.h>

/// A text field that takes at most `limit` characters from the user's typing (0: any number).
/// The toolkit's own maximum length would also cut (or refuse) a longer value that the program
/// puts in: a value from the layout is shown whole here, and can be shortened but not made
/// longer.
class LimitedField : public wxTextCtrl {
  public:
    LimitedField(wxWindow* parent, wxWindowID id, const wxPoint& position, const wxSize& size,
                 std::size_t limit, long style = 0);

    std::size_t Limit() const { return m_limit; }
    /// The pads take the limit of the field they serve.
    void SetLimit(std::size_t limit) { m_limit = limit; }

  protected:
    /// What the program puts in is taken whole, with or without a change event.
    void DoSetValue(const wxString& value, int flags) override;

  private:
    void OnText(wxCommandEvent& event);

    std::size_t m_limit;
    wxString m_accepted;  ///< the text before the last change
};
