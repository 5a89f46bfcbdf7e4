#include "app/PanelStore.h"

#include <wx/datetime.h>
#include <wx/string.h>

#include "model/File.h"
#include "model/LayoutWatch.h"
#include "model/PanelJournal.h"
#include "model/Prompter.h"
#include "panel/PageView.h"

namespace {
/// How long the status line says that a store went through.
constexpr int kNoteMs = 4000;
}  // namespace

PanelStore::PanelStore(PanelDocument& document, const File& file, LayoutWatch& watch,
                       PanelJournal& journal, PageView& view)
    : m_document(document), m_file(file), m_watch(watch), m_journal(journal), m_view(view) {}

bool PanelStore::StoreLayoutAndReport() {
    std::string error;
    const FileStatus status = m_file.StoreLayout(m_document.Layout(), &error);
    m_journal.Stored(status, error);
    if (status == FileStatus::Missing) {
        GetPrompter().ShowMessage(L"tvxdef.ini nicht vorhanden !");
        return false;
    }
    if (status == FileStatus::Failed) {
        wxString text;
        text.Printf("The layout was NOT stored:\n%s\n\nYour changes are still on the panel.",
                    wxString::FromUTF8(error.c_str()));
        GetPrompter().ShowMessage(text.ToStdWstring());
        return false;
    }
    if (status == FileStatus::StoredWithoutBackup) {
        wxString text;
        text.Printf(
            "The layout was stored, but the version it replaced could not be kept as "
            "tvxdef.ini.bak:\n%s",
            wxString::FromUTF8(error.c_str()));
        GetPrompter().ShowMessage(text.ToStdWstring());
    }
    if (status == FileStatus::StoredUnsynced) {
        wxString text;
        text.Printf(
            "The layout was stored, but it may not survive a power cut:\n%s\n\n"
            "Store it again before switching the panel off.",
            wxString::FromUTF8(error.c_str()));
        GetPrompter().ShowMessage(text.ToStdWstring());
    }
    m_watch.Stored(IdentityOf(File::LayoutPath(m_document.Layout())));
    m_document.State().LayoutChanged = 0;
    if (status == FileStatus::Ok) {
        // Seen where the page is, without a box to dismiss: a second "Store" is not needed.
        m_view.ShowNote(("Layout stored " + wxDateTime::Now().Format("%H:%M")).ToStdWstring(),
                        kNoteMs);
    }
    return true;
}
