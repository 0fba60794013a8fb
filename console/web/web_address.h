#pragma once
// Addresses the console fetches from or hands to the shell.
#include <string>

namespace dorvik {

// Only web pages are opened: a fetched text must never make the console start a program or
// open a local file, so anything not beginning with "http://" or "https://" is refused.
bool IsWebAddress(const std::string& address);

// `address` when it is a web address, else `fallback`.
std::string WebAddressOr(const std::string& address, const std::string& fallback);

// The request number: the C library's generator seeded with 0, so every request sends the same.
int NextRequestNumber();

// "?rnum=" + number appended, or "&rnum=" when the address already has a query.
std::string WithRequestNumber(const std::string& address, int number);

}  // namespace dorvik
