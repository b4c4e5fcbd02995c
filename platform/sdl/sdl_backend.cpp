// The SDL2 back end: windows, input and presentation through SDL2, sound through SDL2_mixer
// (MIDI music on its music channel, our own mixer added after it).
#include <SDL.h>
#include <SDL_mixer.h>

#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <deque>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/app.h"
#include "platform/backend.h"
#include "platform/clipboard.h"

namespace plat::detail {

bool RealWindowSize(SDL_Window* window, int& w, int& h);  // x11_size.cpp
void EndOnDisplayLoss();                                  // x11_size.cpp

namespace {

int VirtualKey(SDL_Scancode sc, bool numLock) {
  if (sc >= SDL_SCANCODE_A && sc <= SDL_SCANCODE_Z) return 'A' + (sc - SDL_SCANCODE_A);
  if (sc >= SDL_SCANCODE_1 && sc <= SDL_SCANCODE_9) return '1' + (sc - SDL_SCANCODE_1);
  if (sc >= SDL_SCANCODE_F1 && sc <= SDL_SCANCODE_F12) return vk::F1 + (sc - SDL_SCANCODE_F1);
  if (sc >= SDL_SCANCODE_F13 && sc <= SDL_SCANCODE_F24) return 124 + (sc - SDL_SCANCODE_F13);
  if (sc >= SDL_SCANCODE_KP_1 && sc <= SDL_SCANCODE_KP_9) {
    if (numLock) return vk::Numpad0 + 1 + (sc - SDL_SCANCODE_KP_1);
    // Without Num Lock the keypad is the cursor block.
    static const int kMoves[9] = {vk::End,  vk::Down, vk::Next, vk::Left, vk::Clear,
                                  vk::Right, vk::Home, vk::Up,  vk::Prior};
    return kMoves[sc - SDL_SCANCODE_KP_1];
  }
  switch (sc) {
    case SDL_SCANCODE_0: return '0';
    case SDL_SCANCODE_RETURN: case SDL_SCANCODE_KP_ENTER: return vk::Return;
    case SDL_SCANCODE_ESCAPE: return vk::Escape;
    case SDL_SCANCODE_BACKSPACE: return vk::Back;
    case SDL_SCANCODE_TAB: return vk::Tab;
    case SDL_SCANCODE_SPACE: return vk::Space;
    case SDL_SCANCODE_MINUS: return vk::OemMinus;
    case SDL_SCANCODE_EQUALS: return vk::OemPlus;
    case SDL_SCANCODE_LEFTBRACKET: return vk::Oem4;
    case SDL_SCANCODE_RIGHTBRACKET: return vk::Oem6;
    case SDL_SCANCODE_BACKSLASH: return vk::Oem5;
    case SDL_SCANCODE_SEMICOLON: return vk::Oem1;
    case SDL_SCANCODE_APOSTROPHE: return vk::Oem7;
    case SDL_SCANCODE_GRAVE: return vk::Oem3;
    case SDL_SCANCODE_COMMA: return vk::OemComma;
    case SDL_SCANCODE_PERIOD: return vk::OemPeriod;
    case SDL_SCANCODE_SLASH: return vk::Oem2;
    case SDL_SCANCODE_NONUSBACKSLASH: return vk::Oem102;
    case SDL_SCANCODE_CAPSLOCK: return vk::Capital;
    case SDL_SCANCODE_PRINTSCREEN: return vk::Snapshot;
    case SDL_SCANCODE_SCROLLLOCK: return vk::Scroll;
    case SDL_SCANCODE_PAUSE: return vk::Pause;
    case SDL_SCANCODE_INSERT: return vk::Insert;
    case SDL_SCANCODE_HOME: return vk::Home;
    case SDL_SCANCODE_PAGEUP: return vk::Prior;
    case SDL_SCANCODE_DELETE: return vk::Delete;
    case SDL_SCANCODE_END: return vk::End;
    case SDL_SCANCODE_PAGEDOWN: return vk::Next;
    case SDL_SCANCODE_RIGHT: return vk::Right;
    case SDL_SCANCODE_LEFT: return vk::Left;
    case SDL_SCANCODE_DOWN: return vk::Down;
    case SDL_SCANCODE_UP: return vk::Up;
    case SDL_SCANCODE_NUMLOCKCLEAR: return vk::NumLock;
    case SDL_SCANCODE_KP_DIVIDE: return vk::Divide;
    case SDL_SCANCODE_KP_MULTIPLY: return vk::Multiply;
    case SDL_SCANCODE_KP_MINUS: return vk::Subtract;
    case SDL_SCANCODE_KP_PLUS: return vk::Add;
    case SDL_SCANCODE_KP_0: return numLock ? vk::Numpad0 : vk::Insert;
    case SDL_SCANCODE_KP_PERIOD: return numLock ? vk::Decimal : vk::Delete;
    case SDL_SCANCODE_APPLICATION: return vk::Apps;
    case SDL_SCANCODE_LCTRL: return vk::LControl;
    case SDL_SCANCODE_RCTRL: return vk::RControl;
    case SDL_SCANCODE_LSHIFT: return vk::LShift;
    case SDL_SCANCODE_RSHIFT: return vk::RShift;
    case SDL_SCANCODE_LALT: return vk::LMenu;
    case SDL_SCANCODE_RALT: return vk::RMenu;
    case SDL_SCANCODE_LGUI: return vk::LWin;
    case SDL_SCANCODE_RGUI: return vk::RWin;
    default: return 0;
  }
}

MouseButton ButtonOf(Uint8 b) {
  return b == SDL_BUTTON_RIGHT ? MouseButton::Right
         : b == SDL_BUTTON_MIDDLE ? MouseButton::Middle : MouseButton::Left;
}

class SdlBackend;
SdlBackend* gSdl = nullptr;  // the one back end, for tasks posted from other threads

// The track on the music channel, as the audio thread sees it. The synthesizer keeps a track
// "playing" while the last notes and the reverb die away, which can take seconds; so the end
// is also told from the file's own length, counted in frames mixed while the track runs.
std::atomic<bool> gTrackRunning{false};
std::atomic<std::uint64_t> gTrackFrames{0};
std::atomic<std::uint64_t> gTrackEndFrames{0};  // 0: length unknown, wait for the player
std::atomic<bool> gTrackOutPosted{false};
std::atomic<std::uint32_t> gTrackToken{0};
constexpr std::uint64_t kReleaseMs = 1000;  // the last notes may ring this long
constexpr std::uintmax_t kMaxMusicBytes = 16u << 20;

void TrackPlayedOut(std::uint32_t token);

// Audio thread: hands the end of the current track to the loop, once.
void PostTrackOut() {
  if (gTrackOutPosted.exchange(true)) return;
  std::uint32_t token = gTrackToken.load();
  PostTask([token] { TrackPlayedOut(token); });
}

void PostMix(void*, Uint8* stream, int len) {
  int freq = 0, channels = 0;
  Uint16 format = 0;
  if (!Mix_QuerySpec(&freq, &format, &channels) || channels != 2 || format != AUDIO_S16SYS)
    return;
  MixInto(reinterpret_cast<std::int16_t*>(stream), len / 4, static_cast<std::uint32_t>(freq));
  if (gTrackRunning.load()) {
    std::uint64_t played = gTrackFrames += static_cast<std::uint64_t>(len / 4);
    std::uint64_t end = gTrackEndFrames.load();
    if (end && played >= end) PostTrackOut();
  }
}

void MusicFinished() { PostTrackOut(); }

struct Win {
  SDL_Window* window = nullptr;
  SDL_Renderer* renderer = nullptr;
  SDL_Texture* texture = nullptr;
  int texW = 0, texH = 0;
  PixelFormat texFormat = PixelFormat::Rgb565;
  int w = 0, h = 0;  // client size in a window
};

class SdlBackend final : public Backend {
 public:
  bool Start(std::string* error) {
    SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "0");
    SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
    // A click that activates a window is a click, as the game was made to take it.
    SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
    if (DrawWithProcessorOnly) {
      // The software renderer draws into the window's own surface, which must not be a
      // texture of the graphics library either.
      SDL_SetHint(SDL_HINT_RENDER_DRIVER, "software");
      SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    }
    // SDL's video end puts back the X error handler it found at its start: ours, so that an
    // error of a late request (at the closing of SDL's connections, or on the clipboard's, which
    // serves to the end) does not end the program.
    KeepXErrorsHarmless();
    if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_EVENTS | SDL_INIT_TIMER) != 0) {
      if (error)
        *error = std::string("No display (SDL: ") + SDL_GetError() +
                 "). Start it under a desktop, or set ZARN_PLATFORM=null.";
      return false;
    }
    EndOnDisplayLoss();
    SDL_InitSubSystem(SDL_INIT_JOYSTICK);  // optional
    SDL_StartTextInput();
    start_ = SDL_GetTicks64();
    gSdl = this;
    return true;
  }
  ~SdlBackend() override {
    for (SDL_Cursor* c : cursors_)
      if (c) SDL_FreeCursor(c);
    for (auto& [id, w] : wins_) Free(w);
    wins_.clear();
    for (auto& [i, j] : joysticks_) SDL_JoystickClose(j);
    AudioClose();
    gSdl = nullptr;
    SDL_Quit();
    KeepXErrorsHarmless();
  }

  BackendKind Kind() const override { return BackendKind::Sdl; }
  const char* Name() const override { return "sdl"; }
  std::uint64_t NowMs() override { return SDL_GetTicks64() - start_; }
  void SleepMs(std::uint32_t ms) override { SDL_Delay(ms); }

  int FormOf(Uint32 windowId) {
    for (auto& [id, w] : wins_)
      if (w.window && SDL_GetWindowID(w.window) == windowId) return id;
    return 0;
  }

  bool PollEvent(RawEvent& out) override {
    if (!pending_.empty()) {
      out = pending_.front();
      pending_.pop_front();
      return true;
    }
    SDL_Event e;
    while (SDL_PollEvent(&e)) {
      out = RawEvent{};
      switch (e.type) {
        case SDL_QUIT:
          out.kind = RawEvent::CloseRequest;
          out.window = wins_.empty() ? 0 : wins_.begin()->first;
          return true;
        case SDL_WINDOWEVENT:
          out.window = FormOf(e.window.windowID);
          switch (e.window.event) {
            case SDL_WINDOWEVENT_FOCUS_GAINED: out.kind = RawEvent::FocusGained; return true;
            case SDL_WINDOWEVENT_FOCUS_LOST: out.kind = RawEvent::FocusLost; return true;
            case SDL_WINDOWEVENT_ENTER: out.kind = RawEvent::MouseEnter; return true;
            case SDL_WINDOWEVENT_LEAVE: out.kind = RawEvent::MouseLeave; return true;
            case SDL_WINDOWEVENT_CLOSE: out.kind = RawEvent::CloseRequest; return true;
            case SDL_WINDOWEVENT_SIZE_CHANGED: out.kind = RawEvent::Resized; return true;
            default: continue;
          }
        case SDL_RENDER_DEVICE_RESET:
        case SDL_RENDER_TARGETS_RESET:
          for (auto& [id, w] : wins_)
            if (w.texture) {
              SDL_DestroyTexture(w.texture);
              w.texture = nullptr;
            }
          out.kind = RawEvent::DeviceReset;
          return true;
        case SDL_MOUSEMOTION:
          out.kind = RawEvent::MouseMove;
          out.window = FormOf(e.motion.windowID);
          out.x = e.motion.x;
          out.y = e.motion.y;
          return true;
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP:
          if (e.button.button != SDL_BUTTON_LEFT && e.button.button != SDL_BUTTON_RIGHT &&
              e.button.button != SDL_BUTTON_MIDDLE)
            continue;
          out.kind = e.type == SDL_MOUSEBUTTONDOWN ? RawEvent::MouseDown : RawEvent::MouseUp;
          out.window = FormOf(e.button.windowID);
          out.x = e.button.x;
          out.y = e.button.y;
          out.button = ButtonOf(e.button.button);
          return true;
        case SDL_KEYDOWN:
        case SDL_KEYUP: {
          int key = VirtualKey(e.key.keysym.scancode, (e.key.keysym.mod & KMOD_NUM) != 0);
          if (!key) continue;
          out.kind = e.type == SDL_KEYDOWN ? RawEvent::KeyDown : RawEvent::KeyUp;
          out.window = FormOf(e.key.windowID);
          out.key = key;
          out.repeat = e.key.repeat != 0;
          return true;
        }
        case SDL_TEXTINPUT: {
          out.kind = RawEvent::Text;
          out.window = FormOf(e.text.windowID);
          out.text = Utf8ToCp1251(e.text.text);
          if (out.text.empty()) continue;
          return true;
        }
        default: continue;
      }
    }
    return false;
  }

  void WaitEvents(std::uint32_t ms) override {
    SDL_WaitEventTimeout(nullptr, static_cast<int>(ms));
  }

  bool WindowCreate(int id, const std::string& caption, int w, int h,
                    std::string* error) override {
    Win win;
    win.w = w;
    win.h = h;
    win.window = SDL_CreateWindow(caption.c_str(), SDL_WINDOWPOS_CENTERED,
                                  SDL_WINDOWPOS_CENTERED, w, h, SDL_WINDOW_HIDDEN);
    if (!win.window) {
      if (error) *error = std::string("Cannot make a window: ") + SDL_GetError();
      return false;
    }
    win.renderer =
        SDL_CreateRenderer(win.window, -1, SDL_RENDERER_ACCELERATED | SDL_RENDERER_PRESENTVSYNC);
    if (!win.renderer) win.renderer = SDL_CreateRenderer(win.window, -1, 0);
    if (!win.renderer) {
      if (error) *error = std::string("Cannot draw in a window: ") + SDL_GetError();
      SDL_DestroyWindow(win.window);
      return false;
    }
    wins_[id] = win;
    return true;
  }

  void Free(Win& w) {
    if (w.texture) SDL_DestroyTexture(w.texture);
    if (w.renderer) SDL_DestroyRenderer(w.renderer);
    if (w.window) SDL_DestroyWindow(w.window);
    w = Win{};
  }

  void WindowDestroy(int id) override {
    auto it = wins_.find(id);
    if (it == wins_.end()) return;
    Free(it->second);
    wins_.erase(it);
  }

  Win* Find(int id) {
    auto it = wins_.find(id);
    return it == wins_.end() ? nullptr : &it->second;
  }

  void WindowShow(int id, bool show) override {
    if (Win* w = Find(id)) {
      if (show) {
        SDL_ShowWindow(w->window);
        SDL_RaiseWindow(w->window);
        // Full screen asked for while hidden takes effect now: see that it did.
        if ((SDL_GetWindowFlags(w->window) & SDL_WINDOW_FULLSCREEN) && !FullScreenTook(*w)) {
          LeaveFullScreen(*w);
          RawEvent lost;
          lost.kind = RawEvent::FullScreenLost;
          lost.window = id;
          pending_.push_back(lost);
        }
      } else {
        SDL_HideWindow(w->window);
      }
    }
  }
  void WindowCaption(int id, const std::string& caption) override {
    if (Win* w = Find(id)) SDL_SetWindowTitle(w->window, caption.c_str());
  }
  void WindowResize(int id, int cw, int ch) override {
    if (Win* w = Find(id)) {
      w->w = cw;
      w->h = ch;
      if (!(SDL_GetWindowFlags(w->window) & SDL_WINDOW_FULLSCREEN)) {
        SDL_SetWindowSize(w->window, cw, ch);
        SDL_SetWindowPosition(w->window, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED);
      }
    }
  }
  bool WindowFullScreen(int id, bool on, std::string* error) override {
    Win* w = Find(id);
    if (!w) return false;
    if (!on) {
      LeaveFullScreen(*w);
      return true;
    }
    // The desktop's own mode: the monitor is never switched.
    if (SDL_SetWindowFullscreen(w->window, SDL_WINDOW_FULLSCREEN_DESKTOP) != 0) {
      if (error) *error = std::string("Full screen not available: ") + SDL_GetError();
      return false;
    }
    // SDL reports success even where nothing resizes the window (X with no window manager):
    // a picture scaled for the desktop would be cropped and the pointer mapped wrongly.
    // A hidden window is checked when it is shown.
    if ((SDL_GetWindowFlags(w->window) & SDL_WINDOW_SHOWN) && !FullScreenTook(*w)) {
      if (error)
        *error = "Full screen did not take: the window stayed " + std::to_string(realW_) +
                 " x " + std::to_string(realH_);
      return false;  // the caller goes back to a window
    }
    return true;
  }
  void LeaveFullScreen(Win& w) {
    SDL_SetWindowFullscreen(w.window, 0);
    SDL_SetWindowSize(w.window, w.w, w.h);
    SDL_SetWindowPosition(w.window, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED);
  }
  // Waits a little for the window system to apply full screen; false when the window really
  // kept a size smaller than its display (left in realW_ x realH_).
  bool FullScreenTook(Win& w) {
    SDL_Rect desk;
    int display = SDL_GetWindowDisplayIndex(w.window);
    if (display < 0 || SDL_GetDisplayBounds(display, &desk) != 0) return true;
    for (Uint64 start = SDL_GetTicks64();;) {
      if (!RealWindowSize(w.window, realW_, realH_)) return true;  // SDL's own size holds
      if (realW_ >= desk.w && realH_ >= desk.h) return true;
      if (SDL_GetTicks64() - start >= kFullScreenWaitMs) return false;
      SDL_PumpEvents();
      SDL_Delay(10);
    }
  }
  void WindowSize(int id, int& w, int& h) override {
    if (Win* win = Find(id)) SDL_GetWindowSize(win->window, &w, &h);
  }
  void WindowMaximize(int id) override {
    Win* w = Find(id);
    if (!w) return;
    SDL_SetWindowResizable(w->window, SDL_TRUE);  // a fixed-size window is not maximised
    // With no window manager nothing maximises a window: it takes the desktop's room itself.
    SDL_Rect area;
    int display = SDL_GetWindowDisplayIndex(w->window);
    if (display >= 0 && SDL_GetDisplayUsableBounds(display, &area) == 0 && area.w > 0 && area.h > 0) {
      SDL_SetWindowPosition(w->window, area.x, area.y);
      SDL_SetWindowSize(w->window, area.w, area.h);
    }
    SDL_MaximizeWindow(w->window);
  }
  void CursorShow(bool show) override { SDL_ShowCursor(show ? SDL_ENABLE : SDL_DISABLE); }
  void CursorShape(SystemCursor cursor) override {
    SDL_Cursor*& c = cursors_[cursor == SystemCursor::Wait ? 1 : 0];
    if (!c) c = SDL_CreateSystemCursor(cursor == SystemCursor::Wait ? SDL_SYSTEM_CURSOR_WAIT : SDL_SYSTEM_CURSOR_ARROW);
    if (c) SDL_SetCursor(c);  // without one the pointer keeps its shape
  }

  bool WindowPresent(int id, const Surface& s, Rect logical, int lw, int lh) override {
    Win* w = Find(id);
    if (!w) return false;
    if (!w->texture || w->texW != s.width || w->texH != s.height || w->texFormat != s.format) {
      if (w->texture) SDL_DestroyTexture(w->texture);
      w->texture = SDL_CreateTexture(
          w->renderer,
          s.format == PixelFormat::Rgb565 ? SDL_PIXELFORMAT_RGB565 : SDL_PIXELFORMAT_RGB555,
          SDL_TEXTUREACCESS_STREAMING, s.width, s.height);
      if (!w->texture) return false;
      w->texW = s.width;
      w->texH = s.height;
      w->texFormat = s.format;
    }
    if (SDL_UpdateTexture(w->texture, nullptr, s.pixels.data(), s.width * 2) != 0) return false;
    int ow = 0, oh = 0;
    SDL_GetRendererOutputSize(w->renderer, &ow, &oh);
    Rect view = FitRect(ow, oh, lw, lh);
    SDL_Rect dst{view.x + static_cast<int>(static_cast<long long>(logical.x) * view.w / lw),
                 view.y + static_cast<int>(static_cast<long long>(logical.y) * view.h / lh),
                 static_cast<int>(static_cast<long long>(logical.w) * view.w / lw),
                 static_cast<int>(static_cast<long long>(logical.h) * view.h / lh)};
    SDL_SetRenderDrawColor(w->renderer, 0, 0, 0, 255);
    SDL_RenderClear(w->renderer);
    SDL_RenderCopy(w->renderer, w->texture, nullptr, &dst);
    SDL_RenderPresent(w->renderer);
    return true;
  }

  void ShowMessage(int parent, const std::string& title, const std::string& text,
                   MessageKind kind) override {
    Uint32 flags = kind == MessageKind::Error     ? SDL_MESSAGEBOX_ERROR
                   : kind == MessageKind::Warning ? SDL_MESSAGEBOX_WARNING
                                                  : SDL_MESSAGEBOX_INFORMATION;
    Win* w = Find(parent);
    if (SDL_ShowSimpleMessageBox(flags, title.c_str(), text.c_str(), w ? w->window : nullptr) !=
        0)
      std::fprintf(stderr, "%s: %s\n", title.c_str(), text.c_str());
  }

  bool AudioOpen(std::uint32_t& rate, std::string* error) override {
    if (audio_) return true;
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
      if (error) *error = std::string("No sound device: ") + SDL_GetError();
      return false;
    }
    Mix_Init(MIX_INIT_MID);
    if (Mix_OpenAudioDevice(44100, AUDIO_S16SYS, 2, 1024, nullptr, 0) != 0) {
      if (error) *error = std::string("No sound device: ") + Mix_GetError();
      Mix_Quit();
      SDL_QuitSubSystem(SDL_INIT_AUDIO);
      return false;
    }
    FindSoundFont();
    int freq = 44100, channels = 2;
    Uint16 format = 0;
    Mix_QuerySpec(&freq, &format, &channels);
    rate = static_cast<std::uint32_t>(freq);
    rate_ = rate;
    Mix_SetPostMix(PostMix, nullptr);
    Mix_HookMusicFinished(MusicFinished);
    audio_ = true;
    return true;
  }

  void AudioClose() override {
    if (!audio_) return;
    StopLoader();
    HaltTrack();
    Mix_HookMusicFinished(nullptr);
    Mix_SetPostMix(nullptr, nullptr);
    Mix_CloseAudio();
    Mix_Quit();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    audio_ = false;
  }

  // MIDI needs a General MIDI sound font; use the system's unless one is named already.
  void FindSoundFont() {
    if (SDL_getenv("SDL_SOUNDFONTS") || Mix_GetSoundFonts()) return;
    for (const char* p : {"/usr/share/sounds/sf2/default-GM.sf2",
                          "/usr/share/sounds/sf2/TimGM6mb.sf2",
                          "/usr/share/sounds/sf2/FluidR3_GM.sf2"}) {
      std::error_code ec;
      if (std::filesystem::exists(p, ec)) {
        Mix_SetSoundFonts(p);
        return;
      }
    }
  }

  // Loading a track reads the sound font (a second or more): it is done on a worker thread
  // and the loaded track comes back to the loop, so the game never freezes when music starts.
  bool MusicPlay(const std::string& path, std::string* error) override {
    if (!audio_) return false;
    MusicStop();
    // What cannot even be read is refused at once, so the caller hears of it.
    std::error_code ec;
    std::uintmax_t size = std::filesystem::file_size(path, ec);
    if (ec || size == 0 || size > kMaxMusicBytes || !std::ifstream(path, std::ios::binary)) {
      if (error) *error = "Cannot open music " + path;
      return false;
    }
    paused_ = false;
    {
      std::lock_guard<std::mutex> lock(loadMutex_);
      job_ = Job{token_, path};
      hasJob_ = true;
    }
    if (!loader_.joinable()) loader_ = std::thread([this] { LoaderMain(); });
    loadCv_.notify_one();
    return true;
  }
  void MusicStop() override {
    if (!audio_) return;
    HaltTrack();
    std::lock_guard<std::mutex> lock(loadMutex_);
    hasJob_ = false;  // a load under way is dropped when it comes back
  }
  void MusicPause() override {
    if (!audio_) return;
    paused_ = true;
    gTrackRunning = false;
    if (music_ && started_) Mix_PauseMusic();
  }
  void MusicResume() override {
    if (!audio_) return;
    paused_ = false;
    if (!music_) return;
    if (started_) {
      Mix_ResumeMusic();
    } else if (Mix_PlayMusic(music_, 0) != 0) {
      std::string why = std::string("Cannot play music: ") + Mix_GetError();
      HaltTrack();
      MarkMusicFailed(why);
      return;
    }
    started_ = true;
    gTrackRunning = true;
  }
  void MusicVolume(int percent) override {
    if (audio_) Mix_VolumeMusic(percent * MIX_MAX_VOLUME / 100);
  }

  // Loop thread: a load finished; start it if it is still the track wanted.
  void TakeLoaded() {
    Loaded got;
    {
      std::lock_guard<std::mutex> lock(loadMutex_);
      if (!loaded_.ready) return;
      got = loaded_;
      loaded_ = Loaded{};
    }
    if (!audio_ || got.token != token_) {
      if (got.music) Mix_FreeMusic(got.music);
      return;
    }
    // The audio thread's view of the track is ready before the track can end.
    gTrackFrames = 0;
    gTrackEndFrames = got.lengthMs ? (got.lengthMs + kReleaseMs) * rate_ / 1000 : 0;
    gTrackToken = token_;
    gTrackOutPosted = false;
    if (got.music && !paused_ && Mix_PlayMusic(got.music, 0) != 0) {
      got.error = std::string("Cannot play music: ") + Mix_GetError();
      Mix_FreeMusic(got.music);
      got.music = nullptr;
    }
    if (!got.music) {
      MarkMusicFailed(got.error);
      return;
    }
    music_ = got.music;
    started_ = !paused_;  // paused while it loaded: it starts on the resume, not a note before
    gTrackRunning = started_;
  }

  // Loop thread: the track told by `token` has played to its end.
  void TrackOut(std::uint32_t token) {
    if (!audio_ || token != token_ || !music_) return;
    HaltTrack();
    MarkMusicFinished();
  }

  int JoystickCount() override {
    int n = SDL_NumJoysticks();
    return n < 0 ? 0 : n;
  }
  bool JoystickPoll(int index, JoystickState& out) override {
    out = JoystickState{};
    if (index < 0 || index >= JoystickCount()) return false;
    SDL_Joystick*& j = joysticks_[index];
    if (!j || !SDL_JoystickGetAttached(j)) {
      if (j) SDL_JoystickClose(j);
      j = SDL_JoystickOpen(index);
      if (!j) return false;
    }
    SDL_JoystickUpdate();
    int axes = SDL_JoystickNumAxes(j);
    out.present = true;
    out.x = axes > 0 ? SDL_JoystickGetAxis(j, 0) : 0;
    out.y = axes > 1 ? SDL_JoystickGetAxis(j, 1) : 0;
    out.z = axes > 2 ? SDL_JoystickGetAxis(j, 2) : 0;
    int buttons = SDL_JoystickNumButtons(j);
    out.buttonCount = buttons > 32 ? 32 : buttons;
    for (int b = 0; b < out.buttonCount; ++b)
      if (SDL_JoystickGetButton(j, b)) out.buttons |= 1u << b;
    return true;
  }

 private:
  struct Job {
    std::uint32_t token = 0;
    std::string path;
  };
  struct Loaded {
    bool ready = false;
    std::uint32_t token = 0;
    Mix_Music* music = nullptr;
    std::uint64_t lengthMs = 0;
    std::string error;
  };

  // Stops the track on the music channel without an end event; any later word of it is stale.
  void HaltTrack() {
    ++token_;
    gTrackRunning = false;
    gTrackToken = token_;
    if (!music_) return;
    Mix_HookMusicFinished(nullptr);  // a halt is not an end
    Mix_HaltMusic();
    Mix_FreeMusic(music_);
    music_ = nullptr;
    Mix_HookMusicFinished(MusicFinished);
  }

  void LoaderMain() {
    for (;;) {
      Job job;
      {
        std::unique_lock<std::mutex> lock(loadMutex_);
        loadCv_.wait(lock, [this] { return loaderQuit_ || hasJob_; });
        if (loaderQuit_) {
          SDL_TLSCleanup();  // SDL's per-thread error text; SDL does it only for its own threads
          return;
        }
        job = job_;
        hasJob_ = false;
      }
      Loaded got;
      got.ready = true;
      got.token = job.token;
      std::ifstream in(job.path, std::ios::binary);
      std::vector<std::uint8_t> bytes;
      if (in) {
        in.seekg(0, std::ios::end);
        std::streamoff size = in.tellg();
        in.seekg(0);
        if (size > 0 && static_cast<std::uintmax_t>(size) <= kMaxMusicBytes) {
          bytes.resize(static_cast<std::size_t>(size));
          if (!in.read(reinterpret_cast<char*>(bytes.data()), size)) bytes.clear();
        }
      }
      got.lengthMs = MidiLengthMs(bytes);
      got.music = Mix_LoadMUS(job.path.c_str());
      if (!got.music) got.error = "Cannot open music " + job.path + ": " + Mix_GetError();
      {
        std::lock_guard<std::mutex> lock(loadMutex_);
        if (loaded_.music) Mix_FreeMusic(loaded_.music);  // superseded before it was taken
        loaded_ = got;
      }
      PostTask([] {
        if (gSdl) gSdl->TakeLoaded();
      });
    }
  }

  void StopLoader() {
    {
      std::lock_guard<std::mutex> lock(loadMutex_);
      loaderQuit_ = true;
      hasJob_ = false;
    }
    loadCv_.notify_one();
    if (loader_.joinable()) loader_.join();  // waits out a load under way
    std::lock_guard<std::mutex> lock(loadMutex_);
    loaderQuit_ = false;
    if (loaded_.music) Mix_FreeMusic(loaded_.music);
    loaded_ = Loaded{};
  }

  static constexpr Uint64 kFullScreenWaitMs = 500;
  Uint64 start_ = 0;
  std::map<int, Win> wins_;
  std::deque<RawEvent> pending_;  // made by us, delivered before the system's
  int realW_ = 0, realH_ = 0;
  SDL_Cursor* cursors_[2] = {};  // arrow, wait: made when first asked for
  std::map<int, SDL_Joystick*> joysticks_;
  bool audio_ = false;
  std::uint32_t rate_ = 44100;
  Mix_Music* music_ = nullptr;
  bool paused_ = false;
  bool started_ = false;  // music_ is on the music channel (not waiting for a resume)
  std::uint32_t token_ = 0;  // the loop's count of tracks asked for and stopped

  std::thread loader_;
  std::mutex loadMutex_;
  std::condition_variable loadCv_;
  bool loaderQuit_ = false;
  bool hasJob_ = false;
  Job job_;
  Loaded loaded_;
};

void TrackPlayedOut(std::uint32_t token) {
  if (gSdl) gSdl->TrackOut(token);
}

}  // namespace

std::unique_ptr<Backend> MakeSdlBackend(std::string* error) {
  auto b = std::make_unique<SdlBackend>();
  if (!b->Start(error)) return nullptr;
  return b;
}

}  // namespace plat::detail
