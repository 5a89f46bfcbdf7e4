#pragma once

#include <string>

/// The few places where the program asks the user something or ends itself, behind one narrow
/// interface that names no window class. The running program answers through the toolkit's
/// dialogs; tests install their own answers so that nothing blocks and nothing exits.
class Prompter {
  public:
    enum class Answer { Ok, Yes, No, Cancel };

    virtual ~Prompter() = default;

    /// The directory chooser, opening in `start`. Returns false when the user does not confirm a
    /// folder.
    virtual bool ChooseDirectory(const std::wstring& message, const std::wstring& start,
                                 std::wstring& folder) = 0;
    /// A message box with an OK button and the toolkit's default caption.
    virtual void ShowMessage(const std::wstring& text) = 0;
    /// A message box with Yes, No and Cancel.
    virtual Answer AskYesNoCancel(const std::wstring& text, const std::wstring& caption) = 0;
    /// A message box with Yes and No; Yes or No (closing the box answers No).
    virtual Answer AskYesNo(const std::wstring& text, const std::wstring& caption) = 0;
    /// A message box with Yes, No and Cancel whose Yes and No say what they do (`yes`, `no`);
    /// closing the box answers Cancel.
    virtual Answer AskWithLabels(const std::wstring& text, const std::wstring& caption,
                                 const std::wstring& yes, const std::wstring& no) = 0;
    /// Ends the process at once with the given code, without an orderly shutdown. A test
    /// double records the code and returns, so callers return right after calling it.
    virtual void ExitProcess(int code) = 0;
};

/// The prompter in use. Set once by the application (or a test) before the panel is built.
Prompter& GetPrompter();
void SetPrompter(Prompter* prompter);
