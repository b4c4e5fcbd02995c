// The main window and the program around it: start-up, the hooks, the display mode and full
// screen, frame dispatch and presentation, keyboard and pointer, and the orderly end.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "game/base/textpanel.h"
#include "game/base/widgets.h"
#include "game/dx/DXForms.h"
#include "game/dx/DXInput.h"
#include "game/dx/DXSounds.h"
#include "game/shell/shellcalls.h"
#include "platform/keys.h"
#include "platform/surface.h"

namespace zarn {

// Codes of LoadGraphics.
inline constexpr std::int32_t GraphicsOk = 0;
inline constexpr std::int32_t GraphicsFileError = 4;
inline constexpr std::int32_t GraphicsArchiveEmpty = 19;
inline constexpr std::int32_t GraphicsArchiveNoBuffer = 20;
inline constexpr std::int32_t GraphicsArchiveReadError = 21;

inline constexpr const char* ResourceArchiveFile = "data\\zarn.res";
inline constexpr const char* PaletteSheetFile = "data\\army.dat";  // the palette comes first
inline constexpr int PrintScreenHotKey = 101;

// Shell state.
inline std::int32_t GraphicsLoadError = 0;
// One line for every data file LoadGraphics could not load, naming it and what is wrong.
inline std::vector<std::string> GraphicsProblems;
inline bool GraphicsPaletteMissing = false;
// A screenshot that could not be written has been reported in this run.
inline bool ScreenshotFailureTold = false;
// The next frame of screen 0, 24 or 29 is its first: switch to full screen, run its entry step.
inline std::uint8_t FullScreenWanted = 0;
inline std::uint8_t ShowFrameRate = 0;
// 0 while the left button is held; 0 while the right button is held in an editor.
inline std::uint8_t MouseButtonUp = 1;
inline std::uint8_t RightButtonUp = 1;
// Edge scrolling follows the pointer only while it is over our window and the window has the
// focus: a pointer that left stays at its last (edge) position.
inline bool PointerInWindow = true;
inline bool WindowFocused = true;
// The resource archive's memory, sized from the archive at start-up.
inline std::vector<std::uint8_t> ArchiveBuffer;
// The first command-line parameter.
inline std::string CommandLineParameter;
// Exit status of the program: nonzero when the start-up had to end it.
inline int ProgramExitCode = 0;

class TCustomDXDraw;

// Screen procedures by GameScreen: the frame (draw) procedure, the click and the double click.
struct TScreenProcs {
  void (*Frame)() = nullptr;
  void (*Click)() = nullptr;
  void (*DblClick)() = nullptr;
};
inline std::array<TScreenProcs, 256> ScreenProcs{};
// Fills ScreenProcs with every screen that exists.
void InstallScreenProcs();

class TMainForm : public TDXForm {
 public:
  // FormCreate: changes to the program's folder, makes "save" there (a failure is not fatal),
  // and creates the components and the back bitmap.
  TMainForm();
  // FormDestroy: frees the back bitmap and the archive buffer, once nothing draws any more.
  ~TMainForm() override;

  void FormActivate();
  void FormClose(plat::CloseAction& action);
  void FullScreen();
  void PrintScreen();

  // Keyboard and pointer.
  void FormKeyDown(int& key, plat::ShiftState shift);
  void FormKeyPress(std::uint8_t& key);
  void DXDrawMouseMove(plat::ShiftState shift, int x, int y);
  void DXDrawMouseDown(plat::MouseButton button, plat::ShiftState shift, int x, int y);
  void DXDrawMouseUp(plat::MouseButton button, plat::ShiftState shift, int x, int y);
  void DXDrawClick();
  void DXDrawDblClick();

  // Frame clock.
  void DXTimerTimer();
  void DXTimerActivate();
  void DXTimerDeactivate();

  // Components. The display lives in display.cpp, the one file that sees its header (its
  // palette record shares a name with the game's own).
  TCustomDXDraw* DXDraw = nullptr;
  TDXTimer DXTimer;
  TDXTimer DXTimer1;
  std::unique_ptr<TDXInput> DXInput;
  std::unique_ptr<TDXSound> DXSound;
  std::unique_ptr<TDXWaveList> DXWaveList;
  int Timer1 = 0;  // world clock
  int Timer2 = 0;  // interface clock
  plat::Surface BackBitmap;
  bool StartedUp = false;
  bool Closing = false;
};

inline TMainForm* MainForm = nullptr;

// The program: unit initialisations, the two forms, the main window shown. The start-up
// sequence runs at the window's first activation inside the loop.
bool CreateProgram(int argc, char** argv, std::string* error = nullptr);
// After the loop: the forms go (FormClose, FormDestroy) and the libraries are freed.
void DestroyProgram();
// The whole program on an initialised platform; returns the exit status.
int RunProgram(int argc, char** argv);

// The display component (display.cpp).
void CreateDisplay(TMainForm& form);
void DestroyDisplay(TMainForm& form);
// Options ask for full screen (whether or not the desktop granted it).
bool DisplayFullScreenAsked();
bool DisplayCanDraw();
// Draws the 320 x 200 bitmap 1:1 or stretched over the whole surface, lets `overlay` write on
// the surface's pixels, and flips.
using TOverlayProc = void (*)(std::uint16_t* pixels, int pitch, int width, int height,
                              plat::PixelFormat format);
void DisplayPresent(const plat::Surface& bitmap, bool stretch, TOverlayProc overlay);

// Start-up pieces.
std::int32_t LoadGraphics();
void ApplyScreenMode();
void FillHooks();
// The back bitmap's pixel format for the setting PaletteType.
plat::PixelFormat BackBitmapFormat();

// Hook targets of the shell.
void QuitGame();
void ShowMessageHook(std::string_view text);
void ApplyGameSpeedHook();

// Frames.
void FrameDispatch();
void PresentFrame();
void GameFrame();
void NetGameFrame();
// Closes the network game's sockets, if any, and returns to single play.
void EndNetGame();
// A client that cannot play the server's game: its connection closes and it stays on its
// screen without trying again, the reason on the message line, until the player leaves by Esc.
void GiveUpNetGame();
void MapEditorFrame();
void ScenarioEditorFrame();
void MapEditorInput();
void ScenarioEditorInput();
// 8-bit buffer through HiColorTable into a bitmap of 320 x 200.
void ConvertBackBuffer(plat::Surface& bitmap);

// Ends the program at start-up after showing why (message box and standard error).
void HaltWithMessage(const std::string& text);
// Tells the player of a file that failed to load (message box and standard error); goes on.
void ReportFileProblem(const std::string& text);

}  // namespace zarn
