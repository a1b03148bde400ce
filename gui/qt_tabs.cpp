#include "gui/qt_tabs.h"

#include <QEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QSignalBlocker>
#include <QStyle>
#include <QStyleOptionTabWidgetFrame>
#include <QStackedWidget>
#include <QTabBar>
#include <QVBoxLayout>

namespace tbx {

MultiRowTabs::MultiRowTabs(QWidget* parent)
    : QWidget(parent), bar_(new QTabBar(this)), pages_(new QStackedWidget) {
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(pages_);
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
    if (index >= 0 && index < pages_->count()) pages_->setCurrentIndex(index);
    if (!quiet_ && index >= 0 && onUserChoice) onUserChoice(index);
  });
  FitPages();
}

void MultiRowTabs::FitPages() {
  const int frame = style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, this);
  const int left = style()->pixelMetric(QStyle::PM_LayoutLeftMargin, nullptr, this);
  const int top = style()->pixelMetric(QStyle::PM_LayoutTopMargin, nullptr, this);
  const int right = style()->pixelMetric(QStyle::PM_LayoutRightMargin, nullptr, this);
  const int bottom = style()->pixelMetric(QStyle::PM_LayoutBottomMargin, nullptr, this);
  layout()->setContentsMargins(frame + left, bar_->sizeHint().height() + frame + top,
                               frame + right, frame + bottom);
}

void MultiRowTabs::changeEvent(QEvent* event) {
  if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange) FitPages();
  QWidget::changeEvent(event);
}

int MultiRowTabs::addTab(const QString& text) {
  QSignalBlocker quiet(bar_);
  const int index = bar_->addTab(text);
  if (bar_->count() == 1 && pages_->count() > 0) pages_->setCurrentIndex(0);
  resizeEvent(nullptr);
  FitPages();
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
