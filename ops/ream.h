#pragma once
#include <string>

#include "ops/context.h"
#include "program/program_text.h"

namespace tbx {

struct ReamInputs {
  std::string comment;
  float reamerDia = 0;
  float zStart = 0;
  float depth = 0;
  float rapidClearance = 0;
  float feed = 0;
  bool feedOut = false;  // withdraw at feed rather than in rapid
};

Operation ReamOperation(const ReamInputs& in, const OpContext& ctx);

}  // namespace tbx
