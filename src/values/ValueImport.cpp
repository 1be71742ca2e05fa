#include "run/Config.hpp"

namespace quarnel {

HostError Config::restoreValuesFromDataFile() { return FvErr_NoError; }

}  // namespace quarnel
