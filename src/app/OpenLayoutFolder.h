#pragma once

#include <string>

class File;
class LayoutWatch;
class PanelDocument;
class PanelJournal;

/// Takes `folder` as the layout folder or, when it is empty, asks for one (the chooser opens in
/// the working folder, one touch on "Open" takes it), and loads its layout into `document`. A
/// cut-off layout file is reported and its whole backup runs instead, marked as changed. `watch`
/// looks at the folder before the file is read. False when the user cancelled (the process
/// ends with code 0) or there is no layout to run on (code 1): the panel must not run on the
/// reset layout, a later store would write it over the real file.
bool OpenLayoutFolder(PanelDocument& document, const File& file, PanelJournal& journal,
                      const std::wstring& folder, LayoutWatch& watch);
