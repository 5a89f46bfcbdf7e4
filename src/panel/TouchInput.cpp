#include "panel/TouchInput.h"

#include <algorithm>

#include "model/PanelRules.h"
#include "panel/PageRenderer.h"
#include "panel/PanelEditor.h"
#include "panel/PanelOperations.h"

TouchInput::TouchInput(PanelOperations& panel, PanelEditor& editor, PanelDocument& document)
    : m_panel(panel), m_editor(editor), m_document(document) {}

void TouchInput::OnLeftDown(wxMouseEvent&) {
    const ::Layout& layout = m_document.Layout();
    PanelState& panel = m_document.State();
    const PagePoint point = m_panel.PointerOnPage();
    const int count = std::clamp(layout.Page(panel.CurrentPage).Button_Last, 0, kButtonSlots);
    const int button = HitTest(m_panel.Renderer().ButtonRects(), count, point);
    panel.SelectedButton = button;
    panel.MoveUnderWay = false;
    if (button < 0) {
        return;
    }
    if (panel.EditMode == EditModes::Normal) {
        if (layout.Button(panel.CurrentPage, button).Inaktiv == 1) {
            return;
        }
        m_panel.SendPress();
        panel.HeldButton = ButtonRef{button, panel.CurrentPage};
        m_panel.DrawButton(panel.CurrentPage, button, Looks::Pressed);
    } else if (panel.EditMode == EditModes::Move) {
        m_editor.StartMove(button, point);
    }
}

void TouchInput::OnLeftUp(wxMouseEvent&) {
    ::Layout& layout = m_document.Layout();
    PanelState& panel = m_document.State();
    const PagePoint point = m_panel.PointerOnPage();
    const int button = panel.SelectedButton;
    panel.HeldButton = ButtonRef{};
    panel.MoveUnderWay = false;
    if (button >= 0 &&
        button < std::clamp(layout.Page(panel.CurrentPage).Button_Last, 0, kButtonSlots)) {
        if (panel.EditMode == EditModes::Normal) {
            const ButtonRecord& record = layout.Button(panel.CurrentPage, button);
            if (record.Inaktiv == 1) {
                return;
            }
            m_panel.SendRelease();
            m_panel.DrawButton(panel.CurrentPage, button,
                               m_panel.LampLook(panel.CurrentPage, button));
            if (const auto target = PageflipTarget(record.Pageflip)) {
                ShowPage(*target);
            }
        } else {
            m_editor.Release(button);
        }
    }
    panel.SelectedButton = -1;
    if (Contains(m_panel.Renderer().MenuRect(), point)) {
        m_panel.MenuRequest();
    }
}

void TouchInput::ShowPage(int page) {
    PanelState& panel = m_document.State();
    panel.CurrentPage = page;
    // The button under the finger belongs to the page that goes.
    panel.MoveUnderWay = false;
    m_panel.LoadPage(page);
    m_panel.DrawPage(page);
}

void TouchInput::OnCharHook(wxKeyEvent& event) {
    const int key = event.GetKeyCode();
    if (key >= '1' && key <= '9') {
        ShowPage(key - '1');
    } else if (key >= WXK_NUMPAD1 && key <= WXK_NUMPAD9) {
        ShowPage(key - WXK_NUMPAD1);
    } else if (key == '0' || key == WXK_NUMPAD0) {
        ShowPage(9);
    } else {
        switch (key) {
            case 'C':
                m_panel.SetEditMode(EditModes::ChangeStyle);
                break;
            case 'G':
                m_panel.SetEditMode(EditModes::GetStyle);
                break;
            case 'I':
                m_editor.Insert();
                break;
            case 'M':
                m_panel.SetEditMode(EditModes::Move);
                break;
            case 'S':
                m_panel.SetEditMode(EditModes::Settings);
                break;
            case 'Q':
                m_panel.SetEditMode(EditModes::Normal);
                break;
            default:
                break;
        }
    }
    // Not passed on: no key may close the panel.
}
