#pragma once

#include <string>

#include "model/Layout.h"
#include "model/PanelState.h"

/// The words of the status line and of the banner on the page while the controller link is down.
extern const wchar_t* const kNoConnection;

/// The words that name an edit mode, in the panel's title and on its page; empty for normal
/// operation and for a value that names no mode.
std::wstring ModeBanner(int editMode);

/// The panel window's title: the banner of the edit mode in force, else the current page's name.
std::wstring PanelTitle(const Layout& layout, const PanelState& panel);
