// Full screen through the SDL back end: the window must really cover the desktop, or the
// form stays in a window; the pointer is mapped for the size the window really has.
#include <gtest/gtest.h>

#ifdef ZARN_HAVE_SDL

#include <SDL.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/backend.h"
#include "platform/platform.h"

extern char** environ;

using namespace plat;

namespace {

// Logical pointer positions that reached the form.
struct Pointer {
  int x = -1, y = -1;
};

void Track(Form* f, Pointer& p) {
  f->OnMouseMove = [&p](ShiftState, int x, int y) { p.x = x, p.y = y; };
}

// Moves the pointer in the test's only window, in window coordinates.
void MoveMouse(int wx, int wy) {
  SDL_Event e{};
  e.type = SDL_MOUSEMOTION;
  e.motion.x = wx;
  e.motion.y = wy;
  for (Uint32 id = 1; id < 16; ++id)
    if (SDL_GetWindowFromID(id)) e.motion.windowID = id;
  SDL_PushEvent(&e);
  ProcessMessages();
}

class SdlWindow : public ::testing::Test {
 protected:
  void Start(const char* driver) {
    setenv("SDL_VIDEODRIVER", driver, 1);
    std::string error;
    ASSERT_TRUE(Init(BackendKind::Sdl, &error)) << error;
  }
  void TearDown() override {
    Shutdown();
    unsetenv("SDL_VIDEODRIVER");
    if (xvfb_ > 0) {
      kill(xvfb_, SIGTERM);
      waitpid(xvfb_, nullptr, 0);
    }
  }
  // A virtual X display with no window manager; false when there is no Xvfb to run.
  // A virtual display on a free number, which the server itself reports once it is up.
  bool StartX() {
    const char* xvfb = "/usr/bin/Xvfb";
    if (access(xvfb, X_OK) != 0) return false;
    int fds[2];
    if (pipe(fds) != 0) return false;
    const std::string fd = std::to_string(fds[1]);
    const char* argv[] = {xvfb,   "-displayfd", fd.c_str(), "-screen", "0", "1024x768x24",
                          "-nolisten", "tcp", nullptr};
    const int rc = posix_spawn(&xvfb_, xvfb, nullptr, nullptr, const_cast<char**>(argv), environ);
    close(fds[1]);
    if (rc != 0) {
      close(fds[0]);
      return false;
    }
    std::string number;
    char c;
    while (read(fds[0], &c, 1) == 1 && c != '\n') number += c;
    close(fds[0]);
    if (number.empty()) return false;
    const std::string socket = "/tmp/.X11-unix/X" + number;
    for (int i = 0; i < 3000 && !std::filesystem::exists(socket); ++i) usleep(10000);
    if (!std::filesystem::exists(socket)) return false;
    setenv("DISPLAY", (":" + number).c_str(), 1);
    return true;
  }
  pid_t xvfb_ = 0;
};

}  // namespace

TEST_F(SdlWindow, FullScreenCoversTheDesktopAndThePointerMapsToThePicture) {
  Start("dummy");
  Form* f = CreateForm("main", 640, 400);
  ASSERT_NE(f, nullptr);
  ShowForm(f);
  ProcessMessages();
  Pointer p;
  Track(f, p);
  MoveMouse(320, 200);
  EXPECT_EQ(p.x, 320);
  EXPECT_EQ(p.y, 200);

  std::string why;
  ASSERT_TRUE(SetFullScreen(f, true, &why)) << why;
  EXPECT_TRUE(f->fullScreen);
  SDL_Rect desk;
  ASSERT_EQ(SDL_GetDisplayBounds(0, &desk), 0);
  int w = 0, h = 0;
  detail::Current()->WindowSize(f->id, w, h);
  EXPECT_EQ(w, desk.w);
  EXPECT_EQ(h, desk.h);
  // The picture keeps its shape, centred: the desktop's middle is the picture's middle, and
  // its left edge is where the scaled picture begins.
  Rect view = FitRect(desk.w, desk.h, 640, 400);
  MoveMouse(desk.w / 2, desk.h / 2);
  EXPECT_EQ(p.x, 320);
  EXPECT_EQ(p.y, 200);
  MoveMouse(view.x, view.y + view.h - 1);
  EXPECT_EQ(p.x, 0);
  EXPECT_EQ(p.y, 399);

  ASSERT_TRUE(SetFullScreen(f, false));
  detail::Current()->WindowSize(f->id, w, h);
  EXPECT_EQ(w, 640);
  EXPECT_EQ(h, 400);
}

// Not under the sanitizers: the X libraries' own leaks would fail that run.
#if !defined(__SANITIZE_ADDRESS__)
TEST_F(SdlWindow, WithoutAWindowManagerFullScreenIsRefusedAndTheFormStaysWindowed) {
  ASSERT_TRUE(StartX()) << "Xvfb did not start (run scripts/setup)";
  Start("x11");
  Form* f = CreateForm("main", 640, 400);
  ASSERT_NE(f, nullptr);
  ShowForm(f);
  for (int i = 0; i < 10; ++i) ProcessMessages();
  std::string why;
  EXPECT_FALSE(SetFullScreen(f, true, &why));
  EXPECT_NE(why.find("640 x 400"), std::string::npos) << why;
  EXPECT_FALSE(f->fullScreen);
  int w = 0, h = 0;
  detail::Current()->WindowSize(f->id, w, h);
  EXPECT_EQ(w, 640);
  EXPECT_EQ(h, 400);

  // Asked for while hidden, it is checked when shown and given up with word to the form.
  Form* g = CreateForm("second", 320, 200);
  ASSERT_TRUE(SetFullScreen(g, true));
  int resized = 0;
  g->OnResize = [&] { ++resized; };
  ShowForm(g);
  for (int i = 0; i < 10; ++i) ProcessMessages();
  EXPECT_FALSE(g->fullScreen);
  EXPECT_GE(resized, 1);
  detail::Current()->WindowSize(g->id, w, h);
  EXPECT_EQ(w, 320);
  EXPECT_EQ(h, 200);
}
#endif  // !__SANITIZE_ADDRESS__

#endif  // ZARN_HAVE_SDL
