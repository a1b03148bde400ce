#pragma once
// Edit > Stock…: the bar or tube the job is cut from and the chuck holding it, in the
// program's units. It opens on the stock in effect (the job's, or the default its steps give);
// Default gives the job back to that default. OK is offered only for a stock that can be cut.
#include <QDialog>

#include "toolpath/simulation.h"

class QDialogButtonBox;
class QDoubleSpinBox;
class QLabel;

namespace tbx {

class StockDialog : public QDialog {
 public:
  // `set`: the job's own stock (not known: none set); `fallback`: the default in effect.
  StockDialog(const toolpath::Stock& set, const toolpath::Stock& fallback, bool metric, QWidget* parent);

  // What OK gives the job: not known when the default is to follow the steps.
  toolpath::Stock Stock() const;
  QDoubleSpinBox* Box(const char* objectName) const;
  QLabel* Problem() const { return problem_; }
  QDialogButtonBox* Buttons() const { return buttons_; }

 private:
  void Show(const toolpath::Stock& stock);
  toolpath::Stock Typed() const;
  void Check();

  toolpath::Stock fallback_;
  toolpath::Stock shownDefault_;  // the default as the boxes show it
  bool useDefault_ = false;
  bool showing_ = false;
  QLabel* problem_ = nullptr;
  QLabel* source_ = nullptr;
  QDialogButtonBox* buttons_ = nullptr;
};

}  // namespace tbx
