// Frame dispatch by GameScreen, the play and editor frames, and the presentation of the 8-bit
// back buffer on the 16-bit display.
#include <cstdio>
#include <exception>
#include <fstream>
#include <string>

#include "game/base/dvga.h"
#include "game/menus/dmenus.h"
#include "game/shell/Main.h"
#include "game/shell/editorscreens.h"
#include "game/shell/settings.h"
#include "game/world/messages.h"
#include "game/world/pulses.h"
#include "platform/surface.h"

namespace zarn {

namespace {

void LeaveFullScreenAndQuit() {
  TMainForm* form = MainForm;
  if (form && DisplayFullScreenAsked()) {
    try {
      form->FullScreen();
    } catch (const std::exception& e) {
      std::fprintf(stderr, "ZARN III: %s\n", e.what());
    }
  }
  QuitGame();
}

// Kilobytes of memory the program holds (resident set).
long MemoryInUseKb() {
  std::ifstream statm("/proc/self/statm");
  long pages = 0, resident = 0;
  if (!(statm >> pages >> resident)) return 0;
  return resident * 4096 / 1000;
}

// The frame-rate line in white straight on the display surface, in the main font.
void DrawOverlayText(std::uint16_t* pixels, int pitch, int width, int height, int x, int y,
                     const std::string& text, std::uint16_t colour) {
  const TFontSlot* font = FontOf(MainFont);
  if (!font || !pixels) return;
  const auto glyphs = font->Glyphs();
  const int cell = font->Wide() ? 32 : 8;
  for (unsigned char c : text) {
    const std::size_t base = static_cast<std::size_t>(c) * static_cast<std::size_t>(cell);
    for (int row = 0; row < font->Height && base + static_cast<std::size_t>(row) < glyphs.size(); ++row) {
      unsigned bits;
      int cellBits;
      if (font->Wide()) {
        const std::size_t at = base + static_cast<std::size_t>(row) * 2;
        if (at + 1 >= glyphs.size()) break;
        bits = glyphs[at] | (glyphs[at + 1] << 8);
        cellBits = 16;
      } else {
        bits = glyphs[base + static_cast<std::size_t>(row)];
        cellBits = 8;
      }
      for (int col = 0; col < font->Width; ++col) {
        if (!(bits & (1u << (cellBits - 1 - col)))) continue;
        const int px = x + col, py = y + row;
        if (px >= 0 && px < width && py >= 0 && py < height)
          pixels[static_cast<std::size_t>(py) * static_cast<std::size_t>(pitch) + static_cast<std::size_t>(px)] = colour;
      }
    }
    x += Advance(*font, c);
  }
}

void FrameRateOverlay(std::uint16_t* pixels, int pitch, int width, int height,
                      plat::PixelFormat format) {
  const std::string text = "FPS: " + std::to_string(MainForm ? MainForm->DXTimer.FrameRate() : 0) +
                           " [" + std::to_string(MemoryInUseKb()) + " Kb]";
  DrawOverlayText(pixels, pitch, width, height, 125, -2, text,
                  plat::PackColour(format, 255, 255, 255));
}

// The editors' common entry step.
void PrepareEditor() {
  LocalPlayer = 1;
  ResetLastViewPos();
  HideMessageLine();
  ViewState.LocalSide = 3;
  if (!MapExists) ClearOssinFields();
  ViewState.ViewX = 1;
  ViewState.ViewY = 1;
  ViewState.MinimapScaleX = static_cast<float>(GameMap.Width * 0.015625);
  ViewState.MinimapScaleY = static_cast<float>(GameMap.Height * 0.025);
  StartPalettePulses();
  ResetCursorState();
  if (!MapExists) RemoveAllBlooms();
  // No selection or control group of a game before reaches the editor.
  ClearSelectionAndGroups();
  ViewState.SelectedCount = 1;
  ViewState.SelectionKind = 0;
  ViewState.Selection[1].Index = 1;
  ViewState.Selection[1].InUse = 1;
  PendingOrder = 4;
  // A right press that opened a menu was released elsewhere: the brush must not keep painting.
  RightButtonUp = 1;
}

}  // namespace

void TMainForm::DXTimerTimer() {
  try {
    FrameDispatch();
  } catch (const std::exception& e) {
    std::fprintf(stderr, "ZARN III: %s\n", e.what());
    LeaveFullScreenAndQuit();
  } catch (...) {
    std::fprintf(stderr, "ZARN III: unknown failure in a frame\n");
    LeaveFullScreenAndQuit();
  }
}

void TMainForm::DXTimerActivate() {
  if (plat::Form* f = Handle()) plat::SetCaption(f, " ZARN III ");
}

void TMainForm::DXTimerDeactivate() {
  if (plat::Form* f = Handle()) plat::SetCaption(f, " ZARN III  [Pause]");
}

void FrameDispatch() {
  TMainForm* form = MainForm;
  if (form && FullScreenWanted && !DebugFlags.DebugMode && !DisplayFullScreenAsked())
    form->FullScreen();
  if (void (*frame)() = ScreenProcs[GameScreen].Frame) frame();
}

void ConvertBackBuffer(plat::Surface& bitmap) {
  if (bitmap.width != ScreenWidth || bitmap.height != ScreenHeight) return;
  // Nothing written can be a byte read: said so, the reads need not wait on the writes.
  const std::uint8_t* __restrict src = BackBuffer.data();
  std::uint16_t* __restrict dst = bitmap.pixels.data();
  const std::uint16_t* __restrict table = HiColorTable.data();
  for (int i = 0; i < ScreenBytes; ++i) dst[i] = table[src[i]];
}

void PresentFrame() {
  TMainForm* form = MainForm;
  if (!form || !DisplayCanDraw()) return;
  if (form->DXInput) form->DXInput->Update();
  ConvertBackBuffer(form->BackBitmap);
  const bool overlay = DebugFlags.DebugMode && ShowFrameRate;
  DisplayPresent(form->BackBitmap, GameOptions.ScreenMode == 1 || GameOptions.ScreenMode == 2,
                 overlay ? FrameRateOverlay : nullptr);
}

void GameFrame() {
  if (FullScreenWanted) FullScreenWanted = 0;
  NoGameToContinue = 0;
  LastKey = TakeKeyCode();
  if (LastKey == 27) ShellCalls.OpenGameMenu();
  ShellCalls.GameInputStep();
  ShellCalls.DrawGameScreen();
}

namespace {

// Set when the client gave up the game it was in; a new network game clears it.
bool ClientGaveUp = false;

// Esc on a network screen ends the network game (its sockets close) and opens the in-game menu.
// What the menu leads to from here is single play: a network screen with no network behind it
// would wait for good. A game under way goes on alone; one that never started leaves nothing
// to go back to.
void LeaveNetGame() {
  NoGameToContinue = NetGameStarted ? 0 : 1;
  EndNetGame();
  ShellCalls.OpenGameMenu();
}

}  // namespace

void GiveUpNetGame() {
  ShellCalls.CloseClient();
  ClientGaveUp = true;
}

void EndNetGame() {
  ClientGaveUp = false;
  if (NetRole == RoleServer)
    ShellCalls.CloseServer();
  else if (NetRole == RoleClient)
    ShellCalls.CloseClient();
  NetRole = RoleSingle;
}

void NetGameFrame() {
  NoGameToContinue = 0;
  if (FullScreenWanted) {
    ClientGaveUp = false;
    ShellCalls.NetGameSetup();
    FullScreenWanted = 0;
  }
  LastKey = TakeKeyCode();
  if (LastKey == 27) {
    LeaveNetGame();
    return;
  }
  if (!NetGameStarted) {
    if (!GameOptions.AsServer && !ClientGaveUp) ShellCalls.ConnectToServer(GameOptions.Server);
    ShellCalls.GameInputStep();
    ShellCalls.DrawNetLobby();
    return;
  }
  ShellCalls.GameInputStep();
  ShellCalls.DrawNetGameScreen();
}

void MapEditorFrame() {
  if (FullScreenWanted) {
    MapEditorInput();
    FullScreenWanted = 0;
  }
  LastKey = TakeKeyCode();
  if (LastKey == 27) ShellCalls.OpenMapEditorMenu();
  ShellCalls.MapEditorStep();
  ShellCalls.DrawMapEditorScreen();
}

void ScenarioEditorFrame() {
  if (FullScreenWanted) {
    ScenarioEditorInput();
    FullScreenWanted = 0;
  }
  LastKey = TakeKeyCode();
  if (LastKey == 27) ShellCalls.OpenScenarioEditorMenu();
  ShellCalls.ScenarioEditorStep();
  ShellCalls.DrawScenarioEditorScreen();
}

void MapEditorInput() {
  PrepareEditor();
  PageListCreate(PageList1, 75, 175);
  PageListClear(PageList1);
  PageListSetMode(PageList1, 0);
}

void ScenarioEditorInput() {
  PrepareEditor();
  RestoreScenarioEditorBars();
}

}  // namespace zarn
