#pragma once

#include <QDBusConnection>
#include <QDBusVariant>  // complete here: the change signal finds its slot through the meta-object
#include <QObject>
#include <QPalette>
#include <optional>

namespace ovantic {

// Follows the desktop's light or dark choice and gives the application the matching palette: Qt's
// own light one, or the dark one it is handed.
//
// Qt 6.4 learns the colour scheme only from a platform theme plugin, and GNOME and most Wayland
// desktops have none, so on a desktop set to dark the panel came up light. The choice is the
// freedesktop appearance setting `color-scheme`, which the desktop portal's Settings interface
// offers on the session bus: read once at start and followed through its change signal, while a
// panel is open too. Without a portal, without an answer, or with no preference, the palette stays
// the one Qt gave.
class ColorSchemeWatcher : public QObject {
  Q_OBJECT

 public:
  // The values of org.freedesktop.appearance color-scheme.
  enum Scheme : uint { noPreference = 0, preferDark = 1, preferLight = 2 };

  explicit ColorSchemeWatcher(QPalette darkPalette,
                              QDBusConnection bus = QDBusConnection::sessionBus(),
                              QObject* parent = nullptr);
  // Gives the application back the palette Qt gave it.
  ~ColorSchemeWatcher() override;

  // The desktop's last known choice; empty until the portal told one.
  std::optional<Scheme> scheme() const { return scheme_; }

 signals:
  // The first read came back, with or without a usable value.
  void initialReadDone();

 private slots:
  void onSettingChanged(const QString& group, const QString& key, const QDBusVariant& value);

 private:
  void take(const QVariant& value);
  void apply();

  QDBusConnection bus_;
  QPalette qtPalette_;
  QPalette darkPalette_;
  std::optional<Scheme> scheme_;
  bool overriding_ = false;
};

}  // namespace ovantic
