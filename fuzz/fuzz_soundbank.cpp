// Sound banks: loading is all or nothing, and a bank that loads writes back to bytes that
// load to the same bank.
#include <cstddef>
#include <cstdint>

#include "game/dx/DXSounds.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace zarn;
  static TWaveCollection bank;
  static const auto empty = bank.SaveToBytes();
  bank.Clear();
  try {
    bank.LoadFromBytes({data, size});
  } catch (const EDXError&) {
    if (bank.SaveToBytes() != empty) __builtin_trap();
    return 0;
  }
  for (int i = 0; i < bank.Count(); ++i)
    if (bank.Find(bank.Items(i).Name()) == nullptr) __builtin_trap();
  const auto saved = bank.SaveToBytes();
  TWaveCollection back;
  back.LoadFromBytes(saved);
  if (back.Count() != bank.Count() || back.SaveToBytes() != saved) __builtin_trap();
  return 0;
}
