#include "Pellarin/Pellarin.hpp"

namespace Pellarin {

namespace {
Responder* installed = nullptr;
}  // namespace

void SetResponder(Responder* responder) noexcept { installed = responder; }

Responder* GetResponder() noexcept { return installed; }

}  // namespace Pellarin
