#pragma once
// Nose-radius compensation of a finish pass, shared by the turning tabs: the profile as drawn,
// the programmed point's path that makes the nose cut it (Computed), or the drawn profile with
// G41/G42 for the control to compensate.
#include <string_view>

#include "data/nose_path.h"
#include "ops/context.h"
#include "program/block_writer.h"
#include "program/program_text.h"

namespace tbx {

enum class NoseCompensation { None, Computed, ControlG41G42 };

// A line of the profile to `to`; none where it would have no length.
void AddLine(NosePath& profile, NosePoint to, double feed);

// Refuses compensation, blaming `field`, when the T word's tool is not in the library or has
// no nose (a drill). `leadIn` is the entry move's length, named by `leadInField`: a control
// needs it longer than the nose radius.
void RequireNoseTool(Operation& op, NoseCompensation mode, const OpContext& ctx, FieldKey field,
                     double leadIn, FieldKey leadInField);

// The comment for the offset page under G41/G42: "( T0101 NOSE RADIUS .031 ORIENTATION 3 )".
void NoseComment(Operation& op, NoseCompensation mode, const OpContext& ctx, FieldKey field);

// The path the programmed point follows along `profile`: under Computed the one that makes the
// nose cut it, else the profile itself (G41/G42 leaves the offset to the control).
NosePath ProgrammedPath(NoseCompensation mode, const OpContext& ctx, NoseSide side, const NosePath& profile);
// The axis words of a move from `from` to `to`: only those that change, as the tabs write.
Point Change(NosePoint from, NosePoint to);
// The segments of `moves` from where the tool stands at its start, at each one's feed.
void WritePath(BlockWriter& path, const NosePath& moves);

// Writes the finish pass along `profile` (Z and the radius, each segment's feed; its first segment is the entry,
// started from where the tool stands) with the tool on `side`: under Computed the programmed
// point's path, under G41/G42 the profile with the code on the entry. The move after it ends
// the compensation: under G41/G42 it must carry G40 (EndCompensation).
void WriteFinish(BlockWriter& path, NoseCompensation mode, const OpContext& ctx, NoseSide side,
                 const NosePath& profile);
void EndCompensation(BlockWriter& path, NoseCompensation mode);
// The move after the pass: `full` (both axes) under Computed, where the programmed point has
// to come back from the path's offset as a control's G40 move brings it, else `programmed`.
inline Point ExitPoint(NoseCompensation mode, Point full, Point programmed) {
  return mode == NoseCompensation::Computed ? full : programmed;
}

}  // namespace tbx
