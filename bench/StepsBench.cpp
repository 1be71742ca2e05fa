// The plug-in's value steps (export and import) against a baseline of the
// same host calls alone, in the same run and on the same project. Reported per
// element: the step's time, the baseline's, their ratio, and the plug-in's
// peak bytes in the memory manager during the step.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "BenchHost.hpp"
#include "host/HostApi.hpp"
#include "host/IfcGroup.hpp"
#include "run/Config.hpp"
#include "run/RunStatus.hpp"

namespace quarnel_bench {
namespace {

namespace host = quarnel::host;
using Corbane::Array;
using Corbane::UniString;

bool IsKeptCollection(std::int32_t collectionType) {
  return collectionType >= API_SingleCollection && collectionType <= API_MultipleChoiceCollection;
}

// Exactly the host calls of the export, without writing anything.
void ExportHostCalls() {
  Array<API_Guid> elements;
  host::GetElemList(elements);
  for (const API_Guid& element : elements) {
    API_ElementHeader header;
    header.guid = element;
    if (host::GetElementHeader(header) != FvErr_NoError || !header.linkGuid.IsNull()) continue;
    Array<API_PropertyDefinition> definitions;
    if (host::GetElementPropertyDefinitions(element, definitions) != FvErr_NoError) continue;
    for (const API_PropertyDefinition& definition : definitions) {
      API_PropertyGroup group;
      group.guid = definition.groupGuid;
      if (host::GetPropertyGroup(group) != FvErr_NoError) continue;
      if (!quarnel::IsIfcGroupName(group.name) || !IsKeptCollection(definition.collectionType)) continue;
      ElementPropertyRecord property;
      if (host::GetPropertyValue(element, definition.guid, property) != FvErr_NoError) continue;
      if (property.isDefault || property.status != API_PropertyKnown) continue;
      UniString text;
      host::GetPropertyValueString(property, text);
    }
  }
}

API_Variant VariantOf(const fvhost::Value& value) {
  API_Variant variant;
  variant.type = value.type;
  variant.intValue = value.intValue;
  variant.doubleValue = value.realValue;
  variant.boolValue = value.boolValue;
  if (value.type == API_VariantString) variant.uniStringValue = UniString(value.text.c_str());
  variant.guidValue = value.guid;
  return variant;
}

// The generator's number of each of the project's definitions, found by its
// name: the re-import puts the IFC groups' definitions after the other group's.
std::vector<int> PropertyNumbers(const ProjectShape& shape, const std::vector<fvhost::Definition>& definitions) {
  const int count = shape.ifcGroups * shape.propertiesPerGroup + shape.otherProperties;
  std::vector<int> numbers;
  for (const fvhost::Definition& definition : definitions) {
    int number = 0;
    while (number < count && PropertyName(number) != definition.name) ++number;
    if (number == count) std::abort();
    numbers.push_back(number);
  }
  return numbers;
}

// Exactly the host calls of the import: per element of the data file its
// definitions, per definition its group, per recorded value one SetProperty
// with the value the element had (`definitions`: the project's, as re-imported,
// in the order the host lists them; `properties`: their generator numbers).
void ImportHostCalls(const ProjectShape& shape, const std::vector<API_Guid>& elements,
                     const std::vector<fvhost::Definition>& projectDefinitions, const std::vector<int>& properties) {
  for (std::size_t e = 0; e < elements.size(); ++e) {
    Array<API_PropertyDefinition> definitions;
    if (host::GetElementPropertyDefinitions(elements[e], definitions) != FvErr_NoError) continue;
    for (Corbane::UIndex p = 0; p < definitions.GetSize(); ++p) {
      const API_PropertyDefinition& definition = definitions[p];
      API_PropertyGroup group;
      group.guid = definition.groupGuid;
      if (host::GetPropertyGroup(group) != FvErr_NoError || !quarnel::IsIfcGroupName(group.name)) continue;
      const int element = static_cast<int>(e), property = properties[p];
      if (!IsSet(shape, element, property)) continue;
      const fvhost::PropertyValue value = ValueOf(projectDefinitions[p], element, property);
      ElementPropertyRecord record;
      record.definition = definition;
      record.value.singleVariant = VariantOf(value.single);
      for (const fvhost::Value& item : value.list) record.value.listVariant.Push(VariantOf(item));
      record.isDefault = false;
      host::SetProperty(elements[e], record);
    }
  }
}

HostError InCommand(const char* name, auto&& work) {
  auto body = [&]() -> HostError {
    work();
    return FvErr_NoError;
  };
  return host::CallUndoableCommand(UniString(name), body);
}

struct Totals {
  double step = 0;
  double baseline = 0;
  std::int64_t peak = 0;
  std::int64_t iterations = 0;

