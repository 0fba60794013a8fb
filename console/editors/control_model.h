#pragma once
// What an editor wants its controls to show: edit texts, enabled and checked states, by control
// id. The editors decide on this model; the dialog copies typed texts into it before each event
// and shows it again afterwards, so every rule stays testable without windows.
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace dorvik {

class CControlModel {
 public:
  void SetText(int id, const std::string& text) { m_mapTexts[id] = text; }
  std::string Text(int id) const;
  void Enable(int id, bool enabled) { m_mapEnabled[id] = enabled; }
  bool IsEnabled(int id) const;  // controls the model never touched are enabled
  void Check(int id, bool checked) { m_mapChecked[id] = checked; }
  bool IsChecked(int id) const;

  const std::map<int, std::string>& Texts() const { return m_mapTexts; }
  const std::map<int, bool>& EnabledStates() const { return m_mapEnabled; }
  const std::map<int, bool>& CheckedStates() const { return m_mapChecked; }

 private:
  std::map<int, std::string> m_mapTexts;
  std::map<int, bool> m_mapEnabled;
  std::map<int, bool> m_mapChecked;
};

// One radio's rule: the radio is checked, then these controls change, then the state is set.
// `nThen` names a further radio whose rule follows (checked as well); 0 for none.
template <class State>
struct ChoiceRule {
  int nRadio;
  std::vector<int> enable;
  std::vector<int> disable;
  std::vector<int> uncheck;
  std::vector<std::pair<int, const char*>> fill;  // edit id, text put into it
  void (*assign)(State* state);
  int nThen;
};

// Applies the rule of `radio`; false when the table has none.
template <class State>
bool ApplyChoice(const std::vector<ChoiceRule<State>>& rules, int radio, CControlModel* controls,
                 State* state) {
  for (const ChoiceRule<State>& rule : rules) {
    if (rule.nRadio != radio) continue;
    controls->Check(radio, true);
    for (int id : rule.enable) controls->Enable(id, true);
    for (int id : rule.disable) controls->Enable(id, false);
    for (int id : rule.uncheck) controls->Check(id, false);
    for (const auto& fill : rule.fill) controls->SetText(fill.first, fill.second);
    if (rule.assign) rule.assign(state);
    if (rule.nThen != 0) ApplyChoice(rules, rule.nThen, controls, state);
    return true;
  }
  return false;
}

}  // namespace dorvik
