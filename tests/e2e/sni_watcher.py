#!/usr/bin/python3
"""What a desktop offers a tray application over D-Bus, on a private session bus, for the
end-to-end tests: a status notifier watcher with a host already registered (as a bar or a
desktop shell is), a notification service, or the desktop portal's appearance setting. Each
event becomes a line of --log:

    item SERVICE          an item registered with the watcher
    notify SUMMARY        a notification was asked for

    sni_watcher.py --bus ADDRESS --log FILE (--watcher | --notifications | --portal SCHEME)

The portal starts with color-scheme SCHEME (0 none, 1 dark, 2 light); a call to the test's own
org.ovantic.test.Appearance.SetColorScheme(u) changes it and sends SettingChanged as the real
portal does.
"""

import argparse

from gi.repository import Gio, GLib

WATCHER = "org.kde.StatusNotifierWatcher"
NOTIFICATIONS = "org.freedesktop.Notifications"
PORTAL = "org.freedesktop.portal.Desktop"
SETTINGS = "org.freedesktop.portal.Settings"
APPEARANCE = "org.freedesktop.appearance"

WATCHER_XML = f"""<node><interface name="{WATCHER}">
  <method name="RegisterStatusNotifierItem"><arg type="s" direction="in"/></method>
  <method name="RegisterStatusNotifierHost"><arg type="s" direction="in"/></method>
  <property name="RegisteredStatusNotifierItems" type="as" access="read"/>
  <property name="IsStatusNotifierHostRegistered" type="b" access="read"/>
  <property name="ProtocolVersion" type="i" access="read"/>
  <signal name="StatusNotifierItemRegistered"><arg type="s"/></signal>
  <signal name="StatusNotifierHostRegistered"/>
</interface></node>"""

NOTIFICATIONS_XML = f"""<node><interface name="{NOTIFICATIONS}">
  <method name="Notify">
    <arg type="s" direction="in"/><arg type="u" direction="in"/><arg type="s" direction="in"/>
    <arg type="s" direction="in"/><arg type="s" direction="in"/><arg type="as" direction="in"/>
    <arg type="a{{sv}}" direction="in"/><arg type="i" direction="in"/>
    <arg type="u" direction="out"/>
  </method>
  <method name="GetCapabilities"><arg type="as" direction="out"/></method>
</interface></node>"""

PORTAL_XML = f"""<node><interface name="{SETTINGS}">
  <method name="Read">
    <arg type="s" direction="in"/><arg type="s" direction="in"/><arg type="v" direction="out"/>
  </method>
  <signal name="SettingChanged"><arg type="s"/><arg type="s"/><arg type="v"/></signal>
</interface><interface name="org.ovantic.test.Appearance">
  <method name="SetColorScheme"><arg type="u" direction="in"/></method>
</interface></node>"""


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--bus", required=True)
    parser.add_argument("--log", required=True)
    role = parser.add_mutually_exclusive_group(required=True)
    role.add_argument("--watcher", action="store_true")
    role.add_argument("--notifications", action="store_true")
    role.add_argument("--portal", type=int, metavar="SCHEME")
    args = parser.parse_args()

    log = open(args.log, "a", buffering=1)
    bus = Gio.DBusConnection.new_for_address_sync(
        args.bus, Gio.DBusConnectionFlags.AUTHENTICATION_CLIENT
        | Gio.DBusConnectionFlags.MESSAGE_BUS_CONNECTION, None, None)
    items = []
    scheme = [args.portal]

    def call(conn, sender, path, interface, method, params, invocation):
        if method == "RegisterStatusNotifierItem":
            # Qt passes its unique name; some items pass an object path instead.
            service = params.unpack()[0]
            items.append(sender + service if service.startswith("/") else service)
            log.write(f"item {items[-1]}\n")
            conn.emit_signal(None, "/StatusNotifierWatcher", WATCHER,
                             "StatusNotifierItemRegistered", GLib.Variant("(s)", (items[-1],)))
            invocation.return_value(None)
        elif method == "Notify":
            log.write(f"notify {params.unpack()[3]}\n")
            invocation.return_value(GLib.Variant("(u)", (1,)))
        elif method == "Read":
            if tuple(params.unpack()) != (APPEARANCE, "color-scheme"):
                invocation.return_dbus_error("org.freedesktop.portal.Error.NotFound", "no such key")
                return
            # The value wrapped in one variant more, as xdg-desktop-portal's Read answers.
            invocation.return_value(GLib.Variant("(v)", (
                GLib.Variant("v", GLib.Variant("u", scheme[0])),)))
        elif method == "SetColorScheme":
            scheme[0] = params.unpack()[0]
            conn.emit_signal(None, path, SETTINGS, "SettingChanged", GLib.Variant(
                "(ssv)", (APPEARANCE, "color-scheme", GLib.Variant("u", scheme[0]))))
            invocation.return_value(None)
        elif method == "GetCapabilities":
            invocation.return_value(GLib.Variant("(as)", (["body"],)))
        else:
            invocation.return_value(None)

    def prop(conn, sender, path, interface, name):
        return {"RegisteredStatusNotifierItems": GLib.Variant("as", items),
                "IsStatusNotifierHostRegistered": GLib.Variant("b", True),
                "ProtocolVersion": GLib.Variant("i", 0)}.get(name)

    if args.watcher:
        name, path, xml = WATCHER, "/StatusNotifierWatcher", WATCHER_XML
    elif args.portal is not None:
        name, path, xml = PORTAL, "/org/freedesktop/portal/desktop", PORTAL_XML
    else:
        name, path, xml = NOTIFICATIONS, "/org/freedesktop/Notifications", NOTIFICATIONS_XML
    for info in Gio.DBusNodeInfo.new_for_xml(xml).interfaces:
        bus.register_object(path, info, call, prop, None)
    # The object is in place before the name appears, as with a real host, so whoever sees the
    # name can ask it at once.
    bus.call_sync("org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
                  "RequestName", GLib.Variant("(su)", (name, 4)), None,
                  Gio.DBusCallFlags.NONE, -1, None)
    if args.watcher:
        bus.emit_signal(None, path, WATCHER, "StatusNotifierHostRegistered", None)
    GLib.MainLoop().run()


if __name__ == "__main__":
    main()
