#include "html/htmltag.h"

#include "html/htmlparser.h"

namespace {

const std::string kEmpty;

bool isFormControlName(std::string_view name) {
  return SameTextAscii(name, "input") || SameTextAscii(name, "select") || SameTextAscii(name, "textarea");
}

}  // namespace

const HtmlAttribute* HtmlTag::FindAttribute(std::string_view name) const {
  for (const HtmlAttribute* attr : m_attrList) {
    if (SameTextAscii(attr->AttrName, name)) return attr;
  }
  return nullptr;
}

const std::string& HtmlTag::AttrValue(std::string_view name) const {
  const HtmlAttribute* attr = FindAttribute(name);
  return attr ? attr->AttrValue : kEmpty;
}

void HtmlTag::reset(HtmlParser* owner, HtmlTag* enclosing, int afterPos) {
  m_attrList.clear();
  m_tagName.clear();
  m_source.clear();
  m_enclosing = enclosing;
  m_textNode = false;
  m_endTag = false;
  m_ownerParser = owner;
  m_successor = nullptr;
  m_afterPos = afterPos;
  if (enclosing == nullptr) {
    m_enclosingForm = nullptr;
  } else if (enclosing->m_kind == HtmlTagKind::Form) {
    m_enclosingForm = static_cast<HtmlForm*>(enclosing);
  } else {
    m_enclosingForm = enclosing->m_enclosingForm;
  }
  clearOwnList();
}

// Inputs, selects and text areas belong to the nearest form that encloses them.
void HtmlTag::Announce(HtmlParser& parser) {
  if (m_enclosingForm == nullptr || !isFormControlName(m_tagName)) return;
  m_enclosingForm->m_formControls.push_back(this);
  parser.FireFormControl(*m_enclosingForm, *this);
}

void HtmlForm::Attach(HtmlParser& parser) { parser.m_formsList.push_back(this); }

void HtmlForm::Announce(HtmlParser& parser) {
  HtmlTag::Announce(parser);
  parser.FireForm(*this);
}

void HtmlLink::Attach(HtmlParser& parser) {
  parser.m_linksList.push_back(this);
  parser.m_currentLink = this;
}

void HtmlLink::Announce(HtmlParser& parser) {
  HtmlTag::Announce(parser);
  parser.FireLink(*this);
}

void HtmlFrame::Attach(HtmlParser& parser) { parser.m_framesList.push_back(this); }

void HtmlFrame::Announce(HtmlParser& parser) {
  HtmlTag::Announce(parser);
  parser.FireFrame(*this);
}

void HtmlImage::Attach(HtmlParser& parser) { parser.m_imagesList.push_back(this); }

void HtmlImage::Announce(HtmlParser& parser) {
  HtmlTag::Announce(parser);
  parser.FireImage(*this);
}

void HtmlTable::Attach(HtmlParser& parser) {
  parser.m_tablesList.push_back(this);
  parser.m_tableStack.push_back(this);
}

void HtmlTable::Announce(HtmlParser& parser) {
  HtmlTag::Announce(parser);
  parser.FireTable(*this);
}

void HtmlTableRow::Attach(HtmlParser& parser) {
  if (!parser.m_tableStack.empty()) parser.m_tableStack.back()->m_tableRows.push_back(this);
}

void HtmlTableRow::Announce(HtmlParser& parser) {
  HtmlTag::Announce(parser);
  if (!parser.m_tableStack.empty()) parser.FireTableRow(*parser.m_tableStack.back(), *this);
}

void HtmlTableCell::Attach(HtmlParser& parser) {
  if (parser.m_tableStack.empty()) return;
  HtmlTable* table = parser.m_tableStack.back();
  if (!table->m_tableRows.empty()) table->m_tableRows.back()->m_rowCells.push_back(this);
}

void HtmlTableCell::Announce(HtmlParser& parser) {
  HtmlTag::Announce(parser);
  if (parser.m_tableStack.empty()) return;
  HtmlTable* table = parser.m_tableStack.back();
  if (!table->m_tableRows.empty()) parser.FireTableCell(*table, *table->m_tableRows.back(), *this);
}

void HtmlMetaTag::Attach(HtmlParser& parser) { parser.m_metaList.push_back(this); }

void HtmlMetaTag::Announce(HtmlParser& parser) {
  HtmlTag::Announce(parser);
  parser.FireMetaTag(*this);
}
