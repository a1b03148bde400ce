#pragma once
// A tab control whose tabs stand in one row in catalogue order, however many there are: when
// they are wider than the control, arrows at the row's end scroll it. Choosing a tab never
// moves the others. The pages themselves are the form's layers: this widget draws the row and
// the page frame only.
#include <QWidget>
#include <functional>

class QTabBar;

namespace tbx {

class MultiRowTabs : public QWidget {
 public:
  explicit MultiRowTabs(QWidget* parent = nullptr);

  // Called when the user chooses a tab (click, arrow keys, Ctrl+Tab); never for
  // setCurrentIndex.
  std::function<void(int index)> onUserChoice;

  int addTab(const QString& text);
  int count() const;
  QString tabText(int index) const;
  int currentIndex() const;
  void setCurrentIndex(int index);
  // As the user's choice: the tab is shown and onUserChoice called.
  void choose(int index);
  // Where the tab is drawn now (outside the control while the row is scrolled away from it).
  QRect tabRect(int index) const;
  int rowCount() const { return 1; }
  // The page frame below the tabs.
  QRect pageRect() const;
  QTabBar* bar() const { return bar_; }

  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  QTabBar* bar_;
  bool quiet_ = false;  // changes made by the program raise nothing
};

}  // namespace tbx
