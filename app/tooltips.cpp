#include "app/tooltips.h"

#include <algorithm>
#include <cctype>

#include "app/catalogue.h"
#include "app/controls.h"
#include "program/numbers.h"

namespace tbx {

namespace {

using namespace id;
using U = UnitKind;

constexpr FieldHelp kHelp[] = {
    // Material
    {kMaterialList, "Material", "the material being cut; sets the surface speed (SPM)", U::None},
    // Thread
    {kThreadComment, "Comment", "text of the comment block written before the thread", U::None},
    {kThreadSize, "Thread size", "a thread of the data file; fills Major Dia and Pitch", U::None},
    {kThreadMajorDia, "Major Dia", "outside diameter of the thread", U::Length},
    {kThreadPitch, "Pitch", "distance from one thread to the next along Z", U::Length},
    {kThreadZStart, "Z Start", "Z where the thread starts, from the part zero", U::Length},
    {kThreadZEnd, "Z End", "Z where the thread ends, from the part zero", U::Length},
    {kThreadXClearance, "X Clearance", "distance of the tool from the thread between passes, on the radius", U::Length},
    {kDwellPasses, "Dwell Passes", "spring passes repeated at the final depth", U::None},
    {kLeads, "Leads", "number of starts of the thread (whole number)", U::None},
    {kMaxSpm, "Max SPM", "caps the spindle at Max SPM / lead revolutions per minute (whole number)", U::None},
    {kThreadPasses, "Thread Passes", "number of cutting passes to full depth (whole number)", U::None},
    {kTaperAngle, "Taper Angle", "angle of a tapered thread to the Z axis", U::Degrees},
    // C'Sink/Drill
    {kCSinkComment, "Comment", "text of the comment block written before the drilling", U::None},
    {kCSinkDrillSize, "Drill size", "a drill of the data file; fills Drill Diameter", U::None},
    {kCSinkDrillDia, "Drill Diameter", "diameter of the drill", U::Length},
    {kCSinkDia, "C'Sink Dia.", "diameter of the countersink at the face", U::Length},
    {kCSinkZStart, "Z Start", "Z of the face, from the part zero", U::Length},
    {kCSinkClearance, "Clearance", "distance in front of the face where feeding starts", U::Length},
    {kCSinkDwell, "Dwell Seconds", "pause at the bottom of the hole", U::Seconds},
    {kCSinkFeed, "Feedrate", "feed per spindle revolution", U::Feed},
    {kPilotDia, "Pilot Dia", "pilot diameter of the chosen centre drill", U::Length},
    // Deep Drill
    {kDeepComment, "Comment", "text of the comment block written before the drilling", U::None},
    {kDeepDrillSize, "Drill size", "a drill of the data file; fills Drill Diameter", U::None},
    {kDeepDrillDia, "Drill Diameter", "diameter of the drill", U::Length},
    {kDeepStart, "Start", "Z of the face, from the part zero", U::Length},
    {kDeepDepth, "Depth", "Z of the bottom of the hole, from the part zero", U::Length},
    {kDeepZClearance, "Z ABS Clearance", "absolute Z the drill rapids to before and after the hole", U::Length},
    {kRapidClearance, "Rapid Clearance", "distance short of the last peck the drill rapids back to", U::Length},
    {kPeckMax, "Peck Value (Max)", "depth of the first (largest) peck", U::Length},
    {kPeckMin, "Peck Value (Min)", "depth of the smallest peck", U::Length},
    {kPercentPeck, "Percent Peck", "each peck as a share of the one before", U::Percent},
    {kDeepDwell, "Dwell Seconds", "pause at the bottom of the hole", U::Seconds},
    {kDeepFeed, "Feedrate", "feed per spindle revolution", U::Feed},
    // Ream
    {kReamComment, "Comment", "text of the comment block written before the reaming", U::None},
    {kReamerDia, "Reamer Diameter", "diameter of the reamer", U::Length},
    {kReamZStart, "Z Start", "Z where feeding starts, from the part zero", U::Length},
    {kReamDepth, "Z Hole Depth", "Z of the bottom of the reamed hole, from the part zero", U::Length},
    {kReamRapidClearance, "Rapid Clearance", "distance in front of Z Start the reamer rapids to", U::Length},
    {kReamFeed, "Feedrate", "feed per spindle revolution", U::Feed},
    // Tap
    {kTapComment, "Comment", "text of the comment block written before the tapping", U::None},
    {kTapSize, "Tap size", "a thread of the data file; fills Major Diameter and Pitch", U::None},
    {kTapMajorDia, "Major Diameter", "outside diameter of the tap", U::Length},
    {kTapPitch, "Pitch", "distance from one thread to the next along Z", U::Length},
    {kTapZStart, "Z Start", "Z of the face, from the part zero", U::Length},
    {kTapDepth, "Tap Depth", "Z of the end of the thread, from the part zero", U::Length},
    {kTapClearance, "Clearance", "distance in front of the face where the tap starts", U::Length},
    // Groove
    {kGrooveComment, "Comment", "text of the comment block written before the groove", U::None},
    {kGrooveMajorDia, "Major Dia", "diameter the groove is cut from", U::Length},
    {kGrooveMinorDia, "Minor Dia", "diameter at the bottom of the groove", U::Length},
    {kGrooveZStart, "Z Start", "Z of the groove's right wall, from the part zero", U::Length},
    {kXIncClr, "X INC Clr", "distance from Major Dia the tool retracts to, on the radius", U::Length},
    {kGrooveWidth, "Groove Width", "width of the groove along Z", U::Length},
    {kToolWidth, "Tool Width", "width of the grooving tool", U::Length},
    {kPercentStep, "% Step", "step between plunges as a share of Tool Width", U::Percent},
    {kGrooveFeed, "Feedrate", "feed per spindle revolution", U::Feed},
    {kXBottomStock, "X Bottom Stock", "stock left on the bottom for the finish pass, on the radius", U::Length},
    {kZWallStock, "Z Wall Stock", "stock left on each wall for the finish pass", U::Length},
    {kZAbsClr, "Z ABS Clr", "absolute Z the tool goes to between the roughing and finish of an inside groove", U::Length},
    {kLeftSize, "Left Size", "size of the chamfer on the left wall", U::Length},
    {kRightSize, "Right Size", "size of the chamfer on the right wall", U::Length},
    // Drill + Tap Data
    {kDataTapSize, "Tap Size", "a thread of the data file; fills Tap Dia and Pitch", U::None},
    {kPercentThread, "Percent of Thread", "depth of thread the drilled hole leaves for the tap", U::Percent},
    {kTapDia, "Tap Dia", "outside diameter of the tap", U::Length},
    {kDataPitch, "Pitch", "distance from one thread to the next", U::Length},
    {kDataDrillList, "Drills", "the drills of the data file, to compare with the tap drill", U::None},
    // Settings
    {kXToolChange, "X Axis Tool Change", "X (diameter) every operation returns to for the tool change", U::Length},
    {kZToolChange, "Z Axis Tool Change", "Z every operation returns to for the tool change, from the part zero", U::Length},
    {kRapidX, "Rapid X mm/min", "rapid rate of the X axis, radius travel; for the run time", U::MmPerMin},
    {kRapidZ, "Rapid Z mm/min", "rapid rate of the Z axis; for the run time", U::MmPerMin},
    {kMaxZFeed, "Max Z Feed mm/min", "fastest feed the Z axis follows; a faster thread is warned about", U::MmPerMin},
    {kMachineMaxRpm, "Max RPM", "spindle limit under G96 when the program sets no G50 S", U::Rpm},
    {kToolChangeTime, "Tool Change Time", "time of one tool change, for the run time", U::Seconds},
    {kG76MinCut, "G76 Min Cut", "smallest depth of cut of a one-block G76 pass, on the radius", U::Length},
    {kG76Finish, "G76 Finish Allowance", "depth a one-block G76 leaves for its finishing pass, on the radius", U::Length},
    {kG76FinishPasses, "G76 Finish Passes", "passes a one-block G76 makes at full depth (whole number)", U::None},
    {kG76Chamfer, "G76 Chamfer Leads", "pull-out of a one-block G76 in leads (0 for none)", U::None},
    {kG83Clearance, "G83 Clearance", "how far above the last peck a G83 drill comes back down at rapid", U::Length},
    // Face
    {kFaceComment, "Comment", "text of the comment block written before the facing", U::None},
    {kFaceStockDia, "Stock Dia", "outside diameter of the stock being faced", U::Length},
    {kFaceEndDia, "End Dia", "diameter the facing passes stop at: 0 for a solid face, or a bore", U::Length},
    {kFaceZStart, "Z Start", "Z of the stock's face before facing, from the part zero", U::Length},
    {kFaceZFinal, "Z Final", "Z of the finished face, from the part zero", U::Length},
    {kFaceDepthOfCut, "Depth of Cut", "most material one rough pass takes along Z", U::Length},
    {kFaceFinishAllowance, "Finish Allowance", "material the rough passes leave for the finish pass, along Z", U::Length},
    {kFaceRoughFeed, "Rough Feed", "feed per spindle revolution of the rough passes", U::Feed},
    {kFaceFinishFeed, "Finish Feed", "feed per spindle revolution of the finish pass", U::Feed},
    {kFaceXClearance, "X Clearance", "distance outside Stock Dia where each pass starts, on the radius", U::Length},
    {kFaceZClearance, "Z Clearance", "distance the tool backs off the face before rapiding out", U::Length},
    {kFaceMaxRpm, "Max RPM", "spindle speed limit under constant surface speed (G50), rev/min", U::None},
    // Turn
    {kTurnComment, "Comment", "text of the comment block written before the turning", U::None},
    {kTurnStartDia, "Start Dia", "diameter of the stock (outside) or of the bore (inside)", U::Length},
    {kTurnFinalDia, "Final Dia", "finished diameter", U::Length},
    {kTurnZStart, "Z Start", "Z of the part's end where turning starts, from the part zero", U::Length},
    {kTurnZEnd, "Z End", "Z of the shoulder, from the part zero", U::Length},
    {kTurnDepthOfCut, "Depth of Cut", "most material one rough pass takes, on the radius", U::Length},
    {kTurnFinishAllowanceX, "Finish Allowance X", "material left on the diameter for the finish pass, on the radius", U::Length},
    {kTurnFinishAllowanceZ, "Finish Allowance Z", "material left on the shoulder for the finish pass", U::Length},
    {kTurnRoughFeed, "Rough Feed", "feed per spindle revolution of the rough passes", U::Feed},
    {kTurnFinishFeed, "Finish Feed", "feed per spindle revolution of the finish pass", U::Feed},
    {kTurnChamfer, "Chamfer", "length of the 45 degree chamfer at the edge at Z Start (0 for none)", U::Length},
    {kTurnClearance, "Clearance", "distance off the material where passes start and end", U::Length},
    {kTurnMaxRpm, "Max RPM", "spindle speed limit under constant surface speed (G50), rev/min", U::None},
    // Part-off
    {kPartComment, "Comment", "text of the comment block written before the part-off", U::None},
    {kPartStockDia, "Stock Dia", "outside diameter of the stock being parted", U::Length},
    {kPartEndDia, "End Dia", "diameter the blade feeds to: 0, or a tube's bore", U::Length},
    {kPartZPosition, "Z Position", "Z of the finished part's back face (the blade's part-side edge)", U::Length},
    {kPartToolWidth, "Tool Width", "width of the parting blade", U::Length},
    {kPartPeck, "Peck", "depth on the radius between retracts (0 for none)", U::Length},
    {kPartFeed, "Feed", "feed per spindle revolution of the plunge", U::Feed},
    {kPartReducedFeedDia, "Reduced Feed Dia", "diameter below which the blade feeds at Reduced Feed", U::Length},
    {kPartReducedFeed, "Reduced Feed", "feed per spindle revolution near the centre", U::Feed},
    {kPartChamfer, "Chamfer", "length of the 45 degree chamfer broken on the part's edge first (0 for none)", U::Length},
    {kPartClearance, "Clearance", "distance outside Stock Dia where the blade starts, on the radius", U::Length},
    {kPartMaxRpm, "Max RPM", "spindle speed limit under constant surface speed (G50), rev/min", U::None},
    // Always visible
    {kTool, "Tool", "turret station of the tool, written in the tool-change block", U::None},
    {kOffset, "Offset", "tool offset number, written after the station", U::None},
    {kSpm, "SPM", "surface speed; the spindle speed follows from it and the diameter", U::SurfaceSpeed},
    {kOutput, "Program", "the program; it may be edited here", U::None},
};

}  // namespace

std::span<const FieldHelp> FieldHelps() { return kHelp; }

const FieldHelp* FindFieldHelp(ControlId id) {
  auto it = std::find_if(std::begin(kHelp), std::end(kHelp),
                         [id](const FieldHelp& h) { return h.id == id; });
  return it == std::end(kHelp) ? nullptr : &*it;
}

std::string_view UnitText(UnitKind unit, bool metric) {
  switch (unit) {
    case UnitKind::Length: return metric ? "mm" : "in";
    case UnitKind::Feed: return metric ? "mm/rev" : "in/rev";
    case UnitKind::SurfaceSpeed: return metric ? "m/min" : "ft/min";
    case UnitKind::Seconds: return "s";
    case UnitKind::Percent: return "%";
    case UnitKind::Degrees: return "degrees";
    case UnitKind::MmPerMin: return "mm/min";
    case UnitKind::Rpm: return "rev/min";
    case UnitKind::None: break;
  }
  return "";
}

std::string Tooltip(ControlId id, bool metric) {
  const FieldHelp* help = FindFieldHelp(id);
  if (!help) return "";
  std::string text = std::string(help->name) + ": " + std::string(help->what);
  if (std::string_view unit = UnitText(help->unit, metric); !unit.empty())
    text += " (" + std::string(unit) + ")";
  return text;
}

std::string ReadingNote(ControlId id, std::string_view typed, std::string_view shown) {
  const bool number = IsNumberSyntax(typed);
  const bool finite = IsPlainNumber(shown);
  if (number && finite) return "";
  const FieldHelp* help = FindFieldHelp(id);
  std::string value(shown);
  if (finite && value.size() > 1 && value.back() == '.') value.pop_back();
  if (value == ".") value = "0";
  const std::string name = help ? std::string(help->name) : "Field " + std::to_string(id);
  const char* what = number ? "is beyond single precision" : "is not a number";
  return name + ": \"" + std::string(typed) + "\" " + what + " and reads as " + value;
}

namespace {
// Operation short names by catalogue layer.
constexpr std::string_view kLayerKeys[] = {"shared", "material", "thread", "csink_drill",
                                           "deep_drill", "ream", "tap", "groove", "tap_data",
                                           "settings", "face", "turn", "part_off"};

std::string KeyOf(std::string_view prefix, std::string_view caption) {
  std::string key(prefix);
  key += '.';
  bool gap = false;
  for (char c : caption) {
    const bool word = std::isalnum(static_cast<unsigned char>(c));
    if (!word) {
      gap = true;
      continue;
    }
    if (gap && key.back() != '.') key += '_';
    gap = false;
    key += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  }
  return key;
}

std::string KeyOf(const ControlSpec& c, std::string_view caption) {
  if (c.kind == ControlKind::Radio) {
    // A choice is named under the frame it stands in.
    for (const ControlSpec& f : Catalogue()) {
      if (f.kind == ControlKind::Frame && f.layer == c.layer && c.column >= f.column &&
          c.column < f.column + f.width && c.row >= f.row && c.row < f.row + f.height)
        return KeyOf(KeyOf(kLayerKeys[f.layer], f.text), caption);
    }
  }
  return KeyOf(kLayerKeys[c.layer], caption);
}
}  // namespace

std::string CaptionOfKey(std::string_view key) {
  for (const ControlSpec& c : Catalogue()) {
    const bool captioned = c.kind == ControlKind::Label || c.kind == ControlKind::Frame ||
                           c.kind == ControlKind::CheckBox || c.kind == ControlKind::Radio;
    if (captioned && KeyOf(c, c.text) == key) return std::string(c.text);
  }
  for (const FieldHelp& h : kHelp) {
    const ControlSpec* c = FindControl(h.id);
    if (c && KeyOf(*c, h.name) == key) return std::string(h.name);
  }
  return std::string(key);
}

ControlId FieldNamedIn(std::string_view message, int layer) {
  ControlId best = 0;
  std::size_t bestLength = 0;
  int bestRank = 3;
  for (const FieldHelp& h : kHelp) {
    if (message.substr(0, h.name.size()) != h.name) continue;
    if (message.size() > h.name.size() && message[h.name.size()] != ' ') continue;
    // A field of the tab shown first, then one always visible, then any other.
    const ControlSpec* field = FindControl(h.id);
    const int rank = !field ? 2 : field->layer == layer ? 0 : field->layer == 0 ? 1 : 2;
    if (rank < bestRank || (rank == bestRank && h.name.size() > bestLength)) {
      best = h.id;
      bestLength = h.name.size();
      bestRank = rank;
    }
  }
  return best;
}

}  // namespace tbx
