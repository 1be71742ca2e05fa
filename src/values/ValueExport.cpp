#include "run/Config.hpp"

namespace quarnel {

Outcome Config::exportPropertyValues() { return 1; }

}  // namespace quarnel
