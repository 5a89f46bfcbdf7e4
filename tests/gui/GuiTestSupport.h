#pragma once

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include <wx/bitmap.h>
#include <wx/colour.h>

#include "app/MainDialog.h"
#include "model/Layout.h"
#include "model/Prompter.h"

/// Answers the program's questions from a script and records what it showed and whether it
/// asked to end the process.
class FakePrompter : public Prompter {
  public:
    bool ChooseDirectory(const std::wstring& message, std::wstring& folder) override;
    void ShowMessage(const std::wstring& text) override;
    Answer AskYesNoCancel(const std::wstring& text, const std::wstring& caption) override;
    void ExitProcess(int code) override;

    bool chooseOk = true;
    std::wstring directory;
    std::deque<Answer> answers;  ///< for AskYesNoCancel; empty answers Cancel
    std::vector<std::wstring> messages;
    std::vector<std::wstring> questions;
    std::wstring lastChooserMessage;
    int exitCode = -1;  ///< -1 while nobody asked to end the process
};

/// Keeps the toolkit's event loop running until the condition holds or the time is up.
bool WaitFor(const std::function<bool()>& condition, int timeoutMs = 3000);
/// Runs the event loop for a while.
void Pump(int milliseconds);

/// A temporary layout folder with the two required pictures (a 40 x 40 menu picture and a
/// 100 x 50 grey default button) and a layout file written from a Layout.
class LayoutFolder {
  public:
    LayoutFolder();
    ~LayoutFolder();
    const std::string& Path() const { return m_path; }
    std::wstring WidePath() const;
    /// Writes tvxdef.ini in the format the program stores.
    void Write(const Layout& layout) const;
    void WriteBytes(const std::string& name, const std::string& bytes) const;
    /// A solid picture of one colour (optionally with an alpha value).
    void WritePicture(const std::string& name, int width, int height, const wxColour& colour) const;
    std::string Read(const std::string& name) const;

  private:
    std::string m_path;
};

/// A fresh layout with the reset values and a small 400 x 300 page.
std::unique_ptr<Layout> SmallLayout();

/// Builds the real panel window on a folder, under the fake prompter, and shows it.
class PanelUnderTest {
  public:
    PanelUnderTest(const LayoutFolder& folder, FakePrompter& prompter, bool show = true);
    ~PanelUnderTest();
    MainDialog* operator->() const { return m_dialog; }
    MainDialog* Get() const { return m_dialog; }
    /// Colour of one pixel of the page as composed (page coordinates).
    wxColour PagePixel(int x, int y) const;

  private:
    MainDialog* m_dialog = nullptr;
};
