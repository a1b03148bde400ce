#pragma once
// All state of one running program, gathered in one place so that the form model and the
// tests can create it fresh.
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "app/controls.h"
#include "app/form_model.h"
#include "app/job.h"
#include "app/machine_boxes.h"
#include "app/operation.h"
#include "app/program_box.h"
#include "data/tables.h"
#include "data/tool_library.h"
#include "program/numbers.h"
#include "program/program_text.h"
#include "program/undo.h"
#include "toolpath/reader.h"

namespace tbx {

struct App {
  App(FormModel& form, std::filesystem::path homeFolder,
      const Operations& ops = StandardOperations())
      : ui(form), home(std::move(homeFolder)), operations(ops) {}

  FormModel& ui;
  std::filesystem::path home;  // folder of default.txt and data.txt
  ProgramState program;
  UndoHistory undo;
  Job job;  // the program as steps; the box holds their texts, typing aside
  // Where the last OK's search of the box for the program's end may go on from, while the box
  // holds what that OK left in it: an OK then reads only what the last one added.
  struct {
    std::uint64_t revision = 0;
    toolpath::ReadPoint from;
  } endSearch;
  ThreadTable threads{};
  MaterialTable materials{};
  std::vector<DrillRecord> drills;  // as the drill lists show them
  int threadCount = 0, materialCount = 0;  // records loaded into the tables
  const Operations& operations;  // what the form is built from
  std::string tabCaptions;       // the tab row's items, kept for the form's lifetime
  MachineFacts machine;  // toolpath.txt, shown on the Settings tab
  ToolLibrary tools;     // tools.toml, and the tools a job script defines
  int failedSaves = 0;   // writes of default.txt or toolpath.txt that failed

  // The main form's controls, read and written at the moment they are needed.
  std::string Text(ControlId id) const { return ui.GetText(kMainForm, id); }
  void SetText(ControlId id, std::string_view text) { ui.SetText(kMainForm, id, text); }
  double Number(ControlId id) const { return BoxNumber(Text(id)); }
  float Single(ControlId id) const { return ToSingle(Number(id)); }
  bool Checked(ControlId id) const { return ui.GetCheck(kMainForm, id) == 1; }
  void SetCheck(ControlId id, bool on) { ui.SetCheck(kMainForm, id, on ? 1 : 0); }
  void Enable(ControlId id) { ui.Enable(kMainForm, id); }
  void Disable(ControlId id) { ui.Disable(kMainForm, id); }
  bool Metric() const { return Checked(id::kMetric); }
  void Error(std::string_view text) { ui.MessageBox(text, "TBX Error", MessageIcon::Exclamation); }
  // A "TBX Error" box saying why, then the caret in the field it blames.
  void Refuse(const Refusal& refusal);
};

}  // namespace tbx
