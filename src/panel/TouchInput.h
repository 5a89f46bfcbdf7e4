#pragma once

#include <wx/event.h>

#include "model/PanelDocument.h"

class PanelOperations;
class PanelEditor;

/// Touches on the page area and keys on the panel window: finds the button under the finger,
/// shows it pressed, sends its press and release, flips pages, opens the menu and hands touches
/// to the edit operation in force.
class TouchInput {
  public:
    TouchInput(PanelOperations& panel, PanelEditor& editor, PanelDocument& document);

    void OnLeftDown(wxMouseEvent& event);
    void OnLeftUp(wxMouseEvent& event);
    /// Consumes every key, so that no key closes or navigates the panel window.
    void OnCharHook(wxKeyEvent& event);

  private:
    void ShowPage(int page);

    PanelOperations& m_panel;
    PanelEditor& m_editor;
    PanelDocument& m_document;
};
