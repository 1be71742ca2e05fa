#include "Lookup.hpp"

#include <cstring>
#include <functional>
#include <unordered_map>

#include "Corbane/Memory.hpp"

namespace fvhost::lookup {
namespace {

struct GuidHash {
  std::size_t operator()(const Guid& guid) const noexcept {
    std::uint64_t a = 0, b = 0;
    std::memcpy(&a, guid.bytes, 8);
    std::memcpy(&b, guid.bytes + 8, 8);
    return std::hash<std::uint64_t>{}(a ^ (b * 0x9E3779B97F4A7C15ull));
  }
};

// A guid -> index map over one vector of a project. `guidAt(i)` reads the
// guid of item i; the map is rebuilt when a hit does not check out or when
// the vector has changed its size or storage since the map was built.
class GuidIndex {
 public:
  template <class GuidAt>
  std::optional<std::size_t> Find(const void* items, std::size_t size, const Guid& guid, GuidAt guidAt) {
    if (items != items_ || size != size_) Rebuild(items, size, guidAt);
    if (auto hit = Lookup(guid, size, guidAt)) return hit;
    // A miss may be a stale map (an item replaced in place): check once the slow way.
    for (std::size_t i = 0; i < size; ++i)
      if (guidAt(i) == guid) {
        Rebuild(items, size, guidAt);
        return i;
      }
    return std::nullopt;
  }

 private:
  template <class GuidAt>
  std::optional<std::size_t> Lookup(const Guid& guid, std::size_t size, GuidAt guidAt) {
    auto it = map_.find(guid);
    if (it == map_.end()) return std::nullopt;
    if (it->second < size && guidAt(it->second) == guid) return it->second;
    return std::nullopt;
  }

  template <class GuidAt>
  void Rebuild(const void* items, std::size_t size, GuidAt guidAt) {
    Corbane::OwnerScope hostMemory(Corbane::HostOwner);  // the map outlives the add-on's call
    map_.clear();
    map_.reserve(size);
    for (std::size_t i = 0; i < size; ++i) map_.emplace(guidAt(i), i);
    items_ = items;
    size_ = size;
  }

  std::unordered_map<Guid, std::size_t, GuidHash> map_;
  const void* items_ = nullptr;
  std::size_t size_ = 0;
};

const ClassificationItem* FindItem(const std::vector<ClassificationItem>& items,
                                   const std::function<bool(const ClassificationItem&)>& matches) {
  for (const auto& item : items) {
    if (matches(item)) return &item;
    if (const auto* found = FindItem(item.children, matches)) return found;
  }
  return nullptr;
}

// Fills `path` with the items from the top down to the one with `id`.
bool PathTo(const std::vector<ClassificationItem>& items, const std::string& id, std::vector<std::string>& path) {
  for (const auto& item : items) {
    path.push_back(item.id);
    if (item.id == id || PathTo(item.children, id, path)) return true;
    path.pop_back();
  }
  return false;
}

}  // namespace

std::optional<std::size_t> Element(const Project& project, const Guid& guid) {
  static GuidIndex index;
  const auto& elements = project.elements;
  return index.Find(elements.data(), elements.size(), guid, [&](std::size_t i) { return elements[i]->guid; });
}

std::optional<std::size_t> Definition(const Project& project, const Guid& guid) {
  static GuidIndex index;
  const auto& definitions = project.definitions;
  return index.Find(definitions.data(), definitions.size(), guid, [&](std::size_t i) { return definitions[i].guid; });
}

const fvhost::Definition* FindDefinition(const Project& project, const Guid& guid) {
  auto index = Definition(project, guid);
  return index ? &project.definitions[*index] : nullptr;
}

const Group* FindGroup(const Project& project, const Guid& guid) {
  for (const auto& group : project.groups)
    if (group.guid == guid) return &group;
  return nullptr;
}

const Group* FindGroupByName(const Project& project, const std::string& name) {
  for (const auto& group : project.groups)
    if (group.name == name) return &group;
  return nullptr;
}

const ClassificationItem* ItemById(const Project& project, const std::string& id) {
  for (const auto& system : project.classificationSystems)
    if (const auto* item = FindItem(system.items, [&](const ClassificationItem& i) { return i.id == id; })) return item;
  return nullptr;
}

const ClassificationItem* ItemByGuid(const Project& project, const Guid& guid) {
  for (const auto& system : project.classificationSystems)
    if (const auto* item = FindItem(system.items, [&](const ClassificationItem& i) { return i.guid == guid; }))
      return item;
  return nullptr;
}

std::vector<std::string> ItemAndAncestors(const Project& project, const std::string& id) {
  std::vector<std::string> path;
  for (const auto& system : project.classificationSystems) {
    if (PathTo(system.items, id, path)) return {path.rbegin(), path.rend()};
    path.clear();
  }
  return {};
}

}  // namespace fvhost::lookup
