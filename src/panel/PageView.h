#pragma once

#include <memory>
#include <string>

#include <wx/bitmap.h>
#include <wx/timer.h>

#include "model/PanelDocument.h"
#include "panel/PageOperations.h"
#include "panel/PageRenderer.h"

class LayoutWatch;
class LinkMarks;
class PageArea;
class PanelJournal;
class PanelWindow;
class wxScrollWinEvent;
class wxTopLevelWindow;

/// The page on screen: composes the page of the document into the page area's buffer, with each
/// button's look and the mark the link gives it, puts the edit mode's marks and the status
/// line's note on top, names the page in the window's title and repaints what a scroll or a
/// resize owes. A required picture that is missing ends the panel through `window`; a picture
/// too large to show is reported once.
class PageView final : public PageOperations {
  public:
    PageView(PanelDocument& document, wxTopLevelWindow& title, PageArea& area,
             const LinkMarks& linkMarks, LayoutWatch& watch, PanelJournal& journal,
             PanelWindow& window);
    ~PageView();
    PageView(const PageView&) = delete;
    PageView& operator=(const PageView&) = delete;

    void LoadPage(int page) override;
    void BuildPageBackground(int page) override;
    void LoadButtonImages(int page) override;
    void DrawPage(int page) override;
    void DrawButton(int page, int button, int look) override;
    void DrawButtons(int page) override;
    void RestoreBackground(int button, int x, int y) override;
    /// Also the note in the status line, on the page's colours.
    void ShowEditMarks() override;

    /// The page's pictures as they are in the folder now, without ending the panel for a
    /// required one that is missing: which of those are missing.
    PageRenderer::MissingPictures LoadPagePictures(int page);
    /// The window's title names the page and the edit mode in force.
    void ShowTitle();
    /// Shows `text` in the status line for `milliseconds`.
    void ShowNote(const std::wstring& text, int milliseconds);
    /// A scroll or resize owes the window a repaint from the page's buffer (RedrawPending);
    /// RepaintOwed pays it.
    void OweRepaint();
    void RepaintOwed();

    PageRenderer& Renderer() { return m_renderer; }
    PageArea& Area() const { return m_area; }

  private:
    void OnScroll(wxScrollWinEvent& event);
    wxBitmap& PageBuffer();
    /// Puts on the page (and the screen) what changed of it: the base, the buttons' looks.
    void BringPageUpToDate(int page);
    /// The look and the mark of a button as the page is to show them now.
    PageRenderer::ButtonLook LookAndMark(int page, int button, int look) const;
    /// Shows the message for a required picture that is missing and asks the window to close.
    void ReportMissingPictures(const PageRenderer::MissingPictures& missing);
    /// One message for each picture not shown for its size (each file once); the journal also
    /// learns of the button pictures that are missing.
    void ReportRefusedPictures();

    PanelDocument& m_document;
    wxTopLevelWindow& m_title;
    PageArea& m_area;
    const LinkMarks& m_linkMarks;
    LayoutWatch& m_watch;
    PanelJournal& m_journal;
    PanelWindow& m_window;
    PageRenderer m_renderer;
    std::wstring m_note;
    /// Ends the note in the status line.
    wxTimer m_noteTimer;
};
