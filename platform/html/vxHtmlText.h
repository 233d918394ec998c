// The plain text of an HTML document as a browser's innerText gives it for
// the document's body, on libxml2's HTML parser.
//
// The text follows the rendered-text rules of browsers, without style
// sheets (the default display of each element; an element with the hidden
// attribute or an inline "display:none" is not rendered):
// - runs of blanks, tabs and line breaks become one blank, and blanks at the
//   start and end of a line are dropped; inside pre, listing, xmp and
//   plaintext the text stays as written (the line break right after the
//   start tag dropped, as the parser of a browser drops it);
// - a block (div, h1, li, table, ...) stands on lines of its own, a p
//   element is set off by an empty line; several such breaks in a row count
//   as the largest of them, and none is added at the very start or end;
// - br gives a line break; a table cell is followed by a tab unless it is the
//   last of its row, a table row by a line break unless it is the last of its
//   table;
// - script, style, head, title, noscript, template, form controls that
//   show their own widget (textarea, select) and embedded content (iframe,
//   video, canvas, ...) give no text; character references are read as a
//   browser reads them (vxHtmlCharRefs.h); comments give nothing.
//
// Hostile input is safe: the parser neither loads nor reports anything
// (no network, nothing on stderr), U+0000 is dropped as a browser drops
// it, and a document nested deeper than the parser's limit (256 levels) or
// one whose parse fails gives the empty text rather than a part of it.
// Memory stays proportional to the input. The function may be called from
// any number of threads at once.
#pragma once

#include "platform/base/vxBase.h"

namespace vxHtmlText {

// The body's text of Html, its lines separated by LineBreak.
ustring InnerText(const ustring& Html, const ustring& LineBreak);

}  // namespace vxHtmlText
