#pragma once

#include <memory>

#include "model/Layout.h"
#include "model/PanelState.h"

/// What the panel edits for one run: its layout and its state. The application makes one and
/// hands it to the panel window, which hands each dialog, the editor and the touch input what
/// they edit; nothing else holds a layout or a panel state of the running panel.
class PanelDocument {
  public:
    PanelDocument() : m_layout(std::make_unique<::Layout>()) {}
    PanelDocument(const PanelDocument&) = delete;
    PanelDocument& operator=(const PanelDocument&) = delete;

    ::Layout& Layout() { return *m_layout; }
    const ::Layout& Layout() const { return *m_layout; }
    PanelState& State() { return m_state; }
    const PanelState& State() const { return m_state; }

  private:
    /// On the heap: the button tables are too large for a stack.
    std::unique_ptr<::Layout> m_layout;
    PanelState m_state;
};
