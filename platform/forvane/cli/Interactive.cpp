#include "Interactive.hpp"

#include <cctype>
#include <filesystem>
#include <functional>
#include <ostream>
#include <vector>

#include "ForvaneHost/ProjectFile.hpp"
#include "InteractiveDialogs.hpp"
#include "InteractiveTerminal.hpp"
#include "Listing.hpp"

namespace fvcli {
namespace {

namespace fs = std::filesystem;

std::string Count(std::size_t n, const std::string& thing) {
  return std::to_string(n) + " " + thing + (n == 1 ? "" : "s");
}

std::string ProjectSize(const fvhost::Project& project) {
  return Count(project.groups.size(), "property group") + ", " + Count(project.definitions.size(), "definition") +
         ", " + Count(project.elements.size(), "element");
}

std::string MenuItemLabel(const fvhost::Menu& menu, const fvhost::MenuItem& item) {
  std::string label = menu.title + " > " + item.text;
  if (!item.icon.empty()) label += " [icon " + item.icon + "]";
  return label;
}

// A person at the terminal working on one project: the add-ons' items by
// number, the host's own commands by letter, until they quit.
class InteractiveSession {
 public:
  InteractiveSession(fvhost::Host& host, std::string projectFile, Terminal& terminal)
      : host_(host), file_(std::move(projectFile)), saved_(host.project()), terminal_(terminal), out_(terminal.out()) {}

  int Run() {
    ShowWelcome();
    while (!quit_) {
      const std::vector<Choice> choices = Choices();
      ShowMenu(choices);
      const auto answer = terminal_.Ask("Choose " + KeyList(choices) + ": ");
      if (!answer) {
        QuitAtEndOfInput();
        break;
      }
      if (const Choice* picked = Pick(*answer, choices)) picked->act();
    }
    return ExitDone;
  }

 private:
  // The add-ons' menu items are numbered; the host's own commands keep one
  // letter each, so that a command's key does not move when Undo or Redo
  // comes and goes.
  struct Choice {
    std::string key;
    std::string label;
    std::function<void()> act;
  };

  bool Unsaved() const { return !(host_.project() == saved_); }

  std::vector<Choice> Choices() {
    std::vector<Choice> choices;
    for (const auto& menu : host_.menus()) {
      if (menu.handler == nullptr) continue;
      for (const auto& item : menu.items) {
        const std::string path = menu.title + "/" + item.text;
        const std::string label = MenuItemLabel(menu, item);
        choices.push_back({std::to_string(choices.size() + 1), label, [this, path, label] { RunMenuItem(path, label); }});
      }
    }
    if (const auto undo = host_.UndoStepNames(); !undo.empty())
      choices.push_back({"u", "Undo \"" + undo.back() + "\"" + StepsLeft(undo.size()), [this] { UndoStep(); }});
    if (const auto redo = host_.RedoStepNames(); !redo.empty())
      choices.push_back({"r", "Redo \"" + redo.back() + "\"" + StepsLeft(redo.size()), [this] { RedoStep(); }});
    choices.push_back({"l", "List the project", [this] { ListProject(host_.project(), out_); }});
    choices.push_back({"p", "Session Report", [this] { ShowSessionReport(); }});
    choices.push_back({"s", "Save", [this] { SaveTo(file_); }});
    choices.push_back({"a", "Save as...", [this] { SaveAs(); }});
    choices.push_back({"q", "Quit", [this] { Quit(); }});
    return choices;
  }

  // A run of the command makes several undo steps; the user sees how many are left.
  static std::string StepsLeft(std::size_t steps) {
    return steps == 1 ? std::string() : " (" + std::to_string(steps) + " steps)";
  }

  static std::string KeyList(const std::vector<Choice>& choices) {
    std::string keys;
    for (std::size_t i = 0; i < choices.size(); ++i)
      keys += (i == 0 ? "" : i + 1 == choices.size() ? " or " : ", ") + choices[i].key;
    return keys;
  }

  void ShowWelcome() {
    out_ << "Forvane, interactive session\n"
         << "Project: " << file_ << " (" << ProjectSize(host_.project()) << ")\n";
    if (host_.addOns().empty()) out_ << "No add-on is loaded: the menu has only the host's own commands.\n";
    for (const auto& addOn : host_.addOns()) out_ << "Add-on: " << addOn.name << "\n";
    out_ << "Type the number or letter of a command and press Enter. Ctrl-D quits without saving.\n";
  }

  void ShowMenu(const std::vector<Choice>& choices) {
    out_ << "\n" << file_ << ": " << ProjectSize(host_.project()) << (Unsaved() ? " (unsaved changes)" : "") << "\n";
    for (const auto& choice : choices) out_ << "  " << choice.key << ") " << choice.label << "\n";
  }

