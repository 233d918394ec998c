// Mail addresses of header fields: reading address lists leniently,
// writing addresses, and the check that keeps unwritable mailboxes out.
#include "platform/mail/vxMailAddress.h"

#include <algorithm>
#include <utility>

#include "platform/base/vxCodePage.h"
#include "platform/base/vxRuntime.h"
#include "platform/mail/vxMimeCodec.h"

using namespace vxMimeCodec;

namespace {

enum class TTokenKind { Atom, Quoted, DomainLiteral, Special };

struct TToken {
  TTokenKind Kind;
  std::string Text;      // atom text, quoted content (unescaped), literal with brackets, or the special
  std::string Raw;       // as written (quoted strings with their quotes)
  std::string Comment;   // text of a comment right after the token
};

bool IsAddressSpecial(char c) { return std::string_view("()<>[]:;@\\,.\"").find(c) != std::string_view::npos; }

std::vector<TToken> Tokenize(std::string_view raw) {
  std::vector<TToken> tokens;
  size_t i = 0;
  while (i < raw.size()) {
    const char c = raw[i];
    if (static_cast<unsigned char>(c) <= 32) {
      ++i;
    } else if (c == '(') {
      // Comments nest and may hold quoted pairs.
      int depth = 0;
      std::string text;
      for (; i < raw.size(); ++i) {
        if (raw[i] == '\\' && i + 1 < raw.size()) {
          text.push_back(raw[++i]);
          continue;
        }
        if (raw[i] == '(' && depth++ == 0) continue;
        if (raw[i] == ')' && --depth == 0) {
          ++i;
          break;
        }
        text.push_back(raw[i]);
      }
      if (!tokens.empty() && tokens.back().Comment.empty()) tokens.back().Comment = vxRuntime::Trim<char>(text);
    } else if (c == '"') {
      const size_t start = i++;
      std::string text;
      while (i < raw.size() && raw[i] != '"') {
        if (raw[i] == '\\' && i + 1 < raw.size()) ++i;
        text.push_back(raw[i++]);
      }
      if (i < raw.size()) ++i;
      tokens.push_back({TTokenKind::Quoted, text, std::string(raw.substr(start, i - start)), {}});
    } else if (c == '[') {
      const size_t end = raw.find(']', i);
      const size_t stop = end == std::string_view::npos ? raw.size() : end + 1;
      const std::string literal(raw.substr(i, stop - i));
      tokens.push_back({TTokenKind::DomainLiteral, literal, literal, {}});
      i = stop;
    } else if (IsAddressSpecial(c)) {
      tokens.push_back({TTokenKind::Special, std::string(1, c), std::string(1, c), {}});
      ++i;
    } else {
      const size_t start = i;
      while (i < raw.size() && static_cast<unsigned char>(raw[i]) > 32 && !IsAddressSpecial(raw[i])) ++i;
      const std::string atom(raw.substr(start, i - start));
      tokens.push_back({TTokenKind::Atom, atom, atom, {}});
    }
  }
  return tokens;
}

class TAddressParser {
 public:
  explicit TAddressParser(std::string_view raw) : FTokens(Tokenize(Unfold(raw))) {}

  TMailAddressList ParseList() {
    while (!AtEnd()) {
      if (IsSpecial(",") || IsSpecial(";") || IsSpecial(">")) {
        ++FPos;
        continue;
      }
      ParseAddress(true);
    }
    return std::move(FResult);
  }

 private:
  std::vector<TToken> FTokens;
  size_t FPos = 0;
  TMailAddressList FResult;

  bool AtEnd() const { return FPos >= FTokens.size(); }
  bool IsSpecial(const char* s) const {
    return !AtEnd() && FTokens[FPos].Kind == TTokenKind::Special && FTokens[FPos].Text == s;
  }
  bool IsWord() const {
    return !AtEnd() && (FTokens[FPos].Kind == TTokenKind::Atom || FTokens[FPos].Kind == TTokenKind::Quoted);
  }

