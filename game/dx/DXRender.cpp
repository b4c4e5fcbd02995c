#include "game/dx/DXRender.h"

namespace zarn {

TDXDrawOptions DX3DRequest(const TCustomDXDraw& draw) {
  constexpr TDXDrawOptions fromOptions = DXOpt(doHardware) | DXOpt(doSelectDriver) |
                                         DXOpt(doZBuffer) | DXOpt(doRGB) | DXOpt(doMono) |
                                         DXOpt(doDither);
  TDXDrawOptions request = (draw.Options() & fromOptions) |
                           (draw.EffectiveOptions() & DXOpt(doRetainedMode));
  // One colour model: RGB wins over mono, and RGB when neither is asked.
  if (HasOpt(request, doRGB) || !HasOpt(request, doMono)) request = (request | DXOpt(doRGB)) & ~DXOpt(doMono);
  return request;
}

void DXChoose3DDevice(TCustomDXDraw& draw) {
  (void)DX3DRequest(draw);
  // The display drivers: the platform's presentation is the only one, and it draws in software.
  TDirectDraw probe;
  if (!probe.Has3DHardware()) throw EDXDrawError(S3DDeviceNotFound);
}

void DXMake3DObjects(TCustomDXDraw& draw) {
  TDirectDraw* dd = draw.DDraw();
  if (!dd) throw EDXDrawError(DXFormat(SNotMade, "IDirectDraw4"));
  if (!dd->Has3DHardware()) throw EDXDrawError(S3DDeviceNotFound);
}

}  // namespace zarn
