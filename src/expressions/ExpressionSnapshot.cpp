#include "run/Config.hpp"

namespace quarnel {

Outcome Config::exportExpressions() { return 1; }

}  // namespace quarnel
