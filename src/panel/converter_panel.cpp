#include "panel/converter_panel.h"

#include <QBoxLayout>
#include <QEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QShortcut>
#include <QTimer>

#include "converter/currency_converter_view.h"
#include "notation/unit_type.h"
#include "panel/all_conversions_view.h"
#include "panel/currency_picker.h"
#include "panel/currency_rows.h"
#include "panel/focus_ring.h"
#include "panel/footer_view.h"
#include "panel/header_view.h"
#include "panel/model_texts.h"
#include "panel/panel_accessibility.h"
#include "panel/panel_style.h"
#include "panel/rounded_card.h"
#include "panel/symbol_button.h"
#include "panel/unit_conversion_view.h"
#include "panel/visual_effect_view.h"

// Q_INIT_RESOURCE must be used outside any namespace; the resources live in a static library, so
// nothing would pull them in otherwise.
static void initPanelResources() {
  Q_INIT_RESOURCE(ovantic_panel);
}

namespace ovantic {

namespace {

constexpr int kPanelWidth = 320;
// How long typing must pause before the result is read out: a reader speaking every keystroke's
// result would never finish a sentence.
constexpr int kAnnounceAfterMs = 600;

QString qs(const std::string& text) {
  return QString::fromStdString(text);
}

}  // namespace

class ConverterPanel::Private {
 public:
  Private(ConverterPanel* panel, std::shared_ptr<CurrencyConverterView> converter)
      : q(panel), model(std::move(converter)) {}

  void build();
  void applyStyle();

  // Runs after anything may have changed the model: the model's change handlers, then the
  // redraw. Every user action and every asynchronous update ends here.
  void sync();
  void redraw();
  // While the panel is on screen, wakes once when the footer's age of the rates next reads
  // differently; a hidden panel has no timer at all.
  void scheduleAgeing();

  // The result as said aloud: the amount, the unit and the currency in words.
  QString spokenResult() const;
  void copyResult();
  // After a copy, says what went out.
  void confirmCopy(bool copied, const QString& spoken);
  void refresh();

  ConverterPanel* q;
  std::shared_ptr<CurrencyConverterView> model;

  VisualEffectView* backdrop = nullptr;
  HeaderView* header = nullptr;
  UnitConversionView* conversion = nullptr;
  FooterView* footer = nullptr;
  FocusRing* focusRing = nullptr;
  Announcer* announcer = nullptr;
  QTimer announceTimer;
  QTimer* ageing = nullptr;

