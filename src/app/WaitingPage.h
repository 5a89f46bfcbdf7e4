#pragma once

#include <memory>
#include <string>
#include <vector>

#include <wx/dialog.h>
#include <wx/timer.h>

#include "model/File.h"
#include "model/LayoutWatch.h"

class Layout;

/// The page a panel that starts by itself shows, over the whole screen, while its folder holds
/// no layout it can start on: "Waiting for a layout", why not, the panel's addresses and the
/// command that sends one from a PC. It looks at the folder as the running panel does and ends
/// its modal run (wxID_OK) once the folder holds a layout the panel can start on and the
/// pictures it cannot do without. A close request ends the program as "Quit" does.
class WaitingPage : public wxDialog {
  public:
    /// The heading, and the window's title.
    static constexpr const char* kTitle = "Waiting for a layout";

    WaitingPage(const std::wstring& folder, const File& file);
    ~WaitingPage() override;

    /// Whether the folder held what the panel needs to start at the last look.
    bool Ready() const { return m_ready; }
    /// What the page says, line by line, below its heading.
    const std::vector<wxString>& Lines() const { return m_lines; }

  private:
    void OnPaint(wxPaintEvent& event);
    void OnTimer(wxTimerEvent& event);
    void OnClose(wxCloseEvent& event);

    /// Judges what the folder holds now and words it.
    void Judge();
    /// The lines for what the last look found and the addresses known.
    void Word();

    const File& m_file;
    std::unique_ptr<::Layout> m_layout;  ///< where each look loads to; its folder the panel's
    LayoutWatch m_watch{FolderSnapshot{}};
    wxTimer m_timer;
    bool m_ready = false;
    std::string m_problem;  ///< why tvxdef.ini cannot be used; empty when it is missing
    std::vector<std::wstring> m_missingPictures;  ///< with a layout there
    std::vector<std::string> m_addresses;
    std::vector<wxString> m_lines;
};
