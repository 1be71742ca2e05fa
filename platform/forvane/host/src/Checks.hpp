// The checks the host makes before it stores a value or a definition.
#pragma once

#include "Forvane/Errors.hpp"
#include "ForvaneHost/Model.hpp"

namespace fvhost::checks {

// Whether a value may be stored for the definition: the variant types fit the
// value type and collection, option keys are the definition's, reals are
// finite. A null or undefined value has no content to check.
HostError ValueFits(const Definition& definition, const PropertyValue& value);

// Whether `changed` may replace the stored definition of the same guid.
// Gives option keys that are null fresh guids (so `changed` may be altered).
HostError CheckChangedDefinition(const Project& project, Definition& changed);

// Whether a stored definition's change can make element values stop fitting
// (only then are element values looked at again).
bool ChangeMayUnfitValues(const Definition& before, const Definition& after);

}  // namespace fvhost::checks
