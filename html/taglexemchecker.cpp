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
