// Shows one panel in a window, with rates already in, for looking at it and taking screenshots:
//   panel_preview [--dark] [--amount TEXT] [--copy-line N] [--open-picker] [--search TEXT]
//                 [--app-menu] [--height N] [--tab-to NAME] [--translucent] [--grab FILE]
//                 [--seconds N]
// (--open-picker opens the target currency's list, --search also types into its search field;
// the table then lists every current ISO currency, as a full reply does. --app-menu opens the
// program's menu from the "⋮" button; "Start at login" shows as on.)
// (--tab-to presses Tab until the control of that object name has the focus; QT_SCALE_FACTOR=2
// shows it at scale 2.)
// Under Xvfb: `Xvfb :55 -screen 0 1024x768x24 & DISPLAY=:55 panel_preview --dark &` and then
// `DISPLAY=:55 import -window root shot.png`.
#include <QApplication>
#include <QLineEdit>
#include <QPalette>
#include <QStyleFactory>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QVBoxLayout>
#include <memory>

#include "app/app_menu.h"
#include "app/translations.h"
#include "converter/currency_converter_view.h"
#include "doubles.h"
#include "every_currency.h"
#include "panel/all_conversions_view.h"
#include "panel/converter_panel.h"
#include "panel/currency_picker.h"
#include "panel/currency_popup.h"
#include "panel/panel_style.h"
#include "panel/rounded_card.h"
#include "panel/visual_effect_view.h"
#include "platform/qt/qt_clipboard.h"
#include "platform/qt/qt_main_queue.h"

namespace {

using namespace ovantic;

// The table the preview's opening fetch is answered with, the way the service would.
const char* const kCannedRates =
    R"({"base":"USD","rates":{"USD":1,"INR":83.2,"EUR":0.92,"GBP":0.79,)"
    R"("JPY":151.0,"AUD":1.52,"CAD":1.36,"CNY":7.2,"AED":3.67,"SGD":1.34}})";

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  ovantic::installTranslations();
  QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
  const QStringList args = QApplication::arguments();
  if (args.contains(QStringLiteral("--dark"))) QApplication::setPalette(style::darkPalette());
  const auto option = [&args](const QString& name, const QString& fallback) {
    const qsizetype at = args.indexOf(name);
    return at >= 0 && at + 1 < args.size() ? args.at(at + 1) : fallback;
  };

  auto http = std::make_shared<fakes::ManualHttpClient>();
  auto model = CurrencyConverterView::create(
      ConverterServices{std::make_shared<QtMainQueue>(), http, std::make_shared<QtClipboard>(),
                        option(QStringLiteral("--locale"), "en_IN").toStdString()});
  // With --translucent the panel sits in a see-through window with room for its shadow, as on a
  // composited desktop; --grab FILE saves what the window draws, alpha included.
  QWidget frame;
  ConverterPanel panel(model);
  const int height = option(QStringLiteral("--height"), QStringLiteral("560")).toInt();
  QWidget* window = &panel;
  if (args.contains(QStringLiteral("--translucent"))) {
    frame.setAttribute(Qt::WA_TranslucentBackground);
    auto* layout = new QVBoxLayout(&frame);
    layout->setContentsMargins(VisualEffectView::shadowMargins());
    layout->addWidget(&panel);
    panel.setMinimumHeight(height);
    window = &frame;
  } else {
    panel.resize(320, height);
  }
  // Kept in a directory of its own, so the preview never touches the user's autostart entry.
  QTemporaryDir config;
  AppMenu menu(AutostartEntry(config.path(), {}, QStringLiteral("ovantic")));
  menu.startAtLoginAction()->trigger();
  panel.setAppMenu(&menu);
  window->setWindowTitle(QStringLiteral("Ovantic"));
  window->move(40, 40);
  window->show();
  // Without a window manager (a bare Xvfb) nothing else gives the window the keyboard.
  window->activateWindow();
  http->answerLast(std::string(kCannedRates));
  const QString grabTo = option(QStringLiteral("--grab"), QString());
  if (!grabTo.isEmpty()) {
    QTimer::singleShot(900, window, [window, grabTo] { window->grab().save(grabTo); });
  }

  const QString amount = option(QStringLiteral("--amount"), QStringLiteral("2.5 cr"));
  const int copyLine = option(QStringLiteral("--copy-line"), QStringLiteral("-1")).toInt();
  const QString tabTo = option(QStringLiteral("--tab-to"), QString());
  QTimer::singleShot(300, &panel, [&panel, amount, copyLine, tabTo] {
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
    if (!tabTo.isEmpty()) {
      for (int i = 0; i < 30 && QApplication::focusWidget() &&
                      QApplication::focusWidget()->objectName() != tabTo;
           ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
      }
    }
    if (copyLine >= 0) {
      auto* list = panel.findChild<AllConversionsView*>(QStringLiteral("allConversionsView"));
      if (copyLine < list->lineCount()) QTest::mouseClick(list->line(copyLine), Qt::LeftButton);
    }
  });
  if (args.contains(QStringLiteral("--app-menu"))) {
    QTimer::singleShot(600, &panel, [&panel] {
      QTest::keyClick(panel.findChild<QWidget*>(QStringLiteral("menuButton")), Qt::Key_Space);
    });
  }
  const QString search = option(QStringLiteral("--search"), QString());
  if (args.contains(QStringLiteral("--open-picker")) || !search.isEmpty()) {
    QTimer::singleShot(600, &panel, [&panel, model, search] {
      // After the canned reply has been applied, which replaces the whole table.
      model->exchangeRates = everyCurrencyRates(model->exchangeRates);
      auto* picker = panel.findChild<CurrencyPicker*>(QStringLiteral("toCurrencyPicker"));
      picker->showPopup();
      QTest::keyClicks(picker->popup()->searchField(), search);
    });
  }
  const int seconds = option(QStringLiteral("--seconds"), QStringLiteral("6")).toInt();
  QTimer::singleShot(seconds * 1000, &app, &QApplication::quit);
  QObject::connect(&panel, &ConverterPanel::closeRequested, &app, &QApplication::quit);
  return QApplication::exec();
}
