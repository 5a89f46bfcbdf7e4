#include "dialogs/StandardDlg.h"

#include <wx/weakref.h>

#include "dialogs/DisplayPlace.h"

StandardDlg::StandardDlg(wxWindow* parent, const wxString& title, long extraStyle)
    : wxDialog(parent, wxID_ANY, title, wxDefaultPosition, wxDefaultSize,
               wxCAPTION | wxSYSTEM_MENU | wxCLOSE_BOX | wxSTAY_ON_TOP | extraStyle) {}

void StandardDlg::Place(const wxSize& clientSize, Centring centring) {
    SetClientSize(clientSize);
    if (centring == Centring::OnScreen) {
        CentreOnScreen(wxBOTH);
    } else {
        Centre(wxBOTH);
    }
}

int StandardDlg::ShowModal() {
    KeepOnDisplay(*this);
    const wxWeakRef<StandardDlg> self(this);
    const int result = wxDialog::ShowModal();
    if (self) {
        StopKeepingOnDisplay(*this);
    }
    return result;
}
