// The innerText of an HTML document's body: libxml2 parses, a walker over
// its tree collects the rendered text.
#include "platform/html/vxHtmlText.h"

#include <libxml/HTMLparser.h>
#include <libxml/SAX2.h>
#include <libxml/parser.h>
#include <libxml/tree.h>
#include <libxml/xmlerror.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <initializer_list>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>

#include "platform/base/vxCodePage.h"
#include "platform/html/vxHtmlCharRefs.h"

namespace {

struct DocFree {
  void operator()(xmlDoc* d) const { xmlFreeDoc(d); }
};
struct ContextFree {
  void operator()(htmlParserCtxt* c) const { htmlFreeParserCtxt(c); }
};
using DocPtr = std::unique_ptr<xmlDoc, DocFree>;
using ContextPtr = std::unique_ptr<htmlParserCtxt, ContextFree>;

// libxml2's global tables are made once for the process; it is never
// cleaned up, since the host may use libxml2 itself.
void InitLibrary() {
  static std::once_flag once;
  std::call_once(once, [] { xmlInitParser(); });
}

void IgnoreGeneric(void*, const char*, ...) {}
void IgnoreStructured(void*, xmlErrorPtr) {}

// While a document is parsed, libxml2's error handlers of this thread (they
// are per thread) report nowhere, so nothing reaches stderr or a handler
// that the host installed; the host's handlers come back afterwards.
class QuietErrors {
 public:
  QuietErrors()
      : FGeneric(xmlGenericError),
        FGenericContext(xmlGenericErrorContext),
        FStructured(xmlStructuredError),
        FStructuredContext(xmlStructuredErrorContext) {
    xmlSetGenericErrorFunc(nullptr, &IgnoreGeneric);
    xmlSetStructuredErrorFunc(nullptr, &IgnoreStructured);
  }
  ~QuietErrors() {
    xmlSetGenericErrorFunc(FGenericContext, FGeneric);
    xmlSetStructuredErrorFunc(FStructuredContext, FStructured);
  }
  QuietErrors(const QuietErrors&) = delete;
  QuietErrors& operator=(const QuietErrors&) = delete;

