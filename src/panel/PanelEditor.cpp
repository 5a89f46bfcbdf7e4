#include "panel/PanelEditor.h"

#include "model/PageEditing.h"
#include "model/Prompter.h"
#include "panel/PageRenderer.h"
#include "panel/PanelOperations.h"

PanelEditor::PanelEditor(PanelOperations& panel, PanelDocument& document)
    : m_panel(panel), m_document(document) {}

void PanelEditor::StartMove(int button, PagePoint point) {
    PanelState& panel = m_document.State();
    panel.LayoutChanged = 1;
    const Rect& rect = m_panel.Renderer().ButtonRect(button);
    panel.GrabOffset = PagePoint{point.x - rect.x, point.y - rect.y};
    panel.MoveUnderWay = true;
    m_panel.FollowMove();
}

void PanelEditor::OnMoveTimer() {
    PanelState& panel = m_document.State();
    const int button = panel.SelectedButton;
    // SelectedButton outlives a touch on an inactive button, and the mode can be changed while a
    // finger is down: only a move that a finger started follows the pointer.
    if (panel.EditMode != EditModes::Move || button == -1 || !panel.MoveUnderWay) {
        return;
    }
    ::Layout& layout = m_document.Layout();
    Rect& rect = m_panel.Renderer().ButtonRect(button);
    const PagePoint position =
        SnapToGrid(m_panel.PointerOnPage(), panel.GrabOffset, rect.width, rect.height, layout.Form);
    if (position == panel.LastMovePos) {
        return;
    }
    panel.LastMovePos = position;
    ButtonRecord& record = layout.Button(panel.CurrentPage, button);
    m_panel.RestoreBackground(button, record.PosX, record.PosY);
    rect.x = position.x;
    rect.y = position.y;
    record.PosX = position.x;
    record.PosY = position.y;
    m_panel.DrawButtons(panel.CurrentPage);
}

void PanelEditor::Release(int button) {
    PanelState& panel = m_document.State();
    switch (panel.EditMode) {
        case EditModes::Move:
            m_panel.DrawButtons(panel.CurrentPage);
            break;
        case EditModes::Settings:
            EditInDialog(PanelDialog::ButtonSettings);
            break;
        case EditModes::GetStyle:
            panel.StyleSource = ButtonRef{button, panel.CurrentPage};
            panel.StyleSourceMarked = true;
            m_panel.ShowEditMarks();
            break;
        case EditModes::ChangeStyle:
            EditInDialog(PanelDialog::ChangeStyle);
            break;
        case EditModes::Delete:
            Delete(button);
            break;
        default:
            break;
    }
}

void PanelEditor::EditInDialog(PanelDialog dialog) {
    if (m_panel.Dialog(dialog).ShowModal() == wxID_OK) {
        const int page = m_document.State().CurrentPage;
        m_panel.LoadButtonImages(page);
        m_panel.DrawPage(page);
    }
}

void PanelEditor::Delete(int button) {
    PanelState& panel = m_document.State();
    ::Layout& layout = m_document.Layout();
    const int last = layout.Page(panel.CurrentPage).Button_Last;
    if (!DeleteButton(layout, panel.CurrentPage, button)) {
        return;
    }
    m_panel.Renderer().ShiftEntriesDown(button, last);
    panel.LayoutChanged = 1;
    m_panel.LoadButtonImages(panel.CurrentPage);
    m_panel.DrawPage(panel.CurrentPage);
}

void PanelEditor::Insert() {
    PanelState& panel = m_document.State();
    if (!InsertButton(m_document.Layout(), panel.CurrentPage)) {
        GetPrompter().ShowMessage(L"This page is full: it already holds 102 buttons.");
        return;
    }
    panel.LayoutChanged = 1;
    m_panel.LoadButtonImages(panel.CurrentPage);
    // The title and the banner go on naming the mode in force: the insert is no mode, and the
    // new button on the page is what it did.
    m_panel.DrawPage(panel.CurrentPage);
}
