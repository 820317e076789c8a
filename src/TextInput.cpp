#include "TextInput.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>

#include "db/Report.h"

namespace {
bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }
}  // namespace

bool TextInput::open(const char* p) {
  filePath = p;
  std::FILE* f = std::fopen(p, "rb");
  if (!f) return false;
  text.clear();
  char buf[1 << 16];
  std::size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) text.append(buf, n);
  const bool ok = !std::ferror(f);
  std::fclose(f);
  pos = 0;
  lineNo = 1;
  if (!ok) return false;
  if (const std::size_t nul = text.find('\0'); nul != std::string::npos)
    failAt(1 + int(std::count(text.begin(), text.begin() + std::ptrdiff_t(nul), '\n')),
           "a NUL byte (character code 0); expected plain text");
  return true;
}

std::string_view TextInput::word() {
  while (pos < text.size()) {
    const char c = text[pos];
    if (c == '\n') {
      ++lineNo, ++pos;
    } else if (isBlank(c)) {
      ++pos;
    } else {
      break;
    }
  }
  const std::size_t start = pos;
  while (pos < text.size() && text[pos] != '\n' && !isBlank(text[pos])) ++pos;
  return std::string_view(text).substr(start, pos - start);
}

std::string_view TextInput::present(std::string_view w, const char* what) const {
  if (w.empty()) fail(format("unexpected end of file, expected %s", what));
  return w;
}

int TextInput::integer(std::string_view w, const char* what) const {
  int v = 0;
  if (!parseInt(w, v)) fail(format("expected %s, found %s", what, quoted(w).c_str()));
  return v;
}

std::string_view TextInput::requireWord(const char* what) { return present(word(), what); }

int TextInput::requireInt(const char* what) { return integer(requireWord(what), what); }

std::string_view TextInput::dataWord() {
  std::string_view w = word();
  while (!w.empty() && w[0] == '#') {
    restOfLine();
    w = word();
  }
  return w;
}

std::string_view TextInput::requireDataWord(const char* what) { return present(dataWord(), what); }

int TextInput::requireDataInt(const char* what) { return integer(requireDataWord(what), what); }

bool TextInput::lineExhausted() {
  while (pos < text.size() && isBlank(text[pos])) ++pos;
  return pos >= text.size() || text[pos] == '\n';
}

std::string_view TextInput::restOfLine() {
  const std::size_t start = pos;
  while (pos < text.size() && text[pos] != '\n') ++pos;
  std::string_view rest = std::string_view(text).substr(start, pos - start);
  if (pos < text.size()) ++pos, ++lineNo;
  return rest;
}

std::string_view TextInput::restOfLineAhead() const {
  const std::size_t end = text.find('\n', pos);
  return std::string_view(text).substr(pos, (end == std::string::npos ? text.size() : end) - pos);
}

void TextInput::skipBlankLines() {
  while (pos < text.size()) {
    std::size_t p = pos;
    while (p < text.size() && isBlank(text[p])) ++p;
    if (p < text.size() && text[p] != '\n') return;
    pos = p < text.size() ? p + 1 : p;
    if (p < text.size()) ++lineNo;
  }
}

void TextInput::fail(const std::string& what) const { failAt(lineNo, what); }

void TextInput::failAt(int line, const std::string& what) const {
  fatalError(filePath, format("line %d: %s", line, what.c_str()));
}

std::string quoted(std::string_view w) {
  // Characters, not bytes: a UTF-8 sequence counts once, by its first byte.
  auto starts = [&](std::size_t i) { return (static_cast<unsigned char>(w[i]) & 0xC0) != 0x80; };
  std::size_t length = 0, cut = w.size();
  for (std::size_t i = 0; i < w.size(); ++i)
    if (starts(i) && length++ == kQuotedLength) cut = i;  // before the first character past the limit
  if (length <= kQuotedLength) return "\"" + std::string(w) + "\"";
  return "\"" + std::string(w.substr(0, cut)) + format("\"... (%zu characters)", length);
}

bool parseInt(std::string_view w, int& out) {
  std::size_t i = 0;
  bool negative = false;
  if (i < w.size() && (w[i] == '+' || w[i] == '-')) negative = w[i++] == '-';
  if (i == w.size()) return false;
  long long v = 0;
  for (; i < w.size(); ++i) {
    if (w[i] < '0' || w[i] > '9') return false;
    v = v * 10 + (w[i] - '0');
    if (v > 2147483648LL) return false;
  }
  if (negative) v = -v;
  if (v > INT_MAX || v < INT_MIN) return false;
  out = int(v);
  return true;
}

bool parseDouble(std::string_view w, double& out) {
  if (w.empty()) return false;
  const std::string s(w);
  char* end = nullptr;
  errno = 0;
  const double v = std::strtod(s.c_str(), &end);
  if (end != s.c_str() + s.size() || errno == ERANGE) return false;
  out = v;
  return true;
}

std::string_view numberInTail(std::string_view rest) {
  std::size_t start = 0;
  while (start < rest.size() && isBlank(rest[start])) ++start;
  std::size_t end = start;
  while (end < rest.size() && !isBlank(rest[end])) ++end;
  const std::string_view w = rest.substr(start, end - start);
  // A digit first, or a sign before one.
  const std::size_t i = !w.empty() && (w[0] == '+' || w[0] == '-') ? 1 : 0;
  return i < w.size() && w[i] >= '0' && w[i] <= '9' ? w : std::string_view();
}
