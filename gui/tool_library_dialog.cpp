#include "gui/tool_library_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QShortcut>
#include <QTableWidget>
#include <QVBoxLayout>
#include <cmath>

#include "gui/tool_painter.h"
#include "program/numbers.h"

namespace tbx {
namespace {

constexpr double kMmPerInch = 25.4;

struct Named {
  const char* key;
  const char* text;
};
const Named kKinds[] = {{"od_turning", "OD turning"},     {"id_boring", "ID boring"},
                        {"grooving", "Grooving"},         {"parting", "Parting"},
                        {"od_threading", "OD threading"}, {"id_threading", "ID threading"},
                        {"centre_drill", "Centre drill"}, {"drill", "Drill"},
                        {"reamer", "Reamer"},             {"tap", "Tap"}};
const Named kShapes[] = {{"C", "C 80°"}, {"D", "D 55°"}, {"S", "S 90°"},         {"T", "T 60°"},
                         {"V", "V 35°"}, {"W", "W 80° trigon"}, {"R", "R round"}, {"blade", "Blade"}};
const char* const kOrientations[] = {"1  tip up right: cutting away from the chuck, inside",
                                     "2  tip up left: boring toward the chuck",
                                     "3  tip down left: turning toward the chuck",
                                     "4  tip down right: turning away from the chuck",
                                     "5  tip right",
                                     "6  tip up: plunging from inside",
                                     "7  tip left",
                                     "8  tip down: plunging from outside",
                                     "9  the nose centre"};

// The settings in the editors' order, with their labels' mnemonics.
const Named kFields[] = {{"number", "&Number"},          {"offset", "O&ffset"},   {"name", "Na&me"},
                         {"kind", "&Kind"},              {"shape", "&Shape"},     {"radius", "&Radius"},
                         {"orientation", "&Orientation"}, {"lead_angle", "&Lead angle"},
                         {"width", "&Width"},            {"diameter", "D&iameter"},
                         {"point_angle", "&Point angle"}};

QString KindText(ToolKind kind) {
  for (const Named& k : kKinds)
    if (KindName(kind) == k.key) return QString::fromUtf8(k.text);
  return {};
}

QString Number(double value) { return QString::fromStdString(PlainDecimal(value, 6)); }

bool IsDrill(ToolKind kind) { return !HasInsert(kind) && !HasBlade(kind); }

// Whether a kind has the setting at all; the others stay empty and disabled.
bool Applies(std::string_view key, ToolKind kind) {
  const bool drill = IsDrill(kind);
  if (key == "shape") return HasInsert(kind);
  if (key == "radius" || key == "orientation" || key == "lead_angle") return !drill;
  if (key == "width") return HasBlade(kind);
  if (key == "diameter") return drill || HasBar(kind);
  if (key == "point_angle") return kind == ToolKind::Drill || kind == ToolKind::CentreDrill;
  return true;
}

// A length bar of 1, 2 or 5 times a power of ten, about a quarter of `span`.
double BarLength(double span) {
  const double rough = span / 4, power = std::pow(10.0, std::floor(std::log10(rough)));
  for (double step : {5.0, 2.0, 1.0})
    if (step * power <= rough) return step * power;
  return power;
}

}  // namespace

ToolSketch::ToolSketch(QWidget* parent) : QWidget(parent) {
  setMinimumSize(180, 180);
  setObjectName(QStringLiteral("toolSketch"));
}

void ToolSketch::SetTool(std::optional<Tool> tool, bool metric) {
  tool_ = std::move(tool);
  metric_ = metric;
  update();
}

void ToolSketch::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), Qt::white);
  painter.setPen(palette().color(QPalette::Mid));
  painter.drawRect(rect().adjusted(0, 0, -1, -1));
  if (!tool_) return;
  // Fitted to the insert with room around it: the holder runs on out of the picture.
  const ToolOutline rough = OutlineOf(*tool_, metric_, {0, 0}, 0);
  double minZ = 0, maxZ = 0, minR = 0, maxR = 0;
  for (const NosePoint& p : rough.insert)
    minZ = std::min(minZ, p.z), maxZ = std::max(maxZ, p.z), minR = std::min(minR, p.r), maxR = std::max(maxR, p.r);
  const double span = std::max({maxZ - minZ, maxR - minR, metric_ ? 1.0 : 0.04}) * 2;
  const double scale = std::min(width(), height()) / span;
  QTransform view;
  view.translate(width() / 2.0, height() / 2.0);
  view.scale(scale, -scale);
  view.translate(-(minZ + maxZ) / 2, -(minR + maxR) / 2);
  painter.setClipRect(rect().adjusted(1, 1, -1, -1));
  PaintToolOutline(painter, view, OutlineOf(*tool_, metric_, {0, 0}, 0.25 / scale));
  // The programmed point.
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(QPen(QColor(200, 0, 0), 1.5));
  painter.setBrush(Qt::NoBrush);
  painter.drawEllipse(view.map(QPointF(0, 0)), 3.5, 3.5);
  // The scale: the sketch is to scale, at whatever size the dialog has.
  const double bar = BarLength(span);
  const QString label = Number(bar) + (metric_ ? QStringLiteral(" mm") : QStringLiteral(" in"));
  const QPointF left(8, height() - 8);
  painter.setPen(QPen(palette().color(QPalette::WindowText), 1));
  painter.drawLine(left, left + QPointF(bar * scale, 0));
  painter.drawLine(left - QPointF(0, 3), left + QPointF(0, 3));
  painter.drawLine(left + QPointF(bar * scale, -3), left + QPointF(bar * scale, 3));
  painter.drawText(left + QPointF(0, -5), label);
}

