#pragma once

#include <chrono>
#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/Exception.h"
#include "storage/FileHandle.h"

namespace quillory {

// The journal cannot be read whole: the message (the program's 8-bit text) names the file and the line. The
// file is left as it is.
class EJournalDamaged : public Exception {
    using Exception::Exception;
};

// The journal cannot be made, opened or written; the message (the program's 8-bit text) names the file and
// the system's reason.
class EJournalError : public Exception {
    using Exception::Exception;
};

// Where a recipient's message stands.
enum class RowState {
    ToSend,     // not sent yet, or to be sent again after a temporary refusal
    Sending,    // its final dot is about to go out or went out; the server's reply is not recorded
    Delivered,  // the server took it (its reply), or the user said it arrived
    Failed,     // the server refused it for good (its reply)
    Skipped,    // the user left it out
};

struct JournalRow {
    std::string address;
    RowState state = RowState::ToSend;
    std::string reply;                // the server's last reply, its lines joined by "\n"; empty: none
    std::chrono::sys_seconds time{};  // of the last change; the epoch while the row is untouched
    bool byUser = false;              // delivered by the user's decision on a "možná odesláno" row
};

// What a journal holds: each row's state as the last durable record left it.
struct JournalState {
    std::chrono::sys_seconds created{};
    std::vector<JournalRow> rows;
    // The bytes of the whole records; after a crash a torn last record may follow them.
    std::size_t durableLength = 0;

    // The row in RowState::Sending: its final dot went out without its reply being recorded
    // ("možná odesláno"), for the user to decide before the run goes on. At most one row is ever in
    // this state.
    std::optional<std::size_t> maybeSent;

    // The rows still to go out, each once, in the order of the list.
    std::vector<std::size_t> ToSend() const;
    // Nothing left to send and nothing to decide.
    bool Finished() const;
    // No row has changed since the journal was made: nothing of the run was sent.
    bool Untouched() const;
};

// One record as the journal's line: its CRC-32 in hexadecimal, a blank, the record, a line end.
std::string JournalLine(std::string_view record);

// Reads a journal's bytes; `path` only names the file in the message of EJournalDamaged. A torn last
// record (one whose writing a crash cut short: it was never made durable, so what was to follow it
// never happened) is left out of durableLength; every other defect raises EJournalDamaged.
JournalState ParseJournal(std::string_view bytes, const std::filesystem::path& path);

// Reads the journal at `path` as ParseJournal does, without taking it over (it may be held by a run
// under way); EJournalError when it cannot be read.
JournalState ReadJournal(const std::filesystem::path& path);

// The journal of one run of a mail merge: one file per run, written so that after a kill, a crash
// or a power cut the reader knows of every message whether the server took it.
//
// The file is text, one record a line, each line its CRC-32 (8 hexadecimal digits), a blank and
// the record: first the heading and every row, made durable at once with the file itself (written
// whole under a temporary name, flushed, linked to its name, the folder flushed), then one record
// per change of a row's state, appended and flushed (fsync) before the change's method returns.
// The caller records Sending before it sends a message's final dot and the reply after it.
class RunJournal {
public:
    struct NewRow {
        std::string address;
        bool skipped = false;
    };

    // Makes the journal of a new run in `folder` (made, mode 0700, when missing), named by the time:
    // "hromadne-odeslani-20261211-093000.denik"; a name taken gets " (2)", … An existing journal is
    // never replaced. Raises EJournalError.
    static RunJournal Create(const std::filesystem::path& folder, const std::vector<NewRow>& rows,
                             std::chrono::sys_seconds now);
    // Opens a journal to go on with its run: reads it (EJournalDamaged), cuts off a torn last record,
    // and holds it locked against a second writer (EJournalError while another one has it).
    static RunJournal Open(const std::filesystem::path& path);

    // The journals in `folder`, oldest first by name.
    static std::vector<std::filesystem::path> List(const std::filesystem::path& folder);

    const std::filesystem::path& Path() const { return path_; }
    const JournalState& State() const { return state_; }

    // Each records a change and returns once it is on the disk. A change the row's state does not
    // allow (a second message to a delivered row, a second row sending) raises Exception and writes
    // nothing; a write that fails raises EJournalError, and the journal takes no more changes.
    void Sending(std::size_t row, std::chrono::sys_seconds now);  // before the final dot
    void Delivered(std::size_t row, std::chrono::sys_seconds now, std::string_view reply);
    void Failed(std::size_t row, std::chrono::sys_seconds now, std::string_view reply);
    // A temporary refusal (4xx) before or after the dot: the row goes out again.
    void Retry(std::size_t row, std::chrono::sys_seconds now, std::string_view reply);
    void Skip(std::size_t row, std::chrono::sys_seconds now);
    // The user's decisions: send a row again ("možná odesláno", failed or skipped), or count the
    // "možná odesláno" row as delivered.
    void SendAgain(std::size_t row, std::chrono::sys_seconds now);
    void ConfirmDelivered(std::size_t row, std::chrono::sys_seconds now);

private:
    RunJournal(std::filesystem::path path, FileHandle file, JournalState state);
    void Record(std::string_view kind, std::size_t row, std::chrono::sys_seconds now, std::string_view reply);

    std::filesystem::path path_;
    FileHandle file_;
    JournalState state_;
    bool broken_ = false;
};

}  // namespace quillory
