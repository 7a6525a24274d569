#!/usr/bin/python3
# A stand-in desktop notification server for the end-to-end test: it owns
# org.freedesktop.Notifications on the session bus, appends one line per
# notification ("<id>\t<summary>\t<body with \n escaped>") to the record
# file, and, when asked to, activates each notification that offers actions
# a moment later, as a user clicking it would.
#   fake_notifications.py RECORD_FILE [--activate]
import sys

import dbus
import dbus.service
from dbus.mainloop.glib import DBusGMainLoop
from gi.repository import GLib

NAME = "org.freedesktop.Notifications"
PATH = "/org/freedesktop/Notifications"


class Notifications(dbus.service.Object):
    def __init__(self, bus, record, activate):
        super().__init__(bus, PATH)
        self.record = record
        self.activate = activate
        self.next_id = 1

    @dbus.service.method(NAME, in_signature="", out_signature="as")
    def GetCapabilities(self):
        return ["body", "actions"]

    @dbus.service.method(NAME, in_signature="", out_signature="ssss")
    def GetServerInformation(self):
        return ("fake", "skimbolt-tests", "1.0", "1.2")

    @dbus.service.method(NAME, in_signature="susssasa{sv}i", out_signature="u")
    def Notify(self, app, replaces, icon, summary, body, actions, hints, timeout):
        nid = self.next_id
        self.next_id += 1
        with open(self.record, "a", encoding="utf-8") as f:
            f.write("%d\t%s\t%s\n" % (nid, summary, body.replace("\n", "\\n")))
        if self.activate and len(actions) >= 2:
            key = str(actions[0])
            GLib.timeout_add(500, lambda: (self.ActionInvoked(nid, key), False)[1])
        return nid

    @dbus.service.method(NAME, in_signature="u", out_signature="")
    def CloseNotification(self, nid):
        self.NotificationClosed(nid, 3)

    @dbus.service.signal(NAME, signature="us")
    def ActionInvoked(self, nid, key):
        pass

    @dbus.service.signal(NAME, signature="uu")
    def NotificationClosed(self, nid, reason):
        pass


def main():
    DBusGMainLoop(set_as_default=True)
    bus = dbus.SessionBus()
    name = dbus.service.BusName(NAME, bus)
    Notifications(bus, sys.argv[1], "--activate" in sys.argv[2:])
    open(sys.argv[1], "a").close()
    print("ready", flush=True)
    GLib.MainLoop().run()
    del name


if __name__ == "__main__":
    main()
