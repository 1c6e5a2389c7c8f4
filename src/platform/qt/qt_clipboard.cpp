#include "platform/qt/qt_clipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

namespace ovantic {

void QtClipboard::replaceWithText(std::string_view text) {
  QClipboard* clipboard = QGuiApplication::clipboard();
  if (!clipboard) return;
  // A fresh QMimeData with a single text/plain entry replaces every format the clipboard held.
  auto* data = new QMimeData;
  data->setText(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
  clipboard->setMimeData(data, QClipboard::Clipboard);
}

}  // namespace ovantic
