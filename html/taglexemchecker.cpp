#include "html/taglexemchecker.h"

#include <utility>

void TagLexemChecker::AddPair(std::string open, std::string close) {
  for (const std::string* s : {&open, &close}) {
    if (s->empty()) continue;
    const auto first = static_cast<unsigned char>((*s)[0]);
    m_starts[first] = true;
    if (first >= 'a' && first <= 'z') m_starts[first - 'a' + 'A'] = true;
  }
  m_open.push_back({std::move(open), 1});
  m_close.push_back({std::move(close), 1});
}

void TagLexemChecker::Clear() {
  m_open.clear();
  m_close.clear();
  m_starts.fill(false);
  m_idle = true;
}

// A mismatch restarts the lexeme without trying the current byte against its first
// character again; "<<!--" is therefore not a comment opener.
bool TagLexemChecker::step(Lexem& lexem, unsigned char c) {
  const std::string& t = lexem.text;
  if (lexem.counter > t.size() || static_cast<unsigned char>(t[lexem.counter - 1]) != c) {
    lexem.counter = 1;
    return false;
  }
  ++lexem.counter;
  return lexem.counter > t.size();
}

int TagLexemChecker::Check(unsigned char lower) {
  bool opened = false;
  bool closed = false;
  bool idle = true;
  for (std::size_t i = 0; i < m_open.size(); ++i) {
    opened |= step(m_open[i], lower);
    closed |= step(m_close[i], lower);
    idle = idle && m_open[i].counter == 1 && m_close[i].counter == 1;
  }
  m_idle = idle;
  if (closed) return kClosed;
  if (opened) return kOpened;
  return kNone;
}
