#pragma once

#include <string>
#include <vector>

#include "model/File.h"
#include "model/Layout.h"

/// How the panel came to the layout it starts on.
struct StartLoad {
    /// Of tvxdef.ini: Ok, Missing, Incomplete (it ends before its "EndOfFile" line) or Failed.
    FileStatus status = FileStatus::Ok;
    /// Why tvxdef.ini cannot be used; empty when it can.
    std::string problem;
    /// tvxdef.ini is Incomplete, and the whole backup a store kept was loaded in its place.
    bool fromBackup = false;

    /// Whether there is a layout to start on.
    bool Loaded() const { return status == FileStatus::Ok || fromBackup; }
};

/// Reads the layout the panel starts on into `layout` (its folder set, the reset values
/// below): tvxdef.ini when it is whole. A file that ends before its "EndOfFile" line (cut off
/// by a power cut during a copy) is never loaded as it is, which would lose what follows the
/// cut; the backup a store keeps beside it is loaded instead when that is whole. Nothing is
/// written: the cut-off file stays until the user stores. When nothing is loaded the layout
/// is left as it was.
StartLoad LoadStartLayout(const File& file, Layout& layout);

/// The pictures the panel cannot start without (the menu picture and the default button
/// picture) that `folder` does not hold as whole pictures the picture reader knows: a copy cut
/// off on its way counts as missing, since the panel could not show it.
std::vector<std::wstring> MissingRequiredPictures(const std::wstring& folder);
