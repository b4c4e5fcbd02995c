// The main window's display: its creation, the display mode, full screen and presentation.
// Kept apart because the display header's palette record shares its name with the game's.
#include <algorithm>

#include "game/base/options.h"
#include "game/dx/DXDraws.h"
#include "game/shell/Main.h"
#include "platform/forms.h"

namespace zarn {

namespace {

constexpr int PictureWidth320 = 320;
constexpr int PictureHeight200 = 200;

bool DoubledMode() { return GameOptions.ScreenMode == 1 || GameOptions.ScreenMode == 2; }

}  // namespace

void CreateDisplay(TMainForm& form) {
  auto* draw = new TDXDraw(&form);
  form.DXDraw = draw;
  draw->AutoInitialize = false;  // ApplyScreenMode starts it, after the start-up
  draw->SetOptions(DXOpt(doAllowReboot) | DXOpt(doWaitVBlank) | DXOpt(doCenter) | DXOpt(doFlip));
  draw->Display().SetBitCount(16);
  draw->Display().SetWidth(PictureWidth320);
  draw->Display().SetHeight(PictureHeight200);
  // Frames run only while the display surface exists.
  draw->OnInitialize = [&form](TCustomDXDraw&) { form.DXTimer.SetEnabled(true); };
  draw->OnFinalize = [&form](TCustomDXDraw&) { form.DXTimer.SetEnabled(false); };
}

void DestroyDisplay(TMainForm& form) {
  TCustomDXDraw* draw = form.DXDraw;
  form.DXDraw = nullptr;
  if (!draw) return;
  try {
    draw->Finalize();
  } catch (...) {
    // The display goes regardless.
  }
  delete draw;
}

bool DisplayFullScreenAsked() {
  return MainForm && MainForm->DXDraw && HasOpt(MainForm->DXDraw->Options(), doFullScreen);
}

bool DisplayCanDraw() { return MainForm && MainForm->DXDraw && MainForm->DXDraw->CanDraw(); }

void DisplayPresent(const plat::Surface& bitmap, bool stretch, TOverlayProc overlay) {
  if (!DisplayCanDraw()) return;
  TCustomDXDraw& draw = *MainForm->DXDraw;
  TDirectDrawSurfaceCanvas& canvas = draw.Surface()->Canvas();
  if (stretch)
    canvas.StretchDraw(plat::Rect{0, 0, draw.SurfaceWidth(), draw.SurfaceHeight()}, bitmap);
  else
    canvas.Draw(0, 0, bitmap);
  if (overlay && canvas.Handle())
    overlay(canvas.Handle(), canvas.Pitch(), draw.SurfaceWidth(), draw.SurfaceHeight(),
            draw.Surface()->Format());
  canvas.Release();
  draw.Flip();
}

void ApplyScreenMode() {
  TMainForm* form = MainForm;
  if (!form || !form->DXDraw) return;
  TCustomDXDraw& draw = *form->DXDraw;
  draw.Finalize();
  plat::ShowCursor(false);
  int w = PictureWidth320, h = PictureHeight200;
  TDXDrawOptions options = draw.Options() & ~DXOpt(doFullScreen);
  if (DoubledMode()) {
    w *= 2;
    h *= 2;
    if (GameOptions.ScreenMode == 2) options |= DXOpt(doHardware);
  }
  form->SetClientSize(w, h);
  draw.Display().SetWidth(w);
  draw.Display().SetHeight(h);
  draw.Display().SetBitCount(16);
  draw.SetOptions(options);
  draw.Initialize();
}

void TMainForm::FullScreen() {
  TCustomDXDraw& draw = *DXDraw;
  draw.Finalize();
  if (HasOpt(draw.Options(), doFullScreen)) {
    RestoreWindow();
    if (DoubledMode()) {
      plat::ShowCursor(false);
      SetClientSize(2 * PictureWidth320, 2 * PictureHeight200);
    } else {
      plat::ShowCursor(true);
    }
    draw.SetOptions(draw.Options() & ~DXOpt(doFullScreen));
  } else {
    CacheWindow();
    plat::ShowCursor(false);
    draw.SetOptions(draw.Options() | DXOpt(doFullScreen));
  }
  draw.Initialize();
}

}  // namespace zarn
