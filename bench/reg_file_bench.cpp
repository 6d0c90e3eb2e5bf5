// Loading and saving registry files: the hives named on the command line (--hive=FILE, any
// number) and a generated one of 1,000,000 values.
//   vlx_bench [--hive=FILE]... [benchmark options]
//   vlx_bench --once FILE        loads and saves FILE once (for measuring peak memory)
//   vlx_bench --generate FILE    writes the generated hive to FILE
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "prefix/atomic_file.h"
#include "prefix/reg_file.h"

namespace {

namespace fs = std::filesystem;
using vlx::prefix::RegFile;

// The numbers [first, first + count) in the order wineserver keeps their names ("Key10" before
// "Key2"): names differing only in their number sort as the numbers' digits do.
std::vector<int> InNameOrder(int first, int count) {
  std::vector<int> numbers(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) numbers[static_cast<std::size_t>(i)] = first + i;
  std::sort(numbers.begin(), numbers.end(),
            [](int a, int b) { return std::to_string(a) < std::to_string(b); });
  return numbers;
}

// 10,000 keys of 100 values each, of the kinds a system hive holds, in the order wineserver
// writes them.
std::string GeneratedHive() {
  std::string text = "WINE REGISTRY Version 2\n;; All keys relative to REGISTRY\\\\Machine\n\n#arch=win64\n\n";
  for (const int g : InNameOrder(0, 100)) {
    for (const int k : InNameOrder(g * 100, 100)) {
      text += "[Software\\\\Bench\\\\Group" + std::to_string(g) + "\\\\Key" + std::to_string(k) +
              "] 1796861030\n#time=1dd8839ef877f0e\n";
      for (const int v : InNameOrder(0, 100)) {
        const std::string name = "\"Value" + std::to_string(v) + "\"=";
        switch (v % 4) {
          case 0: text += name + "\"C:\\\\Program Files\\\\App" + std::to_string(k) + "\\\\app.exe\"\n"; break;
          case 1: text += name + "dword:000" + std::to_string(10000 + v) + "\n"; break;
          case 2: text += name + "hex:01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10\n"; break;
          default: text += name + "str(2):\"%SystemRoot%\\\\system32\"\n"; break;
        }
      }
      text += "\n";
    }
  }
  return text;
}

void SaveTo(const RegFile& file, const fs::path& path) {
  vlx::prefix::WriteFileAtomically(path, [&file](const vlx::prefix::PieceWriter& write) {
    file.Write(write);
  });
}

void Load(benchmark::State& state, const fs::path& path) {
  for (auto _ : state) benchmark::DoNotOptimize(RegFile::Load(path));
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(fs::file_size(path)));
}

// Every key of the file, built as it is reached.
template <typename Visit>
void ForEachKey(RegFile& file, Visit&& visit) {
  std::vector<vlx::prefix::RegKeyNode*> stack{&file.Root()};
  while (!stack.empty()) {
    auto* key = stack.back();
    stack.pop_back();
    visit(*key);
    for (auto& sub : file.Subkeys(*key)) stack.push_back(sub.get());
  }
}

// A load, then every key and value looked into, as an export of the whole hive does.
void LoadAndBuildAll(benchmark::State& state, const fs::path& path) {
  for (auto _ : state) {
    auto file = RegFile::Load(path);
    std::size_t values = 0;
    ForEachKey(*file, [&](vlx::prefix::RegKeyNode& key) { values += file->Values(key).size(); });
    benchmark::DoNotOptimize(values);
  }
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(fs::file_size(path)));
}

// Every key changed, so every section is written anew rather than copied.
void Save(benchmark::State& state, const fs::path& path, bool touchAll) {
  auto file = RegFile::Load(path);
  if (touchAll) ForEachKey(*file, [](vlx::prefix::RegKeyNode& key) { key.changed = true; });
  const fs::path out = path.string() + ".bench-out";
  for (auto _ : state) SaveTo(*file, out);
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(fs::file_size(out)));
  fs::remove(out);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::string(argv[1]) == "--generate") {
    std::ofstream(argv[2], std::ios::binary) << GeneratedHive();
    return 0;
  }
  if (argc == 3 && std::string(argv[1]) == "--once") {
    auto file = RegFile::Load(argv[2]);
    SaveTo(*file, std::string(argv[2]) + ".bench-out");
    fs::remove(std::string(argv[2]) + ".bench-out");
    return 0;
  }
  std::vector<fs::path> hives;
  std::vector<char*> rest{argv[0]};
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg.rfind("--hive=", 0) == 0)
      hives.push_back(arg.substr(7));
    else
      rest.push_back(argv[i]);
  }
  char dirPattern[] = "/tmp/vlx-bench-XXXXXX";
  if (!::mkdtemp(dirPattern)) return 1;
  const fs::path generated = fs::path(dirPattern) / "generated-1M.reg";
  std::ofstream(generated, std::ios::binary) << GeneratedHive();
  hives.push_back(generated);

  for (const fs::path& hive : hives) {
    const std::string label = hive.filename().string();
    benchmark::RegisterBenchmark(("Load/" + label).c_str(), Load, hive)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark(("LoadAndBuildAll/" + label).c_str(), LoadAndBuildAll, hive)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark(("SaveUnchanged/" + label).c_str(), Save, hive, false)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark(("SaveAllChanged/" + label).c_str(), Save, hive, true)
        ->Unit(benchmark::kMillisecond);
  }
  int count = static_cast<int>(rest.size());
  benchmark::Initialize(&count, rest.data());
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  fs::remove_all(dirPattern);
  return 0;
}
