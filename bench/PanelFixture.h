#pragma once

#include <memory>
#include <string>

#include <wx/event.h>
#include <wx/gdicmn.h>

#include "app/MainDialog.h"
#include "app/ModalDialogStack.h"
#include "model/Prompter.h"
#include "panel/PageArea.h"
#include "panel/PageView.h"

/// The panel the benchmarks measure: full pages of 800 x 480, each with 100 buttons in a 10 x 10
/// grid, its own page picture and texts on every button; every button shows lamp page * 100 +
/// number (of the first ten pages), and the last button of a page flips to the next page.
/// Written to a temporary folder that is removed again.
class BenchLayoutFolder {
  public:
    static constexpr int kPages = 2;
    static constexpr int kButtons = 100;
    /// The pages of a full layout.
    static constexpr int kLargePages = 11;

    /// Which layout: two pages whose buttons all share one off, one pressed and one on picture;
    /// or the large layout, 11 pages whose every button has three pictures of its own.
    enum class Shape { TwoPages, Large };

    explicit BenchLayoutFolder(Shape shape = Shape::TwoPages);
    ~BenchLayoutFolder();
    BenchLayoutFolder(const BenchLayoutFolder&) = delete;
    BenchLayoutFolder& operator=(const BenchLayoutFolder&) = delete;

    const std::string& Path() const { return m_path; }

  private:
    std::string m_path;
};

/// Answers the start-up's folder question with the benchmark folder and keeps every message
/// out of a box that would wait for a click.
class BenchPrompter : public Prompter {
  public:
    bool ChooseDirectory(const std::wstring& message, const std::wstring& start,
                         std::wstring& folder) override;
    void ShowMessage(const std::wstring& text) override;
    Answer AskYesNoCancel(const std::wstring& text, const std::wstring& caption) override;
    Answer AskYesNo(const std::wstring& text, const std::wstring& caption) override;
    Answer AskWithLabels(const std::wstring& text, const std::wstring& caption,
                         const std::wstring& yes, const std::wstring& no) override;
    void ExitProcess(int code) override;

    std::wstring directory;
    std::wstring lastMessage;
    bool exitRequested = false;
};

/// Sits in front of a window's own handlers and notes every paint, then lets the window paint.
class PaintProbe : public wxEvtHandler {
  public:
    explicit PaintProbe(wxWindow& window);

    long paints = 0;
    wxRect painted;  ///< bounding box of the last paint's update region, client coordinates

  private:
    void OnPaint(wxPaintEvent& event);

    wxWindow& m_window;
};

/// The real panel window, built on a BenchLayoutFolder and shown, with a probe in front of its
/// page area.
class BenchPanel {
  public:
    explicit BenchPanel(BenchLayoutFolder::Shape shape = BenchLayoutFolder::Shape::TwoPages);
    ~BenchPanel();
    BenchPanel(const BenchPanel&) = delete;
    BenchPanel& operator=(const BenchPanel&) = delete;

    /// Empty when the panel is up and showing its start page, else what went wrong.
    const std::string& Error() const { return m_error; }
    MainDialog& Dialog() { return *m_dialog; }
    /// The layout and the panel state the panel runs on.
    PanelDocument& Document() { return *m_document; }

    /// Brings the repaint the page area was asked for onto the screen and returns once it is
    /// there: the paint runs at once, then a pixel of `mark` (page coordinates) is read back
    /// from the window. The read-back is a round trip to the display server, which answers
    /// only after it has executed every drawing request sent before it. False when no paint
    /// covering `mark` came within a second or the pixel could not be read.
    bool Present(const wxRect& mark);

    /// Whether the screen shows what the back buffer holds inside `mark`: a few pixels read
    /// back from the window and from the buffer.
    bool ScreenShowsBuffer(const wxRect& mark);

    /// Handles what is waiting in the event queue (timers, window-system events), so that a
    /// measurement starts from a quiet panel.
    void Settle();

    /// The rectangle of the last button of the current page, as loaded.
    wxRect LastButtonRect();

    /// Flips to `page` as a released button with a page flip does, and waits until the new
    /// page's last button is on the screen (Present). False when it did not come there.
    bool FlipTo(int page);

  private:
    /// The large layout's folder is written once and shared by every panel of the run.
    std::shared_ptr<const BenchLayoutFolder> m_folder;
    BenchPrompter m_prompter;
    std::unique_ptr<PanelDocument> m_document = std::make_unique<PanelDocument>();
    ModalDialogStack m_modalDialogs;
    MainDialog* m_dialog = nullptr;
    std::unique_ptr<PaintProbe> m_probe;
    std::string m_error;
};
