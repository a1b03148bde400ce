// The job over many random jobs of every machining tab, in inch and in metric: a step edited,
// moved, deleted or duplicated gives exactly the program of the job made that way in the first
// place, Undo gives back the bytes before, and text typed between the steps stays as typed.
#include <algorithm>
#include <cstdlib>
#include <cstdio>
#include <functional>
#include <memory>
#include <random>
#include <set>

#include "app/job.h"
#include "test_support.h"

namespace tbx {
namespace {

constexpr int kJobs = 200;

// What a user sets one control to: a list's item, an option, a check box's state, a box's text.
struct Setting {
  const Field* field = nullptr;
  int item = -1;
  ControlId choice = 0;
  bool checked = false;
  std::string text;
};

// A step as the user makes it: a tab's OK after setting its controls, or a line typed by hand.
struct Item {
  const OperationDescriptor* op = nullptr;
  std::vector<Setting> settings;
  std::string text;
};
using Model = std::vector<Item>;

Item Typed(std::string text) {
  Item item;
  item.text = std::move(text);
  return item;
}

class Random {
 public:
  explicit Random(unsigned seed) : engine_(seed) {}
  // From 0 to n - 1; the engine's raw numbers, so that every standard library draws alike.
  std::size_t Below(std::size_t n) { return engine_() % n; }
  bool Coin() { return Below(2) == 1; }

