#include "gui/qt_tabs.h"

#include <QApplication>
#include <QKeyEvent>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QStackedWidget>
#include <algorithm>
#include <array>

namespace tbx {

namespace {

// The order a part is machined in: turning from the face inwards to the part-off, the holes
// from the centre drill to the tap, then the data pages.
constexpr std::array<std::string_view, 13> kMachiningOrder = {
    "face", "turn", "profile", "groove", "thread", "part_off", "csink_drill",
    "deep_drill", "ream", "tap", "material", "tap_data", "settings"};

constexpr std::array<OperationGroup, 3> kGroupOrder = {OperationGroup::Turning, OperationGroup::HoleMaking,
                                                       OperationGroup::Data};

QString GroupCaption(OperationGroup group) {
  switch (group) {
    case OperationGroup::Turning: return QStringLiteral("Turning");
    case OperationGroup::HoleMaking: return QStringLiteral("Hole making");
    case OperationGroup::Data: return QStringLiteral("Data");
    case OperationGroup::Shared: break;
  }
  return QString();
}

constexpr int kPageRole = Qt::UserRole;

}  // namespace

PageChooser::PageChooser(QWidget* parent) : QListWidget(parent), pages_(new QStackedWidget) {
  setSelectionMode(QAbstractItemView::SingleSelection);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setUniformItemSizes(false);
  setTextElideMode(Qt::ElideNone);
  // A click takes the focus, so that a box being edited is left before the page changes.
  setFocusPolicy(Qt::StrongFocus);
  QObject::connect(this, &QListWidget::currentItemChanged, this, [this](QListWidgetItem* item) {
    if (!item) return;
    const int index = item->data(kPageRole).toInt();
    if (index < 0 || index == current_) return;
    current_ = index;
    if (pages_ && index < pages_->count()) pages_->setCurrentIndex(index);
    if (!quiet_ && onUserChoice) onUserChoice(index);
  });
}

int PageChooser::addTab(const QString& text) {
  pagesInfo_.push_back({text});
  Rebuild();
  if (current_ < 0) setCurrentIndex(0);
  return count() - 1;
}

void PageChooser::setPageKind(int index, OperationGroup group, std::string_view name) {
  if (index < 0) return;
  // Pages are laid out before the chooser gets its captions.
  if (static_cast<std::size_t>(index) >= kinds_.size()) kinds_.resize(static_cast<std::size_t>(index) + 1);
  const auto known = std::find(kMachiningOrder.begin(), kMachiningOrder.end(), name);
  kinds_[static_cast<std::size_t>(index)] = {
      group, known != kMachiningOrder.end() ? static_cast<int>(known - kMachiningOrder.begin())
                                            : static_cast<int>(kMachiningOrder.size()) + index};
  Rebuild();
}

void PageChooser::Rebuild() {
  QSignalBlocker quiet(this);
  clear();
  QFont heading = font();
  heading.setBold(true);
  std::vector<int> order(pagesInfo_.size());
  for (std::size_t i = 0; i < order.size(); ++i) order[i] = static_cast<int>(i);
  auto groupPlace = [](OperationGroup g) {
    return static_cast<int>(std::find(kGroupOrder.begin(), kGroupOrder.end(), g) - kGroupOrder.begin());
  };
  auto kind = [&](int index) {
    return static_cast<std::size_t>(index) < kinds_.size() ? kinds_[static_cast<std::size_t>(index)]
                                                          : Kind{OperationGroup::Data, 1000 + index};
  };
  std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
    return std::pair(groupPlace(kind(a).group), kind(a).rank) < std::pair(groupPlace(kind(b).group), kind(b).rank);
  });
  int shownGroup = -1;
  for (int index : order) {
    const Page& page = pagesInfo_[static_cast<std::size_t>(index)];
    if (groupPlace(kind(index).group) != shownGroup) {
      shownGroup = groupPlace(kind(index).group);
      auto* header = new QListWidgetItem(GroupCaption(kind(index).group), this);
      header->setFlags(Qt::NoItemFlags);  // the keys and the mouse pass over it
      header->setFont(heading);
      header->setForeground(palette().windowText());  // a heading, not a disabled row
      header->setData(kPageRole, -1);
    }
    auto* item = new QListWidgetItem(QStringLiteral("   ") + page.text, this);
    item->setData(kPageRole, index);
  }
  if (QListWidgetItem* item = itemOf(current_)) setCurrentItem(item);
  updateGeometry();
}

QString PageChooser::tabText(int index) const {
  return index >= 0 && index < count() ? pagesInfo_[static_cast<std::size_t>(index)].text : QString();
}

QListWidgetItem* PageChooser::itemOf(int index) const {
  for (int row = 0; row < QListWidget::count(); ++row)
    if (item(row)->data(kPageRole).toInt() == index && index >= 0) return item(row);
  return nullptr;
}

void PageChooser::setCurrentIndex(int index) {
  if (index < 0 || index >= count() || index == current_) return;
  quiet_ = true;
  setCurrentItem(itemOf(index));
  quiet_ = false;
}

void PageChooser::choose(int index) {
  if (!isEnabled() || index < 0 || index >= count() || index == current_) return;
  setCurrentItem(itemOf(index));  // raises onUserChoice
}

int PageChooser::neighbour(int steps) const {
  std::vector<int> shown;
  for (int row = 0; row < QListWidget::count(); ++row)
    if (const int index = item(row)->data(kPageRole).toInt(); index >= 0) shown.push_back(index);
  if (shown.empty()) return -1;
  const auto at = std::find(shown.begin(), shown.end(), current_);
  const int n = static_cast<int>(shown.size());
  const int from = at == shown.end() ? 0 : static_cast<int>(at - shown.begin());
  return shown[static_cast<std::size_t>(((from + steps) % n + n) % n)];
}

void PageChooser::enterPage() {
  QWidget* page = pages_ ? pages_->currentWidget() : nullptr;
  if (!page) return;
  // The first widget of the page's own Tab chain that takes the focus.
  QWidget* w = page;
  for (int guard = 0; guard < 1000; ++guard) {
    w = w->nextInFocusChain();
    if (w == page || !page->isAncestorOf(w)) break;
    if ((w->focusPolicy() & Qt::TabFocus) && w->isVisible() && w->isEnabled() && !w->focusProxy()) {
      w->setFocus(Qt::TabFocusReason);
      return;
    }
  }
}

void PageChooser::keyPressEvent(QKeyEvent* event) {
  if (event->modifiers() == Qt::NoModifier &&
      (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter || event->key() == Qt::Key_Right)) {
    enterPage();
    return;
  }
  QListWidget::keyPressEvent(event);
}

QSize PageChooser::AllRows() const {
  int width = 0, height = 0;
  for (int row = 0; row < QListWidget::count(); ++row) {
    const QSize hint = sizeHintForIndex(indexFromItem(item(row)));
    width = std::max(width, hint.width());
    height += hint.height();
  }
  const int frame = 2 * frameWidth();
  return QSize(width + frame + 2 * spacing() + fontMetrics().averageCharWidth(), height + frame + 2);
}

// Every row shown: the list never scrolls where the window has room for it.
QSize PageChooser::sizeHint() const { return AllRows(); }
QSize PageChooser::minimumSizeHint() const { return QSize(AllRows().width(), 0); }

}  // namespace tbx
