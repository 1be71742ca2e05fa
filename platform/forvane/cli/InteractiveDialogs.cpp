#include "InteractiveDialogs.hpp"

#include <cstdlib>
#include <filesystem>

#include "Nostrel/Nostrel.hpp"
#include "Pellarin/Pellarin.hpp"

namespace fvcli {
namespace {

namespace fs = std::filesystem;

// Answers the one dialog it is put in front of with a fixed path.
class FixedAnswer final : public Pellarin::Responder {
 public:
  explicit FixedAnswer(const std::string& path) : path_(path) {}
  bool ChooseFile(Pellarin::Int32, const Pellarin::UniString&, const Corbane::Array<Pellarin::FileFilter>&,
                  Nostrel::Location& chosen) override {
    chosen = Nostrel::Location(Corbane::UniString(path_.c_str()));
    return true;
  }
  Pellarin::Int16 ShowAlert(Pellarin::Int16, const Pellarin::UniString&, const Pellarin::UniString&,
                            const Pellarin::UniString&, const Pellarin::UniString&, const Pellarin::UniString&,
                            const Pellarin::UniString&) override {
    return 1;
  }

 private:
  std::string path_;
};

// Puts a responder in place for one scope and gives the previous one back.
class ResponderSwap {
 public:
  explicit ResponderSwap(Pellarin::Responder& responder) : previous_(Pellarin::GetResponder()) {
    Pellarin::SetResponder(&responder);
  }
  ~ResponderSwap() { Pellarin::SetResponder(previous_); }
  ResponderSwap(const ResponderSwap&) = delete;
  ResponderSwap& operator=(const ResponderSwap&) = delete;

 private:
  Pellarin::Responder* previous_;
};

// Only to tell the person why; whether the path is taken is the dialog's call.
std::string RefusalReason(const std::string& path, const DialogFilters& filters) {
  std::error_code error;
  const fs::file_status status = fs::status(path, error);
  if (!fs::exists(status)) return "There is no file at " + path + ".";
  if (fs::is_directory(status)) return path + " is a folder, not a file.";
  if (!fs::is_regular_file(status)) return path + " is not a regular file.";
  return path + " is not a file of the type asked for: " + FilterText(filters) + ".";
}

bool AskForFile(Terminal& terminal, const std::string& title, const DialogFilters& filters, std::string& path) {
  std::ostream& out = terminal.out();
  out << "\nFile dialog: " << title << "\n"
      << "  Files of type: " << FilterText(filters) << "\n"
      << "  Type the path of the file and press Enter (an empty line cancels the dialog).\n";
  while (true) {
    const auto line = terminal.Ask("Path: ");
    if (!line) return false;
    const std::string typed = TypedPath(*line);
    if (typed.empty()) return false;
    if (OpenDialogAccepts(title, filters, typed)) {
      path = typed;
      return true;
    }
    out << "  " << RefusalReason(typed, filters) << " Type another path, or an empty line to cancel.\n";
  }
}

void HoldAlert(Terminal& terminal, bool hostShowedIt, int kind, const std::string& title, const std::string& message) {
  // Without the host's echo (--quiet) the box was not printed, and a person
  // would be asked to press Enter for nothing they could see.
  if (!hostShowedIt)
    terminal.out() << Pellarin::AlertKindName(static_cast<Pellarin::Int16>(kind)) << ": " << title << "\n"
                   << message << "\n";
  terminal.Ask("Press Enter to continue. ");
}

}  // namespace

std::string FilterText(const DialogFilters& filters) {
  if (filters.empty()) return "any file";
  std::string text;
  for (const auto& [description, extension] : filters) {
    if (!text.empty()) text += ", ";
    text += description + " (*." + extension + ")";
  }
  return text;
}

std::string TypedPath(const std::string& line) {
  std::string path = Trimmed(line);
  if (path.size() >= 2 && (path.front() == '"' || path.front() == '\'') && path.back() == path.front())
    path = path.substr(1, path.size() - 2);
  const char* home = std::getenv("HOME");
  if (path.rfind("~/", 0) == 0 && home != nullptr && *home != '\0') path = std::string(home) + path.substr(1);
  return path;
}

bool OpenDialogAccepts(const std::string& title, const DialogFilters& filters, const std::string& path) {
  Nostrel::FileTypeManager types("terminal file dialog");
  Pellarin::FileDialog dialog(Pellarin::FileDialog::OpenFile);
  dialog.SetTitle(Corbane::UniString(title.c_str()));
  for (const auto& [description, extension] : filters)
    dialog.AddFilter(types.AddType(Nostrel::FileType(description.c_str(), extension.c_str(), 0, 0, 0)));
  FixedAnswer answer(path);
  ResponderSwap swap(answer);
  return dialog.Invoke();
}

void AttachTerminalDialogs(fvhost::Host& host, Terminal& terminal) {
  host.askFile = [&terminal](const std::string& title, const DialogFilters& filters, std::string& path) {
    return AskForFile(terminal, title, filters, path);
  };
  const bool hostShowsAlerts = host.options().echo;
  host.showAlert = [&terminal, hostShowsAlerts](int kind, const std::string& title, const std::string& message) {
    HoldAlert(terminal, hostShowsAlerts, kind, title, message);
  };
}

}  // namespace fvcli
