#include "app/job.h"

#include <algorithm>
#include <cmath>
#include <functional>

#include "app/app.h"
#include "app/catalogue.h"
#include "app/program_box.h"

namespace tbx {

std::vector<ControlId> SharedControls() {
  return {id::kTool,    id::kOffset,      id::kCarbide,     id::kHss,          id::kCoolant,
          id::kSpm,     id::kMaterialList, id::kMetric,     id::kXToolChange, id::kZToolChange};
}

namespace {

void AddValues(const App& app, const Field& field, std::vector<FieldValue>& values) {
  switch (field.kind) {
    case FieldKind::Number:
    case FieldKind::Text:
    case FieldKind::List:
    case FieldKind::ListBox:
      values.push_back({field.id, app.Text(field.id)});
      break;
    case FieldKind::Check:
    case FieldKind::Toggle:
      values.push_back({field.id, {}, app.Checked(field.id)});
      break;
    case FieldKind::Options:
      for (const Choice& c : field.choices)
        if (!c.heading) values.push_back({c.id, {}, app.Checked(c.id)});
      break;
    default:
      break;
  }
}

bool LineEnded(std::string_view text) {
  return text.empty() || text.back() == '\n' || text.back() == '\r';
}

// Block number and RapidMode after `step`, whose text stands as it is.
void Advance(ProgramState& state, const JobStep& step) {
  if (!step.IsText()) {
    state.blockNumber += 10 * static_cast<std::int64_t>(step.blocks);
    state.rapidMode = 1;  // every operation ends with its return at rapid
  }
  state.blockNumber = std::max(state.blockNumber, step.next);
}

}  // namespace

void EachKeptField(const Operations& ops, const OperationDescriptor& op,
                   const std::function<void(const OperationDescriptor&, const Field&)>& visit) {
  for (const Field& field : op.fields)
    if (Kept(field)) visit(op, field);
  const Field* last = nullptr;
  for (ControlId id : SharedControls()) {
    const FieldRef ref = FindField(ops, id);
    // Carbide and HSS are one group, read once; a tab's own field is not read twice.
    if (!ref || ref.field == last || ref.op == &op) continue;
    visit(*ref.op, *ref.field);
    last = ref.field;
  }
}

bool Kept(const Field& field) {
  switch (field.kind) {
    case FieldKind::Number:
    case FieldKind::Text:
    case FieldKind::List:
    case FieldKind::ListBox:
    case FieldKind::Check:
    case FieldKind::Toggle:
    case FieldKind::Options:
      return true;
    default:
      return false;
  }
}

std::vector<FieldValue> ValuesOf(const App& app, const OperationDescriptor& op) {
  std::vector<FieldValue> values;
  // A tab's boxes and buttons and the shared controls: one allocation, not one per doubling.
  values.reserve(op.fields.size() * 2 + 2 * SharedControls().size());
  EachKeptField(app.operations, op, [&](const OperationDescriptor&, const Field& field) {
    AddValues(app, field, values);
  });
  return values;
}

const FieldValue* FindValue(const std::vector<FieldValue>& values, ControlId id) {
  for (const FieldValue& v : values)
    if (v.id == id) return &v;
  return nullptr;
}

const FieldValue* StepSource::Find(ControlId id) const { return FindValue(values_, id); }

std::string StepSource::Text(ControlId id) const {
  const FieldValue* v = Find(id);
  return v ? v->text : std::string();
}

bool StepSource::Checked(ControlId id) const {
  const FieldValue* v = Find(id);
  return v && v->checked;
}

JobStep TextStep(std::string text, std::int64_t next) {
  JobStep step;
  step.text = std::move(text);
  step.next = next;
  return step;
}

std::string JobText(const Job& job) {
  std::size_t size = 0;
  for (const JobStep& s : job.steps) size += s.text.size();
  std::string text;
  text.reserve(size);
  for (const JobStep& s : job.steps) text += s.text;
  return text;
}

ProgramState StateAfter(const Job& job, std::size_t count) {
  ProgramState state;
  for (std::size_t i = 0; i < count && i < job.steps.size(); ++i) Advance(state, job.steps[i]);
  return state;
}

std::vector<StepLines> LinesOfSteps(const Job& job) {
  std::vector<StepLines> spans;
  spans.reserve(job.steps.size());
  int line = 1;
  for (const JobStep& step : job.steps) {
    const std::string_view text = step.text;
    int lines = static_cast<int>(std::count(text.begin(), text.end(), '\n'));
    if (!text.empty() && text.back() != '\n') ++lines;
    const int first = line + (!step.IsText() && text.substr(0, 2) == "\r\n");
    spans.push_back({first, line + lines - (lines > 0)});
    line += lines;
  }
  return spans;
}

std::optional<std::string> StepComment(const JobStep& step) {
  if (step.IsText()) return std::nullopt;
  for (const Field& f : step.op->fields)
    if (f.kind == FieldKind::Text && f.caption == "Comment") return StepSource(step.values).Text(f.id);
  return std::nullopt;
}

std::size_t InsertStep(Job& job, std::size_t at, JobStep step) {
  std::size_t begin = 0, i = 0;
  for (; i < job.steps.size(); ++i) {
    const std::size_t end = begin + job.steps[i].text.size();
    if (at <= begin) break;
    if (at < end) {
      // Split: the head keeps the step's facts, the tail is text.
      JobStep& head = job.steps[i];
      JobStep tail = TextStep(head.text.substr(at - begin));
      head.text.resize(at - begin);
      head.edited = !head.IsText();
      job.steps.insert(job.steps.begin() + static_cast<std::ptrdiff_t>(i) + 1, std::move(tail));
      ++i;
      break;
    }
    begin = end;
  }
  job.steps.insert(job.steps.begin() + static_cast<std::ptrdiff_t>(i), std::move(step));
  return i;
}

void ReconcileJob(Job& job, std::string_view box) {
  const std::string old = JobText(job);
  std::size_t prefix = 0;
  const std::size_t shorter = std::min(old.size(), box.size());
  while (prefix < shorter && old[prefix] == box[prefix]) ++prefix;
  if (prefix == old.size() && prefix == box.size()) return;
  std::size_t suffix = 0;
  while (suffix < shorter - prefix && old[old.size() - 1 - suffix] == box[box.size() - 1 - suffix])
    ++suffix;
  std::size_t a = prefix, b = old.size() - suffix;  // the old text's changed range
  std::string typed(box.substr(prefix, box.size() - suffix - prefix));
  // Text put in or taken out can stand wherever it repeats what lies before it: "N5 M1\r\n"
  // typed before "N420" also reads as "5 M1\r\nN" after its N. Where a step boundary lies in
  // that range the change is placed there, so that a line typed or deleted between steps is not
  // taken for an edit inside the next one.
  if (a == b || typed.empty()) {
    auto boundary = [&](std::size_t at) {
      std::size_t begin = 0;
      for (const JobStep& s : job.steps) {
        if (begin >= at) break;
        begin += s.text.size();
      }
      return begin == at;
    };
    std::size_t x = a, y = b;
    std::string t = typed;
    while (x > 0 && !boundary(x) && (a == b ? t.back() == old[x - 1] : old[y - 1] == old[x - 1])) {
      if (a == b) t = old[x - 1] + t.substr(0, t.size() - 1);
      --x;
      y = a == b ? x : y - 1;
    }
    if (boundary(x)) a = x, b = y, typed = std::move(t);
  }

  // Steps [first, last] are those the change touches; an insertion at a boundary touches none.
  std::vector<std::size_t> begins;
  std::size_t at = 0;
  for (const JobStep& s : job.steps) {
    begins.push_back(at);
    at += s.text.size();
  }
  auto endOf = [&](std::size_t i) { return begins[i] + job.steps[i].text.size(); };
  std::size_t first = job.steps.size(), last = 0;
  for (std::size_t i = 0; i < job.steps.size(); ++i) {
    const bool touched = a == b ? begins[i] < a && a < endOf(i) : begins[i] < b && a < endOf(i);
    if (!touched) continue;
    first = std::min(first, i);
    last = i;
  }
  const auto index = [](std::size_t i) { return static_cast<std::ptrdiff_t>(i); };

  if (first == job.steps.size()) {
    // Typed at a boundary between steps (or into an empty job): text, joined to a text step
    // beside it.
    std::size_t i = 0;
    while (i < job.steps.size() && begins[i] < a) ++i;
    if (i > 0 && job.steps[i - 1].IsText()) {
      job.steps[i - 1].text += typed;
    } else if (i < job.steps.size() && job.steps[i].IsText()) {
      job.steps[i].text.insert(0, typed);
    } else {
      job.steps.insert(job.steps.begin() + index(i), TextStep(typed));
    }
    return;
  }
  std::string text = job.steps[first].text.substr(0, a - begins[first]) + typed +
                     job.steps[last].text.substr(b - begins[last]);
  const bool whole = a == begins[first] && b == endOf(first);
  if (first == last && !job.steps[first].IsText() && !whole) {
    // Inside one operation step: kept, edited by hand.
    JobStep& step = job.steps[first];
    step.edited = true;
    step.text = std::move(text);
    return;
  }
  // In a text step, or across steps: one text step holding what the user left there.
  // Numbering goes on after it as it did after the steps it took in.
  std::int64_t next = 0;
  for (std::size_t i = first; i <= last; ++i)
    if (!job.steps[i].IsText()) next = StateAfter(job, last + 1).blockNumber;
  for (std::size_t i = first; i <= last; ++i) next = std::max(next, job.steps[i].next);
  job.steps.erase(job.steps.begin() + index(first), job.steps.begin() + index(last) + 1);
  if (!text.empty()) job.steps.insert(job.steps.begin() + index(first), TextStep(std::move(text), next));
}

Rebuilt RebuildJob(const Operations& ops, Job& job, const ToolLibrary* tools, std::size_t from) {
  Rebuilt result;
  std::vector<std::string> texts(job.steps.size());
  std::vector<int> blocks(job.steps.size());
  // The state each step found when its text was made; a step after `from` that finds the same
  // again writes the same, and so does every step after it.
  std::vector<ProgramState> found;
  if (from > 0) {
    ProgramState state;
    for (const JobStep& step : job.steps) {
      found.push_back(state);
      Advance(state, step);
    }
  }
  std::size_t kept = job.steps.size();  // the steps from here on keep their texts
  for (std::size_t i = 0; i < job.steps.size(); ++i) {
    const JobStep& step = job.steps[i];
    blocks[i] = step.blocks;
    const bool same = i < from || (from > 0 && i > from && found[i].blockNumber == result.state.blockNumber &&
                                   found[i].rapidMode == result.state.rapidMode && LineEnded(result.text));
    if (i > from && same && kept == job.steps.size()) kept = i;
    if (step.Verbatim() || same) {
      Advance(result.state, step);
      result.text += step.text;
      continue;
    }
    const StepSource source(step.values);
    TabReader reader(ops, *step.op, source, result.state.rapidMode, tools, result.state.blockNumber);
    const OpContext ctx = reader.Context();
    const Operation op = step.op->generate(reader, ctx);
    if (Refusal refusal = WriteRefusal(op, ctx.toolChange); !refusal.empty()) {
      result.refusal = std::move(refusal);
      result.step = i;
      return result;
    }
    std::string& text = texts[i];
    // As an OK after text typed without a line end: the operation starts a line of its own.
    if (!LineEnded(result.text)) text = result.state.newLine;
    AppendOperation(text, result.state, ctx.toolChange, op);
    blocks[i] = static_cast<int>(op.Blocks().size()) + kFrameBlocks;
    result.text += text;
  }
  for (std::size_t i = from; i < job.steps.size() && i < kept; ++i) {
    if (job.steps[i].Verbatim()) continue;
    job.steps[i].text = std::move(texts[i]);
    job.steps[i].blocks = blocks[i];
  }
  return result;
}

namespace {
std::uint64_t BoxRevision(const App& app) { return app.ui.Revision(kMainForm, id::kOutput); }
}  // namespace

void SyncJob(App& app) {
  if (BoxRevision(app) == app.job.revision) return;
  ReconcileJob(app.job, app.Text(id::kOutput));
  app.job.revision = BoxRevision(app);
}

bool RebuildProgram(App& app, std::vector<JobStep> before, std::size_t from = 0) {
  Rebuilt rebuilt = RebuildJob(app.operations, app.job, &app.tools, from);
  if (!rebuilt.refusal.empty()) {
    app.job.steps = std::move(before);
    rebuilt.refusal.text = "Step " + std::to_string(rebuilt.step + 1) + ": " + rebuilt.refusal.text;
    app.Refuse(rebuilt.refusal);
    return false;
  }
  // Undo gives back the box and the steps as they were.
  SaveUndo(app);
  app.job.undo.back() = std::move(before);
  app.SetText(id::kOutput, rebuilt.text);
  app.job.revision = BoxRevision(app);
  app.program.blockNumber = rebuilt.state.blockNumber;
  app.program.rapidMode = rebuilt.state.rapidMode;
  return true;
}

}  // namespace tbx

