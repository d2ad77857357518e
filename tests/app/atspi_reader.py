"""Reads the program's window the way a screen reader does: over AT-SPI.

Connects to the accessibility bus of the current D-Bus session, finds the
application named NAME and prints every object of its tree as one line,
"role<TAB>name<TAB>text", where text is what the object's Text interface
holds (empty for objects without one).

Usage: atspi_reader.py NAME
Exits with 1 when no such application is registered.
"""

import sys

from gi.repository import Gio, GLib

TIMEOUT_MS = 5000


def call(bus, dest, path, interface, method, args=None):
    return bus.call_sync(dest, path, interface, method, args, None,
                         Gio.DBusCallFlags.NONE, TIMEOUT_MS, None).unpack()


def main():
    name = sys.argv[1]
    session = Gio.bus_get_sync(Gio.BusType.SESSION, None)
    address = call(session, "org.a11y.Bus", "/org/a11y/bus", "org.a11y.Bus", "GetAddress")[0]
    bus = Gio.DBusConnection.new_for_address_sync(
        address,
        Gio.DBusConnectionFlags.AUTHENTICATION_CLIENT
        | Gio.DBusConnectionFlags.MESSAGE_BUS_CONNECTION,
        None, None)

    def children(dest, path):
        return call(bus, dest, path, "org.a11y.atspi.Accessible", "GetChildren")[0]

    def name_of(dest, path):
        return call(bus, dest, path, "org.freedesktop.DBus.Properties", "Get",
                    GLib.Variant("(ss)", ("org.a11y.atspi.Accessible", "Name")))[0]

    def role_of(dest, path):
        return call(bus, dest, path, "org.a11y.atspi.Accessible", "GetRoleName")[0]

    def text_of(dest, path):
        try:
            return call(bus, dest, path, "org.a11y.atspi.Text", "GetText",
                        GLib.Variant("(ii)", (0, -1)))[0]
        except GLib.Error:
            return ""

    def walk(dest, path):
        print(f"{role_of(dest, path)}\t{name_of(dest, path)}\t{text_of(dest, path)}")
        for child_dest, child_path in children(dest, path):
            walk(child_dest, child_path)

    for dest, path in children("org.a11y.atspi.Registry", "/org/a11y/atspi/accessible/root"):
        if name_of(dest, path) == name:
            walk(dest, path)
            return 0
    return 1


if __name__ == "__main__":
    sys.exit(main())
