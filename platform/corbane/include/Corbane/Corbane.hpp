// Everything of the Corbane base library.
#pragma once

#include "Corbane/Array.hpp"
#include "Corbane/Convert.hpp"
#include "Corbane/Debug.hpp"
#include "Corbane/Guid.hpp"
#include "Corbane/HashTable.hpp"
#include "Corbane/Memory.hpp"
#include "Corbane/Types.hpp"
#include "Corbane/UniString.hpp"
