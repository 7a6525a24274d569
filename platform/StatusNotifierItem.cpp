#include "platform/StatusNotifierItem.h"

#include <unistd.h>

#include <map>
#include <utility>

#include <gio/gio.h>
#include <libdbusmenu-glib/client.h>
#include <libdbusmenu-glib/menuitem.h>
#include <libdbusmenu-glib/server.h>

namespace {

constexpr const char* kItemPath = "/StatusNotifierItem";
constexpr const char* kMenuPath = "/StatusNotifierItem/Menu";
constexpr const char* kItemInterface = "org.kde.StatusNotifierItem";
constexpr const char* kWatcherName = "org.kde.StatusNotifierWatcher";
constexpr const char* kWatcherPath = "/StatusNotifierWatcher";
constexpr int kRegisterTimeoutMs = 1000;

constexpr const char* kItemXml =
    "<node><interface name='org.kde.StatusNotifierItem'>"
    "<property name='Category' type='s' access='read'/>"
    "<property name='Id' type='s' access='read'/>"
    "<property name='Title' type='s' access='read'/>"
    "<property name='Status' type='s' access='read'/>"
    "<property name='WindowId' type='i' access='read'/>"
    "<property name='IconName' type='s' access='read'/>"
    "<property name='IconPixmap' type='a(iiay)' access='read'/>"
    "<property name='OverlayIconName' type='s' access='read'/>"
    "<property name='OverlayIconPixmap' type='a(iiay)' access='read'/>"
    "<property name='AttentionIconName' type='s' access='read'/>"
    "<property name='AttentionIconPixmap' type='a(iiay)' access='read'/>"
    "<property name='AttentionMovieName' type='s' access='read'/>"
    "<property name='IconThemePath' type='s' access='read'/>"
    "<property name='ToolTip' type='(sa(iiay)ss)' access='read'/>"
    "<property name='ItemIsMenu' type='b' access='read'/>"
    "<property name='Menu' type='o' access='read'/>"
    "<method name='ContextMenu'><arg name='x' type='i' direction='in'/><arg name='y' type='i' direction='in'/></method>"
    "<method name='Activate'><arg name='x' type='i' direction='in'/><arg name='y' type='i' direction='in'/></method>"
    "<method name='SecondaryActivate'><arg name='x' type='i' direction='in'/><arg name='y' type='i' direction='in'/></method>"
    "<method name='Scroll'><arg name='delta' type='i' direction='in'/><arg name='orientation' type='s' direction='in'/></method>"
    "<signal name='NewTitle'/><signal name='NewIcon'/><signal name='NewAttentionIcon'/>"
    "<signal name='NewOverlayIcon'/><signal name='NewToolTip'/>"
    "<signal name='NewStatus'><arg name='status' type='s'/></signal>"
    "</interface></node>";

const char* StatusText(CStatusNotifierItem::Status status) {
    switch (status) {
    case CStatusNotifierItem::Status::Passive: return "Passive";
    case CStatusNotifierItem::Status::NeedsAttention: return "NeedsAttention";
    default: return "Active";
    }
}

}  // namespace

struct CStatusNotifierItem::Impl {
    std::string id;
    std::string title;
    Handlers handlers;
    GDBusConnection* bus = nullptr;
    GDBusNodeInfo* node = nullptr;
    GCancellable* cancel = nullptr;
    guint objectId = 0;
    guint watchId = 0;
    std::string busName;
    std::string watcherOwner;  // the watcher we are registered with; empty when none
    std::string pendingOwner;  // the watcher a registration went to
    DbusmenuServer* menuServer = nullptr;
    DbusmenuMenuitem* menuRoot = nullptr;
    std::vector<std::pair<int, DbusmenuMenuitem*>> menuItems;  // command id, entry

    std::vector<SniPixmap> pixmaps;
    std::string tip;
    Status status = Status::Active;

    void Emit(const char* signal, GVariant* parameters) {
        if (!bus || !objectId) return;
        g_dbus_connection_emit_signal(bus, nullptr, kItemPath, kItemInterface, signal, parameters, nullptr);
    }

    GVariant* PixmapsVariant() const {
        GVariantBuilder builder;
        g_variant_builder_init(&builder, G_VARIANT_TYPE("a(iiay)"));
        for (const SniPixmap& pixmap : pixmaps) {
            const std::vector<std::uint8_t> bytes = NetworkBytes(pixmap);
            GVariant* data = g_variant_new_fixed_array(G_VARIANT_TYPE_BYTE, bytes.data(), bytes.size(), 1);
            g_variant_builder_add(&builder, "(ii@ay)", pixmap.width, pixmap.height, data);
        }
        return g_variant_builder_end(&builder);
    }

