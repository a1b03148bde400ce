#include "gui/qt_tabs.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionTab>
#include <QTabBar>
#include <numeric>

namespace tbx {

MultiRowTabs::MultiRowTabs(QWidget* parent) : QWidget(parent) {
  // A click takes the focus, so that a box being edited is left before the tab changes.
  setFocusPolicy(Qt::StrongFocus);
  setAttribute(Qt::WA_Hover, false);
}

int MultiRowTabs::addTab(const QString& text) {
  texts_.append(text);
  if (current_ < 0) current_ = 0;
  Arrange();
  update();
  return count() - 1;
}

void MultiRowTabs::setCurrentIndex(int index) {
  if (index < 0 || index >= count() || index == current_) return;
  current_ = index;
  Arrange();
  update();
}

void MultiRowTabs::choose(int index) {
  if (!isEnabled() || index < 0 || index >= count() || index == current_) return;
  setCurrentIndex(index);
  if (onUserChoice) onUserChoice(index);
}

QRect MultiRowTabs::tabRect(int index) const {
  return index >= 0 && index < static_cast<int>(rects_.size()) ? rects_[index] : QRect();
}

int MultiRowTabs::TabHeight() const {
  // Three rows of tabs take the style's margin only once between them, so that they end
  // above the pages' first row.
  const int space = style()->pixelMetric(QStyle::PM_TabBarTabVSpace, nullptr, this);
  return fontMetrics().height() + (rowCount() > 2 ? space / 3 : space);
}

QRect MultiRowTabs::pageRect() const {
  const int overlap = style()->pixelMetric(QStyle::PM_TabBarBaseOverlap, nullptr, this);
  const int top = std::max(0, rowCount() * TabHeight() - overlap);
  return QRect(0, top, width(), height() - top);
}

QSize MultiRowTabs::sizeHint() const { return QSize(320, rowCount() * TabHeight() + 200); }

int MultiRowTabs::RowOf(int index) const {
  for (std::size_t r = 0; r < rows_.size(); ++r) {
    for (int i : rows_[r]) {
      if (i == index) return static_cast<int>(r);
    }
  }
  return -1;
}

void MultiRowTabs::Arrange() {
  rows_.clear();
  rects_.assign(texts_.size(), QRect());
  if (texts_.isEmpty()) return;
  const int available = std::max(1, width());
  // Half the style's usual margin: the captions are drawn here, so they need no more room.
  const int padding = style()->pixelMetric(QStyle::PM_TabBarTabHSpace, nullptr, this) / 2;
  std::vector<int> natural;
  int used = 0;
  rows_.emplace_back();
  for (const QString& text : texts_) {
    const int w = fontMetrics().horizontalAdvance(text) + padding;
    if (!rows_.back().empty() && used + w > available) {
      rows_.emplace_back();
      used = 0;
    }
    rows_.back().push_back(static_cast<int>(natural.size()));
    natural.push_back(w);
    used += w;
  }

  // Rows run the full width when there are several; the chosen tab's row sits next to the
  // page and the rows after it wrap round to the top, so that the rows keep their order.
  const int rowCount = static_cast<int>(rows_.size());
  const int chosenRow = current_ >= 0 ? RowOf(current_) : rowCount - 1;
  const int h = TabHeight();
  for (int r = 0; r < rowCount; ++r) {
    const std::vector<int>& row = rows_[r];
    const int place = (r - chosenRow - 1 + 2 * rowCount) % rowCount;
    const int sum = std::accumulate(row.begin(), row.end(), 0,
                                    [&](int total, int i) { return total + natural[i]; });
    const int extra = rowCount > 1 ? std::max(0, available - sum) : 0;
    const int n = static_cast<int>(row.size());
    int x = 0;
    for (int k = 0; k < n; ++k) {
      const int w = natural[row[k]] + extra * (k + 1) / n - extra * k / n;
      rects_[row[k]] = QRect(x, place * h, w, h);
      x += w;
    }
  }
}

void MultiRowTabs::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  QStyleOptionTabWidgetFrame frame;
  frame.initFrom(this);
  frame.rect = pageRect();
  frame.shape = QTabBar::RoundedNorth;
  frame.lineWidth = style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, this);
  frame.tabBarSize = QSize(width(), TabHeight());
  if (current_ >= 0) frame.selectedTabRect = rects_[current_];
  style()->drawPrimitive(QStyle::PE_FrameTabWidget, &frame, &painter, this);

  const int overlap = style()->pixelMetric(QStyle::PM_TabBarBaseOverlap, nullptr, this);
  auto draw = [&](int index) {
    const std::vector<int>& row = rows_[RowOf(index)];
    const int n = static_cast<int>(row.size());
    const int k = static_cast<int>(std::find(row.begin(), row.end(), index) - row.begin());
    QStyleOptionTab tab;
    tab.initFrom(this);
    tab.state &= ~(QStyle::State_HasFocus | QStyle::State_MouseOver);
    tab.rect = rects_[index];
    tab.text = texts_[index];
    tab.shape = QTabBar::RoundedNorth;
    tab.position = n == 1       ? QStyleOptionTab::OnlyOneTab
                   : k == 0     ? QStyleOptionTab::Beginning
                   : k == n - 1 ? QStyleOptionTab::End
                                : QStyleOptionTab::Middle;
    if (index == current_) {
      tab.state |= QStyle::State_Selected;
      if (hasFocus()) tab.state |= QStyle::State_HasFocus;
    } else if (k + 1 < n && row[k + 1] == current_) {
      tab.selectedPosition = QStyleOptionTab::NextIsSelected;
    } else if (k > 0 && row[k - 1] == current_) {
      tab.selectedPosition = QStyleOptionTab::PreviousIsSelected;
    }
    // Some styles paint the chosen tab's join with the page by more than the overlap.
    painter.setClipRect(tab.rect.adjusted(0, 0, 0, overlap));
    style()->drawControl(QStyle::CE_TabBarTabShape, &tab, &painter, this);
    painter.setClipping(false);
    QRect text = tab.rect;
    if (index != current_) {
      text.translate(0, style()->pixelMetric(QStyle::PM_TabBarTabShiftVertical, &tab, this));
    }
    style()->drawItemText(&painter, text, Qt::AlignCenter, tab.palette, isEnabled(), tab.text,
                          QPalette::WindowText);
    if (index == current_ && hasFocus()) {
      QStyleOptionFocusRect focus;
      focus.initFrom(this);
      focus.rect =
          fontMetrics().boundingRect(text, Qt::AlignCenter, tab.text).adjusted(-3, -1, 3, 1);
      style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &painter, this);
    }
  };
  for (int i = 0; i < count(); ++i) {
    if (i != current_) draw(i);
  }
  if (current_ >= 0) draw(current_);  // last, over the page's edge
}

void MultiRowTabs::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) {
    for (int i = 0; i < count(); ++i) {
      if (rects_[i].contains(event->position().toPoint())) {
        choose(i);
        return;
      }
    }
  }
  QWidget::mousePressEvent(event);
}

void MultiRowTabs::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Left:
      choose(current_ - 1);
      break;
    case Qt::Key_Right:
      choose(current_ + 1);
      break;
    case Qt::Key_Home:
      choose(0);
      break;
    case Qt::Key_End:
      choose(count() - 1);
      break;
    default:
      QWidget::keyPressEvent(event);
  }
}

void MultiRowTabs::resizeEvent(QResizeEvent* event) {
  Arrange();
  QWidget::resizeEvent(event);
}

void MultiRowTabs::changeEvent(QEvent* event) {
  if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange) Arrange();
  QWidget::changeEvent(event);
}

}  // namespace tbx
