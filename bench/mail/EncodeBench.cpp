// Throughput of the transfer encoders next to two references measured in the same run: the
// coreutils `base64` program (one process per 10 MB file, start-up included) and OpenSSL's
// EVP_EncodeBlock (loaded from libcrypto at run time when it is installed).
#include <benchmark/benchmark.h>

#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <string>

#include "mail/IdCoder3to4.h"
#include "mail/IdCoderQuotedPrintable.h"

namespace {

using namespace quillory;

// Mostly Czech text in Windows-1250 with line ends: the kind of input a text part carries.
std::string SampleText(std::size_t size) {
    static const std::string words[] = {"Dobr\xFD",
                                        "den,",
                                        "pos\xEDl\xE1m",
                                        "p\xF8"
                                        "ehled",
                                        "objedn\xE1vky",
                                        "=",
                                        "S",
                                        "pozdravem",
                                        "\r\n",
                                        "ko\x9Ala",
                                        "\xE8."};
    std::mt19937 random(42);
    std::string text;
    while (text.size() < size) text += words[random() % std::size(words)] + " ";
    text.resize(size);
    return text;
}

void BM_Base64(benchmark::State& state) {
    const std::string input = SampleText(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) benchmark::DoNotOptimize(EncodeTextWith<TIdEncoderMIME>(input));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * state.range(0));
}
BENCHMARK(BM_Base64)->Arg(1024)->Arg(10 << 20);

void BM_QuotedPrintable(benchmark::State& state) {
    const std::string input = SampleText(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) benchmark::DoNotOptimize(EncodeTextWith<TIdEncoderQuotedPrintable>(input));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * state.range(0));
}
BENCHMARK(BM_QuotedPrintable)->Arg(1024)->Arg(10 << 20);

using EncodeBlockFn = int (*)(unsigned char*, const unsigned char*, int);

EncodeBlockFn OpenSslEncodeBlock() {
    static void* library = dlopen("libcrypto.so.3", RTLD_NOW);
    return library ? reinterpret_cast<EncodeBlockFn>(dlsym(library, "EVP_EncodeBlock")) : nullptr;
}

void BM_OpenSslEncodeBlock(benchmark::State& state) {
    const EncodeBlockFn encode = OpenSslEncodeBlock();
    if (!encode) {
        state.SkipWithError("libcrypto.so.3 not found");
        return;
    }
    const std::string input = SampleText(static_cast<std::size_t>(state.range(0)));
    std::string output((input.size() + 2) / 3 * 4 + 1, '\0');
    for (auto _ : state) {
        benchmark::DoNotOptimize(encode(reinterpret_cast<unsigned char*>(output.data()),
                                        reinterpret_cast<const unsigned char*>(input.data()),
                                        static_cast<int>(input.size())));
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * state.range(0));
}
BENCHMARK(BM_OpenSslEncodeBlock)->Arg(1024)->Arg(10 << 20);

void BM_CoreutilsBase64(benchmark::State& state) {
    const std::string path = "/tmp/quillory_bench_base64.bin";
    std::ofstream(path, std::ios::binary) << SampleText(static_cast<std::size_t>(state.range(0)));
    const std::string command = "base64 -w0 < " + path + " > /dev/null";
    for (auto _ : state)
        if (std::system(command.c_str()) != 0) state.SkipWithError("base64 failed");
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * state.range(0));
    std::remove(path.c_str());
}
BENCHMARK(BM_CoreutilsBase64)->Arg(10 << 20)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
