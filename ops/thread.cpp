#include "ops/thread.h"

#include <array>
#include <cmath>
#include <cstdint>
#include <string>

#include "app/app.h"
#include "ops/spindle.h"
#include "ops/thread_size.h"

namespace tbx {

namespace {

enum class CodeType { Ot, SixT, G32 };

struct AngleRadio {
  ControlId id;
  int degrees;
  const char* field;  // the two characters of the OT P word and the 6T A word
};
constexpr std::array<AngleRadio, 6> kToolAngles{{
    {id::kToolAngle0, 0, "00"},
    {id::kToolAngle29, 29, "29"},
    {id::kToolAngle30, 30, "30"},
    {id::kToolAngle55, 55, "55"},
    {id::kToolAngle60, 60, "60"},
    {id::kToolAngle80, 80, "80"},
}};

// The controls each code type leaves usable: Thread Passes only for the pass-by-pass form,
// the Chamfer Exit frame only for OT.
struct EnablingRow {
  ControlId id;
  bool ot, sixT, g32;
};
constexpr std::array<EnablingRow, 5> kCodeTypeEnabling{{
    {id::kThreadPassesLabel, false, false, true},
    {id::kThreadPasses, false, false, true},
    {id::kChamferFrame, true, false, false},
    {id::kChamfer45, true, false, false},
    {id::kChamferZero, true, false, false},
}};

void ApplyEnabling(App& app, CodeType type) {
  for (const EnablingRow& row : kCodeTypeEnabling) {
    const bool on = type == CodeType::Ot ? row.ot : type == CodeType::SixT ? row.sixT : row.g32;
    if (on) {
      app.Enable(row.id);
    } else {
      app.Disable(row.id);
    }
  }
}

constexpr double kShortMin = -32768;
constexpr double kShortMax = 32767;

bool FitsShort(double value) { return value >= kShortMin && value <= kShortMax; }

// A whole-number box: its single-precision value rounded down, not ok outside 16 bits.
struct WholeField {
  bool ok;
  int value;
};
WholeField ReadWhole(const App& app, ControlId id) {
  double v = std::floor(static_cast<double>(app.Single(id)));
  if (!FitsShort(v)) return {false, 0};
  return {true, static_cast<int>(v)};
}

float Radians(double degrees, double pi) { return ToSingle(degrees * pi / 180); }

CodeType ReadCodeType(const App& app) {
  if (app.Checked(id::kOtControl)) return CodeType::Ot;
  if (app.Checked(id::k6tControl)) return CodeType::SixT;
  if (app.Checked(id::kG32Code) || app.Checked(id::kG33Code)) return CodeType::G32;
  return CodeType::Ot;
}

AngleRadio ReadToolAngle(const App& app) {
  for (const AngleRadio& radio : kToolAngles) {
    if (app.Checked(radio.id)) return radio;
  }
  return kToolAngles[0];
}

// Everything the three forms share, read and derived once.
struct Thread {
  std::string comment;
  bool inside = false;
  bool metric = false;
  float majorDia = 0, pitch = 0, zStart = 0, zEnd = 0, xClearance = 0, dwellPasses = 0;
  float taperAngle = 0;
  bool pipe = false;
  bool chamfer45 = false;
  AngleRadio toolAngle{};
  int leads = 0;
  int maxSpm = 0;
  float spm = 0;
  // Geometry.
  float vHeight = 0, crest = 0, truncatedMajor = 0, depth = 0, minorDia = 0, height = 0;
  float lead = 0;
  float approachX = 0;
  // Further starts begin one pitch farther from the cut.
  float startSign = 1;
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
bool ReadThread(const App& app, Operation& op, Thread& t) {
  t.comment = app.Text(id::kThreadComment);
  t.inside = app.Checked(id::kThreadInside);
  t.metric = app.Metric();
  t.majorDia = app.Single(id::kThreadMajorDia);
  t.pitch = app.Single(id::kThreadPitch);
  t.zStart = app.Single(id::kThreadZStart);
  t.zEnd = app.Single(id::kThreadZEnd);
  t.xClearance = app.Single(id::kThreadXClearance);
  t.dwellPasses = app.Single(id::kDwellPasses);
  t.taperAngle = app.Single(id::kTaperAngle);
  t.pipe = app.Checked(id::kPipeThread);
  t.chamfer45 = app.Checked(id::kChamfer45);
  t.toolAngle = ReadToolAngle(app);
  t.spm = app.Single(id::kSpm);

  if (!(t.majorDia > 0)) {
    op.Refuse("Major Dia must be greater than 0");
    return false;
  }
  if (!std::isfinite(t.majorDia)) {
    op.Refuse("Major Dia is too large");
    return false;
  }
  if (t.pitch == 0) {
    op.Refuse("Pitch must not be 0");
    return false;
  }
  const double leads = std::floor(static_cast<double>(app.Single(id::kLeads)));
  if (!(leads >= 1)) {
    op.Refuse("Leads must be at least 1");
    return false;
  }
  if (leads > kShortMax) {
    op.Refuse("Leads must be at most 32767");
    return false;
  }
  t.leads = static_cast<int>(leads);
  const WholeField maxSpm = ReadWhole(app, id::kMaxSpm);
  if (!maxSpm.ok) {
    op.Refuse("Max SPM must be from -32768 to 32767");
    return false;
  }
  t.maxSpm = maxSpm.value;
  t.lead = static_cast<float>(t.leads) * t.pitch;

  const float cos30 = std::cos(Radians(30, app.pi));
  const float tan60 = std::tan(Radians(60, app.pi));
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

// The speed block's S value, or a refusal when the cap or the speed leaves what a spindle can
// be told.
bool CappedSpindleSpeed(const App& app, Operation& op, const Thread& t, double& speed) {
  // The surface speed at which the spindle turns Max SPM / lead revolutions a minute.
  const float perLead = 1.0f / t.lead;
  if (!std::isfinite(perLead)) {
    op.Refuse("Pitch must not be 0");
    return false;
  }
  const double cap = std::floor(app.pi * t.majorDia * perLead * t.maxSpm / 12);
  if (cap < 0) {
    op.Refuse(t.maxSpm < 0 ? "Max SPM must not be negative" : "Pitch must not be negative");
    return false;
  }
  if (!(cap <= kShortMax)) {
    op.Refuse("Max SPM must be lower: the speed cap it gives for this thread must be at most 32767");
    return false;
  }
  const int wholeCap = static_cast<int>(cap);
  float surface = t.spm;
  if (static_cast<float>(wholeCap) < surface) surface = static_cast<float>(wholeCap);
  if (surface < 0) {
    op.Refuse("SPM must not be negative");
    return false;
  }
  speed = SpindleSpeed(app, surface, t.majorDia);
  return true;
}

// Taper word value for the OT R and 6T I words, or false when the thread is straight.
bool CycleTaper(const App& app, const Thread& t, float startZ, float& taper) {
  const float length = t.inside ? startZ - t.zEnd : t.zEnd - startZ;
  if (t.pipe) {
    taper = 0.031135f * length;  // tan 1.78332 degrees
    return true;
  }
  if (t.taperAngle == 0) return false;
  taper = std::tan(Radians(t.taperAngle, app.pi)) * length;
  return true;
}

// The "mm rr aa" of the first OT G76 block: dwell passes, chamfer, tool angle.
bool OtPField(Operation& op, const Thread& t, std::string& field) {
  std::string dwell = WholeText(t.dwellPasses);
  if (!IsPlainNumber(dwell)) {
    op.Refuse("Dwell Passes must be from -9999999 to 9999999");
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
      op.Refuse("Pitch must be greater than 0 for a 45 Degrees chamfer exit");
      return false;
    }
    chamfer = "0" + WholeText(value);
    chamfer = chamfer.substr(chamfer.size() - 2);
  }
  field = dwell.substr(dwell.size() - 2) + chamfer + t.toolAngle.field;
  return true;
}

// Blocks one operation writes besides its own: tool change and the three return blocks.
constexpr std::int64_t kFrameBlocks = 4;

// Counted before any block is built, so that a huge count is refused at once.
bool CheckBlockCount(Operation& op, std::int64_t perStart, std::int64_t tail, const Thread& t,
                     const char* message) {
  const std::int64_t head = t.comment.empty() ? 1 : 2;
  const std::int64_t total = kFrameBlocks + head + perStart * t.leads + tail;
  if (total <= kMaxOperationBlocks) return true;
  op.Refuse(message);
  return false;
}

// The rapid to start k of a canned cycle (OT, 6T); returns its taper word, empty when straight.
std::string CycleStart(const App& app, Operation& op, const Thread& t, int k, char taperLetter) {
  const float startZ = t.zStart + t.startSign * (static_cast<float>(k - 1) * t.pitch);
  op.Block(" G0" + op.Word('Z', startZ, 4));
  op.Block(op.Word('X', t.approachX, 4));
  float taper = 0;
  return CycleTaper(app, t, startZ, taper) ? op.Word(taperLetter, taper, 4) : "";
}

void OtCycle(const App& app, Operation& op, const Thread& t) {
  if (!CheckBlockCount(op, 4, 0, t, "Leads must give at most 9999 blocks: an OT thread writes 4 blocks per lead")) {
    return;
  }
  std::string pField;
  if (!OtPField(op, t, pField)) return;
  const double heightWord = std::floor(t.height * (t.metric ? 1000.0f : 10000.0f));
  if (!FitsShort(heightWord)) {
    op.Refuse("Pitch must give a thread height word from -32768 to 32767");
    return;
  }
  const std::string firstCycle = " G76 P" + pField + (t.metric ? " Q100 R0.02" : " Q30 R10");
  const float diameter = t.inside ? t.majorDia : t.minorDia;
  for (int k = 1; k <= t.leads; ++k) {
    const std::string taper = CycleStart(app, op, t, k, 'R');
    op.Block(firstCycle);
    op.Block(" G76" + op.Word('X', diameter, t.metric ? 3 : 4) + op.Word('Z', t.zEnd, 4) +
             op.WholeWord('P', heightWord) + (t.metric ? " Q200" : " Q30") + taper +
             op.Word('F', t.lead, 5));
  }
}

void SixTCycle(const App& app, Operation& op, const Thread& t) {
  if (!CheckBlockCount(op, 3, 0, t, "Leads must give at most 9999 blocks: a 6T thread writes 3 blocks per lead")) {
    return;
  }
  const float diameter = t.inside ? t.majorDia : t.minorDia;
  for (int k = 1; k <= t.leads; ++k) {
    const std::string taper = CycleStart(app, op, t, k, 'I');
    op.Block(" G76" + op.Word('X', diameter, 4) + op.Word('Z', t.zEnd, 4) + op.Word('K', t.height, 4) +
             " D050" + taper + op.Word('F', t.lead, 6) + " A" + t.toolAngle.field);
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

void PassCycle(const App& app, Operation& op, const Thread& t) {
  const WholeField passesField = ReadWhole(app, id::kThreadPasses);
  if (!passesField.ok) {
    op.Refuse("Thread Passes must be from -32768 to 32767");
    return;
  }
  const int passes = passesField.value;
  const std::int64_t repeats = passes >= 1 ? DwellRepeats(t.dwellPasses) : 0;
  const std::int64_t passesPerStart = passes >= 1 ? passes + repeats : 0;
  if (!CheckBlockCount(op, 4 * passesPerStart, 1, t,
                       "Leads, Thread Passes and Dwell Passes must give at most 9999 blocks: "
                       "each pass of each lead writes 4")) {
    return;
  }

  // Inside threads are cut to a shallower depth from an untruncated major diameter.
  const float depth = t.inside ? t.vHeight * 0.56f : t.depth;
  const float minorDia = t.inside ? t.majorDia - 2 * depth : t.minorDia;
  const float retractX = t.inside ? minorDia - 2 * t.xClearance : t.majorDia + 2 * t.xClearance;
  const std::string threading = app.Checked(id::kG33Code) ? " G33" : " G32";
  const float infeed = passes >= 1 ? (1.0f / static_cast<float>(passes)) * (2 * depth) : 0;
  // With a tool angle the tool feeds in along one flank, half the angle off the radial.
  const float flankShift = std::tan(Radians(t.toolAngle.degrees / 2.0, app.pi)) * (infeed / 2);
  const float taperTan = std::tan(Radians(t.taperAngle, app.pi));

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

      op.Block(op.Rapid() + op.Word('Z', shift + t.zStart + offset, 4));
      op.Block(op.Word('X', infeedX, 4));
      op.Block(threading + (taperX != 0 ? op.Word('X', endX, 4) : "") +
               op.Word('Z', t.zEnd + shift, 4) + (j == 1 ? op.Word('F', t.lead, 6) : ""));
      op.RapidMode() = 0;
      op.Block(op.Rapid() + op.Word('X', retractX, 4));

      // The last pass is run again at full depth, once per dwell pass.
      if (j == passes && repeated < repeats) {
        ++repeated;
      } else {
        ++j;
      }
    }
  }
  op.Block(op.Rapid() + op.Word('Z', t.zStart, 4));
}

}  // namespace

void ThreadSizePicked(App& app) {
  FillFromThreadSize(app, id::kThreadSize, id::kThreadMajorDia, id::kThreadPitch);
}

void PipeThreadClicked(App& app) { app.SetText(id::kTaperAngle, "1.78332"); }

void OtControlClicked(App& app) { ApplyEnabling(app, CodeType::Ot); }

void SixTControlClicked(App& app) { ApplyEnabling(app, CodeType::SixT); }

void G32CodeClicked(App& app) { ApplyEnabling(app, CodeType::G32); }

void ThreadGenerator(App& app) {
  Operation op(app.program.rapidMode);
  Thread t;
  double speed = 0;
  if (ReadThread(app, op, t) && CappedSpindleSpeed(app, op, t, speed)) {
    op.Comment(t.comment);
    op.Block(" G97" + op.WholeWord('S', speed) + " M3");
    switch (ReadCodeType(app)) {
      case CodeType::Ot: OtCycle(app, op, t); break;
      case CodeType::SixT: SixTCycle(app, op, t); break;
      case CodeType::G32: PassCycle(app, op, t); break;
    }
  }
  WriteOperation(app, op);
}

}  // namespace tbx
