#include "platform/qt/qt_preferences.h"

#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <cstdio>

namespace ovantic {
namespace {

// What this program writes is three short lines. QSettings reads a whole file into memory, and a
// hand-edited list of a few megabytes cost hundreds of megabytes for the whole run.
constexpr qint64 kMaxBytes = 64 * 1024;

QString qs(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// The file QSettings would choose for this program in the user's scope, without the fallback
// files it would read as well.
QString userFile() {
  return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
         QStringLiteral("/ovantic/ovantic.conf");
}

// No file yet is fine; a special file (a FIFO would block the read) or a large one is not ours.
bool fitsToRead(const QString& path) {
  const QFileInfo file(path);
  return !file.exists() || (file.isFile() && file.size() <= kMaxBytes);
}

}  // namespace

QtPreferences::QtPreferences() : QtPreferences(userFile()) {}

QtPreferences::QtPreferences(const QString& path) : path_(path) {
  if (!fitsToRead(path)) {
    std::fprintf(stderr, "ovantic: ignoring %s: not a file of at most %lld bytes\n",
                 qPrintable(path), static_cast<long long>(kMaxBytes));
    return;
  }
  settings_ = std::make_unique<QSettings>(path, QSettings::IniFormat);
}

QtPreferences::~QtPreferences() = default;

std::optional<std::string> QtPreferences::value(std::string_view key) const {
  if (!settings_) {
    const auto found = unsaved_.find(std::string(key));
    if (found == unsaved_.end()) return std::nullopt;
    return found->second;
  }
  const QVariant stored = settings_->value(qs(key));
  // Only text was ever written; anything else is a hand edit this program did not make.
  if (!stored.isValid() || stored.typeId() != QMetaType::QString) return std::nullopt;
  return stored.toString().toStdString();
}

void QtPreferences::setValue(std::string_view key, std::string_view value) {
  // A file grown meanwhile would be read again whole by the write below.
  if (settings_ && !fitsToRead(path_)) settings_.reset();
  if (!settings_) {
    // The file stays as the user left it; the choice holds for this run.
    unsaved_.insert_or_assign(std::string(key), std::string(value));
    return;
  }
  settings_->setValue(qs(key), qs(value));
  // Written at once: a tray program is usually ended by logging out, not by a clean exit.
  settings_->sync();
}

}  // namespace ovantic
