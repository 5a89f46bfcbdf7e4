#include "DisplaySettingsFile.h"

#include <utility>

#include "model/File.h"
#include "model/Paths.h"

DisplaySettingsFile::DisplaySettingsFile(const std::string& folder, Print print)
    : m_layout(std::make_unique<Layout>()), m_print(std::move(print)) {
    m_layout->Form.LayoutDirectory = TextFromNative(folder);
}

DisplaySettingsFile::~DisplaySettingsFile() = default;

DisplaySettings DisplaySettingsFile::Load() {
    // Looked at before the read: a file put there meanwhile is news for the next look.
    const FolderSnapshot before = LookAtLayoutFolder(*m_layout);
    m_watch.emplace(before);
    m_layout->ResetLayout();
    std::string error;
    switch (File().LoadLayout(*m_layout, &error)) {
        case FileStatus::Missing:
            m_print("no " + File::LayoutPath(*m_layout) +
                    " yet: the display is left alone until there is one");
            return DisplaySettings();
        case FileStatus::Failed:
            m_print("cannot read " + File::LayoutPath(*m_layout) + ": " + error +
                    "; the display is left alone until a readable one is put there");
            return DisplaySettings();
        default:
            return DisplaySettings::FromForm(m_layout->Form);
    }
}

std::optional<DisplaySettings> DisplaySettingsFile::Look() {
    const FolderSnapshot now = LookAtLayoutFolder(*m_layout);
    const LayoutWatch::Change change = m_watch->Check(now);
    if (change == LayoutWatch::Change::None) {
        return std::nullopt;
    }
    m_watch->Dealt(now);
    if (change != LayoutWatch::Change::Layout) {
        return std::nullopt;
    }
    // Only a whole file: one that another program is still writing is used once it is done.
    m_layout->ResetLayout();
    std::string error;
    if (File().LoadCompleteLayout(*m_layout, &error) != FileStatus::Ok) {
        m_print("cannot use the new " + File::LayoutPath(*m_layout) + ": " + error +
                "; the settings stay as they were");
        return std::nullopt;
    }
    return DisplaySettings::FromForm(m_layout->Form);
}
