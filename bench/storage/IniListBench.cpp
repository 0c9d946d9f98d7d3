// Time to open an INI file and read one stored list back, for lists of 1,000 to 100,000 entries,
// alone in the file or behind 100,000 other sections. Reading should grow with the list, not with
// the list times the file.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "storage/IniFile.h"
#include "storage/PropsFormat.h"

namespace {

using namespace quillory;

// Writes a file with `otherSections` small sections, then the list "Form1.Pozdravy_Items" of
// `entries` entries; removes it when done.
class TListFile {
public:
    TListFile(int entries, int otherSections)
        : path_(std::filesystem::temp_directory_path() /
                ("quillory-bench-" + std::to_string(getpid()) + ".ini")) {
        std::ofstream out(path_, std::ios::binary);
        for (int i = 0; i < otherSections; ++i) out << "[Other" << i << "]\r\nValue=" << i << "\r\n";
        out << "[Form1.Pozdravy_Items]\r\nCount=" << entries << "\r\n";
        for (int i = 0; i < entries; ++i) out << "Item" << i << "=Dobry den, " << i << "\r\n";
    }
    ~TListFile() { std::filesystem::remove(path_); }
    TListFile(const TListFile&) = delete;
    TListFile& operator=(const TListFile&) = delete;

    std::string Path() const { return path_.string(); }

private:
    std::filesystem::path path_;
};

void BM_ReadList(benchmark::State& state) {
    const int entries = static_cast<int>(state.range(0));
    const TListFile file(entries, static_cast<int>(state.range(1)));
    for (auto _ : state) {
        const TIniFile ini(file.Path());
        const auto list = ReadStringListSection(ini, "Form1", "Pozdravy_Items");
        if (!list || list->size() != static_cast<std::size_t>(entries)) state.SkipWithError("list not read");
        benchmark::DoNotOptimize(list);
    }
    state.SetItemsProcessed(state.iterations() * entries);
}
BENCHMARK(BM_ReadList)
    ->ArgNames({"entries", "otherSections"})
    ->Args({1000, 0})
    ->Args({10000, 0})
    ->Args({100000, 0})
    ->Args({1000, 100000})
    ->Unit(benchmark::kMillisecond);

// Writing the same list back and serialising the file, as a close does.
void BM_WriteList(benchmark::State& state) {
    const int entries = static_cast<int>(state.range(0));
    const TListFile file(0, 0);
    std::vector<std::string> list;
    for (int i = 0; i < entries; ++i) list.push_back("Dobry den, " + std::to_string(i));
    for (auto _ : state) {
        TIniFile ini(file.Path());
        WriteStringListSection(ini, "Form1", "Pozdravy_Items", list);
        benchmark::DoNotOptimize(ini.ReadValue("Form1.Pozdravy_Items", "Count", ""));
    }
    state.SetItemsProcessed(state.iterations() * entries);
}
BENCHMARK(BM_WriteList)
    ->ArgName("entries")
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
