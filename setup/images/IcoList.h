// Icons in icon-file form, and a persistent list of them with change notification.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "setup/images/Clipbrd.h"
#include "setup/images/ResFile.h"
#include "setup/images/RxGraph.h"

namespace zarn3set {

class EListError : public std::out_of_range {
 public:
  EListError() : std::out_of_range("List index out of bounds") {}
};

// One icon, kept as the bytes of an icon (or cursor) file.
class TIcon {
 public:
  std::string data;  // empty: an empty icon
  std::function<void()> OnChange;
  bool Empty() const { return data.empty(); }
  // Checks the file's header and first directory entry; raises EInvalidGraphic.
  void LoadFromStream(const std::string& bytes);
  void Assign(const TIcon* other);
  // The clipboard under the icon format; pasting checks the data as LoadFromStream does.
  void CopyToClipboard() const;
  void LoadFromClipboardFormat();
  int Width() const;
  int Height() const;
  // The first image as a 24-bit bitmap (uncompressed images of 1 to 32 bits); pixels its
  // mask leaves out take `background` (clNone: the image's own colour).
  TBitmap ToBitmap(TColor background = clNone) const;
};

// The clipboard format of icons: "Icon Image" (an icon file's bytes).
TClipFormat CF_ICON();

class TIconList {
 public:
  TIconList() = default;
  virtual ~TIconList();
  TIconList(const TIconList&) = delete;
  TIconList& operator=(const TIconList&) = delete;

  std::function<void(TIconList*)> OnChange;
  virtual void Changed();
  virtual TIcon* Get(int index);  // nullptr for an empty entry
  virtual int GetCount() const { return static_cast<int>(items_.size()); }
  virtual void Put(int index, const TIcon* icon);
  virtual int Add(const TIcon* icon);
  virtual void Clear();
  virtual void Delete(int index);
  virtual void Exchange(int a, int b);
  virtual int IndexOf(const TIcon* icon) const;
  virtual void Insert(int index, const TIcon* icon);
  // An icon (or cursor) of the program file's resources, by name ("#12" or 12 for a number);
  // a missing or damaged resource raises and leaves the list as it was.
  virtual int AddResource(const TModule& module, const std::string& name);
  virtual void InsertResource(int index, const TModule& module, const std::string& name);
  virtual void LoadFromStream(const std::string& bytes);  // the "Icons" form
  virtual void Move(int from, int to);
  virtual std::string SaveToStream() const;
  // Whether the "Icons" property is stored: an entry differs from the ancestor's at its
  // place (equal counts), or else the list is not empty.
  bool ShouldStore(const TIconList* ancestor) const;
  void Assign(const TIconList* other);
  void Assign(const TIcon& icon);
  void HoldChanges();
  void ReleaseChanges();
  int UpdateCount() const { return updateCount_; }

 private:
  void Check(int index) const;
  void Bind(TIcon* icon);
  void IconChanged() { Changed(); }  // an icon the list holds has changed
  void SetUpdateState(bool updating);
  std::vector<std::unique_ptr<TIcon>> items_;
  int updateCount_ = 0;
};

}  // namespace zarn3set
