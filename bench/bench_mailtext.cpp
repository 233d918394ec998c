// Mail texts made plain: the quoted-printable decoders and HTML to text,
// each beside a peer doing the same kind of work.
#include <benchmark/benchmark.h>

#include <string>
#include <string_view>

#include "core/vxStrings.h"
#include "platform/mail/vxMimeCodec.h"

namespace {

// About 1 MiB of quoted-printable text with umlauts and soft line breaks.
const std::string& QuotedText() {
  static const std::string text = [] {
    const std::string line = "Gr=C3=BC=C3=9Fe aus M=C3=BCnchen, die Rechnung =FCber 20 =80 liegt bei.=\r\n";
    std::string t;
    while (t.size() < (1u << 20)) t += line;
    return t;
  }();
  return text;
}

void BM_Quoted(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(TvxStrings::ReplaceQuotedPrintable(QuotedText()));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(QuotedText().size()));
}
BENCHMARK(BM_Quoted)->Name("QuotedPrintable:ours");

// The peer: the MIME reader's own decoder.
void BM_Quoted_Mime(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(vxMimeCodec::QuotedPrintableDecode(QuotedText()));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(QuotedText().size()));
}
BENCHMARK(BM_Quoted_Mime)->Name("QuotedPrintable:mime_decoder");

void BM_QuotedSimple(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(TvxStrings::ReplaceQuotedPrintableSimple(QuotedText()));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(QuotedText().size()));
}
BENCHMARK(BM_QuotedSimple)->Name("QuotedPrintableSimple:ours");
BENCHMARK(BM_Quoted_Mime)->Name("QuotedPrintableSimple:mime_decoder");

// Soft line breaks nested N deep ("=" N times, then N line breaks): ours
// removes them in one scan, the repeated replacement needs a pass per level.
std::string NestedBreaks(int64_t depth) {
  std::string t(static_cast<size_t>(depth), '=');
  for (int64_t i = 0; i < depth; ++i) t += "\r\n";
  return t + "end";
}

void BM_SoftBreaks(benchmark::State& state) {
  const std::string text = NestedBreaks(state.range(0));
  for (auto _ : state) benchmark::DoNotOptimize(TvxStrings::ReplaceQuotedPrintable(text));
}
BENCHMARK(BM_SoftBreaks)->Name("NestedSoftBreaks:ours")->Arg(1000)->Arg(5000);

void BM_SoftBreaks_Repeated(benchmark::State& state) {
  const std::string text = NestedBreaks(state.range(0));
  for (auto _ : state) benchmark::DoNotOptimize(TvxStrings::FastReplaceA(text, "=\r\n", ""));
}
BENCHMARK(BM_SoftBreaks_Repeated)->Name("NestedSoftBreaks:FastReplaceA")->Arg(1000)->Arg(5000);

// About 1 MiB of mail HTML: paragraphs, a table, a list, a style sheet.
const ustring& HtmlText() {
  static const ustring text = [] {
    const ustring block =
        u"<style>td{padding:2px}</style><p>Sehr geehrte Damen und Herren,<br>anbei die <b>Rechnung</b> &amp; "
        u"der Lieferschein.</p><table><tr><th>Pos</th><th>Preis</th></tr><tr><td>1</td><td>20&nbsp;&euro;</td>"
        u"</tr></table><ul><li>eins</li><li>zwei</li></ul>\r\n";
    ustring t = u"<html><head><title>Mail</title></head><body>";
    while (t.size() < (1u << 19)) t += block;
    return t + u"</body></html>";
  }();
  return text;
}

void BM_Html(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(TvxStrings::HtmlToText(HtmlText()));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(HtmlText().size() * 2));
}
BENCHMARK(BM_Html)->Name("HtmlToText:ours");

// The peer: a plain loop that only drops everything between "<" and ">",
// with no entities, no layout and no parser.
void BM_Html_StripTags(benchmark::State& state) {
  for (auto _ : state) {
    ustring out;
    out.reserve(HtmlText().size());
    bool inTag = false;
    for (char16_t c : HtmlText()) {
      if (c == u'<') inTag = true;
      else if (c == u'>') inTag = false;
      else if (!inTag) out += c;
    }
    benchmark::DoNotOptimize(out);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(HtmlText().size() * 2));
}
BENCHMARK(BM_Html_StripTags)->Name("HtmlToText:strip_tags_loop");

}  // namespace
