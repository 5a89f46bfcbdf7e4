#include "dialogs/ChangeStyleDlg.h"

ChangeStyleDlg::ChangeStyleDlg(wxWindow* parent)
    : wxDialog(parent, wxID_ANY, wxString::FromUTF8(""), wxDefaultPosition, wxDefaultSize,
               wxCAPTION | wxSYSTEM_MENU | wxCLOSE_BOX | wxSTAY_ON_TOP) {}
