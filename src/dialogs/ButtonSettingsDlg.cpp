#include "dialogs/ButtonSettingsDlg.h"

ButtonSettingsDlg::ButtonSettingsDlg(wxWindow* parent)
    : wxDialog(parent, wxID_ANY, wxString::FromUTF8("Button Settings"), wxDefaultPosition,
               wxDefaultSize, wxCAPTION | wxSYSTEM_MENU | wxCLOSE_BOX | wxSTAY_ON_TOP) {}
