#pragma once
// The program read back beside the program box: the preview drawing, the run time, the
// operations and the warnings in the status bar, and the list of warnings. It follows the box:
// at once after every event (an OK, Undo, opening a file), and after a pause in typing.
#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "data/limits.h"
#include "data/tool_library.h"
#include "gui/tool_painter.h"
#include "toolpath/toolpath.h"

class QDialog;
class QLabel;
class QListWidget;
class QPlainTextEdit;
class QTimer;
class QToolButton;

namespace tbx {

struct App;
class QtForm;
class ToolpathPreview;

// "m:ss" under an hour, else "h:mm:ss", to the nearest second.
QString RunTimeText(double seconds);

class ToolpathPane : public QObject {
 public:
  // How long typing must pause before the drawing follows it.
  static constexpr int kTypingPauseMs = 300;

  // A program of this many lines or more is simulated in a worker thread.
  static constexpr std::ptrdiff_t kWorkerLines = 5000;

  ToolpathPane(QtForm& form, App& app, QObject* parent);
  ~ToolpathPane() override;

  // Reads the box back and redraws when its text or the settings it is read with changed.
  void Refresh();
  // The warnings and unreadable blocks, by line; choosing one puts the caret on its line.
  void ShowWarnings();
  // The next drawing fits its program, whatever the view the user chose for the last (New
  // and Open; a redraw after an OK keeps the view).
  void ForgetView();
  // The part drawn as the step on program lines first to last leaves it, what it removes
  // shaded.
  void ShowPartAtLines(int first, int last);
  void ShowWholePart();

  // The worker is simulating (the part and the stock's findings of a long program are to come).
  bool Simulating() const;
  // Called when the worker's result has replaced the path (the step list shows its findings).
  void OnSimulated(std::function<void()> f) { simulated_ = std::move(f); }

  ToolpathPreview* Preview() const { return preview_; }
  const ToolPainter& ToolDrawing() const { return tool_; }
  const toolpath::Toolpath& Path() const { return path_; }
  QLabel* RunTimeLabel() const { return runTime_; }
  // X (a diameter) and Z under the pointer while it is over the drawing.
  QLabel* PointerLabel() const { return pointer_; }
  QLabel* OperationsLabel() const { return operations_; }
  QToolButton* WarningsButton() const { return warnings_; }
  QListWidget* WarningsList() const { return list_; }

 private:
  // What the worker expands, the stock known, and its result.
  struct SimulationJob {
    std::string key, text;
    toolpath::ToolpathSettings settings;
    ToolLibrary tools;
    toolpath::Toolpath path;
  };
  void Show(toolpath::Toolpath path, const std::string& text, const toolpath::ToolpathSettings& settings);
  // The simulation's word on the job's steps (app/step_sizes.h) among the path's warnings.
  void AddShortSteps(const std::string& text, const toolpath::ToolpathSettings& settings);
  void StartWorker();
  void Simulated(const std::shared_ptr<SimulationJob>& job);
  void ShowStatus();
  void FillWarnings();
  void GoToLine(int line, bool selectBlock);
  // The moves of the lines the box's selection (or its caret) is on drawn bold.
  void HighlightSelection();

  QtForm& form_;
  App& app_;
  QPlainTextEdit* box_ = nullptr;
  ToolpathPreview* preview_ = nullptr;
  QTimer* typing_ = nullptr;
  QLabel* pointer_ = nullptr;
  QLabel* runTime_ = nullptr;
  QLabel* operations_ = nullptr;
  QToolButton* warnings_ = nullptr;
  QPointer<QDialog> dialog_;
  QListWidget* list_ = nullptr;
  ToolPainter tool_;  // the tool at the caret's move
  toolpath::Toolpath path_;  // its diagnostics cut to the first kMaxKeptDiagnostics
  std::size_t unlisted_ = 0;  // diagnostics beyond those
  std::string drawnKey_;
  bool drawn_ = false;
  std::thread worker_;  // joined on the window's thread only
  std::shared_ptr<SimulationJob> next_;  // the latest program waiting for the worker
  std::function<void()> simulated_;
};

}  // namespace tbx
