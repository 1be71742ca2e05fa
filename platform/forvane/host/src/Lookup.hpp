// Finding things in a project: groups, definitions and elements by guid,
// classification items by id or guid.
//
// Element and definition lookups are served from a cached guid map, so that
// an add-on walking a large project does not scan it per call. The map is
// checked on every hit and rebuilt when it no longer fits the project, so a
// project changed directly (tests, the importers) is never answered wrongly.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "ForvaneHost/Model.hpp"

namespace fvhost::lookup {

std::optional<std::size_t> Element(const Project& project, const Guid& guid);
std::optional<std::size_t> Definition(const Project& project, const Guid& guid);
const Group* FindGroup(const Project& project, const Guid& guid);
const Group* FindGroupByName(const Project& project, const std::string& name);
const fvhost::Definition* FindDefinition(const Project& project, const Guid& guid);

const ClassificationItem* ItemById(const Project& project, const std::string& id);
const ClassificationItem* ItemByGuid(const Project& project, const Guid& guid);
// The item and every item above it in its system, nearest first; empty when unknown.
std::vector<std::string> ItemAndAncestors(const Project& project, const std::string& id);

}  // namespace fvhost::lookup