ToolLibraryDialog::ToolLibraryDialog(ToolLibrary library, std::filesystem::path file, QWidget* parent)
    : QDialog(parent), library_(std::move(library)), file_(std::move(file)) {
  setWindowTitle(QStringLiteral("Tool Library"));
  auto* layout = new QVBoxLayout(this);
  auto* top = new QHBoxLayout;
  layout->addLayout(top, 1);

  auto* left = new QVBoxLayout;
  top->addLayout(left, 3);
  auto* tableLabel = new QLabel(QStringLiteral("&Tools"));
  left->addWidget(tableLabel);
  table_ = new QTableWidget(0, 3);
  table_->setObjectName(QStringLiteral("tools"));
  table_->setHorizontalHeaderLabels({QStringLiteral("Tool"), QStringLiteral("Name"), QStringLiteral("Kind")});
  table_->setSelectionBehavior(QAbstractItemView::SelectRows);
  table_->setSelectionMode(QAbstractItemView::SingleSelection);
  table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table_->setTabKeyNavigation(false);
  table_->setWordWrap(false);
  table_->verticalHeader()->hide();
  table_->horizontalHeader()->setStretchLastSection(true);
  table_->horizontalHeader()->setSectionResizeMode(1, QHeaderView::Stretch);
  tableLabel->setBuddy(table_);
  left->addWidget(table_, 1);
  auto* buttons = new QHBoxLayout;
  add_ = new QPushButton(QStringLiteral("&Add"));
  duplicate_ = new QPushButton(QStringLiteral("D&uplicate"));
  delete_ = new QPushButton(QStringLiteral("&Delete"));
  for (QPushButton* b : {add_, duplicate_, delete_}) {
    b->setAutoDefault(false);
    buttons->addWidget(b);
  }
  buttons->addStretch();
  left->addLayout(buttons);

  auto* grid = new QGridLayout;
  top->addLayout(grid, 2);
  int row = 0;
  for (const Named& f : kFields) {
    Field field{f.key};
    field.label = new QLabel(QString::fromUtf8(f.text));
    QWidget* editor = nullptr;
    if (field.key == "kind" || field.key == "shape" || field.key == "orientation") {
      field.combo = new QComboBox;
      if (field.key == "kind")
        for (const Named& k : kKinds) field.combo->addItem(QString::fromUtf8(k.text), QString::fromUtf8(k.key));
      if (field.key == "shape")
        for (const Named& s : kShapes) field.combo->addItem(QString::fromUtf8(s.text), QString::fromUtf8(s.key));
      if (field.key == "orientation")
        for (int o = 1; o <= 9; ++o) field.combo->addItem(QString::fromUtf8(kOrientations[o - 1]), QString::number(o));
      editor = field.combo;
      if (field.key == "kind")
        connect(field.combo, &QComboBox::currentIndexChanged, this, [this] { KindChanged(); });
      else
        connect(field.combo, &QComboBox::currentIndexChanged, this, [this] { Edited(); });
    } else {
      field.edit = new QLineEdit;
      editor = field.edit;
      connect(field.edit, &QLineEdit::textEdited, this, [this] { Edited(); });
    }
    editor->setObjectName(QString::fromUtf8(f.key));
    field.label->setBuddy(editor);
    grid->addWidget(field.label, row, 0);
    grid->addWidget(editor, row++, 1);
    fields_.push_back(field);
  }
  auto* units = new QLabel(library_.metric ? QStringLiteral("Lengths in mm, angles in degrees")
                                           : QStringLiteral("Lengths in inches, angles in degrees"));
  grid->addWidget(units, row++, 0, 1, 2);
  grid->setRowStretch(row, 1);

  sketch_ = new ToolSketch;
  top->addWidget(sketch_, 2);

  problem_ = new QLabel;
  problem_->setObjectName(QStringLiteral("problem"));
  problem_->setWordWrap(true);
  problem_->setStyleSheet(QStringLiteral("color: #b00000"));
  layout->addWidget(problem_);
  auto* box = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  layout->addWidget(box);
  connect(box, &QDialogButtonBox::accepted, this, &ToolLibraryDialog::accept);
  connect(box, &QDialogButtonBox::rejected, this, &ToolLibraryDialog::reject);

  // The tab order is the reading order: table, its buttons, the fields, OK and Cancel.
  QWidget* previous = table_;
  for (QWidget* w : {static_cast<QWidget*>(add_), static_cast<QWidget*>(duplicate_), static_cast<QWidget*>(delete_)}) {
    setTabOrder(previous, w);
    previous = w;
  }
  for (const Field& f : fields_) {
    QWidget* w = f.edit ? static_cast<QWidget*>(f.edit) : f.combo;
    setTabOrder(previous, w);
    previous = w;
  }
  setTabOrder(previous, box);

  connect(add_, &QPushButton::clicked, this, [this] {
    Tool t;
    t.number = t.offset = FreeNumber();
    t.name = "New tool";
    t.kind = ToolKind::OdTurning;
    t.shape = InsertShape::C;
    t.radius = library_.metric ? 0.8 : 0.031;
    t.orientation = 3;
    Add(t);
  });
  connect(duplicate_, &QPushButton::clicked, this, [this] {
    if (current_ < 0) return;
    if (const ToolProblem p = ReadEditors()) return ShowProblem(p, true);
    Tool t = library_.tools[current_];
    t.number = t.offset = FreeNumber();
    if (t.name.size() + 5 <= 60) t.name += " copy";
    Add(t);
  });
  connect(delete_, &QPushButton::clicked, this, [this] { Delete(); });
  auto* del = new QShortcut(QKeySequence::Delete, table_, nullptr, nullptr, Qt::WidgetShortcut);
  connect(del, &QShortcut::activated, this, [this] { Delete(); });
  connect(table_, &QTableWidget::currentCellChanged, this, [this](int row, int, int, int) {
    if (filling_ || row == current_ || row < 0) return;
    if (const ToolProblem p = ReadEditors()) {
      // The wrong tool keeps the selection until it is mended (or deleted).
      filling_ = true;
      table_->setCurrentCell(current_, 0);
      filling_ = false;
      return ShowProblem(p, false);
    }
    ShowTool(row);
  });

  table_->setRowCount(static_cast<int>(library_.tools.size()));
  for (int r = 0; r < table_->rowCount(); ++r) ShowRow(r);
  table_->resizeColumnToContents(0);
  table_->resizeColumnToContents(2);
  table_->resizeRowsToContents();
  ShowTool(library_.tools.empty() ? -1 : 0);
  table_->setFocus();
  const QFontMetrics metrics(font());
  resize(metrics.averageCharWidth() * 170, metrics.lineSpacing() * 26);
}

