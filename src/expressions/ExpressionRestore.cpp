#include "run/Config.hpp"

namespace quarnel {

HostError Config::restoreExpressions() { return NoError; }

}  // namespace quarnel
