#pragma once
// A tab control whose tabs wrap onto as many rows as its width needs, the row of the chosen
// tab next to the page (nine captions do not fit one row of the catalogue's width). The pages
// themselves are the form's layers: this widget draws the tabs and the page frame only.
#include <QStringList>
#include <QWidget>
#include <functional>
#include <vector>

namespace tbx {

class MultiRowTabs : public QWidget {
 public:
  explicit MultiRowTabs(QWidget* parent = nullptr);

  // Called when the user chooses a tab (click, arrow keys, Ctrl+Tab); never for
  // setCurrentIndex.
  std::function<void(int index)> onUserChoice;

  int addTab(const QString& text);
  int count() const { return static_cast<int>(texts_.size()); }
  QString tabText(int index) const { return texts_.value(index); }
  int currentIndex() const { return current_; }
  void setCurrentIndex(int index);
  // As the user's choice: the tab is shown and onUserChoice called.
  void choose(int index);
  // Where the tab is drawn now.
  QRect tabRect(int index) const;
  int rowCount() const { return static_cast<int>(rows_.size()); }
  // The page frame below the tabs.
  QRect pageRect() const;

  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  void Arrange();
  int RowOf(int index) const;
  int TabHeight() const;

  QStringList texts_;
  int current_ = -1;
  std::vector<std::vector<int>> rows_;  // tab indexes per row, first row first
  std::vector<QRect> rects_;            // per tab, as drawn
};

}  // namespace tbx
