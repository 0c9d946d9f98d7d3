// The address book at 10,000 entries: the completion of one keystroke, making the matcher again
// after a change, reading and writing the book's file, and filling the placeholders of a preview.

#include <benchmark/benchmark.h>

#include "ContactsBench.h"
#include "contacts/AddressBook.h"
#include "contacts/ContactMatcher.h"
#include "contacts/Placeholders.h"
#include "contacts/VCard.h"

namespace {

using namespace quillory;

AddressBook Book(int count) {
    AddressBook book;
    for (Contact& contact : bench::CzechContacts(count)) book.Add(std::move(contact));
    return book;
}

// What the completion list asks for one keystroke: the offers for the text typed so far.
void BM_CompleteKeystroke(benchmark::State& state, const char* typed) {
    const AddressBook book = Book(static_cast<int>(state.range(0)));
    const ContactMatcher matcher(book);
    for (auto _ : state) benchmark::DoNotOptimize(matcher.Complete(typed, 20));
}
BENCHMARK_CAPTURE(BM_CompleteKeystroke, first_letter, "n")->Arg(10000)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_CompleteKeystroke, surname, "nov")->Arg(10000)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_CompleteKeystroke, nothing_matches, "xyz")->Arg(10000)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_CompleteKeystroke, address, "kontakt9999")->Arg(10000)->Unit(benchmark::kMicrosecond);

// After a change of the book the next keystroke makes the matcher again.
void BM_MakeMatcher(benchmark::State& state) {
    const AddressBook book = Book(static_cast<int>(state.range(0)));
    for (auto _ : state) benchmark::DoNotOptimize(ContactMatcher(book));
}
BENCHMARK(BM_MakeMatcher)->Arg(10000)->Unit(benchmark::kMillisecond);

void BM_ReadBookFile(benchmark::State& state) {
    const std::string file = WriteVCards(bench::CzechContacts(static_cast<int>(state.range(0))));
    for (auto _ : state) {
        AddressBook book;
        for (Contact& contact : ReadVCards(file).contacts) book.Merge(std::move(contact));
        benchmark::DoNotOptimize(book);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(file.size()));
}
BENCHMARK(BM_ReadBookFile)->Arg(10000)->Unit(benchmark::kMillisecond);

void BM_WriteBookFile(benchmark::State& state) {
    const std::vector<Contact> contacts = bench::CzechContacts(static_cast<int>(state.range(0)));
    for (auto _ : state) benchmark::DoNotOptimize(WriteVCards(contacts));
}
BENCHMARK(BM_WriteBookFile)->Arg(10000)->Unit(benchmark::kMillisecond);

// The placeholders of an 80 KB preview, ten of them in it, for an entry of a 10,000-entry book.
void BM_FillPreviewPlaceholders(benchmark::State& state) {
    const AddressBook book = Book(10000);
    std::string text;
    for (int i = 0; i < 10; ++i) {
        text += "{osloven\xed},\r\n";
        while (text.size() < static_cast<std::size_t>(8 * 1024 * (i + 1))) text += "P\xf8" "ed\xe1v\xe1me v\xe1m nab\xed" "dku.\r\n";
    }
    for (auto _ : state) {
        const PlaceholderValues values =
            RecipientPlaceholders(book.Find("kontakt4321@firma53.cz"), "10. prosince 2026").ToWin1250();
        benchmark::DoNotOptimize(FillPlaceholders(text, values));
    }
}
BENCHMARK(BM_FillPreviewPlaceholders)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
