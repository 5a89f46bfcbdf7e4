#pragma once

#include <string>

/// What bringing a picture chosen in a file chooser into the layout folder found or did.
enum class ImportOutcome {
    InFolder,   ///< the folder holds that file, or the same bytes under its name: nothing copied
    Copied,     ///< copied into the folder under its bare name (in place of the folder's own one
                ///< when told to replace it)
    NameTaken,  ///< the folder has a different file of that name: nothing copied, the user decides
    Failed,     ///< not copied; the reason says why
};

/// Brings the picture at `source` into `folder` under its bare name, so that the layout, which
/// names pictures by bare name in its folder, shows it, and a transfer sends it. The copy is
/// written whole, as a store writes the layout file. A file the picture
/// reader does not know, or one larger than a picture file may be, is not copied. With
/// `replace`, a different file of that name in the folder is replaced. Paths are native.
ImportOutcome ImportPicture(const std::string& source, const std::string& folder, bool replace,
                            std::string* reason);
