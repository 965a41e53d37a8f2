#include "base/string_list.h"

#include "platform/assert.h"

namespace {

constexpr size_t kDefaultBufferSize = 1024;
constexpr size_t kDefaultListCount = 24;
constexpr size_t kDefaultListSize = 512;

struct StringListRegistry {
  std::unique_ptr<StringList> slots[kMaxStringLists];
  StringList* defaultList = nullptr;
};
StringListRegistry Registry;

StringList* ListOrDefault(StringList* list) {
  if (list != nullptr) return list;
  if (Registry.defaultList == nullptr) {
    Registry.defaultList = CreateStringList(kDefaultListCount, kDefaultListSize);
  }
  return Registry.defaultList;
}

// Advances to the next buffer and makes sure it holds size bytes; shrinkToDefault replaces a
// buffer larger than DefSize.
char* NextBuffer(StringList* p, size_t size, bool shrinkToDefault) {
  p->CurStr = (p->CurStr + 1) % p->NumStr;
  auto& buf = p->StrList[p->CurStr];
  size_t& have = p->StrSizes[p->CurStr];
  if (!buf || have < size || (shrinkToDefault && have > size)) {
    buf = std::make_unique<char[]>(size);
    have = size;
  }
  VORN_ASSERT(p->StrList[p->CurStr]);
  buf[0] = '\0';
  return buf.get();
}

}  // namespace

void InitStringLists() {
  DeleteAllStringLists();
}

StringList* CreateStringList(size_t count, size_t defSize) {
  if (count == 0) return nullptr;
  for (auto& slot : Registry.slots) {
    if (slot) continue;
    slot = std::make_unique<StringList>();
    slot->StrList = std::make_unique<std::unique_ptr<char[]>[]>(count);
    slot->StrSizes = std::make_unique<size_t[]>(count);
    slot->NumStr = count;
    slot->DefSize = defSize == 0 ? kDefaultBufferSize : defSize;
    slot->CurStr = count - 1;  // so the first buffer handed out is buffer 0
    return slot.get();
  }
  return nullptr;
}

char* GetStr(StringList* list) {
  StringList* p = ListOrDefault(list);
  return NextBuffer(p, p->DefSize, false);
}

char* GetStrSized(StringList* list, size_t sizeRequired) {
  VORN_ASSERT(sizeRequired > 0);
  StringList* p = ListOrDefault(list);
  size_t size = sizeRequired > p->DefSize ? sizeRequired : p->DefSize;
  return NextBuffer(p, size, sizeRequired == p->DefSize);
}

size_t GetStrSize(StringList* list, const char* buffer) {
  StringList* p = ListOrDefault(list);
  for (size_t i = 0; i < p->NumStr; i++) {
    if (p->StrList[i].get() == buffer) return p->StrSizes[i];
  }
  VORN_ASSERT(!"buffer belongs to the list");
  return 0;
}

void DeleteStringList(StringList* list) {
  if (list == Registry.defaultList) Registry.defaultList = nullptr;
  for (auto& slot : Registry.slots) {
    if (slot.get() == list) slot.reset();
  }
}

void DeleteAllStringLists() {
  for (auto& slot : Registry.slots) slot.reset();
  Registry.defaultList = nullptr;
}
