// Dialogs the toolkit runs on its own (GTK's message box, which wxWidgets
// shows in GTK's loop rather than its own): answered from outside as the
// window's close button would answer them.
#pragma once

// Closes the dialog whose native window this is, so that the loop running it
// returns "cancelled". False when the window is not such a dialog.
bool CloseToolkitDialog(void* nativeWindow);