QWidget* ToolLibraryDialog::Editor(std::string_view key) const {
  for (const Field& f : fields_)
    if (f.key == key) return f.edit ? static_cast<QWidget*>(f.edit) : f.combo;
  return nullptr;
}

ToolLibraryDialog::Field* ToolLibraryDialog::FieldOf(std::string_view key) {
  for (Field& f : fields_)
    if (f.key == key) return &f;
  return nullptr;
}

void ToolLibraryDialog::ShowRow(int row) {
  const Tool& t = library_.tools[row];
  const QString texts[] = {QString::fromStdString(t.Word()), QString::fromStdString(t.name), KindText(t.kind)};
  for (int c = 0; c < 3; ++c) {
    QTableWidgetItem* item = table_->item(row, c);
    if (!item) table_->setItem(row, c, item = new QTableWidgetItem);
    item->setText(texts[c]);
  }
}

void ToolLibraryDialog::ShowTool(int row) {
  current_ = row;
  filling_ = true;
  if (row >= 0) {
    const Tool& t = library_.tools[row];
    table_->setCurrentCell(row, 0);
    for (Field& f : fields_) {
      const std::string_view k = f.key;
      QString text;
      if (k == "number") text = QString::number(t.number);
      else if (k == "offset") text = QString::number(t.offset);
      else if (k == "name") text = QString::fromStdString(t.name);
      else if (k == "kind") text = QString::fromUtf8(KindName(t.kind));
      else if (k == "shape") text = QString::fromUtf8(ShapeName(t.shape));
      else if (k == "orientation") text = QString::number(t.orientation);
      else if (k == "radius") text = Number(t.radius);
      else if (k == "lead_angle") text = Number(t.leadAngle);
      else if (k == "width") text = Number(t.width);
      else if (k == "diameter") text = Number(t.diameter);
      else if (k == "point_angle") text = Number(t.pointAngle);
      if (!Applies(k, t.kind) || (k == "diameter" && HasBar(t.kind) && t.diameter == 0)) text.clear();
      if (f.edit) f.edit->setText(text);
      if (f.combo) f.combo->setCurrentIndex(std::max(0, f.combo->findData(text)));
    }
  } else {
    for (Field& f : fields_)
      if (f.edit) f.edit->clear();
  }
  filling_ = false;
  EnableFields();
  ShowProblem({}, false);
  sketch_->SetTool(row >= 0 ? std::optional<Tool>(library_.tools[row]) : std::nullopt, library_.metric);
}

