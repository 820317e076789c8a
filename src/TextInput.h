#pragma once
// Whole-file text scanner for the readers: words, integers and lines with line numbers,
// so every complaint can name the file and the line.

#include <cstdint>
#include <string>
#include <string_view>

class TextInput {
 public:
  // Loads the file; false when it cannot be opened or read. A NUL byte ends the run naming its
  // line: the readers and every message take words as C strings, which would end there.
  bool open(const char* path);

  const std::string& path() const { return filePath; }
  int line() const { return lineNo; }
  bool atEnd() const { return pos >= text.size(); }
  // True when nothing of the current line has been read yet.
  bool atLineStart() const { return pos == 0 || text[pos - 1] == '\n'; }

  // Next word, across line ends; empty at the end of the file.
  std::string_view word();
  // Next word, or ends the run naming `what` when the file ends first.
  std::string_view requireWord(const char* what);
  // Next word as a 32-bit integer, or ends the run naming `what`.
  int requireInt(const char* what);
  // As word, requireWord and requireInt, with "#" comments skipped: a word starting with "#"
  // discards the rest of its line.
  std::string_view dataWord();
  std::string_view requireDataWord(const char* what);
  int requireDataInt(const char* what);
  // Skips blanks (not line ends) and reports whether the current line has nothing left.
  bool lineExhausted();
  // Rest of the current line (without its end), then moves to the next line.
  std::string_view restOfLine();
  // Rest of the current line (without its end), left unread.
  std::string_view restOfLineAhead() const;
  // Skips lines holding only white space; stops at the start of the first line that holds more.
  void skipBlankLines();

  [[noreturn]] void fail(const std::string& what) const;
  [[noreturn]] void failAt(int line, const std::string& what) const;

 private:
  // `w`, or ends the run naming `what` when it is empty (the file ended).
  std::string_view present(std::string_view w, const char* what) const;
  // `w` as a 32-bit integer, or ends the run naming `what` and the word found.
  int integer(std::string_view w, const char* what) const;

  std::string filePath;
  std::string text;
  std::size_t pos = 0;
  int lineNo = 1;
};

// `w` in double quotes, for a message. A word longer than kQuotedLength characters is cut there,
// and the cut marked with "..." and the word's length, so that a runaway word (a number of 70,000
// digits) cannot flood the error line.
constexpr std::size_t kQuotedLength = 40;
std::string quoted(std::string_view w);

// Strict decimal integer: optional sign, digits only, within the 32-bit range.
bool parseInt(std::string_view w, int& out);
// Strict decimal number as strtod reads it, the whole word consumed.
bool parseDouble(std::string_view w, double& out);
// The words after a record's last field are free text, unless they start with a number: that
// is data run onto the line (a pin, a record, a further value) and reading on would lose it.
// Returns that number (its first word), or an empty view.
std::string_view numberInTail(std::string_view rest);
