#pragma once
// The form as the operation descriptors make it: the controls of each page, the field a
// control belongs to, the field a key names, and the form built with its start-up state.
#include <string>
#include <string_view>
#include <vector>

#include "app/form_model.h"
#include "app/operation.h"

namespace tbx {
struct App;

// A field found: its operation, its page (0: always visible) and the field; `choice` when a
// radio button of an option group was asked for.
struct FieldRef {
  const OperationDescriptor* op = nullptr;
  const Field* field = nullptr;
  int page = 0;
  const Choice* choice = nullptr;
  explicit operator bool() const { return field != nullptr; }
};

// The controls of one page in creation order: each field, then its label; an option group's
// frame, then its buttons.
std::vector<ControlDesc> ControlsOf(const OperationDescriptor& op, int page);
// The field a control belongs to: the field itself, its label, its frame or one of its buttons.
FieldRef FindField(const Operations& ops, ControlId id);
// The field or choice a key names: "thread.major_dia", "thread.code_type.g32_code". A choice's
// tail may be shortened to a leading part of its words that no other choice shares ("g32").
FieldRef FindKey(const Operations& ops, std::string_view key);
// The choice of an option group a text names, as FindKey reads a choice's tail; null if none.
const Choice* FindChoice(const Field& options, std::string_view text);
// The caption a refusal's "{key}" stands for: a field's or a choice's.
std::string CaptionOfKey(const Operations& ops, std::string_view key);
// The key of the field a control belongs to, or empty for one outside the form.
std::string KeyOfControl(const Operations& ops, ControlId id);

// The place among its choices of the chosen button of the option group `field` (its frame, or
// any of its buttons for a group without one); -1 when none is chosen.
int ChosenIndex(const App& app, ControlId field);

int TabCount(const Operations& ops);
// "Material|Thread|...": the tab row's captions in page order.
std::string TabCaptions(const Operations& ops);

// The field keys of every page as Markdown tables, for the README and `turnbrix-cli --keys`.
std::string KeysTable(const Operations& ops);

// Builds every control of the main form with its start-up checks, selections and enabling.
void BuildMainForm(App& app);
// The texts and data-list selections of the unit system the Metric box now holds.
void ApplyUnitDefaults(App& app);
// An operation's enabling rule applied to the form as it stands.
void ApplyEnabling(App& app, const OperationDescriptor& op);

}  // namespace tbx
