#include "console/editors/control_model.h"

namespace dorvik {

std::string CControlModel::Text(int id) const {
  auto it = m_mapTexts.find(id);
  return it == m_mapTexts.end() ? std::string() : it->second;
}

bool CControlModel::IsEnabled(int id) const {
  auto it = m_mapEnabled.find(id);
  return it == m_mapEnabled.end() || it->second;
}

bool CControlModel::IsChecked(int id) const {
  auto it = m_mapChecked.find(id);
  return it != m_mapChecked.end() && it->second;
}

}  // namespace dorvik
