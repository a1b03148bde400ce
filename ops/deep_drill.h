#pragma once
#include <optional>
#include <vector>

namespace tbx {
struct App;
void G83Clicked(App& app);          // 575
void EqualPeckClicked(App& app);    // 580
void PercentPeckClicked(App& app);  // 585
void DeepDrillGenerator(App& app);  // 625

enum class PeckMode { G83, Equal, Percent };

// Enables the fields the chosen mode reads: Rapid Clearance for both manual modes, Peck
// Value (Min) and Percent Peck for % Peck only.
void SetPeckControls(App& app, PeckMode mode);

// Depths of the manual pecks before the last one, which always goes to finalZ. Each peck is
// `factor` times the one before but not less than minPeck. Empty when there would be more
// than `limit` of them.
std::optional<std::vector<float>> PeckDepths(float start, float finalZ, float maxPeck,
                                             float minPeck, float factor, std::size_t limit);
}  // namespace tbx
