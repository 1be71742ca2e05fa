#include "Pellarin/Pellarin.hpp"

namespace Pellarin {

// A responder that fails, or answers a button the alert does not have, counts
// as the first button: the caller is owed one of its own buttons, and no
// exception may reach a plug-in.
Int16 PellarinAlert(Int16 kind, const UniString& title, const UniString& message, const UniString& second,
                    const UniString& button1, const UniString& button2, const UniString& button3) {
  Responder* responder = GetResponder();
  if (responder == nullptr) return 1;
  try {
    const Int16 pressed = responder->ShowAlert(kind, title, message, second, button1, button2, button3);
    return pressed >= 1 && pressed <= 3 ? pressed : Int16{1};
  } catch (...) {
    return 1;
  }
}

const char* AlertKindName(Int16 kind) noexcept {
  switch (kind) {
    case -1: return "Error";
    case -2: return "Warning";
    case -3: return "Information";
    default: return "Alert";
  }
}

}  // namespace Pellarin