  // A display name: its words joined by blanks, encoded words decoded.
  static ustring PhraseText(const std::vector<const TToken*>& words) {
    std::string joined;
    for (const TToken* word : words) {
      if (word->Kind == TTokenKind::Special && word->Text == ".") {
        joined += ".";
        continue;
      }
      if (!joined.empty() && joined.back() != '.') joined.push_back(' ');
      joined += word->Text;
    }
    return DecodeHeaderText(joined);
  }

  // A mailbox up to ">" or the end of the address; a source route
  // ("@a,@b:") is dropped.
  std::string ReadAngleAddress() {
    std::string box;
    while (!AtEnd() && !IsSpecial(">")) {
      const TToken& t = FTokens[FPos++];
      if (t.Kind == TTokenKind::Special && t.Text == ":") {
        box.clear();
        continue;
      }
      if (t.Kind == TTokenKind::Special && t.Text == ",") continue;
      box += t.Raw;
    }
    if (IsSpecial(">")) ++FPos;
    return box;
  }

  void Add(ustring name, const std::string& box) {
    if (box.empty()) return;
    FResult.push_back({std::move(name), UnknownBytesToWide(box)});
  }

  void ParseAddress(bool groupAllowed) {
    std::vector<const TToken*> phrase;
    std::string raw;  // the same tokens as written, in case they are a mailbox
    std::string comment;
    while (IsWord() || IsSpecial(".")) {
      // Words without a dot between them ("john smith@x") make no mailbox:
      // the blank stays, so that they are never joined into another one.
      if (IsWord() && !phrase.empty() && phrase.back()->Kind != TTokenKind::Special) raw += ' ';
      phrase.push_back(&FTokens[FPos]);
      raw += FTokens[FPos].Raw;
      if (!FTokens[FPos].Comment.empty()) comment = FTokens[FPos].Comment;
      ++FPos;
    }
    if (IsSpecial(":") && groupAllowed) {
      ++FPos;
      while (!AtEnd() && !IsSpecial(";")) {
        if (IsSpecial(",")) {
          ++FPos;
          continue;
        }
        const size_t before = FPos;
        ParseAddress(false);
        if (FPos == before) ++FPos;
      }
      if (IsSpecial(";")) ++FPos;
      return;
    }
    if (IsSpecial("<")) {
      ++FPos;
      Add(PhraseText(phrase), ReadAngleAddress());
      return;
    }
    if (IsSpecial("@")) {
      ++FPos;
      std::string domain;
      while (!AtEnd() && (FTokens[FPos].Kind == TTokenKind::Atom || FTokens[FPos].Kind == TTokenKind::DomainLiteral ||
                          IsSpecial("."))) {
        if (!FTokens[FPos].Comment.empty()) comment = FTokens[FPos].Comment;
        domain += FTokens[FPos++].Raw;
      }
      Add(DecodeHeaderText(comment), raw + "@" + domain);
      return;
    }
    if (!phrase.empty()) {
      // A mailbox without domain, such as "postmaster".
      Add(DecodeHeaderText(comment), raw);
      return;
    }
    if (!AtEnd() && !IsSpecial(",") && !IsSpecial(";")) ++FPos;  // skip what cannot start an address
  }
};

// A display name needs quotes when it holds anything but atoms and single
// blanks between them (a reader joins the words of a phrase by one blank).
bool NeedsQuotes(std::u16string_view name) {
  if (name.find(u"  ") != std::u16string_view::npos || name.front() == u' ' || name.back() == u' ') return true;
  return std::any_of(name.begin(), name.end(), [](char16_t c) {
    const bool alnum = (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
    return c < 128 && !alnum &&
           std::u16string_view(u" !#$%&'*+-/=?^_`{|}~").find(c) == std::u16string_view::npos;
  });
}

bool IsPrintableAscii(std::u16string_view text) {
  return std::all_of(text.begin(), text.end(), [](char16_t c) { return c >= 32 && c <= 126; });
}

bool IsControl(char16_t c) { return c < 32 || c == 127; }

// A mailbox a header field can carry: no control character (a line break
// would start a field of its own), no blank or angle bracket outside a quoted
// local part, and no quote left open.
bool IsWritableMailbox(std::u16string_view box) {
  bool quoted = false;
  bool literal = false;  // inside a domain literal ("[1.2.3.4]")
  for (size_t i = 0; i < box.size(); ++i) {
    const char16_t c = box[i];
    if (IsControl(c)) return false;
    if (quoted && c == u'\\' && i + 1 < box.size()) {
      if (IsControl(box[i + 1])) return false;
      ++i;
    } else if (c == u'"') {
      quoted = !quoted;
    } else if (!quoted && (c == u'[' || c == u']')) {
      literal = c == u'[';
    } else if (!quoted && (c == u' ' || c == u'<' || c == u'>')) {
      // An angle bracket would end or open the angle address it is written in.
      return false;
    }
  }
  // An unterminated quote or domain literal would swallow the closing bracket.
  return !quoted && !literal;
}

// Whether the mailbox written bare reads back as itself ('a@"b"', 'a,b@c'
// or 'a@b@c' would come back as two).
bool BareReadsBack(const std::string& box) {
  const TMailAddressList back = TAddressParser(box).ParseList();
  return back.size() == 1 && WideToUtf8(back.front().Address) == box;
}

}  // namespace

TMailAddressList ParseAddressList(std::string_view rawValue) { return TAddressParser(rawValue).ParseList(); }

std::string FormatAddress(const TMailAddress& address) {
  const std::string box = WideToUtf8(address.Address);
  if (address.Name.empty() || address.Name == address.Address) return BareReadsBack(box) ? box : "<" + box + ">";
  // Encoded words for text outside printable ASCII, for runs too long to
  // fold and for text that would read back as an encoded word.
  std::string name = EncodeHeaderText(address.Name);
  const bool plain = IsPrintableAscii(address.Name) && name == WideToUtf8(address.Name);
  if (plain && NeedsQuotes(address.Name)) {
    std::string quoted(1, '"');
    for (char16_t c : address.Name) {
      if (c == u'"' || c == u'\\') quoted.push_back('\\');
      quoted.push_back(static_cast<char>(c));
    }
    quoted.push_back('"');
    name = std::move(quoted);
  }
  return name + " <" + box + ">";
}

std::string FormatAddressList(const TMailAddressList& addresses) {
  std::string out;
  for (const TMailAddress& a : addresses) {
    if (!out.empty()) out += ", ";
    out += FormatAddress(a);
  }
  return out;
}

namespace vxMailAddress {

// The address as the wire should carry it: trimmed, 'Name <box>' read as
// name and mailbox, blanks and control characters never inside.
TMailAddress Normalise(const TMailAddress& given) {
  TMailAddress result{vxRuntime::Trim(given.Name), vxRuntime::Trim(given.Address)};
  // Reading the text as an address list would drop line breaks silently.
  const bool controlFree = std::none_of(result.Address.begin(), result.Address.end(), IsControl);
  if (controlFree && result.Address.find_first_of(u"<>\" ,;()") != ustring::npos) {
    const TMailAddressList parsed = ParseAddressList(WideToUtf8(result.Address));
    if (parsed.size() == 1) {
      if (result.Name.empty() || result.Name == result.Address) result.Name = parsed.front().Name;
      result.Address = parsed.front().Address;
    }
  }
  // A mailbox that would not read back as itself written bare is no mailbox
  // a server takes either: refused, not sent.
  if (!controlFree || !IsWritableMailbox(result.Address) ||
      (!result.Address.empty() && !BareReadsBack(WideToUtf8(result.Address)))) {
    std::string shown = WideToUtf8(vxRuntime::Trim(given.Address));
    std::replace_if(shown.begin(), shown.end(), [](char c) { return IsControl(static_cast<unsigned char>(c)); }, '?');
    throw EMailAddressError(("invalid mail address '" + shown + "'").c_str());
  }
  if (result.Name == result.Address) result.Name.clear();
  return result;
}

TMailAddressList NormaliseList(const TMailAddressList& list) {
  TMailAddressList result;
  for (const TMailAddress& a : list) {
    TMailAddress n = Normalise(a);
    if (!n.Address.empty()) result.push_back(std::move(n));
  }
  return result;
}

}  // namespace vxMailAddress
