// A saved text as the restore's report lines name it, so that a person can
// carry it over by hand: in quotes, with a line end written \n (or \r), so that
// one line of the Session Report stays one line.
#pragma once

#include "Corbane/UniString.hpp"

namespace quarnel {

Corbane::UniString Quoted(const Corbane::UniString& text);

}  // namespace quarnel
