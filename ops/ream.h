#pragma once
namespace tbx {
struct App;
void ReamGenerator(App& app);  // 705
}  // namespace tbx
