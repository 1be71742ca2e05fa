#include "run/FinalAlert.hpp"

#include <array>

#include "host/HostApi.hpp"

namespace quarnel {

namespace {

// A pair is an export step and its restore step. The three judgements are not
// exclusive (Failed and Partial is both lost and partial); the row order settles it.
struct Pair {
  Outcome exported;
  Outcome restored;
  bool Lost() const noexcept { return exported == Outcome::Failed || restored == Outcome::Failed; }
  bool Partial() const noexcept { return exported == Outcome::Partial || restored == Outcome::Partial; }
  bool Retained() const noexcept { return exported == Outcome::Done && restored == Outcome::Done; }
};

enum class Judgement { Lost, Partial, Retained };

bool Holds(const Pair& pair, Judgement judgement) noexcept {
  switch (judgement) {
    case Judgement::Lost: return pair.Lost();
    case Judgement::Partial: return pair.Partial();
    case Judgement::Retained: return pair.Retained();
  }
  return false;
}

struct Row {
  char name;
  Judgement expressions;
  Judgement values;
  const char* message;
};

constexpr std::array<Row, 8> partialRows{{
    {'a', Judgement::Lost, Judgement::Lost,
     "IFC-SG Classifications and Properties are Imported Successfully!\nExpressions, Option Sets, Default Values and "
     "Property Values are not retained! Please check Session Report for details."},
    {'b', Judgement::Lost, Judgement::Retained,
     "IFC-SG Classifications and Properties are Imported Successfully!\nExpressions and Option Sets are not retained! "
     "Please check Session Report for details."},
    {'c', Judgement::Partial, Judgement::Retained,
     "IFC-SG Classifications and Properties are Imported Successfully!\nOne or more Expressions, Option Sets and "
     "Default Values are not retained! Please check Session Report for details."},
    // verbatim: "retained." with a full stop
    {'d', Judgement::Lost, Judgement::Partial,
     "IFC-SG Classifications and Properties are Imported Successfully!\nExpressions, Option Sets and Default Values "
     "are not retained!\nOne or more Property Values are not retained. Please check Session Report for details."},
    {'e', Judgement::Retained, Judgement::Lost,
     "IFC-SG Classifications and Properties are Imported Successfully!\nProperty Values are not retained! Please "
     "check Session Report for details."},
    {'f', Judgement::Retained, Judgement::Partial,
     "IFC-SG Classifications and Properties are Imported Successfully!\nOne or more Property Values are not "
     "retained! Please check Session Report for details."},
    // verbatim: "Default Property Values" (rows g and h), where the others say "Default Values"
    {'g', Judgement::Partial, Judgement::Lost,
     "IFC-SG Classifications and Properties are Imported Successfully!\nProperty Values are not retained!\nOne or "
     "more Expressions, Option Sets and Default Property Values are not retained! Please check Session Report for "
     "details."},
    {'h', Judgement::Partial, Judgement::Partial,
     "IFC-SG Classifications and Properties are Imported Successfully!\nOne or more Expressions, Option Sets, Default "
     "Property Values and Element Property Values are not retained!\nPlease check Session Report for details."},
}};

constexpr const char* groupsLeftMessage =
    "IFC-SG Classifications and Properties are Imported Successfully!\nOne or more Property Groups could not be "
    "deleted! Please check Session Report for details.";

const Row* FirstMatchingRow(const Pair& expressions, const Pair& values) noexcept {
  for (const Row& row : partialRows)
    if (Holds(expressions, row.expressions) && Holds(values, row.values)) return &row;
  return nullptr;
}

}  // namespace

FinalAlert ChooseFinalAlert(const RunOutcomes& o) noexcept {
  const Outcome D = o.deleteProperties;
  const Outcome I = o.importSchema;
  if (D == Outcome::Failed || I == Outcome::Failed) return {AlertChoice::Failure};
  // A failed import is shown as a failure also when a group could not be
  // removed before it: the user ran the command and it did not do its work.
  if (I == Outcome::ClassificationsFailed || I == Outcome::PropertiesFailed) return {AlertChoice::Failure};
  if (I != Outcome::Done) return {AlertChoice::None};
  const Pair expressions{o.exportExpressions, o.importExpressions};
  const Pair values{o.exportPropertyValues, o.importPropertyValues};
  if (D == Outcome::Done && expressions.Retained() && values.Retained()) return {AlertChoice::Success};
  const Row* row = FirstMatchingRow(expressions, values);
  // Only a group that stayed while both pairs were retained matches no row.
  if (row == nullptr) return {AlertChoice::PartialSuccess, groupsLeftRow};
  return {AlertChoice::PartialSuccess, row->name};
}

AlertText FinalAlertText(const FinalAlert& alert) noexcept {
  switch (alert.choice) {
    case AlertChoice::Success:  // verbatim: "Import Successful" without "!"
      return {-3, "Import Successful", "IFC-SG Classifications and Properties are Imported Successfully!"};
    case AlertChoice::Failure:
      return {-1, "Import Failed!",
              "IFC-SG Classifications and Properties Import Failed!\nPlease check Session Report for details."};
    case AlertChoice::PartialSuccess:
      if (alert.row == groupsLeftRow) return {-2, "Import Successful!", groupsLeftMessage};
      for (const Row& row : partialRows)
        if (row.name == alert.row) return {-2, "Import Successful!", row.message};
      return {};
    case AlertChoice::None:
      break;
  }
  return {};
}

void ShowFinalAlert(const FinalAlert& alert) {
  if (alert.choice == AlertChoice::None) return;
  const AlertText text = FinalAlertText(alert);
  host::ShowAlert(text.kind, Corbane::UniString(text.title), Corbane::UniString(text.message),
                  Corbane::UniString("Ok"));
}

}  // namespace quarnel
