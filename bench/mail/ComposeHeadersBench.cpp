// Time to compose the header block of a typical message: Czech sender and subject, three
// recipients, one copy, reply-to.
#include <benchmark/benchmark.h>

#include "core/Win1250.h"
#include "mail/IdMessage.h"

namespace {

using namespace quillory;

void BM_ComposeHeaders(benchmark::State& state) {
    TIdMessage message;
    message.From().SetText(Utf8ToWin1250("Obchod Plzeň <obchod@plzen.cz>"));
    message.ReplyTo().Add() = message.From();
    message.Recipients().SetAddressesText(
        Utf8ToWin1250("Jiří Novák <jiri@brno.cz>, sklad@brno.cz, \"Novák, Petr\" <petr@brno.cz>"));
    message.CCList().Add().SetAddress("kopie@plzen.cz");
    message.Subject = Utf8ToWin1250("Poptávka: přehled objednávek za listopad a prosinec");
    for (auto _ : state) benchmark::DoNotOptimize(message.ComposeHeaders());
}
BENCHMARK(BM_ComposeHeaders);

}  // namespace

BENCHMARK_MAIN();
