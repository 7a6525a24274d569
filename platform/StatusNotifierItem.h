// CStatusNotifierItem: the program's icon as a StatusNotifierItem on the
// session bus (org.kde.StatusNotifierItem, its menu exported as
// com.canonical.dbusmenu), registered with the desktop's
// org.kde.StatusNotifierWatcher whenever one runs; it registers again when
// the watcher restarts. Lives on the thread of the default GLib main context
// (the toolkit's): its handlers run there, after the bus call was answered.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

// One size of the icon: width * height pixels row by row, each 0xAARRGGBB
// with straight (not premultiplied) alpha.
struct SniPixmap {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> argb;
};

// One entry of the item's menu; id 0 is a separator. The label marks its
// mnemonic with '_' ("E_xit").
struct SniMenuItem {
    int id = 0;
    std::string label;
    bool enabled = true;
};

class CStatusNotifierItem {
public:
    enum class Status { Passive, Active, NeedsAttention };
    struct Handlers {
        std::function<void()> activate;           // primary click
        std::function<void()> secondaryActivate;  // middle click
        std::function<void()> contextMenu;        // a host without menu support asks for one
        std::function<void()> menuAboutToShow;    // the host opens the menu: SetMenu may update it now
        std::function<void(int id)> menuClicked;  // an entry of SetMenu chosen
        std::function<void(bool registered)> hostChanged;  // registered with a watcher, or lost it
    };

    // `id` names the program to the host (the item's Id property), `title` is its Title.
    CStatusNotifierItem(std::string id, std::string title, Handlers handlers);
    ~CStatusNotifierItem();  // leaves the bus
    CStatusNotifierItem(const CStatusNotifierItem&) = delete;
    CStatusNotifierItem& operator=(const CStatusNotifierItem&) = delete;

    // Exports the item and its menu and, when a watcher runs, registers with
    // it before returning (waiting at most a second). False without a
    // session bus; the item then stays off the bus for good.
    bool Start();
    // Registered with the watcher that runs now.
    bool IsRegistered() const;
    // The item's own bus name and the object path of its menu.
    std::string BusName() const;
    static const char* MenuPath();

    // Each change is announced to the host (NewIcon, NewToolTip, NewStatus).
    void SetIcon(std::vector<SniPixmap> pixmaps);
    void SetToolTip(const std::string& text);
    void SetStatus(Status status);
    // The menu's entries in order; entries of the same ids as before keep
    // their places and only change their labels and states.
    void SetMenu(const std::vector<SniMenuItem>& items);

    // The pixmap as the bus carries it: per pixel A, R, G, B bytes (network byte order).
    static std::vector<std::uint8_t> NetworkBytes(const SniPixmap& pixmap);

private:
    struct Impl;
    std::unique_ptr<Impl> m;
};
