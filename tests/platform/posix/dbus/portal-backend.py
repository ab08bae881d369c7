#!/usr/bin/python3
"""A desktop's GlobalShortcuts portal backend for the tests, behind the real xdg-desktop-portal.

It binds every shortcut it is offered with the trigger asked for, writes each binding and each
session's end as a line to the log file it is given, and plays the desktop's part when a key is
pressed: its test method Press(trigger) sends Activated for the shortcut bound to that trigger.
Told to refuse, it binds none of them, as KDE Plasma 5.27's backend does.
Usage: portal-backend.py BUS_NAME LOG_FILE [refuse]
"""
import sys
import time

import dbus
import dbus.service
from dbus.mainloop.glib import DBusGMainLoop
from gi.repository import GLib

IMPL = "org.freedesktop.impl.portal.GlobalShortcuts"
PATH = "/org/freedesktop/portal/desktop"

DBusGMainLoop(set_as_default=True)
bus = dbus.SessionBus()
name = dbus.service.BusName(sys.argv[1], bus)
log_file = sys.argv[2]
refuse = sys.argv[3:] == ["refuse"]
sessions = {}  # session path -> {shortcut id: trigger}


def log(line):
    with open(log_file, "a") as f:
        f.write(line + "\n")


class Session(dbus.service.Object):
    def __init__(self, path):
        super().__init__(bus, path)
        self.path = path

    @dbus.service.method("org.freedesktop.impl.portal.Session", in_signature="", out_signature="")
    def Close(self):
        log("closed " + " ".join(sorted(sessions.pop(self.path, {}).values())))
        self.remove_from_connection()


class Shortcuts(dbus.service.Object):
    @dbus.service.method(IMPL, in_signature="oosa{sv}", out_signature="ua{sv}")
    def CreateSession(self, handle, session_handle, app_id, options):
        sessions[str(session_handle)] = {}
        Session(str(session_handle))
        return 0, {}

    @dbus.service.method(IMPL, in_signature="ooa(sa{sv})sa{sv}", out_signature="ua{sv}")
    def BindShortcuts(self, handle, session_handle, shortcuts, parent_window, options):
        bound = sessions.setdefault(str(session_handle), {})
        answer = []
        if refuse:
            log("refused " + " ".join(sorted(str(p.get("preferred_trigger", "")) for _, p in shortcuts)))
            return 0, {"shortcuts": dbus.Array([], signature="(sa{sv})")}
        for shortcut_id, properties in shortcuts:
            trigger = str(properties.get("preferred_trigger", ""))
            bound[str(shortcut_id)] = trigger
            answer.append((shortcut_id, {"description": properties.get("description", ""),
                                         "trigger_description": trigger}))
        log("bound " + " ".join(sorted(bound.values())))
        return 0, {"shortcuts": dbus.Array(answer, signature="(sa{sv})")}

    @dbus.service.method(IMPL, in_signature="oo", out_signature="ua{sv}")
    def ListShortcuts(self, handle, session_handle):
        bound = sessions.get(str(session_handle), {})
        return 0, {"shortcuts": dbus.Array([(i, {"trigger_description": t}) for i, t in bound.items()],
                                           signature="(sa{sv})")}

    @dbus.service.signal(IMPL, signature="osta{sv}")
    def Activated(self, session_handle, shortcut_id, timestamp, options):
        pass

    @dbus.service.method("org.kaleidra.Test", in_signature="s", out_signature="u")
    def Press(self, trigger):
        pressed = 0
        for session, bound in list(sessions.items()):
            for shortcut_id, bound_trigger in bound.items():
                if bound_trigger == trigger:
                    self.Activated(dbus.ObjectPath(session), shortcut_id, dbus.UInt64(int(time.time() * 1000)),
                                   dbus.Dictionary({}, signature="sv"))
                    pressed += 1
        return pressed


Shortcuts(bus, PATH)
log("ready")
GLib.MainLoop().run()
