#include "app/WaitingPage.h"

#include <algorithm>

#include <wx/dcbuffer.h>
#include <wx/display.h>
#include <wx/settings.h>

#include "link/PanelAddress.h"
#include "model/Journal.h"
#include "model/Layout.h"
#include "model/Paths.h"
#include "model/Prompter.h"
#include "model/StartLayout.h"
#include "model/StartOptions.h"

namespace {

/// As often as the running panel looks at its folder.
constexpr int kLookMs = 300;
/// The text gets no smaller than this to fit a long folder name.
constexpr int kSmallestPoints = 8;

const wxColour kBackground(32, 40, 48);
const wxColour kHeading(255, 255, 255);
const wxColour kText(200, 208, 216);
const wxColour kCommand(255, 214, 90);

/// A line that shows a command to type.
bool IsCommand(const wxString& line) {
    return line.StartsWith("tvx-send ");
}

}  // namespace

WaitingPage::WaitingPage(const std::wstring& folder, const File& file)
    : m_file(file), m_layout(std::make_unique<::Layout>()) {
    m_layout->Form.LayoutDirectory = folder;
    // Looked at before the first judging: a file that arrives meanwhile is news.
    m_watch = LayoutWatch(LookAtLayoutFolder(*m_layout));
    m_addresses = ReachableAddresses(ListInterfaceAddresses());
    Judge();
    if (m_ready) {
        return;
    }
    // The whole screen, on a display with a window manager and on one without.
    const wxRect screen = wxDisplay(0u).GetGeometry();
    Create(nullptr, wxID_ANY, kTitle, screen.GetPosition(), screen.GetSize(), wxBORDER_NONE);
    SetBackgroundStyle(wxBG_STYLE_PAINT);
    ShowFullScreen(true);
    Bind(wxEVT_PAINT, &WaitingPage::OnPaint, this);
    Bind(wxEVT_CLOSE_WINDOW, &WaitingPage::OnClose, this);
    m_timer.SetOwner(this);
    Bind(wxEVT_TIMER, &WaitingPage::OnTimer, this);
    m_timer.Start(kLookMs);
}

WaitingPage::~WaitingPage() {
    m_timer.Stop();
}

void WaitingPage::Judge() {
    m_layout->ResetLayout();
    const StartLoad load = LoadStartLayout(m_file, *m_layout);
    m_problem = load.Loaded() || load.status == FileStatus::Missing ? std::string() : load.problem;
    m_missingPictures = load.Loaded() ? MissingRequiredPictures(m_layout->Form.LayoutDirectory)
                                      : std::vector<std::wstring>();
    m_ready = load.Loaded() && m_missingPictures.empty();
    Word();
}

void WaitingPage::Word() {
    const wxString folder(m_layout->Form.LayoutDirectory);
    m_lines.clear();
    if (!m_problem.empty()) {
        m_lines.push_back("The layout in " + folder + " cannot be used:");
        m_lines.push_back(wxString::FromUTF8(m_problem.c_str()));
    } else if (!m_missingPictures.empty()) {
        wxString names;
        for (const std::wstring& name : m_missingPictures) {
            names += (names.empty() ? "" : " and ") + wxString(name);
        }
        m_lines.push_back("The layout has arrived in " + folder + ",");
        m_lines.push_back("but it cannot start without " + names + ".");
    } else {
        m_lines.push_back("This panel has no layout in " + folder + " yet.");
    }
    m_lines.push_back("");
    m_lines.push_back("Send one from a PC with");
    if (m_addresses.empty()) {
        m_lines.push_back("tvx-send FOLDER ADDRESS");
        m_lines.push_back("");
        m_lines.push_back("(this panel has no network address yet)");
    } else {
        for (const std::string& address : m_addresses) {
            m_lines.push_back("tvx-send FOLDER " + address);
        }
    }
    m_lines.push_back("");
    m_lines.push_back("FOLDER is the layout folder on the PC.");
    m_lines.push_back("The panel starts on the layout the moment it has arrived.");
}

void WaitingPage::OnTimer(wxTimerEvent&) {
    const std::vector<std::string> addresses = ReachableAddresses(ListInterfaceAddresses());
    bool changed = addresses != m_addresses;
    m_addresses = addresses;
    const FolderSnapshot now = LookAtLayoutFolder(*m_layout);
    if (m_watch.Check(now) != LayoutWatch::Change::None) {
        // A new layout file, its pictures or the backup beside it: judged again.
        m_watch.Dealt(now);
        Judge();
        changed = true;
    } else if (changed) {
        Word();
    }
    if (m_ready) {
        m_timer.Stop();
        EndModal(wxID_OK);
    } else if (changed) {
        Refresh();
    }
}

void WaitingPage::OnClose(wxCloseEvent&) {
    Journal().Info("end: closed while waiting for a layout (exit code 0)");
    GetPrompter().ExitProcess(ExitCodes::kQuit);
}

void WaitingPage::OnPaint(wxPaintEvent&) {
    wxAutoBufferedPaintDC dc(this);
    dc.SetBackground(wxBrush(kBackground));
    dc.Clear();
    const wxSize size = GetClientSize();
    // The largest letters with which every line fits the width and the page the height, a long
    // folder name included.
    int points = std::max(kSmallestPoints, size.y / 40);
    wxFont heading;
    wxFont text;
    wxFont command;
    int headingHeight = 0;
    int lineHeight = 0;
    for (;; --points) {
        heading = wxFont(wxFontInfo(points * 2).Bold());
        text = wxFont(wxFontInfo(points));
        command = wxFont(wxFontInfo(points).Family(wxFONTFAMILY_TELETYPE).Bold());
        dc.SetFont(heading);
        int widest = dc.GetTextExtent(kTitle).x;
        headingHeight = dc.GetCharHeight();
        dc.SetFont(text);
        lineHeight = dc.GetCharHeight() * 5 / 4;
        for (const wxString& line : m_lines) {
            dc.SetFont(IsCommand(line) ? command : text);
            widest = std::max(widest, dc.GetTextExtent(line).x);
        }
        const int tallest = headingHeight * 2 + lineHeight * static_cast<int>(m_lines.size());
        if (points == kSmallestPoints ||
            (widest <= size.x * 9 / 10 && tallest <= size.y * 9 / 10)) {
            break;
        }
    }
    int y = (size.y - headingHeight * 2 - lineHeight * static_cast<int>(m_lines.size())) / 2;
    y = std::max(y, 0);

    dc.SetFont(heading);
    dc.SetTextForeground(kHeading);
    dc.DrawLabel(kTitle, wxRect(0, y, size.x, headingHeight), wxALIGN_CENTRE);
    y += headingHeight * 2;
    for (const wxString& line : m_lines) {
        dc.SetFont(IsCommand(line) ? command : text);
        dc.SetTextForeground(IsCommand(line) ? kCommand : kText);
        dc.DrawLabel(line, wxRect(0, y, size.x, lineHeight), wxALIGN_CENTRE);
        y += lineHeight;
    }
}
