#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "BuildVersion.h"
#include "PanelSender.h"
#include "SendOptions.h"
#include "SendOutput.h"
#include "SendPlan.h"
#include "ToolProcess.h"
#include "model/File.h"
#include "model/Layout.h"
#include "model/Paths.h"

namespace {

/// Sends every planned file to one panel; true when the panel got them all.
bool SendToPanel(const PanelTarget& target, const std::vector<PlannedFile>& plan,
                 const SendTimeouts& timeouts, SendOutput& output) {
    PanelSender sender(target, timeouts);
    const std::string panel = target.Shown();
    std::size_t sent = 0;
    std::string lost;
    for (std::size_t index = 0; index < plan.size(); ++index) {
        const PlannedFile& file = plan[index];
        if (!lost.empty()) {
            output.Skipped(panel, file, lost);
            continue;
        }
        const FileOutcome outcome =
            sender.Send(file, [&](std::uint64_t bytes, std::uint64_t length) {
                output.Progress(panel, index, plan.size(), file, bytes, length);
            });
        output.FileLine(panel, file, outcome);
        sent += outcome.sent ? 1 : 0;
        if (outcome.panelLost) {
            lost = outcome.problem;
        }
    }
    output.PanelSummary(panel, sent, plan.size());
    return sent == plan.size();
}

}  // namespace

int main(int argc, char** argv) {
    OccupyStandardDescriptors();
    SendOptions options;
    const CommandLineTable commandLine = SendCommandLine(options);
    if (const auto end = AnswerCommandLine(commandLine, argc, argv, kBuildVersion)) {
        return *end;
    }
    struct stat info {};
    if (stat(options.folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
        return RefuseCommandLine(commandLine, "not a folder: " + options.folder);
    }

    // The panel's own start: the reset values, then the file on top of them.
    auto layout = std::make_unique<Layout>();
    layout->ResetLayout();
    layout->Form.LayoutDirectory = TextFromNative(options.folder);
    std::string error;
    switch (File().LoadLayout(*layout, &error)) {
        case FileStatus::Missing:
            return RefuseCommandLine(commandLine, "no tvxdef.ini in " + options.folder);
        case FileStatus::Failed:
            ToolJournal().Error("tvx-send: cannot read " + File::LayoutPath(*layout) + ": " +
                                error);
            return 1;
        default:
            break;
    }

    const std::vector<PlannedFile> plan = MakeSendPlan(*layout);
    SendOutput output(isatty(STDOUT_FILENO) == 1);
    std::size_t complete = 0;
    for (const PanelTarget& panel : options.panels) {
        complete += SendToPanel(panel, plan, options.timeouts, output) ? 1 : 0;
    }
    output.Summary(complete, options.panels.size());
    return complete == options.panels.size() ? 0 : 1;
}