void ToolLibraryDialog::EnableFields() {
  const bool any = current_ >= 0;
  const ToolKind kind = any ? library_.tools[current_].kind : ToolKind::OdTurning;
  for (Field& f : fields_) {
    const bool on = any && Applies(f.key, kind);
    f.label->setEnabled(on);
    (f.edit ? static_cast<QWidget*>(f.edit) : f.combo)->setEnabled(on);
    if (f.key == "diameter") f.edit->setPlaceholderText(on && HasBar(kind) ? QStringLiteral("bar: not known") : QString());
  }
  duplicate_->setEnabled(any);
  delete_->setEnabled(any);
}

ToolProblem ToolLibraryDialog::ReadEditors() {
  if (current_ < 0) return {};
  Tool& t = library_.tools[current_];
  ToolProblem first;
  for (const Field& f : fields_) {
    if (!Applies(f.key, t.kind)) continue;
    const QString text = f.edit ? f.edit->text().trimmed() : f.combo->currentData().toString();
    if (f.key == "diameter" && HasBar(t.kind) && text.isEmpty()) {
      t.diameter = 0;  // a bar of unknown size: the sketch and the stock use a common one
      continue;
    }
    std::string why;
    if (!SetToolSetting(t, f.key, text.toStdString(), why) && !first) first = {f.key, why};
  }
  ShowRow(current_);
  if (first) return first;
  return ProblemOf(current_);
}

ToolProblem ToolLibraryDialog::ProblemOf(int row) const {
  const Tool& t = library_.tools[row];
  if (ToolProblem p = CheckTool(t, library_.metric)) return p;
  for (int i = 0; i < static_cast<int>(library_.tools.size()); ++i)
    if (i != row && library_.tools[i].number == t.number && library_.tools[i].offset == t.offset)
      return {"number", "number and offset " + t.Word() + " are another tool's already"};
  return {};
}

void ToolLibraryDialog::ShowProblem(const ToolProblem& problem, bool focus) {
  problem_->setText(problem ? QString::fromStdString(problem.text) : QString());
  for (Field& f : fields_) {
    QWidget* editor = f.edit ? static_cast<QWidget*>(f.edit) : f.combo;
    const bool marked = problem && f.key == problem.field;
    editor->setProperty("problem", marked);
    editor->setStyleSheet(marked ? QStringLiteral("background: #ffd8d8") : QString());
    if (marked && focus) editor->setFocus(Qt::OtherFocusReason);
  }
  for (int r = 0; r < table_->rowCount(); ++r)
    for (int c = 0; c < 3; ++c)
      if (QTableWidgetItem* item = table_->item(r, c))
        item->setBackground(problem && r == current_ ? QBrush(QColor(255, 216, 216)) : QBrush());
}

