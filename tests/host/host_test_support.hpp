// A quiet host with one in-process add-on, and the operations taken from its
// entry table as an add-on takes them.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "Forvane/EntryTable.hpp"
#include "ForvaneHost/Host.hpp"
#include "support/host_options.hpp"
#include "support/project_builder.hpp"
#include "support/transcript_events.hpp"

namespace host_test {

inline const void* Slot(const fvhost::Host& host, std::size_t slot) {
  return static_cast<const void* const*>(host.EntryTable())[slot];
}

// OP(host, GetPropertyGroups): the slot's function as its pointer type.
#define OP(host, name) reinterpret_cast<FvProc_##name>(const_cast<void*>(::host_test::Slot((host), FvSlot_##name)))

class HostWithAddOn {
 public:
  explicit HostWithAddOn(fvhost::Project project = {}, fvhost::HostOptions options = testing_support::Quiet()) : host(options) {
    host.SetProject(std::move(project));
    token = host.AttachInProcessAddOn("Test add-on");
  }

  // Runs `body` as the callback of one undoable command, as an add-on does.
  HostError InCommand(const std::string& name, std::function<HostError()> body) {
    Corbane::UniString commandName(name.c_str());
    return OP(host, CallUndoableCommand)(
        token, &commandName, [](void* context) -> HostError { return (*static_cast<std::function<HostError()>*>(context))(); },
        &body);
  }

  fvhost::Project& project() { return host.project(); }

  fvhost::Host host;
  API_Token token = 0;
};

inline std::string Utf8(const Corbane::UniString& text) { return text.ToCStr().Get(); }

}  // namespace host_test
