// GIF reading and decoding of every frame: any input either loads or raises the library's
// errors; nothing else may happen.
#include <cstddef>
#include <cstdint>
#include <string>

#include "setup/images/RxGIF.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string bytes(reinterpret_cast<const char*>(data), size);
  for (bool tolerate : {false, true}) {
    zarn3set::TGIFImage img;
    img.allowCorrupt = tolerate;
    try {
      img.LoadFromStream(bytes);
      for (int i = 0; i < img.FrameCount(); ++i) img.Frame(i)->Bitmap();
      // Every frame composed on the logical screen, in order and from the last one back.
      zarn3set::TGIFCanvas c;
      for (int i = 0; i < img.FrameCount(); ++i) zarn3set::ComposeFrame(img, i, c);
      if (img.FrameCount() > 1) zarn3set::ComposeFrame(img, 0, c);
      if (img.FrameCount() > 0 && size < 4096) {
        zarn3set::TGIFImage back;
        back.LoadFromStream(img.SaveToStream());
      }
    } catch (const zarn3set::EGIFError&) {
    } catch (const zarn3set::EReadError&) {
    } catch (const zarn3set::EInvalidGraphic&) {
    }
  }
  return 0;
}
