#!/usr/bin/python3
# A stand-in StatusNotifierWatcher for the end-to-end test: it owns
# org.kde.StatusNotifierWatcher on the session bus, takes the registration
# of an item, reads the item's properties at once and after each NewIcon,
# NewToolTip or NewStatus signal, and carries out the commands appended to
# the command file, one a line:
#   activate          calls the item's Activate
#   menu              reads the item's menu as it stands (GetLayout)
#   click LABEL       opens the menu (AboutToShow, GetLayout) and sends
#                     "clicked" to the entry of that label
#   restart           gives the watcher's name up and takes it again
# Each thing seen is appended to the record file as one line:
#   registered SERVICE PATH
#   props status=S menu=PATH itemismenu=0|1 tip=TEXT
#   icon sizes=WxH,... crisp=0|1 dark=N red=N levels16=N levels64=N
#       crisp: every pixmap only clear or opaque pixels; dark, red: pixels of
#       the newspaper's frame and of the red marks in the 16-pixel pixmap;
#       levels: how many alpha values the 16- and 64-pixel pixmaps have
#   menu LABEL:ENABLED|-|...
#   clicked LABEL / activated / restarted / error TEXT
#   fake_watcher.py RECORD_FILE COMMAND_FILE
import sys

import dbus
import dbus.service
from dbus.mainloop.glib import DBusGMainLoop
from gi.repository import GLib

NAME = "org.kde.StatusNotifierWatcher"
PATH = "/StatusNotifierWatcher"
ITEM = "org.kde.StatusNotifierItem"
MENU = "com.canonical.dbusmenu"
DARK = 0xFF2E3436  # the newspaper's frame
RED = 0xFFCC0000  # the rings of the new-stories state, the cross of the disabled one


