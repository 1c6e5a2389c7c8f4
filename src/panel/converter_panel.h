#pragma once

#include <QPointer>
#include <QWidget>
#include <memory>

class QMenu;

namespace ovantic {

class CurrencyConverterView;

// The converter panel: one converter's state, shown and edited. It is the popup's whole content;
// the tray shell builds a new one, with a new converter, each time the panel opens.
class ConverterPanel : public QWidget {
  Q_OBJECT

 public:
  explicit ConverterPanel(std::shared_ptr<CurrencyConverterView> model, QWidget* parent = nullptr);
  ~ConverterPanel() override;

  const std::shared_ptr<CurrencyConverterView>& model() const;

  // Shows the "⋮" button, which opens `menu` (owned by the caller).
  void setAppMenu(QMenu* menu);

  // Always 320 wide, and as tall as the content needs at that width, long results wrapped.
  QSize sizeHint() const override;

 signals:
  // The user asked to close the panel (Escape); the shell closes it as for an outside click.
  void closeRequested();

 protected:
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void changeEvent(QEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  static void syncIfAlive(const QPointer<ConverterPanel>& panel);

  class Private;
  std::unique_ptr<Private> d_;
};

}  // namespace ovantic