 private:
  xmlGenericErrorFunc FGeneric;
  void* FGenericContext;
  xmlStructuredErrorFunc FStructured;
  void* FStructuredContext;
};

// The document as libxml2 reads it: UTF-8, NUL characters and a leading
// byte-order mark dropped, the references of the text as numbers of the
// characters a browser reads (vxHtmlCharRefs.h), and an opening body tag in
// front. The tag keeps
// libxml2 from wrapping text that stands before any element in an implied
// p element (a browser wraps nothing); body, html and head tags of the
// document itself are then taken as misplaced and their content still
// lands in the body, which the walker reads without the head's elements.
std::string ParserInput(const ustring& html) {
  ustring text;
  text.reserve(html.size() + 6);
  text += u"<body>";
  size_t from = (!html.empty() && html[0] == u'\uFEFF') ? 1 : 0;
  for (size_t i = from; i < html.size(); ++i)
    if (html[i] != 0) text.push_back(html[i]);
  return WideToUtf8(vxHtmlCharRefs::NumericReferences(text));
}

bool NameIs(const xmlNode* n, const char* name) {
  return n->name != nullptr && std::strcmp(reinterpret_cast<const char*>(n->name), name) == 0;
}

bool NameIn(const xmlNode* n, std::initializer_list<const char*> names) {
  for (const char* name : names)
    if (NameIs(n, name)) return true;
  return false;
}

// The attribute's value as libxml2 holds it (a single text child), or
// nullptr when the element has no such attribute.
const xmlAttr* FindAttribute(const xmlNode* n, const char* name) {
  for (const xmlAttr* a = n->properties; a != nullptr; a = a->next)
    if (a->name != nullptr && std::strcmp(reinterpret_cast<const char*>(a->name), name) == 0) return a;
  return nullptr;
}

bool IsAsciiSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f'; }

char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// True when the inline style's last display declaration is "none"
// ("!important" allowed); blanks and letter case do not count.
bool StyleHides(const xmlAttr* style) {
  bool hidden = false;
  for (const xmlNode* t = style->children; t != nullptr; t = t->next) {
    if (t->content == nullptr) continue;
    std::string_view value(reinterpret_cast<const char*>(t->content));
    size_t start = 0;
    while (start <= value.size()) {
      size_t end = value.find(';', start);
      if (end == std::string_view::npos) end = value.size();
      std::string declaration;
      for (size_t i = start; i < end; ++i)
        if (!IsAsciiSpace(value[i])) declaration.push_back(AsciiLower(value[i]));
      if (declaration.starts_with("display:")) {
        std::string_view shown = std::string_view(declaration).substr(8);
        if (shown.ends_with("!important")) shown.remove_suffix(10);
        hidden = shown == "none";
      }
      start = end + 1;
    }
  }
  return hidden;
}

// Elements that give no text at all: not rendered by default, or shown as
// a widget or embedded content rather than as their child nodes.
bool NeverRendered(const xmlNode* n) {
  return NameIn(n, {"head", "title", "script", "style", "noscript", "template", "meta", "link", "base",
                    "iframe", "frame", "frameset", "noframes", "embed", "audio", "video", "canvas",
                    "textarea", "select", "datalist", "param", "source", "track", "area", "map"});
}

bool IsRendered(const xmlNode* n) {
  if (NeverRendered(n)) return false;
  if (FindAttribute(n, "hidden") != nullptr) return false;
  const xmlAttr* style = FindAttribute(n, "style");
  return style == nullptr || !StyleHides(style);
}

// Elements whose default display is a block (or list item, table, table
// caption): they stand on lines of their own.
bool IsBlock(const xmlNode* n) {
  return NameIn(n, {"address", "article", "aside", "blockquote", "body", "caption", "center", "dd", "details",
                    "dialog", "dir", "div", "dl", "dt", "fieldset", "figcaption", "figure", "footer", "form",
                    "h1", "h2", "h3", "h4", "h5", "h6", "header", "hgroup", "hr", "html", "legend", "li",
                    "listing", "main", "menu", "nav", "ol", "p", "plaintext", "pre", "search", "section",
                    "summary", "table", "ul", "xmp"});
}

bool IsPreformatted(const xmlNode* n) { return NameIn(n, {"pre", "listing", "xmp", "plaintext"}); }

bool IsCell(const xmlNode* n) { return NameIn(n, {"td", "th"}); }

bool IsRowGroup(const xmlNode* n) { return NameIn(n, {"thead", "tbody", "tfoot"}); }

bool RenderedElement(const xmlNode* n, bool (*kind)(const xmlNode*)) {
  return n->type == XML_ELEMENT_NODE && kind(n) && IsRendered(n);
}

bool IsRow(const xmlNode* n) { return NameIs(n, "tr"); }

// A cell is the last of its row when no rendered cell follows it there.
bool IsLastCell(const xmlNode* cell) {
  for (const xmlNode* n = cell->next; n != nullptr; n = n->next)
    if (RenderedElement(n, IsCell)) return false;
  return true;
}

bool HasRow(const xmlNode* group) {
  for (const xmlNode* n = group->children; n != nullptr; n = n->next)
    if (RenderedElement(n, IsRow)) return true;
  return false;
}

// A row is the last of its table when no rendered row follows it, in its
// own row group or in a later one of the same table.
bool IsLastRow(const xmlNode* row) {
  for (const xmlNode* n = row->next; n != nullptr; n = n->next)
    if (RenderedElement(n, IsRow)) return false;
  const xmlNode* group = row->parent;
  if (group == nullptr || group->type != XML_ELEMENT_NODE || !IsRowGroup(group)) return true;
  for (const xmlNode* n = group->next; n != nullptr; n = n->next) {
    if (RenderedElement(n, IsRow)) return false;
    if (RenderedElement(n, IsRowGroup) && HasRow(n)) return false;
  }
  return true;
}

// Collects the text: strings, and the required line breaks between them
// that only count once text follows.
class TextCollector {
 public:
  explicit TextCollector(const ustring& lineBreak) : FLineBreak(lineBreak) {}

  // Walks the whole tree without recursion, so any depth is safe.
  void Walk(xmlNode* first) {
    xmlNode* n = first;
    while (n != nullptr) {
      if (Enter(n) && n->children != nullptr) {
        n = n->children;
        continue;
      }
      // n is done: leave it and every ancestor whose last child it closes.
      for (;;) {
        if (n->next != nullptr) {
          n = n->next;
          break;
        }
        n = n->parent;
        if (n == nullptr || n->type != XML_ELEMENT_NODE) {
          n = nullptr;
          break;
        }
        Leave(n);
      }
    }
  }

  ustring Result() { return std::move(FOut); }

 private:
  // Starts a node; true when its children are to be walked (Leave follows
  // only for elements that returned true and have children, or is called
  // here at once for the childless ones).
  bool Enter(xmlNode* n) {
    if (n->type == XML_TEXT_NODE) {
      Text(n);
      return false;
    }
    if (n->type != XML_ELEMENT_NODE || !IsRendered(n)) return false;
    if (NameIs(n, "br")) {
      AddLineBreakString();
      return false;
    }
    if (IsBlock(n)) {
      RequireBreaks(NameIs(n, "p") ? 2 : 1);
    } else if (IsCell(n)) {
      StartLine();
    }
    if (IsPreformatted(n)) ++FPreformatted;
    if (n->children == nullptr) Leave(n);
    return true;
  }

