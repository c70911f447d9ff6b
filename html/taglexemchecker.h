#pragma once
// Recognises the few lexemes that switch the tokenizer into and out of skipping mode
// (comments and script bodies) while it is fed the document one lower-cased byte at a time.

#include <array>
#include <cstddef>
#include <string>
#include <vector>

class TagLexemChecker {
 public:
  enum Answer : int { kNone = 0, kOpened = 1, kClosed = 2 };

  // Registers one pair; every counter starts at 1 (nothing matched yet).
  void AddPair(std::string open, std::string close);
  void Clear();
  std::size_t PairCount() const { return m_open.size(); }
  const std::string& OpenLexem(std::size_t i) const { return m_open[i].text; }
  const std::string& CloseLexem(std::size_t i) const { return m_close[i].text; }

  // Feeds one byte (already lower-cased): 2 when a closing lexeme was just completed,
  // else 1 when an opening one was, else 0.
  int Check(unsigned char lower) {
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

  // True when feeding `raw` (as written) would answer 0 and change nothing, which lets the
  // tokenizer skip ordinary bytes in bulk.
  bool Passive(unsigned char raw) const { return m_idle && !m_starts[raw]; }

 private:
  struct Lexem {
    std::string text;
    std::size_t counter = 1;  // 1-based position of the next byte to match
  };
  // A mismatch restarts the lexeme without trying the current byte against its first
  // character again; "<<!--" is therefore not a comment opener.
  static bool step(Lexem& lexem, unsigned char c) {
    const std::string& t = lexem.text;
    if (lexem.counter > t.size() || static_cast<unsigned char>(t[lexem.counter - 1]) != c) {
      lexem.counter = 1;
      return false;
    }
    ++lexem.counter;
    return lexem.counter > t.size();
  }

  std::vector<Lexem> m_open;
  std::vector<Lexem> m_close;
  std::array<bool, 256> m_starts{};  // bytes (either case) that begin some lexeme
  bool m_idle = true;                // every counter is 1
};
