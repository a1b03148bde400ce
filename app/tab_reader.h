#pragma once
// Reads a tab's fields into a generator's input struct. A box holding a value beyond single
// range, or a decimal comma, refuses the operation naming the field before the generator runs.
#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "app/operation.h"
#include "ops/spindle.h"

namespace tbx {

// Where a tab's values come from: the form as it stands, or the values a step of the job was
// made with, so that one generator serves the OK and the rebuild alike.
class FieldSource {
 public:
  virtual ~FieldSource() = default;
  virtual std::string Text(ControlId id) const = 0;
  virtual bool Checked(ControlId id) const = 0;
};

// The form's controls as a source.
class FormSource : public FieldSource {
 public:
  explicit FormSource(const App& app) : app_(app) {}
  std::string Text(ControlId id) const override;
  bool Checked(ControlId id) const override;

 private:
  const App& app_;
};

// The always-visible values of `source` as a generator's context, with the tool of its T word
// from `tools` when given.
OpContext ContextFrom(const FieldSource& source, int rapidMode, const ToolLibrary* tools = nullptr);
// The place among its choices of the chosen button of the option group `field` in `source`;
// -1 when none is chosen.
int ChosenIndexOf(const Operations& ops, const FieldSource& source, ControlId field);

class TabReader {
 public:
  // Reads the form.
  TabReader(App& app, const OperationDescriptor& op);
  // Reads `source`, with RapidMode as the operation finds it.
  TabReader(const Operations& ops, const OperationDescriptor& op, const FieldSource& source,
            int rapidMode, const ToolLibrary* tools = nullptr, std::int64_t firstBlock = 10)
      : ops_(ops), op_(op), source_(source), rapidMode_(rapidMode), tools_(tools), firstBlock_(firstBlock) {}

  float Single(ControlId id);
  double Number(ControlId id);
  std::string Text(ControlId id) const;
  bool Checked(ControlId id) const;
  // The value of the chosen button of the option group `field` (the group's frame, or any of
  // its buttons for a group without one), in the order of its choices; the first when none is.
  template <typename T, std::size_t N>
  T Chosen(ControlId field, const std::array<T, N>& values) const {
    const int index = ChosenIndex(field);
    return index >= 0 && index < static_cast<int>(N) ? values[static_cast<std::size_t>(index)]
                                                     : values.front();
  }
  int ChosenIndex(ControlId field) const;
  // Constant Surface Speed and its Max RPM; the cap is read only when the box is ticked.
  SurfaceSpeedMode SurfaceSpeed(ControlId constant, ControlId maxRpm) {
    SurfaceSpeedMode mode{Checked(constant), 0};
    if (mode.constant) mode.maxRpm = Single(maxRpm);
    return mode;
  }

  // The always-visible controls, with the SPM box checked like the tab's boxes.
  OpContext Context();
  // The generator's operation, or one refused for the first field found unreadable.
  template <typename Inputs>
  Operation Generate(Operation (*generator)(const Inputs&, const OpContext&), const Inputs& in,
                     const OpContext& ctx) {
    const Refusal& blame = refusal_.empty() ? spmRefusal_ : refusal_;
    if (blame.empty()) return generator(in, ctx);
    Operation refused(ctx.rapidMode);
    refused.Refuse(blame.field, blame.text);
    return refused;
  }

 private:
  void Blame(ControlId id, std::string text);
  std::string KeyOf(ControlId id) const;

  std::unique_ptr<FormSource> form_;  // the form, when it is what is read
  const Operations& ops_;
  const OperationDescriptor& op_;
  const FieldSource& source_;
  int rapidMode_;
  const ToolLibrary* tools_ = nullptr;
  std::int64_t firstBlock_ = 10;  // the number of the operation's tool-change block
  Refusal refusal_;
  Refusal spmRefusal_;  // reported only when no field of the tab is at fault
};

// OK of a tab: reads it, runs its generator and writes the operation or shows the refusal.
void RunOperation(App& app, const OperationDescriptor& op);

}  // namespace tbx
