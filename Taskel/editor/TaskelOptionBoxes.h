// The twelve option check boxes of the command page as plain logic: which
// boxes show, which are enabled, how they are ticked from the command's
// options, how their ticks go back into the options, and which captions
// get a drawing hint. The page only moves these states into its controls.
#pragma once

#include <array>
#include <cstdint>

// One check box of the options group.
struct OptionBoxState
{
    int id = 0;
    bool visible = false;
    bool enabled = false;
    bool checked = false;
};

// How a box's caption is drawn to show that the runner passes it over.
enum class OptionHint
{
    None,
    Shadow, // text and background in the button-shadow colour
    Light,  // background in the 3D-light colour
};

constexpr size_t kOptionBoxCount = 12;
using OptionBoxes = std::array<OptionBoxState, kOptionBoxCount>;

// The box ids in table order.
const std::array<int, kOptionBoxCount> &OptionBoxIds();
// Index of a box id in OptionBoxIds, or -1.
int OptionBoxIndex(int id);

// Visibility, enabling and values for a command with `editorAction` (editor
// numbering), option mask `mask` and options `options`; all hidden without
// a command.
OptionBoxes ShowOptionBoxes(bool hasCommand, uint32_t editorAction, uint32_t mask,
                            uint32_t options);

// The options after writing the ticks of `boxes` into `options`.
uint32_t StoreOptionBoxes(const OptionBoxes &boxes, uint32_t options);

// The drawing hint of box `id` given the current ticks.
OptionHint OptionBoxHint(int id, const OptionBoxes &boxes, uint32_t mask);

// The ticked state of box `id` in `boxes` (false for an unknown id).
bool IsBoxChecked(const OptionBoxes &boxes, int id);
void SetBoxChecked(OptionBoxes &boxes, int id, bool checked);
