#include "app/catalogue.h"

#include <algorithm>
#include <array>

#include "app/controls.h"

namespace tbx {

namespace {

using namespace id;
using K = ControlKind;

// Rows advance by 1.25 from row 3 on the tab pages; labels stand in column 11 beside their box.
constexpr ControlSpec kControls[] = {
    // Layer 1: Material
    {kMaterialList, K::ListBox, 1, "", "STV", 3.5, 4, 35, 23},

    // Layer 2: Thread
    {kThreadComment, K::TextBox, 2, "Thread", "EGSTU", 4, 4.25, 16, 1.2},
    {kThreadSize, K::ComboBox, 2, "", "TV", 4, 5.8125, 16, 12},
    {kThreadOutside, K::Radio, 2, "Outside", "G", 4, 7.6875, 9, 1.2},
    {kThreadInside, K::Radio, 2, "Inside", "", 13, 7.6875, 9, 1.2},
    {kThreadMajorDia, K::TextBox, 2, ".375", "EGST", 4, 9.25, 6, 1.2},
    {kThreadPitch, K::TextBox, 2, ".0625", "EGST", 4, 10.5, 6, 1.2},
    {kThreadZStart, K::TextBox, 2, "0.", "EGST", 4, 11.75, 6, 1.2},
    {kThreadZEnd, K::TextBox, 2, "-1.", "EGST", 4, 13, 6, 1.2},
    {kThreadXClearance, K::TextBox, 2, ".05", "EGST", 4, 14.25, 6, 1.2},
    {kDwellPasses, K::TextBox, 2, "1.", "EGST", 4, 15.5, 6, 1.2},
    {kLeads, K::TextBox, 2, "1.", "EGST", 4, 16.75, 6, 1.2},
    {kMaxSpm, K::TextBox, 2, "125", "EGST", 4, 18, 6, 1.2},
    {kThreadPasses, K::TextBox, 2, "10.", "EGST", 4, 19.25, 6, 1.2},
    {215, K::Frame, 2, "Taper", "", 3, 21.75, 15, 4},
    {kTaperByAngle, K::Radio, 2, "Angle", "G", 4, 23, 6, 1.2},
    {kPipeThread, K::Radio, 2, "Pipe Thread", "", 4, 24.25, 12, 1.2},
    {150, K::Label, 2, "Major Dia", "L", 11, 9.25, 10, 1.2},
    {160, K::Label, 2, "Pitch", "L", 11, 10.5, 10, 1.2},
    {165, K::Label, 2, "Z Start", "L", 11, 11.75, 10, 1.2},
    {175, K::Label, 2, "Z End", "L", 11, 13, 10, 1.2},
    {185, K::Label, 2, "X Clearance", "L", 11, 14.25, 10, 1.2},
    {200, K::Label, 2, "Dwell Passes", "L", 11, 15.5, 10, 1.2},
    {205, K::Label, 2, "Leads", "L", 11, 16.75, 10, 1.2},
    {230, K::Label, 2, "Max SPM", "L", 11, 18, 10, 1.2},
    {kThreadPassesLabel, K::Label, 2, "Thread Passes", "L", 11, 19.25, 10, 1.2},
    {kTaperAngle, K::TextBox, 2, "0.", "ES", 11, 23, 6, 1.2},
    {115, K::Label, 2, "Comment", "L", 24, 4.25, 16, 1.2},
    {kChamferFrame, K::Frame, 2, "Chamfer Exit", "", 23, 6.75, 14, 4},
    {kChamfer45, K::Radio, 2, "45 Degrees", "G", 24, 9.25, 9, 1.2},
    {kChamferZero, K::Radio, 2, "Zero", "", 24, 8, 8, 1.2},
    {290, K::Frame, 2, "Angle of Tooltip", "", 23, 11.75, 14, 5.5},
    {kToolAngle0, K::Radio, 2, "0", "G", 24, 13, 5, 1.2},
    {kToolAngle29, K::Radio, 2, "29", "", 24, 14.25, 5, 1.2},
    {kToolAngle30, K::Radio, 2, "30", "", 24, 15.5, 5, 1.2},
    {kToolAngle55, K::Radio, 2, "55", "", 29, 13, 5, 1.2},
    {kToolAngle60, K::Radio, 2, "60", "", 29, 14.25, 5, 1.2},
    {kToolAngle80, K::Radio, 2, "80", "", 29, 15.5, 5, 1.2},
    {295, K::Frame, 2, "Code Type", "", 23, 18, 14, 6.5},
    {kOtControl, K::Radio, 2, "OT Control", "G", 24, 19.25, 12, 1.2},
    {k6tControl, K::Radio, 2, "6T Control", "", 24, 20.5, 12, 1.2},
    {kG32Code, K::Radio, 2, "G32 Code", "", 24, 21.75, 12, 1.2},
    {kG33Code, K::Radio, 2, "G33 Code", "", 24, 23, 12, 1.2},
    {kThreadOk, K::Button, 2, "OK", "GT", 24, 25.5, 10, 1.5},

    // Layer 3: C'Sink/Drill
    {kCSinkDrillSize, K::ComboBox, 3, "", "TV", 4, 5.8125, 16, 12},
    {kCSinkComment, K::TextBox, 3, "START DRILL", "EGSTU", 4, 4.25, 16, 1.2},
    {kCSinkDrillDia, K::TextBox, 3, ".5", "EST", 4, 8, 6, 1.2},
    {kCSinkDia, K::TextBox, 3, ".375", "EST", 4, 9.25, 6, 1.2},
    {kCSinkZStart, K::TextBox, 3, "0.", "EST", 4, 10.5, 6, 1.2},
    {kCSinkClearance, K::TextBox, 3, ".1", "EST", 4, 11.75, 6, 1.2},
    {kCSinkDwell, K::TextBox, 3, "0.", "EST", 4, 13, 6, 1.2},
    {kCSinkFeed, K::TextBox, 3, ".005", "EST", 4, 14.25, 6, 1.2},
    {355, K::Label, 3, "Drill Diameter", "L", 11, 8.25, 12, 1.2},
    {360, K::Label, 3, "C'Sink Dia.", "L", 11, 9.5, 12, 1.2},
    {365, K::Label, 3, "Z Start", "L", 11, 10.75, 12, 1.2},
    {370, K::Label, 3, "Clearance", "L", 11, 12, 12, 1.2},
    {375, K::Label, 3, "Dwell Seconds", "L", 11, 13.25, 12, 1.2},
    {380, K::Label, 3, "Feedrate", "L", 11, 14.5, 12, 1.2},
    {315, K::Label, 3, "Comment", "L", 24, 4.25, 16, 1.2},
    {460, K::Frame, 3, "Drill Angle", "", 23, 6.75, 14, 6.5},
    {kAngle90, K::Radio, 3, "90 Degree", "G", 24, 8, 12, 1.2},
    {kAngle118, K::Radio, 3, "118 Degree", "", 24, 9.25, 12, 1.2},
    {kAngle135, K::Radio, 3, "135 Degree", "", 24, 10.5, 12, 1.2},
    {kCenterDrill60, K::Radio, 3, "60 Deg Center", "", 24, 11.75, 12, 1.2},
    {kCenterDrillFrame, K::Frame, 3, "Center Drill Sizes", "", 23, 14.25, 14, 10},
    {kCenter0, K::Radio, 3, "#0", "G", 24, 15.5, 5, 1.2},
    {kCenter1, K::Radio, 3, "#1", "", 24, 16.75, 5, 1.2},
    {kCenter2, K::Radio, 3, "#2", "", 24, 18, 5, 1.2},
    {kCenter3, K::Radio, 3, "#3", "", 24, 19.25, 5, 1.2},
    {kCenter4, K::Radio, 3, "#4", "", 24, 20.5, 5, 1.2},
    {kCenter5, K::Radio, 3, "#5", "", 31, 15.5, 5, 1.2},
    {kCenter6, K::Radio, 3, "#6", "", 31, 16.75, 5, 1.2},
    {kCenter7, K::Radio, 3, "#7", "", 31, 18, 5, 1.2},
    {kCenter8, K::Radio, 3, "#8", "", 31, 19.25, 5, 1.2},
    {kPilotDiaLabel, K::Label, 3, "Pilot Dia", "L", 29, 21.125, 10, 1.2},
    {kPilotDia, K::TextBox, 3, "", "EGST", 29, 22.375, 6, 1.2},
    {kCSinkOk, K::Button, 3, "OK", "T", 24, 25.5, 10, 1.5},

    // Layer 4: Deep Drill
    {kDeepComment, K::TextBox, 4, "DRILL", "EST", 4, 4.25, 16, 1.2},
    {kDeepDrillSize, K::ComboBox, 4, "", "TV", 4, 5.8125, 16, 12},
    {kDeepDrillDia, K::TextBox, 4, ".500", "EST", 4, 8, 6, 1.2},
    {kDeepStart, K::TextBox, 4, "0.", "EST", 4, 9.25, 6, 1.2},
    {kDeepDepth, K::TextBox, 4, "-1.", "EST", 4, 10.5, 6, 1.2},
    {kDeepZClearance, K::TextBox, 4, ".1", "EST", 4, 11.75, 6, 1.2},
    {kRapidClearance, K::TextBox, 4, ".025", "EST", 4, 13, 6, 1.2},
    {kPeckMax, K::TextBox, 4, ".3", "EST", 4, 14.25, 6, 1.2},
    {kPeckMin, K::TextBox, 4, ".1", "EST", 4, 15.5, 6, 1.2},
    {kPercentPeck, K::TextBox, 4, "80.", "EST", 4, 16.75, 6, 1.2},
    {kDeepDwell, K::TextBox, 4, "0.", "EST", 4, 18, 6, 1.2},
    {kDeepFeed, K::TextBox, 4, ".005", "EST", 4, 19.25, 6, 1.2},
    {525, K::Label, 4, "Drill Diameter", "L", 11, 8.25, 12, 1.2},
    {530, K::Label, 4, "Start", "L", 11, 9.5, 12, 1.2},
    {535, K::Label, 4, "Depth", "L", 11, 10.75, 12, 1.2},
    {540, K::Label, 4, "Z ABS Clearance", "L", 11, 12, 12, 1.2},
    {kRapidClearanceLabel, K::Label, 4, "Rapid Clearance", "L", 11, 13.25, 12, 1.2},
    {550, K::Label, 4, "Peck Value (Max)", "L", 11, 14.5, 12, 1.2},
    {kPeckMinLabel, K::Label, 4, "Peck Value (Min)", "L", 11, 15.75, 12, 1.2},
    {kPercentPeckLabel, K::Label, 4, "Percent Peck", "L", 11, 17, 12, 1.2},
    {565, K::Label, 4, "Dwell Seconds", "L", 11, 18.25, 12, 1.2},
    {570, K::Label, 4, "Feedrate", "L", 11, 19.5, 12, 1.2},
    {620, K::Label, 4, "Comment", "L", 24, 4.25, 16, 1.2},
    {630, K::Frame, 4, "Deep Drill", "", 23, 6.75, 14, 6.5},
    {kG83, K::Radio, 4, "G83", "GT", 24, 8, 12, 1.2},
    {605, K::Label, 4, "Manual", "C", 24, 9.25, 12, 1.2},
    {kEqualPeck, K::Radio, 4, "Equal Peck", "T", 24, 10.5, 12, 1.2},
    {kPercentPeckMode, K::Radio, 4, "% Peck", "T", 24, 11.75, 12, 1.2},
    {635, K::Frame, 4, "Drill Angle", "", 23, 14.25, 14, 5},
    {kFlatBottom, K::Radio, 4, "Flat Bottom", "GT", 24, 15.5, 12, 1.2},
    {kDeep118, K::Radio, 4, "118 Degree", "T", 24, 16.75, 12, 1.2},
    {kDeep135, K::Radio, 4, "135 Degree", "T", 24, 18, 12, 1.2},
    {kDeepOk, K::Button, 4, "OK", "T", 24, 25.5, 10, 1.5},

    // Layer 5: Ream
    {kReamComment, K::TextBox, 5, "REAM", "EST", 4, 4.25, 16, 1.2},
    {kReamerDia, K::TextBox, 5, ".500", "EST", 4, 6.75, 6, 1.2},
    {kReamZStart, K::TextBox, 5, ".1", "EST", 4, 8, 6, 1.2},
    {kReamDepth, K::TextBox, 5, "-1.", "EST", 4, 9.25, 6, 1.2},
    {kReamRapidClearance, K::TextBox, 5, "0.", "EST", 4, 10.5, 6, 1.2},
    {kReamFeed, K::TextBox, 5, ".005", "EST", 4, 11.75, 6, 1.2},
    {kFeedOut, K::CheckBox, 5, "Feed Out", "T", 4, 14.25, 16, 1.2},
    {690, K::Label, 5, "Reamer Diameter", "L", 11, 7.25, 15, 1.2},
    {675, K::Label, 5, "Z Start", "L", 11, 8.5, 15, 1.2},
    {680, K::Label, 5, "Z Hole Depth", "L", 11, 9.75, 15, 1.2},
    {685, K::Label, 5, "Rapid Clearance", "L", 11, 11, 15, 1.2},
    {695, K::Label, 5, "Feedrate", "L", 11, 12.25, 15, 1.2},
    {645, K::Label, 5, "Comment", "L", 24, 4.25, 16, 1.2},
    {kReamOk, K::Button, 5, "OK", "T", 24, 25.5, 10, 1.5},

    // Layer 6: Tap
    {kTapComment, K::TextBox, 6, "TAP", "EST", 4, 4.25, 16, 1.2},
    {kTapSize, K::ComboBox, 6, "", "TV", 4, 5.8125, 16, 12},
    {kTapMajorDia, K::TextBox, 6, ".375", "EST", 4, 8, 6, 1.2},
    {kTapPitch, K::TextBox, 6, ".0625", "EST", 4, 9.25, 6, 1.2},
    {kTapZStart, K::TextBox, 6, "0.", "EST", 4, 10.5, 6, 1.2},
    {kTapDepth, K::TextBox, 6, "-1.", "EST", 4, 11.75, 6, 1.2},
    {kTapClearance, K::TextBox, 6, ".3", "EST", 4, 13, 6, 1.2},
    {kLeftHand, K::CheckBox, 6, "Left Hand", "T", 4, 15.5, 16, 1.2},
    {745, K::Label, 6, "Major Diameter", "L", 11, 8.25, 12, 1.2},
    {750, K::Label, 6, "Pitch", "L", 11, 9.5, 12, 1.2},
    {755, K::Label, 6, "Z Start", "L", 11, 10.75, 12, 1.2},
    {760, K::Label, 6, "Tap Depth", "L", 11, 12, 12, 1.2},
    {765, K::Label, 6, "Clearance", "L", 11, 13.25, 12, 1.2},
    {790, K::Label, 6, "Comment", "L", 24, 4.25, 16, 1.2},
    {800, K::Frame, 6, "Code Type", "", 23, 6.75, 14, 5.5},
    {kG84, K::Radio, 6, "G84", "T", 24, 8, 6, 1.2},
    {kTapG32, K::Radio, 6, "G32", "T", 24, 9.25, 6, 1.2},
    {kTapG33, K::Radio, 6, "G33", "T", 24, 10.5, 6, 1.2},
    {kTapOk, K::Button, 6, "OK", "T", 24, 25.5, 10, 1.5},

    // Layer 7: Groove
    {kGrooveComment, K::TextBox, 7, "GROOVE", "EST", 4, 4.25, 16, 1.2},
    {kGrooveOutside, K::Radio, 7, "Outside", "G", 4, 6.4375, 9, 1.2},
    {kGrooveInside, K::Radio, 7, "Inside", "", 13, 6.4375, 9, 1.2},
    {kGrooveMajorDia, K::TextBox, 7, "1.", "EST", 4, 8, 6, 1.2},
    {kGrooveMinorDia, K::TextBox, 7, ".500", "EST", 4, 9.25, 6, 1.2},
    {kGrooveZStart, K::TextBox, 7, "0.", "EST", 4, 10.5, 6, 1.2},
    {kXIncClr, K::TextBox, 7, ".05", "EST", 4, 11.75, 6, 1.2},
    {kGrooveWidth, K::TextBox, 7, ".500", "EST", 4, 13, 6, 1.2},
    {kToolWidth, K::TextBox, 7, ".125", "EST", 4, 14.25, 6, 1.2},
    {kPercentStep, K::TextBox, 7, "80.", "EST", 4, 15.5, 6, 1.2},
    {kGrooveFeed, K::TextBox, 7, ".003", "EST", 4, 16.75, 6, 1.2},
    {kXBottomStock, K::TextBox, 7, ".010", "EST", 4, 18, 6, 1.2},
    {kZWallStock, K::TextBox, 7, ".005", "EST", 4, 19.25, 6, 1.2},
    {kZAbsClr, K::TextBox, 7, ".1", "EST", 4, 20.5, 6, 1.2},
    {880, K::Label, 7, "Major Dia", "L", 11, 8.25, 10, 1.2},
    {885, K::Label, 7, "Minor Dia", "L", 11, 9.5, 10, 1.2},
    {890, K::Label, 7, "Z Start", "L", 11, 10.75, 10, 1.2},
    {895, K::Label, 7, "X INC Clr", "L", 11, 12, 10, 1.2},
    {900, K::Label, 7, "Groove Width", "L", 11, 13.25, 10, 1.2},
    {905, K::Label, 7, "Tool Width", "L", 11, 14.5, 10, 1.2},
    {910, K::Label, 7, "% Step", "L", 11, 15.75, 10, 1.2},
    {915, K::Label, 7, "Feedrate", "L", 11, 17, 10, 1.2},
    {920, K::Label, 7, "X Bottom Stock", "L", 11, 18.25, 10, 1.2},
    {925, K::Label, 7, "Z Wall Stock", "L", 11, 19.5, 10, 1.2},
    {kZAbsClrLabel, K::Label, 7, "Z ABS Clr", "L", 11, 20.75, 10, 1.2},
    {930, K::Label, 7, "Comment", "L", 24, 4.25, 16, 1.2},
    {950, K::Label, 7, "Left", "L", 24, 6.75, 6, 1.2},
    {945, K::Label, 7, "Right", "L", 32, 6.75, 6, 1.2},
    {kLeftToggle, K::Button, 7, "Chamfer", "TX", 22, 8, 8, 1.2},
    {kRightToggle, K::Button, 7, "Chamfer", "TX", 31, 8, 8, 1.2},
    {kLeftSize, K::TextBox, 7, "0.", "EST", 23, 9.25, 6, 1.2},
    {kRightSize, K::TextBox, 7, "0.", "EST", 32, 9.25, 6, 1.2},
    {kFinishPass, K::CheckBox, 7, "Finish Pass", "T", 24, 11.75, 11, 1.2},
    {kGrooveOk, K::Button, 7, "OK", "T", 24, 25.5, 10, 1.5},

    // Layer 8: Drill + Tap Data
    {1130, K::Label, 8, "Tap Size", "L", 4, 4.25, 6, 1.2},
    {995, K::Label, 8, "Percent of Thread", "C", 14, 4.25, 16, 1.2},
    {kDataTapSize, K::ComboBox, 8, "", "TV", 4, 5.8125, 12, 12},
    {kPercentThread, K::ComboBox, 8, "35|40|45|50|55|60|65|70|75|80|85|90|95|100", "TV", 19, 5.8125, 6, 12},
    {kTapDia, K::TextBox, 8, "10.", "EST", 4, 8, 6, 1.2},
    {990, K::Label, 8, "Tap Dia", "L", 11, 8, 6, 1.2},
    {kDataPitch, K::TextBox, 8, "1.25", "EST", 4, 9.25, 6, 1.2},
    {1140, K::Label, 8, "Pitch", "L", 11, 9.25, 6, 1.2},
    {kStandardTap, K::Radio, 8, "Standard Tap ", "GT", 19, 8, 12, 1.2},
    {kColdFormTap, K::Radio, 8, "Cold Form Tap ", "", 19, 9.25, 16, 1.2},
    {kCalc, K::Button, 8, "Calc", "T", 4, 11.75, 10, 1.5},
    {kTapDrillResult, K::Label, 8, "", "CF", 19, 11.75, 12, 1.2},
    {kDataDrillList, K::ListBox, 8, "", "STV", 4, 14.25, 20, 7},
    {kNearestDrills, K::Label, 8, "", "L", 4, 21.75, 36, 2.4},

    // Layer 9: Settings
    {1035, K::Label, 9, "Settings", "L", 4, 5.5, 6, 1.2},
    {kXToolChange, K::TextBox, 9, "4.", "EST", 4, 6.75, 6, 1.2},
    {kZToolChange, K::TextBox, 9, "6.", "EST", 4, 8, 6, 1.2},
    {kMetric, K::CheckBox, 9, "Metric", "T", 4, 10.5, 11, 1.2},
    {1020, K::Label, 9, "X Axis Tool Change", "L", 11, 6.75, 22, 1.2},
    {1025, K::Label, 9, "Z Axis Tool Change", "L", 11, 8, 22, 1.2},
    {kSettingsOk, K::Button, 9, "OK", "T", 24, 25.5, 10, 1.5},
    {kMachineHeading, K::Label, 9, "Machine (preview and run time)", "L", 4, 13, 30, 1.2},
    {kRapidX, K::TextBox, 9, "10000.", "EST", 4, 14.25, 6, 1.2},
    {kRapidZ, K::TextBox, 9, "12000.", "EST", 4, 15.5, 6, 1.2},
    {kMaxZFeed, K::TextBox, 9, "5000.", "EST", 4, 16.75, 6, 1.2},
    {kMachineMaxRpm, K::TextBox, 9, "4000.", "EST", 4, 18, 6, 1.2},
    {kToolChangeTime, K::TextBox, 9, "4.", "EST", 4, 19.25, 6, 1.2},
    {kG76MinCut, K::TextBox, 9, ".001", "EST", 4, 20.5, 6, 1.2},
    {kG76Finish, K::TextBox, 9, ".001", "EST", 4, 21.75, 6, 1.2},
    {kG76FinishPasses, K::TextBox, 9, "1.", "EST", 4, 23, 6, 1.2},
    {kG76Chamfer, K::TextBox, 9, "0.", "EST", 4, 24.25, 6, 1.2},
    {kG83Clearance, K::TextBox, 9, ".01", "EST", 4, 25.5, 6, 1.2},
    {1506, K::Label, 9, "Rapid X mm/min", "L", 11, 14.25, 12, 1.2},
    {1511, K::Label, 9, "Rapid Z mm/min", "L", 11, 15.5, 12, 1.2},
    {1516, K::Label, 9, "Max Z Feed mm/min", "L", 11, 16.75, 12, 1.2},
    {1521, K::Label, 9, "Max RPM", "L", 11, 18, 12, 1.2},
    {1526, K::Label, 9, "Tool Change Time", "L", 11, 19.25, 12, 1.2},
    {1531, K::Label, 9, "G76 Min Cut", "L", 11, 20.5, 12, 1.2},
    {1536, K::Label, 9, "G76 Finish Allowance", "L", 11, 21.75, 12, 1.2},
    {1541, K::Label, 9, "G76 Finish Passes", "L", 11, 23, 12, 1.2},
    {1546, K::Label, 9, "G76 Chamfer Leads", "L", 11, 24.25, 12, 1.2},
    {1551, K::Label, 9, "G83 Clearance", "L", 11, 25.5, 12, 1.2},

    // Layer 10: Face
    {kFaceComment, K::TextBox, 10, "FACE", "EST", 4, 4.25, 16, 1.2},
    {kFaceStockDia, K::TextBox, 10, "2.", "EST", 4, 6.75, 6, 1.2},
    {kFaceEndDia, K::TextBox, 10, "0.", "EST", 4, 8, 6, 1.2},
    {kFaceZStart, K::TextBox, 10, ".05", "EST", 4, 9.25, 6, 1.2},
    {kFaceZFinal, K::TextBox, 10, "0.", "EST", 4, 10.5, 6, 1.2},
    {kFaceDepthOfCut, K::TextBox, 10, ".05", "EST", 4, 11.75, 6, 1.2},
    {kFaceFinishAllowance, K::TextBox, 10, ".005", "EST", 4, 13, 6, 1.2},
    {kFaceRoughFeed, K::TextBox, 10, ".01", "EST", 4, 14.25, 6, 1.2},
    {kFaceFinishFeed, K::TextBox, 10, ".005", "EST", 4, 15.5, 6, 1.2},
    {kFaceXClearance, K::TextBox, 10, ".1", "EST", 4, 16.75, 6, 1.2},
    {kFaceZClearance, K::TextBox, 10, ".05", "EST", 4, 18, 6, 1.2},
    {kFaceCss, K::CheckBox, 10, "Constant Surface Speed", "T", 4, 20.5, 20, 1.2},
    {kFaceMaxRpm, K::TextBox, 10, "3000", "EST", 4, 21.75, 6, 1.2},
    {1206, K::Label, 10, "Stock Dia", "L", 11, 6.75, 16, 1.2},
    {1211, K::Label, 10, "End Dia", "L", 11, 8, 16, 1.2},
    {1216, K::Label, 10, "Z Start", "L", 11, 9.25, 16, 1.2},
    {1221, K::Label, 10, "Z Final", "L", 11, 10.5, 16, 1.2},
    {1226, K::Label, 10, "Depth of Cut", "L", 11, 11.75, 16, 1.2},
    {1231, K::Label, 10, "Finish Allowance", "L", 11, 13, 16, 1.2},
    {1236, K::Label, 10, "Rough Feed", "L", 11, 14.25, 16, 1.2},
    {1241, K::Label, 10, "Finish Feed", "L", 11, 15.5, 16, 1.2},
    {1246, K::Label, 10, "X Clearance", "L", 11, 16.75, 16, 1.2},
    {1251, K::Label, 10, "Z Clearance", "L", 11, 18, 16, 1.2},
    {1258, K::Label, 10, "Max RPM", "L", 11, 21.75, 16, 1.2},
    {1201, K::Label, 10, "Comment", "L", 24, 4.25, 16, 1.2},
    {kFaceOk, K::Button, 10, "OK", "T", 24, 25.5, 10, 1.5},

    // Layer 11: Turn
    {kTurnComment, K::TextBox, 11, "TURN", "EST", 4, 4.25, 16, 1.2},
    {kTurnOutside, K::Radio, 11, "Outside", "G", 4, 6.4375, 9, 1.2},
    {kTurnInside, K::Radio, 11, "Inside", "", 13, 6.4375, 9, 1.2},
    {kTurnStartDia, K::TextBox, 11, "2.", "EST", 4, 8, 6, 1.2},
    {kTurnFinalDia, K::TextBox, 11, "1.5", "EST", 4, 9.25, 6, 1.2},
    {kTurnZStart, K::TextBox, 11, "0.", "EST", 4, 10.5, 6, 1.2},
    {kTurnZEnd, K::TextBox, 11, "-1.", "EST", 4, 11.75, 6, 1.2},
    {kTurnDepthOfCut, K::TextBox, 11, ".05", "EST", 4, 13, 6, 1.2},
    {kTurnFinishAllowanceX, K::TextBox, 11, ".01", "EST", 4, 14.25, 6, 1.2},
    {kTurnFinishAllowanceZ, K::TextBox, 11, ".005", "EST", 4, 15.5, 6, 1.2},
    {kTurnRoughFeed, K::TextBox, 11, ".01", "EST", 4, 16.75, 6, 1.2},
    {kTurnFinishFeed, K::TextBox, 11, ".005", "EST", 4, 18, 6, 1.2},
    {kTurnChamfer, K::TextBox, 11, ".03", "EST", 4, 19.25, 6, 1.2},
    {kTurnClearance, K::TextBox, 11, ".05", "EST", 4, 20.5, 6, 1.2},
    {kTurnCss, K::CheckBox, 11, "Constant Surface Speed", "T", 4, 23, 20, 1.2},
    {kTurnMaxRpm, K::TextBox, 11, "3000", "EST", 4, 24.25, 6, 1.2},
    {1316, K::Label, 11, "Start Dia", "L", 11, 8, 16, 1.2},
    {1321, K::Label, 11, "Final Dia", "L", 11, 9.25, 16, 1.2},
    {1326, K::Label, 11, "Z Start", "L", 11, 10.5, 16, 1.2},
    {1331, K::Label, 11, "Z End", "L", 11, 11.75, 16, 1.2},
    {1336, K::Label, 11, "Depth of Cut", "L", 11, 13, 16, 1.2},
    {1341, K::Label, 11, "Finish Allowance X", "L", 11, 14.25, 16, 1.2},
    {1346, K::Label, 11, "Finish Allowance Z", "L", 11, 15.5, 16, 1.2},
    {1351, K::Label, 11, "Rough Feed", "L", 11, 16.75, 16, 1.2},
    {1356, K::Label, 11, "Finish Feed", "L", 11, 18, 16, 1.2},
    {1361, K::Label, 11, "Chamfer", "L", 11, 19.25, 16, 1.2},
    {1366, K::Label, 11, "Clearance", "L", 11, 20.5, 16, 1.2},
    {1373, K::Label, 11, "Max RPM", "L", 11, 24.25, 16, 1.2},
    {1301, K::Label, 11, "Comment", "L", 24, 4.25, 16, 1.2},
    {kTurnOk, K::Button, 11, "OK", "T", 24, 25.5, 10, 1.5},

    // Layer 12: Part-off
    {kPartComment, K::TextBox, 12, "PART OFF", "EST", 4, 4.25, 16, 1.2},
    {kPartStockDia, K::TextBox, 12, "2.", "EST", 4, 6.75, 6, 1.2},
    {kPartEndDia, K::TextBox, 12, "0.", "EST", 4, 8, 6, 1.2},
    {kPartZPosition, K::TextBox, 12, "-1.", "EST", 4, 9.25, 6, 1.2},
    {kPartToolWidth, K::TextBox, 12, ".125", "EST", 4, 10.5, 6, 1.2},
    {kPartPeck, K::TextBox, 12, "0.", "EST", 4, 11.75, 6, 1.2},
    {kPartFeed, K::TextBox, 12, ".003", "EST", 4, 13, 6, 1.2},
    {kPartReducedFeedDia, K::TextBox, 12, ".25", "EST", 4, 14.25, 6, 1.2},
    {kPartReducedFeed, K::TextBox, 12, ".0015", "EST", 4, 15.5, 6, 1.2},
    {kPartChamfer, K::TextBox, 12, "0.", "EST", 4, 16.75, 6, 1.2},
    {kPartClearance, K::TextBox, 12, ".05", "EST", 4, 18, 6, 1.2},
    {kPartCss, K::CheckBox, 12, "Constant Surface Speed", "T", 4, 20.5, 20, 1.2},
    {kPartMaxRpm, K::TextBox, 12, "3000", "EST", 4, 21.75, 6, 1.2},
    {1406, K::Label, 12, "Stock Dia", "L", 11, 6.75, 16, 1.2},
    {1411, K::Label, 12, "End Dia", "L", 11, 8, 16, 1.2},
    {1416, K::Label, 12, "Z Position", "L", 11, 9.25, 16, 1.2},
    {1421, K::Label, 12, "Tool Width", "L", 11, 10.5, 16, 1.2},
    {1426, K::Label, 12, "Peck", "L", 11, 11.75, 16, 1.2},
    {1431, K::Label, 12, "Feed", "L", 11, 13, 16, 1.2},
    {1436, K::Label, 12, "Reduced Feed Dia", "L", 11, 14.25, 16, 1.2},
    {1441, K::Label, 12, "Reduced Feed", "L", 11, 15.5, 16, 1.2},
    {1446, K::Label, 12, "Chamfer", "L", 11, 16.75, 16, 1.2},
    {1451, K::Label, 12, "Clearance", "L", 11, 18, 16, 1.2},
    {1458, K::Label, 12, "Max RPM", "L", 11, 21.75, 16, 1.2},
    {1401, K::Label, 12, "Comment", "L", 24, 4.25, 16, 1.2},
    {kPartOk, K::Button, 12, "OK", "T", 24, 25.5, 10, 1.5},

    // Layer 0: always visible; the tab control last.
    {kTool, K::ComboBox, 0, "T01|T02|T03|T04|T05|T06|T07|T08|T09|T10|T11|T12", "GTV", 45, 0.5, 6, 12},
    {kOffset, K::ComboBox, 0,
     "01|02|03|04|05|06|07|08|09|10|11|12|13|14|15|16|17|18|19|20|21|22|23|24", "TV", 51, 0.5, 6, 12},
    {kCarbide, K::Radio, 0, "Carbide", "GT", 59, 0.5, 10, 1.25},
    {kHss, K::Radio, 0, "HSS", "T", 59, 2, 10, 1.25},
    {kCoolant, K::CheckBox, 0, "Coolant", "GT", 45, 4, 10, 1.25},
    {kSpm, K::TextBox, 0, "99", "EST", 60, 4, 6, 1.25},
    {kOutput, K::TextBox, 0, "", "EMSTV", 43, 6, 30, 20},
    // The scratch copy stands far outside the form: kept, never seen.
    {kScratch, K::TextBox, 0, "", "EMSTV", 4000, 2000, 20, 20},
    {1075, K::Label, 0, "SPM", "L", 55, 4, 6, 1.25},
    {kUndo, K::Button, 0, "Undo", "T", 44, 26.5, 8, 1.5},
    {kCopy, K::Button, 0, "Copy", "T", 54, 26.5, 8, 1.5},
    {kExit, K::Button, 0, "Exit", "T", 64, 26.5, 8, 1.5},
    {kTabs, K::TabControl, 0,
     "Material|Thread|C'Sink/Drill|Deep Drill|Ream|Tap|Groove|Drill + Tap Data|Settings|Face|Turn|Part-off",
     "GMT", 1.5,
     0.25, 40, 28},
};

constexpr ControlId kThreadSide[] = {kThreadOutside, kThreadInside};
constexpr ControlId kTaper[] = {kTaperByAngle, kPipeThread};
constexpr ControlId kChamferExit[] = {kChamfer45, kChamferZero};
constexpr ControlId kToolAngle[] = {kToolAngle0,  kToolAngle29, kToolAngle30,
                                    kToolAngle55, kToolAngle60, kToolAngle80};
constexpr ControlId kThreadCode[] = {kOtControl, k6tControl, kG32Code, kG33Code};
constexpr ControlId kDrillAngle[] = {kAngle90, kAngle118, kAngle135, kCenterDrill60};
constexpr ControlId kCenterSize[] = {kCenter0, kCenter1, kCenter2, kCenter3, kCenter4,
                                     kCenter5, kCenter6, kCenter7, kCenter8};
constexpr ControlId kPeckMode[] = {kG83, kEqualPeck, kPercentPeckMode};
constexpr ControlId kDeepAngle[] = {kFlatBottom, kDeep118, kDeep135};
constexpr ControlId kTapCode[] = {kG84, kTapG32, kTapG33};
constexpr ControlId kGrooveSide[] = {kGrooveOutside, kGrooveInside};
constexpr ControlId kTapKind[] = {kStandardTap, kColdFormTap};
constexpr ControlId kToolMaterial[] = {kCarbide, kHss};
constexpr ControlId kTurnSide[] = {kTurnOutside, kTurnInside};

constexpr RadioGroup kGroups[] = {
    {kThreadSide, kThreadOutside}, {kTaper, kTaperByAngle},   {kChamferExit, kChamferZero},
    {kToolAngle, kToolAngle0},     {kThreadCode, kOtControl}, {kDrillAngle, kAngle90},
    {kCenterSize, kCenter0},       {kPeckMode, kG83},         {kDeepAngle, kDeep118},
    {kTapCode, kG84},              {kGrooveSide, kGrooveOutside}, {kTapKind, kStandardTap},
    {kToolMaterial, kCarbide},     {kTurnSide, kTurnOutside},
};

constexpr ControlId kChecks[] = {kFinishPass, kCoolant};

constexpr StartSelection kFixedSelections[] = {
    {kPercentThread, 6, 6}, {kTool, 0, 0}, {kOffset, 0, 0}};

constexpr ControlId kDisabled[] = {
    kThreadPasses, kThreadPassesLabel, kPilotDia, kCenter0, kPilotDiaLabel, kCenter1, kCenter2,
    kCenter3, kCenter4, kCenter5, kCenter6, kCenter7, kCenter8, kCenterDrillFrame, kZAbsClr,
    kZAbsClrLabel, kUndo, kRapidClearanceLabel, kPeckMinLabel, kPercentPeckLabel,
    kRapidClearance, kPeckMin, kPercentPeck, kLeftHand};

constexpr UnitDefault kUnitDefaults[] = {
    {kThreadMajorDia, ".375", "10."},   {kThreadPitch, ".0625", "1.25"},
    {kThreadZEnd, "-1.", "-25."},       {kThreadXClearance, ".05", "3."},
    {kMaxSpm, "125.", "38."},           {kCSinkDrillDia, ".5", "10."},
    {kCSinkDia, ".375", "7.5"},         {kCSinkClearance, ".1", "3."},
    {kCSinkFeed, ".005", ".3"},         {kDeepDrillDia, ".500", "10."},
    {kDeepDepth, "-1.", "-25."},        {kDeepZClearance, ".1", "3."},
    {kRapidClearance, ".025", ".5"},    {kPeckMax, ".3", "6."},
    {kPeckMin, ".1", "3."},             {kDeepFeed, ".005", ".2"},
    {kReamZStart, "0.", "0."},          {kReamDepth, "-1.", "-25."},
    {kReamerDia, ".500", "10."},        {kReamRapidClearance, ".1", "3."},
    {kReamFeed, ".005", ".2"},          {kTapMajorDia, ".375", "10."},
    {kTapPitch, ".0625", "1.25"},       {kTapDepth, "-1.", "-25."},
    {kTapClearance, ".3", "3."},        {kGrooveMajorDia, "1.", "20."},
    {kGrooveMinorDia, ".5", "10."},     {kZAbsClr, ".1", "3."},
    {kXIncClr, ".05", "3."},            {kGrooveWidth, "1.", "10."},
    {kToolWidth, ".125", "3."},         {kGrooveFeed, ".005", ".2"},
    {kXBottomStock, ".01", ".5"},       {kZWallStock, ".005", ".25"},
    {kTapDrillResult, ".3222", "8.9446"}, {kTapDia, ".375", "10."},
    {kDataPitch, ".0625", "1.25"},      {kSpm, "325", "99"},
    {kFaceStockDia, "2.", "50."},       {kFaceZStart, ".05", "1."},
    {kFaceDepthOfCut, ".05", "1."},     {kFaceFinishAllowance, ".005", ".2"},
    {kFaceRoughFeed, ".01", ".25"},     {kFaceFinishFeed, ".005", ".1"},
    {kFaceXClearance, ".1", "2."},      {kFaceZClearance, ".05", "1."},
    {kTurnStartDia, "2.", "50."},       {kTurnFinalDia, "1.5", "40."},
    {kTurnZEnd, "-1.", "-25."},         {kTurnDepthOfCut, ".05", "1."},
    {kTurnFinishAllowanceX, ".01", ".2"}, {kTurnFinishAllowanceZ, ".005", ".1"},
    {kTurnRoughFeed, ".01", ".25"},     {kTurnFinishFeed, ".005", ".1"},
    {kTurnChamfer, ".03", ".5"},        {kTurnClearance, ".05", "1."},
    {kPartStockDia, "2.", "50."},       {kPartZPosition, "-1.", "-25."},
    {kPartToolWidth, ".125", "3."},     {kPartFeed, ".003", ".08"},
    {kPartReducedFeedDia, ".25", "6."}, {kPartReducedFeed, ".0015", ".04"},
    {kPartClearance, ".05", "1."},
};

constexpr StartSelection kDataSelections[] = {
    {kCSinkDrillSize, 187, 172}, {kDeepDrillSize, 187, 172}, {kDataDrillList, 187, 172},
    {kThreadSize, 17, 41},       {kTapSize, 17, 41},         {kDataTapSize, 17, 41},
};

// The result label is the one control with its own colours (black on white).
constexpr struct { ControlId id; int foreground, background; } kColours[] = {
    {kTapDrillResult, 0, 15}};

constexpr int kFontSlot = 10;

}  // namespace

std::span<const ControlSpec> Catalogue() { return kControls; }

const ControlSpec* FindControl(ControlId id) {
  auto it = std::find_if(std::begin(kControls), std::end(kControls),
                         [id](const ControlSpec& c) { return c.id == id; });
  return it == std::end(kControls) ? nullptr : &*it;
}

std::span<const RadioGroup> RadioGroups() { return kGroups; }

const RadioGroup* GroupOf(ControlId id) {
  for (const RadioGroup& g : kGroups) {
    if (std::find(g.members.begin(), g.members.end(), id) != g.members.end()) return &g;
  }
  return nullptr;
}

std::span<const ControlId> InitialChecks() { return kChecks; }
std::span<const StartSelection> FixedSelections() { return kFixedSelections; }
std::span<const ControlId> InitiallyDisabled() { return kDisabled; }
std::span<const UnitDefault> UnitDefaults() { return kUnitDefaults; }
std::span<const StartSelection> DataListSelections() { return kDataSelections; }

namespace {
void CreateOne(FormModel& ui, const ControlSpec& desc) {
  for (const auto& c : kColours) {
    if (c.id == desc.id) ui.SetColor(c.foreground, c.background);
  }
  ui.CreateControl(kMainForm, desc);
  for (const auto& c : kColours) {
    if (c.id == desc.id) ui.SetColor(-1, -1);
  }
}

// The checks and fixed selections a layer starts with, made right after its controls.
void InitialState(FormModel& ui, int layer) {
  for (const RadioGroup& g : kGroups) {
    const ControlSpec* desc = FindControl(g.checkedAtStart);
    if (desc->layer != layer) continue;
    for (ControlId member : g.members) ui.SetCheck(kMainForm, member, member == g.checkedAtStart);
  }
  for (ControlId id : kChecks) {
    if (FindControl(id)->layer == layer) ui.SetCheck(kMainForm, id, 1);
  }
  for (const StartSelection& s : kFixedSelections) {
    if (FindControl(s.id)->layer == layer) ui.SelectItem(kMainForm, s.id, s.inchIndex);
  }
}
}  // namespace

void BuildMainForm(FormModel& ui) {
  ui.SetColor(-1, -1);
  for (int layer : {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 0}) {
    if (layer == 0) ui.SetColor(-1, -1);
    ui.SetLayer(layer);
    if (layer == 1) {
      ui.DefineFont(kFontSlot, "Arial", 8, "V");
      ui.UseFont(kFontSlot);
    }
    for (const ControlSpec& desc : kControls) {
      if (desc.layer == layer) CreateOne(ui, desc);
    }
    InitialState(ui, layer);
  }
  ui.DisplayLayer(kMainForm, 1, 0);
  ui.SetFormIcon(kMainForm, "tbx.ico");
  for (ControlId id : kDisabled) ui.Disable(kMainForm, id);
}

}  // namespace tbx
