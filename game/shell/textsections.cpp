// The game's long texts and the copying of their sections into the menus' widgets.
#include <array>
#include <string>

#include "game/base/cp1251.h"
#include "game/shell/dresurse.h"
#include "game/world/mission.h"
#include "game/world/scenario.h"

namespace zarn {

namespace {

TMemoLines SplitLines(std::string_view text) {
  TMemoLines lines;
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    lines.emplace_back(text.substr(start, end - start));
    start = end + 1;
  }
  if (!lines.empty() && lines.back().empty()) lines.pop_back();
  return lines;
}

constexpr std::string_view HelpText = R"(        МЫШЬ НА КАРТЕ

Левая кнопка на войске или
  здании - выбрать его
Левая кнопка, вести рамку -
  выбрать свои войска в ней
Двойной щелчок по войску -
  все такие же на экране
Правая кнопка - приказ
  выбранным войскам:
  на песок - идти туда,
  на врага - атаковать,
  харвестер на оссин - сбор,
  носитель на войско - взять
Курсор у края - прокрутка

        ПАНЕЛЬ ВНИЗУ

Кнопка вверху посередине
  панели - меню игры
Мини-карта слева:
  левая кнопка - вид туда,
  держать и вести - вести вид,
  правая - приказ войскам
Кнопки справа (МАРШ, АТАКА,
  СБОР, ЗАГРУЗИТЬ...): нажать,
  затем левой кнопкой - цель
  на карте. ОХРАНА, СТОП -
  стоять. ВОЗВРАТ, ПОМЕСТИТЬ,
  РАЗРУШИТЬ - сразу. ОТМЕНИТЬ
  - щелчок по кнопкам справа
Портрет здания в рамке -
  список постройки: выбрать
  строку, ЗАКАЗАТЬ - платите
  и строите, ВЫБРАТЬ - без
  оплаты для ПОСТРОИТЬ
ПОСТРОИТЬ справа - заказать
  показанное; щелчок во время
  работы - стоп/дальше
ПОСТАВИТЬ - затем щелчок по
  месту на карте рядом с
  базой; красная рамка -
  здесь нельзя поставить
РЕМОНТ - чинить здание

        КЛАВИШИ

Стрелки - прокрутка карты
Ctrl+0..9 - запомнить группу
0..9 - выбрать группу
Ctrl+C - вид на выбранных
= - игра быстрее
- - игра медленнее
Esc - меню игры; пока оно
  открыто, игра стоит (пауза)
Ctrl+M - музыка вкл/выкл
Ctrl+S - звуки вкл/выкл
F12 - снимок экрана
Enter - отправить сообщение
  (в сетевой игре)

        РЕДАКТОР КАРТ

E - залить экран землёй
G - залить экран песком
M - залить экран скалой
S - оссин на песке экрана)"_cp1251;

// The story of each campaign mission by faction; the goal and its numbers are added from the
// campaign's goal table, so a briefing always asks for what its mission tests.
struct TFactionStories {
  std::string_view Word;
  std::array<std::string_view, CampaignMissionCount> Story;
};

const std::array<TFactionStories, 3> MissionStories{{
    {"ALMIRETH",
     {"Командир! Мы на Зарне.\nПостройте базу. Харвестеры\nвезут оссин на элеватор."_cp1251,
      "Пустыня велика, а враг хитёр.\nНам нужны глаза над песком."_cp1251,
      "Горвассены близко и хотят\nзахватить наши поля."_cp1251,
      "Нашим войскам нужна выучка\nи новое оружие."_cp1251,
      "Отряды врага рыщут у базы\nи жгут харвестеры."_cp1251,
      "Нам нужен оссин для нового\nфлота."_cp1251,
      "Теликсы напали на наши поля\nиз своей базы на юге."_cp1251,
      "Враг окружил нас. Помощь\nуже в пути."_cp1251,
      "Горвассены строят крепость\nу моря песка."_cp1251,
      "Две армии идут на нас.\nВремени мало."_cp1251,
      "Враг готовит особое оружие.\nНельзя дать ему успеть."_cp1251,
      "Последний бой за Зарн!"_cp1251}},
    {"GORVASSEN",
     {"Воин! Зарн ждёт нас.\nПоставь базу для Горвассена."_cp1251,
      "Алмиреты прячутся в песках.\nНам нужно видеть их."_cp1251,
      "Алмиреты пришли за нашим\nоссином."_cp1251,
      "Наши воины должны учиться\nновому бою."_cp1251,
      "Отряды врага мешают нашим\nхарвестерам."_cp1251,
      "Армии Горвассена нужен\nоссин."_cp1251,
      "База алмиретов стоит\nв ущелье."_cp1251,
      "Враг окружил нас.\nДержись!"_cp1251,
      "Крепость теликсов стоит\nна скалах."_cp1251,
      "Все враги идут на нас.\nВремени мало."_cp1251,
      "Враг ищет путь к особому\nоружию."_cp1251,
      "Настал час победы Горвассена."_cp1251}},
    {"TELIX",
     {"Пилот! Мы пришли на Зарн.\nПостройте базу."_cp1251,
      "Разведка решает исход войны."_cp1251,
      "Враг скоро найдёт наши поля."_cp1251,
      "Рейдерам нужны опытные\nпилоты."_cp1251,
      "Отряды врага напали на наших\nразведчиков."_cp1251,
      "Новым рейдерам нужен оссин."_cp1251,
      "Передовая база горвассенов\nмешает нам."_cp1251,
      "Идёт эвакуация. Враг\nрядом."_cp1251,
      "Алмиреты заняли наши поля\nи строят там базу."_cp1251,
      "Главная крепость врага\nвсё ещё стоит."_cp1251,
      "Враг готовит удар с орбиты."_cp1251,
      "Решающая битва за планету!"_cp1251}},
}};

