#include "app/OpenLayoutFolder.h"

#include <unistd.h>

#include <wx/intl.h>
#include <wx/string.h>

#include "model/File.h"
#include "model/LayoutWatch.h"
#include "model/PanelDocument.h"
#include "model/PanelJournal.h"
#include "model/Paths.h"
#include "model/Prompter.h"
#include "model/StartLayout.h"
#include "model/StartOptions.h"

namespace {

/// Why the panel cannot start on the layout file of `folder`.
std::wstring StartFailureText(const StartLoad& load, const std::wstring& folder) {
    wxString text;
    switch (load.status) {
        case FileStatus::Missing:
            text.Printf("tvxdef.ini missing ! %s", wxString(folder));
            break;
        case FileStatus::Incomplete:
            text.Printf(
                "tvxdef.ini cannot be used ! %s\n%s\n\nThere is no whole tvxdef.ini.bak "
                "to run on instead.",
                wxString(folder), wxString::FromUTF8(load.problem.c_str()));
            break;
        default:
            text.Printf("tvxdef.ini cannot be read ! %s\n%s", wxString(folder),
                        wxString::FromUTF8(load.problem.c_str()));
            break;
    }
    return text.ToStdWstring();
}

std::wstring CurrentWorkingFolder() {
    char buffer[4096];
    if (::getcwd(buffer, sizeof buffer) == nullptr) {
        return L".";
    }
    return TextFromNative(buffer);
}

}  // namespace

bool OpenLayoutFolder(PanelDocument& document, const File& file, PanelJournal& journal,
                      const std::wstring& folder, LayoutWatch& watch) {
    ::Layout& layout = document.Layout();
    Prompter& prompter = GetPrompter();
    layout.Form.LayoutDirectory = CurrentWorkingFolder();
    if (folder.empty()) {
        std::wstring chosen;
        if (!prompter.ChooseDirectory(wxGetTranslation("Select directory").ToStdWstring(),
                                      layout.Form.LayoutDirectory, chosen)) {
            journal.Lines().Info("end: no layout folder chosen (exit code 0)");
            prompter.ExitProcess(ExitCodes::kQuit);
            return false;
        }
        layout.Form.LayoutDirectory = chosen;
    } else {
        layout.Form.LayoutDirectory = folder;
    }
    // Looked at before the file is read: a file put in its place meanwhile is news.
    watch = LayoutWatch(LookAtLayoutFolder(layout));

    const StartLoad load = LoadStartLayout(file, layout);
    if (!load.Loaded()) {
        const std::wstring failure = StartFailureText(load, layout.Form.LayoutDirectory);
        journal.Lines().Error("end: no layout to run on (exit code 1): " +
                              wxString(failure).utf8_string());
        prompter.ShowMessage(failure);
        prompter.ExitProcess(ExitCodes::kFailure);
        return false;
    }
    if (load.fromBackup) {
        // What runs is not what tvxdef.ini holds: a store makes it so, and "Quit" asks for one.
        journal.Lines().Warning("start: tvxdef.ini cannot be used, running on tvxdef.ini.bak: " +
                                load.problem);
        prompter.ShowMessage(
            wxString::Format("tvxdef.ini cannot be used:\n%s\n\nThe panel runs on the layout "
                             "the last store kept as tvxdef.ini.bak. \"Store\" makes it "
                             "tvxdef.ini again.",
                             wxString::FromUTF8(load.problem.c_str()))
                .ToStdWstring());
        document.State().LayoutChanged = 1;
    }
    // A store that was cut short (power loss) may have left its temporary file behind.
    File::RemoveStaleTemporaries(layout.Form.LayoutDirectory);
    return true;
}
