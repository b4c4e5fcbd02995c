// Every .img picture the game loads from the archive: menu backgrounds, buttons, captions,
// titles, widgets, flags, faction emblems, build pictures and the encyclopedia's pictures.
//
// Colour rules the game imposes: buttons and captions that the menus recolour by side are drawn
// in pixels 2..9 (2 brightest); pictures blitted transparently keep colour 1 as background; the
// main menu's captions sit on colour 128 and use pixels 5..9, which the menu shifts by -3.
#include <cmath>

#include "tools/demodata/demodata.h"

namespace demodata {

namespace {

const Font& Small() { return GetFonts().small; }
const Font& Large() { return GetFonts().large; }

const Font& FitFont(int h) { return h >= 15 ? Large() : Small(); }

void Centre(Canvas& cv, const Font& f, std::string_view text, std::uint8_t colour, bool shadow,
            int dy = 0) {
  const int x = (cv.w - TextWidth(f, text)) / 2;
  const int y = (cv.h - f.height) / 2 + dy;
  if (shadow) DrawShadowText(cv, f, x, y, text, colour);
  else DrawText(cv, f, x, y, text, colour);
}

// A menu button: a black face, its rim and letters in side pixels that the hover highlight
// brightens. The letters keep off the side's brightest step, which the score table's bars use
// dimmed; on black they read on every side, lit or not.
Canvas Button(int w, int h, std::string_view text) {
  Canvas cv(w, h, kBlack);
  cv.Rect(0, 0, w, 1, 5);
  cv.Rect(0, 0, 1, h, 5);
  cv.Rect(0, h - 1, w, 1, 8);
  cv.Rect(w - 1, 0, 1, h, 8);
  Centre(cv, FitFont(h), text, 3, true);
  return cv;
}

// A main-menu caption on the menu's own background colour. All six share one style: the large
// letters, also on the two shorter pictures.
Canvas MainCaption(int w, int h, std::string_view text) {
  Canvas cv(w, h, pal::MenuBack);
  Centre(cv, Large(), text, 5, true);
  return cv;
}

// A caption drawn transparently and recoloured by side.
Canvas Caption(int w, int h, std::string_view text, bool centred = false) {
  Canvas cv(w, h);
  const Font& f = FitFont(h);
  if (centred) Centre(cv, f, text, 3, true);
  else DrawShadowText(cv, f, 0, (h - f.height) / 2, text, 3);
  return cv;
}

// A screen title: large letters shaded from bright to dark, transparent background.
Canvas Title(std::string_view text) {
  const Font& f = Large();
  Canvas cv(TextWidth(f, text) + 3, f.height + 3);
  DrawText(cv, f, 2, 2, text, kBlack);
  DrawText(cv, f, 0, 0, text, 2);
  for (int y = 0; y < cv.h; ++y)
    for (int x = 0; x < cv.w; ++x)
      if (cv.Get(x, y) == 2) cv.Set(x, y, static_cast<std::uint8_t>(2 + y * 5 / f.height));
  return cv;
}

Canvas Backdrop() {
  Canvas cv(320, 200);
  for (int y = 0; y < 200; ++y)
    for (int x = 0; x < 320; ++x) {
      const double n = Noise(x / 2, y / 2, 100) * 0.6 + Noise(x / 8, y / 8, 101) * 0.4;
      // Dark enough that the red texts and the side-coloured captions over it stand out.
      cv.Set(x, y, static_cast<std::uint8_t>(pal::Maroon + 8 + static_cast<int>(y / 100.0 + n * 1.6)));
    }
  cv.Frame(2, 2, 316, 196, pal::Gold + 3);
  cv.Frame(4, 4, 312, 192, pal::Gold + 6);
  return cv;
}

Canvas BuildMenuBackdrop() {
  Canvas cv = Backdrop();
  cv.Rect(0, 0, 320, 20, pal::Maroon + 10);          // top bar: check box, credits, flag
  cv.Rect(74, 23, 246, 19, pal::Gold + 1);           // name and price strip (dark text)
  cv.Frame(73, 22, 247, 21, pal::Gold + 4);
  cv.Frame(73, 48, 162, 106, pal::Gold + 4);         // the picture's frame
  for (int k = 0; k < 4; ++k) cv.Rect(17, 27 + 30 * k, 32, 24, pal::Maroon + 10);  // list rows
  // Arrows and the two commands: side pixels, recoloured by the menu.
  for (int row = 0; row < 2; ++row) {
    const int y = 170 + 16 * row;
    cv.Rect(24, y, 16, 9, 7);
    for (int k = 0; k < 7; ++k) {
      const int yy = row == 0 ? y + 1 + k : y + 7 - k;
      cv.Rect(32 - k, yy, 2 * k + 1, 1, 2);
    }
    cv.Rect(106, y, 214, row == 0 ? 10 : 11, 7);
    cv.Rect(106, y, 214, 1, 3);
    DrawShadowText(cv, Small(), 130, y + 1, row == 0 ? "ЗАКАЗАТЬ" : "ВЫБРАТЬ", 2);
  }
  return cv;
}

Canvas Animation(int frame) {
  // A worm rising from the dunes, seven frames looping. Narrow: the authors screen scrolls the
  // credits up the middle of the screen beside it.
  Canvas cv(64, 120, pal::MenuBack);
  for (int y = 60; y < 120; ++y)
    for (int x = 0; x < 64; ++x) {
      const double dune = 70 + std::sin(x * 0.09 + 1) * 5 + std::sin(x * 0.23) * 2;
      if (y >= dune) cv.Set(x, y, static_cast<std::uint8_t>(pal::Sand + 3 + (y - 60) / 8));
    }
  cv.Disc(48, 22, 9, pal::Gold + 1);
  cv.Disc(48, 22, 6, pal::Gold);
  const double t = frame / 7.0 * 6.2832;
  for (int k = 0; k < 14; ++k) {
    const double x = 9 + k * 3.4;
    const double y = 85 - std::sin(k * 0.45 + t) * 24 - 8;
    if (y > 90) continue;
    cv.Disc(x, y, 5 - k * 0.2, pal::Worm + 7);
    cv.Disc(x - 1, y - 1, 4 - k * 0.2, pal::Worm + 3);
  }
  return cv;
}

Canvas Flag(int w, int h, int side) {
  Canvas cv(w, h, pal::Maroon + 10);
  cv.Rect(3, 2, 2, h - 4, pal::Steel + 2);
  const int fw = w - 10, fh = h * 2 / 3;
  for (int y = 0; y < fh; ++y)
    for (int x = 0; x < fw; ++x) {
      const int wave = static_cast<int>(std::sin(x * 0.25) * 2);
      cv.Set(6 + x, 3 + y + wave, static_cast<std::uint8_t>(y < fh / 3 ? 3 : y < 2 * fh / 3 ? 5 : 8));
    }
  FixSideColours(cv, side);
  return cv;
}

Canvas Emblem(int side, std::string_view name, int shapeKind) {
  Canvas cv(82, 63, pal::Maroon + 9);
  cv.Frame(0, 0, 82, 63, pal::Gold + 2);
  // A pale shield under the side-coloured figure: red on red does not read.
  cv.Disc(41, 26, 20, pal::Gold + 4);
  cv.Disc(41, 26, 18, pal::Sand + 1);
  DrawShape(cv, UnitShape(shapeKind), 41, 26, 13, 0);
  FixSideColours(cv, side);
  // The narrow face: the longest name in the small one would run into the picture's edges.
  Centre(cv, GetFonts().narrow, name, pal::Text, true, 24);
  return cv;
}

Canvas Scene(bool won) {
  Canvas cv(200, 110);
  for (int y = 0; y < 110; ++y)
    for (int x = 0; x < 200; ++x)
      cv.Set(x, y, y < 50 ? static_cast<std::uint8_t>(won ? pal::Gold + 1 + y / 10 : pal::Maroon + 6 + y / 10)
                          : static_cast<std::uint8_t>(pal::Sand + 4 + (y - 50) / 10));
  if (won) {
    Canvas b(48, 48);
    // Nothing recolours this picture: the palace and the banner wear no side's colour, so the
    // scene fits whoever won.
    DrawBuilding(b, 15, 1, false);
    for (auto& px : b.px)
      if (px >= 2 && px <= 9) px = static_cast<std::uint8_t>(pal::Steel + px - 2);
    cv.Blit(b, 76, 46);
    cv.Rect(130, 20, 2, 40, pal::Steel + 2);
    cv.Rect(132, 20, 18, 10, pal::Gold + 1);
  } else {
    for (int k = 0; k < 5; ++k) cv.Disc(60 + k * 20, 70 - k % 2 * 6, 9, pal::Scorch + 9);
    Canvas t(40, 40);
    DrawShape(t, UnitShape(6), 20, 20, 14, 120);
    for (auto& px : t.px)
      if (px >= 2 && px <= 9) px = static_cast<std::uint8_t>(pal::Steel + px - 2);
    cv.Blit(t, 80, 50);
    for (int k = 0; k < 6; ++k) cv.Disc(100 + k * 3, 50 - k * 7, 4 + k, static_cast<std::uint8_t>(29 + k % 3));
    cv.Disc(100, 62, 5, pal::Fire + 3);
  }
  return cv;
}

Canvas ListBox(int w, int h) {
  Canvas cv(w, h, pal::Maroon + 10);
  cv.Frame(0, 0, w, h, 4);
  // The rows' text starts four columns in: the frame keeps a blank column from it.
  cv.Frame(2, 3, 235, h - 6, pal::Gold + 5);
  cv.Rect(237, 12, 14, h - 24, 8);  // track
  for (int k = 0; k < 5; ++k) {      // arrows
    cv.Rect(243 - k, 4 + k, 2 * k + 2, 1, 3);
    cv.Rect(243 - k, h - 5 - k, 2 * k + 2, 1, 3);
  }
  cv.Frame(237, 2, 14, 10, 6);
  cv.Frame(237, h - 12, 14, 10, 6);
  return cv;
}

Canvas CheckBox(bool on) {
  Canvas cv(12, 10, kBlack);
  cv.Frame(0, 0, 12, 10, 4);
  if (on) {
    cv.Line(2, 5, 4, 7, 2);
    cv.Line(4, 7, 9, 2, 2);
    cv.Line(2, 4, 4, 6, 2);
    cv.Line(4, 6, 9, 1, 2);
  }
  return cv;
}

// The picture's one label is its item's tag, as on the item's icon, in the lower left corner
// (the menus print the full name beside the picture; encyclopedia topics carry none).
Canvas BuildPicture(Subject what, int kind, int side, const char* tag) {
  Canvas cv(160, 104);
  for (int y = 0; y < 104; ++y)
    for (int x = 0; x < 160; ++x) {
      const double n = Noise(x, y, 110) * 0.5 + Noise(x / 6, y / 6, 111) * 0.5;
      // A dark ground: the build menus write the upgrade notice in red over the top rows.
      cv.Set(x, y, static_cast<std::uint8_t>(pal::Maroon + 9 + static_cast<int>(n * 2)));
    }
  DrawSubject(cv, what, kind, side, 24, 31, 112, 68);
  cv.Frame(0, 0, 160, 104, pal::Gold + 4);
  if (*tag) DrawTag(cv, 5, 104 - GetFonts().narrow.height - 4, tag);
  return cv;
}

}  // namespace

std::vector<Picture> BuildPictures() {
  std::vector<Picture> out;
  auto add = [&](const char* name, Canvas cv, const char* origin) {
    out.push_back({name, std::move(cv), origin});
  };

  add("bigmenu.img", Backdrop(), "background of the menu screens");
  add("bildmenu.img", BuildMenuBackdrop(), "build menus");
  {
    Canvas t(200, 36, pal::MenuBack);
    const int w = TextWidth(Small(), "ZARN III", 3);
    DrawText(t, Small(), (200 - w) / 2 + 2, 8, "ZARN III", kBlack, 3);
    DrawText(t, Small(), (200 - w) / 2, 6, "ZARN III", pal::Gold + 1, 3);
    add("tzarn3.img", t, "main menu and authors: title");
  }
  for (int k = 1; k <= 7; ++k) {
    static const char* kNames[7] = {"frame1.img", "frame2.img", "frame3.img", "frame4.img",
                                    "frame5.img", "frame6.img", "frame7.img"};
    add(kNames[k - 1], Animation(k - 1), "main menu and authors: animation frames 1..7");
  }
  add("tnewgame.img", MainCaption(85, 16, "НОВАЯ ИГРА"), "main menu button 1");
  add("toldgame.img", MainCaption(91, 16, "ЗАГРУЗИТЬ"), "main menu button 2");
  add("tnetgame.img", MainCaption(100, 16, "СЕТЕВАЯ ИГРА"), "main menu button 3");
  add("teditor.img", MainCaption(71, 16, "РЕДАКТОР"), "main menu button 4");
  add("tauthors.img", MainCaption(56, 14, "АВТОРЫ"), "main menu button 5");
  add("tquit.img", MainCaption(46, 13, "ВЫХОД"), "main menu button 6");

  const char* game = "in-game menu button";
  add("bsavegam.img", Button(236, 16, "СОХРАНИТЬ ИГРУ"), game);
  add("bloadgam.img", Button(236, 16, "ЗАГРУЗИТЬ ИГРУ"), game);
  add("boptions.img", Button(236, 16, "НАСТРОЙКИ"), game);
  add("bhelp.img", Button(236, 16, "ПОМОЩЬ"), game);
  add("bsevnar.img", Button(236, 16, "СОВЕТНИК СЕВНАР"), game);
  add("border.img", Button(236, 16, "ПРИКАЗ"), game);
  add("bresetgm.img", Button(236, 16, "НАЧАТЬ ЗАНОВО"), game);
  add("bnextdyn.img", Button(236, 16, "ДРУГОЙ КЛАН"), game);
  add("bexitgam.img", Button(77, 16, "ВЫЙТИ"), game);
  add("bcontgam.img", Button(141, 16, "ПРОДОЛЖИТЬ"), game);
  const char* ed = "map and scenario editor menu button";
  add("tnewmap.img", Button(236, 16, "НОВАЯ КАРТА"), ed);
  add("tloadmap.img", Button(236, 16, "ЗАГРУЗИТЬ КАРТУ"), ed);
  add("tsavemap.img", Button(236, 16, "СОХРАНИТЬ КАРТУ"), ed);
  add("texitmap.img", Button(77, 16, "ВЫХОД"), ed);
  add("teditmap.img", Button(145, 16, "РЕДАКТИРОВАТЬ"), ed);
  add("tnewscen.img", Button(236, 16, "НОВЫЙ СЦЕНАРИЙ"), ed);
  add("tloadscn.img", Button(236, 16, "ЗАГРУЗИТЬ СЦЕНАРИЙ"), ed);
  add("tsavescn.img", Button(236, 16, "СОХРАНИТЬ СЦЕНАРИЙ"), ed);
  add("tobjenab.img", Button(236, 16, "ДОСТУПНЫЕ ОБЪЕКТЫ"), ed);
  add("tupgrade.img", Button(236, 16, "НАСТРОЙКИ СЦЕНАРИЯ"), ed);
  const char* btn = "button of the file, options, lobby and editor screens";
  add("butt-ok.img", Button(73, 16, "ПРИНЯТЬ"), btn);
  add("butback2.img", Button(76, 16, "НАЗАД"), btn);
  add("buttload.img", Button(92, 16, "ЗАГРУЗИТЬ"), btn);
  add("buttsave.img", Button(92, 16, "СОХРАНИТЬ"), btn);
  add("buttdel.img", Button(72, 16, "УДАЛИТЬ"), btn);
  add("buttback.img", Button(58, 16, "НАЗАД"), "help, orders and encyclopedia: back button");
  add("tbegin.img", Button(110, 16, "НАЧАТЬ"), "mission start: begin button");
  add("but-yes.img", Button(34, 16, "ДА"), "victory, defeat and score: button");

  const char* title = "screen title";
  add("loadgame.img", Title("ЗАГРУЗКА ИГРЫ"), title);
  add("savegame.img", Title("СОХРАНЕНИЕ ИГРЫ"), title);
  add("texthelp.img", Title("ПОМОЩЬ"), title);
  add("tmapsave.img", Title("СОХРАНИТЬ КАРТУ"), title);
  add("tmapload.img", Title("ВЫБОР КАРТЫ"), title);
  add("tscnsave.img", Title("СОХРАНИТЬ СЦЕНАРИЙ"), title);
  add("tscnload.img", Title("ЗАГРУЗИТЬ СЦЕНАРИЙ"), title);
  add("tvictory.img", Title("ПОБЕДА!"), "victory title");
  add("tlose.img", Title("ПОРАЖЕНИЕ"), "defeat title");
  add("victory.img", Scene(true), "victory scene");
  add("tolose.img", Scene(false), "defeat scene");

  const char* opt = "options screen caption";
  add("spedgame.img", Caption(150, 16, "СКОРОСТЬ ИГРЫ"), opt);
  add("volume.img", Caption(150, 16, "ГРОМКОСТЬ"), opt);
  add("scroling.img", Caption(150, 16, "ПРОКРУТКА"), opt);
  add("music.img", Caption(60, 12, "МУЗЫКА"), opt);
  add("uspeak.img", Caption(128, 12, "РЕЧЬ ВОЙСК"), opt);
  add("uexecute.img", Caption(258, 12, "ОТВЕТ ВОЙСК НА ПРИКАЗ"), opt);
  add("sspeak.img", Caption(142, 12, "ГОЛОС СЕВНАРА"), opt);
  add("bsound.img", Caption(106, 12, "ЗВУК СТРОЙКИ"), opt);
  add("subtitr.img", Caption(86, 12, "СУБТИТРЫ"), opt);
  add("tcursor.img", Caption(52, 12, "КУРСОР"), opt);
  add("textlow.img", Caption(36, 14, "МИН", true), "track bar low end mark");
  add("texthigh.img", Caption(40, 14, "МАКС", true), "track bar high end mark");
  const char* lobby = "network lobby caption";
  add("tnikname.img", Caption(200, 14, "ИМЯ ИГРОКА"), lobby);
  add("tserver.img", Caption(200, 14, "СЕРВЕР"), lobby);
  add("tplayers.img", Caption(90, 14, "ИГРОКИ"), lobby);
  add("truschat.img", Caption(190, 14, "РУССКИЙ ЧАТ"), lobby);
  add("tsrvwork.img", Caption(190, 14, "СЕРВЕР РАБОТАЕТ"), lobby);
  add("txtcrows.img", Caption(80, 14, "ЧЕРВИ"), lobby);
  add("textmap.img", Caption(200, 16, "ВЫБОР КАРТЫ"), "server's map choice caption");
  add("tmapsize.img", Caption(200, 16, "РАЗМЕР КАРТЫ"), "new map caption");
  add("tgorizon.img", Caption(150, 14, "ШИРИНА"), "new map caption");
  add("tvertikl.img", Caption(150, 14, "ВЫСОТА"), "new map caption");
  add("tkonveer.img", Caption(75, 12, "КОНВЕЙЕР"), "build menus: repeat production caption");
  {
    Canvas d(30, 16, kBlack);
    d.Frame(0, 0, 30, 16, 4);
    add("digitbox.img", d, "network lobby: number box");
  }

  add("listbox.img", ListBox(254, 108), "list boxes");
  {
    Canvas t(12, 22, 4);
    t.Frame(0, 0, 12, 22, 8);
    for (int y = 7; y < 16; y += 3) t.Rect(3, y, 6, 1, 2);
    add("dvigok.img", t, "list box scroll thumb");
  }
  {
    Canvas e(254, 14, kBlack);
    e.Frame(0, 0, 254, 14, 4);  // one line: the text's descenders reach the twelfth row
    add("editbox.img", e, "edit lines and side chooser");
  }
  {
    // Eight rows of bar and a thumb from the row above it to the bar's last: a title sits
    // seven rows above a bar, and text eight rows below one in the scenario editor's panel.
    Canvas t(200, 8, pal::Maroon + 10);
    t.Rect(2, 3, 196, 2, 8);
    t.Frame(0, 0, 200, 8, 5);
    add("trackbar.img", t, "track bars");
    Canvas k(20, 10);
    k.Rect(3, 2, 14, 7, 4);
    k.Rect(3, 2, 14, 1, 2);
    k.Rect(9, 4, 2, 3, 8);
    k.Outline();
    add("dvigok2.img", k, "track bar thumb");
  }
  add("chktrue.img", CheckBox(true), "check boxes: on");
  add("chkfalse.img", CheckBox(false), "check boxes: off");
  {
    Canvas s(10, 10);
    s.Disc(5, 5, 5, 8);
    s.Disc(4.5, 4.5, 4, 5);
    s.Disc(3.5, 3.5, 2, 2);
    add("sphera.img", s, "side chooser sphere");
  }
  {
    Canvas p(174, 18, pal::Maroon + 10);
    p.Frame(0, 0, 174, 18, pal::Gold + 4);
    for (int k = 0; k < 6; ++k) {
      p.Rect(9 - k, 9 - k, 1, 2 * k + 1, pal::Gold + 1);
      p.Rect(165 + k, 9 - k, 1, 2 * k + 1, pal::Gold + 1);
    }
    p.Frame(14, 0, 146, 18, pal::Gold + 4);
    add("pagelist.img", p, "editor palette strips");
  }

  add("saflag.img", Flag(120, 40, 1), "mission start and orders: flag of side 1");
  add("sgflag.img", Flag(120, 40, 0), "mission start and orders: flag of side 0");
  add("stflag.img", Flag(120, 40, 2), "mission start and orders: flag of other sides");
  add("aflag.img", Flag(55, 20, 1), "build menus: flag of side 1");
  add("gflag.img", Flag(55, 20, 0), "build menus: flag of side 0 and others");
  add("tflag.img", Flag(55, 20, 2), "build menus: flag of side 2");
  add("almireth.img", Emblem(1, "АЛМИРЕТЫ", 6), "faction choice and encyclopedia");
  add("telix.img", Emblem(2, "ТЕЛИКСЫ", 4), "faction choice and encyclopedia");
  add("gorvasen.img", Emblem(0, "ГОРВАССЕНЫ", 7), "faction choice and encyclopedia");

  // Build pictures by item (and the encyclopedia, which uses the same names).
  struct Item {
    const char* name;
    Subject what;
    int kind, side;
    const char* tag;
  };
  const Item items[] = {
      {"bsolder.img", Subject::Unit, 1, 7, "ПЕХ"},
      {"btruper.img", Subject::Unit, 3, 7, "Т-П"},
      {"btrike.img", Subject::Unit, 4, 7, "ТРК"},
      {"btrike2.img", Subject::Unit, 4, 2, "РДР"},
      {"bbtr.img", Subject::Unit, 5, 7, "КВД"},
      {"b1tank.img", Subject::Unit, 6, 7, "ТНК"},
      {"bbtank.img", Subject::Unit, 7, 7, "ОСД"},
      {"brtank.img", Subject::Unit, 8, 7, "РПУ"},
      {"bttank.img", Subject::Unit, 9, 7, "ТРМ"},
      {"bharvest.img", Subject::Unit, 10, 7, "ХРВ"},
      {"bgromdor.img", Subject::Unit, 11, 7, "ГРМ"},
      {"bpsd.img", Subject::Unit, 12, 7, "ПСД"},
      {"bperwoln.img", Subject::Unit, 13, 7, "ПРВ"},
      {"bnositel.img", Subject::Unit, 14, 7, "НОС"},
      {"bstelth.img", Subject::Unit, 15, 7, "СКЛ"},
      {"bplita.img", Subject::Building, 0, 7, "ПЛ"},
      {"bplita2.img", Subject::Building, -18, 7, "ПЛ4"},
      {"bkdvor.img", Subject::Building, 2, 7, "ДВОР"},
      {"benergy.img", Subject::Building, 3, 7, "ВЕТР"},
      {"belevatr.img", Subject::Building, 4, 7, "ЭЛЕВ"},
      {"bsilos.img", Subject::Building, 5, 7, "СИЛ"},
      {"bradar.img", Subject::Building, 6, 7, "РАДР"},
      {"bkazarma.img", Subject::Building, 7, 7, "КАЗ"},
      {"bakademy.img", Subject::Building, 8, 7, "АКАД"},
      {"blzavod.img", Subject::Building, 9, 7, "Л-З"},
      {"btzavod.img", Subject::Building, 10, 7, "Т-З"},
      {"brzavod.img", Subject::Building, 11, 7, "Р-З"},
      {"bazavod.img", Subject::Building, 12, 7, "А-З"},
      {"bxcenter.img", Subject::Building, 13, 7, "НЦ"},
      {"bsport.img", Subject::Building, 14, 7, "ПОРТ"},
      {"bpalace.img", Subject::Building, 15, 7, "ДВРЦ"},
      {"bturret.img", Subject::Building, 16, 7, "ОРД"},
      {"brturret.img", Subject::Building, 17, 7, "РКБ"},
      {"bwall.img", Subject::Building, 1, 7, "СТН"},
  };
  for (const auto& it : items)
    add(it.name, BuildPicture(it.what, it.kind, it.side, it.tag), "build menus and encyclopedia");
  const Item topics[] = {
      {"oskran.img", Subject::Oskran, 0, 4, ""},
      {"bdrevkar.img", Subject::Woodsmen, 0, 3, ""},
      {"bcrow.img", Subject::Worm, 0, 7, ""},
      {"rocket.img", Subject::Launch, 0, 7, ""},
      {"sabotage.img", Subject::Saboteur, 0, 2, ""},
      {"bfregate.img", Subject::Frigate, 0, 7, ""},
  };
  for (const auto& it : topics)
    add(it.name, BuildPicture(it.what, it.kind, it.side, it.tag), "encyclopedia topic picture");
  return out;
}

Bytes ImgBytes(const Canvas& cv) {
  Bytes out(4 + cv.px.size());
  out[0] = static_cast<std::uint8_t>(cv.w & 0xFF);
  out[1] = static_cast<std::uint8_t>(cv.w >> 8);
  out[2] = static_cast<std::uint8_t>(cv.h & 0xFF);
  out[3] = static_cast<std::uint8_t>(cv.h >> 8);
  for (std::size_t i = 0; i < cv.px.size(); ++i) out[4 + i] = cv.px[i];
  return out;
}

}  // namespace demodata
