// A live host in the test process, with the plug-in's steps bound to it as an
// add-on linked into the process. Tests run a step (or the whole command),
// with fault injection from the host's options, and read the project, the
// Session Report and the transcript.
//
//   InProcessHost host(builder.Build(), options);
//   quarnel::Config config;
//   EXPECT_EQ(config.deleteProperties(), 1);
//   EXPECT_THAT(host.Report(), ElementsAre(...));
#pragma once

#include <string>
#include <vector>

#include "ForvaneHost/Host.hpp"
#include "host/HostApi.hpp"
#include "support/host_options.hpp"

namespace testing_support {

class InProcessHost {
 public:
  explicit InProcessHost(fvhost::Project project = {}, fvhost::HostOptions options = Quiet())
      : host_(std::move(options)) {
    host_.SetProject(std::move(project));
    token_ = host_.AttachInProcessAddOn("Quarnel (in process)");
    quarnel::host::KeepEntryTable(host_.EntryTable());
    quarnel::host::SetToken(token_);
  }
  ~InProcessHost() { quarnel::host::SetToken(0); }

  fvhost::Host& host() { return host_; }
  fvhost::Project& project() { return host_.project(); }
  const std::vector<std::string>& Report() const { return host_.ReportLines(); }
  const std::vector<std::string>& Transcript() { return host_.transcript().Lines(); }
  API_Token token() const { return token_; }

  // Runs `body` as the host would run the plug-in's code: with the plug-in as
  // the memory owner (blocks it allocates are charged to it).
  template <class F>
  auto AsAddOn(F&& body) {
    Corbane::OwnerScope scope(host_.addOns().back().owner);
    return body();
  }

 private:
  fvhost::Host host_;
  API_Token token_ = 0;
};

}  // namespace testing_support