    GVariant* Property(const char* name) const {
        const std::string p = name;
        if (p == "Category") return g_variant_new_string("ApplicationStatus");
        if (p == "Id") return g_variant_new_string(id.c_str());
        if (p == "Title") return g_variant_new_string(title.c_str());
        if (p == "Status") return g_variant_new_string(StatusText(status));
        if (p == "WindowId") return g_variant_new_int32(0);
        if (p == "IconPixmap") return PixmapsVariant();
        if (p == "OverlayIconPixmap" || p == "AttentionIconPixmap") return g_variant_new_array(G_VARIANT_TYPE("(iiay)"), nullptr, 0);
        if (p == "ToolTip")
            return g_variant_new("(s@a(iiay)ss)", "", g_variant_new_array(G_VARIANT_TYPE("(iiay)"), nullptr, 0),
                                 tip.c_str(), "");
        if (p == "ItemIsMenu") return g_variant_new_boolean(FALSE);
        if (p == "Menu") return g_variant_new_object_path(kMenuPath);
        if (p == "IconName" || p == "OverlayIconName" || p == "AttentionIconName" || p == "AttentionMovieName" ||
            p == "IconThemePath")
            return g_variant_new_string("");
        return nullptr;
    }

    void SetRegistered(const std::string& owner) {
        const bool wasRegistered = !watcherOwner.empty();
        watcherOwner = owner;
        if (wasRegistered != !owner.empty() && handlers.hostChanged) handlers.hostChanged(!owner.empty());
    }

    static void OnRegistered(GObject* source, GAsyncResult* result, gpointer data) {
        GError* error = nullptr;
        GVariant* reply = g_dbus_connection_call_finish(G_DBUS_CONNECTION(source), result, &error);
        if (!reply && g_error_matches(error, G_IO_ERROR, G_IO_ERROR_CANCELLED)) {
            g_error_free(error);
            return;  // the item is gone
        }
        auto* self = static_cast<Impl*>(data);
        if (reply) {
            g_variant_unref(reply);
            self->SetRegistered(self->pendingOwner);
        } else {
            g_error_free(error);
            self->SetRegistered("");
        }
    }

    void Register(const std::string& owner) {
        pendingOwner = owner;
        g_dbus_connection_call(bus, owner.c_str(), kWatcherPath, kWatcherName, "RegisterStatusNotifierItem",
                               g_variant_new("(s)", busName.c_str()), nullptr, G_DBUS_CALL_FLAGS_NONE,
                               kRegisterTimeoutMs * 5, cancel, &Impl::OnRegistered, this);
    }

    static void OnWatcherAppeared(GDBusConnection*, const gchar*, const gchar* owner, gpointer data) {
        auto* self = static_cast<Impl*>(data);
        if (self->watcherOwner != owner) self->Register(owner);
    }
    static void OnWatcherVanished(GDBusConnection*, const gchar*, gpointer data) {
        static_cast<Impl*>(data)->SetRegistered("");
    }

    static void OnMethod(GDBusConnection*, const gchar*, const gchar*, const gchar*, const gchar* method,
                         GVariant*, GDBusMethodInvocation* invocation, gpointer data) {
        auto* self = static_cast<Impl*>(data);
        const std::string m = method;
        // Answered first: a handler may run a menu loop of its own.
        g_dbus_method_invocation_return_value(invocation, nullptr);
        const Handlers& h = self->handlers;
        if (m == "Activate" && h.activate) h.activate();
        else if (m == "SecondaryActivate" && h.secondaryActivate) h.secondaryActivate();
        else if (m == "ContextMenu" && h.contextMenu) h.contextMenu();
    }
    static GVariant* OnGetProperty(GDBusConnection*, const gchar*, const gchar*, const gchar*, const gchar* name,
                                   GError** error, gpointer data) {
        GVariant* value = static_cast<Impl*>(data)->Property(name);
        if (!value) g_set_error(error, G_DBUS_ERROR, G_DBUS_ERROR_UNKNOWN_PROPERTY, "no property %s", name);
        return value;
    }