  void Leave(xmlNode* n) {
    if (IsPreformatted(n)) --FPreformatted;
    if (IsBlock(n)) {
      RequireBreaks(NameIs(n, "p") ? 2 : 1);
    } else if (IsCell(n)) {
      if (!IsLastCell(n)) Add(u"\t");
      StartLine();
    } else if (IsRow(n)) {
      if (!IsLastRow(n)) AddLineBreakString();
      StartLine();
    }
  }

  void Text(const xmlNode* n) {
    if (n->content == nullptr) return;
    ustring text = Utf8ToWide(reinterpret_cast<const char*>(n->content));
    if (FPreformatted > 0) {
      Preformatted(n, text);
      return;
    }
    for (char16_t c : text) {
      if (c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\f') {
        if (!FLineStart) FPendingSpace = true;
        continue;
      }
      if (FPendingSpace) Add(u" ");  // never the first: a space follows text on its line
      FPendingSpace = false;
      Add(std::u16string_view(&c, 1));
      FLineStart = false;
    }
  }

  // Text inside pre: kept as written, line breaks (CR LF, CR, LF) as the
  // caller's; the first line break right after the start tag is dropped.
  void Preformatted(const xmlNode* n, ustring& text) {
    if (n->prev == nullptr && n->parent != nullptr && IsPreformatted(n->parent)) {
      if (text.starts_with(u"\r\n"))
        text.erase(0, 2);
      else if (!text.empty() && (text[0] == u'\n' || text[0] == u'\r'))
        text.erase(0, 1);
    }
    if (text.empty()) return;
    if (FPendingSpace) Add(u" ");
    FPendingSpace = false;
    ustring out;
    for (size_t i = 0; i < text.size(); ++i) {
      if (text[i] == u'\r') {
        if (i + 1 < text.size() && text[i + 1] == u'\n') ++i;
        out += FLineBreak;
      } else if (text[i] == u'\n') {
        out += FLineBreak;
      } else {
        out += text[i];
      }
    }
    Add(out);
    FLineStart = false;
  }

  // A string of the result: the required breaks before it count now,
  // unless nothing stands in front of them.
  void Add(std::u16string_view s) {
    if (s.empty()) return;
    if (!FOut.empty())
      for (int i = 0; i < FBreaks; ++i) FOut += FLineBreak;
    FBreaks = 0;
    FOut += s;
  }

  void AddLineBreakString() {
    Add(FLineBreak);
    StartLine();
  }

  void RequireBreaks(int count) {
    FBreaks = std::max(FBreaks, count);
    StartLine();
  }

  // A new line begins: blanks at the end of the last one and at the start
  // of this one are dropped.
  void StartLine() {
    FPendingSpace = false;
    FLineStart = true;
  }

  const ustring& FLineBreak;
  ustring FOut;
  int FBreaks = 0;
  int FPreformatted = 0;
  bool FPendingSpace = false;
  bool FLineStart = true;
};

}  // namespace

namespace vxHtmlText {

ustring InnerText(const ustring& Html, const ustring& LineBreak) {
  const std::string input = ParserInput(Html);
  if (input.size() > static_cast<size_t>(INT_MAX)) return {};
  InitLibrary();
  QuietErrors quiet;
  ContextPtr context(htmlNewParserCtxt());
  if (!context) throw std::bad_alloc();
  // Whitespace between elements is text to the walker (it decides what
  // collapses), so libxml2 is not to drop it as ignorable.
  if (context->sax != nullptr) context->sax->ignorableWhitespace = xmlSAX2Characters;
  const int options = HTML_PARSE_RECOVER | HTML_PARSE_NONET | HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING |
                      HTML_PARSE_IGNORE_ENC | HTML_PARSE_NODEFDTD;
  DocPtr doc(htmlCtxtReadMemory(context.get(), input.data(), static_cast<int>(input.size()), nullptr, "UTF-8",
                                options));
  // A parse that libxml2 stopped (nesting beyond its limit, no memory)
  // leaves a part of the document: no text rather than a part of it.
  if (!doc || context->disableSAX != 0) return {};
  TextCollector collector(LineBreak);
  for (xmlNode* n = doc->children; n != nullptr; n = n->next)
    if (n->type == XML_ELEMENT_NODE) {
      collector.Walk(n);
      break;
    }
  return collector.Result();
}

}  // namespace vxHtmlText
