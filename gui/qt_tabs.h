#pragma once
// The operation chooser: every page in one list, grouped as a programmer thinks of the work
// (turning, hole making, data) and in machining order within a group, whatever order the pages
// were added in. Page indexes stay the order of adding (the descriptors' tab numbers); only
// the list shows them another way. The pages stand in a stack of their own, which the window
// places beside the list.
#include <QListWidget>
#include <QPointer>
#include <functional>
#include <string_view>
#include <vector>

#include "app/operation.h"

#include <QStackedWidget>

namespace tbx {

class PageChooser : public QListWidget {
 public:
  explicit PageChooser(QWidget* parent = nullptr);

  // Called when the user chooses a page (click, arrow keys, Ctrl+Tab); never for
  // setCurrentIndex.
  std::function<void(int index)> onUserChoice;

  int addTab(const QString& text);
  // Where the page stands in the list: its group, and its operation's name, which the
  // machining order ranks (pages it does not name follow those it does, in page order).
  void setPageKind(int index, OperationGroup group, std::string_view name);
  int count() const { return static_cast<int>(pagesInfo_.size()); }
  QString tabText(int index) const;
  int currentIndex() const { return current_; }
  void setCurrentIndex(int index);
  // As the user's choice: the page is shown and onUserChoice called.
  void choose(int index);
  // The page `steps` places after (or before) the current one in the list's order, wrapping.
  int neighbour(int steps) const;
  // The page's row in the list, and where that row is drawn in the list's viewport.
  QListWidgetItem* itemOf(int index) const;
  // The pages, one a page in page order; the current page's is shown.
  QStackedWidget* pages() const { return pages_; }
  // Puts the focus on the current page's first field that takes it.
  void enterPage();

  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  struct Page {
    QString text;
  };
  struct Kind {
    OperationGroup group = OperationGroup::Data;
    int rank = 0;
  };
  void Rebuild();
  QSize AllRows() const;

  std::vector<Page> pagesInfo_;
  std::vector<Kind> kinds_;  // by page index
  QPointer<QStackedWidget> pages_;
  int current_ = -1;
  bool quiet_ = false;  // changes made by the program raise nothing
};

}  // namespace tbx