  const Choice* Pick(const std::string& answer, const std::vector<Choice>& choices) {
    std::string text = Trimmed(answer);
    if (text.empty()) return nullptr;
    for (auto& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    for (const auto& choice : choices)
      if (choice.key == text) return &choice;
    out_ << "\"" << Trimmed(answer) << "\" is not on the menu: type one of " << KeyList(choices) << ".\n";
    return nullptr;
  }

  void RunMenuItem(const std::string& menuSlashItem, const std::string& label) {
    const std::size_t reportBefore = host_.ReportLines().size();
    out_ << "\nRunning " << label << "\n" << std::flush;
    if (!host_.RunMenuItem(menuSlashItem)) out_ << "That menu item is no longer there.\n";
    ShowNewReportLines(reportBefore);
  }

  void ShowNewReportLines(std::size_t from) {
    const auto& lines = host_.ReportLines();
    if (lines.size() == from) {
      out_ << "The Session Report has no new lines.\n";
      return;
    }
    out_ << "New in the Session Report:\n";
    for (std::size_t i = from; i < lines.size(); ++i) out_ << "  " << lines[i] << "\n";
  }

  void ShowSessionReport() { PrintSessionReport(host_.ReportLines(), out_, "  "); }

  void UndoStep() {
    const auto names = host_.UndoStepNames();
    if (!names.empty() && host_.Undo()) out_ << "Undone: " << names.back() << "\n";
  }

  void RedoStep() {
    const auto names = host_.RedoStepNames();
    if (!names.empty() && host_.Redo()) out_ << "Redone: " << names.back() << "\n";
  }

  bool SaveTo(const std::string& path) {
    std::string error;
    if (!fvhost::SaveProjectFile(host_.project(), path, error)) {
      out_ << "Not saved: " << error << "\n";
      return false;
    }
    saved_ = host_.project();
    file_ = path;
    out_ << "Saved " << path << "\n";
    return true;
  }

  void SaveAs() {
    const auto line = terminal_.Ask("Save as (the path of a .json file; an empty line cancels): ");
    std::string path = line ? TypedPath(*line) : std::string();
    std::error_code error;
    if (path.empty() || fs::is_directory(path, error)) {
      out_ << (path.empty() ? "" : path + " is a folder. ") << "Not saved.\n";
      return;
    }
    // As a desktop save dialog does: a name typed without an extension gets the project's.
    if (fs::path(path).extension().empty()) path += ".json";
    if (fs::exists(path, error) && !Confirm(path + " exists. Replace it? (y/n) ")) {
      out_ << "Not saved.\n";
      return;
    }
    SaveTo(path);
  }

  bool Confirm(const std::string& question) {
    const auto answer = terminal_.Ask(question);
    return answer && (Trimmed(*answer) == "y" || Trimmed(*answer) == "Y" || Trimmed(*answer) == "yes");
  }

  void Quit() {
    if (!Unsaved()) {
      quit_ = true;
      return;
    }
    const auto answer =
        terminal_.Ask("The project has unsaved changes. Save them before quitting? (y: save and quit, n: quit "
                      "without saving, Enter: back to the menu) ");
    if (!answer) return QuitAtEndOfInput();
    const std::string word = Trimmed(*answer);
    if (word == "n" || word == "N" || word == "no") {
      out_ << "Quitting without saving; " << file_ << " is as it was last saved.\n";
      quit_ = true;
    } else if (word == "y" || word == "Y" || word == "yes") {
      quit_ = SaveTo(file_);
    }
  }

  void QuitAtEndOfInput() {
    if (Unsaved())
      out_ << "End of input: quitting without saving. The changes since the last save are lost; " << file_
           << " is as it was.\n";
    else
      out_ << "End of input: quitting.\n";
    quit_ = true;
  }

  fvhost::Host& host_;
  std::string file_;
  fvhost::Project saved_;
  Terminal& terminal_;
  std::ostream& out_;
  bool quit_ = false;
};

}  // namespace

bool DecideInteractive(Invocation& invocation, bool onTerminal, std::ostream& err) {
  const bool scripted = !invocation.runs.empty() || invocation.undo > 0 || !invocation.save.empty() ||
                        invocation.list || invocation.listMenus;
  if (invocation.interactive && scripted) {
    err << "forvane: --interactive does not go with --run, --undo, --save, --list or --list-menus\n";
    return false;
  }
  if (!scripted && onTerminal) invocation.interactive = true;
  return true;
}

int RunInteractive(fvhost::Host& host, const std::string& projectFile, std::istream& in, std::ostream& out) {
  Terminal terminal(in, out);
  AttachTerminalDialogs(host, terminal);
  const int status = InteractiveSession(host, projectFile, terminal).Run();
  host.askFile = nullptr;
  host.showAlert = nullptr;
  return status;
}

}  // namespace fvcli
