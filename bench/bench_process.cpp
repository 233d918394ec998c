// Starting a program and waiting for it, splitting command lines and reading
// INI files, each beside a plain peer.
#include <benchmark/benchmark.h>
#include <spawn.h>
#include <sys/wait.h>

#include <string>
#include <vector>

#include "core/vxToolsProcess.h"
#include "platform/files/vxIniFile.h"
#include "platform/process/vxCommandLine.h"

extern char** environ;

namespace {

// The wait polls in steps of 50 ms but wakes when the program ends.
void ExecAndWait_Ours(benchmark::State& state) {
  for (auto _ : state) {
    uint32_t code = 0;
    benchmark::DoNotOptimize(TvxTools::ExecAndWait(u"/bin/true", u"", 0, code, u""));
  }
}
BENCHMARK(ExecAndWait_Ours)->Name("ExecAndWait:ours")->UseRealTime();

void ExecAndWait_PosixSpawn(benchmark::State& state) {
  char program[] = "/bin/true";
  char* argv[] = {program, nullptr};
  for (auto _ : state) {
    pid_t pid = 0;
    posix_spawn(&pid, program, nullptr, nullptr, argv, environ);
    int status = 0;
    waitpid(pid, &status, 0);
  }
}
BENCHMARK(ExecAndWait_PosixSpawn)->Name("ExecAndWait:posix_spawn")->UseRealTime();

const std::u16string& CommandLine() {
  static const std::u16string line = [] {
    std::u16string text = u"\"/opt/my tool/prog\"";
    for (int i = 0; i < 1000; ++i) text += u" /KEY" + std::u16string(1, u'a' + i % 26) + u"=value \"quoted arg\" a\\\\b";
    return text;
  }();
  return line;
}

void Split_Ours(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(vxCommandLine::SplitCommandLine(CommandLine(), true));
}
BENCHMARK(Split_Ours)->Name("SplitCommandLine:ours");

// Splitting at blanks only: the floor of any splitter.
void Split_Blanks(benchmark::State& state) {
  for (auto _ : state) {
    std::vector<std::u16string> parts;
    const std::u16string& text = CommandLine();
    size_t start = 0;
    while (start < text.size()) {
      size_t end = text.find(u' ', start);
      if (end == std::u16string::npos) end = text.size();
      if (end > start) parts.emplace_back(text, start, end - start);
      start = end + 1;
    }
    benchmark::DoNotOptimize(parts);
  }
}
BENCHMARK(Split_Blanks)->Name("SplitCommandLine:blanks");

const std::string& IniBytes() {
  static const std::string bytes = [] {
    std::string text;
    for (int s = 0; s < 20; ++s) {
      text += "[Section" + std::to_string(s) + "]\r\n";
      for (int k = 0; k < 50; ++k) text += "Key" + std::to_string(k) + " = value " + std::to_string(k) + "\r\n";
    }
    return text;
  }();
  return bytes;
}

// Load and one lookup in the last section, as a start parameter read does.
void Ini_Ours(benchmark::State& state) {
  for (auto _ : state) {
    const TIniFile ini = TIniFile::FromBytes(IniBytes());
    benchmark::DoNotOptimize(ini.ReadString(u"section19", u"KEY49", u""));
  }
}
BENCHMARK(Ini_Ours)->Name("IniLookup:ours");

// A case-sensitive search for the header and the key in the bytes.
void Ini_Find(benchmark::State& state) {
  for (auto _ : state) {
    const std::string& text = IniBytes();
    const size_t section = text.find("[Section19]");
    const size_t key = text.find("Key49 = ", section);
    benchmark::DoNotOptimize(text.substr(key + 8, text.find('\r', key) - key - 8));
  }
}
BENCHMARK(Ini_Find)->Name("IniLookup:find");

}  // namespace
