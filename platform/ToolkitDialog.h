// Dialogs and pop-up menus the toolkit runs on its own (GTK's message box,
// which wxWidgets shows in GTK's loop rather than its own, and every pop-up
// menu): answered from outside as the window's close button or the Esc key
// would answer them.
#pragma once

// Closes the dialog whose native window this is, so that the loop running it
// returns "cancelled". False when the window is not such a dialog.
bool CloseToolkitDialog(void* nativeWindow);

// Whether a pop-up menu is shown now.
bool IsToolkitMenuOpen();
// Closes every pop-up menu shown now, as Esc would: the loop running it
// returns with nothing chosen.
void CloseToolkitMenus();