  // One iteration: the step's time is the one the benchmark reports.
  void Add(benchmark::State& state, double stepSeconds, double baselineSeconds, std::int64_t peakBytes) {
    state.SetIterationTime(stepSeconds);
    step += stepSeconds;
    baseline += baselineSeconds;
    peak = std::max(peak, peakBytes);
    ++iterations;
  }

  // `withElementList`: the step holds the host's element list (16 bytes an element).
  void Report(benchmark::State& state, int elements, bool withElementList) const {
    const double perElement = 1e9 / static_cast<double>(iterations) / elements;
    state.counters["ns/elem"] = step * perElement;
    state.counters["base ns/elem"] = baseline * perElement;
    state.counters["ratio"] = baseline > 0 ? step / baseline : 0;
    state.counters["peak B"] = static_cast<double>(peak);
    if (withElementList) state.counters["peak-list B"] = static_cast<double>(peak) - 16.0 * elements;
    state.SetItemsProcessed(iterations * elements);
  }
};

template <class Step>
std::int64_t PeakDuring(BenchHost& bench, double& seconds, Step&& step) {
  const std::int64_t live = Corbane::OwnerStats(bench.owner()).liveBytes;
  Corbane::ResetPeak(bench.owner());
  seconds = Seconds([&] { bench.host().AsAddOn([&] { step(); return 0; }); });
  return Corbane::OwnerStats(bench.owner()).peakBytes - live;
}

void ExportStep(benchmark::State& state, ProjectShape shape) {
  if (BenchHost::For(shape).reimported) BenchHost::Drop();  // the export needs the project as it was
  BenchHost& bench = BenchHost::For(shape);
  Totals totals;
  for (auto _ : state) {
    double step = 0, baseline = 0;
    auto runBaseline = [&] { baseline = Seconds([&] { bench.host().AsAddOn([] { ExportHostCalls(); return 0; }); }); };
    if (totals.iterations % 2 == 1) runBaseline();
    const std::int64_t peak = PeakDuring(bench, step, [] {
      if (quarnel::Config().exportPropertyValues() != quarnel::Outcome::Done) std::abort();
    });
    if (totals.iterations % 2 == 0) runBaseline();
    totals.Add(state, step, baseline, peak);
  }
  totals.Report(state, shape.elements, true);
}

void PrepareImport(BenchHost& bench) {
  if (bench.reimported) return;
  bench.host().AsAddOn([] { return quarnel::Config().exportPropertyValues(); });
  bench.dataFileText = testing_support::ReadText(values_test::DataFileIn(bench.folder));
  values_test::Reimport(bench.host());
  bench.ForgetUndo();
  bench.reimported = true;
}

void ImportStep(benchmark::State& state, ProjectShape shape) {
  BenchHost& bench = BenchHost::For(shape);
  PrepareImport(bench);
  std::vector<API_Guid> elements;
  for (const auto& element : bench.host().project().elements) elements.push_back(element->guid);
  const std::vector<fvhost::Definition> definitions = bench.host().project().definitions;
  const std::vector<int> properties = PropertyNumbers(shape, definitions);
  Totals totals;
  // Each run, the step's and the baseline's, starts from the re-imported
  // project without values: its undo step is undone after it, untimed, so
  // that neither finds the values the other set.
  for (auto _ : state) {
    double step = 0, baseline = 0;
    auto runBaseline = [&] {
      baseline = Seconds([&] {
        bench.host().AsAddOn([&] {
          return InCommand("Import Property Values", [&] { ImportHostCalls(shape, elements, definitions, properties); });
        });
      });
      bench.UndoAndForget();
    };
    if (totals.iterations % 2 == 1) runBaseline();
    testing_support::WriteText(values_test::DataFileIn(bench.folder), bench.dataFileText);
    const std::int64_t peak = PeakDuring(bench, step, [] {
      if (values_test::RunRestore() != 1) std::abort();
    });
    bench.UndoAndForget();
    if (totals.iterations % 2 == 0) runBaseline();
    totals.Add(state, step, baseline, peak);
  }
  totals.Report(state, shape.elements, false);
}

}  // namespace
}  // namespace quarnel_bench

int main(int argc, char** argv) {
  using namespace quarnel_bench;
  return RunForEachSize(argc, argv, [](const ProjectShape& shape, const std::string& n, int iterations) {
    benchmark::RegisterBenchmark(("ExportStep" + n).c_str(), ExportStep, shape)
        ->UseManualTime()->Iterations(iterations)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark(("ImportStep" + n).c_str(), ImportStep, shape)
        ->UseManualTime()->Iterations(iterations)->Unit(benchmark::kMillisecond);
  });
}