namespace tbx {

namespace {


// The form given `values`: boxes, list items, check boxes and option buttons.
void ApplyValues(App& app, const std::vector<FieldValue>& values) {
  for (const FieldValue& v : values) {
    const FieldRef ref = FindField(app.operations, v.id);
    if (!ref) continue;
    switch (ref.field->kind) {
      case FieldKind::List:
      case FieldKind::ListBox:
        if (const int item = app.ui.FindNext(kMainForm, v.id, v.text); item >= 0)
          app.ui.SelectItem(kMainForm, v.id, item);
        break;
      case FieldKind::Number:
      case FieldKind::Text:
        app.SetText(v.id, v.text);
        break;
      default:
        app.SetCheck(v.id, v.checked);
    }
  }
  for (const OperationDescriptor* page : app.operations.pages) ApplyEnabling(app, *page);
}

void EndEdit(App& app) {
  ApplyValues(app, app.job.before);
  app.job.before.clear();
  app.job.editing = -1;
}

}  // namespace

bool MoveStep(App& app, std::size_t from, std::size_t to) {
  SyncJob(app);
  std::vector<JobStep> before = app.job.steps;
  JobStep step = std::move(app.job.steps[from]);
  app.job.steps.erase(app.job.steps.begin() + static_cast<std::ptrdiff_t>(from));
  app.job.steps.insert(app.job.steps.begin() + static_cast<std::ptrdiff_t>(to), std::move(step));
  return RebuildProgram(app, std::move(before));
}

bool DeleteStep(App& app, std::size_t index) {
  SyncJob(app);
  std::vector<JobStep> before = app.job.steps;
  app.job.steps.erase(app.job.steps.begin() + static_cast<std::ptrdiff_t>(index));
  return RebuildProgram(app, std::move(before));
}

bool DuplicateStep(App& app, std::size_t index) {
  SyncJob(app);
  std::vector<JobStep> before = app.job.steps;
  app.job.steps.insert(app.job.steps.begin() + static_cast<std::ptrdiff_t>(index) + 1, app.job.steps[index]);
  return RebuildProgram(app, std::move(before));
}

bool EditStep(App& app, std::size_t index) {
  SyncJob(app);
  const JobStep& step = app.job.steps[index];
  if (step.IsText()) return false;
  if (step.edited &&
      !app.ui.Ask("Step " + std::to_string(index + 1) +
                      " was edited by hand. Replace the edits with newly generated blocks?",
                  kEditTitle, "Replace"))
    return false;
  app.job.before = ValuesOf(app, *step.op);
  app.job.editing = static_cast<int>(index);
  // The tab is shown without its speed rule, which would put the material's SPM over the step's.
  for (std::size_t page = 0; page < app.operations.pages.size(); ++page)
    if (app.operations.pages[page] == step.op) app.ui.ShowPage(kMainForm, static_cast<int>(page) + 1);
  ApplyValues(app, step.values);
  return true;
}

void UpdateStep(App& app) {
  SyncJob(app);
  JobStep& step = app.job.steps[static_cast<std::size_t>(app.job.editing)];
  std::vector<JobStep> before = app.job.steps;
  step.values = ValuesOf(app, *step.op);
  step.edited = false;
  // The steps before it are as they were, and after it as long as the numbering they find is.
  if (RebuildProgram(app, std::move(before), static_cast<std::size_t>(app.job.editing))) EndEdit(app);
}

void CancelEdit(App& app) {
  if (app.job.editing >= 0) EndEdit(app);
}

}  // namespace tbx

