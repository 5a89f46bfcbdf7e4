#include "panel/TouchInput.h"

#include <algorithm>

#include "model/PanelRules.h"
#include "panel/ControllerLink.h"
#include "panel/EditSession.h"
#include "panel/PageArea.h"
#include "panel/PageOperations.h"
#include "panel/PageRenderer.h"
#include "panel/PanelEditor.h"

TouchInput::TouchInput(PageArea& area, wxWindow& window, PageOperations& page, EditSession& editing,
                       ControllerLink& link, PanelEditor& editor, PanelDocument& document,
                       const PageRenderer& renderer)
    : m_area(area),
      m_panel(page),
      m_editing(editing),
      m_link(link),
      m_editor(editor),
      m_document(document),
      m_renderer(renderer) {
    area.Bind(wxEVT_LEFT_DOWN, &TouchInput::OnLeftDown, this);
    area.Bind(wxEVT_LEFT_DCLICK, &TouchInput::OnLeftDown, this);
    area.Bind(wxEVT_LEFT_UP, &TouchInput::OnLeftUp, this);
    window.Bind(wxEVT_CHAR_HOOK, &TouchInput::OnCharHook, this);
}

void TouchInput::OnLeftDown(wxMouseEvent&) {
    const ::Layout& layout = m_document.Layout();
    PanelState& panel = m_document.State();
    const PagePoint point = m_area.PointerOnPage();
    const int count = std::clamp(layout.Page(panel.CurrentPage).Button_Last, 0, kButtonSlots);
    const int button = HitTest(m_renderer.ButtonRects(), count, point);
    panel.SelectedButton = button;
    panel.MoveUnderWay = false;
    if (button < 0) {
        return;
    }
    if (panel.EditMode == EditModes::Normal) {
        if (layout.Button(panel.CurrentPage, button).Inaktiv == 1) {
            return;
        }
        m_link.SendPress();
        panel.HeldButton = ButtonRef{button, panel.CurrentPage};
        m_panel.DrawButton(panel.CurrentPage, button, Looks::Pressed);
    } else if (panel.EditMode == EditModes::Move) {
        m_editor.StartMove(button, point);
    }
}

void TouchInput::OnLeftUp(wxMouseEvent&) {
    ::Layout& layout = m_document.Layout();
    PanelState& panel = m_document.State();
    const PagePoint point = m_area.PointerOnPage();
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
            m_link.SendRelease();
            m_panel.DrawButton(panel.CurrentPage, button,
                               LampLookOf(layout, panel.Lamps, panel.CurrentPage, button));
            if (const auto target = PageflipTarget(record.Pageflip)) {
                ShowPage(*target);
            }
        } else {
            m_editor.Release(button);
        }
    }
    panel.SelectedButton = -1;
    if (Contains(m_renderer.MenuRect(), point)) {
        m_editing.MenuRequest();
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
                m_editing.SetEditMode(EditModes::ChangeStyle);
                break;
            case 'G':
                m_editing.SetEditMode(EditModes::GetStyle);
                break;
            case 'I':
                m_editor.Insert();
                break;
            case 'M':
                m_editing.SetEditMode(EditModes::Move);
                break;
            case 'S':
                m_editing.SetEditMode(EditModes::Settings);
                break;
            case 'Q':
                m_editing.SetEditMode(EditModes::Normal);
                break;
            default:
                break;
        }
    }
    // Not passed on: no key may close the panel.
}
