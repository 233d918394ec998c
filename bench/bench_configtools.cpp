// The XML configuration string of a list of 2000 entries in 20 groups: the
// document alone (load and save) side by side with the configuration string
// built and parsed over it, so the ratio shows what the list layer adds.
#include <benchmark/benchmark.h>

#include "foundation/vxConfigTools.h"
#include "platform/xml/vxXmlDocument.h"

namespace {

const TvxConfigTools& Source() {
  static const TvxConfigTools tools = [] {
    TvxConfigTools t;
    for (int i = 0; i < 2000; ++i) {
      const std::string path = "Group " + std::to_string(i % 20) + "/Key" + std::to_string(i);
      t.AddConfigParam(ustring(path.begin(), path.end()), Variant(ustring(u"value with <markup> & text")), false,
                       false);
    }
    return t;
  }();
  return tools;
}

const std::string& Text() {
  static const std::string text = [] {
    TvxConfigTools t = Source();
    return t.BuiltConfigString(u"vxConfig", false, false, false);
  }();
  return text;
}

void SetBytes(benchmark::State& state) {
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(Text().size()));
}

void BM_DocumentLoad(benchmark::State& state) {
  for (auto _ : state) {
    TXMLDocument doc;
    doc.LoadFromXML(Text());
    benchmark::DoNotOptimize(doc.DocumentElement());
  }
  SetBytes(state);
}
BENCHMARK(BM_DocumentLoad)->Name("Parse:document_load")->Unit(benchmark::kMicrosecond);

void BM_ParseConfigString(benchmark::State& state) {
  for (auto _ : state) {
    TvxConfigTools t;
    benchmark::DoNotOptimize(t.ParseConfigString(Text()));
  }
  SetBytes(state);
}
BENCHMARK(BM_ParseConfigString)->Name("Parse:ours")->Unit(benchmark::kMicrosecond);

void BM_DocumentLoadAndSave(benchmark::State& state) {
  for (auto _ : state) {
    TXMLDocument doc;
    doc.LoadFromXML(Text());
    benchmark::DoNotOptimize(doc.SaveToXML());
  }
  SetBytes(state);
}
BENCHMARK(BM_DocumentLoadAndSave)->Name("Build:document_load_save")->Unit(benchmark::kMicrosecond);

void BM_BuiltConfigString(benchmark::State& state) {
  TvxConfigTools t = Source();
  for (auto _ : state) benchmark::DoNotOptimize(t.BuiltConfigString(u"vxConfig", false, false, false));
  SetBytes(state);
}
BENCHMARK(BM_BuiltConfigString)->Name("Build:ours")->Unit(benchmark::kMicrosecond);

}  // namespace
