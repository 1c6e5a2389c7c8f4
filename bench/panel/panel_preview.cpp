// Shows one panel in a window, with rates already in, for looking at it and taking screenshots:
//   panel_preview [--dark] [--amount TEXT] [--copy-line N] [--open-menu] [--height N]
//                 [--seconds N]
// Under Xvfb: `Xvfb :55 -screen 0 1024x768x24 & DISPLAY=:55 panel_preview --dark &` and then
// `DISPLAY=:55 import -window root shot.png`.
#include <QApplication>
#include <QLineEdit>
#include <QPalette>
#include <QStyleFactory>
#include <QTest>
#include <QTimer>
#include <memory>

#include "converter/currency_converter_view.h"
#include "doubles.h"
#include "panel/all_conversions_view.h"
#include "panel/converter_panel.h"
#include "panel/currency_picker.h"
#include "panel/rounded_card.h"
#include "platform/qt/qt_clipboard.h"
#include "platform/qt/qt_main_queue.h"

namespace {

using namespace ovantic;

// The table the preview's opening fetch is answered with, the way the service would.
const char* const kCannedRates =
    R"({"base":"USD","rates":{"USD":1,"INR":83.2,"EUR":0.92,"GBP":0.79,)"
    R"("JPY":151.0,"AUD":1.52,"CAD":1.36,"CNY":7.2,"AED":3.67,"SGD":1.34}})";

QPalette darkPalette() {
  QPalette p;
  p.setColor(QPalette::Window, QColor(38, 38, 40));
  p.setColor(QPalette::WindowText, QColor(236, 236, 236));
  p.setColor(QPalette::Base, QColor(56, 56, 60));
  p.setColor(QPalette::AlternateBase, QColor(48, 48, 52));
  p.setColor(QPalette::Text, QColor(236, 236, 236));
  p.setColor(QPalette::Button, QColor(50, 50, 54));
  p.setColor(QPalette::ButtonText, QColor(236, 236, 236));
  p.setColor(QPalette::Highlight, QColor(42, 130, 218));
  p.setColor(QPalette::HighlightedText, Qt::white);
  p.setColor(QPalette::Link, QColor(80, 160, 255));
  p.setColor(QPalette::PlaceholderText, QColor(140, 140, 140));
  return p;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
  const QStringList args = QApplication::arguments();
  if (args.contains(QStringLiteral("--dark"))) QApplication::setPalette(darkPalette());
  const auto option = [&args](const QString& name, const QString& fallback) {
    const qsizetype at = args.indexOf(name);
    return at >= 0 && at + 1 < args.size() ? args.at(at + 1) : fallback;
  };

  auto http = std::make_shared<fakes::ManualHttpClient>();
  auto model = CurrencyConverterView::create(
      ConverterServices{std::make_shared<QtMainQueue>(), http, std::make_shared<QtClipboard>(),
                        option(QStringLiteral("--locale"), "en_IN").toStdString()});
  ConverterPanel panel(model);
  panel.setWindowTitle(QStringLiteral("Ovantic"));
  panel.resize(320, option(QStringLiteral("--height"), QStringLiteral("560")).toInt());
  panel.move(40, 40);
  panel.show();
  http->answerLast(std::string(kCannedRates));

  const QString amount = option(QStringLiteral("--amount"), QStringLiteral("2.5 cr"));
  const int copyLine = option(QStringLiteral("--copy-line"), QStringLiteral("-1")).toInt();
  QTimer::singleShot(300, &panel, [&panel, amount, copyLine] {
    auto* field = panel.findChild<QLineEdit*>(QStringLiteral("amountField"));
    qInfo("panel size hint before: %dx%d", panel.sizeHint().width(), panel.sizeHint().height());
    field->selectAll();
    QTest::keyClicks(field, amount);
    qInfo("panel size hint with the amount: %dx%d", panel.sizeHint().width(),
          panel.sizeHint().height());
    if (qEnvironmentVariableIsSet("PANEL_PREVIEW_GEOMETRY")) {
      for (QWidget* child : panel.findChildren<QWidget*>()) {
        if (child->objectName().isEmpty() || !child->isVisible()) continue;
        const QRect box(child->mapTo(&panel, QPoint(0, 0)), child->size());
        qInfo("%-22s x %3d y %3d w %3d h %3d hint h %3d", qPrintable(child->objectName()), box.x(),
              box.y(), box.width(), box.height(), child->sizeHint().height());
      }
    }
    if (copyLine >= 0) {
      auto* list = panel.findChild<AllConversionsView*>(QStringLiteral("allConversionsView"));
      if (copyLine < list->lineCount()) QTest::mouseClick(list->line(copyLine), Qt::LeftButton);
    }
  });
  if (args.contains(QStringLiteral("--open-menu"))) {
    QTimer::singleShot(600, &panel, [&panel] {
      panel.findChild<CurrencyPicker*>(QStringLiteral("toCurrencyPicker"))->showMenu();
    });
  }
  const int seconds = option(QStringLiteral("--seconds"), QStringLiteral("6")).toInt();
  QTimer::singleShot(seconds * 1000, &app, &QApplication::quit);
  QObject::connect(&panel, &ConverterPanel::closeRequested, &app, &QApplication::quit);
  return QApplication::exec();
}
