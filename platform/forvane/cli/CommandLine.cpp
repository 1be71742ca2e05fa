#include "CommandLine.hpp"

#include <CLI/CLI.hpp>

#include <charconv>
#include <ostream>

namespace fvcli {
namespace {

std::optional<long> PositiveNumber(const std::string& text) {
  long value = 0;
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, value);
  if (error != std::errc() || stop != end || value < 1) return std::nullopt;
  return value;
}

std::optional<HostError> ErrorAfterLastEquals(const std::string& text, std::string::size_type& equals,
                                              std::string& why) {
  equals = text.rfind('=');
  if (equals == std::string::npos) {
    why = "the rule has no \"=ERR\"";
    return std::nullopt;
  }
  const std::string name = text.substr(equals + 1);
  auto error = fvhost::ParseError(name);
  if (!error) why = "\"" + name + "\" is not an error name or number";
  return error;
}

}  // namespace

std::optional<fvhost::FaultRule> ParseFaultRule(const std::string& text, std::string& why) {
  std::string::size_type equals = 0;
  const auto error = ErrorAfterLastEquals(text, equals, why);
  if (!error) return std::nullopt;

  const std::string target = text.substr(0, equals);
  const auto operationEnd = target.find_first_of("#@");
  fvhost::FaultRule rule;
  rule.operation = target.substr(0, operationEnd);
  rule.error = *error;
  if (!fvhost::OperationSlot(rule.operation)) {
    why = "\"" + rule.operation + "\" is not a host operation";
    return std::nullopt;
  }
  std::string::size_type at = operationEnd;
  if (at != std::string::npos && target[at] == '#') {
    const auto numberEnd = target.find('@', at);
    const std::string number = target.substr(at + 1, numberEnd == std::string::npos ? std::string::npos : numberEnd - at - 1);
    const auto nth = PositiveNumber(number);
    if (!nth || *nth > 0x7FFFFFFF) {
      why = "\"" + number + "\" is not a call number (1 or more)";
      return std::nullopt;
    }
    rule.nth = static_cast<int>(*nth);
    at = numberEnd;
  }
  if (at != std::string::npos) rule.subject = target.substr(at + 1);  // target[at] is '@'
  return rule;
}

std::optional<fvhost::CallFault> ParseCallFault(const std::string& text, std::string& why) {
  std::string::size_type equals = 0;
  const auto error = ErrorAfterLastEquals(text, equals, why);
  if (!error) return std::nullopt;
  const std::string number = text.substr(0, equals);
  const auto index = PositiveNumber(number);
  if (!index) {
    why = "\"" + number + "\" is not a call number (1 or more)";
    return std::nullopt;
  }
  return fvhost::CallFault{*index, *error};
}

fvhost::HostOptions Invocation::HostOptions() const {
  fvhost::HostOptions options;
  options.hostVersion = hostVersion;
  options.specialFolder = specialFolder;
  options.faults = faults;
  options.callFaults = callFaults;
  options.without = without;
  options.traceCalls = traceCalls;
  options.echo = !quiet;
  return options;
}

