#include "game/menus/options.h"

#include "game/menus/gamemenu.h"
#include "game/sound/dsnd.h"

namespace zarn {

namespace {

struct TBarLayout {
  int X, Y;
  std::int32_t TGameOptions::*Field;
  std::int32_t Minimum, Maximum, Step;
};
constexpr TBarLayout Bars[3] = {
    {60, 25, &TGameOptions::GameSpeed, 15, 17, 1},
    {60, 53, &TGameOptions::SoundVolume, 0, 100, 5},
    {60, 81, &TGameOptions::ScrollPause, 0, 18, 1},
};

struct TCheckLayout {
  int X, Y, Width;
  bool TGameOptions::*Field;
};
constexpr TCheckLayout Checks[7] = {
    {13, 91, 83, &TGameOptions::MusicEnable},      {13, 107, 149, &TGameOptions::UnitSpeak},
    {13, 123, 280, &TGameOptions::UnitExecuteSpeak}, {13, 139, 164, &TGameOptions::SevnarSpeak},
    {13, 155, 127, &TGameOptions::BuildSpeak},     {191, 154, 107, &TGameOptions::MessageEnable},
    {191, 138, 72, &TGameOptions::StarCraftCursor},
};

struct TCaption {
  std::string_view Picture;
  int X, Y;
};
constexpr TCaption Captions[10] = {
    {"spedgame.img", 60, 6},  {"volume.img", 60, 34},   {"scroling.img", 60, 62},
    {"music.img", 33, 91},    {"uspeak.img", 33, 107},  {"uexecute.img", 33, 123},
    {"sspeak.img", 33, 139},  {"bsound.img", 33, 155},  {"subtitr.img", 211, 155},
    {"tcursor.img", 211, 139},
};

constexpr std::array<std::string_view, 2> ButtonPictures{"butt-ok.img", "butback2.img"};

void BackToGameMenu() { GameScreen = ScreenGameMenu; }

}  // namespace

void OpenOptions() {
  GameOptionsBackup = GameOptions;
  OpenMenuScreen(ScreenOptions);
  for (std::size_t i = 0; i < OptionChecks.size(); ++i)
    CheckBoxCreate(OptionChecks[i], Checks[i].X, Checks[i].Y, Checks[i].Width,
                   &(GameOptionsBackup.*Checks[i].Field));
  for (std::size_t i = 0; i < OptionBars.size(); ++i)
    TrackBarCreate(OptionBars[i], Bars[i].X, Bars[i].Y, Bars[i].Minimum, Bars[i].Maximum, Bars[i].Step,
                   &(GameOptionsBackup.*Bars[i].Field));
}

void OptionsClick() {
  switch (ClickedButton(OptionsButtons)) {
    case 1:
      PlayButtonSound();
      OpenGameMenu();
      if (GameOptions.SoundSystemDisable) {
        GameOptionsBackup.MusicEnable = false;
        GameOptionsBackup.SoundEnable = false;
      }
      GameOptions = GameOptionsBackup;
      ApplyGameSpeedProc();
      return;
    case 2:
      PlayButtonSound();
      OpenGameMenu();
      return;
    default:
      break;
  }
  for (TCheckWidget& c : OptionChecks) CheckBoxMouseDown(c, ClickX(), ClickY());
  for (TTrackWidget& t : OptionBars) TrackBarMouseDown(t, ClickX(), ClickY());
}

void OptionsDraw() {
  if (!BeginMenuFrame(BackToGameMenu)) return;
  DrawMenuBackground();
  for (const TCaption& c : Captions) DrawPicture(c.Picture, c.X, c.Y, true);
  for (const TBarLayout& b : Bars) DrawPicture("textlow.img", 19, b.Y - 1, true);
  for (const TBarLayout& b : Bars) DrawPicture("texthigh.img", 263, b.Y - 4, true);
  RecolorRect(10, 5, 300, 190, 0, MenuSide());
  DrawButtonPictures(OptionsButtons, ButtonPictures);
  for (TTrackWidget& t : OptionBars) TrackBarDraw(t);
  for (const TCheckWidget& c : OptionChecks) CheckBoxDraw(c);
  DrawHoverHighlight(OptionsButtons, MenuSide(), OptionsBox);
  EndMenuFrame();
}

}  // namespace zarn
