#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "DisplaySettings.h"
#include "model/Layout.h"
#include "model/LayoutWatch.h"

/// The display values of the layout file in a folder: read at start, and read again when a new
/// file is put there (the panel's store, a received layout). Problems are told in one line each.
class DisplaySettingsFile {
  public:
    using Print = std::function<void(const std::string&)>;

    DisplaySettingsFile(const std::string& folder, Print print);
    ~DisplaySettingsFile();

    /// The values the file holds now; all 0 when there is no file or it cannot be read.
    DisplaySettings Load();
    /// One look at the folder: the values of a new layout file once it has stood still for a
    /// look. Nothing when there is none, or when it cannot be used (then the values stay).
    std::optional<DisplaySettings> Look();

  private:
    /// A whole layout is large: one, on the heap, read into again and again.
    std::unique_ptr<Layout> m_layout;
    std::optional<LayoutWatch> m_watch;
    Print m_print;
};
