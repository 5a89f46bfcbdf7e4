#include "SendOutput.h"

#include <cstdio>

#include "ToolProcess.h"
#include "model/Paths.h"
#include "model/PictureFile.h"

namespace {

/// What the panel got instead of the file itself, and why.
std::string StandInNote(const PlannedFile& file) {
    switch (file.standIn) {
        case StandIn::None:
            return std::string();
        case StandIn::Missing:
            return ShownName(file.name) + " is not in the folder";
        case StandIn::ShortName:
            return "the name is too short for a picture";
        case StandIn::Outside:
            return std::string();
    }
    return std::string();
}

}  // namespace

std::string ShownName(const std::wstring& name) {
    std::wstring shown = name;
    for (wchar_t& c : shown) {
        if (c < 0x20 || c == 0x7F || (c >= 0x80 && c <= 0x9F)) {
            c = L'?';
        }
    }
    return NativeName(shown);
}

void SendOutput::Progress(const std::string& panel, std::size_t index, std::size_t count,
                          const PlannedFile& file, std::uint64_t sent, std::uint64_t length) {
    if (!m_terminal) {
        return;
    }
    const std::uint64_t percent = length == 0 ? 100 : sent * 100 / length;
    const std::string text = panel + " file " + std::to_string(index + 1) + " of " +
                             std::to_string(count) + ": " + ShownName(file.name) + " " +
                             std::to_string(percent) + "%";
    // A redraw only when something shown changes: a block is a thousand bytes.
    if (text == m_lastProgress) {
        return;
    }
    m_lastProgress = text;
    std::fputs(("\r\033[K" + text).c_str(), stdout);
    std::fflush(stdout);
    m_progressShown = true;
}

void SendOutput::FileLine(const std::string& panel, const PlannedFile& file,
                          const FileOutcome& outcome) {
    std::string text = panel + " " + ShownName(file.name) + ": ";
    const std::string standIn = StandInNote(file);
    if (outcome.sent) {
        text += "sent, " + std::to_string(outcome.bytes) + " bytes";
        if (!standIn.empty()) {
            text += " of " + ShownName(kDefaultPicture) + " in its place: " + standIn;
        }
        if (!outcome.problem.empty()) {
            text += "; " + outcome.problem;
        }
    } else {
        text += "not sent, " + (standIn.empty() ? std::string() : standIn + "; ") + outcome.problem;
    }
    Line(text);
}

void SendOutput::Skipped(const std::string& panel, const PlannedFile& file,
                         const std::string& why) {
    Line(panel + " " + ShownName(file.name) + ": not sent, skipped: " + why);
}

void SendOutput::PanelSummary(const std::string& panel, std::size_t sent, std::size_t count) {
    Line(panel + ": " + std::to_string(sent) + " of " + std::to_string(count) + " files sent");
}

void SendOutput::Summary(std::size_t complete, std::size_t panels) {
    Line(std::to_string(complete) + " of " + std::to_string(panels) + " panels got every file");
}

void SendOutput::Line(const std::string& text) {
    if (m_progressShown) {
        std::fputs("\r\033[K", stdout);
        m_progressShown = false;
        m_lastProgress.clear();
    }
    PrintLine(text);
}
