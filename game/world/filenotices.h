// What the player is told when a map, scenario or saved game is missing, damaged or not
// written: "Файл <folder>\<name>" and the problem, in a message box.
#pragma once

#include <string>
#include <string_view>

#include "game/base/cp1251.h"
#include "game/base/hooks.h"

namespace zarn {

inline constexpr std::string_view MapsFileText = "Файл maps\\"_cp1251;
inline constexpr std::string_view SaveFileText = "Файл save\\"_cp1251;
inline constexpr std::string_view ScenesFileText = "Файл scenes\\"_cp1251;
inline constexpr std::string_view MissingText = " отсутствует"_cp1251;
inline constexpr std::string_view DamagedText = " повреждён"_cp1251;
inline constexpr std::string_view NotWrittenText = " не записан"_cp1251;

inline void TellFileProblem(std::string_view fileText, std::string_view name,
                            std::string_view problem) {
  std::string text(fileText);
  text += name;
  text += problem;
  ShowMessageProc(text);
}

}  // namespace zarn
