// The single-player campaign around the play screen: the faction choice (35), the mission start
// with its briefing (36), the victory (37) and defeat (38) screens and the score (42). Its whole
// state is the side of player 1, the mission number and whether the last mission was won.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "game/menus/menuframe.h"
#include "game/world/scenario.h"

namespace zarn {

inline constexpr int CampaignMissions = 12;

// File-name prefixes of the scenarios by side.
inline constexpr std::array<std::string_view, 4> FactionPrefixes{"gor", "alm", "tel", "dre"};

// The side of player 1: the campaign's faction, which picks the scenarios and the briefings.
inline std::uint8_t& ScenarioFaction() { return Players[1].Side; }

// 1 when the last mission ended on the victory screen's button, 0 on the defeat screen's.
inline std::uint8_t MissionWon = 0;

// "alm3.scn" for side 1 and mission 3; empty for a side without a prefix.
std::string CampaignScenarioName(int side, int mission);

// The briefing's screens (mission start, orders): background, the faction's flag, the button's
// picture centred at y 168 with its single-button highlight over (boxX, 168), boxWidth x 16,
// and the briefing list. Esc runs `escape` (nullptr: ignored).
void DrawBriefingScreen(std::string_view buttonPicture, const MenuButtonRect& hit, int boxX, int boxWidth,
                        void (*escape)());

inline constexpr std::array<MenuButtonRect, 3> FactionButtons{{
    {19, 68, 101, 131},
    {119, 68, 201, 131},
    {219, 68, 301, 131},
}};
inline constexpr MenuButtonRect BeginButton{104, 168, 215, 184};
inline constexpr MenuButtonRect YesButton{142, 160, 177, 176};

void OpenFactionChoice();
void FactionChoiceClick();
void FactionChoiceDraw();

// Loads the mission of player 1's side and MissionNumber and shows its briefing; a failed load
// (or a side without a campaign) returns to the main menu after a message.
void StartMission();
void MissionStartClick();
void MissionStartDraw();

void OpenVictory();
void OpenDefeat();
void VictoryClick();
void DefeatClick();
void VictoryDraw();
void DefeatDraw();

void OpenScore();
void ScoreClick();
void ScoreDraw();

}  // namespace zarn
