#pragma once
// An operation is one unit: a descriptor names its tab, its fields and what they mean, the rule
// that enables them, its spindle-speed rule and its generator. The form, the event routes, the
// help, the job-script keys and the tab row are all derived from the descriptors.
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "ops/context.h"
#include "program/program_text.h"

namespace tbx {

struct App;
using ControlId = int;
class TabReader;

// Where an operation stands in the chooser, as a programmer groups the work.
enum class OperationGroup { Turning, HoleMaking, Data, Shared };

// What a field holds and how it is shown.
enum class FieldKind {
  Number,   // a box holding a number
  Text,     // a box holding text (comments)
  Check,    // a check box
  Toggle,   // a button that stays pressed: a check box drawn as a button
  Options,  // radio buttons, one chosen; framed when the frame has an id
  List,     // a drop-down list: fixed items, or filled from data.txt
  ListBox,  // a list shown open, filled from data.txt
  Button,   // a push button (OK, Calc, Undo)
  Note,     // text the program writes: a result, a heading
  Program,  // the program box
  Tabs,     // the row of tabs itself
};

// The unit a number is measured in, shown in inch or metric form.
enum class Unit { None, Length, Feed, SurfaceSpeed, Seconds, Percent, Degrees, MmPerMin, Rpm };

// How SPM follows a change to the tab: the material's turning or threading speed, or empty
// where no spindle turns.
enum class SpindleRule { Turning, Threading, Empty };

// One radio button of an option group.
struct Choice {
  ControlId id;
  std::string_view caption;
  bool heading = false;  // a caption among the buttons, not a button
};

struct Field {
  ControlId id;
  FieldKind kind;
  std::string_view caption;  // the label beside a box, a check box's text, a frame's caption
  ControlId label = 0;       // the label control beside the box, 0 when none is shown
  Unit unit = Unit::None;
  // Texts at start-up in inch and in metric; a list's items ("|"-separated) for fixed lists.
  std::string_view inch = "", metric = "";
  std::string_view help = "";  // what it measures and from where
  bool reformat = false;       // leaving the box writes its number in the program's form
  std::span<const Choice> choices = {};  // Options: the buttons, the first chosen at start-up
  ControlId chosen = 0;                  // Options: chosen at start-up (0: the first)
  // Lists: the item selected at start-up in inch and metric (-1: none); data lists are filled
  // from data.txt before the selection is made.
  int inchItem = -1, metricItem = -1;
  bool checked = false;   // Check: ticked at start-up
  bool disabled = false;  // disabled at start-up, whatever the enabling rule
  bool lines = false;     // Text: a box of several lines (a contour), shown with its drawing
  std::string_view key = "";  // where two fields of a tab share a caption: the key's tail
  char access = 0;            // Button: the letter of its caption Alt presses it by
};

// What an operation's enabling rule reads (the tab as it stands) and sets.
class FieldSwitch {
 public:
  virtual ~FieldSwitch() = default;
  virtual bool Checked(ControlId id) const = 0;
  virtual void Set(ControlId id, bool enabled) = 0;
};

// Event handlers of a tab beyond reformatting, enabling and OK: a list picked, an option that
// fills boxes.
enum class Trigger { Click, Change };
struct Action {
  ControlId control;  // a control, or an option group: a click on any of its buttons
  Trigger trigger;
  void (*handle)(App& app, ControlId control);
};

struct OperationDescriptor {
  std::string_view name;     // short name, the first part of every key: "thread"
  std::string_view caption;  // on the tab: "Thread"
  OperationGroup group;
  std::span<const Field> fields;
  SpindleRule spindle = SpindleRule::Empty;
  // The fields (and their labels and frames) enabled in the tab's current state; null when
  // nothing on the tab is switched.
  void (*enable)(FieldSwitch& tab) = nullptr;
  std::span<const Action> actions = {};
  // OK: reads the tab into the input struct and runs the pure generator on it.
  ControlId ok = 0;
  Operation (*generate)(TabReader& tab, const OpContext& ctx) = nullptr;
};

// A control the descriptors name: the field it belongs to (as the field itself, its label,
// its frame or one of its buttons), that field's operation and page (0: always visible).
struct FieldEntry {
  ControlId id;
  const OperationDescriptor* op;
  const Field* field;
  int page;
  const Choice* choice;  // the button, when `id` is one
};

// The operations a window is built from, pages in tab order, then the always-visible part.
struct Operations {
  Operations(std::span<const OperationDescriptor* const> pages, const OperationDescriptor* shared);
  std::span<const OperationDescriptor* const> pages;
  const OperationDescriptor* shared;
  // Every control the descriptors name, by id, the first in page order among equals: a job of
  // thousands of OKs looks up each step's shared controls.
  std::vector<FieldEntry> byId;
  // Every field by its key ("thread.major_dia"), the first in page order among equals: a job
  // file names each value by key.
  struct KeyEntry {
    std::string key;
    FieldEntry field;
  };
  std::vector<KeyEntry> byKey;
};

// The descriptors of Turnbrix, in the tab order the job scripts and stored files rely on.
const Operations& StandardOperations();

// "thread.major_dia": the operation's short name, a point, and the caption in lower case with
// each run of other characters as one "_" (none at either end); Field::key replaces the tail.
std::string KeyOfField(const OperationDescriptor& op, const Field& field);
// "g32_code": a choice's caption in the same form.
std::string ChoiceKey(const Choice& choice);
std::string KeyOf(std::string_view op, std::string_view caption);

}  // namespace tbx
