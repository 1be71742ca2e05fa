// The menu command's handler: the host calls it for every item of the
// plug-in's menus; it runs the import for menu 32500, item 1, and answers 0.
#pragma once

#include "Forvane/EntryTable.hpp"

namespace quarnel {

inline constexpr Corbane::Int16 ImportMenuResourceId = 32500;
inline constexpr Corbane::Int32 ImportMenuItemIndex = 1;

HostError HandleMenuCommand(const API_MenuCallParams* params);

// One whole run of the six steps and the final alert.
void RunImport();

// Runs `run`; should it throw, writes a line and shows the failure alert.
void RunGuarded(void (*run)()) noexcept;

}  // namespace quarnel
