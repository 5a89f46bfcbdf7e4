#include "panel/PanelEditor.h"

#include <wx/dialog.h>

#include "model/PageEditing.h"
#include "model/Prompter.h"
#include "panel/PageArea.h"
#include "panel/PageOperations.h"
#include "panel/PageRenderer.h"
#include "panel/PanelDialogs.h"

namespace {
/// The move timer's period while a finger moves a button.
constexpr int kMoveTickMs = 100;
}  // namespace

PanelEditor::PanelEditor(PageOperations& page, PanelDialogs& dialogs, PanelDocument& document,
                         PageRenderer& renderer, const PageArea& area)
    : m_panel(page), m_dialogs(dialogs), m_document(document), m_renderer(renderer), m_area(area) {
    m_moveTimer.Bind(wxEVT_TIMER, [this](wxTimerEvent&) {
        OnMoveTimer();
        // The move has ended (the finger lifted, the mode changed): the timer rests until the
        // next.
        if (!m_document.State().MoveUnderWay) {
            m_moveTimer.Stop();
        }
    });
}

PanelEditor::~PanelEditor() {
    m_moveTimer.Stop();
}

void PanelEditor::StartMove(int button, PagePoint point) {
    PanelState& panel = m_document.State();
    panel.LayoutChanged = 1;
    const Rect& rect = m_renderer.ButtonRect(button);
    panel.GrabOffset = PagePoint{point.x - rect.x, point.y - rect.y};
    panel.MoveUnderWay = true;
    // The button follows the pointer until the move ends.
    if (!m_moveTimer.IsRunning()) {
        m_moveTimer.Start(kMoveTickMs, wxTIMER_CONTINUOUS);
    }
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
    Rect& rect = m_renderer.ButtonRect(button);
    const PagePoint position =
        SnapToGrid(m_area.PointerOnPage(), panel.GrabOffset, rect.width, rect.height, layout.Form);
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
    if (m_dialogs.Dialog(dialog).ShowModal() == wxID_OK) {
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
    m_renderer.ShiftEntriesDown(button, last);
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