constexpr std::string_view SevnarFactions = R"([klAlmireth]
АЛМИРЕТЫ
Древний дом торговцев оссином.
Их техника надёжна, а пехота
хорошо обучена.
[end]
[klGorvassen]
ГОРВАССЕНЫ
Воинственный дом с тяжёлой
бронёй. Их танки медленны,
но очень прочны.
[end]
[klTelix]
ТЕЛИКСЫ
Дом быстрых набегов. Их
рейдеры бьют и уходят.
[end]
[btKDvor]
КОНСТРУКТОРСКИЙ ДВОР
Сердце базы: здесь строятся
все остальные здания.
[end]
[btPlita]
ПЛИТА
Бетонная плита под зданиями.
Здания на плитах не теряют
прочность.
[end]
[btEnergy]
ВЕТРЯК
Даёт энергию базе. Без неё
здания работают медленно.
[end]
[btElevator]
ЭЛЕВАТОР
Перерабатывает оссин в кредиты.
С ним приходит харвестер.
[end]
[btSilos]
СИЛОС
Хранит излишки оссина.
[end]
[btKazarma]
КАЗАРМА
Готовит лёгкую пехоту.
[end]
[btAkademy]
АКАДЕМИЯ
Готовит тяжёлую пехоту.
[end]
[btRadar]
РАДАР
Показывает карту местности.
[end]
[btLzavod]
Л-ЗАВОД
Завод лёгкой техники.
[end]
[btTzavod]
Т-ЗАВОД
Завод тяжёлой техники.
[end]
[btAzavod]
А-ЗАВОД
Завод летательных машин.
[end]
[btRzavod]
Р-ЗАВОД
Ремонтирует технику.
[end]
[btSPort]
КОСМОПОРТ
Принимает технику с орбиты.
[end]
[btXCenter]
Х-ЦЕНТР
Открывает новые разработки.
[end]
[btPalace]
ДВОРЕЦ
Даёт особое оружие дома.
[end]
[btTurret]
ОРУДИЙНАЯ БАШНЯ
Защищает базу от техники.
[end]
[btRTurret]
РАКЕТНАЯ БАШНЯ
Бьёт далеко и точно.
[end]
[btWall]
СТЕНА
Задерживает врага у базы.
[end]
[PSD]
ПСД
Передвижной строительный двор.
Разворачивается в базу.
[end]
[Harvester]
ХАРВЕСТЕР
Собирает оссин на полях.
[end]
[Solders]
ЛЁГКАЯ ПЕХОТА
Дешёвые и быстрые солдаты.
На панели: ПЕХОТИНЕЦ,
отряд - ПЕХОТА.
[end]
[Troopers]
ТЯЖЁЛАЯ ПЕХОТА
Солдаты с ракетами.
На панели: ГВАРДЕЕЦ,
отряд - ГВАРДИЯ.
[end]
[Raider]
РЕЙДЕР ТЕЛИКСОВ
Трайк теликсов: очень
быстрая машина.
На панели: ТРАЙК.
[end]
[Trike]
РАЗВЕДЧИК
Быстрая лёгкая машина
для разведки.
На панели: ТРАЙК.
[end]
[BTR]
БТР
Бронированная машина
на четырёх колёсах.
На панели: КВАД.
[end]
[Tank]
БОЕВОЙ ТАНК
Лёгкий танк, основа
любой армии.
На панели: ТАНК.
[end]
[RTank]
РАКЕТНЫЙ ТАНК
Ракетная установка:
бьёт издалека.
На панели: РПУ.
[end]
[BTank]
ОСАДНЫЙ ТАНК
Тяжёлая броня и пушка.
[end]
[Nositel]
НОСИТЕЛЬ
Переносит харвестеры и технику.
[end]
[Skelwing]
СКЕЛЬТРЕЛ
Лёгкий штурмовик.
[end])"_cp1251;

