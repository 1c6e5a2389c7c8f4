#pragma once

#include <QString>
#include <map>
#include <memory>
#include <string>

#include "platform/preferences.h"

class QSettings;

namespace ovantic {

// Preferences in a QSettings file: by default the user's, ovantic/ovantic.conf under
// $XDG_CONFIG_HOME (~/.config), or the file at `path`. A file over 64 KiB, or one that is not a
// plain file, is never read: one line on stderr says so, and choices then last for the run only.
class QtPreferences : public Preferences {
 public:
  QtPreferences();
  explicit QtPreferences(const QString& path);
  ~QtPreferences() override;

  std::optional<std::string> value(std::string_view key) const override;
  void setValue(std::string_view key, std::string_view value) override;

 private:
  QString path_;
  std::unique_ptr<QSettings> settings_;  // none when the file is ignored
  std::map<std::string, std::string> unsaved_;
};

}  // namespace ovantic
