#pragma once

#include "model/PanelDocument.h"
#include "panel/LayoutStore.h"

class File;
class LayoutWatch;
class PageView;
class PanelJournal;

/// "Store" on the panel: writes the document's layout through `file` and tells the user how it
/// went.
class PanelStore final : public LayoutStore {
  public:
    PanelStore(PanelDocument& document, const File& file, LayoutWatch& watch, PanelJournal& journal,
               PageView& view);
    PanelStore(const PanelStore&) = delete;
    PanelStore& operator=(const PanelStore&) = delete;

    /// Writes the layout file and tells the user when that did not work, or when the new file
    /// may not survive a power cut. Clears LayoutChanged, and gives true, once the new file is
    /// in place. The file written is the panel's own: it is not taken for a new arrival. A store
    /// that went through says so for a few seconds in the status line ("Layout stored 14:03").
    bool StoreLayoutAndReport() override;

  private:
    PanelDocument& m_document;
    const File& m_file;
    LayoutWatch& m_watch;
    PanelJournal& m_journal;
    PageView& m_view;
};
