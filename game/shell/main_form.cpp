// The main window: creation, the one-time start-up sequence, the display mode and full screen,
// the hook table and the orderly end.
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <new>

#include "game/base/dvga.h"
#include "game/menus/dmenus.h"
#include "game/shell/Main.h"
#include "game/shell/dresurse.h"
#include "game/net/netgame.h"
#include "game/shell/settings.h"
#include "game/shell/soundout.h"
#include "game/shell/worldclock.h"
#include "game/sound/dsnd.h"
#include "game/world/dobjects.h"
#include "game/world/gamestart.h"
#include "game/world/messages.h"
#include "game/world/pulses.h"
#include "platform/app.h"
#include "platform/audio.h"
#include "platform/forms.h"

namespace zarn {

namespace {

// Glyph storage of the three fonts.
std::vector<std::uint8_t> MainFontGlyphs, SecondFontGlyphs, ThirdFontGlyphs;

struct TSheetFile {
  const char* name;
  TSheetRef sheet;
  int first;
  int count;
};

// A data file that does not open or is short is noted for the player; the others still load.
int SheetResult(std::string_view name, int code) {
  if (code == 0) return GraphicsOk;
  const int why = code == DataFileOpenError ? OpenErrorCode(NativePath(name)) : code;
  GraphicsProblems.push_back(FileProblemText(name, why != 0 ? why : code));
  return GraphicsFileError;
}

std::string ArchiveErrorText() {
  ErrorFileName = ResourceArchiveFile;
  return FileProblemText(ResourceArchiveFile, ArchiveError);
}

std::string JoinLines(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += (text.empty() ? "" : "\n") + line;
  return text;
}

// Scenario, map, the map's start objects and the world from the lists, then play. False (the
// loader has told the player why) when a file does not read.
bool StartScenarioAtOnce(const char* name) {
  if (LoadScenario(name) || !BuildScenarioWorld()) return false;
  StartGame();
  return true;
}

}  // namespace

plat::PixelFormat BackBitmapFormat() {
  return GameOptions.PaletteType == 0 ? plat::PixelFormat::Rgb555 : plat::PixelFormat::Rgb565;
}

namespace {

void ReportProblemUtf8(const std::string& utf8) {
  std::fprintf(stderr, "ZARN III: %s\n", utf8.c_str());
  plat::Form* parent = MainForm ? MainForm->Handle() : nullptr;
  plat::MessageBox(parent, "ZARN III", utf8, plat::MessageKind::Error);
}

}  // namespace

void ReportFileProblem(const std::string& text) { ReportProblemUtf8(plat::Cp1251ToUtf8(text)); }

void HaltWithMessage(const std::string& text) {
  ReportFileProblem(text);
  ProgramExitCode = 1;
  plat::Terminate();
}

// --- FormCreate / FormDestroy ----------------------------------------------------------------

TMainForm::TMainForm() : TDXForm(" ZARN III", 320, 200) {
  // The game's paths are relative to its own folder, whatever folder it was started from.
  std::error_code ec;
  std::filesystem::current_path(ProgramFolder(), ec);
  // The save folder is needed only for saving; a read-only installation still plays.
  std::filesystem::create_directories(NativePath("save"), ec);
  plat::SurfaceCreate(BackBitmap, ScreenWidth, ScreenHeight, BackBitmapFormat());

  CreateDisplay(*this);

  DXTimer.SetInterval(0);
  DXTimer.SetActiveOnly(false);
  DXTimer.SetEnabled(false);
  DXTimer.OnTimer = [this](TCustomDXTimer&, int) { DXTimerTimer(); };
  DXTimer.OnActivate = [this](TCustomDXTimer&) { DXTimerActivate(); };
  DXTimer.OnDeactivate = [this](TCustomDXTimer&) { DXTimerDeactivate(); };
  AddTimer(DXTimer);
  DXTimer1.SetInterval(1000);
  DXTimer1.SetActiveOnly(false);
  DXTimer1.OnActivate = [this](TCustomDXTimer&) { DXTimerTimer(); };
  AddTimer(DXTimer1);
  DXTimer1.Loaded();

  DXInput = std::make_unique<TDXInput>(this);
  DXInput->Mouse().SetEnabled(false);
  DXInput->Loaded();

  DXSound = std::make_unique<TDXSound>(Handle());
  DXSound->AutoInitialize = false;
  DXSound->SetOptions(soGlobalFocus | soExclusive);
  DXWaveList = std::make_unique<TDXWaveList>();
  DXWaveList->SetDXSound(DXSound.get());
  SoundDevice = DXSound.get();
  SoundWaves = DXWaveList.get();
  SoundDeviceFailed = false;
  SoundBankLoaded = false;

  Timer1 = plat::AddTimer(static_cast<std::uint32_t>(WorldTimerInterval), [] { WorldTimerStep(); });
  Timer2 = plat::AddTimer(ClockTickMs, [] { InterfaceTimerStep(); });
  plat::OnMusicEnd = [] { MediaPlayerNotify(); };

  PointerInWindow = true;
  WindowFocused = true;
  OnActivate = [this](TDXForm&) {
    WindowFocused = true;
    FormActivate();
  };
  OnDeactivate = [](TDXForm&) { WindowFocused = false; };
  OnClose = [this](TDXForm&, plat::CloseAction& action) { FormClose(action); };
  if (plat::Form* f = Handle()) {
    f->OnKeyDown = [this](int& key, plat::ShiftState s) { FormKeyDown(key, s); };
    f->OnKeyPress = [this](std::uint8_t& ch) { FormKeyPress(ch); };
    f->OnMouseMove = [this](plat::ShiftState s, int x, int y) { DXDrawMouseMove(s, x, y); };
    f->OnMouseEnter = [] { PointerInWindow = true; };
    f->OnMouseLeave = [] { PointerInWindow = false; };
    f->OnMouseDown = [this](plat::MouseButton b, plat::ShiftState s, int x, int y) {
      DXDrawMouseDown(b, s, x, y);
    };
    f->OnMouseUp = [this](plat::MouseButton b, plat::ShiftState s, int x, int y) {
      DXDrawMouseUp(b, s, x, y);
    };
    f->OnClick = [this] { DXDrawClick(); };
    f->OnDblClick = [this] { DXDrawDblClick(); };
  }
  MainForm = this;
}

TMainForm::~TMainForm() {
  plat::OnMusicEnd = nullptr;
  if (Timer1) plat::RemoveTimer(Timer1);
  if (Timer2) plat::RemoveTimer(Timer2);
  if (plat::Form* f = Handle()) {
    f->OnKeyDown = nullptr;
    f->OnKeyPress = nullptr;
    f->OnMouseMove = nullptr;
    f->OnMouseEnter = nullptr;
    f->OnMouseLeave = nullptr;
    f->OnMouseDown = nullptr;
    f->OnMouseUp = nullptr;
    f->OnClick = nullptr;
    f->OnDblClick = nullptr;
  }
  DXTimer.SetEnabled(false);
  DXTimer1.SetEnabled(false);
  RemoveTimer(DXTimer);
  RemoveTimer(DXTimer1);
  DestroyDisplay(*this);
  SoundWaves = nullptr;
  SoundDevice = nullptr;
  DXWaveList.reset();
  DXSound.reset();
  DXInput.reset();
  plat::SurfaceRelease(BackBitmap);
  // Nothing draws any more: the pictures' archive can go.
  CloseAllArchives();
  ArchiveBuffer.clear();
  ArchiveBuffer.shrink_to_fit();
  if (MainForm == this) MainForm = nullptr;
}

void TMainForm::FormClose(plat::CloseAction&) {
  Closing = true;
  plat::MusicStop();
  if (!GameOptions.SoundSystemDisable && DXSound) DXSound->Finalize();
}

// --- Start-up -------------------------------------------------------------------------------

std::int32_t LoadGraphics() {
  CursorRecord.Color = 15;
  WorldTickCount = 0;
  GraphicsProblems.clear();
  GraphicsPaletteMissing = false;

  CloseAllArchives();
  const std::uint32_t thousands = ArchiveBufferSize(ResourceArchiveFile);
  if (thousands == 0) return GraphicsArchiveEmpty;
  try {
    ArchiveBuffer.assign(static_cast<std::size_t>(thousands) * 1000, 0);
  } catch (const std::bad_alloc&) {
    return GraphicsArchiveNoBuffer;
  }
  if (OpenResourceArchive(ResourceArchiveFile, ArchiveBuffer) != 0) return GraphicsArchiveReadError;

  int result = SheetResult(PaletteSheetFile, LoadPaletteSheetFile(PaletteSheetFile, TileSheet16.Ref(), 1, 79));
  GraphicsPaletteMissing = result != GraphicsOk;
  BuildHiColorTable();
  const TSheetFile sheets[] = {
      {"data\\army3.dat", TileSheet16.Ref(), 80, 8},
      {"data\\turrets.dat", TileSheet16.Ref(), 88, 8},
      {"data\\rturrets.dat", TileSheet16.Ref(), 96, 10},
      {"data\\shutes.dat", TileSheet16.Ref(), 106, 18},
      {"data\\explos16.dat", TileSheet16.Ref(), 124, 9},
      {"data\\earthes.dat", TileSheet16.Ref(), 133, 16},
      {"data\\mounds.dat", TileSheet16.Ref(), 149, 20},
      {"data\\gravels.dat", TileSheet16.Ref(), 169, 10},
      {"data\\ossins.dat", TileSheet16.Ref(), 179, 16},
      {"data\\rossins.dat", TileSheet16.Ref(), 195, 16},
      {"data\\sharv.dat", TileSheet16.Ref(), 211, 24},
      {"data\\traces.dat", TileSheet16.Ref(), 235, 4},
      {"data\\glaukevy.dat", TileSheet16.Ref(), 239, 1},
      {"data\\craters.dat", TileSheet16.Ref(), 240, 12},
      {"data\\shadows.dat", TileSheet16.Ref(), 252, 8},
      {"data\\cursors.dat", TileSheet16.Ref(), 260, 44},
      {"data\\army2.dat", SpriteSheet24.Ref(), 1, 32},
      {"data\\army4.dat", SpriteSheet24.Ref(), 33, 16},
      {"data\\explos24.dat", SpriteSheet24.Ref(), 49, 6},
      {"data\\crows.dat", SpriteSheet24.Ref(), 55, 8},
      {"data\\smokes.dat", SpriteSheet32.Ref(), 1, 3},
      {"data\\b32x32.dat", SpriteSheet32.Ref(), 4, 13},
      {"data\\b48x32.dat", SpriteSheet48x32.Ref(), 1, 11},
      {"data\\b48x48.dat", SpriteSheet48x48.Ref(), 1, 5},
  };
  auto note = [&result](int r) {
    if (result == GraphicsOk) result = r;
  };
  for (const TSheetFile& s : sheets) note(SheetResult(s.name, LoadSheetFile(s.name, s.sheet, s.first, s.count)));
  note(SheetResult("data\\panel.dat", LoadDataBlock("data\\panel.dat", PanelCopy)));
  note(SheetResult("data\\icons.dat", LoadSheetFile("data\\icons.dat", LargeIcons.Ref(), 1, 43)));
  note(SheetResult("data\\icons2.dat", LoadSheetFile("data\\icons2.dat", SmallIcons.Ref(), 1, 18)));
  return result;
}

void TMainForm::PrintScreen() {
  std::string failed;
  const std::string name = PrintScreenFile(&failed);
  if (!name.empty()) {
    ShowMessageLine(AlreadyInFontCodePage(ScreenshotSavedText(name)));
  } else if (!failed.empty() && !ScreenshotFailureTold) {
    // Told once: a folder that cannot be written stays so for the whole run.
    ScreenshotFailureTold = true;
    ShowMessageLine(AlreadyInFontCodePage(ScreenshotNotSavedText(failed)));
    std::fprintf(stderr, "ZARN III: the screenshot %s could not be written\n", NativePath(failed).c_str());
  }
}

void FillHooks() {
  PlaySoundProc = PlaySound;
  PlayMusicProc = PlayMusic;
  PresentFrameProc = PresentFrame;
  QuitProc = QuitGame;
  NetWorldTickProc = NetWorldTick;
  PlayClickSoundProc = PlayClickSound;
  ApplyGameSpeedProc = ApplyGameSpeedHook;
  MapEditorInputProc = MapEditorInput;
  ScenarioEditorInputProc = ScenarioEditorInput;
  StopMusicProc = StopMusic;
  EndNetGameProc = EndNetGame;
  PauseResumeMusicProc = PauseResumeMusic;
  ListBoxToFontCodePageProc = ListBoxToFontCodePageHook;
  TextPanelToFontCodePageProc = TextPanelToFontCodePageHook;
  LoadBriefingProc = LoadBriefing;
  LoadBriefingSectionProc = LoadBriefingSection;
  ShowMessageProc = ShowMessageHook;
  OpenVictoryProc = OpenVictory;
  OpenDefeatProc = OpenDefeat;
  FillNetHooks();
}

void TMainForm::FormActivate() {
  if (StartedUp) return;  // later activations (after a message box) change nothing
  StartedUp = true;
  ScreenshotFailureTold = false;
  try {
    // Unreadable settings are told; the game starts with its own and does not overwrite them.
    if (std::string why; !LoadSettings(&why)) ReportProblemUtf8(why);
    // A lost display ends the program as quitting does, so the settings are kept.
    plat::OnDisplayLost = [] { SaveSettings(); };
    plat::SurfaceCreate(BackBitmap, ScreenWidth, ScreenHeight, BackBitmapFormat());
    FullScreenWanted = 1;
    WorldTickCount = 0;
    ViewState.LocalSide = 3;

    GraphicsLoadError = LoadGraphics();
    if (GraphicsLoadError == GraphicsArchiveEmpty || GraphicsLoadError == GraphicsArchiveReadError) {
      HaltWithMessage(ArchiveErrorText());
      return;
    }
    if (GraphicsLoadError == GraphicsArchiveNoBuffer) {
      HaltWithMessage(OutOfMemoryText(ResourceArchiveFile));
      return;
    }
    if (!GraphicsProblems.empty()) {
      // Without the palette nothing could be seen: stop. Other pictures stay blank.
      if (GraphicsPaletteMissing) {
        HaltWithMessage(JoinLines(GraphicsProblems));
        return;
      }
      ReportFileProblem(JoinLines(GraphicsProblems));
    }

    struct {
      const char* file;
      std::vector<std::uint8_t>* glyphs;
      std::uint16_t* handle;
    } fonts[] = {{"data\\latrus3.fnt", &MainFontGlyphs, &MainFont},
                 {"data\\zarnrus.fnt", &SecondFontGlyphs, &SecondFont},
                 {"data\\year2000.fnt", &ThirdFontGlyphs, &ThirdFont}};
    for (auto& f : fonts) {
      *f.handle = LoadFont(f.file, *f.glyphs);
      if (*f.handle == 0) {
        HaltWithMessage(FileProblemText(f.file, FileError));
        return;
      }
    }

    StartSoundDevice();
    FillHooks();
    ApplyScreenMode();

    BuildHiColorTable();
    ClearScreen();
    SelectCursor(0);
    SetCursorColor(200);
    InitPointerAnimCounters();

    ApplyGameSpeedHook();
    LoadSoundBank();
    PlayTitleMusic();

    ClearWorldObjects();

    const std::string& p = CommandLineParameter;
    if (p.find("-debug") != std::string::npos) {
      DebugFlags.DebugMode = 1;
      OpenMainMenu();
    } else if (p.find("-editor") != std::string::npos) {
      ShellCalls.OpenMapEditorMenu();
    } else {
      OpenMainMenu();
    }
    // Test entry: ZARN_TEST_SCENARIO names a scenario of "scenes\" that is played at once, for
    // the checks that drive the real program; the menus stay the way back.
    if (const char* scene = std::getenv("ZARN_TEST_SCENARIO"); scene != nullptr && *scene != '\0')
      StartScenarioAtOnce(scene);
  } catch (const std::bad_alloc&) {
    // Whatever was being loaded is not to blame.
    HaltWithMessage(std::string(OutOfMemoryText()));
  } catch (const std::exception& e) {
    HaltWithMessage(e.what());
  }
}

// --- Hook targets ---------------------------------------------------------------------------

void QuitGame() {
  TMainForm* form = MainForm;
  if (form && form->Closing) return;
  if (!SaveSettings())
    std::fprintf(stderr, "ZARN III: the settings were not saved: %s cannot be written\n", SettingsPath().c_str());
  // The archive buffer is freed with the form, once the loop has stopped drawing.
  if (form)
    form->Close();
  else
    plat::Terminate();
}

void ShowMessageHook(std::string_view text) {
  plat::Form* parent = MainForm ? MainForm->Handle() : nullptr;
  plat::MessageBox(parent, "ZARN III", plat::Cp1251ToUtf8(std::string(text)));
}

void ApplyGameSpeedHook() {
  ApplyGameSpeed();
  if (MainForm && MainForm->Timer1)
    plat::SetTimerInterval(MainForm->Timer1, static_cast<std::uint32_t>(WorldTimerInterval));
}

// --- The program ----------------------------------------------------------------------------

bool CreateProgram(int argc, char** argv, std::string* error) {
  SetDefaultOptions();
  dobjectsInitialization();
  ChatLine = " ";
  MapFileName = "alm1.map";
  MapExists = 0;
  ShowFrameRate = 0;
  ScreenshotNumber = 0;
  ResetClipRect();
  MouseButtonUp = 1;
  RightButtonUp = 1;
  ProgramExitCode = 0;
  InstallScreenProcs();
  // Single play, as a program always starts: a network game of a program before this one in the
  // same process (its sockets, its role) ends here, or the editors would send their edits away.
  EndNetGame();
  CommandLineParameter = argc > 1 && argv[1] ? argv[1] : "";
  try {
    new TMainForm();  // registers itself as MainForm
    Form1 = new TForm1();
    MainForm->Show();
  } catch (const std::exception& e) {
    if (error) *error = e.what();
    DestroyProgram();
    return false;
  }
  return true;
}

void DestroyProgram() {
  delete Form1;
  Form1 = nullptr;
  delete MainForm;
  MainForm = nullptr;
  ResetHooks();
  plat::OnDisplayLost = nullptr;
  DXFreeLibraries();
}

int RunProgram(int argc, char** argv) {
  std::string why;
  if (!CreateProgram(argc, argv, &why)) {
    std::fprintf(stderr, "ZARN III: %s\n", why.c_str());
    return 1;
  }
  plat::Run();
  DestroyProgram();
  return ProgramExitCode;
}

}  // namespace zarn
