#include "ModalScript.h"

#include <gtest/gtest.h>

#include <wx/button.h>
#include <wx/colordlg.h>

ModalScript::ModalScript() {
    Register();
}

ModalScript::~ModalScript() {
    Unregister();
    EXPECT_TRUE(m_steps.empty()) << m_steps.size() << " expected modal dialog(s) never opened";
}

ModalScript& ModalScript::Then(std::function<void(wxDialog&)> step) {
    m_steps.push_back(Step{std::move(step), nullptr});
    return *this;
}

ModalScript& ModalScript::ReturnStep(StandIn step) {
    m_steps.push_back(Step{nullptr, std::move(step)});
    return *this;
}

int ModalScript::WrongType(wxDialog& dialog, const wxClassInfo* wanted) {
    ADD_FAILURE() << "modal dialog \"" << dialog.GetTitle() << "\" is a "
                  << dialog.GetClassInfo()->GetClassName() << ", not a " << wanted->GetClassName();
    return wxID_CANCEL;
}

int ModalScript::Enter(wxDialog* dialog) {
    m_opened.push_back(dialog->GetTitle().ToStdString());
    if (m_steps.empty()) {
        ADD_FAILURE() << "unexpected modal dialog \"" << dialog->GetTitle() << "\"";
        return wxID_CANCEL;
    }
    Step step = std::move(m_steps.front());
    m_steps.pop_front();
    if (step.instead) {
        return step.instead(*dialog);
    }
    dialog->CallAfter([dialog, shown = std::move(step.shown)] { shown(*dialog); });
    return wxID_NONE;
}

namespace {

/// Reaches the chooser's own step that takes its colour data in.
struct ColourChooser : wxColourDialog {
    static void Choose(wxColourDialog& chooser, const wxColour& colour) {
        chooser.GetColourData().SetColour(colour);
        (chooser.*(&ColourChooser::ColourDataToDialog))();
    }
};

}  // namespace

void ChooseColour(wxColourDialog& chooser, const wxColour& colour) {
    ColourChooser::Choose(chooser, colour);
}

wxWindow* FindChild(wxWindow& parent, const wxString& label, const wxClassInfo* type) {
    for (wxWindow* child : parent.GetChildren()) {
        if ((type == nullptr || child->IsKindOf(type)) &&
            (label.empty() || child->GetLabel() == label)) {
            return child;
        }
    }
    return nullptr;
}

namespace {

void Click(wxWindow& button) {
    wxCommandEvent click(wxEVT_BUTTON, button.GetId());
    click.SetEventObject(&button);
    button.GetEventHandler()->ProcessEvent(click);
}

}  // namespace

void ClickButton(wxWindow& dialog, const wxString& label) {
    wxWindow* button = FindChild(dialog, label, wxCLASSINFO(wxButton));
    if (button == nullptr) {
        ADD_FAILURE() << "no button \"" << label << "\" in \"" << dialog.GetLabel() << "\"";
        return;
    }
    Click(*button);
}

void ClickButton(wxWindow& dialog, int id) {
    wxWindow* button = dialog.FindWindow(id);
    if (button == nullptr) {
        ADD_FAILURE() << "no button " << id << " in \"" << dialog.GetLabel() << "\"";
        return;
    }
    Click(*button);
}
