#pragma once

#include <QString>
#include <QStringList>

namespace ovantic {

// Whether Ovantic starts at login, as the freedesktop autostart rules decide it: the user's
// $XDG_CONFIG_HOME/autostart/ovantic.desktop wins over one of the same name in a system-wide
// $XDG_CONFIG_DIRS/autostart (where the package puts its own); an entry marked Hidden=true is
// as good as none.
class AutostartEntry {
 public:
  // `configHome` is $XDG_CONFIG_HOME; `systemDirs` are $XDG_CONFIG_DIRS; `exec` is the command
  // an entry of the user's runs.
  AutostartEntry(QString configHome, QStringList systemDirs, QString exec);

  // From the environment, with the freedesktop defaults (~/.config, /etc/xdg).
  static AutostartEntry forThisSession();

  bool isEnabled() const;
  // Writes the user's entry, or turns the system-wide one off with a hidden entry of the user's,
  // or removes the user's entry where no system-wide one needs hiding. False, with the reason in
  // `error`, when the file could not be written or removed; nothing else changes then.
  bool setEnabled(bool enabled, QString* error);

  QString userEntryPath() const;

 private:
  QString systemEntryPath() const;

  QString configHome_;
  QStringList systemDirs_;
  QString exec_;
};

}  // namespace ovantic
