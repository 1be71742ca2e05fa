// The one test of an IFC property group that every step uses: the name begins
// with "SGPset_" or, else, with "Pset_" (exact, case-sensitive).
#pragma once

#include "Corbane/UniString.hpp"

namespace quarnel {

inline bool IsIfcGroupName(const Corbane::UniString& groupName) {
  static const Corbane::UniString sgPrefix("SGPset_");
  static const Corbane::UniString prefix("Pset_");
  return groupName.BeginsWith(sgPrefix) || groupName.BeginsWith(prefix);
}

}  // namespace quarnel
