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

// What a session manager makes of an entry: one it would start, one it skips (Hidden, or switched
// off by GNOME), or not a desktop entry at all, which is neither started nor ours to overwrite.
enum class Entry { starts, off, invalid };

Entry readEntry(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) return Entry::invalid;
  QTextStream in(&file);
  bool inDesktopEntry = false;
  bool sawGroup = false;
  bool application = false;
  bool exec = false;
  bool off = false;
  while (!in.atEnd()) {
    const QString line = in.readLine().trimmed();
    if (line.isEmpty() || line.startsWith(QLatin1Char('#'))) continue;
    if (line.startsWith(QLatin1Char('['))) {
      inDesktopEntry = line == QLatin1String("[Desktop Entry]");
      sawGroup = sawGroup || inDesktopEntry;
      continue;
    }
    // Anything before the first group, or a line that is no key, makes it no desktop entry.
    if (!sawGroup || !line.contains(QLatin1Char('='))) return Entry::invalid;
    if (!inDesktopEntry) continue;
    const QString key = line.section(QLatin1Char('='), 0, 0).trimmed();
    const QString value = line.section(QLatin1Char('='), 1).trimmed();
    if (key == QLatin1String("Type")) application = value == QLatin1String("Application");
    if (key == QLatin1String("Exec")) exec = !value.isEmpty();
    if (key == QLatin1String("Hidden") && value == QLatin1String("true")) off = true;
    if (key == QLatin1String("X-GNOME-Autostart-enabled") && value == QLatin1String("false")) {
      off = true;
    }
  }
  // A hidden entry needs nothing else to mean "not for me".
  if (off && sawGroup) return Entry::off;
  return application && exec ? Entry::starts : Entry::invalid;
}

// The Exec key's quoting: a path with a space or a reserved character goes in double quotes, with
// the four characters that stay special there escaped by a backslash, and a percent sign doubled
// so it is not read as a field code. Empty for a path no entry can hold (a control character).
QString execArgument(const QString& path) {
  static const QString reserved = QStringLiteral(" \t\n\r\"'\\><~|&;$*?#()`");
  QString argument;
  for (const QChar c : path) {
    if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') ||
        c == QLatin1Char('\\')) {
      argument += QLatin1Char('\\');
    }
    argument += c;
    if (c == QLatin1Char('%')) argument += c;
  }
  if (std::any_of(path.begin(), path.end(), [](QChar c) { return reserved.contains(c); })) {
    argument = QLatin1Char('"') + argument + QLatin1Char('"');
  }
  // The string escapes apply on top: a backslash is written twice, and the three control
  // characters that have an escape are written with it; the others have none.
  QString escaped;
  for (const QChar c : argument) {
    if (c == QLatin1Char('\\')) {
      escaped += QStringLiteral("\\\\");
    } else if (c == QLatin1Char('\n')) {
      escaped += QStringLiteral("\\n");
    } else if (c == QLatin1Char('\t')) {
      escaped += QStringLiteral("\\t");
    } else if (c == QLatin1Char('\r')) {
      escaped += QStringLiteral("\\r");
    } else if (c.unicode() < 0x20 || c.unicode() == 0x7f) {
      return {};
    } else {
      escaped += c;
    }
  }
  return escaped;
}

// A link in the entry's place is the user's doing (a dotfiles folder, say): neither written
// through nor removed.
bool isLink(const QString& path) {
  return QFileInfo(path).isSymLink();
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
  if (QFileInfo::exists(user) || isLink(user)) {
    return !isLink(user) && readEntry(user) == Entry::starts;
  }
  const QString system = systemEntryPath();
  return !system.isEmpty() && readEntry(system) == Entry::starts;
}

bool AutostartEntry::setEnabled(bool enabled, QString* error) {
  const QString path = userEntryPath();
  const auto fail = [&](const QString& why) {
    if (error) *error = why;
    return false;
  };
  if (isLink(path)) return fail(path + QStringLiteral(" is a link; it is left as it is"));
  if (QFileInfo::exists(path) && readEntry(path) == Entry::invalid) {
    return fail(path + QStringLiteral(" is not a desktop entry; it is left as it is"));
  }
  const QString exec = execArgument(exec_);
  if (exec.isEmpty()) {
    return fail(QStringLiteral("the program's path cannot be written in an autostart entry"));
  }
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
      << "Exec=" << exec << "\n"
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
