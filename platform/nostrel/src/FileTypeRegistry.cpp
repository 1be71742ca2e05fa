#include "FileTypeRegistry.hpp"

#include <new>

namespace Nostrel {

namespace registry {

namespace {

struct Entry {
  FileTypeId id;
  const FileTypeManager* owner;
  FileType* type;  // a Corbane block holding the manager's copy
};

// Plain storage with no destructor: it must outlive nothing at process exit,
// and it gives its blocks back as soon as the last type is removed.
struct Registry {
  Entry* entries = nullptr;
  Corbane::UIndex size = 0;
  Corbane::UIndex capacity = 0;
  FileTypeId lastId = 0;
};
Registry table;

void Grow() {
  const Corbane::UIndex capacity = table.capacity == 0 ? 8 : table.capacity * 2;
  auto* entries = static_cast<Entry*>(Corbane::Allocate(sizeof(Entry) * capacity));
  for (Corbane::UIndex i = 0; i < table.size; ++i) entries[i] = table.entries[i];
  if (table.entries != nullptr) Corbane::Free(table.entries);
  table.entries = entries;
  table.capacity = capacity;
}

void Destroy(FileType* type) {
  type->~FileType();
  Corbane::Free(type);
}

}  // namespace

FileTypeId Add(const FileTypeManager* owner, const FileType& type) {
  if (table.size == table.capacity) Grow();
  auto* copy = new (Corbane::Allocate(sizeof(FileType))) FileType(type);
  const FileTypeId id = ++table.lastId;
  table.entries[table.size++] = Entry{id, owner, copy};
  return id;
}

const FileType* Find(FileTypeId id) {
  for (Corbane::UIndex i = 0; i < table.size; ++i)
    if (table.entries[i].id == id) return table.entries[i].type;
  return nullptr;
}

void RemoveAllOf(const FileTypeManager* owner) {
  Corbane::UIndex kept = 0;
  for (Corbane::UIndex i = 0; i < table.size; ++i) {
    if (table.entries[i].owner == owner) Destroy(table.entries[i].type);
    else table.entries[kept++] = table.entries[i];
  }
  table.size = kept;
  if (table.size == 0 && table.entries != nullptr) {
    Corbane::Free(table.entries);
    table.entries = nullptr;
    table.capacity = 0;
  }
}

}  // namespace registry

FileTypeManager::FileTypeManager(const char* name) : name_(name) {}

FileTypeManager::~FileTypeManager() { registry::RemoveAllOf(this); }

FileTypeId FileTypeManager::AddType(const FileType& type, FileTypeGroup /*group*/) {
  if (type.GetTypeCode() != 0 || type.GetCreatorCode() != 0) return 0;
  const FileTypeId id = registry::Add(this, type);
  ids_.Push(id);
  return id;
}

const FileType* FileTypeManager::FindType(FileTypeId id) { return registry::Find(id); }

}  // namespace Nostrel
