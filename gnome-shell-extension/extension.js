// Ovantic's button in GNOME Shell's top bar. A client on Wayland can neither place its own window
// nor see a click on the desktop or the top bar; the shell can do both. So the button asks the
// running Ovantic to open or close its panel, the shell puts the panel's window under the button
// as it maps, and a press anywhere else, or the overview, asks Ovantic to close it.
//
// This is the module format of GNOME 45 and later; CMake derives the GNOME 43/44 script from it.

// format:begin
import Clutter from 'gi://Clutter';
import Gio from 'gi://Gio';
import GLib from 'gi://GLib';
import St from 'gi://St';
import * as Main from 'resource:///org/gnome/shell/ui/main.js';
import * as PanelMenu from 'resource:///org/gnome/shell/ui/panelMenu.js';
import {Extension} from 'resource:///org/gnome/shell/extensions/extension.js';
// format:end

const APP_NAME = 'io.github.ovantic.Ovantic';
const APP_PATH = '/io/github/ovantic/Ovantic';
const APP_INTERFACE = 'io.github.ovantic.Ovantic.Panel';
// Owned while the extension is enabled: Ovantic shows no status notifier item then.
const EXTENSION_NAME = 'io.github.ovantic.Ovantic.ShellExtension';

function inside(rect, x, y) {
    return x >= rect.x && x < rect.x + rect.width && y >= rect.y && y < rect.y + rect.height;
}

export default class OvanticExtension extends Extension {
    enable() {
        this._nameId = Gio.bus_own_name(Gio.BusType.SESSION, EXTENSION_NAME,
            Gio.BusNameOwnerFlags.NONE, null, null, null);
        // The button stands for a running Ovantic only.
        this._watchId = Gio.bus_watch_name(Gio.BusType.SESSION, APP_NAME,
            Gio.BusNameWatcherFlags.NONE, () => this._addButton(), () => this._removeButton());
        this._panelWindow = null;
        this._windowCreatedId = global.display.connect('window-created',
            (_display, window) => this._watchWindow(window));
        this._pressId = global.stage.connect('captured-event',
            (_stage, event) => this._onStageEvent(event));
        this._overviewId = Main.overview.connect('showing', () => this._call('Close'));
    }

    disable() {
        global.display.disconnect(this._windowCreatedId);
        global.stage.disconnect(this._pressId);
        Main.overview.disconnect(this._overviewId);
        Gio.bus_unwatch_name(this._watchId);
        Gio.bus_unown_name(this._nameId);
        this._removeButton();
        this._panelWindow = null;
    }

    _addButton() {
        if (this._button)
            return;
        this._button = new PanelMenu.Button(0.5, 'Ovantic', true);
        const file = Gio.File.new_for_path(GLib.build_filenamev([this.path, 'ovantic-symbolic.svg']));
        this._button.add_child(new St.Icon({
            gicon: new Gio.FileIcon({file}),
            style_class: 'system-status-icon',
        }));
        this._button.connect('button-press-event', (_actor, event) => {
            if (event.get_button() !== Clutter.BUTTON_PRIMARY)
                return Clutter.EVENT_PROPAGATE;
            this._toggle();
            return Clutter.EVENT_STOP;
        });
        this._button.connect('touch-event', (_actor, event) => {
            if (event.type() !== Clutter.EventType.TOUCH_BEGIN)
                return Clutter.EVENT_PROPAGATE;
            this._toggle();
            return Clutter.EVENT_STOP;
        });
        Main.panel.addToStatusArea(this.uuid, this._button);
    }

    _removeButton() {
        this._button?.destroy();
        this._button = null;
    }

    _buttonRect() {
        const [x, y] = this._button.get_transformed_position();
        const [width, height] = this._button.get_transformed_size();
        return {x: Math.round(x), y: Math.round(y), width: Math.round(width), height: Math.round(height)};
    }

    _toggle() {
        const r = this._buttonRect();
        this._call('Toggle', new GLib.Variant('(iiii)', [r.x, r.y, r.width, r.height]));
    }

    _call(method, parameters = null) {
        Gio.DBus.session.call(APP_NAME, APP_PATH, APP_INTERFACE, method, parameters, null,
            Gio.DBusCallFlags.NO_AUTO_START, -1, null, null);
    }

    // The panel's window is Ovantic's window titled "Ovantic" (its About box has a title of its
    // own); app id and title are both set before it first shows.
    _watchWindow(window) {
        const id = window.connect('shown', () => {
            window.disconnect(id);
            if (window.get_wm_class() !== 'ovantic' || window.get_title() !== 'Ovantic')
                return;
            this._panelWindow = window;
            window.connect('unmanaged', () => {
                if (this._panelWindow === window)
                    this._panelWindow = null;
            });
            // On X11 Ovantic places its own window where the button said it is.
            if (!window.is_override_redirect())
                this._place(window);
        });
    }

    _place(window) {
        if (!this._button)
            return;
        const icon = this._buttonRect();
        const frame = window.get_frame_rect();
        const area = window.get_work_area_for_monitor(Main.layoutManager.findIndexForActor(this._button));
        const x = Math.max(area.x, Math.min(icon.x + Math.round((icon.width - frame.width) / 2),
            area.x + area.width - frame.width));
        window.move_frame(true, x, area.y);
        Main.activateWindow(window);
    }

    // A press on the desktop or on the shell's own parts moves no focus, so Ovantic cannot see it.
    // Presses in other windows take the focus from the panel, which Ovantic sees itself.
    _onStageEvent(event) {
        const type = event.type();
        if (!this._panelWindow ||
            (type !== Clutter.EventType.BUTTON_PRESS && type !== Clutter.EventType.TOUCH_BEGIN))
            return Clutter.EVENT_PROPAGATE;
        const [x, y] = event.get_coords();
        const onButton = this._button && inside(this._buttonRect(), x, y);
        if (!onButton && !inside(this._panelWindow.get_frame_rect(), x, y))
            this._call('Close');
        return Clutter.EVENT_PROPAGATE;
    }
}
