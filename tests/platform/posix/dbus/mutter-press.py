#!/usr/bin/python3
"""Presses keys in gnome-shell as a user would, through Mutter's remote-desktop interface on the
session bus: each key symbol down in turn, then up in the reverse order. The remote-desktop
session belongs to the connection that made it, so one program makes it, presses and stops it.
Usage: mutter-press.py KEYSYM...   (0xffe3 0xffe9 0x61: Control_L, Alt_L, a)
"""
import sys
import time

import gi

gi.require_version("Gio", "2.0")
from gi.repository import Gio, GLib  # noqa: E402

SERVICE = "org.gnome.Mutter.RemoteDesktop"
SESSION = "org.gnome.Mutter.RemoteDesktop.Session"
bus = Gio.bus_get_sync(Gio.BusType.SESSION)


def call(path, interface, method, args=None, reply="()"):
    return bus.call_sync(SERVICE, path, interface, method, args, GLib.VariantType(reply),
                         Gio.DBusCallFlags.NONE, 5000)


session = call("/org/gnome/Mutter/RemoteDesktop", SERVICE, "CreateSession", None, "(o)")[0]
call(session, SESSION, "Start")
time.sleep(0.3)
keys = [int(k, 0) for k in sys.argv[1:]]
for key in keys:
    call(session, SESSION, "NotifyKeyboardKeysym", GLib.Variant("(ub)", (key, True)))
for key in reversed(keys):
    call(session, SESSION, "NotifyKeyboardKeysym", GLib.Variant("(ub)", (key, False)))
time.sleep(0.3)
call(session, SESSION, "Stop")
