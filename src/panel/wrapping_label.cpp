#include "panel/wrapping_label.h"

#include <QPainter>
#include <QTextLayout>
#include <cmath>

namespace ovantic {

namespace {

constexpr QChar kBreakHint(0x200B);  // zero-width space: a line may break here
constexpr QChar kJoiner(0x00A0);     // no-break space

// What is laid out: a break chance after every group separator, none at the blanks between the
// flag, the number and the unit. Both marks take no room of their own.
QString withBreakHints(const QString& text) {
  QString out;
  out.reserve(text.size() + text.size() / 3);
  for (const QChar c : text) {
    if (c == u' ') {
      out.append(kJoiner);
    } else {
      out.append(c);
      if (c == u',') out.append(kBreakHint);
    }
  }
  return out;
}

QString withoutBreakHints(QString text) {
  text.remove(kBreakHint);
  text.replace(kJoiner, u' ');
  return text;
}

// Lays `layout` out in lines `width` pixels wide (as wide as they like when negative), one under
// the other, and returns the height they take.
qreal layOutLines(QTextLayout& layout, Qt::Alignment alignment, int width) {
  QTextOption option(alignment & Qt::AlignHorizontal_Mask);
  option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
  layout.setTextOption(option);
  layout.beginLayout();
  qreal y = 0;
  for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
    if (width >= 0) line.setLineWidth(width);
    line.setPosition(QPointF(0, y));
    y += line.height();
  }
  layout.endLayout();
  return y;
}

}  // namespace

WrappingLabel::WrappingLabel(QWidget* parent) : QLabel(parent) {
  setTextFormat(Qt::PlainText);
  QSizePolicy policy(QSizePolicy::Expanding, QSizePolicy::Preferred);
  policy.setHeightForWidth(true);
  setSizePolicy(policy);
}

WrappingLabel::Wrapped WrappingLabel::wrap(int width) const {
  Wrapped result;
  const QString shown = withBreakHints(text());
  QTextLayout layout(shown, font());
  const qreal height = layOutLines(layout, alignment(), width);
  for (int i = 0; i < layout.lineCount(); ++i) {
    const QTextLine line = layout.lineAt(i);
    result.widest = qMax(result.widest, static_cast<int>(std::ceil(line.naturalTextWidth())));
    result.lines.append(withoutBreakHints(shown.mid(line.textStart(), line.textLength())));
  }
  result.height = qMax(static_cast<int>(std::ceil(height)), fontMetrics().height());
  return result;
}

QStringList WrappingLabel::lines() const {
  return wrap(contentsRect().width()).lines;
}

int WrappingLabel::heightForWidth(int width) const {
  const QMargins m = contentsMargins();
  return wrap(qMax(1, width - m.left() - m.right())).height + m.top() + m.bottom();
}

QSize WrappingLabel::sizeHint() const {
  const QMargins m = contentsMargins();
  const Wrapped oneLine = wrap(-1);
  return {oneLine.widest + m.left() + m.right(), oneLine.height + m.top() + m.bottom()};
}

QSize WrappingLabel::minimumSizeHint() const {
  // Narrow enough never to widen the panel; the height comes from heightForWidth().
  const QMargins m = contentsMargins();
  return {fontMetrics().horizontalAdvance(QStringLiteral("0000")) + m.left() + m.right(),
          fontMetrics().height() + m.top() + m.bottom()};
}

void WrappingLabel::paintEvent(QPaintEvent*) {
  const QRect area = contentsRect();
  QTextLayout layout(withBreakHints(text()), font());
  const qreal y = layOutLines(layout, alignment(), area.width());

  qreal top = area.top();
  if (alignment() & Qt::AlignVCenter) top += (area.height() - y) / 2;
  if (alignment() & Qt::AlignBottom) top += area.height() - y;
  QPainter painter(this);
  painter.setPen(
      palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, foregroundRole()));
  layout.draw(&painter, QPointF(area.left(), std::max(qreal(area.top()), top)));
}

}  // namespace ovantic
