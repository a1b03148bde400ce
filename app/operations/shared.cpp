#include "app/controls.h"
#include "app/operations/operations.h"
#include "app/program_box.h"
#include "app/speeds_and_units.h"
#include "app/startup.h"
#include "app/tool_boxes.h"

namespace tbx {

namespace {
using namespace id;

constexpr Choice kToolMaterials[] = {{kCarbide, "Carbide"}, {kHss, "HSS"}};

constexpr Field kFields[] = {
    {.id = kTool, .kind = FieldKind::List, .caption = "Tool",
     .inch = "T01|T02|T03|T04|T05|T06|T07|T08|T09|T10|T11|T12",
     .metric = "T01|T02|T03|T04|T05|T06|T07|T08|T09|T10|T11|T12",
     .help = "turret station of the tool, written in the tool-change block", .inchItem = 0,
     .metricItem = 0},
    {.id = kOffset, .kind = FieldKind::List, .caption = "Offset",
     .inch = "01|02|03|04|05|06|07|08|09|10|11|12|13|14|15|16|17|18|19|20|21|22|23|24",
     .metric = "01|02|03|04|05|06|07|08|09|10|11|12|13|14|15|16|17|18|19|20|21|22|23|24",
     .help = "tool offset number, written after the station", .inchItem = 0, .metricItem = 0},
    {.id = kToolName, .kind = FieldKind::Note, .caption = "", .key = "tool_name"},
    {.id = 0, .kind = FieldKind::Options, .caption = "Tool Material", .choices = kToolMaterials},
    {.id = kCoolant, .kind = FieldKind::Check, .caption = "Coolant", .checked = true},
    {.id = kSpm, .kind = FieldKind::Number, .caption = "SPM", .label = 1075,
     .unit = Unit::SurfaceSpeed, .inch = "325", .metric = "99",
     .help = "surface speed; the spindle speed follows from it and the diameter"},
    {.id = kOutput, .kind = FieldKind::Program, .caption = "Program",
     .help = "the program; it may be edited here"},
    {.id = kUndo, .kind = FieldKind::Button, .caption = "Undo", .disabled = true, .access = 'U'},
    {.id = kCopy, .kind = FieldKind::Button, .caption = "Copy", .access = 'C'},
    {.id = kExit, .kind = FieldKind::Button, .caption = "Exit", .access = 'x'},
};

constexpr Action kActions[] = {
    {kTool, Trigger::Change, [](App& app, ControlId) { ToolSelected(app); }},
    {kOffset, Trigger::Change, [](App& app, ControlId) { ShowTool(app, true); }},
    {kCarbide, Trigger::Click, [](App& app, ControlId) { ApplyMaterialSpeed(app, SpeedSet::Turning); }},
    {kHss, Trigger::Click, [](App& app, ControlId) { ApplyMaterialSpeed(app, SpeedSet::Turning); }},
    {kUndo, Trigger::Click, [](App& app, ControlId) { RestoreUndo(app); }},
    {kCopy, Trigger::Click, [](App& app, ControlId) { CopyProgram(app); }},
    {kExit, Trigger::Click, [](App& app, ControlId) { ShutDown(app); }},
};
}  // namespace

const OperationDescriptor kSharedControls{
    .name = "shared", .caption = "", .group = OperationGroup::Shared, .fields = kFields,
    .actions = kActions};

}  // namespace tbx
