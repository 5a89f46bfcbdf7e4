#pragma once

#include "model/PanelDocument.h"

class PanelOperations;
enum class PanelDialog;

/// The edit operations a touch performs on the panel: moving a button along the grid while the
/// finger is down, taking a style source, deleting, and inserting a new button.
class PanelEditor {
  public:
    PanelEditor(PanelOperations& panel, PanelDocument& document);

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

    PanelOperations& m_panel;
    PanelDocument& m_document;
};
