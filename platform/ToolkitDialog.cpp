#include "platform/ToolkitDialog.h"

#include <gtk/gtk.h>

bool CloseToolkitDialog(void* nativeWindow) {
    if (!nativeWindow || !GTK_IS_DIALOG(nativeWindow)) return false;
    gtk_dialog_response(GTK_DIALOG(nativeWindow), GTK_RESPONSE_DELETE_EVENT);
    return true;
}

namespace {

// Calls f on the menu of every pop-up menu window shown now.
template <typename F>
void ForEachShownMenu(F f) {
    GList* windows = gtk_window_list_toplevels();
    for (GList* w = windows; w; w = w->next) {
        auto* window = GTK_WINDOW(w->data);
        if (gtk_window_get_window_type(window) != GTK_WINDOW_POPUP || !gtk_widget_get_visible(GTK_WIDGET(window)))
            continue;
        GtkWidget* child = gtk_bin_get_child(GTK_BIN(window));
        if (child && GTK_IS_MENU(child)) f(GTK_MENU_SHELL(child));
    }
    g_list_free(windows);
}

}  // namespace

bool IsToolkitMenuOpen() {
    bool open = false;
    ForEachShownMenu([&open](GtkMenuShell*) { open = true; });
    return open;
}

void CloseToolkitMenus() {
    ForEachShownMenu([](GtkMenuShell* menu) { gtk_menu_shell_cancel(menu); });
}
