#include "platform/qt/qt_preferences.h"

#include <QSettings>

namespace ovantic {
namespace {

QString qs(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

QtPreferences::QtPreferences()
    : settings_(std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                            QStringLiteral("ovantic"), QStringLiteral("ovantic"))) {
}

QtPreferences::QtPreferences(const QString& path)
    : settings_(std::make_unique<QSettings>(path, QSettings::IniFormat)) {}

QtPreferences::~QtPreferences() = default;

std::optional<std::string> QtPreferences::value(std::string_view key) const {
  const QVariant stored = settings_->value(qs(key));
  // Only text was ever written; anything else is a hand edit this program did not make.
  if (!stored.isValid() || stored.typeId() != QMetaType::QString) return std::nullopt;
  return stored.toString().toStdString();
}

void QtPreferences::setValue(std::string_view key, std::string_view value) {
  settings_->setValue(qs(key), qs(value));
  // Written at once: a tray program is usually ended by logging out, not by a clean exit.
  settings_->sync();
}

}  // namespace ovantic
