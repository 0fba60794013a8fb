#pragma once
// Splits a T-SQL statement into the tokens the test server understands, undoing the bracket
// ("]]") and quote ("''") escapes the way SQL Server does.
#include <string>
#include <vector>

namespace dorvik_sqlserver {

struct Token {
  enum Kind { Word, Bracketed, String, Symbol };
  Kind kind = Word;
  std::string text;  // identifiers and strings without their delimiters, escapes undone
};

// False with the server's message when a bracket or a quote is never closed.
bool Tokenize(const std::string& statement, std::vector<Token>* tokens, std::string* error);

// A word or bracketed identifier matching `keyword` without regard to ASCII case.
bool IsKeyword(const Token& token, const char* keyword);

}  // namespace dorvik_sqlserver
