// The host's answers to the Pellarin dialogs: queued answers of a scripted
// run, else the interactive front end's question, else Cancel; alerts are
// recorded, shown in a framed box, and answered with their first button.
#include <algorithm>
#include <cstdio>
#include <map>
#include <memory>

#include "ForvaneHost/Host.hpp"
#include "HostInternal.hpp"
#include "Pellarin/Pellarin.hpp"

namespace fvhost::internal {
namespace {

std::string Utf8(const Corbane::UniString& text) { return text.ToCStr().Get(); }

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

const char* AlertKindName(int kind) {
  switch (kind) {
    case -1: return "Error";
    case -2: return "Warning";
    case -3: return "Information";
    default: return "Alert";
  }
}

class HostResponder final : public Pellarin::Responder {
 public:
  explicit HostResponder(Host& host) : host_(host) {}

  bool ChooseFile(Corbane::Int32 kind, const Corbane::UniString& title,
                  const Corbane::Array<Pellarin::FileFilter>& filters, Nostrel::Location& chosen) override {
    Corbane::OwnerScope hostMemory(Corbane::HostOwner);
    std::vector<std::pair<std::string, std::string>> filterTexts;
    for (const auto& filter : filters) filterTexts.emplace_back(Utf8(filter.description), Utf8(filter.extension));
    std::optional<std::string> answer = Answer(Utf8(title), filterTexts);

    JsonObject event("dialog");
    event.Number("kind", kind).Text("title", Utf8(title)).Raw("filters", FiltersJson(filterTexts));
    if (answer)
      event.Text("answer", *answer);
    else
      event.Null("answer");
    host_.transcript().Add(event.Done());
    if (host_.options().echo) std::printf("File dialog \"%s\": %s\n", Utf8(title).c_str(), answer ? answer->c_str() : "Cancel");
    if (!answer) return false;
    chosen = Nostrel::Location(Corbane::UniString(answer->c_str()));
    return true;
  }

  Corbane::Int16 ShowAlert(Corbane::Int16 kind, const Corbane::UniString& title, const Corbane::UniString& message,
                           const Corbane::UniString& second, const Corbane::UniString& button1,
                           const Corbane::UniString& button2, const Corbane::UniString& button3) override {
    Corbane::OwnerScope hostMemory(Corbane::HostOwner);
    std::string buttons = "[" + JsonQuote(Utf8(button1)) + "," + JsonQuote(Utf8(button2)) + "," +
                          JsonQuote(Utf8(button3)) + "]";
    host_.transcript().Add(JsonObject("alert")
                               .Number("kind", kind)
                               .Text("title", Utf8(title))
                               .Text("message", Utf8(message))
                               .Text("second", Utf8(second))
                               .Raw("buttons", buttons)
                               .Done());
    if (host_.options().echo) PrintAlert(kind, Utf8(title), Utf8(message), Utf8(second), Utf8(button1));
    if (host_.showAlert) host_.showAlert(kind, Utf8(title), Utf8(message));
    return 1;
  }

 private:
  std::optional<std::string> Answer(const std::string& title,
                                    const std::vector<std::pair<std::string, std::string>>& filters) {
    if (auto queued = host_.NextDialogAnswer()) {
      if (queued->cancel) return std::nullopt;
      return queued->path;
    }
    if (host_.askFile) {
      std::string path;
      if (host_.askFile(title, filters, path)) return path;
      return std::nullopt;
    }
    std::fprintf(stderr, "no answer queued: the file dialog was cancelled\n");
    return std::nullopt;
  }

  static void PrintAlert(int kind, const std::string& title, const std::string& message, const std::string& second,
                         const std::string& button) {
    std::vector<std::string> lines{std::string(AlertKindName(kind)) + ": " + title, ""};
    for (auto& line : Lines(message)) lines.push_back(line);
    if (!second.empty())
      for (auto& line : Lines(second)) lines.push_back(line);
    if (!button.empty()) lines.push_back("[ " + button + " ]");
    PrintFramedBox(lines);
  }

  Host& host_;
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
