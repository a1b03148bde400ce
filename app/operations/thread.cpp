#include "app/app.h"
#include "app/controls.h"
#include "app/operations/operations.h"
#include "app/options.h"
#include "app/tab_reader.h"
#include "ops/thread.h"

namespace tbx {

namespace {
using namespace id;

constexpr Choice kSides[] = {{kThreadOutside, "Outside"}, {kThreadInside, "Inside"}};
constexpr Choice kTapers[] = {{kTaperByAngle, "Angle"}, {kPipeThread, "Pipe Thread"}};
constexpr Choice kChamferExits[] = {{kChamfer45, "45 Degrees"}, {kChamferZero, "Zero"}};
constexpr Choice kToolAngles[] = {{kToolAngle0, "0"},   {kToolAngle29, "29"}, {kToolAngle30, "30"},
                                  {kToolAngle55, "55"}, {kToolAngle60, "60"}, {kToolAngle80, "80"}};
constexpr Choice kCodeTypes[] = {
    {kOtControl, "OT Control"}, {k6tControl, "6T Control"}, {kG32Code, "G32 Code"}, {kG33Code, "G33 Code"}};

constexpr Field kFields[] = {
    {.id = kThreadComment, .kind = FieldKind::Text, .caption = "Comment", .label = 115,
     .inch = "Thread", .metric = "Thread",
     .help = "text of the comment block written before the thread"},
    {.id = kThreadSize, .kind = FieldKind::List, .caption = "Thread size",
     .help = "a thread of the data file; fills Major Dia and Pitch", .inchItem = 17, .metricItem = 41},
    {.id = 0, .kind = FieldKind::Options, .caption = "Side", .choices = kSides},
    {.id = kThreadMajorDia, .kind = FieldKind::Number, .caption = "Major Dia", .label = 150,
     .unit = Unit::Length, .inch = ".375", .metric = "10.",
     .help = "outside diameter of the thread", .reformat = true},
    {.id = kThreadPitch, .kind = FieldKind::Number, .caption = "Pitch", .label = 160,
     .unit = Unit::Length, .inch = ".0625", .metric = "1.25",
     .help = "distance from one thread to the next along Z", .reformat = true},
    {.id = kThreadZStart, .kind = FieldKind::Number, .caption = "Z Start", .label = 165,
     .unit = Unit::Length, .inch = "0.", .metric = "0.",
     .help = "Z where the thread starts, from the part zero", .reformat = true},
    {.id = kThreadZEnd, .kind = FieldKind::Number, .caption = "Z End", .label = 175,
     .unit = Unit::Length, .inch = "-1.", .metric = "-25.",
     .help = "Z where the thread ends, from the part zero", .reformat = true},
    {.id = kThreadXClearance, .kind = FieldKind::Number, .caption = "X Clearance", .label = 185,
     .unit = Unit::Length, .inch = ".05", .metric = "3.",
     .help = "distance of the tool from the thread between passes, on the radius", .reformat = true},
    {.id = kDwellPasses, .kind = FieldKind::Number, .caption = "Dwell Passes", .label = 200,
     .inch = "1.", .metric = "1.", .help = "spring passes repeated at the final depth", .reformat = true},
    {.id = kLeads, .kind = FieldKind::Number, .caption = "Leads", .label = 205, .inch = "1.",
     .metric = "1.", .help = "number of starts of the thread (whole number)", .reformat = true},
    {.id = kMaxSpm, .kind = FieldKind::Number, .caption = "Max SPM", .label = 230, .inch = "125.",
     .metric = "38.",
     .help = "caps the spindle at Max SPM / lead revolutions per minute (whole number)",
     .reformat = true},
    {.id = kThreadPasses, .kind = FieldKind::Number, .caption = "Thread Passes",
     .label = kThreadPassesLabel, .inch = "10.", .metric = "10.",
     .help = "number of cutting passes to full depth (whole number)", .reformat = true},
    {.id = 215, .kind = FieldKind::Options, .caption = "Taper", .choices = kTapers},
    {.id = kTaperAngle, .kind = FieldKind::Number, .caption = "Taper Angle", .unit = Unit::Degrees,
     .inch = "0.", .metric = "0.", .help = "angle of a tapered thread to the Z axis", .reformat = true},
    {.id = kChamferFrame, .kind = FieldKind::Options, .caption = "Chamfer Exit",
     .choices = kChamferExits, .chosen = kChamferZero},
    {.id = 290, .kind = FieldKind::Options, .caption = "Angle of Tooltip", .choices = kToolAngles},
    {.id = 295, .kind = FieldKind::Options, .caption = "Code Type", .choices = kCodeTypes},
    {.id = kThreadOk, .kind = FieldKind::Button, .caption = "OK", .access = 'O'},
};

// Thread Passes only for the pass-by-pass forms, the chamfer exit only for the OT cycle.
void Enable(FieldSwitch& tab) {
  tab.Set(kThreadPasses, tab.Checked(kG32Code) || tab.Checked(kG33Code));
  tab.Set(kChamferFrame, tab.Checked(kOtControl));
}

constexpr Action kActions[] = {
    {kThreadSize, Trigger::Change,
     [](App& app, ControlId) { FillFromThreadSize(app, kThreadSize, kThreadMajorDia, kThreadPitch); }},
    {kPipeThread, Trigger::Click, [](App& app, ControlId) { app.SetText(kTaperAngle, "1.78332"); }},
};

Operation Generate(TabReader& r, const OpContext& ctx) {
  ThreadInputs in;
  in.comment = r.Text(kThreadComment);
  in.inside = r.Checked(kThreadInside);
  in.code = r.Chosen(295, std::array{ThreadCode::Ot, ThreadCode::SixT, ThreadCode::G32, ThreadCode::G33});
  in.majorDia = r.Single(kThreadMajorDia);
  in.pitch = r.Single(kThreadPitch);
  in.zStart = r.Single(kThreadZStart);
  in.zEnd = r.Single(kThreadZEnd);
  in.xClearance = r.Single(kThreadXClearance);
  in.dwellPasses = r.Single(kDwellPasses);
  in.leads = r.Single(kLeads);
  in.maxSpm = r.Single(kMaxSpm);
  if (in.code == ThreadCode::G32 || in.code == ThreadCode::G33) in.passes = r.Single(kThreadPasses);
  in.pipe = r.Checked(kPipeThread);
  in.taperAngle = r.Single(kTaperAngle);
  in.chamfer45 = r.Checked(kChamfer45);
  in.toolAngle = r.Chosen(290, std::array{0, 29, 30, 55, 60, 80});
  return r.Generate(ThreadOperation, in, ctx);
}
}  // namespace

const OperationDescriptor kThreadOperation{
    .name = "thread", .caption = "Thread", .group = OperationGroup::Turning, .fields = kFields,
    .spindle = SpindleRule::Threading, .enable = Enable, .actions = kActions, .ok = kThreadOk,
    .generate = Generate};

}  // namespace tbx
