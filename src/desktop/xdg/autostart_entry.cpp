#include "desktop/xdg/autostart_entry.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>
#include <QTextStream>
#include <algorithm>

namespace ovantic {

namespace {

const QString entryName = QStringLiteral("autostart/ovantic.desktop");

// Session managers skip an entry that is Hidden, and GNOME's one that it has switched off.
bool entryStarts(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) return false;
  QTextStream in(&file);
  bool inDesktopEntry = false;
  while (!in.atEnd()) {
    const QString line = in.readLine().trimmed();
    if (line.startsWith(QLatin1Char('['))) {
      inDesktopEntry = line == QLatin1String("[Desktop Entry]");
      continue;
    }
    if (!inDesktopEntry) continue;
    const QString key = line.section(QLatin1Char('='), 0, 0).trimmed();
    const QString value = line.section(QLatin1Char('='), 1).trimmed();
    if (key == QLatin1String("Hidden") && value == QLatin1String("true")) return false;
    if (key == QLatin1String("X-GNOME-Autostart-enabled") && value == QLatin1String("false")) {
      return false;
    }
  }
  return true;
}

// The Exec key's quoting: a path with a space or a reserved character goes in double quotes, with
// the four characters that stay special there escaped by a backslash.
QString execArgument(const QString& path) {
  static const QString reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
  if (std::none_of(path.begin(), path.end(), [](QChar c) { return reserved.contains(c); })) {
    return path;
  }
  QString quoted;
  for (const QChar c : path) {
    if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') ||
        c == QLatin1Char('\\')) {
      quoted += QLatin1Char('\\');
    }
    quoted += c;
  }
  // The string escapes apply on top of the quoting: each backslash is written twice.
  quoted.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
  return QLatin1Char('"') + quoted + QLatin1Char('"');
}

QString envOr(const char* name, const QString& fallback) {
  const QString value = qEnvironmentVariable(name);
  return value.isEmpty() ? fallback : value;
}

}  // namespace

AutostartEntry::AutostartEntry(QString configHome, QStringList systemDirs, QString exec)
    : configHome_(std::move(configHome)),
      systemDirs_(std::move(systemDirs)),
      exec_(std::move(exec)) {}

AutostartEntry AutostartEntry::forThisSession() {
  const QString home = envOr("XDG_CONFIG_HOME", QDir::homePath() + QStringLiteral("/.config"));
  const QStringList dirs = envOr("XDG_CONFIG_DIRS", QStringLiteral("/etc/xdg"))
                               .split(QLatin1Char(':'), Qt::SkipEmptyParts);
  // The bare name where the running program is the one on the PATH (an installed package); the
  // full path of a build run from elsewhere, which the session would not find otherwise.
  const QString self = QCoreApplication::applicationFilePath();
  const QString onPath = QStandardPaths::findExecutable(QStringLiteral("ovantic"));
  const bool installed = !onPath.isEmpty() && QFileInfo(onPath).canonicalFilePath() ==
                                                  QFileInfo(self).canonicalFilePath();
  return AutostartEntry(home, dirs, installed || self.isEmpty() ? QStringLiteral("ovantic") : self);
}

QString AutostartEntry::userEntryPath() const {
  return configHome_ + QLatin1Char('/') + entryName;
}

QString AutostartEntry::systemEntryPath() const {
  for (const QString& dir : systemDirs_) {
    const QString path = dir + QLatin1Char('/') + entryName;
    if (QFileInfo::exists(path)) return path;
  }
  return {};
}

bool AutostartEntry::isEnabled() const {
  const QString user = userEntryPath();
  if (QFileInfo::exists(user)) return entryStarts(user);
  const QString system = systemEntryPath();
  return !system.isEmpty() && entryStarts(system);
}

bool AutostartEntry::setEnabled(bool enabled, QString* error) {
  const QString path = userEntryPath();
  const bool hideSystemEntry = !enabled && !systemEntryPath().isEmpty();
  if (!enabled && !hideSystemEntry) {
    if (!QFileInfo::exists(path) || QFile::remove(path)) return true;
    if (error) *error = QStringLiteral("cannot remove ") + path;
    return false;
  }
  if (!QDir().mkpath(QFileInfo(path).absolutePath())) {
    if (error) *error = QStringLiteral("cannot create ") + QFileInfo(path).absolutePath();
    return false;
  }
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Text)) {
    if (error)
      *error = QStringLiteral("cannot write ") + path + QStringLiteral(": ") + file.errorString();
    return false;
  }
  QTextStream out(&file);
  out << "[Desktop Entry]\n"
      << "Type=Application\n"
      << "Name=Ovantic\n"
      << "Comment=Currency converter in the system tray\n"
      << "Exec=" << execArgument(exec_) << "\n"
      << "Icon=ovantic\n"
      << "Terminal=false\n"
      << "NoDisplay=true\n";
  // Hidden=true is what the autostart rules define for "the system-wide entry, but not for me".
  if (hideSystemEntry) out << "Hidden=true\n";
  out << "X-GNOME-Autostart-enabled=" << (enabled ? "true" : "false") << "\n";
  out.flush();
  if (!file.commit()) {
    if (error)
      *error = QStringLiteral("cannot write ") + path + QStringLiteral(": ") + file.errorString();
    return false;
  }
  return true;
}

}  // namespace ovantic
