#pragma once

#include <QString>

#include "platform/rate_store.h"

namespace ovantic {

// The kept rates as one file in the user's cache folder ($XDG_CACHE_HOME/ovantic/rates.json on
// Linux). Only the rate table lives there: deleting the folder loses nothing but a faster first
// result.
class QtRateStore : public RateStore {
 public:
  // `path` empty: the file in the application's cache location.
  explicit QtRateStore(QString path = {});

  std::optional<std::string> load() override;
  bool save(std::string_view bytes) override;

  const QString& path() const { return path_; }

 private:
  QString path_;
};

}  // namespace ovantic
