#pragma once
// The box of a contour's lines (a Text field with `lines`): the lines as they are typed, the
// contour they make drawn beside them, and what cannot be made a contour named by line below.
#include <QFrame>
#include <QPlainTextEdit>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <vector>

#include "toolpath/contour.h"

class QLabel;

namespace tbx {

// The contour as a half-section: Z to the right, the radius up, at one scale for both, fitted
// with the centre line; its first point ringed; the segments of faulty lines in the fault colour.
class ContourDrawing : public QFrame {
  Q_OBJECT

 public:
  explicit ContourDrawing(QWidget* parent = nullptr);

  // `faulty[i]` for the segment i of `path`; `started`: the path has its first point (else
  // only the centre line is drawn).
  void SetContour(const NosePath& path, std::vector<bool> faulty, bool started);
  const NosePath& Path() const { return path_; }
  // Where a point of the contour is drawn, in the widget's pixels.
  QPointF Map(NosePoint p) const;

  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  NosePath path_;
  std::vector<bool> faulty_;
  bool started_ = false;
  QRectF bounds_;  // Z across, the radius up; the centre line always in it
};

class ContourBox : public QWidget {
  Q_OBJECT

 public:
  explicit ContourBox(QWidget* parent = nullptr);

  QPlainTextEdit* Editor() const { return editor_; }
  ContourDrawing* Drawing() const { return drawing_; }
  // The lines with "\n" line ends.
  QString Text() const { return editor_->toPlainText(); }
  // The editor says nothing of it (no textChanged); the drawing and the faults follow.
  void SetText(const QString& text);
  // The text as the toolpath reader read it at its last change, and its faults by line
  // ("line 3: ..."), the first few listed under the box and the rest counted.
  const toolpath::ContourRead& Read() const { return read_; }
  QStringList Faults() const { return faults_; }

 private:
  void Refresh();

  QPlainTextEdit* editor_;
  ContourDrawing* drawing_;
  QLabel* faultList_;
  toolpath::ContourRead read_;
  QStringList faults_;
};

}  // namespace tbx
