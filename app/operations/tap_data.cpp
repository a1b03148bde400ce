#include "app/app.h"
#include "app/controls.h"
#include "app/operations/operations.h"
#include "app/options.h"
#include "app/tap_data.h"

namespace tbx {

namespace {
using namespace id;

constexpr Choice kTapKinds[] = {{kStandardTap, "Standard Tap "}, {kColdFormTap, "Cold Form Tap "}};

constexpr Field kFields[] = {
    {.id = kDataTapSize, .kind = FieldKind::List, .caption = "Tap Size", .label = 1130,
     .help = "a thread of the data file; fills Tap Dia and Pitch", .inchItem = 17, .metricItem = 41},
    {.id = kPercentThread, .kind = FieldKind::List, .caption = "Percent of Thread", .label = 995,
     .unit = Unit::Percent, .inch = "35|40|45|50|55|60|65|70|75|80|85|90|95|100",
     .metric = "35|40|45|50|55|60|65|70|75|80|85|90|95|100",
     .help = "depth of thread the drilled hole leaves for the tap", .inchItem = 6, .metricItem = 6},
    {.id = kTapDia, .kind = FieldKind::Number, .caption = "Tap Dia", .label = 990,
     .unit = Unit::Length, .inch = ".375", .metric = "10.", .help = "outside diameter of the tap",
     .reformat = true},
    {.id = kDataPitch, .kind = FieldKind::Number, .caption = "Pitch", .label = 1140,
     .unit = Unit::Length, .inch = ".0625", .metric = "1.25",
     .help = "distance from one thread to the next", .reformat = true},
    {.id = 0, .kind = FieldKind::Options, .caption = "Tap Kind", .choices = kTapKinds},
    {.id = kCalc, .kind = FieldKind::Button, .caption = "Calc", .access = 'a'},
    {.id = kTapDrillResult, .kind = FieldKind::Note, .caption = "", .inch = ".3222",
     .metric = "8.9446", .key = "tap_drill"},
    {.id = kDataDrillList, .kind = FieldKind::ListBox, .caption = "Drills",
     .help = "the drills of the data file, to compare with the tap drill", .inchItem = 187,
     .metricItem = 172},
    {.id = kNearestDrills, .kind = FieldKind::Note, .caption = "", .key = "nearest_drills"},
};

constexpr Action kActions[] = {
    {kDataTapSize, Trigger::Change,
     [](App& app, ControlId) {
       FillFromThreadSize(app, kDataTapSize, kTapDia, kDataPitch);
       CalculateTapDrill(app);
     }},
    {kPercentThread, Trigger::Change, [](App& app, ControlId) { CalculateTapDrill(app); }},
    {kCalc, Trigger::Click, [](App& app, ControlId) { CalculateTapDrill(app); }},
    {kStandardTap, Trigger::Click, [](App& app, ControlId) { CalculateTapDrill(app); }},
    {kColdFormTap, Trigger::Click, [](App& app, ControlId) { CalculateTapDrill(app); }},
};
}  // namespace

const OperationDescriptor kTapDataOperation{
    .name = "tap_data", .caption = "Drill + Tap Data", .group = OperationGroup::Data,
    .fields = kFields, .spindle = SpindleRule::Empty, .actions = kActions};

}  // namespace tbx