class Watcher(dbus.service.Object):
    def __init__(self, bus, record):
        super().__init__(bus, PATH)
        self.bus = bus
        self.record = record
        self.items = []
        self.item = None  # (service, path) of the last item registered
        self.last = {}

    def write(self, line):
        with open(self.record, "a", encoding="utf-8") as f:
            f.write(line + "\n")

    @dbus.service.method(NAME, in_signature="s", out_signature="", sender_keyword="sender")
    def RegisterStatusNotifierItem(self, service, sender=None):
        if service.startswith("/"):
            service, path = sender, service
        else:
            path = "/StatusNotifierItem"
        self.item = (str(service), str(path))
        self.items.append("%s%s" % self.item)
        self.write("registered %s %s" % self.item)
        self.StatusNotifierItemRegistered("%s%s" % self.item)
        self.bus.add_signal_receiver(self.on_item_signal, dbus_interface=ITEM, bus_name=service, path=path,
                                     member_keyword="member")
        GLib.idle_add(lambda: (self.read_item(), False)[1])

    @dbus.service.method(NAME, in_signature="s", out_signature="")
    def RegisterStatusNotifierHost(self, service):
        pass

    @dbus.service.method(dbus.PROPERTIES_IFACE, in_signature="ss", out_signature="v")
    def Get(self, interface, prop):
        return self.GetAll(interface)[prop]

    @dbus.service.method(dbus.PROPERTIES_IFACE, in_signature="s", out_signature="a{sv}")
    def GetAll(self, interface):
        return {"RegisteredStatusNotifierItems": dbus.Array(self.items, signature="s"),
                "IsStatusNotifierHostRegistered": True, "ProtocolVersion": dbus.Int32(0)}

    @dbus.service.signal(NAME, signature="s")
    def StatusNotifierItemRegistered(self, service):
        pass

    def on_item_signal(self, *args, member=None):
        self.read_item()

    def proxy(self, interface, path=None):
        service, item_path = self.item
        return dbus.Interface(self.bus.get_object(service, path or item_path, introspect=False), interface)

    def write_changed(self, kind, line):
        if self.last.get(kind) != line:
            self.last[kind] = line
            self.write(line)

    def read_item(self):
        try:
            props = self.proxy(dbus.PROPERTIES_IFACE).GetAll(ITEM)
        except dbus.DBusException as e:
            self.write("error %s" % e.get_dbus_name())
            return
        tip = props.get("ToolTip", ("", [], "", ""))
        self.write_changed("props", "props status=%s menu=%s itemismenu=%d tip=%s" % (
            props.get("Status"), props.get("Menu"), int(bool(props.get("ItemIsMenu"))), tip[2]))
        sizes, crisp, dark, red, levels = [], True, 0, 0, {}
        for width, height, data in props.get("IconPixmap", []):
            data = bytes(data)
            sizes.append("%dx%d" % (width, height))
            if len(data) != width * height * 4:
                crisp = False
                continue
            pixels = [int.from_bytes(data[i:i + 4], "big") for i in range(0, len(data), 4)]
            crisp = crisp and all((p >> 24) in (0, 255) for p in pixels)
            levels[width] = len({p >> 24 for p in pixels})
            if width == 16:
                dark = sum(p == DARK for p in pixels)
                red = sum(p == RED for p in pixels)
        if not props.get("IconName"):
            self.write_changed("icon", "icon sizes=%s crisp=%d dark=%d red=%d levels16=%d levels64=%d" % (
                ",".join(sizes), int(crisp), dark, red, levels.get(16, 0), levels.get(64, 0)))

    def layout(self, opening):
        menu_path = self.proxy(dbus.PROPERTIES_IFACE).Get(ITEM, "Menu")
        menu = self.proxy(MENU, menu_path)
        if opening:
            menu.AboutToShow(0)
        _, (root_id, _, children) = menu.GetLayout(0, -1, dbus.Array([], signature="s"))
        entries = []
        for child in children:
            entry_id, props, _ = child
            entries.append((int(entry_id), props))
        return menu, entries

    def command(self, line):
        words = line.split(" ", 1)
        try:
            if words[0] == "activate":
                self.proxy(ITEM).Activate(0, 0)
                self.write("activated")
            elif words[0] == "menu":
                _, entries = self.layout(False)
                shown = []
                for _, props in entries:
                    if props.get("type") == "separator":
                        shown.append("-")
                    else:
                        shown.append("%s:%d" % (props.get("label", ""), int(bool(props.get("enabled", True)))))
                self.write("menu " + "|".join(shown))
            elif words[0] == "click":
                menu, entries = self.layout(True)
                for entry_id, props in entries:
                    if str(props.get("label", "")).replace("_", "") == words[1]:
                        menu.Event(entry_id, "clicked", dbus.Int32(0, variant_level=1), dbus.UInt32(0))
                        self.write("clicked %s" % words[1])
                        break
                else:
                    self.write("error no entry %s" % words[1])
            elif words[0] == "restart":
                self.bus.release_name(NAME)
                self.items = []
                GLib.timeout_add(500, self.take_name)
        except dbus.DBusException as e:
            self.write("error %s %s" % (words[0], e.get_dbus_name()))

    def take_name(self):
        self.bus.request_name(NAME, dbus.bus.NAME_FLAG_DO_NOT_QUEUE)
        self.write("restarted")
        return False


def main():
    DBusGMainLoop(set_as_default=True)
    bus = dbus.SessionBus()
    watcher = Watcher(bus, sys.argv[1])
    name = dbus.service.BusName(NAME, bus)
    open(sys.argv[1], "a").close()
    commands = sys.argv[2]
    open(commands, "a").close()
    done = [0]

    def poll():
        with open(commands, encoding="utf-8") as f:
            lines = f.read().splitlines()
        for line in lines[done[0]:]:
            done[0] += 1
            if line.strip():
                watcher.command(line.strip())
        return True

    GLib.timeout_add(100, poll)
    print("ready", flush=True)
    GLib.MainLoop().run()
    del name


if __name__ == "__main__":
    main()
