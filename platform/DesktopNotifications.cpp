#include "platform/DesktopNotifications.h"

#include <gio/gio.h>

#include <chrono>
#include <deque>
#include <thread>

namespace {

constexpr const char* kName = "org.freedesktop.Notifications";
constexpr const char* kPath = "/org/freedesktop/Notifications";
constexpr const char* kInterface = "org.freedesktop.Notifications";
// A server answers Notify at once; one that hangs must not hold the window
// thread for long.
constexpr int kCallTimeoutMs = 3000;
// The notices whose actions are still listened for; older ones are let go.
constexpr std::size_t kRemembered = 32;

// Text for the bus: valid UTF-8, whatever came in.
struct ValidText {
    explicit ValidText(const std::string& text) : m_text(g_utf8_make_valid(text.c_str(), -1)) {}
    ~ValidText() { g_free(m_text); }
    ValidText(const ValidText&) = delete;
    ValidText& operator=(const ValidText&) = delete;
    const char* c_str() const { return m_text; }

private:
    gchar* m_text;
};

}  // namespace

struct CDesktopNotifications::Impl {
    struct Sent {
        std::string server;  // the unique bus name of the server that showed it
        guint32 serverId;
        NoticeId notice;
    };

    std::string address;
    GDBusConnection* connection = nullptr;
    guint subscription = 0;
    std::deque<Sent> sent;
    NoticeId nextNotice = 1;
    std::function<void(NoticeId, const std::string&)> onAction;
    std::function<void(NoticeId, std::uint32_t)> onClosed;

    ~Impl() { Disconnect(); }

    void Disconnect() {
        if (!connection) return;
        if (subscription) g_dbus_connection_signal_unsubscribe(connection, subscription);
        subscription = 0;
        if (!g_dbus_connection_is_closed(connection)) g_dbus_connection_close_sync(connection, nullptr, nullptr);
        g_object_unref(connection);
        connection = nullptr;
    }

    // A connection of our own, made again when the bus went away.
    bool Connect() {
        if (connection && !g_dbus_connection_is_closed(connection)) return true;
        Disconnect();
        GError* error = nullptr;
        gchar* bus = address.empty() ? g_dbus_address_get_for_bus_sync(G_BUS_TYPE_SESSION, nullptr, &error)
                                     : g_strdup(address.c_str());
        if (bus) {
            connection = g_dbus_connection_new_for_address_sync(
                bus,
                static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                                  G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
                nullptr, nullptr, &error);
            g_free(bus);
        }
        g_clear_error(&error);
        if (!connection) return false;
        // From any sender: a server started anew has another unique name.
        // Only signals about notices that sender showed are taken.
        subscription = g_dbus_connection_signal_subscribe(connection, nullptr, kInterface, nullptr, kPath, nullptr,
                                                          G_DBUS_SIGNAL_FLAGS_NONE, &Impl::OnSignal, this, nullptr);
        return true;
    }

    std::deque<Sent>::iterator Find(const char* server, guint32 serverId) {
        for (auto it = sent.begin(); it != sent.end(); ++it)
            if (it->serverId == serverId && server && it->server == server) return it;
        return sent.end();
    }

    static void OnSignal(GDBusConnection*, const gchar* sender, const gchar*, const gchar*, const gchar* signal,
                         GVariant* parameters, gpointer data) {
        Impl* self = static_cast<Impl*>(data);
        if (g_strcmp0(signal, "ActionInvoked") == 0 && g_variant_is_of_type(parameters, G_VARIANT_TYPE("(us)"))) {
            guint32 serverId = 0;
            const gchar* key = nullptr;
            g_variant_get(parameters, "(u&s)", &serverId, &key);
            auto it = self->Find(sender, serverId);
            if (it != self->sent.end() && self->onAction) self->onAction(it->notice, key);
        } else if (g_strcmp0(signal, "NotificationClosed") == 0 &&
                   g_variant_is_of_type(parameters, G_VARIANT_TYPE("(uu)"))) {
            guint32 serverId = 0, reason = 0;
            g_variant_get(parameters, "(uu)", &serverId, &reason);
            auto it = self->Find(sender, serverId);
            if (it == self->sent.end()) return;
            const NoticeId notice = it->notice;
            self->sent.erase(it);
            if (self->onClosed) self->onClosed(notice, reason);
        }
    }

    static GVariant* Hints(const NotificationRequest& request) {
        GVariantBuilder hints;
        g_variant_builder_init(&hints, G_VARIANT_TYPE("a{sv}"));
        if (!request.desktopEntry.empty()) {
            const ValidText entry(request.desktopEntry);
            g_variant_builder_add(&hints, "{sv}", "desktop-entry", g_variant_new_string(entry.c_str()));
        }
        const NotificationImage& image = request.image;
        const int channels = image.hasAlpha ? 4 : 3;
        if (image.width > 0 && image.height > 0 &&
            image.pixels.size() == static_cast<std::size_t>(image.width) * image.height * channels) {
            GVariant* bytes =
                g_variant_new_fixed_array(G_VARIANT_TYPE_BYTE, image.pixels.data(), image.pixels.size(), 1);
            g_variant_builder_add(&hints, "{sv}", "image-data",
                                  g_variant_new("(iiibii@ay)", image.width, image.height, image.width * channels,
                                                image.hasAlpha ? TRUE : FALSE, 8, channels, bytes));
        }
        return g_variant_builder_end(&hints);
    }

