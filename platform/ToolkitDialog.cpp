#include "platform/ToolkitDialog.h"

#include <gtk/gtk.h>

bool CloseToolkitDialog(void* nativeWindow) {
    if (!nativeWindow || !GTK_IS_DIALOG(nativeWindow)) return false;
    gtk_dialog_response(GTK_DIALOG(nativeWindow), GTK_RESPONSE_DELETE_EVENT);
    return true;
}
