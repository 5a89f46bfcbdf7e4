#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "PanelSender.h"
#include "SendPlan.h"

/// What tvx-send prints on standard output: one line per file and panel, a summary line per
/// panel and one for all. On a terminal, a progress line for the panel being served is written
/// over and over in place, and wiped before each line that stays.
class SendOutput {
  public:
    explicit SendOutput(bool terminal) : m_terminal(terminal) {}

    /// Where the panel is: file `index` (from 0) of `count`, `sent` of `length` bytes.
    void Progress(const std::string& panel, std::size_t index, std::size_t count,
                  const PlannedFile& file, std::uint64_t sent, std::uint64_t length);
    /// "PANEL NAME: sent, N bytes ..." or "PANEL NAME: not sent, WHY".
    void FileLine(const std::string& panel, const PlannedFile& file, const FileOutcome& outcome);
    /// "PANEL NAME: not sent, skipped: WHY" for a file not tried after the panel was lost.
    void Skipped(const std::string& panel, const PlannedFile& file, const std::string& why);
    /// "PANEL: K of N files sent".
    void PanelSummary(const std::string& panel, std::size_t sent, std::size_t count);
    /// "K of P panels got every file".
    void Summary(std::size_t complete, std::size_t panels);

  private:
    void Line(const std::string& text);

    bool m_terminal;
    bool m_progressShown = false;
    std::string m_lastProgress;
};

/// A layout's file name for a line of output: UTF-8, control characters as '?'.
std::string ShownName(const std::wstring& name);
