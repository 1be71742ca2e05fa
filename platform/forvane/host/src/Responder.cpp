// The host's answers to the Pellarin dialogs: queued answers of a scripted
// run, else the interactive front end's question, else Cancel; alerts are
// recorded, shown in a framed box, and answered with their first button.
#include <algorithm>
#include <cstdio>
#include <map>
#include <memory>

#include "Convert.hpp"
#include "HostInternal.hpp"
#include "HostState.hpp"
#include "Pellarin/Pellarin.hpp"

namespace fvhost::internal {
namespace {

using convert::ToUtf8;

std::string FiltersJson(const std::vector<std::pair<std::string, std::string>>& filters) {
  std::string json = "[";
  for (const auto& [description, extension] : filters) {
    if (json.size() > 1) json += ",";
    json += "{\"description\":" + JsonQuote(description) + ",\"extension\":" + JsonQuote(extension) + "}";
  }
  return json + "]";
}

// Lines of a message: its own line breaks kept.
std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (true) {
    std::size_t end = text.find('\n', start);
    lines.push_back(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
    if (end == std::string::npos) return lines;
    start = end + 1;
  }
}

void PrintFramedBox(const std::vector<std::string>& lines) {
  std::size_t width = 0;
  for (const auto& line : lines) width = std::max(width, line.size());
  std::string rule = "+" + std::string(width + 2, '-') + "+";
  std::printf("%s\n", rule.c_str());
  for (const auto& line : lines) std::printf("| %s%s |\n", line.c_str(), std::string(width - line.size(), ' ').c_str());
  std::printf("%s\n", rule.c_str());
}

class HostResponder final : public Pellarin::Responder {
 public:
  explicit HostResponder(Host& host) : state_(StateOf(host)) {}

  bool ChooseFile(Corbane::Int32 kind, const Corbane::UniString& title,
                  const Corbane::Array<Pellarin::FileFilter>& filters, Nostrel::Location& chosen) override {
    Corbane::OwnerScope hostMemory(Corbane::HostOwner);
    std::vector<std::pair<std::string, std::string>> filterTexts;
    for (const auto& filter : filters) filterTexts.emplace_back(ToUtf8(filter.description), ToUtf8(filter.extension));
    std::optional<std::string> answer = Answer(ToUtf8(title), filterTexts);

    JsonObject event("dialog");
    event.Number("kind", kind).Text("title", ToUtf8(title)).Raw("filters", FiltersJson(filterTexts));
    if (answer)
      event.Text("answer", *answer);
    else
      event.Null("answer");
    state_.transcript.Add(event.Done());
    if (state_.options.echo) std::printf("File dialog \"%s\": %s\n", ToUtf8(title).c_str(), answer ? answer->c_str() : "Cancel");
    if (!answer) return false;
    chosen = Nostrel::Location(Corbane::UniString(answer->c_str()));
    return true;
  }

  Corbane::Int16 ShowAlert(Corbane::Int16 kind, const Corbane::UniString& title, const Corbane::UniString& message,
                           const Corbane::UniString& second, const Corbane::UniString& button1,
                           const Corbane::UniString& button2, const Corbane::UniString& button3) override {
    Corbane::OwnerScope hostMemory(Corbane::HostOwner);
    const std::string titleText = ToUtf8(title), messageText = ToUtf8(message), secondText = ToUtf8(second);
    const std::string firstButton = ToUtf8(button1);
    std::string buttons = "[" + JsonQuote(firstButton) + "," + JsonQuote(ToUtf8(button2)) + "," +
                          JsonQuote(ToUtf8(button3)) + "]";
    state_.transcript.Add(JsonObject("alert")
                              .Number("kind", kind)
                              .Text("title", titleText)
                              .Text("message", messageText)
                              .Text("second", secondText)
                              .Raw("buttons", buttons)
                              .Done());
    if (state_.options.echo) PrintAlert(kind, titleText, messageText, secondText, firstButton);
    if (state_.host.showAlert) state_.host.showAlert(kind, titleText, messageText);
    return 1;
  }

 private:
  std::optional<std::string> Answer(const std::string& title,
                                    const std::vector<std::pair<std::string, std::string>>& filters) {
    if (auto queued = state_.NextDialogAnswer()) {
      if (queued->cancel) return std::nullopt;
      return queued->path;
    }
    if (state_.host.askFile) {
      std::string path;
      if (state_.host.askFile(title, filters, path)) return path;
      return std::nullopt;
    }
    std::fprintf(stderr, "no answer queued: the file dialog was cancelled\n");
    return std::nullopt;
  }

  static void PrintAlert(int kind, const std::string& title, const std::string& message, const std::string& second,
                         const std::string& button) {
    const char* kindName = Pellarin::AlertKindName(static_cast<Corbane::Int16>(kind));
    std::vector<std::string> lines{std::string(kindName) + ": " + title, ""};
    for (auto& line : Lines(message)) lines.push_back(line);
    if (!second.empty())
      for (auto& line : Lines(second)) lines.push_back(line);
    if (!button.empty()) lines.push_back("[ " + button + " ]");
    PrintFramedBox(lines);
  }

  HostState& state_;
};

struct Installed {
  std::unique_ptr<HostResponder> responder;
  Pellarin::Responder* previous = nullptr;
};

std::map<const Host*, Installed>& InstalledResponders() {
  static std::map<const Host*, Installed> installed;
  return installed;
}

}  // namespace

void InstallDialogResponder(Host& host) {
  Installed& slot = InstalledResponders()[&host];
  slot.responder = std::make_unique<HostResponder>(host);
  slot.previous = Pellarin::GetResponder();
  Pellarin::SetResponder(slot.responder.get());
}

void RemoveDialogResponder(Host& host) {
  auto& installed = InstalledResponders();
  auto it = installed.find(&host);
  if (it == installed.end()) return;
  // Only give back what is still ours: a front end may have put in its own meanwhile.
  if (Pellarin::GetResponder() == it->second.responder.get()) Pellarin::SetResponder(it->second.previous);
  installed.erase(it);
}

}  // namespace fvhost::internal
