#include "Session.hpp"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <ostream>

#include "ForvaneHost/ProjectFile.hpp"
#include "Interactive.hpp"
#include "Listing.hpp"

namespace fvcli {
namespace {

namespace fs = std::filesystem;

// The .so files of the folder, by name, so that every run loads them in the same order.
std::vector<std::string> LibraryFiles(const std::string& folder) {
  std::vector<std::string> files;
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(folder, error)) {
    if (entry.path().extension() == ".so" && entry.is_regular_file(error)) files.push_back(entry.path().string());
  }
  std::sort(files.begin(), files.end());
  return files;
}

// Loads what was named, or else the install's folder, where an add-on of
// another host version is expected (both builds are installed side by side)
// and passed over.
bool LoadAddOns(fvhost::Host& host, const Invocation& invocation, const std::string& folder, std::ostream& err) {
  const bool named = !invocation.addOns.empty();
  for (const auto& file : named ? invocation.addOns : LibraryFiles(folder)) {
    const fvhost::LoadResult result = host.LoadAddOn(file);
    if (result.failure == fvhost::LoadFailure::None) continue;
    if (!named && result.failure == fvhost::LoadFailure::VersionMismatch) {
      if (!invocation.quiet) err << "forvane: note: passed over " << result.fault.Text() << "\n";
      continue;
    }
    err << "forvane: " << result.fault.Text() << "\n";
    return false;
  }
  return true;
}

bool CanCreate(const std::string& path) {
  std::FILE* file = std::fopen(path.c_str(), "w");
  if (file == nullptr) return false;
  std::fclose(file);
  return true;
}

// One file line per report line, so that a reader can count and take them:
// line breaks inside a line are written as \n and \r, and a backslash as \\.
std::string EscapedReportLine(const std::string& line) {
  std::string escaped;
  escaped.reserve(line.size());
  for (const char c : line) {
    switch (c) {
      case '\n': escaped += "\\n"; break;
      case '\r': escaped += "\\r"; break;
      case '\\': escaped += "\\\\"; break;
      default: escaped += c;
    }
  }
  return escaped;
}

bool WriteReportFile(const std::vector<std::string>& lines, const std::string& path) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  for (const auto& line : lines) file << EscapedReportLine(line) << "\n";
  file.close();
  return !file.fail();
}

// The part of a run between loading the add-ons and unloading them.
int Work(fvhost::Host& host, const Invocation& invocation, std::ostream& out, std::ostream& err) {
  if (invocation.listMenus) ListMenus(host, out);
  for (const auto& run : invocation.runs) {
    if (!host.HasMenuItem(run)) {
      err << "forvane: --run \"" << run << "\": no add-on has registered that menu item\n";
      return ExitBadUsage;
    }
  }
  for (const auto& answer : invocation.dialogAnswers) host.QueueDialogAnswer(answer);
  for (const auto& run : invocation.runs) host.RunMenuItem(run);
  for (int step = 0; step < invocation.undo; ++step) {
    if (!host.Undo()) {
      err << "forvane: --undo " << invocation.undo << ": there were only " << step << " undo steps\n";
      return ExitBadUsage;
    }
  }
  if (invocation.list) ListProject(host.project(), out);
  if (!invocation.save.empty()) {
    std::string error;
    if (!fvhost::SaveProjectFile(host.project(), invocation.save, error)) {
      err << "forvane: --save " << invocation.save << ": " << error << "\n";
      return ExitWriteFailed;
    }
  }
  return ExitDone;
}

}  // namespace

std::string InstalledAddOnFolder() {
  std::error_code error;
  const fs::path executable = fs::read_symlink("/proc/self/exe", error);
  if (error) return "lib/forvane/add-ons";
  return (executable.parent_path().parent_path() / "lib" / "forvane" / "add-ons").string();
}

int RunSession(const Invocation& invocation, const std::string& addOnFolder, std::ostream& out, std::ostream& err) {
  std::string error;
  std::optional<fvhost::Project> project = fvhost::LoadProjectFile(invocation.project, error);
  if (!project) {
    err << "forvane: " << error << "\n";
    return ExitBadUsage;
  }
  if (!invocation.transcript.empty() && !CanCreate(invocation.transcript)) {
    err << "forvane: --transcript " << invocation.transcript << ": cannot create the file\n";
    return ExitBadUsage;
  }

  fvhost::Host host(invocation.HostOptions());
  if (!invocation.transcript.empty()) host.transcript().Open(invocation.transcript);
  host.SetProject(std::move(*project));

  int status = ExitAddOnRefused;
  if (LoadAddOns(host, invocation, addOnFolder, err))
    status = invocation.interactive ? RunInteractive(host, invocation.project, std::cin, out)
                                    : Work(host, invocation, out, err);
  host.UnloadAddOns();

  if (!invocation.report.empty() && !WriteReportFile(host.ReportLines(), invocation.report)) {
    err << "forvane: --report " << invocation.report << ": cannot write the file\n";
    if (status == ExitDone) status = ExitWriteFailed;
  }
  if (!invocation.quiet) PrintSessionReport(host.ReportLines(), out);
  return status;
}

}  // namespace fvcli