void ToolLibraryDialog::Edited() {
  if (filling_ || current_ < 0) return;
  const ToolProblem p = ReadEditors();
  ShowProblem(p, false);
  // A tool CheckTool refuses may be any size: the sketch keeps the last sound one.
  if (!p) sketch_->SetTool(library_.tools[current_], library_.metric);
}

void ToolLibraryDialog::KindChanged() {
  if (filling_ || current_ < 0) return;
  ReadEditors();
  Tool& t = library_.tools[current_];
  const QString key = FieldOf("kind")->combo->currentData().toString();
  const bool wasDrill = IsDrill(t.kind), hadBar = HasBar(t.kind);
  KindFromName(key.toStdString(), t.kind);
  // The settings the new kind lacks go; those it has and the old lacked get common values.
  const double unit = library_.metric ? kMmPerInch : 1;
  const bool drill = IsDrill(t.kind);
  if (HasInsert(t.kind) && (t.shape == InsertShape::None || t.shape == InsertShape::Blade)) t.shape = InsertShape::C;
  if (HasBlade(t.kind)) t.shape = InsertShape::Blade;
  if (drill) t.shape = InsertShape::None, t.radius = 0, t.orientation = 0, t.leadAngle = 0;
  else if (t.orientation == 0) t.orientation = HasBar(t.kind) ? 2 : 3;
  if (!HasBlade(t.kind)) t.width = 0;
  else if (t.width == 0) t.width = 0.125 * unit;
  // A drill's size is no bar's, nor a bar's a drill's.
  if (!(wasDrill && drill) && !(hadBar && HasBar(t.kind))) t.diameter = 0;
  if (drill && t.diameter == 0) t.diameter = 0.25 * unit;
  const bool pointed = t.kind == ToolKind::Drill || t.kind == ToolKind::CentreDrill;
  if (!pointed) t.pointAngle = 0;
  else if (t.pointAngle == 0) t.pointAngle = t.kind == ToolKind::Drill ? 118 : 90;
  if (HasBlade(t.kind) && 2 * t.radius > t.width) t.radius = t.width / 4;
  ShowRow(current_);
  ShowTool(current_);
  Edited();
}

void ToolLibraryDialog::Add(const Tool& tool) {
  if (const ToolProblem p = ReadEditors()) return ShowProblem(p, true);
  if (tool.number == 0) {
    problem_->setText(QStringLiteral("number: every number from 1 to 99 is taken"));
    return;
  }
  library_.tools.push_back(tool);
  const int row = static_cast<int>(library_.tools.size()) - 1;
  table_->setRowCount(row + 1);
  ShowRow(row);
  ShowTool(row);
  Editor("name")->setFocus(Qt::OtherFocusReason);
}

void ToolLibraryDialog::Delete() {
  if (current_ < 0) return;
  const int row = current_;
  library_.tools.erase(library_.tools.begin() + row);
  current_ = -1;
  filling_ = true;
  table_->removeRow(row);
  filling_ = false;
  ShowTool(library_.tools.empty() ? -1 : std::min(row, static_cast<int>(library_.tools.size()) - 1));
  table_->setFocus(Qt::OtherFocusReason);
}

int ToolLibraryDialog::FreeNumber() const {
  for (int n = 1; n <= 99; ++n) {
    bool used = false;
    for (const Tool& t : library_.tools) used = used || t.number == n;
    if (!used) return n;
  }
  return 0;
}

void ToolLibraryDialog::accept() {
  if (const ToolProblem p = ReadEditors()) return ShowProblem(p, true);
  // Every tool sound, each T word once: a wrong one is shown with its field marked.
  for (int i = 0; i < static_cast<int>(library_.tools.size()); ++i)
    if (const ToolProblem p = ProblemOf(i)) {
      ShowTool(i);
      return ShowProblem(p, true);
    }
  const SafeSaveResult saved = SaveToolLibrary(file_, library_);
  if (!saved) {
    problem_->setText(QStringLiteral("Tool library not saved: %1: %2")
                          .arg(QString::fromStdString(file_.string()), QString::fromStdString(saved.error)));
    return;
  }
  QDialog::accept();
}

}  // namespace tbx
