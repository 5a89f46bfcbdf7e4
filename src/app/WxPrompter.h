#pragma once

#include "app/ModalDialogStack.h"
#include "model/Prompter.h"

/// The running program's prompter: the toolkit's directory chooser and message boxes, and a
/// process exit without any orderly shutdown. A message box belongs to the window it is shown
/// over: the innermost modal dialog, or the panel when none is open.
class WxPrompter : public Prompter {
  public:
    /// Shows its message boxes over the innermost of `dialogs`.
    explicit WxPrompter(const ModalDialogStack& dialogs) : m_dialogs(dialogs) {}

    bool ChooseDirectory(const std::wstring& message, const std::wstring& start,
                         std::wstring& folder) override;
    void ShowMessage(const std::wstring& text) override;
    Answer AskYesNoCancel(const std::wstring& text, const std::wstring& caption) override;
    Answer AskYesNo(const std::wstring& text, const std::wstring& caption) override;
    Answer AskWithLabels(const std::wstring& text, const std::wstring& caption,
                         const std::wstring& yes, const std::wstring& no) override;
    void ExitProcess(int code) override;

  private:
    const ModalDialogStack& m_dialogs;
};
