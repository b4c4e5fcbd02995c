// The resources of a program file (the PE format of the platform the pictures come from):
// icons and cursors looked up by type, name and language, as the platform's LoadIcon does.
#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>

namespace zarn3set {

class EResNotFound : public std::runtime_error {
 public:
  explicit EResNotFound(const std::string& name)
      : std::runtime_error("Resource " + name + " not found") {}
};

// Resource types of the format.
inline constexpr std::uint16_t kRtCursor = 1, kRtIcon = 3, kRtGroupCursor = 12, kRtGroupIcon = 14;

class TModule {
 public:
  // Reads and checks the file's headers; a file that is not a program file with resources
  // raises EInvalidGraphic("Stream read error") and leaves the module as it was.
  void LoadFromStream(const std::string& bytes);
  void LoadFromFile(const std::string& path);
  bool Loaded() const { return !bytes_.empty(); }
  // A resource's bytes by type and name: "#123" or an id names a number, anything else a
  // string name (ASCII letters match either case). The first language found is taken.
  std::optional<std::string> Find(std::uint16_t type, const std::string& name) const;
  // An icon file of one image (the one nearest 32 x 32, then the deepest) from the group icon
  // of that name; failing that, a cursor file from the group cursor. Raises EResNotFound.
  std::string LoadIcon(const std::string& name) const;

 private:
  std::optional<std::string> FindInGroup(std::uint16_t groupType, const std::string& name) const;
  std::string bytes_;
  std::uint32_t rsrcOffset_ = 0, rsrcRva_ = 0, rsrcSize_ = 0;
  std::uint32_t sections_ = 0;
  std::uint32_t sectionTable_ = 0;
  std::optional<std::uint32_t> RvaToOffset(std::uint32_t rva, std::uint32_t size) const;
};

}  // namespace zarn3set