  bool shownOnce = false;
  // The amount is selected when the field first takes the keyboard, once the window is active:
  // a screen reader reads its events late, against the state at the time it reads them, and would
  // take a selection made while the panel was still showing for the focus, saying the amount
  // ahead of the window's name.
  bool selectOnFocus = false;
  bool styling = false;
};

// Delayed and asynchronous work holds the panel only through a QPointer: it may be gone by then.
void ConverterPanel::syncIfAlive(const QPointer<ConverterPanel>& panel) {
  ConverterPanel* alive = panel.data();
  if (alive == nullptr) return;
  if (Private* d = alive->d_.get()) d->sync();
}

void ConverterPanel::Private::build() {
  backdrop = new VisualEffectView(q);
  backdrop->lower();

  header = new HeaderView(defaultAppIconPath, q);
  auto* list = new AllConversionsView(
      [weak = std::weak_ptr<CurrencyConverterView>(model)](double value, UnitType unit) {
        const auto converter = weak.lock();
        return converter ? qs(converter->formatConversionValue(value, unit)) : QString();
      });
  conversion = new UnitConversionView(list, qs(model->amountText), q);
  footer = new FooterView(q);
  announcer = new Announcer(q);

  auto* root = new QVBoxLayout(q);
  root->setContentsMargins(16, 14, 16, 14);
  root->setSpacing(14);
  root->addWidget(header);
  root->addWidget(conversion);
  root->addWidget(footer);
  // Takes whatever height is left, keeping the content at the top, but never less than 10.
  root->addSpacerItem(new QSpacerItem(0, 10, QSizePolicy::Minimum, QSizePolicy::Expanding));

  q->setFixedWidth(kPanelWidth);
  q->setFocusPolicy(Qt::NoFocus);

  AmountRow* amountRow = conversion->fromUnitRow();
  ResultRow* resultRow = conversion->toUnitRow();

  QObject::connect(header->refreshButton(), &QAbstractButton::clicked, q, [this] { refresh(); });
  // The keys browsers and file managers refresh with; the focus stays where it is.
  for (const QKeySequence& keys : {QKeySequence(Qt::Key_F5), QKeySequence(Qt::CTRL | Qt::Key_R)}) {
    auto* shortcut = new QShortcut(keys, q);
    shortcut->setContext(Qt::WidgetWithChildrenShortcut);
    QObject::connect(shortcut, &QShortcut::activated, q, [this] { refresh(); });
  }
  const auto offer = [weak = std::weak_ptr<CurrencyConverterView>(model)] {
    const auto converter = weak.lock();
    return converter ? converter->offeredCurrencies() : CurrencyConverterView::currencies();
  };
  amountRow->picker()->setOffer(offer);
  resultRow->picker()->setOffer(offer);
  QObject::connect(amountRow->picker(), &CurrencyPicker::currencySelected, q,
                   [this](const QString& code) {
                     model->selectFromCurrency(code.toStdString());
                     sync();
                     announceTimer.start();
                   });
  QObject::connect(resultRow->picker(), &CurrencyPicker::currencySelected, q,
                   [this](const QString& code) {
                     model->selectToCurrency(code.toStdString());
                     sync();
                     announceTimer.start();
                   });
  // textEdited fires for the user's edits only, not for the redraw's own setText.
  QObject::connect(amountRow->amountField(), &QLineEdit::textEdited, q,
                   [this](const QString& text) {
                     model->editAmount(text.toStdString());
                     sync();
                     announceTimer.start();
                   });
  // Enter is the keyboard's way to take the result, as a click on it is the mouse's.
  QObject::connect(amountRow->amountField(), &QLineEdit::returnPressed, q,
                   [this] { copyResult(); });
  amountRow->amountField()->installEventFilter(q);
  announceTimer.setSingleShot(true);
  announceTimer.setInterval(kAnnounceAfterMs);
  QObject::connect(&announceTimer, &QTimer::timeout, q,
                   [this] { announcer->announce(spokenResult()); });
  QObject::connect(conversion->swapButton(), &QAbstractButton::clicked, q, [this] {
    model->swapCurrencies();
    sync();
    announceTimer.start();
  });
  QObject::connect(resultRow->resultArea(), &RoundedCard::clicked, q, [this] { copyResult(); });
  list->spokenValue = [weak = std::weak_ptr<CurrencyConverterView>(model)](double value,
                                                                           UnitType unit) {
    const auto converter = weak.lock();
    return converter ? qs(converter->spokenAmount(value, unit)) : QString();
  };
  list->onLineClicked = [this](const ConversionEntry& entry) {
    model->copyConversion(entry);
    sync();
    confirmCopy(model->copiedUnit == entry.unit, qs(model->spokenAmount(entry.value, entry.unit)));
  };
  list->onExactClicked = [this] {
    const bool before = model->showCopiedForExact;
    model->copyExact();
    sync();
    confirmCopy(!before && model->showCopiedForExact, qs(model->exactText));
  };

  // Reading order for the keyboard: refresh, then the rows top to bottom, then the credit.
  QWidget::setTabOrder(header->refreshButton(), header->menuButton());
  QWidget::setTabOrder(header->menuButton(), amountRow->picker());
  QWidget::setTabOrder(amountRow->picker(), amountRow->amountField());
  QWidget::setTabOrder(amountRow->amountField(), conversion->swapButton());
  QWidget::setTabOrder(conversion->swapButton(), resultRow->picker());
  QWidget::setTabOrder(resultRow->picker(), resultRow->resultArea());
  QWidget::setTabOrder(resultRow->resultArea(), footer->rateLabel());
  QWidget::setTabOrder(footer->rateLabel(), footer->lastUpdatedLabel());
  QWidget::setTabOrder(footer->lastUpdatedLabel(), footer->creditLink());

  // Each ring follows its control's corners, standing off far enough to leave glyphs clear.
  focusRing = new FocusRing(q, amountRow->amountField());
  focusRing->track(header->refreshButton(), 8, 2);
  focusRing->track(header->menuButton(), 8, 2);
  focusRing->track(amountRow->picker(), 10, 2);
  focusRing->track(conversion->swapButton(), 11, 2);
  focusRing->track(resultRow->picker(), 10, 2);
  focusRing->track(resultRow->resultArea(), 7, 5);
  focusRing->track(list->exactLine(), 10, 2);
  // A line of text is exactly as tall as its font's line: the caps and descenders reach its edges.
  focusRing->track(footer->rateLabel(), 5, 4);
  focusRing->track(footer->lastUpdatedLabel(), 5, 4);
  focusRing->track(footer->creditLink(), 5, 4);
}

void ConverterPanel::Private::applyStyle() {
  // Restyling sets child palettes; the guard keeps it from feeding on its own change events.
  styling = true;
  const QPalette palette = q->palette();
  header->applyStyle(palette);
  conversion->applyStyle(palette);
  footer->applyStyle(palette);
  focusRing->setColor(style::focusRing(palette));
  backdrop->update();
  styling = false;
}

QString ConverterPanel::Private::spokenResult() const {
  // A placeholder ("---", "Invalid") has no amount to put a sign before.
  const bool hasDigits = std::any_of(model->resultText.begin(), model->resultText.end(),
                                     [](char c) { return c >= '0' && c <= '9'; });
  if (!hasDigits) return ModelTexts::result(*model);
  return qs(model->spokenResult(model->resultText));
}

void ConverterPanel::Private::copyResult() {
  const bool before = model->showCopiedForMain;
  model->copyResult();
  sync();
  confirmCopy(!before && model->showCopiedForMain, spokenResult());
}

void ConverterPanel::Private::confirmCopy(bool copied, const QString& spoken) {
  if (copied) announcer->announce(tr("Copied %1").arg(spoken));
}

void ConverterPanel::Private::refresh() {
  if (model->isLoading) return;
  model->fetchRates();
  sync();
}

void ConverterPanel::Private::sync() {
  model->applyChanges();
  redraw();
}

void ConverterPanel::Private::redraw() {
  const CurrencyConverterView& m = *model;
  AmountRow* amountRow = conversion->fromUnitRow();
  // Qt would pass the focus of a button turning disabled to the next control, the source picker,
  // which a screen reader would then announce; it goes where typing goes instead.
  if (m.isLoading && header->refreshButton()->hasFocus()) {
    amountRow->amountField()->setFocus(Qt::OtherFocusReason);
  }
  header->refreshButton()->setEnabled(!m.isLoading);

  amountRow->picker()->setCurrency(qs(m.fromCurrency));
  QLineEdit* field = amountRow->amountField();
  // Only an outside write (the swap) replaces the field's text; while the user types, the field
  // and the model agree and the cursor stays where it is.
  const QString amount = qs(m.amountText);
  if (field->text() != amount) field->setText(amount);
  amountRow->setBadge(m.detectedFromUnit == UnitType::none
                          ? QString()
                          : QString::fromUtf8(m.detectedFromUnit.shortForm()));

  ResultRow* resultRow = conversion->toUnitRow();
  resultRow->picker()->setCurrency(qs(m.toCurrency));
  if (m.showCopiedForMain) {
    resultRow->showCopied(qs(m.extractValueWithCurrency(m.resultText)), spokenResult());
  } else {
    resultRow->showResult(ModelTexts::result(m), spokenResult());
  }

  AllConversionsView* list = conversion->allConversionsView();
  const QString flag = qs(CurrencyConverterView::currencyFlag(m.toCurrency));
  list->setExact(flag, qs(m.exactText), m.showCopiedForExact);
  if (list->setEntries(m.allConversions, flag)) {
    // New lines join the keyboard order right after the result and the exact amount, before the
    // credit link.
    QWidget::setTabOrder(resultRow->resultArea(), list->exactLine());
    QWidget* previous = list->exactLine();
    for (int i = 0; i < list->lineCount(); ++i) {
      QWidget::setTabOrder(previous, list->line(i));
      focusRing->track(list->line(i), 10, 2);
      previous = list->line(i);
    }
    QWidget::setTabOrder(previous, footer->rateLabel());
    QWidget::setTabOrder(footer->rateLabel(), footer->lastUpdatedLabel());
    QWidget::setTabOrder(footer->lastUpdatedLabel(), footer->creditLink());
  }
  list->setCopiedUnit(m.copiedUnit);
  list->setVisible(!m.allConversions.empty() || !m.exactText.empty());

  footer->setRateText(ModelTexts::rateLine(m));
  footer->setLastUpdatedText(ModelTexts::ratesAge(m));
  scheduleAgeing();
}

void ConverterPanel::Private::scheduleAgeing() {
  const std::optional<std::chrono::milliseconds> next = model->ratesAgeChangesIn();
  if (!q->isVisible() || !next) {
    ageing->stop();
    return;
  }
  // Just past the minute, so the new text is there when the timer fires.
  ageing->start(*next + std::chrono::milliseconds(20));
}

ConverterPanel::ConverterPanel(std::shared_ptr<CurrencyConverterView> model, QWidget* parent)
    : QWidget(parent), d_(std::make_unique<Private>(this, std::move(model))) {
  initPanelResources();
  installPanelAccessibility();
  setObjectName(QStringLiteral("converterPanel"));
  setAccessibleName(tr("Ovantic currency converter"));
  d_->build();
  d_->ageing = new QTimer(this);
  d_->ageing->setObjectName(QStringLiteral("footerAgeing"));
  d_->ageing->setSingleShot(true);
  connect(d_->ageing, &QTimer::timeout, this, [this] {
    d_->model->refreshRatesAge();
    d_->redraw();
  });
  d_->applyStyle();
  d_->redraw();
  d_->model->onStateChange = [panel = QPointer<ConverterPanel>(this)] { syncIfAlive(panel); };
}

ConverterPanel::~ConverterPanel() {
  // The converter may outlive the panel (a rate reply still in flight holds it).
  if (d_->model) d_->model->onStateChange = nullptr;
}

const std::shared_ptr<CurrencyConverterView>& ConverterPanel::model() const {
  return d_->model;
}

void ConverterPanel::setAppMenu(QMenu* menu) {
  d_->header->setMenu(menu);
}

QSize ConverterPanel::sizeHint() const {
  // The layout alone would ask for the width of the longest unwrapped result.
  return {kPanelWidth, heightForWidth(kPanelWidth)};
}

void ConverterPanel::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (d_->shownOnce) return;
  d_->shownOnce = true;
  // Typing right away replaces the amount.
  d_->conversion->fromUnitRow()->amountField()->setFocus(Qt::PopupFocusReason);
  d_->selectOnFocus = true;
  d_->model->fetchRates();
  d_->sync();
}

