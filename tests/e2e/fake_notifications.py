#!/usr/bin/python3
# A stand-in desktop notification server for the tests: it owns
# org.freedesktop.Notifications on the session bus and appends one line per
# notification to the record file:
#   <id> TAB <summary> TAB <body, \n escaped> TAB <app_icon> TAB <desktop-entry hint>
#   TAB <image-data hint as WxH:channels:bytes, or -> TAB <actions, comma-separated>
# With --activate it invokes the first action of each notification that
# offers one a moment later, as a user clicking it would. Ids start at 1, so
# a server started anew (after one was stopped) gives ids again from 1.
# SIGUSR1 clicks the last notification that offers an action. With --markup
# it says it reads markup in bodies ("body-markup").
#   fake_notifications.py RECORD_FILE [--activate] [--markup]
import signal
import sys

import dbus
import dbus.service
from dbus.mainloop.glib import DBusGMainLoop
from gi.repository import GLib

NAME = "org.freedesktop.Notifications"
PATH = "/org/freedesktop/Notifications"


def describe_image(hints):
    image = hints.get("image-data")
    return "-" if image is None else "%dx%d:%d:%d" % (image[0], image[1], image[5], len(image[6]))


class Notifications(dbus.service.Object):
    def __init__(self, bus, record, activate, markup):
        super().__init__(bus, PATH)
        self.markup = markup
        self.record = record
        self.activate = activate
        self.next_id = 1
        self.last = None  # (id, first action) of the last notification with actions

    @dbus.service.method(NAME, in_signature="", out_signature="as")
    def GetCapabilities(self):
        return ["body", "actions"] + (["body-markup"] if self.markup else [])

    @dbus.service.method(NAME, in_signature="", out_signature="ssss")
    def GetServerInformation(self):
        return ("fake", "skimbolt-tests", "1.0", "1.2")

    @dbus.service.method(NAME, in_signature="susssasa{sv}i", out_signature="u")
    def Notify(self, app, replaces, icon, summary, body, actions, hints, timeout):
        nid = self.next_id
        self.next_id += 1
        fields = [str(nid), summary, body.replace("\n", "\\n"), icon, str(hints.get("desktop-entry", "-")),
                  describe_image(hints), ",".join(str(a) for a in actions)]
        with open(self.record, "a", encoding="utf-8") as f:
            f.write("\t".join(fields) + "\n")
        if len(actions) >= 2:
            self.last = (nid, str(actions[0]))
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
    server = Notifications(bus, sys.argv[1], "--activate" in sys.argv[2:], "--markup" in sys.argv[2:])

    def click_last():
        if server.last:
            server.ActionInvoked(*server.last)
        return True
    GLib.unix_signal_add(GLib.PRIORITY_DEFAULT, signal.SIGUSR1, click_last)
    open(sys.argv[1], "a").close()
    print("ready", flush=True)
    GLib.MainLoop().run()
    del name


if __name__ == "__main__":
    main()
