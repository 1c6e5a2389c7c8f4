#pragma once

#include <QString>
#include <memory>

#include "platform/preferences.h"

class QSettings;

namespace ovantic {

// Preferences in a QSettings file: by default the user's, ovantic/ovantic.conf under
// $XDG_CONFIG_HOME (~/.config), or the file at `path`.
class QtPreferences : public Preferences {
 public:
  QtPreferences();
  explicit QtPreferences(const QString& path);
  ~QtPreferences() override;

  std::optional<std::string> value(std::string_view key) const override;
  void setValue(std::string_view key, std::string_view value) override;

 private:
  std::unique_ptr<QSettings> settings_;
};

}  // namespace ovantic
