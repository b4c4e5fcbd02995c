// Animated cursors, stored icon lists and program files' icon resources: any input either
// loads or raises the picture library's errors; nothing else may happen.
#include <cstddef>
#include <cstdint>
#include <string>

#include "setup/images/AniFile.h"
#include "setup/images/IcoList.h"
#include "setup/images/ResFile.h"
#include "setup/images/RxGIF.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace zarn3set;
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  try {
    TAnimatedCursorImage a;
    a.LoadFromStream(bytes);
    a.AssignToBitmap(clWindow, true);
    TGIFImage img;
    img.Assign(a);
    TGIFCanvas c;
    for (int i = 0; i < img.FrameCount(); ++i) ComposeFrame(img, i, c);
  } catch (const EInvalidGraphic&) {
  } catch (const EGIFError&) {
  }
  try {
    TIconList list;
    list.LoadFromStream(bytes);
    for (int i = 0; i < list.GetCount(); ++i)
      if (TIcon* icon = list.Get(i)) icon->ToBitmap(clWindow);
  } catch (const EInvalidGraphic&) {
  }
  try {
    TModule exe;
    exe.LoadFromStream(bytes);
    TIconList list;
    for (const char* name : {"#1", "#2", "MAINICON", "A"}) {
      try {
        list.AddResource(exe, name);
        list.Get(list.GetCount() - 1)->ToBitmap(clWindow);
      } catch (const EResNotFound&) {
      } catch (const EInvalidGraphic&) {
      }
    }
  } catch (const EInvalidGraphic&) {
  }
  return 0;
}