namespace tbx {

toolpath::Stock StockInEffect(const Job& job, double deepestZ) {
  if (job.stock.Known()) return job.stock;
  toolpath::Stock stock;
  for (const JobStep& step : job.steps) {
    if (!step.op) continue;
    const StepSource values(step.values);
    const bool face = FindValue(step.values, id::kFaceStockDia) != nullptr;
    const bool outsideTurn = FindValue(step.values, id::kTurnStartDia) && values.Checked(id::kTurnOutside);
    if (!face && !outsideTurn) continue;
    stock.outerDia = BoxNumber(values.Text(face ? id::kFaceStockDia : id::kTurnStartDia));
    stock.frontZ = BoxNumber(values.Text(face ? id::kFaceZStart : id::kTurnZStart));
    if (!std::isfinite(stock.outerDia) || !std::isfinite(stock.frontZ) || stock.outerDia <= 0) return {};
    const double behind = values.Checked(id::kMetric) ? kChuckBehindMm : kChuckBehindInch;
    stock.chuckZ = std::min(std::isfinite(deepestZ) ? deepestZ : stock.frontZ, stock.frontZ) - behind;
    return stock;
  }
  return {};
}

std::string StockProblem(const toolpath::Stock& s) {
  if (!s.Known()) return {};
  for (const double v : {s.outerDia, s.bore, s.frontZ, s.length, s.chuckZ, s.jawDia, s.jawLength})
    if (!std::isfinite(v)) return "every value must be a number";
  if (s.bore < 0 || s.length < 0 || s.jawDia < 0 || s.jawLength < 0)
    return "the bore, the length and the jaws' size cannot be negative";
  if (s.bore >= s.outerDia) return "the bore must be smaller than the outer diameter";
  if (s.chuckZ >= s.frontZ) return "the chuck's face must stand behind the front face (a smaller Z)";
  if (s.length > 0 && s.frontZ - s.length > s.chuckZ)
    return "the stock must be long enough to reach the chuck's face";
  if (s.jawDia > 0 && s.jawDia <= s.outerDia) return "the jaws must reach out beyond the bar's outer diameter";
  return {};
}

}  // namespace tbx
