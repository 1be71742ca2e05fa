// What the expression tests share: a snapshot taken in one host session and a
// restore run in another, as the import run does around the deletion and the
// configuration import, with each session's own faults.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <nlohmann/json.hpp>
#include <stdexcept>
#include <string>
#include <vector>

#include "expressions/SnapshotStore.hpp"
#include "run/Config.hpp"
#include "run/RunStatus.hpp"
#include "support/host_options.hpp"
#include "support/in_process_host.hpp"
#include "support/project_builder.hpp"
#include "support/transcript_events.hpp"
#include "values/RowKey.hpp"

namespace expressions_test {

using testing_support::Code;
using testing_support::Fail;
using testing_support::InProcessHost;
using testing_support::ProjectBuilder;
using testing_support::Quiet;

inline fvhost::HostOptions Tracing(std::vector<fvhost::FaultRule> faults = {}) {
  fvhost::HostOptions options = Quiet();
  options.traceCalls = true;
  options.faults = std::move(faults);
  return options;
}

inline fvhost::HostOptions Failing(std::vector<fvhost::FaultRule> faults) { return Tracing(std::move(faults)); }

inline Corbane::UniString U(const std::string& text) { return Corbane::UniString(text.c_str()); }
inline std::string S(const Corbane::UniString& text) { return std::string(text.ToCStr().Get()); }

inline quarnel::RowKey Key(const std::string& group, const std::string& definition) {
  return quarnel::RowKey(U(group), U(definition));
}

// Makes the definition a choice of options that show `displays` (single or
// multiple choice by `collectionType`), with the options at `chosen` as its
// default; no option chosen leaves the default undefined.
inline fvhost::Definition& Choice(ProjectBuilder& b, const fvhost::Guid& definition, std::int32_t collectionType,
                                  const std::vector<fvhost::Value>& displays, const std::vector<std::size_t>& chosen) {
  fvhost::Definition& d = b.Def(definition);
  d.collectionType = collectionType;
  d.options.clear();
  for (const fvhost::Value& display : displays) d.options.push_back({fvhost::NewGuid(), display, false, ""});
  d.defaultValue = {};
  d.defaultValue.status = chosen.empty() ? API_ValueUndefined : API_ValueNormal;
  for (std::size_t i : chosen) {
    fvhost::Value key;
    key.type = API_VariantGuid;
    key.guid = d.options.at(i).key;
    if (collectionType == API_MultipleChoiceCollection)
      d.defaultValue.list.push_back(key);
    else
      d.defaultValue.single = key;
  }
  return d;
}

inline std::vector<fvhost::Value> TextOptions(const std::vector<std::string>& texts) {
  std::vector<fvhost::Value> displays;
  for (const std::string& text : texts) displays.push_back(ProjectBuilder::Text(text));
  return displays;
}

inline std::string Shown(const fvhost::Value& display) {
  switch (display.type) {
    case API_VariantInteger: return std::to_string(display.intValue);
    case API_VariantReal: return std::to_string(display.realValue);
    case API_VariantBoolean: return display.boolValue ? "True" : "False";
    default: return display.text;
  }
}

// What the definition's default chose, by what its options show; "?" for a
// key that is no option of it.
inline std::vector<std::string> ChosenOptions(const fvhost::Definition& definition) {
  std::vector<fvhost::Value> keys = definition.defaultValue.list;
  if (definition.collectionType != API_MultipleChoiceCollection) keys = {definition.defaultValue.single};
  std::vector<std::string> shown;
  for (const fvhost::Value& key : keys) {
    std::string text = "?";
    for (const fvhost::Option& option : definition.options)
      if (option.key == key.guid) text = Shown(option.display);
    shown.push_back(text);
  }
  return shown;
}

// The subjects of every `call` event of one operation, in call order.
inline std::vector<std::string> CallSubjects(const std::vector<std::string>& transcript, const std::string& op) {
  std::vector<std::string> subjects;
  for (const nlohmann::json& event : testing_support::Events(transcript, "call")) {
    if (event.value("op", "") != op) continue;
    const nlohmann::json& subject = event["subject"];
    if (subject.is_string()) {
      subjects.push_back(subject.get<std::string>());
    } else if (subject.is_array() && !subject.empty() && subject[0].is_string()) {
      subjects.push_back(subject[0].get<std::string>());
    } else {
      subjects.push_back("");
    }
  }
  return subjects;
}

inline const fvhost::Definition* FindDefinition(const fvhost::Project& project, const std::string& group,
                                                const std::string& name) {
  for (const fvhost::Group& g : project.groups) {
    if (g.name != group) continue;
    for (const fvhost::Definition& d : project.definitions)
      if (d.group == g.guid && d.name == name) return &d;
  }
  return nullptr;
}

inline const fvhost::Option* FindOption(const fvhost::Definition& definition, const std::string& displayText) {
  for (const fvhost::Option& option : definition.options)
    if (option.display.text == displayText) return &option;
  return nullptr;
}

inline std::vector<std::string> DisplayTexts(const Corbane::Array<API_SingleEnumerationVariant>& options) {
  std::vector<std::string> texts;
  for (const auto& option : options) texts.push_back(S(option.displayVariant.uniStringValue));
  return texts;
}

inline std::vector<std::string> Texts(const Corbane::Array<Corbane::UniString>& texts) {
  std::vector<std::string> out;
  for (const auto& text : texts) out.push_back(S(text));
  return out;
}

// One snapshot session, then one restore session, each with its own host.
class SnapshotThenRestore : public ::testing::Test {
 protected:
  void SetUp() override {
    quarnel::EmptySnapshotStore();
    quarnel::ResetRunStatus();
  }
  void TearDown() override {
    host_.reset();
    quarnel::EmptySnapshotStore();
  }

  // The snapshot step's outcome code.
  int Snapshot(const fvhost::Project& before, fvhost::HostOptions options = Quiet()) {
    Open(before, std::move(options));
    return static_cast<int>(quarnel::Config().exportExpressions());
  }

  // Runs the restore body as the "Import Expressions" command does.
  HostError Restore(const fvhost::Project& after, fvhost::HostOptions options = Tracing()) {
    Open(after, std::move(options));
    quarnel::ResetRunStatus();
    quarnel::Config config;
    auto body = [&config] { return config.restoreExpressions(); };
    return quarnel::host::CallUndoableCommand(U("Import Expressions"), body);
  }

  void Open(const fvhost::Project& project, fvhost::HostOptions options) {
    host_.reset();
    host_ = std::make_unique<InProcessHost>(project, std::move(options));
  }

  InProcessHost& host() { return *host_; }
  const fvhost::Project& project() { return host_->project(); }
  const std::vector<std::string>& Report() { return host_->Report(); }
  std::vector<std::string> Calls(const std::string& op) { return CallSubjects(host_->Transcript(), op); }
  const fvhost::Definition& Definition(const std::string& group, const std::string& name) {
    const fvhost::Definition* d = FindDefinition(project(), group, name);
    if (d == nullptr) throw std::logic_error("no definition " + group + "/" + name);
    return *d;
  }

 private:
  std::unique_ptr<InProcessHost> host_;
};

}  // namespace expressions_test
