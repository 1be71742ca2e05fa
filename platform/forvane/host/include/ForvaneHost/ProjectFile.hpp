// The project file: JSON, human-readable, values in base units.
#pragma once

#include <optional>
#include <string>

#include "ForvaneHost/Model.hpp"

namespace fvhost {

// Reads a project. On a fault, returns nothing and sets `error` to the text
// of its Fault, which names the place: "FILE:LINE:COLUMN: what is wrong".
std::optional<Project> LoadProjectFile(const std::string& path, std::string& error);
std::optional<Project> ParseProject(const std::string& json, const std::string& sourceName, std::string& error);

// Writes a project atomically: to a file beside the target, then renamed over
// it, so that a failed save leaves the old file whole. False and `error` on failure.
bool SaveProjectFile(const Project& project, const std::string& path, std::string& error);
std::string ProjectToJson(const Project& project);

}  // namespace fvhost
