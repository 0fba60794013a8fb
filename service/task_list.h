#pragma once
// The task records of a section as the service reads them: none when the section holds just
// "|||", otherwise the records SplitRecords gives, in document order.
#include <string>
#include <vector>

namespace dorvik {

std::vector<std::string> ServiceTaskRecords(const std::string& document, const char* section);

}  // namespace dorvik