constexpr std::string_view SevnarSpecial = R"([Oskrans]
ОСКРАНЫ
Наёмники пустыни.
[end]
[Drevokari]
ДРЕВОКАРИ
Древний народ Зарна.
[end]
[Crow]
ПЕСЧАНЫЙ ЧЕРВЬ
Хозяин песков. Глотает технику
целиком. Держитесь скал!
[end]
[Rocket]
РУКА ВОЗМЕЗДИЯ
Ракета дворца алмиретов.
[end]
[Gromador]
ГРОМАДОР
Огромный танк горвассенов.
[end]
[Perwolan]
ПЕРВОЛАН
Особый отряд дворца.
[end]
[STank]
ТРЕМОЛАН-ТАНК
Танк с оружием звука.
[end]
[Sabot]
САБОТАЖНИК
Взрывает здания врага.
[end]
[Fregat]
ФРЕГАТ
Доставляет технику с орбиты.
[end]
[Ossin]
ОССИН
Главное богатство Зарна.
Растёт на песке и цветёт.
[end]
[Desert]
ПУСТЫНЯ
Пески Зарна полны червей.
[end]
[Water]
ВОДА
На Зарне вода дороже оссина.
[end]
[Sandweave]
КАЛЬВИДОР
Плетёный песок у скал.
[end])"_cp1251;

constexpr std::string_view AuthorsText = R"(ЗАРН III

Разработка
команда Зарн III

Программирование
команда Зарн III

Графика
команда Зарн III

Музыка и звук
команда Зарн III

Тексты
команда Зарн III

Спасибо, что играли!)"_cp1251;

TMemoLines Joined(std::initializer_list<std::string_view> parts) {
  TMemoLines all;
  for (std::string_view p : parts) {
    TMemoLines lines = SplitLines(p);
    all.insert(all.end(), lines.begin(), lines.end());
  }
  return all;
}

}  // namespace

const TMemoLines& RusHelpMemo() {
  static const TMemoLines lines = SplitLines(HelpText);
  return lines;
}

const TMemoLines& RusMissionMemo() {
  static const TMemoLines lines = [] {
    TMemoLines all;
    for (const TFactionStories& f : MissionStories)
      for (int m = 1; m <= CampaignMissionCount; ++m) {
        all.push_back("[" + std::string(f.Word) + std::to_string(m) + "]");
        for (std::string& line : SplitLines(f.Story[static_cast<std::size_t>(m - 1)])) all.push_back(std::move(line));
        all.emplace_back();
        for (std::string& line : SplitLines(GoalBriefingText(CampaignGoal(m)))) all.push_back(std::move(line));
        all.emplace_back("[end]");
      }
    return all;
  }();
  return lines;
}

const TMemoLines& RusSevnarMemo() {
  static const TMemoLines lines = Joined({SevnarFactions, SevnarSpecial});
  return lines;
}

const TMemoLines& RusAuthorsMemo() {
  static const TMemoLines lines = SplitLines(AuthorsText);
  return lines;
}

int CopyMemoSection(const TMemoLines& memo, std::string_view key, TListWidget& target) {
  ListBoxClear(target);
  if (memo.empty()) return -1;
  std::size_t i = 0;
  while (i < memo.size() && memo[i].find(key) == std::string::npos) ++i;
  if (i == memo.size()) return -1;
  for (++i; i < memo.size(); ++i) {
    if (memo[i].find("[end") != std::string::npos) {
      ListBoxAdd(target, "");
      return 0;
    }
    ListBoxAddWrapped(target, ToFontCodePage(memo[i]));
  }
  return -1;
}

void LoadBriefing(std::int32_t side, std::int32_t mission) {
  if (side < 0 || side > 255) {
    ListBoxClear(FileListBox);
    return;
  }
  const std::string_view word = FactionWord(static_cast<std::uint8_t>(side));
  if (word.empty()) {
    ListBoxClear(FileListBox);
    return;
  }
  // The closing bracket keeps mission 1 from matching mission 10.
  const std::string key = "[" + std::string(word) + std::to_string(mission) + "]";
  CopyMemoSection(RusMissionMemo(), key, FileListBox);
}

void LoadBriefingSection(std::string_view key) { CopyMemoSection(RusSevnarMemo(), key, ShortList); }

void ListBoxToFontCodePageHook() {
  ListBoxClear(FileListBox);
  for (const std::string& line : RusHelpMemo()) ListBoxAddWrapped(FileListBox, ToFontCodePage(line));
}

void TextPanelToFontCodePageHook() {
  TextPanel.Lines = RusAuthorsMemo();
  TextPanelToFontCodePage(TextPanel);
}

}  // namespace zarn
