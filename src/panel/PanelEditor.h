#pragma once

#include <wx/timer.h>

#include "model/PanelDocument.h"
#include "panel/PanelDialogs.h"

class PageArea;
class PageOperations;
class PageRenderer;

/// The edit operations a touch performs on the panel: moving a button along the grid while the
/// finger is down, taking a style source, deleting, and inserting a new button.
class PanelEditor {
  public:
    /// Edits `document` on the page that `page` draws, `renderer` holds the buttons' places of
    /// and `area` shows; opens the button settings and the style change through `dialogs`.
    PanelEditor(PageOperations& page, PanelDialogs& dialogs, PanelDocument& document,
                PageRenderer& renderer, const PageArea& area);
    ~PanelEditor();
    PanelEditor(const PanelEditor&) = delete;
    PanelEditor& operator=(const PanelEditor&) = delete;

    /// Down event on a button in move mode.
    void StartMove(int button, PagePoint point);
    /// The move timer's tick: the held button follows the pointer on the grid.
    void OnMoveTimer();
    /// Release of a touch that went down on `button` while an edit mode was in force.
    void Release(int button);
    /// Adds a button to the current page at (50, 0). The edit mode in force stays, and with it
    /// the title and the banner.
    void Insert();
    /// Shows a dialog that edits the touched button (its settings, or a style copied onto it),
    /// and the page with the result once "OK" ended it.
    void EditInDialog(PanelDialog dialog);

  private:
    void Delete(int button);

    PageOperations& m_panel;
    PanelDialogs& m_dialogs;
    PanelDocument& m_document;
    PageRenderer& m_renderer;
    const PageArea& m_area;
    /// Ticks while a finger moves a button.
    wxTimer m_moveTimer;
};