namespace {

// Options whose rules are read after CLI11 is done, so that every fault is
// reported with the option that carried it.
struct RawRules {
  std::vector<std::string> fail;
  std::vector<std::string> failCall;
  std::vector<std::string> choose;
};

bool ReadRules(const RawRules& raw, Invocation& invocation, std::ostream& err) {
  std::string why;
  for (const auto& text : raw.fail) {
    auto rule = ParseFaultRule(text, why);
    if (!rule) {
      err << "forvane: --fail " << text << ": " << why << "\n";
      return false;
    }
    invocation.faults.push_back(*rule);
  }
  for (const auto& text : raw.failCall) {
    auto fault = ParseCallFault(text, why);
    if (!fault) {
      err << "forvane: --fail-call " << text << ": " << why << "\n";
      return false;
    }
    invocation.callFaults.push_back(*fault);
  }
  for (const auto& operation : invocation.without) {
    if (!fvhost::OperationSlot(operation)) {
      err << "forvane: --without " << operation << ": \"" << operation << "\" is not a host operation\n";
      return false;
    }
  }
  return true;
}

// The dialog answers' options, whose order among themselves counts.
struct AnswerOptions {
  const CLI::Option* choose = nullptr;
  const CLI::Option* cancel = nullptr;
};

AnswerOptions DeclareOptions(CLI::App& app, Invocation& invocation, RawRules& raw) {
  app.add_option("project", invocation.project, "the project file (JSON)")->required()->type_name("PROJECT.json");
  app.add_option("--host-version", invocation.hostVersion, "which host to be: 29 (default) or 27")
      ->check(CLI::IsMember({27, 29}))
      ->type_name("29|27");
  app.add_option("--addon", invocation.addOns, "load this plug-in (repeatable; default: the add-ons folder of the install)")
      ->allow_extra_args(false)
      ->type_name("FILE");
  app.add_option("--run", invocation.runs, "pick a menu item by its display texts (repeatable, in order)")
      ->allow_extra_args(false)
      ->type_name("\"MENU/ITEM\"");
  auto* choose = app.add_option("--choose", raw.choose, "answer the next file dialog with FILE")
                     ->allow_extra_args(false)
                     ->type_name("FILE");
  auto* cancel = app.add_flag("--cancel")->description("answer the next file dialog with Cancel");
  app.add_option("--undo", invocation.undo, "afterwards, undo the last N undo steps")->check(CLI::NonNegativeNumber)->type_name("N");
  app.add_option("--save", invocation.save, "write the resulting project (atomically)")->type_name("FILE");
  app.add_option("--report", invocation.report, "also write the Session Report to FILE")->type_name("FILE");
  app.add_option("--transcript", invocation.transcript, "write every host event as JSON Lines")->type_name("FILE");
  app.add_option("--special-folder", invocation.specialFolder, "the folder of special folder 4")->type_name("DIR");
  app.add_option("--fail", raw.fail, "make host operation OP fail with ERR: every call, its Nth call, or calls on subject TEXT (repeatable)")
      ->allow_extra_args(false)
      ->type_name("OP[#N][@TEXT]=ERR");
  app.add_option("--fail-call", raw.failCall, "make the Nth host operation call of the run fail, whatever it is (repeatable)")
      ->allow_extra_args(false)
      ->type_name("N=ERR");
  app.add_option("--without", invocation.without, "leave OP's slot of the entry table empty (repeatable)")
      ->allow_extra_args(false)
      ->type_name("OP");
  app.add_flag("--trace-calls", invocation.traceCalls, "add a call event to the transcript for every host operation call");
  app.add_flag("--list-menus", invocation.listMenus, "print the menus and items that the plug-ins registered, with icons");
  app.add_flag("--list", invocation.list, "print the resulting project");
  app.add_flag("--quiet", invocation.quiet, "print only what is asked for and what went wrong");
  app.add_flag("--interactive", invocation.interactive,
               "ask at the terminal: menus, dialogs, undo, redo, save (the default without --run on a terminal)");
  return AnswerOptions{choose, cancel};
}

}  // namespace

std::variant<Invocation, int> ParseCommandLine(int argc, const char* const* argv, std::ostream& out, std::ostream& err) {
  Invocation invocation;
  RawRules raw;
  CLI::App app{"forvane: the host application. Opens a project, loads the add-ons and does what the options ask.",
               "forvane"};
  app.footer(
      "Exit status: 0 when everything asked was done (whatever the add-ons reported); 1 when --save or --report "
      "could not be written; 2 for bad usage, a project that does not load, a --run item that does not exist or "
      "too few undo steps; 3 when an add-on does not load.\n"
      "forvane diff BEFORE.json AFTER.json prints what changed between two projects.");
  const AnswerOptions answers = DeclareOptions(app, invocation, raw);

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    const int status = app.exit(e, out, err);
    return status == 0 ? 0 : static_cast<int>(ExitBadUsage);
  }
  if (!ReadRules(raw, invocation, err)) return static_cast<int>(ExitBadUsage);

  // --choose and --cancel answer the dialogs in the order they were given.
  std::size_t nextChoice = 0;
  for (const CLI::Option* option : app.parse_order()) {
    if (option == answers.choose && nextChoice < raw.choose.size())
      invocation.dialogAnswers.push_back(fvhost::DialogAnswer{false, raw.choose[nextChoice++]});
    else if (option == answers.cancel)
      invocation.dialogAnswers.push_back(fvhost::DialogAnswer{true, {}});
  }
  return invocation;
}

}  // namespace fvcli
