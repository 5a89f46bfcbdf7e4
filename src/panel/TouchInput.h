#pragma once

#include <wx/event.h>

#include "model/PanelDocument.h"

class ControllerLink;
class EditSession;
class PageArea;
class PageOperations;
class PageRenderer;
class PanelEditor;

/// Touches on the page area and keys on the panel window: finds the button under the finger,
/// shows it pressed, sends its press and release, flips pages, opens the menu and hands touches
/// to the edit operation in force.
class TouchInput {
  public:
    /// Takes the touches on `area` and the keys of `window`; draws through `page`, opens menus
    /// and switches modes through `editing`, sends presses through `link`.
    TouchInput(PageArea& area, wxWindow& window, PageOperations& page, EditSession& editing,
               ControllerLink& link, PanelEditor& editor, PanelDocument& document,
               const PageRenderer& renderer);
    TouchInput(const TouchInput&) = delete;
    TouchInput& operator=(const TouchInput&) = delete;

    void OnLeftDown(wxMouseEvent& event);
    void OnLeftUp(wxMouseEvent& event);
    /// Consumes every key, so that no key closes or navigates the panel window.
    void OnCharHook(wxKeyEvent& event);

  private:
    void ShowPage(int page);

    const PageArea& m_area;
    PageOperations& m_panel;
    EditSession& m_editing;
    ControllerLink& m_link;
    PanelEditor& m_editor;
    PanelDocument& m_document;
    const PageRenderer& m_renderer;
};
