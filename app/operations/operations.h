#pragma once
// The operation descriptors of Turnbrix, one file each.
#include "app/operation.h"

namespace tbx {
extern const OperationDescriptor kMaterialOperation;
extern const OperationDescriptor kThreadOperation;
extern const OperationDescriptor kCSinkDrillOperation;
extern const OperationDescriptor kDeepDrillOperation;
extern const OperationDescriptor kReamOperation;
extern const OperationDescriptor kTapOperation;
extern const OperationDescriptor kGrooveOperation;
extern const OperationDescriptor kTapDataOperation;
extern const OperationDescriptor kSettingsOperation;
extern const OperationDescriptor kFaceOperation;
extern const OperationDescriptor kTurnOperation;
extern const OperationDescriptor kPartOffOperation;
extern const OperationDescriptor kProfileOperation;
// The always-visible part of the window: tool, offset, tool material, coolant, SPM, program.
extern const OperationDescriptor kSharedControls;
}  // namespace tbx
