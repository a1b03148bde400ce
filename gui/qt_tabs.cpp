#include "gui/qt_tabs.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QSignalBlocker>
#include <QStyle>
#include <QStyleOptionTabWidgetFrame>
#include <QTabBar>

namespace tbx {

MultiRowTabs::MultiRowTabs(QWidget* parent) : QWidget(parent), bar_(new QTabBar(this)) {
  bar_->setDrawBase(false);
  bar_->setExpanding(false);
  bar_->setUsesScrollButtons(true);
  bar_->setElideMode(Qt::ElideNone);
  bar_->setMovable(false);
  // A click takes the focus, so that a box being edited is left before the tab changes.
  bar_->setFocusPolicy(Qt::StrongFocus);
  setFocusPolicy(Qt::StrongFocus);
  setFocusProxy(bar_);
  QObject::connect(bar_, &QTabBar::currentChanged, this, [this](int index) {
    update();
    if (!quiet_ && index >= 0 && onUserChoice) onUserChoice(index);
  });
}

int MultiRowTabs::addTab(const QString& text) {
  QSignalBlocker quiet(bar_);
  const int index = bar_->addTab(text);
  resizeEvent(nullptr);
  return index;
}

int MultiRowTabs::count() const { return bar_->count(); }
QString MultiRowTabs::tabText(int index) const { return bar_->tabText(index); }
int MultiRowTabs::currentIndex() const { return bar_->currentIndex(); }

void MultiRowTabs::setCurrentIndex(int index) {
  if (index < 0 || index >= count() || index == currentIndex()) return;
  quiet_ = true;
  bar_->setCurrentIndex(index);
  quiet_ = false;
}

void MultiRowTabs::choose(int index) {
  if (!isEnabled() || index < 0 || index >= count() || index == currentIndex()) return;
  bar_->setCurrentIndex(index);  // raises onUserChoice
}

QRect MultiRowTabs::tabRect(int index) const {
  const QRect r = bar_->tabRect(index);
  return r.isValid() ? r.translated(bar_->pos()) : r;
}

QRect MultiRowTabs::pageRect() const {
  const int overlap = style()->pixelMetric(QStyle::PM_TabBarBaseOverlap, nullptr, this);
  const int top = std::max(0, bar_->height() - overlap);
  return QRect(0, top, width(), height() - top);
}

QSize MultiRowTabs::sizeHint() const { return QSize(320, bar_->sizeHint().height() + 200); }

void MultiRowTabs::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  QStyleOptionTabWidgetFrame frame;
  frame.initFrom(this);
  frame.rect = pageRect();
  frame.shape = QTabBar::RoundedNorth;
  frame.lineWidth = style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, this);
  frame.tabBarSize = bar_->size();
  frame.tabBarRect = bar_->geometry();
  if (currentIndex() >= 0) frame.selectedTabRect = tabRect(currentIndex());
  style()->drawPrimitive(QStyle::PE_FrameTabWidget, &frame, &painter, this);
}

// A press sent to the control itself, not to its row, chooses the tab under it as well.
void MultiRowTabs::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) {
    for (int i = 0; i < count(); ++i) {
      if (tabRect(i).contains(event->position().toPoint()) &&
          rect().contains(tabRect(i).center())) {
        setFocus(Qt::MouseFocusReason);
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
      choose(currentIndex() - 1);
      break;
    case Qt::Key_Right:
      choose(currentIndex() + 1);
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
  bar_->setGeometry(0, 0, width(), bar_->sizeHint().height());
  if (event) QWidget::resizeEvent(event);
}

}  // namespace tbx
