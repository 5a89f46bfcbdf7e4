#include "dialogs/ButtonDlg.h"

ButtonDlg::ButtonDlg(wxWindow* parent)
    : wxDialog(parent, wxID_ANY, wxString::FromUTF8("Button Menu"), wxDefaultPosition,
               wxDefaultSize, wxCAPTION | wxSYSTEM_MENU | wxCLOSE_BOX | wxSTAY_ON_TOP) {}
