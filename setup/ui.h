// The installer's small user interface: one window with a background picture, pages drawn as
// panels on it, each run as a modal loop, with labels, buttons, check boxes, edit lines in
// UTF-8, folder lists, a progress bar, and message boxes. Text is drawn with a system font
// (found through fontconfig) by SDL2_ttf into the platform layer's 16-bit surfaces.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/forms.h"
#include "platform/surface.h"
#include "setup/images/GIFCtrl.h"

namespace zarn3set {

// Fonts: false with the reason when no font can be found or opened.
bool UiInit(std::string* error = nullptr);
void UiShutdown();
int TextWidth(const std::string& utf8, bool bold = false);
int LineHeight();
// Draws one line; returns its width.
int DrawText(plat::Surface& s, int x, int y, const std::string& utf8, TColor color, bool bold = false);
// Text split at "\r\n"/"\n" and wrapped to `width`: at blanks, and a word too long for a line
// (a path) wherever it must be broken.
std::vector<std::string> WrapLines(const std::string& utf8, int width, bool bold = false);
// Draws the wrapped text; lines beyond the rectangle's height give way to one "…" line in the
// middle, so its start and its end stay readable. Returns the height used.
int DrawTextBlock(plat::Surface& s, plat::Rect r, const std::string& utf8, TColor color, bool bold = false);
// The text as it fits `width` on one line: whole, or its middle replaced by "…".
std::string ElideMiddle(const std::string& utf8, int width, bool bold = false);
void FillRect(plat::Surface& s, plat::Rect r, TColor c);
void FrameRect(plat::Surface& s, plat::Rect r, TColor light, TColor dark);

enum class TWidgetKind : std::uint8_t { Label, Button, CheckBox, Edit, List, Progress, Picture };

struct TWidget {
  TWidgetKind kind = TWidgetKind::Label;
  plat::Rect rect;
  std::string caption;  // UTF-8
  std::string text;     // edit lines
  std::size_t caret = 0;  // edit lines: byte offset of the caret in text
  bool checked = false, enabled = true, visible = true, bold = false;
  bool oneLine = false;  // labels: a single line, elided in the middle when too long
  std::vector<std::string> items;  // lists
  // Lists: the row selected and the first row shown; edit lines: the first byte shown.
  int selected = -1, top = 0;
  int position = 0;  // progress, 0..100
  TColor color = 0;
  std::unique_ptr<TRxGIFAnimator> picture;
  std::function<void()> onClick;   // buttons, check boxes, list choices
  std::function<void()> onChange;  // edit lines
};

class TPage {
 public:
  std::string name;     // for traces and tests
  std::string caption;  // the title bar
  plat::Rect rect;
  std::vector<std::unique_ptr<TWidget>> widgets;
  int focus = -1;
  int modalResult = 0;  // a modal loop ends when this is not 0
  bool visible = false;
  bool busy = false;  // the pointer is an hourglass over it

  TWidget* Add(TWidgetKind kind, plat::Rect r, const std::string& caption = {});
  TWidget* Find(const std::string& caption);
  // Window coordinates of a widget's centre (scripted input).
  void CentreOf(const TWidget* w, int& x, int& y) const;
  void Paint(plat::Surface& s);
  void MouseDown(int x, int y);
  void KeyDown(int key);
  void KeyPress(const std::string& utf8);
  // Rows a list shows at once.
  static int ListRows(const TWidget& w);

 private:
  // (x, y): where a list or an edit line was clicked, which picks its row or caret place.
  void Activate(TWidget* w, int x, int y);
  void EditKey(TWidget& w, int key);
  void ListKey(TWidget& w, int key);
};

// The window, maximised, with its picture stretched over it, and its page stack: each page
// centred in it, the top one drawn last.
class TScreen {
 public:
  // The window's size before it is maximised.
  static constexpr int kWidth = 640, kHeight = 480;
  bool Create(const std::string& caption, std::string* error);
  void Destroy();
  plat::Form* form = nullptr;
  plat::Surface surface;  // the window's size
  int width = kWidth, height = kHeight;
  TRxGIFAnimator background;
  std::vector<TPage*> stack;
  bool dirty = true;

  void Push(TPage* page);  // shown on top (modeless)
  void Pop(TPage* page);
  // Takes the window's present size: the picture is made anew and the pages centred in it.
  void FitWindow();
  // The hourglass over a busy page under the pointer, the arrow elsewhere.
  void UpdateCursor();
  // Runs the page modally until its modalResult is set, the window is closed (answers -1)
  // or the loop ends.
  int RunModal(TPage& page);
  void Repaint();  // draws everything and presents it now
  // Lets the loop run once (events, timers) and repaints when something changed.
  void Pump();
  // Called on every pass of a modal loop: scripted drivers of the tests act here.
  std::function<void(TScreen&, TPage&)> onModalPass;
  bool closeRequested = false;
};

inline TScreen* Screen = nullptr;

// A message box on the screen (or the platform's when there is no screen); answers the
// index of the button pressed, -1 when the window was closed instead.
int MessageDlg(const std::string& caption, const std::string& text,
               const std::vector<std::string>& buttons);

// Traces of what is shown (ZARN3SET_TRACE=1): one line to stderr per event.
void Trace(const std::string& line);

}  // namespace zarn3set
