#include "platform/qt/qt_rate_store.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

#include "platform/http_client.h"

namespace ovantic {
namespace {

constexpr auto kMaxBytes = static_cast<qint64>(kMaxReplyBytes);

}  // namespace

QtRateStore::QtRateStore(QString path) : path_(std::move(path)) {
  if (path_.isEmpty()) {
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::CacheLocation);
    if (!folder.isEmpty()) path_ = folder + QStringLiteral("/rates.json");
  }
}

std::optional<std::string> QtRateStore::load() {
  if (path_.isEmpty()) return std::nullopt;
  QFile file(path_);
  if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
  if (file.size() > kMaxBytes) return std::nullopt;
  const QByteArray bytes = file.read(kMaxBytes + 1);
  if (bytes.size() > kMaxBytes) return std::nullopt;
  return bytes.toStdString();
}

bool QtRateStore::save(std::string_view bytes) {
  if (path_.isEmpty()) return false;
  if (!QDir().mkpath(QFileInfo(path_).absolutePath())) return false;
  // The file is renamed over, which would write through a link to whatever it points at.
  if (QFileInfo(path_).isSymLink()) return false;
  // Written beside the old file and renamed over it, so a crash or a full disk mid-write leaves
  // the old table, never half of the new one.
  QSaveFile file(path_);
  if (!file.open(QIODevice::WriteOnly)) return false;
  const auto size = static_cast<qint64>(bytes.size());
  if (file.write(bytes.data(), size) != size) {
    file.cancelWriting();
    return false;
  }
  return file.commit();
}

}  // namespace ovantic
