// The host's side: project load and save, and each host operation the
// plug-in's value steps call, timed per call on projects of growing size.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "BenchHost.hpp"
#include "ForvaneHost/ProjectFile.hpp"
#include "host/HostApi.hpp"

namespace quarnel_bench {
namespace {

namespace host = quarnel::host;
using Corbane::Array;
using Corbane::UniString;

void PerElement(benchmark::State& state, int elements) {
  // Seconds per element, shown with its unit.
  state.counters["time/elem"] = benchmark::Counter(static_cast<double>(elements) * static_cast<double>(state.iterations()),
                                                   benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void ProjectSave(benchmark::State& state, ProjectShape shape) {
  BenchHost& bench = BenchHost::For(shape);
  const std::string path = (bench.folder.path() / "project.json").string();
  std::string error;
  for (auto _ : state)
    if (!fvhost::SaveProjectFile(bench.host().project(), path, error)) state.SkipWithError(error.c_str());
  state.counters["bytes"] = static_cast<double>(values_test::fs::file_size(path));
  PerElement(state, shape.elements);
}

void ProjectLoad(benchmark::State& state, ProjectShape shape) {
  BenchHost& bench = BenchHost::For(shape);
  const std::string path = (bench.folder.path() / "project.json").string();
  std::string error;
  if (!fvhost::SaveProjectFile(bench.host().project(), path, error)) state.SkipWithError(error.c_str());
  for (auto _ : state) {
    auto project = fvhost::LoadProjectFile(path, error);
    if (!project) state.SkipWithError(error.c_str());
    benchmark::DoNotOptimize(project);
  }
  PerElement(state, shape.elements);
}

// Calls `call(elementGuid, definition)` once per iteration, walking the
// elements and their definitions in turn, as the steps do.
template <class Call>
void EachCall(benchmark::State& state, ProjectShape shape, Call call) {
  BenchHost& bench = BenchHost::For(shape);
  Array<API_Guid> elements;
  Array<API_PropertyDefinition> definitions;
  bench.host().AsAddOn([&] {
    host::GetElemList(elements);
    return host::GetElementPropertyDefinitions(elements[0], definitions);
  });
  Corbane::UIndex e = 0, d = 0;
  bench.host().AsAddOn([&] {
    for (auto _ : state) {
      call(elements[e], definitions[d]);
      if (++d == definitions.GetSize()) {
        d = 0;
        if (++e == elements.GetSize()) e = 0;
      }
    }
    return 0;
  });
}

void GetElemList(benchmark::State& state, ProjectShape shape) {
  BenchHost& bench = BenchHost::For(shape);
  bench.host().AsAddOn([&] {
    for (auto _ : state) {
      Array<API_Guid> elements;
      host::GetElemList(elements);
      benchmark::DoNotOptimize(elements.GetSize());
    }
    return 0;
  });
  PerElement(state, shape.elements);
}

void GetElementHeader(benchmark::State& state, ProjectShape shape) {
  EachCall(state, shape, [](const API_Guid& element, const API_PropertyDefinition&) {
    API_ElementHeader header;
    header.guid = element;
    benchmark::DoNotOptimize(host::GetElementHeader(header));
  });
}

void GetElementPropertyDefinitions(benchmark::State& state, ProjectShape shape) {
  EachCall(state, shape, [](const API_Guid& element, const API_PropertyDefinition&) {
    Array<API_PropertyDefinition> definitions;
    benchmark::DoNotOptimize(host::GetElementPropertyDefinitions(element, definitions));
  });
}

void GetPropertyGroup(benchmark::State& state, ProjectShape shape) {
  EachCall(state, shape, [](const API_Guid&, const API_PropertyDefinition& definition) {
    API_PropertyGroup group;
    group.guid = definition.groupGuid;
    benchmark::DoNotOptimize(host::GetPropertyGroup(group));
  });
}

void GetPropertyValue(benchmark::State& state, ProjectShape shape) {
  EachCall(state, shape, [](const API_Guid& element, const API_PropertyDefinition& definition) {
    ElementPropertyRecord property;
    benchmark::DoNotOptimize(host::GetPropertyValue(element, definition.guid, property));
  });
}

void GetPropertyValueString(benchmark::State& state, ProjectShape shape) {
  EachCall(state, shape, [](const API_Guid& element, const API_PropertyDefinition& definition) {
    ElementPropertyRecord property;
    host::GetPropertyValue(element, definition.guid, property);
    UniString text;
    benchmark::DoNotOptimize(host::GetPropertyValueString(property, text));
  });
  state.SetLabel("with its GetPropertyValue");
}

void SetProperty(benchmark::State& state, ProjectShape shape) {
  BenchHost& bench = BenchHost::For(shape);
  bench.host().AsAddOn([&] {
    auto body = [&]() -> HostError {
      EachCall(state, shape, [](const API_Guid& element, const API_PropertyDefinition& definition) {
        ElementPropertyRecord property;
        property.definition = definition;
        property.value.singleVariant.type = definition.valueType;
        if (definition.collectionType == API_SingleChoiceCollection)
          property.value.singleVariant = definition.possibleEnumValues[0].keyVariant;
        property.isDefault = false;
        benchmark::DoNotOptimize(host::SetProperty(element, property));
      });
      return FvErr_NoError;
    };
    return host::CallUndoableCommand(UniString("Benchmark"), body);
  });
  bench.ForgetUndo();
}

}  // namespace
}  // namespace quarnel_bench

int main(int argc, char** argv) {
  using namespace quarnel_bench;
  return RunForEachSize(argc, argv, [](const ProjectShape& shape, const std::string& n, int iterations) {
    benchmark::RegisterBenchmark(("ProjectSave" + n).c_str(), ProjectSave, shape)
        ->Iterations(iterations)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark(("ProjectLoad" + n).c_str(), ProjectLoad, shape)
        ->Iterations(iterations)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark(("GetElemList" + n).c_str(), GetElemList, shape)->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark(("GetElementHeader" + n).c_str(), GetElementHeader, shape);
    benchmark::RegisterBenchmark(("GetElementPropertyDefinitions" + n).c_str(), GetElementPropertyDefinitions, shape);
    benchmark::RegisterBenchmark(("GetPropertyGroup" + n).c_str(), GetPropertyGroup, shape);
    benchmark::RegisterBenchmark(("GetPropertyValue" + n).c_str(), GetPropertyValue, shape);
    benchmark::RegisterBenchmark(("GetPropertyValueString" + n).c_str(), GetPropertyValueString, shape);
    benchmark::RegisterBenchmark(("SetProperty" + n).c_str(), SetProperty, shape);
  });
}
