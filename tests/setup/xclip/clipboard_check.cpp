// The picture library's clipboard as a program, for the check against another X program
// (tests/setup/xvfb_clipboard.sh):
//   clipboard_check copy-gif DIR    offers an animation (DIR/sent.gif: its GIF data), prints
//                                   "copied" and serves until its input ends; an input line
//                                   "paste-gif" pastes as below meanwhile
//   clipboard_check copy-icon DIR   the same with an icon (DIR/sent.ico)
//   clipboard_check paste-gif       prints "frames N WxH r g b" (frame 0, pixel (0, 0))
//   clipboard_check paste-icon      prints "icon WxH r g b"
//   clipboard_check copy-dib        offers the game's 3 x 2 picture of 24 bits (red, blue, black
//                                   in the top row), prints "copied" and serves until its input ends
//   clipboard_check paste-dib       prints "dib WxH bits v" (v: pixel (0, 0) in hex)
//   clipboard_check x-errors        with a window of the SDL back end open, then after the back
//                                   end has ended: offers a picture to a requestor whose window
//                                   is gone before the answer; prints "x errors ignored N"
// Exit 0, or 1 with the error on stderr.
#include <chrono>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <string>
#include <thread>

#include "game/dx/DIB.h"
#include "platform/app.h"
#include "platform/forms.h"
#include "setup/images/IcoList.h"
#include "setup/images/RxGIF.h"
#include "setup/lebytes.h"

// Last: its macros (None, Bool) would rename ours.
#include <X11/Xlib.h>

namespace {

using namespace zarn3set;

TBitmap Frame(int w, int h, TRGB a, TRGB b) {
  TBitmap f;
  f.Create(w, h, 4);
  f.palette[0] = a;
  f.palette[1] = b;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) f.SetIndex(x, y, (x + y) % 2);
  return f;
}

// A 3 x 2 icon of 24 bits, all of one colour, with its (empty) mask.
std::string Icon(TRGB c) {
  std::string dib;
  PutLe32(dib, 40);
  PutLe32(dib, 3);
  PutLe32(dib, 4);
  PutLe16(dib, 1);
  PutLe16(dib, 24);
  dib.append(24, '\0');
  for (int y = 0; y < 2; ++y) {
    for (int x = 0; x < 3; ++x) dib += {static_cast<char>(c.b), static_cast<char>(c.g), static_cast<char>(c.r)};
    dib.append(3, '\0');
  }
  dib.append(8, '\0');
  std::string file("\0\0\1\0\1\0", 6);
  file += {3, 2, 0, 0};
  PutLe16(file, 1);
  PutLe16(file, 24);
  PutLe32(file, static_cast<std::uint32_t>(dib.size()));
  PutLe32(file, 22);
  return file + dib;
}

void Save(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

void PasteGif() {
  TGIFImage img;
  img.LoadFromClipboardFormat();
  const TBitmap& b = img.Frame(0)->Bitmap();
  TRGB c = b.Pixel(0, 0);
  std::printf("frames %d %dx%d %d %d %d\n", img.FrameCount(), b.width, b.height, c.r, c.g, c.b);
  std::fflush(stdout);
}

void ServeUntilInputEnds() {
  std::cout << "copied" << std::endl;
  std::string line;
  while (std::getline(std::cin, line))
    if (line == "paste-gif") PasteGif();
}

// Another client asks for the clipboard into a window that it destroys at once: our answer
// writes to a window that is gone. Returns once the errors of that answer were taken.
void AskIntoAGoneWindow() {
  const int before = plat::XErrorsIgnored();
  Display* other = XOpenDisplay(nullptr);
  if (!other) throw std::runtime_error("no second connection");
  Window win = XCreateSimpleWindow(other, DefaultRootWindow(other), 0, 0, 1, 1, 0, 0, 0);
  XGrabServer(other);  // our answer cannot come between the request and the window's end
  XConvertSelection(other, XInternAtom(other, "CLIPBOARD", False), XInternAtom(other, "TARGETS", False),
                    XInternAtom(other, "GONE", False), win, CurrentTime);
  XDestroyWindow(other, win);
  XUngrabServer(other);
  XCloseDisplay(other);
  // The property and the notice both fail.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (plat::XErrorsIgnored() < before + 2) {
    if (std::chrono::steady_clock::now() > deadline) throw std::runtime_error("no answer was tried");
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

}  // namespace

int main(int argc, char** argv) {
  const std::string mode = argc > 1 ? argv[1] : "";
  try {
    if (mode == "x-errors") {
      // As the installer runs: the window first, the clipboard later, and it serves to the end.
      std::string why;
      if (!plat::Init(plat::BackendKind::Sdl, &why)) throw std::runtime_error(why);
      plat::ShowForm(plat::CreateForm("x-errors", 64, 48));
      plat::ProcessMessages();
      TGIFImage img;
      img.AddFrame(Frame(2, 2, {1, 2, 3}, {4, 5, 6}));
      img.CopyToClipboard();
      AskIntoAGoneWindow();
      plat::Shutdown();
      AskIntoAGoneWindow();
      std::printf("x errors ignored %d\n", plat::XErrorsIgnored());
      return 0;
    }
    if (!ClipboardUsesX()) throw std::runtime_error("no X display");
    if (mode == "copy-gif" && argc > 2) {
      TGIFImage made;
      made.AddFrame(Frame(6, 4, {255, 0, 0}, {0, 0, 255}));
      made.AddFrame(Frame(2, 2, {0, 255, 0}, {255, 255, 0}));
      made.Frame(1)->left = 3;
      made.Frame(1)->top = 1;
      TGIFImage img;  // read back: every frame holds its encoded data
      img.LoadFromStream(made.SaveToStream());
      Save(std::string(argv[2]) + "/sent.gif", img.SaveToStream());
      img.CopyToClipboard();
      ServeUntilInputEnds();
    } else if (mode == "copy-icon" && argc > 2) {
      TIcon icon;
      icon.LoadFromStream(Icon({10, 200, 30}));
      Save(std::string(argv[2]) + "/sent.ico", icon.data);
      icon.CopyToClipboard();
      ServeUntilInputEnds();
    } else if (mode == "paste-gif") {
      PasteGif();
    } else if (mode == "copy-dib") {
      zarn::TDIB dib;
      dib.SetSize(3, 2, 24);
      dib.SetPixel(0, 0, 0xFF0000);
      dib.SetPixel(1, 0, 0x0000FF);
      dib.CopyToClipboard();
      ServeUntilInputEnds();
    } else if (mode == "paste-dib") {
      zarn::TDIB dib;
      dib.LoadFromClipboardFormat();
      std::printf("dib %dx%d %d %x\n", dib.Width(), dib.Height(), dib.BitCount(), dib.GetPixel(0, 0));
    } else if (mode == "paste-icon") {
      TIcon icon;
      icon.LoadFromClipboardFormat();
      TRGB c = icon.ToBitmap().Pixel(0, 0);
      std::printf("icon %dx%d %d %d %d\n", icon.Width(), icon.Height(), c.r, c.g, c.b);
    } else {
      std::fprintf(stderr, "usage: clipboard_check copy-gif DIR | copy-icon DIR | paste-gif | paste-icon | copy-dib | paste-dib | x-errors\n");
      return 1;
    }
  } catch (const std::exception& e) {
    std::fprintf(stderr, "clipboard_check: %s\n", e.what());
    return 1;
  }
  return 0;
}