 private:
  std::mt19937 engine_;
};

struct Window {
  explicit Window(bool metric) : s(metric ? test::kMetricShopDefaults : test::kInchDefaults) {}
  test::Session s;
  App& app() { return s.runner.app(); }
  bool Enabled(ControlId id) { return s.runner.form().Control(kMainForm, id)->enabled; }
};

int PageOf(const Operations& ops, const OperationDescriptor* op) {
  for (std::size_t page = 0; page < ops.pages.size(); ++page)
    if (ops.pages[page] == op) return static_cast<int>(page) + 1;
  return 0;
}

// The tab shown and its controls set as a user would: options and check boxes first (they switch
// what is enabled), then lists (they fill boxes), then the boxes typed and left. A control that
// is disabled is given its state as it was left before something disabled it: generators read
// some of them all the same (the chamfer exit in a 6T thread, Left Hand beside G84).
void Set(Window& run, const Item& item) {
  JobRunner& user = run.s.runner;
  HeadlessForm& form = user.form();
  user.Tab(PageOf(run.app().operations, item.op));
  for (int pass = 0; pass < 3; ++pass) {
    for (const Setting& set : item.settings) {
      const FieldKind kind = set.field->kind;
      const int order = kind == FieldKind::List || kind == FieldKind::ListBox ? 1
                        : kind == FieldKind::Number || kind == FieldKind::Text ? 2 : 0;
      if (order != pass) continue;
      const ControlId id = kind == FieldKind::Options ? set.choice : set.field->id;
      const bool enabled = run.Enabled(id);
      if (kind == FieldKind::Options) {
        if (enabled) user.Click(id);
        for (const Choice& c : set.field->choices)
          if (!enabled && !c.heading) form.SetCheck(kMainForm, c.id, c.id == id);
      } else if (order == 1) {
        enabled ? void(user.Pick(id, set.item)) : form.SelectItem(kMainForm, id, set.item);
      } else if (order == 2) {
        enabled ? void(user.Type(id, set.text)) : form.SetText(kMainForm, id, set.text);
      } else if (run.app().Checked(id) != set.checked) {
        enabled ? void(user.Click(id)) : form.SetCheck(kMainForm, id, set.checked);
      }
    }
  }
}

// Typing at the end of the program box, the pause after it ending the typing.
void Append(Window& run, const std::string& text) {
  run.s.runner.Set(id::kOutput, run.s.Output() + text);
  SyncJob(run.app());
}

// Whether `item` went in: its OK refused shows a message box.
bool Make(Window& run, const Item& item) {
  if (!item.op) return Append(run, item.text), true;
  const std::size_t messages = run.s.runner.Messages().size();
  Set(run, item);
  run.s.runner.Click(item.op->ok);
  return run.s.runner.Messages().size() == messages;
}

// The job made in order, its text typed between the OKs; or, with `typedAfter`, every OK first
// and the text typed into its places afterwards, last place first. Null when an OK was refused.
std::unique_ptr<Window> Made(const Model& model, bool metric, bool typedAfter = false) {
  auto run = std::make_unique<Window>(metric);
  for (const Item& item : model)
    if ((item.op || !typedAfter) && !Make(*run, item)) return nullptr;
  if (!typedAfter) return run;
  for (std::size_t i = model.size(); i-- > 0;) {
    if (model[i].op) continue;
    std::size_t at = 0, ops = 0;
    for (std::size_t j = 0; j < i; ++j) ops += model[j].op != nullptr;
    for (std::size_t j = 0; j < ops; ++j) at += run->app().job.steps[j].text.size();
    std::string box = run->s.Output();
    box.insert(at, model[i].text);
    run->s.runner.Set(id::kOutput, box);
    SyncJob(run->app());
  }
  return run;
}

// A value for `field` of the kind it holds, near its start-up value so that most are accepted.
Setting Draw(Random& rng, Window& run, const Field& field, bool metric) {
  Setting set;
  set.field = &field;
  switch (field.kind) {
    case FieldKind::List:
    case FieldKind::ListBox:
      set.item = static_cast<int>(rng.Below(run.s.runner.form().Control(kMainForm, field.id)->items.size()));
      break;
    case FieldKind::Options: {
      std::vector<ControlId> buttons;
      for (const Choice& c : field.choices)
        if (!c.heading) buttons.push_back(c.id);
      set.choice = buttons[rng.Below(buttons.size())];
      break;
    }
    case FieldKind::Check:
    case FieldKind::Toggle:
      set.checked = rng.Coin();
      break;
    case FieldKind::Text:
      // A contour keeps its shape; the other values vary around it.
      set.text = field.lines ? std::string(metric ? field.metric : field.inch) : "OP " + std::to_string(rng.Below(1000));
      break;
    default: {
      const std::string start(metric ? field.metric : field.inch);
      const double value = std::strtod(start.c_str(), nullptr);
      const bool whole = start.find('.') == std::string::npos || start.back() == '.';
      char text[32];
      if (start.empty() || rng.Below(4) == 0) {
        set.text = start;
      } else if (value == 0) {
        set.text = rng.Coin() ? "0" : metric ? "2.5" : ".1";
      } else if (whole && std::abs(value) >= 1) {
        std::snprintf(text, sizeof text, "%d.", static_cast<int>(value * (50 + static_cast<double>(rng.Below(101))) / 100));
        set.text = std::abs(std::strtod(text, nullptr)) >= 1 ? text : start;
      } else {
        std::snprintf(text, sizeof text, metric ? "%.3f" : "%.4f", value * (60 + static_cast<double>(rng.Below(81))) / 100);
        set.text = text;
      }
    }
  }
  return set;
}

// The controls a user sets for a step of `op`: the tab's and the shared ones, but not the unit
// system or the machine's tool-change position, which the whole job shares.
Item DrawStep(Random& rng, Window& run, const OperationDescriptor& op, bool metric) {
  Item item;
  item.op = &op;
  run.s.runner.Tab(PageOf(run.app().operations, &op));
  EachKeptField(run.app().operations, op, [&](const OperationDescriptor&, const Field& field) {
    if (field.id != id::kMetric && field.id != id::kXToolChange && field.id != id::kZToolChange)
      item.settings.push_back(Draw(rng, run, field, metric));
  });
  return item;
}

const std::string kTexts[] = {"(SETUP NOTE)\r\n", "M01\r\n", "(CHECK THE PART)\r\nM00\r\n", "N5 (TYPED N WORD)\r\n"};

// A random job of 1 to 8 steps, each accepted where it stands, with text typed before, between or
// after them (never two texts side by side, so that each is a step of its own).
Model DrawJob(Random& rng, bool metric) {
  std::vector<const OperationDescriptor*> tabs;
  for (const OperationDescriptor* page : StandardOperations().pages)
    if (page->generate) tabs.push_back(page);
  Model model;
  Window run(metric);
  const std::size_t steps = 1 + rng.Below(8);
  for (std::size_t n = 0; n < steps; ++n) {
    if (rng.Below(3) == 0) model.push_back(Typed(kTexts[rng.Below(std::size(kTexts))]));
    const OperationDescriptor& op = *tabs[rng.Below(tabs.size())];
    for (int attempt = 0;; ++attempt) {
      Item item = DrawStep(rng, run, op, metric);
      if (Make(run, item)) {
        model.push_back(std::move(item));
        break;
      }
      if (attempt == 50) {
        ADD_FAILURE() << op.caption << ": no values accepted in 50 draws";
        break;
      }
    }
  }
  if (rng.Below(3) == 0) model.push_back(Typed(rng.Coin() ? "(END)\r\n" : "(END WITHOUT LINE END)"));
  return model;
}

// Values as one line each, "ID=TEXT" or "ID on"/"ID off", so that a difference names its control.
std::string Shown(const std::vector<FieldValue>& values) {
  std::string shown;
  for (const FieldValue& v : values)
    shown += std::to_string(v.id) + (v.text.empty() ? v.checked ? " on\n" : " off\n" : "=" + v.text + "\n");
  return shown;
}

struct Changed {
  Model model;                      // the job as it should be after the change
  std::function<bool(Window&)> apply;  // the change made to the job in the window
};

TEST(JobProperty, StepCommandsOnRandomJobsGiveTheProgramOfTheJobMadeThatWay) {
  const struct {
    const char* name;
    std::function<Changed(Random&, const Model&, bool metric)> change;
  } cases[] = {
      {"edit", [](Random& rng, const Model& model, bool metric) {
         std::vector<std::size_t> ops;
         for (std::size_t i = 0; i < model.size(); ++i)
           if (model[i].op) ops.push_back(i);
         const std::size_t k = ops[rng.Below(ops.size())];
         Changed c{model, {}};
         for (int attempt = 0; attempt < 50; ++attempt) {
           Window scratch(metric);
           c.model[k] = DrawStep(rng, scratch, *model[k].op, metric);
           if (Made(c.model, metric)) break;
         }
         c.apply = [k, item = c.model[k]](Window& run) {
           const std::vector<FieldValue> before = ValuesOf(run.app(), *item.op);
           // Edited as the runner edits: the step's tab opens holding every value it was made with.
           std::istringstream edit("edit " + std::to_string(k + 1) + "\n");
           if (run.s.runner.RunScript(edit, false) != 0) return false;
           EXPECT_EQ(run.app().ui.ShownPage(kMainForm), PageOf(run.app().operations, item.op));
           EXPECT_EQ(Shown(ValuesOf(run.app(), *item.op)), Shown(run.app().job.steps[k].values));
           Set(run, item);
           UpdateStep(run.app());
           // The tab and the shared controls are back as they were, for the next new operation.
           EXPECT_EQ(run.app().job.editing, -1);
           EXPECT_EQ(Shown(ValuesOf(run.app(), *item.op)), Shown(before));
           return true;
         };
         return c;
       }},
      {"move", [](Random& rng, const Model& model, bool) {
         const std::size_t from = rng.Below(model.size()), to = rng.Below(model.size());
         Changed c{model, [=](Window& run) { return MoveStep(run.app(), from, to); }};
         Item item = c.model[from];
         c.model.erase(c.model.begin() + static_cast<std::ptrdiff_t>(from));
         c.model.insert(c.model.begin() + static_cast<std::ptrdiff_t>(to), std::move(item));
         return c;
       }},
      {"delete", [](Random& rng, const Model& model, bool) {
         const std::size_t at = rng.Below(model.size());
         Changed c{model, [=](Window& run) { return DeleteStep(run.app(), at); }};
         c.model.erase(c.model.begin() + static_cast<std::ptrdiff_t>(at));
         return c;
       }},
      {"duplicate", [](Random& rng, const Model& model, bool) {
         const std::size_t at = rng.Below(model.size());
         Changed c{model, [=](Window& run) { return DuplicateStep(run.app(), at); }};
         c.model.insert(c.model.begin() + static_cast<std::ptrdiff_t>(at) + 1, model[at]);
         return c;
       }},
  };
  std::set<std::pair<const OperationDescriptor*, bool>> made;  // every tab in both unit systems
  for (int job = 0; job < kJobs; ++job) {
    const bool metric = job % 2 == 1;
    Random rng(static_cast<unsigned>(job));
    const Model model = DrawJob(rng, metric);
    for (const Item& item : model)
      if (item.op) made.insert({item.op, metric});
    const std::unique_ptr<Window> inOrder = Made(model, metric);
    ASSERT_TRUE(inOrder);
    for (const auto& c : cases) {
      SCOPED_TRACE(std::string(c.name) + " on job " + std::to_string(job) + (metric ? " (metric)" : " (inch)"));
      // Text typed into the program afterwards is where it would be had it been typed in order.
      const std::unique_ptr<Window> run = Made(model, metric, true);
      ASSERT_TRUE(run);
      ASSERT_TRUE(test::SameProgram(run->s.Output(), inOrder->s.Output()));
      ASSERT_EQ(run->app().job.steps.size(), model.size());
      const std::string before = run->s.Output();

      const Changed changed = c.change(rng, model, metric);
      const std::unique_ptr<Window> madeSo = Made(changed.model, metric);
      ASSERT_TRUE(madeSo) << "the job made that way was refused";
      ASSERT_TRUE(changed.apply(*run));
      const std::string after = run->s.Output();
      EXPECT_TRUE(test::SameProgram(after, madeSo->s.Output()));
      EXPECT_EQ(JobText(run->app().job), after);
      // Every typed text is a step of its own, as typed.
      std::string typed, kept;
      for (const Item& item : changed.model) typed += item.text;
      for (const JobStep& step : run->app().job.steps)
        if (step.IsText()) kept += step.text;
      EXPECT_EQ(kept, typed);

      run->s.runner.Click(id::kUndo);
      EXPECT_TRUE(test::SameProgram(run->s.Output(), before)) << "after Undo";
      Job job = run->app().job;
      EXPECT_EQ(RebuildJob(run->app().operations, job).text, before) << "the steps after Undo";
    }
  }
  const auto& pages = StandardOperations().pages;
  EXPECT_EQ(made.size(), 2 * static_cast<std::size_t>(std::count_if(pages.begin(), pages.end(),
                                                                    [](const auto* page) { return page->generate; })));
}

}  // namespace
}  // namespace tbx
