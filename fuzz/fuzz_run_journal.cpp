// The run journal's reader on a file of any bytes: it either reports damage or gives a state where
// at most one row is in flight, the one it names, and whose durable part alone reads back as the
// same state.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "merge/RunJournal.h"
#include "support/FuzzCheck.h"

using namespace quillory;
using quillory::fuzz::Check;

namespace {

bool SameState(const JournalState& a, const JournalState& b) {
    if (a.rows.size() != b.rows.size() || a.created != b.created || a.maybeSent != b.maybeSent ||
        a.durableLength != b.durableLength)
        return false;
    for (std::size_t i = 0; i < a.rows.size(); ++i) {
        const JournalRow& x = a.rows[i];
        const JournalRow& y = b.rows[i];
        if (x.address != y.address || x.state != y.state || x.reply != y.reply || x.time != y.time ||
            x.byUser != y.byUser)
            return false;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    JournalState state;
    try {
        state = ParseJournal(bytes, "fuzz.denik");
    } catch (const EJournalDamaged& error) {
        Check(error.Message().find("fuzz.denik") != std::string::npos);
        return 0;
    }
    Check(state.durableLength <= bytes.size());
    std::size_t sending = 0;
    for (std::size_t i = 0; i < state.rows.size(); ++i) {
        // Only a row left out may lack an address, and it stays left out.
        Check(!state.rows[i].address.empty() || state.rows[i].state == RowState::Skipped);
        if (state.rows[i].state == RowState::Sending) {
            ++sending;
            Check(state.maybeSent == i);
        }
    }
    Check(sending <= 1 && (sending == 1) == state.maybeSent.has_value());
    Check(SameState(ParseJournal(bytes.substr(0, state.durableLength), "fuzz.denik"), state));
    return 0;
}
