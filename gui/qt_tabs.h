#pragma once
// A tab control whose tabs stand in one row in page order, however many there are: when they
// are wider than the control, arrows at the row's end scroll it. Choosing a tab never moves
// the others. The pages stand in a stack inside the page frame; the chosen tab's is shown.
#include <QWidget>
#include <functional>

class QStackedWidget;
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
  // The pages, one a tab in tab order; the current tab's page is shown.
  QStackedWidget* pages() const { return pages_; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  // The stack stands inside the page frame, below the row.
  void FitPages();

  QTabBar* bar_;
  QStackedWidget* pages_;
  bool quiet_ = false;  // changes made by the program raise nothing
};

}  // namespace tbx
