#include "ops/thread.h"

#include <array>
#include <cmath>
#include <cstdint>
#include <optional>
#include <string>

#include "ops/spindle.h"
#include "program/block_writer.h"
#include "program/numbers.h"

namespace tbx {

namespace {

constexpr double kShortMax = 32767;

float Radians(double degrees, double pi) { return ToSingle(degrees * pi / 180); }

// Everything the three forms share, read and derived once.
struct Thread {
  std::string comment;
  bool inside = false;
  bool metric = false;
  float majorDia = 0, pitch = 0, zStart = 0, zEnd = 0, xClearance = 0, dwellPasses = 0;
  float taperAngle = 0;
  bool pipe = false;
  bool chamfer45 = false;
  std::string toolAngleField;  // the two characters of the OT P word and the 6T A word
  int toolAngle = 0;
  int leads = 0;
  int maxSpm = 0;
  float spm = 0;
  // Geometry.
  float vHeight = 0, crest = 0, truncatedMajor = 0, depth = 0, minorDia = 0, height = 0;
  float lead = 0;
  float approachX = 0;
  // Further starts begin one pitch farther from the cut.
  float startSign = 1;

  // Inside threads cut pass by pass go to a shallower depth from an untruncated major
  // diameter.
  float PassDepth() const { return inside ? vHeight * 0.56f : depth; }
  float PassMinorDia() const { return inside ? majorDia - 2 * PassDepth() : minorDia; }
};

// A value as FormatNumber prints it with 0 places, without the point: the digits of the OT
// P fields.
std::string WholeText(float value) {
  std::string text = FormatValue(value, 0);
  if (!text.empty() && text.back() == '.') text.pop_back();
  return text;
}

// Reads the inputs the forms share and refuses what no lathe could run. The first reason found
// is the one shown.
bool ReadThread(const ThreadInputs& in, const OpContext& ctx, Operation& op, Thread& t) {
  t.comment = in.comment;
  t.inside = in.inside;
  t.metric = ctx.metric;
  t.majorDia = in.majorDia;
  t.pitch = in.pitch;
  t.zStart = in.zStart;
  t.zEnd = in.zEnd;
  t.xClearance = in.xClearance;
  t.dwellPasses = in.dwellPasses;
  t.taperAngle = in.taperAngle;
  t.pipe = in.pipe;
  t.chamfer45 = in.chamfer45;
  t.toolAngle = in.toolAngle;
  t.toolAngleField = (in.toolAngle < 10 ? "0" : "") + std::to_string(in.toolAngle);
  t.spm = ctx.surfaceSpeed;

  if (!(t.majorDia > 0)) {
    op.Refuse(key::kThreadMajorDia, "{} must be greater than 0");
    return false;
  }
  if (!std::isfinite(t.majorDia)) {
    op.Refuse(key::kThreadMajorDia, "{} is too large");
    return false;
  }
  if (t.pitch == 0) {
    op.Refuse(key::kThreadPitch, "{} must not be 0");
    return false;
  }
  if (t.zEnd == t.zStart) {
    op.Refuse(key::kThreadZEnd, "{} must differ from {thread.z_start}");
    return false;
  }
  if (!(in.leads >= 1)) {
    op.Refuse(key::kLeads, "{} must be at least 1");
    return false;
  }
  const std::optional<int> leads = WholeNumber16(in.leads, Rounding::Down);
  if (!leads) {
    op.Refuse(key::kLeads, "{} must be at most 32767");
    return false;
  }
  t.leads = *leads;
  const std::optional<int> maxSpm = WholeNumber16(in.maxSpm, Rounding::Down);
  if (!maxSpm) {
    op.Refuse(key::kMaxSpm, "{} must be from -32768 to 32767");
    return false;
  }
  t.maxSpm = *maxSpm;
  t.lead = static_cast<float>(t.leads) * t.pitch;

  const float cos30 = std::cos(Radians(30, ctx.pi));
  const float tan60 = std::tan(Radians(60, ctx.pi));
  t.vHeight = cos30 * t.pitch;
  t.crest = tan60 * (0.125f * t.pitch / 2);
  t.truncatedMajor = t.majorDia - t.crest;
  t.depth = t.vHeight * (t.metric ? 0.705f : 0.659f);
  t.minorDia = t.truncatedMajor - 2 * t.depth;
  t.height = (t.majorDia - t.minorDia) / 2;
  t.approachX = t.inside ? t.minorDia - 2 * t.xClearance : t.majorDia + 2 * t.xClearance;
  t.startSign = t.zEnd > t.zStart ? -1.0f : 1.0f;
  return true;
}

// The speed block's S value and the box that set it (Max SPM when its cap is the lower), or a
// refusal when the cap or the speed leaves what a spindle can be told.
bool CappedSpindleSpeed(const OpContext& ctx, Operation& op, const Thread& t, double& speed,
                        FieldKey& speedField) {
  // The surface speed at which the spindle turns Max SPM / lead revolutions a minute.
  const float perLead = 1.0f / t.lead;
  if (!std::isfinite(perLead)) {
    op.Refuse(key::kThreadPitch, "{} must not be 0");
    return false;
  }
  const double cap = std::floor(ctx.pi * t.majorDia * perLead * t.maxSpm / 12);
  if (cap < 0) {
    if (t.maxSpm < 0) {
      op.Refuse(key::kMaxSpm, "{} must not be negative");
    } else {
      op.Refuse(key::kThreadPitch, "{} must not be negative");
    }
    return false;
  }
  if (!(cap <= kShortMax)) {
    op.Refuse(key::kMaxSpm,
              "{} must be lower: the speed cap it gives for this thread must be at most 32767");
    return false;
  }
  const int wholeCap = static_cast<int>(cap);
  float surface = t.spm;
  speedField = key::kSpm;
  if (static_cast<float>(wholeCap) < surface) {
    surface = static_cast<float>(wholeCap);
    speedField = key::kMaxSpm;
  }
  if (surface < 0) {
    op.Refuse(key::kSpm, "{} must not be negative");
    return false;
  }
  speed = SpindleSpeed(ctx, surface, t.majorDia);
  return true;
}

// Taper word value for the OT R and 6T I words, or false when the thread is straight.
bool CycleTaper(const OpContext& ctx, const Thread& t, float startZ, float& taper) {
  const float length = t.inside ? startZ - t.zEnd : t.zEnd - startZ;
  if (t.pipe) {
    taper = 0.031135f * length;  // tan 1.78332 degrees
    return true;
  }
  if (t.taperAngle == 0) return false;
  taper = std::tan(Radians(t.taperAngle, ctx.pi)) * length;
  return true;
}

// The "mm rr aa" of the first OT G76 block: dwell passes, chamfer, tool angle.
bool OtPField(Operation& op, const Thread& t, std::string& field) {
  std::string dwell = WholeText(t.dwellPasses);
  if (!IsPlainNumber(dwell)) {
    op.Refuse(key::kDwellPasses, "{} must be from -9999999 to 9999999");
    return false;
  }
  // Negative passes mean no repeats, as in the G32/G33 form; "-1" is no two-digit count.
  if (TextToNumber(dwell) < 0) dwell = "0";
  dwell = "0" + dwell;
  std::string chamfer = "00";
  if (t.chamfer45) {
    // Kept in single precision step by step: pitch .02 must give 10, not 9.
    const float hundredths = 100.0f * t.pitch;
    const float fifths = 5.0f * hundredths;
    const float value = std::floor(std::fmin(99.0f, fifths));
    if (!(value >= 0)) {
      op.Refuse(key::kThreadPitch,
                "{} must be greater than 0 for a {thread.chamfer_exit.45_degrees} chamfer exit");
      return false;
    }
    chamfer = "0" + WholeText(value);
    chamfer = chamfer.substr(chamfer.size() - 2);
  }
  field = dwell.substr(dwell.size() - 2) + chamfer + t.toolAngleField;
  return true;
}

// Counted before any block is built, so that a huge count is refused at once.
bool CheckBlockCount(Operation& op, std::int64_t perStart, std::int64_t tail, const Thread& t,
                     const char* message) {
  const std::int64_t head = t.comment.empty() ? 1 : 2;
  const std::int64_t total = kFrameBlocks + head + perStart * t.leads + tail;
  if (total <= kMaxOperationBlocks) return true;
  op.Refuse(key::kLeads, message);
  return false;
}

// The rapid to start k of a canned cycle (OT, 6T), its G0 stated; returns its taper word,
// empty when straight.
std::string CycleStart(const OpContext& ctx, Operation& op, BlockWriter& path, const Thread& t,
                       int k, char taperLetter) {
  const float startZ = t.zStart + t.startSign * (static_cast<float>(k - 1) * t.pitch);
  path.StateCode();
  path.Rapid({.z = startZ});
  path.Rapid({.x = t.approachX});
  float taper = 0;
  return CycleTaper(ctx, t, startZ, taper) ? op.Axis(taperLetter, taper) : "";
}

// G76 is a one-shot: the return keeps the rapid rule as the operation found it.
void OtCycle(const OpContext& ctx, Operation& op, BlockWriter& path, const Thread& t) {
  if (!CheckBlockCount(op, 4, 0, t, "{} must give at most 9999 blocks: an OT thread writes 4 blocks per lead")) {
    return;
  }
  std::string pField;
  if (!OtPField(op, t, pField)) return;
  const double heightWord = std::floor(t.height * (t.metric ? 1000.0f : 10000.0f));
  if (!WholeNumber16(heightWord, Rounding::Down)) {
    op.Refuse(key::kThreadPitch, "{} must give a thread height word from -32768 to 32767");
    return;
  }
  const std::string firstCycle = " G76 P" + pField + (t.metric ? " Q100 R0.02" : " Q30 R10");
  const float diameter = t.inside ? t.majorDia : t.minorDia;
  for (int k = 1; k <= t.leads; ++k) {
    const std::string taper = CycleStart(ctx, op, path, t, k, 'R');
    path.Cycle(firstCycle);
    path.Cycle(" G76" + op.Word('X', t.metric ? WordClass::OtMetricDiameter : WordClass::Axis, diameter) +
             op.Axis('Z', t.zEnd) +
             op.WholeWord('P', heightWord) + (t.metric ? " Q200" : " Q30") + taper +
             op.Word('F', WordClass::OtLead, t.lead));
  }
}

void SixTCycle(const OpContext& ctx, Operation& op, BlockWriter& path, const Thread& t) {
  if (!CheckBlockCount(op, 3, 0, t, "{} must give at most 9999 blocks: a 6T thread writes 3 blocks per lead")) {
    return;
  }
  const float diameter = t.inside ? t.majorDia : t.minorDia;
  for (int k = 1; k <= t.leads; ++k) {
    const std::string taper = CycleStart(ctx, op, path, t, k, 'I');
    path.Cycle(" G76" + op.Axis('X', diameter) + op.Axis('Z', t.zEnd) + op.Axis('K', t.height) +
             " D050" + taper + op.Word('F', WordClass::Lead, t.lead) + " A" + t.toolAngleField);
  }
}

// Repeats of the last pass: the whole number the OT m field shows, none when negative.
std::int64_t DwellRepeats(float dwellPasses) {
  const std::string text = WholeText(dwellPasses);
  if (IsPlainNumber(text)) {
    const double value = TextToNumber(text);
    return value > 0 ? static_cast<std::int64_t>(value) : 0;
  }
  // Beyond plain digits: far more than any operation may hold, or far below 0.
  return dwellPasses > 0 ? static_cast<std::int64_t>(kMaxOperationBlocks) + 1 : 0;
}

void PassCycle(const OpContext& ctx, Operation& op, BlockWriter& path, const Thread& t,
               const ThreadInputs& in) {
  const std::optional<int> passesField = WholeNumber16(in.passes, Rounding::Down);
  if (!passesField) {
    op.Refuse(key::kThreadPasses, "{} must be from -32768 to 32767");
    return;
  }
  const int passes = *passesField;
  const std::int64_t repeats = passes >= 1 ? DwellRepeats(t.dwellPasses) : 0;
  const std::int64_t passesPerStart = passes >= 1 ? passes + repeats : 0;
  if (!CheckBlockCount(op, 4 * passesPerStart, 1, t,
                       "{}, {thread.thread_passes} and {thread.dwell_passes} must give at most "
                       "9999 blocks: "
                       "each pass of each lead writes 4")) {
    return;
  }

  const float depth = t.PassDepth();
  const float minorDia = t.PassMinorDia();
  const float retractX = t.inside ? minorDia - 2 * t.xClearance : t.majorDia + 2 * t.xClearance;
  const std::string threading = in.code == ThreadCode::G33 ? " G33" : " G32";
  const float infeed = passes >= 1 ? (1.0f / static_cast<float>(passes)) * (2 * depth) : 0;
  // With a tool angle the tool feeds in along one flank, half the angle off the radial.
  const float flankShift = std::tan(Radians(t.toolAngle / 2.0, ctx.pi)) * (infeed / 2);
  const float taperTan = std::tan(Radians(t.taperAngle, ctx.pi));

  for (int k = 1; k <= t.leads; ++k) {
    std::int64_t repeated = 0;
    int j = 1;
    while (j <= passes) {
      const float shift = t.startSign * (flankShift * static_cast<float>(std::abs(j - passes)));
      const float offset = t.startSign * (static_cast<float>(k - 1) * t.pitch);
      const float cut = static_cast<float>(j) * infeed;
      const float taperX =
          2 * taperTan * (std::fabs(shift) + std::fabs(t.zStart - t.zEnd) + std::fabs(offset));
      const float endX = t.inside ? cut + minorDia : t.truncatedMajor - cut;
      const float infeedX = t.inside ? taperX + endX : endX - taperX;

      path.Rapid({.z = shift + t.zStart + offset});
      path.Rapid({.x = infeedX});
      // The first pass of each start states its lead, and so does each repeat of it.
      if (j == 1) path.StateFeed();
      path.Thread({taperX != 0 ? std::optional<double>(endX) : std::nullopt, t.zEnd + shift},
                  t.lead, WordClass::Lead, threading);
      path.Rapid({.x = retractX});

      // The last pass is run again at full depth, once per dwell pass.
      if (j == passes && repeated < repeats) {
        ++repeated;
      } else {
        ++j;
      }
    }
  }
  path.Rapid({.z = t.zStart});
  path.Finish();
}

// Refusals of what the thread would run into, checked once the blocks are built so that the
// refusals before keep their words.
void RequireSafeThread(Operation& op, const Thread& t, const ThreadInputs& in, double speed,
                       FieldKey speedField) {
  Require(op, t.xClearance >= 0, key::kThreadXClearance, "{} must be 0 or more");
  Require(op, t.pitch > 0, key::kThreadPitch, "{} must not be negative");
  const bool passForm = in.code == ThreadCode::G32 || in.code == ThreadCode::G33;
  Require(op, (passForm ? t.PassMinorDia() : t.minorDia) > 0, key::kThreadPitch,
          "{} is too large: the root of the thread would lie on or past the centre");
  RequireTurning(op, speed, speedField);
}

}  // namespace

Operation ThreadOperation(const ThreadInputs& in, const OpContext& ctx) {
  Operation op(ctx.rapidMode);
  Thread t;
  double speed = 0;
  FieldKey speedField;
  if (!ReadThread(in, ctx, op, t) || !CappedSpindleSpeed(ctx, op, t, speed, speedField)) return op;
  op.Comment(key::kThreadComment, t.comment);
  op.Block(" G97" + op.WholeWord('S', speed) + " M3");
  BlockWriter path(op);
  switch (in.code) {
    case ThreadCode::Ot: OtCycle(ctx, op, path, t); break;
    case ThreadCode::SixT: SixTCycle(ctx, op, path, t); break;
    case ThreadCode::G32:
    case ThreadCode::G33: PassCycle(ctx, op, path, t, in); break;
  }
  RequireSafeThread(op, t, in, speed, speedField);
  return op;
}

}  // namespace tbx