void ConverterPanel::hideEvent(QHideEvent* event) {
  QWidget::hideEvent(event);
  d_->ageing->stop();
}

void ConverterPanel::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  d_->backdrop->setGeometry(rect());
}

void ConverterPanel::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape) {
    event->accept();
    emit closeRequested();
    return;
  }
  QWidget::keyPressEvent(event);
}

bool ConverterPanel::eventFilter(QObject* watched, QEvent* event) {
  // Ctrl+C with nothing selected in the amount field would copy nothing; the result is what the
  // user wants then.
  QLineEdit* field = d_->conversion->fromUnitRow()->amountField();
  if (watched == field && event->type() == QEvent::FocusIn && d_->selectOnFocus) {
    d_->selectOnFocus = false;
    field->selectAll();
  }
  if (watched == field && event->type() == QEvent::KeyPress &&
      static_cast<QKeyEvent*>(event)->matches(QKeySequence::Copy) && !field->hasSelectedText()) {
    d_->copyResult();
    return true;
  }
  return QWidget::eventFilter(watched, event);
}

void ConverterPanel::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  if ((event->type() == QEvent::PaletteChange || event->type() == QEvent::StyleChange ||
       event->type() == QEvent::FontChange) &&
      !d_->styling) {
    d_->applyStyle();
  }
}

}  // namespace ovantic