    static void OnMenuActivated(DbusmenuMenuitem* item, guint, gpointer data) {
        auto* self = static_cast<Impl*>(data);
        for (const auto& [commandId, entry] : self->menuItems)
            if (entry == item && self->handlers.menuClicked) {
                self->handlers.menuClicked(commandId);
                return;
            }
    }
    static gboolean OnMenuAboutToShow(DbusmenuMenuitem*, gpointer data) {
        auto* self = static_cast<Impl*>(data);
        if (self->handlers.menuAboutToShow) self->handlers.menuAboutToShow();
        return FALSE;
    }

    void ClearMenu() {
        for (auto& [commandId, entry] : menuItems) {
            g_signal_handlers_disconnect_by_data(entry, this);
            dbusmenu_menuitem_child_delete(menuRoot, entry);
            g_object_unref(entry);
        }
        menuItems.clear();
    }
};

CStatusNotifierItem::CStatusNotifierItem(std::string id, std::string title, Handlers handlers)
    : m(std::make_unique<Impl>()) {
    m->id = std::move(id);
    m->title = std::move(title);
    m->handlers = std::move(handlers);
}

CStatusNotifierItem::~CStatusNotifierItem() {
    if (m->cancel) {
        g_cancellable_cancel(m->cancel);
        g_object_unref(m->cancel);
    }
    if (m->watchId) g_bus_unwatch_name(m->watchId);
    if (m->menuRoot) {
        g_signal_handlers_disconnect_by_data(m->menuRoot, m.get());
        m->ClearMenu();
    }
    if (m->menuServer) g_object_unref(m->menuServer);
    if (m->menuRoot) g_object_unref(m->menuRoot);
    if (m->bus) {
        if (m->objectId) g_dbus_connection_unregister_object(m->bus, m->objectId);
        if (!m->busName.empty()) {
            GVariant* reply = g_dbus_connection_call_sync(m->bus, "org.freedesktop.DBus", "/org/freedesktop/DBus",
                                                          "org.freedesktop.DBus", "ReleaseName",
                                                          g_variant_new("(s)", m->busName.c_str()), nullptr,
                                                          G_DBUS_CALL_FLAGS_NONE, kRegisterTimeoutMs, nullptr, nullptr);
            if (reply) g_variant_unref(reply);
        }
        g_object_unref(m->bus);
    }
    if (m->node) g_dbus_node_info_unref(m->node);
}

bool CStatusNotifierItem::Start() {
    if (m->bus) return true;
    m->bus = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, nullptr);
    if (!m->bus) return false;
    m->cancel = g_cancellable_new();
    m->node = g_dbus_node_info_new_for_xml(kItemXml, nullptr);
    static const GDBusInterfaceVTable vtable = {&Impl::OnMethod, &Impl::OnGetProperty, nullptr, {}};
    m->objectId = g_dbus_connection_register_object(m->bus, kItemPath, m->node->interfaces[0], &vtable, m.get(),
                                                    nullptr, nullptr);

    m->menuRoot = dbusmenu_menuitem_new();
    g_signal_connect(m->menuRoot, DBUSMENU_MENUITEM_SIGNAL_ABOUT_TO_SHOW, G_CALLBACK(&Impl::OnMenuAboutToShow),
                     m.get());
    m->menuServer = dbusmenu_server_new(kMenuPath);
    dbusmenu_server_set_root(m->menuServer, m->menuRoot);

    // A name of the usual form, so that hosts may tell the program's items apart.
    static int s_count = 0;
    const std::string name =
        "org.kde.StatusNotifierItem-" + std::to_string(getpid()) + "-" + std::to_string(++s_count);
    GVariant* reply = g_dbus_connection_call_sync(m->bus, "org.freedesktop.DBus", "/org/freedesktop/DBus",
                                                  "org.freedesktop.DBus", "RequestName",
                                                  g_variant_new("(su)", name.c_str(), 4u /* do not queue */),
                                                  G_VARIANT_TYPE("(u)"), G_DBUS_CALL_FLAGS_NONE, kRegisterTimeoutMs,
                                                  nullptr, nullptr);
    guint32 answer = 0;
    if (reply) {
        g_variant_get(reply, "(u)", &answer);
        g_variant_unref(reply);
    }
    // 1: now the primary owner; otherwise the unique name serves.
    m->busName = answer == 1 ? name : g_dbus_connection_get_unique_name(m->bus);

    // A watcher that runs now is registered with at once, so that the
    // caller knows where its icon goes; later ones as they appear.
    reply = g_dbus_connection_call_sync(m->bus, "org.freedesktop.DBus", "/org/freedesktop/DBus",
                                        "org.freedesktop.DBus", "GetNameOwner", g_variant_new("(s)", kWatcherName),
                                        G_VARIANT_TYPE("(s)"), G_DBUS_CALL_FLAGS_NONE, kRegisterTimeoutMs, nullptr,
                                        nullptr);
    if (reply) {
        const gchar* owner = nullptr;
        g_variant_get(reply, "(&s)", &owner);
        const std::string watcher = owner ? owner : "";
        g_variant_unref(reply);
        GVariant* registered = g_dbus_connection_call_sync(
            m->bus, watcher.c_str(), kWatcherPath, kWatcherName, "RegisterStatusNotifierItem",
            g_variant_new("(s)", m->busName.c_str()), nullptr, G_DBUS_CALL_FLAGS_NONE, kRegisterTimeoutMs, nullptr,
            nullptr);
        if (registered) {
            g_variant_unref(registered);
            m->watcherOwner = watcher;
        }
    }
    m->watchId = g_bus_watch_name_on_connection(m->bus, kWatcherName, G_BUS_NAME_WATCHER_FLAGS_NONE,
                                                &Impl::OnWatcherAppeared, &Impl::OnWatcherVanished, m.get(), nullptr);
    return true;
}

