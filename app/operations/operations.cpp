#include "app/controls.h"
#include "app/operations/operations.h"

namespace tbx {

namespace {
// Tab order: job scripts and stored files name tabs by number.
constexpr const OperationDescriptor* kPages[] = {
    &kMaterialOperation, &kThreadOperation, &kCSinkDrillOperation, &kDeepDrillOperation,
    &kReamOperation,     &kTapOperation,    &kGrooveOperation,     &kTapDataOperation,
    &kSettingsOperation, &kFaceOperation,   &kTurnOperation,       &kPartOffOperation,
    &kProfileOperation,
};
}  // namespace

const Operations& StandardOperations() {
  static const Operations operations{kPages, &kSharedControls};
  return operations;
}

}  // namespace tbx
