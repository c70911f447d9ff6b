#include "html/htmlparser.h"

#include <algorithm>

#include "html/charclass.h"

using html_detail::CharClass;
using html_detail::classOf;

// Attribute reader. Buffers are only reset when a new name or value begins, so in
// `a="1"b="2"` the pending `a` is overwritten by `b` and only `b` is reported.
void HtmlParser::ReadAttributes(HtmlTag& tag, std::string_view attrText, int position) {
  if (attrText.empty() || SameTextAscii(tag.TagName(), "!DOCTYPE")) return;

  bool nameStarted = false;
  bool afterEquals = false;
  bool valueStarted = false;
  bool inQuotes = false;
  bool nameEnded = false;
  char quote = 0;
  int valuePos = 0;
  std::string& name = m_attrName;
  std::string& value = m_attrValue;
  name.clear();
  value.clear();

  const auto resetFlags = [&] { nameStarted = afterEquals = valueStarted = inQuotes = nameEnded = false; };
  const auto appendValue = [&](char ch, std::size_t index) {
    if (!valueStarted) {
      value.clear();
      valuePos = position + static_cast<int>(index);
      valueStarted = true;
    }
    value.push_back(ch);
  };

  for (std::size_t k = 0; k < attrText.size(); ++k) {
    const char ch = attrText[k];
    switch (classOf(static_cast<unsigned char>(ch))) {
      case CharClass::Other:
        if (nameEnded) {
          emitAttribute(tag, name, {}, 0);  // a name followed by blanks had no value
          resetFlags();
          name.assign(1, ch);
          nameStarted = true;
        } else if (afterEquals) {
          appendValue(ch, k);
        } else if (!nameStarted) {
          name.assign(1, ch);
          nameStarted = true;
        } else {
          name.push_back(ch);
        }
        nameEnded = false;
        break;
      case CharClass::Quote:
        if (!afterEquals) {
          resetFlags();
        } else if (inQuotes) {
          if (ch != quote) {
            appendValue(ch, k);
          } else {
            inQuotes = false;
            afterEquals = false;
            if (!valueStarted) emitAttribute(tag, name, {}, 0);  // name=""
          }
        } else {
          inQuotes = true;
          quote = ch;
          // Everything up to the matching quote belongs to the value; take it in one go
          // and let the loop meet the closing quote itself.
          const std::size_t close = std::min(attrText.find(quote, k + 1), attrText.size());
          if (close > k + 1) {
            appendValue(attrText[k + 1], k + 1);
            value.append(attrText.substr(k + 2, close - k - 2));
          }
          k = close - 1;
        }
        nameEnded = false;
        break;
      case CharClass::Equals:
        if (inQuotes) {
          appendValue(ch, k);
        } else {
          afterEquals = nameStarted;
          nameStarted = false;
          valueStarted = false;
        }
        nameEnded = false;
        break;
      case CharClass::Space:
        if (inQuotes) {
          appendValue(ch, k);
        } else if (valueStarted) {
          emitAttribute(tag, name, value, valuePos);
          resetFlags();
        } else if (nameStarted) {
          nameEnded = true;
        }
        break;
    }
  }
  if (valueStarted) {
    emitAttribute(tag, name, value, valuePos);
  } else if (nameStarted) {
    emitAttribute(tag, name, {}, 0);
  }
}

void HtmlParser::emitAttribute(HtmlTag& tag, std::string_view name, std::string_view value, int valuePos) {
  if (m_attrUsed == m_attrPool.size()) m_attrPool.emplace_back();
  HtmlAttribute& attr = m_attrPool[m_attrUsed++];
  attr.AttrName.assign(name);
  attr.AttrValue.assign(value);
  attr.OwnerTag = &tag;
  attr.ValuePos = valuePos;
  tag.m_attrList.push_back(&attr);
  FireAttribute(tag, attr);
}
