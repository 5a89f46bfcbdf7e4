#pragma once

#include <memory>

#include "model/Layout.h"
#include "model/PanelDocument.h"

class ControllerLink;
class File;
class LayoutWatch;
class ModalDialogStack;
class PageView;
class PanelJournal;
class PanelWindow;
class wxWindow;

/// What another program puts into the layout folder while the panel runs: a new layout file is
/// loaded and shown (after asking, with changes not stored), new pictures of the page are shown,
/// a folder that is gone is reported. Nothing happens while a dialog or message is open over
/// `panel` or a finger is on a button: the change waits until the user is done.
class LayoutArrivals {
  public:
    LayoutArrivals(const wxWindow& panel, PanelDocument& document, const File& file,
                   LayoutWatch& watch, PanelJournal& journal, const ModalDialogStack& dialogs,
                   PageView& view, PanelWindow& window, ControllerLink& link);
    LayoutArrivals(const LayoutArrivals&) = delete;
    LayoutArrivals& operator=(const LayoutArrivals&) = delete;

    /// Called on every link timer tick with the milliseconds since the last one: looks at the
    /// folder every 300 ms.
    void Tick(int elapsedMs);

  private:
    /// One look at the layout folder.
    void WatchLayoutFolder();
    /// A layout file the panel did not write has arrived: with unsaved changes the user
    /// decides; a file that cannot be used leaves the running layout as it is. True when the
    /// new layout is shown.
    bool TakeNewLayout();
    /// The page with its pictures as they are in the folder now.
    void ShowNewPictures(int page);
    /// Replaces the running layout by `fresh` and shows it as the main settings' "OK" would.
    void ShowNewLayout(std::unique_ptr<::Layout> fresh);

    const wxWindow& m_panel;
    PanelDocument& m_document;
    const File& m_file;
    LayoutWatch& m_watch;
    PanelJournal& m_journal;
    const ModalDialogStack& m_dialogs;
    PageView& m_view;
    PanelWindow& m_window;
    ControllerLink& m_link;
    int m_sinceFolderLookMs = 0;
};