    // Whether the server now owning the name reads markup in a body
    // ("body-markup"); when it cannot tell, the body is taken as markup, so
    // that a headline's tags are never rendered.
    bool BodyIsMarkup() {
        GError* error = nullptr;
        GVariant* reply = g_dbus_connection_call_sync(connection, kName, kPath, kInterface, "GetCapabilities",
                                                      nullptr, G_VARIANT_TYPE("(as)"), G_DBUS_CALL_FLAGS_NONE,
                                                      kCallTimeoutMs, nullptr, &error);
        g_clear_error(&error);
        if (!reply) return true;
        bool bMarkup = false;
        GVariantIter* caps = nullptr;
        const gchar* cap = nullptr;
        g_variant_get(reply, "(as)", &caps);
        while (g_variant_iter_next(caps, "&s", &cap))
            if (g_strcmp0(cap, "body-markup") == 0) bMarkup = true;
        g_variant_iter_free(caps);
        g_variant_unref(reply);
        return bMarkup;
    }

    static GVariant* Parameters(const NotificationRequest& request, bool bBodyIsMarkup) {
        GVariantBuilder actions;
        g_variant_builder_init(&actions, G_VARIANT_TYPE("as"));
        for (const auto& [key, label] : request.actions) {
            const ValidText k(key), l(label);
            g_variant_builder_add(&actions, "s", k.c_str());
            g_variant_builder_add(&actions, "s", l.c_str());
        }
        const ValidText app(request.appName), icon(request.appIcon), summary(request.summary), body(request.body);
        // The body is plain text: a server that reads markup gets & < > and
        // quotes escaped, so that a headline's tags show as written.
        gchar* escaped = bBodyIsMarkup ? g_markup_escape_text(body.c_str(), -1) : nullptr;
        GVariant* parameters =
            g_variant_new("(susss@as@a{sv}i)", app.c_str(), 0u, icon.c_str(), summary.c_str(),
                          escaped ? escaped : body.c_str(), g_variant_builder_end(&actions), Hints(request),
                          request.timeoutMs);
        g_free(escaped);
        return parameters;
    }

    NoticeId Notify(const NotificationRequest& request) {
        if (!Connect()) return 0;
        // Addressed to the well-known name at every call: the bus hands it to
        // whichever server owns the name now.
        GDBusMessage* call = g_dbus_message_new_method_call(kName, kPath, kInterface, "Notify");
        g_dbus_message_set_body(call, Parameters(request, BodyIsMarkup()));
        GError* error = nullptr;
        GDBusMessage* reply = g_dbus_connection_send_message_with_reply_sync(
            connection, call, G_DBUS_SEND_MESSAGE_FLAGS_NONE, kCallTimeoutMs, nullptr, nullptr, &error);
        g_object_unref(call);
        g_clear_error(&error);
        if (!reply) return 0;
        guint32 serverId = 0;
        GVariant* body = g_dbus_message_get_body(reply);
        const bool bOk = !g_dbus_message_to_gerror(reply, &error) && body &&
                         g_variant_is_of_type(body, G_VARIANT_TYPE("(u)"));
        g_clear_error(&error);
        if (bOk) g_variant_get(body, "(u)", &serverId);
        const char* server = g_dbus_message_get_sender(reply);
        const std::string serverName = server ? server : "";
        g_object_unref(reply);
        if (!bOk) return 0;

        // The same server may give an id again once its notice has gone.
        auto old = Find(serverName.c_str(), serverId);
        if (old != sent.end()) sent.erase(old);
        const NoticeId notice = nextNotice++;
        sent.push_back({serverName, serverId, notice});
        if (sent.size() > kRemembered) sent.pop_front();
        return notice;
    }
};

CDesktopNotifications::CDesktopNotifications(std::string busAddress) : m_impl(std::make_unique<Impl>()) {
    m_impl->address = std::move(busAddress);
}

CDesktopNotifications::~CDesktopNotifications() = default;

CDesktopNotifications::NoticeId CDesktopNotifications::Notify(const NotificationRequest& request) {
    return m_impl->Notify(request);
}

void CDesktopNotifications::SetActionHandler(std::function<void(NoticeId, const std::string&)> handler) {
    m_impl->onAction = std::move(handler);
}

void CDesktopNotifications::SetClosedHandler(std::function<void(NoticeId, std::uint32_t)> handler) {
    m_impl->onClosed = std::move(handler);
}

bool CDesktopNotifications::RunEventsUntil(const std::function<bool()>& done, int maxWaitMs) {
    GMainContext* context = g_main_context_get_thread_default();
    if (!context) context = g_main_context_default();
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(maxWaitMs);
    while (!done()) {
        if (std::chrono::steady_clock::now() >= end) return false;
        if (!g_main_context_iteration(context, FALSE)) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}
