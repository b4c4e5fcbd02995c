// The game's long texts and the copying of their sections into the menus' widgets.
#include <string>

#include "game/base/cp1251.h"
#include "game/shell/dresurse.h"
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

constexpr std::string_view HelpText = R"(        КЛАВИШИ ИГРЫ

Стрелки - прокрутка карты
Ctrl+0..9 - запомнить группу
0..9 - выбрать группу
Ctrl+C - к выбранным войскам
Ctrl+M - музыка вкл/выкл
Ctrl+S - звуки вкл/выкл
= / - - скорость игры
Esc - меню игры
F12 - снимок экрана
Enter - отправить сообщение
       (в сетевой игре)

        МЫШЬ

Левая кнопка - выбор, приказ
Правая кнопка - отмена приказа
Двойной щелчок - все такие же
       войска на экране
Рамка - выбор нескольких войск

        РЕДАКТОР КАРТ

E - залить экран землёй
G - залить экран песком
M - залить экран скалой
S - оссин на песке экрана)"_cp1251;

constexpr std::string_view MissionTextAlmireth = R"([ALMIRETH1]
Командир! Мы высадились на Зарне.
Постройте базу и соберите
2000 единиц оссина. Харвестеры
везут оссин на элеватор.
[end]
[ALMIRETH2]
Горвассены близко. Соберите
5000 единиц оссина и не дайте
им захватить поля.
[end]
[ALMIRETH3]
Разведка нашла базу врага.
Уничтожьте всех противников
в этой области.
[end]
[ALMIRETH4]
Нам нужен радар, чтобы видеть
всю пустыню. Постройте его.
[end]
[ALMIRETH5]
Враг собирает силы. Продержитесь
30 минут, пока не придёт помощь.
[end]
[ALMIRETH6]
Теликсы напали на наши поля.
Уничтожьте их базу.
[end]
[ALMIRETH7]
Соберите 10000 единиц оссина
для нового флота.
[end]
[ALMIRETH8]
Постройте космопорт: нам нужны
поставки с орбиты.
[end]
[ALMIRETH9]
Две армии идут на нас.
Продержитесь 60 минут.
[end]
[ALMIRETH10]
Горвассены строят крепость.
Сотрите её с лица Зарна.
[end]
[ALMIRETH11]
Постройте дворец: он даст
нам особое оружие.
[end]
[ALMIRETH12]
Последний бой за Зарн!
Уничтожьте всех врагов.
[end])"_cp1251;

constexpr std::string_view MissionTextGorvassen = R"([GORVASSEN1]
Воин! Зарн ждёт нас. Поставь
базу и собери 2000 единиц
оссина для Горвассена.
[end]
[GORVASSEN2]
Алмиреты пришли за нашим
оссином. Собери 5000 единиц
раньше них.
[end]
[GORVASSEN3]
Найди и разрушь базу
алмиретов в ущелье.
[end]
[GORVASSEN4]
Нам нужен радар. Построй его
на скалах у поля.
[end]
[GORVASSEN5]
Враг окружил нас. Держись
30 минут.
[end]
[GORVASSEN6]
Теликсы мешают нашим
харвестерам. Уничтожь их.
[end]
[GORVASSEN7]
Собери 10000 единиц оссина
для нашей армии.
[end]
[GORVASSEN8]
Построй космопорт, чтобы
получать технику с орбиты.
[end]
[GORVASSEN9]
Удержи базу 60 минут против
всех врагов.
[end]
[GORVASSEN10]
Крепость алмиретов стоит
у моря песка. Разрушь её.
[end]
[GORVASSEN11]
Построй дворец: он откроет
путь к особому оружию.
[end]
[GORVASSEN12]
Настал час победы. Уничтожь
всех врагов на Зарне.
[end])"_cp1251;

constexpr std::string_view MissionTextTelix = R"([TELIX1]
Пилот! Теликсы пришли на Зарн.
Постройте базу и соберите
2000 единиц оссина.
[end]
[TELIX2]
Соберите 5000 единиц оссина,
пока враг не нашёл поля.
[end]
[TELIX3]
Уничтожьте передовую базу
горвассенов.
[end]
[TELIX4]
Постройте радар: разведка
решает исход войны.
[end]
[TELIX5]
Продержитесь 30 минут, пока
идёт эвакуация.
[end]
[TELIX6]
Алмиреты заняли наши поля.
Уничтожьте их.
[end]
[TELIX7]
Соберите 10000 единиц оссина
для новых рейдеров.
[end]
[TELIX8]
Постройте космопорт для
поставок с орбиты.
[end]
[TELIX9]
Удержите базу 60 минут.
[end]
[TELIX10]
Разрушьте главную крепость
горвассенов.
[end]
[TELIX11]
Постройте дворец, чтобы
получить особое оружие.
[end]
[TELIX12]
Решающая битва! Уничтожьте
всех врагов на планете.
[end])"_cp1251;

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
[end]
[Troopers]
ТЯЖЁЛАЯ ПЕХОТА
Солдаты с ракетами.
[end]
[Raider]
РЕЙДЕР ТЕЛИКСОВ
Очень быстрая машина.
[end]
[Trike]
РАЗВЕДЧИК
Быстрая лёгкая машина.
[end]
[BTR]
БТР
Бронированный транспортёр.
[end]
[Tank]
БОЕВОЙ ТАНК
Основа любой армии.
[end]
[RTank]
РАКЕТНЫЙ ТАНК
Бьёт издалека.
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
  static const TMemoLines lines =
      Joined({MissionTextAlmireth, MissionTextGorvassen, MissionTextTelix});
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
    ListBoxAdd(target, ToFontCodePage(memo[i]));
  }
  return -1;
}

void LoadBriefing(std::int32_t side, std::int32_t mission) {
  if (side < 0 || side > 255) {
    ListBoxClear(FileListBox);
    return;
  }
  std::string key = "[";
  key += FactionWord(static_cast<std::uint8_t>(side));
  key += std::to_string(mission);
  CopyMemoSection(RusMissionMemo(), key, FileListBox);
}

void LoadBriefingSection(std::string_view key) { CopyMemoSection(RusSevnarMemo(), key, ShortList); }

void ListBoxToFontCodePageHook() {
  ListBoxClear(FileListBox);
  for (const std::string& line : RusHelpMemo()) ListBoxAdd(FileListBox, line);
  ListBoxToFontCodePage(FileListBox);
}

void TextPanelToFontCodePageHook() {
  TextPanel.Lines = RusAuthorsMemo();
  TextPanelToFontCodePage(TextPanel);
}

}  // namespace zarn
