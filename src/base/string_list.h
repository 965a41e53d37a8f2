// Pools of scratch text buffers handed out in rotation, so that formatting helpers can return
// texts that the caller never frees. A buffer stays valid until its list has handed out
// NumStr further buffers.
#pragma once

#include <cstddef>
#include <memory>

struct StringList {
  std::unique_ptr<std::unique_ptr<char[]>[]> StrList;
  std::unique_ptr<size_t[]> StrSizes;
  size_t NumStr = 0;
  size_t DefSize = 0;
  size_t CurStr = 0;
};

// At most this many lists exist at once.
constexpr size_t kMaxStringLists = 8;

// Empties the registry of lists (once per run).
void InitStringLists();

// A new list of count buffers of defSize bytes (0 means 1024); nullptr when all slots are used.
StringList* CreateStringList(size_t count, size_t defSize);

// The next buffer of the list (nullptr: the default list of 24 buffers of 512 bytes), emptied.
char* GetStr(StringList* list);

// Like GetStr, with room for at least sizeRequired bytes. A request for exactly DefSize shrinks
// a buffer that an earlier request enlarged.
char* GetStrSized(StringList* list, size_t sizeRequired);

// The allocated size of a buffer of the list.
size_t GetStrSize(StringList* list, const char* buffer);

void DeleteStringList(StringList* list);
void DeleteAllStringLists();
