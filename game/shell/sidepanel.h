// The side panel below the map: its background with the menu button, the middle area for the
// current selection and the command column.
#pragma once

#include <cstdint>
#include <string_view>

namespace zarn {

// The panel background and the menu button, tinted pressed while the pointer is on it.
void DrawPanelBase();
// The middle area: names, pictures, health bars and status texts of the selection.
void DrawObjectInfo();
// The command column on the right: unit commands, production state, special weapon.
void DrawCommandPanel();

// Panel colours.
inline constexpr std::uint8_t PanelTextColour = 43;
inline constexpr std::uint8_t PanelAlertColour = 12;
inline constexpr std::uint8_t PanelWormColour = 17;
inline constexpr std::uint8_t PanelOwnColour = 200;

// Colour of a health bar: red below a quarter, yellow below half, green otherwise.
std::uint8_t HealthColour(std::int32_t health, std::int32_t maxHealth);
// A caption centred in the 58-pixel box at the foot of the command column, with its shadow;
// the text is in the fonts' code page.
void DrawCommandCaption(std::string_view fontText, std::uint8_t colour);

}  // namespace zarn
