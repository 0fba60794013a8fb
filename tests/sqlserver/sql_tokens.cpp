#include "tests/sqlserver/sql_tokens.h"

#include "tests/sqlserver/server_state.h"

namespace dorvik_sqlserver {

namespace {

bool IsWordByte(unsigned char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
         c == '@' || c == '#' || c == '$' || c >= 0x80;
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// Reads up to the closing delimiter; a doubled delimiter stands for one.
bool ReadDelimited(const std::string& s, std::string::size_type* pos, char close, std::string* out) {
  std::string::size_type i = *pos;
  while (i < s.size()) {
    if (s[i] == close) {
      if (i + 1 < s.size() && s[i + 1] == close) {
        out->push_back(close);
        i += 2;
        continue;
      }
      *pos = i + 1;
      return true;
    }
    out->push_back(s[i++]);
  }
  return false;
}

}  // namespace

bool Tokenize(const std::string& s, std::vector<Token>* tokens, std::string* error) {
  tokens->clear();
  std::string::size_type i = 0;
  while (i < s.size()) {
    char c = s[i];
    if (IsBlank(c)) {
      ++i;
      continue;
    }
    Token token;
    bool national = (c == 'N' || c == 'n') && i + 1 < s.size() && s[i + 1] == '\'';
    if (c == '[' || c == '\'' || national) {
      if (national) ++i;
      char close = s[i] == '[' ? ']' : '\'';
      token.kind = close == ']' ? Token::Bracketed : Token::String;
      std::string::size_type start = ++i;
      if (!ReadDelimited(s, &i, close, &token.text)) {
        *error = "Unclosed quotation mark after the character string '" + s.substr(start) + "'.";
        return false;
      }
    } else if (IsWordByte(static_cast<unsigned char>(c))) {
      while (i < s.size() && IsWordByte(static_cast<unsigned char>(s[i]))) token.text.push_back(s[i++]);
    } else {
      token.kind = Token::Symbol;
      token.text = std::string(1, c);
      ++i;
    }
    tokens->push_back(token);
  }
  return true;
}

bool IsKeyword(const Token& token, const char* keyword) {
  return token.kind == Token::Word && SameName(token.text, keyword);
}

}  // namespace dorvik_sqlserver
