#pragma once
// The name of this machine, which names the SQL Server instance to connect to.
#include <string>

namespace dorvik {

// Empty when the system cannot tell (the connection then fails with the server's message).
std::string GetComputerNameText();

}  // namespace dorvik
