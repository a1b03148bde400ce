#include "app/controls.h"
#include "app/operations/operations.h"
#include "app/options.h"

namespace tbx {

namespace {
using namespace id;

constexpr Field kFields[] = {
    {.id = kMaterialList, .kind = FieldKind::ListBox, .caption = "Material",
     .help = "the material being cut; sets the surface speed (SPM)"},
};

constexpr Action kActions[] = {
    {kMaterialList, Trigger::Change, [](App& app, ControlId) { ApplyMaterialSpeed(app, SpeedSet::Turning); }},
};
}  // namespace

const OperationDescriptor kMaterialOperation{
    .name = "material", .caption = "Material", .group = OperationGroup::Data, .fields = kFields,
    .spindle = SpindleRule::Turning, .actions = kActions};

}  // namespace tbx
