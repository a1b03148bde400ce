#include "app/controls.h"
#include "app/operations/operations.h"
#include "app/speeds_and_units.h"

namespace tbx {

namespace {
using namespace id;

constexpr Field kFields[] = {
    {.id = 1035, .kind = FieldKind::Note, .caption = "Settings"},
    {.id = kXToolChange, .kind = FieldKind::Number, .caption = "X Axis Tool Change", .label = 1020,
     .unit = Unit::Length, .inch = "4.", .metric = "4.",
     .help = "X (diameter) every operation returns to for the tool change", .reformat = true},
    {.id = kZToolChange, .kind = FieldKind::Number, .caption = "Z Axis Tool Change", .label = 1025,
     .unit = Unit::Length, .inch = "6.", .metric = "6.",
     .help = "Z every operation returns to for the tool change, from the part zero", .reformat = true},
    {.id = kMetric, .kind = FieldKind::Check, .caption = "Metric"},
    {.id = kMachineHeading, .kind = FieldKind::Note, .caption = "Machine (preview and run time)"},
    {.id = kRapidX, .kind = FieldKind::Number, .caption = "Rapid X mm/min", .label = 1506,
     .unit = Unit::MmPerMin, .inch = "10000.", .metric = "10000.",
     .help = "rapid rate of the X axis, radius travel; for the run time", .reformat = true},
    {.id = kRapidZ, .kind = FieldKind::Number, .caption = "Rapid Z mm/min", .label = 1511,
     .unit = Unit::MmPerMin, .inch = "12000.", .metric = "12000.",
     .help = "rapid rate of the Z axis; for the run time", .reformat = true},
    {.id = kMaxZFeed, .kind = FieldKind::Number, .caption = "Max Z Feed mm/min", .label = 1516,
     .unit = Unit::MmPerMin, .inch = "5000.", .metric = "5000.",
     .help = "fastest feed the Z axis follows; a faster thread is warned about", .reformat = true},
    {.id = kMachineMaxRpm, .kind = FieldKind::Number, .caption = "Max RPM", .label = 1521,
     .unit = Unit::Rpm, .inch = "4000.", .metric = "4000.",
     .help = "spindle limit under G96 when the program sets no G50 S", .reformat = true},
    {.id = kToolChangeTime, .kind = FieldKind::Number, .caption = "Tool Change Time", .label = 1526,
     .unit = Unit::Seconds, .inch = "4.", .metric = "4.",
     .help = "time of one tool change, for the run time", .reformat = true},
    {.id = kG76MinCut, .kind = FieldKind::Number, .caption = "G76 Min Cut", .label = 1531,
     .unit = Unit::Length, .inch = ".001", .metric = ".001",
     .help = "smallest depth of cut of a one-block G76 pass, on the radius", .reformat = true},
    {.id = kG76Finish, .kind = FieldKind::Number, .caption = "G76 Finish Allowance", .label = 1536,
     .unit = Unit::Length, .inch = ".001", .metric = ".001",
     .help = "depth a one-block G76 leaves for its finishing pass, on the radius", .reformat = true},
    {.id = kG76FinishPasses, .kind = FieldKind::Number, .caption = "G76 Finish Passes", .label = 1541,
     .inch = "1.", .metric = "1.",
     .help = "passes a one-block G76 makes at full depth (whole number)", .reformat = true},
    {.id = kG76Chamfer, .kind = FieldKind::Number, .caption = "G76 Chamfer Leads", .label = 1546,
     .inch = "0.", .metric = "0.", .help = "pull-out of a one-block G76 in leads (0 for none)",
     .reformat = true},
    {.id = kG83Clearance, .kind = FieldKind::Number, .caption = "G83 Clearance", .label = 1551,
     .unit = Unit::Length, .inch = ".01", .metric = ".01",
     .help = "how far above the last peck a G83 drill comes back down at rapid", .reformat = true},
    {.id = kProgramHeading, .kind = FieldKind::Note, .caption = "Program start and end"},
    {.id = kProgramStartEnd, .kind = FieldKind::Check, .caption = "Write Start and End",
     .help = "every OK writes the operation between a start (%, O number, units and the start "
             "codes) and an end (M30, %)"},
    {.id = kProgramNumber, .kind = FieldKind::Number, .caption = "O Number", .label = 1566,
     .inch = "1000.", .metric = "1000.", .help = "program number of the O line (whole number, 1 to 9999)",
     .reformat = true},
    {.id = kProgramName, .kind = FieldKind::Text, .caption = "Program Name", .label = 1571,
     .help = "the comment beside the O number; empty for none"},
    {.id = kProgramStartCodes, .kind = FieldKind::Text, .caption = "Start Codes", .label = 1576,
     .inch = "G18 G40 G99", .metric = "G18 G40 G99",
     .help = "codes written after the units code (G20 or G21) at the program's start"},
    {.id = kSettingsOk, .kind = FieldKind::Button, .caption = "OK", .access = 'O'},
};

constexpr Action kActions[] = {
    {kMetric, Trigger::Click, [](App& app, ControlId) { MetricClicked(app); }},
    {kSettingsOk, Trigger::Click, [](App& app, ControlId) { SettingsOk(app); }},
};
}  // namespace

const OperationDescriptor kSettingsOperation{
    .name = "settings", .caption = "Settings", .group = OperationGroup::Data, .fields = kFields,
    .spindle = SpindleRule::Empty, .actions = kActions};

}  // namespace tbx
