#pragma once

#include <wx/toplevel.h>

/// Puts a dialog, pad, chooser or message box wholly into the work area of the display it
/// belongs on (its parent's, else its own): its frame included, with every button on the
/// screen. A window that fits keeps its size and place. One of our dialogs (controls at fixed
/// places) that is taller than the area is compacted: its rows of controls move closer together
/// until it fits, and go back to the places they were laid out with where it fits again. A window
/// of the toolkit's own (a chooser, a message box) is made no larger than the area.
void PlaceOnDisplay(wxTopLevelWindow& window);

/// Keeps a window on its display while it is open: placed now (a window of the toolkit's own as
/// soon as the toolkit has made it), and again whenever it is shown, sized, framed or moved by the
/// toolkit. A dialog offers no minimise: one that a window manager iconifies anyway (a touch on
/// the "_" of its title bar does that under some) is brought back at once, for the panel would
/// wait behind a dialog nobody can reach.
void KeepOnDisplay(wxTopLevelWindow& window);
/// Ends what KeepOnDisplay started.
void StopKeepingOnDisplay(wxTopLevelWindow& window);
