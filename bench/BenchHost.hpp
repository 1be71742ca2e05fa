// One live host with a generated project for the benchmarks, kept while the
// benchmarks of one project size run (only one host may be current at a time);
// the thread's processor time of a piece of work; and the sizes that both
// benchmark programs run, with their iterations.
#pragma once

#include <benchmark/benchmark.h>

#include <ctime>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "ProjectGenerator.hpp"
#include "support/in_process_host.hpp"
#include "values_fixture.hpp"

namespace quarnel_bench {

class BenchHost {
 public:
  // The host for this shape; a host of another element count is dropped first.
  static BenchHost& For(const ProjectShape& shape) {
    std::unique_ptr<BenchHost>& kept = Kept();
    if (!kept || kept->shape.elements != shape.elements) {
      kept.reset();
      kept.reset(new BenchHost(shape));
    }
    return *kept;
  }
  static void Drop() { Kept().reset(); }

  testing_support::InProcessHost& host() { return *host_; }
  Corbane::OwnerId owner() { return host_->host().addOns().back().owner; }
  // Drops the undo history, so that repeated commands do not pile up snapshots.
  void ForgetUndo() { host_->host().SetProject(std::move(host_->project())); }
  // Undoes the last command, then drops the history.
  void UndoAndForget() {
    if (!host_->host().Undo()) std::abort();
    ForgetUndo();
  }

  ProjectShape shape;
  testing_support::ScratchFolder folder;
  bool reimported = false;
  std::string dataFileText;  // what the export wrote, for each run of the import

 private:
  explicit BenchHost(const ProjectShape& s) : shape(s) {
    host_ = std::make_unique<testing_support::InProcessHost>(GenerateProject(shape), testing_support::OptionsFor(folder));
  }
  static std::unique_ptr<BenchHost>& Kept() {
    static std::unique_ptr<BenchHost> kept;
    return kept;
  }

  std::unique_ptr<testing_support::InProcessHost> host_;
};

// The thread's processor time (user and system) that `work` takes: on a
// machine shared with other jobs, wall time would mostly measure the others.
template <class F>
double Seconds(F&& work) {
  auto now = [] {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
  };
  const double start = now();
  work();
  return now() - start;
}

// The sizes to run: up to 100,000 elements; 1,000,000 too with --large or QUARNEL_BENCH_LARGE=1.
inline std::vector<int> Sizes(int& argc, char** argv) {
  bool large = std::getenv("QUARNEL_BENCH_LARGE") != nullptr && std::string(std::getenv("QUARNEL_BENCH_LARGE")) != "0";
  int kept = 1;
  for (int i = 1; i < argc; ++i) {
    if (std::string(argv[i]) == "--large")
      large = true;
    else
      argv[kept++] = argv[i];
  }
  argc = kept;
  std::vector<int> sizes = {1000, 10000, 100000};
  if (large) sizes.push_back(1000000);
  return sizes;
}

inline int IterationsFor(int elements) {
  if (elements <= 1000) return 30;
  if (elements <= 10000) return 8;
  return 3;
}

// Registers the benchmarks of each size (`add(shape, "/N", iterations)`),
// runs those the command line picks, and drops the last host.
template <class Register>
int RunForEachSize(int argc, char** argv, Register add) {
  for (int elements : Sizes(argc, argv)) {
    ProjectShape shape;
    shape.elements = elements;
    add(shape, "/" + std::to_string(elements), IterationsFor(elements));
  }
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  BenchHost::Drop();
  return 0;
}

}  // namespace quarnel_bench
