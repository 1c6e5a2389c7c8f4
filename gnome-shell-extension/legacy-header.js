// GNOME 43 and 44 load an extension as a script, with the shell's modules under `imports`.
const {Clutter, Gio, GLib, St} = imports.gi;
const Main = imports.ui.main;
const PanelMenu = imports.ui.panelMenu;

class Extension {
    constructor(metadata) {
        this.uuid = metadata.uuid;
        this.path = metadata.path;
    }
}

function init(metadata) {
    return new OvanticExtension(metadata);
}