bool CStatusNotifierItem::IsRegistered() const { return !m->watcherOwner.empty(); }

std::string CStatusNotifierItem::BusName() const { return m->busName; }

const char* CStatusNotifierItem::MenuPath() { return kMenuPath; }

void CStatusNotifierItem::SetIcon(std::vector<SniPixmap> pixmaps) {
    m->pixmaps = std::move(pixmaps);
    m->Emit("NewIcon", nullptr);
}

void CStatusNotifierItem::SetToolTip(const std::string& text) {
    if (text == m->tip) return;
    m->tip = text;
    m->Emit("NewToolTip", nullptr);
}

void CStatusNotifierItem::SetStatus(Status status) {
    if (status == m->status) return;
    m->status = status;
    m->Emit("NewStatus", g_variant_new("(s)", StatusText(status)));
}

void CStatusNotifierItem::SetMenu(const std::vector<SniMenuItem>& items) {
    if (!m->menuRoot) return;
    bool bSameIds = items.size() == m->menuItems.size();
    for (std::size_t i = 0; bSameIds && i < items.size(); ++i) bSameIds = items[i].id == m->menuItems[i].first;
    if (!bSameIds) {
        m->ClearMenu();
        for (const SniMenuItem& item : items) {
            DbusmenuMenuitem* entry = dbusmenu_menuitem_new();
            if (item.id == 0)
                dbusmenu_menuitem_property_set(entry, DBUSMENU_MENUITEM_PROP_TYPE, DBUSMENU_CLIENT_TYPES_SEPARATOR);
            else
                g_signal_connect(entry, DBUSMENU_MENUITEM_SIGNAL_ITEM_ACTIVATED, G_CALLBACK(&Impl::OnMenuActivated),
                                 m.get());
            dbusmenu_menuitem_child_append(m->menuRoot, entry);
            m->menuItems.emplace_back(item.id, entry);
        }
    }
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (items[i].id == 0) continue;
        // An unchanged value is not announced again.
        DbusmenuMenuitem* entry = m->menuItems[i].second;
        dbusmenu_menuitem_property_set(entry, DBUSMENU_MENUITEM_PROP_LABEL, items[i].label.c_str());
        dbusmenu_menuitem_property_set_bool(entry, DBUSMENU_MENUITEM_PROP_ENABLED, items[i].enabled);
    }
}

std::vector<std::uint8_t> CStatusNotifierItem::NetworkBytes(const SniPixmap& pixmap) {
    std::vector<std::uint8_t> bytes;
    bytes.reserve(pixmap.argb.size() * 4);
    for (std::uint32_t pixel : pixmap.argb) {
        bytes.push_back(static_cast<std::uint8_t>(pixel >> 24));
        bytes.push_back(static_cast<std::uint8_t>(pixel >> 16));
        bytes.push_back(static_cast<std::uint8_t>(pixel >> 8));
        bytes.push_back(static_cast<std::uint8_t>(pixel));
    }
    return bytes;
}
