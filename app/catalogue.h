#pragma once
// The control catalogue of the main form, as data: every control, the radio groups, the
// initial checks, selections and disabling, and the default texts of each unit system.
#include <span>
#include <string_view>

#include "app/form_model.h"

namespace tbx {

struct RadioGroup {
  std::span<const ControlId> members;
  ControlId checkedAtStart;
};

struct UnitDefault {
  ControlId id;
  std::string_view inch;
  std::string_view metric;
};

struct StartSelection {
  ControlId id;
  int inchIndex;
  int metricIndex;
};

// Controls of TBXMAIN in creation order (layers 1 to 12, then layer 0, the tab control last).
std::span<const ControlSpec> Catalogue();
const ControlSpec* FindControl(ControlId id);
std::span<const RadioGroup> RadioGroups();
// The radio group a control belongs to, or nullptr.
const RadioGroup* GroupOf(ControlId id);
// Check boxes checked at creation.
std::span<const ControlId> InitialChecks();
// Fixed-list selections made at creation.
std::span<const StartSelection> FixedSelections();
// Disabled at start-up, in this order.
std::span<const ControlId> InitiallyDisabled();
// Texts written after the data files are loaded, in this order.
std::span<const UnitDefault> UnitDefaults();
// Data-file list selections made after the unit texts, in this order.
std::span<const StartSelection> DataListSelections();

// Builds every control of TBXMAIN with its initial checks, selections, visible layer, icon
// and disabling.
void BuildMainForm(FormModel& ui);

}  // namespace tbx
