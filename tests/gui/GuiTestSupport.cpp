#include "GuiTestSupport.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include <wx/app.h>
#include <wx/dcmemory.h>
#include <wx/image.h>
#include <wx/utils.h>

#include "model/File.h"
#include "model/PanelState.h"
#include "model/Paths.h"
#include "panel/PageArea.h"

bool FakePrompter::ChooseDirectory(const std::wstring& message, std::wstring& folder) {
    lastChooserMessage = message;
    if (!chooseOk) {
        return false;
    }
    folder = directory;
    return true;
}

void FakePrompter::ShowMessage(const std::wstring& text) {
    messages.push_back(text);
}

Prompter::Answer FakePrompter::AskYesNoCancel(const std::wstring& text, const std::wstring&) {
    questions.push_back(text);
    if (answers.empty()) {
        return Answer::Cancel;
    }
    const Answer answer = answers.front();
    answers.pop_front();
    return answer;
}

void FakePrompter::ExitProcess(int code) {
    exitCode = code;
}

bool WaitFor(const std::function<bool()>& condition, int timeoutMs) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (true) {
        wxTheApp->Yield(true);
        if (condition()) {
            return true;
        }
        if (std::chrono::steady_clock::now() > end) {
            return false;
        }
        wxMilliSleep(2);
    }
}

void Pump(int milliseconds) {
    WaitFor([] { return false; }, milliseconds);
}

LayoutFolder::LayoutFolder() {
    std::string pattern = "/tmp/tvx-gui-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) {
        std::abort();
    }
    m_path = pattern;
    WritePicture("TvxMenu.png", 40, 40, wxColour(10, 200, 10));
    WritePicture("defaultButton.png", 100, 50, wxColour(128, 128, 128));
}

LayoutFolder::~LayoutFolder() {
    if (DIR* dir = ::opendir(m_path.c_str())) {
        while (dirent* entry = ::readdir(dir)) {
            const std::string name = entry->d_name;
            if (name != "." && name != "..") {
                ::unlink((m_path + "/" + name).c_str());
            }
        }
        ::closedir(dir);
    }
    ::rmdir(m_path.c_str());
}

std::wstring LayoutFolder::WidePath() const {
    return TextFromNative(m_path);
}

void LayoutFolder::Write(const Layout& layout) const {
    WriteBytes("tvxdef.ini", File::FormatLayout(layout));
}

void LayoutFolder::WriteBytes(const std::string& name, const std::string& bytes) const {
    std::ofstream out(m_path + "/" + name, std::ios::binary | std::ios::trunc);
    out << bytes;
}

void LayoutFolder::WritePicture(const std::string& name, int width, int height,
                                const wxColour& colour) const {
    wxImage image(width, height);
    image.SetRGB(wxRect(0, 0, width, height), colour.Red(), colour.Green(), colour.Blue());
    if (colour.Alpha() != wxALPHA_OPAQUE) {
        image.InitAlpha();
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                image.SetAlpha(x, y, colour.Alpha());
            }
        }
    }
    image.SaveFile(wxString::FromUTF8((m_path + "/" + name).c_str()), wxBITMAP_TYPE_PNG);
}

std::string LayoutFolder::Read(const std::string& name) const {
    std::ifstream in(m_path + "/" + name, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

std::unique_ptr<Layout> SmallLayout() {
    auto layout = std::make_unique<Layout>();
    layout->Form.SizeX = 400;
    layout->Form.SizeY = 300;
    return layout;
}

PanelUnderTest::PanelUnderTest(const LayoutFolder& folder, FakePrompter& prompter, bool show) {
    prompter.directory = folder.WidePath();
    SetPrompter(&prompter);
    m_dialog = new MainDialog(nullptr, wxID_ANY);
    if (show && m_dialog->StartedUp()) {
        m_dialog->Show();
        WaitFor([this] { return m_dialog->IsShownOnScreen(); });
        Pump(50);
    }
}

PanelUnderTest::~PanelUnderTest() {
    if (m_dialog->StartedUp()) {
        m_dialog->Destroy();
        Pump(20);
    } else {
        delete m_dialog;
    }
}

wxColour PanelUnderTest::PagePixel(int x, int y) const {
    const wxBitmap& buffer = m_dialog->GetPageArea()->Buffer();
    const wxImage image = buffer.ConvertToImage();
    return wxColour(image.GetRed(x, y), image.GetGreen(x, y), image.GetBlue(x, y));
}
