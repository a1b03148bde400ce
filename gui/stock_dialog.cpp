#include "gui/stock_dialog.h"

#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/job.h"

namespace tbx {

namespace {

struct StockBox {
  const char* name;
  const char* caption;
  double toolpath::Stock::*value;
  const char* help;
};
constexpr StockBox kBoxes[] = {
    {"outerDia", "&Outer Dia", &toolpath::Stock::outerDia, "diameter of the bar or tube"},
    {"bore", "&Bore", &toolpath::Stock::bore, "diameter of a tube's bore; 0 for a bar"},
    {"frontZ", "&Front Z", &toolpath::Stock::frontZ, "Z of the stock's front face: beyond Z0 by the face stock"},
    {"length", "&Length", &toolpath::Stock::length, "from the front face back; 0: into the jaws and beyond"},
    {"chuckZ", "&Chuck Z", &toolpath::Stock::chuckZ, "Z of the face of the jaws"},
    {"jawDia", "&Jaw Dia", &toolpath::Stock::jawDia, "diameter the jaws reach out to; 0: the bar's and a quarter again"},
    {"jawLength", "Jaw Len&gth", &toolpath::Stock::jawLength, "how far the jaws grip along Z; 0: a third of the bar's diameter"},
};

}  // namespace

StockDialog::StockDialog(const toolpath::Stock& set, const toolpath::Stock& fallback, bool metric, QWidget* parent)
    : QDialog(parent), fallback_(fallback) {
  setWindowTitle(QStringLiteral("Stock"));
  auto* layout = new QVBoxLayout(this);
  source_ = new QLabel;
  source_->setWordWrap(true);
  layout->addWidget(source_);
  auto* form = new QFormLayout;
  const QString unit = metric ? QStringLiteral(" mm") : QStringLiteral(" in");
  for (const StockBox& b : kBoxes) {
    auto* box = new QDoubleSpinBox;
    box->setObjectName(QString::fromLatin1(b.name));
    box->setDecimals(metric ? 3 : 4);
    box->setRange(-99999, 99999);
    box->setSingleStep(metric ? 1 : 0.05);
    box->setSuffix(unit);
    box->setToolTip(QString::fromLatin1(b.help));
    box->setAccelerated(true);
    form->addRow(QString::fromLatin1(b.caption), box);
    connect(box, &QDoubleSpinBox::valueChanged, this, [this] {
      // Enter in a box reports its value again: the default stays the default until a value
      // changes.
      if (showing_ || (useDefault_ && Typed() == shownDefault_)) return;
      useDefault_ = false;
      Check();
    });
  }
  layout->addLayout(form);
  problem_ = new QLabel;
  problem_->setObjectName(QStringLiteral("problem"));
  problem_->setWordWrap(true);
  layout->addWidget(problem_);
  buttons_ = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::RestoreDefaults);
  buttons_->button(QDialogButtonBox::RestoreDefaults)->setText(QStringLiteral("&Default"));
  // Enter is OK wherever the focus is, the Default button's too.
  buttons_->button(QDialogButtonBox::RestoreDefaults)->setAutoDefault(false);
  buttons_->button(QDialogButtonBox::Ok)->setDefault(true);
  buttons_->button(QDialogButtonBox::RestoreDefaults)->setToolTip(
      QStringLiteral("The stock from the first Face or outside Turn step, the chuck behind the deepest cut"));
  connect(buttons_, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons_, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(buttons_->button(QDialogButtonBox::RestoreDefaults), &QPushButton::clicked, this, [this] {
    Show(fallback_);
    shownDefault_ = Typed();  // rounded to the boxes' places
    useDefault_ = true;
    Check();
  });
  layout->addWidget(buttons_);
  useDefault_ = !set.Known();
  Show(set.Known() ? set : fallback);
  if (useDefault_) shownDefault_ = Typed();
  Check();
  Box(kBoxes[0].name)->setFocus();
}

QDoubleSpinBox* StockDialog::Box(const char* objectName) const {
  return findChild<QDoubleSpinBox*>(QString::fromLatin1(objectName));
}

void StockDialog::Show(const toolpath::Stock& stock) {
  showing_ = true;
  for (const StockBox& b : kBoxes) Box(b.name)->setValue(stock.*b.value);
  showing_ = false;
}

toolpath::Stock StockDialog::Typed() const {
  toolpath::Stock stock;
  for (const StockBox& b : kBoxes) stock.*b.value = Box(b.name)->value();
  return stock;
}

toolpath::Stock StockDialog::Stock() const { return useDefault_ ? toolpath::Stock{} : Typed(); }

void StockDialog::Check() {
  const toolpath::Stock typed = Typed();
  source_->setText(!useDefault_ ? QStringLiteral("The job's own stock.")
                   : fallback_.Known()
                       ? QStringLiteral("Not set: the default, from the first Face or outside Turn step.")
                       : QStringLiteral("Not set, and no Face or outside Turn step to take it from."));
  QString problem;
  if (!useDefault_ && !typed.Known()) problem = QStringLiteral("The outer diameter must be more than 0.");
  else if (!useDefault_) problem = QString::fromStdString(StockProblem(typed));
  if (!problem.isEmpty()) problem[0] = problem[0].toUpper();
  if (!problem.isEmpty() && !problem.endsWith(QLatin1Char('.'))) problem += QLatin1Char('.');
  problem_->setText(problem);
  problem_->setVisible(!problem.isEmpty());
  buttons_->button(QDialogButtonBox::Ok)->setEnabled(problem.isEmpty());
}

}  // namespace tbx
