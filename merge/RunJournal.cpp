#include "merge/RunJournal.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <system_error>

#include "core/ProgramText.h"
#include "merge/RecordLine.h"
#include "storage/RegularFile.h"
#include "storage/SpoolFile.h"

namespace quillory {
namespace {

using record::Checked;
using record::Escape;
using record::Fields;
using record::Number;
using record::Unescape;
using std::chrono::sys_seconds;

constexpr std::string_view kHeading = "QUILLORY-MERGE-JOURNAL";
constexpr std::string_view kVersion = "1";
constexpr std::string_view kExtension = ".denik";
// More rows than this make no run; a heading claiming more is damage.
constexpr std::uint64_t kMaxRows = 1'000'000;
// Times up to the year 36812: more is no time of this world.
constexpr std::uint64_t kMaxTime = std::uint64_t(1) << 40;
// A journal of the largest run is some hundreds of megabytes at most.
constexpr std::size_t kMaxJournalBytes = std::size_t(1) << 30;

}  // namespace

std::string JournalLine(std::string_view record) { return record::Line(record); }

namespace {

// A change of a row's state: one event record.
struct Change {
    std::string_view kind;
    std::size_t row = 0;
    sys_seconds time{};
    std::string reply;
};

constexpr std::string_view kSending = "SENDING";
constexpr std::string_view kDelivered = "DELIVERED";
constexpr std::string_view kFailed = "FAILED";
constexpr std::string_view kRetry = "RETRY";
constexpr std::string_view kSkipped = "SKIPPED";
constexpr std::string_view kAgain = "AGAIN";
constexpr std::string_view kConfirmed = "CONFIRMED";

struct Transition {
    std::string_view kind;
    std::initializer_list<RowState> from;
    RowState to;
};

// What each change may follow. A delivered row never goes anywhere again.
const Transition kTransitions[] = {
    {kSending, {RowState::ToSend}, RowState::Sending},
    {kDelivered, {RowState::Sending}, RowState::Delivered},
    {kFailed, {RowState::ToSend, RowState::Sending}, RowState::Failed},
    {kRetry, {RowState::ToSend, RowState::Sending}, RowState::ToSend},
    {kSkipped, {RowState::ToSend, RowState::Failed}, RowState::Skipped},
    {kAgain, {RowState::Sending, RowState::Failed, RowState::Skipped}, RowState::ToSend},
    {kConfirmed, {RowState::Sending}, RowState::Delivered},
};

const Transition* FindTransition(std::string_view kind) {
    for (const Transition& transition : kTransitions)
        if (transition.kind == kind) return &transition;
    return nullptr;
}

// Why the change cannot follow the state (Czech, UTF-8); empty when it can.
std::string Refusal(const JournalState& state, const Change& change) {
    const Transition* transition = FindTransition(change.kind);
    if (!transition) return "neznámý záznam";
    if (change.row >= state.rows.size()) return "řádek " + std::to_string(change.row + 1) + " v seznamu není";
    const RowState from = state.rows[change.row].state;
    if (std::find(transition->from.begin(), transition->from.end(), from) == transition->from.end())
        return "záznam " + std::string(change.kind) + " nenavazuje na stav řádku " +
               std::to_string(change.row + 1);
    if (change.kind == kSending) {
        if (state.maybeSent) return "řádek " + std::to_string(*state.maybeSent + 1) + " se ještě odesílá";
    }
    // A row left out for want of an address has nowhere to go.
    if (change.kind == kAgain && state.rows[change.row].address.empty())
        return "řádek " + std::to_string(change.row + 1) + " nemá adresu";
    return {};
}

void Apply(JournalState& state, Change change) {
    const Transition& transition = *FindTransition(change.kind);
    JournalRow& row = state.rows[change.row];
    row.state = transition.to;
    row.time = change.time;
    row.byUser = change.kind == kConfirmed;
    if (row.state == RowState::Sending) state.maybeSent = change.row;
    else if (state.maybeSent == change.row) state.maybeSent.reset();
    if (!change.reply.empty()) row.reply = std::move(change.reply);
}

std::optional<Change> ParseChange(std::string_view record) {
    const auto fields = Fields(record, 3, true);
    if (!fields || !FindTransition((*fields)[0])) return std::nullopt;
    const auto row = Number((*fields)[1], kMaxRows);
    const auto time = Number((*fields)[2], kMaxTime);
    auto reply = Unescape((*fields)[3]);
    if (!row || !time || !reply) return std::nullopt;
    return Change{FindTransition((*fields)[0])->kind, static_cast<std::size_t>(*row),
                  sys_seconds(std::chrono::seconds(static_cast<std::int64_t>(*time))), std::move(*reply)};
}

std::string ChangeRecord(const Change& change) {
    return std::string(change.kind) + " " + std::to_string(change.row) + " " +
           std::to_string(change.time.time_since_epoch().count()) + " " + Escape(change.reply);
}

std::string Quoted(const std::filesystem::path& path) { return "„" + path.string() + "“"; }

[[noreturn]] void Damaged(const std::filesystem::path& path, std::size_t line, const std::string& reason) {
    throw EJournalDamaged(ProgramTextFromUtf8(
        "Deník hromadného odeslání " + Quoted(path) + " je poškozený na řádku " + std::to_string(line) +
        " (" + reason + "). Soubor zůstává, jak je; rozeslání z něj nelze navázat"));
}

[[noreturn]] void Failure(const std::string& what, const std::filesystem::path& path, int error) {
    throw EJournalError(ProgramTextFromUtf8(what + " " + Quoted(path) + ": ") + std::strerror(error));
}

std::string FileName(sys_seconds now) {
    const auto day = std::chrono::floor<std::chrono::days>(now);
    const std::chrono::year_month_day date(day);
    const std::chrono::hh_mm_ss time(now - day);
    char name[64];
    std::snprintf(name, sizeof name, "hromadne-odeslani-%04d%02u%02u-%02d%02d%02d",
                  static_cast<int>(date.year()), static_cast<unsigned>(date.month()),
                  static_cast<unsigned>(date.day()), static_cast<int>(time.hours().count()),
                  static_cast<int>(time.minutes().count()), static_cast<int>(time.seconds().count()));
    return std::string(name) + std::string(kExtension);
}

// Takes the writer's lock: one run of a journal at a time.
void Lock(const FileHandle& file, const std::filesystem::path& path) {
    if (::flock(file.Get(), LOCK_EX | LOCK_NB) == 0) return;
    if (errno == EWOULDBLOCK)
        throw EJournalError(ProgramTextFromUtf8("Rozeslání z deníku " + Quoted(path) +
                                                " už běží v jiném okně nebo jiném spuštění programu"));
    Failure("Deník hromadného odeslání nelze zamknout:", path, errno);
}

}  // namespace

std::vector<std::size_t> JournalState::ToSend() const {
    std::vector<std::size_t> pending;
    for (std::size_t i = 0; i < rows.size(); ++i)
        if (rows[i].state == RowState::ToSend) pending.push_back(i);
    return pending;
}

bool JournalState::Finished() const {
    return std::none_of(rows.begin(), rows.end(), [](const JournalRow& row) {
        return row.state == RowState::ToSend || row.state == RowState::Sending;
    });
}

bool JournalState::Untouched() const {
    return std::all_of(rows.begin(), rows.end(),
                       [](const JournalRow& row) { return row.time == sys_seconds{}; });
}

JournalState ReadJournal(const std::filesystem::path& path) {
    std::string bytes;
    const TReadResult result = ReadRegularFile(path, kMaxJournalBytes, bytes);
    if (!result) Failure("Deník hromadného odeslání nelze přečíst:", path, result.ErrorNumber());
    return ParseJournal(bytes, path);
}

JournalState ParseJournal(std::string_view bytes, const std::filesystem::path& path) {
    JournalState state;
    std::size_t pos = 0;
    std::size_t lineNumber = 0;
    // The next whole line's record, CRC checked; nothing for a line that is not whole or not intact.
    const auto next = [&](bool& whole) -> std::optional<std::string_view> {
        ++lineNumber;
        const std::size_t end = bytes.find('\n', pos);
        whole = end != std::string_view::npos;
        const std::string_view line = bytes.substr(pos, (whole ? end : bytes.size()) - pos);
        pos = whole ? end + 1 : bytes.size();
        return whole ? Checked(line) : std::nullopt;
    };

    // The heading and the rows were made durable with the file: any defect in them is damage.
    bool whole = false;
    const auto heading = next(whole);
    const auto headingFields = heading ? Fields(*heading, 4, false) : std::nullopt;
    if (!headingFields || (*headingFields)[0] != kHeading || (*headingFields)[1] != kVersion)
        Damaged(path, 1, "chybí záhlaví deníku");
    const auto rowCount = Number((*headingFields)[2], kMaxRows);
    const auto created = Number((*headingFields)[3], kMaxTime);
    if (!rowCount || !created) Damaged(path, 1, "chybí záhlaví deníku");
    state.created = sys_seconds(std::chrono::seconds(static_cast<std::int64_t>(*created)));
    for (std::uint64_t i = 0; i < *rowCount; ++i) {
        const auto record = next(whole);
        const auto fields = record ? Fields(*record, 3, true) : std::nullopt;
        const auto index = fields ? Number((*fields)[1], kMaxRows) : std::nullopt;
        auto address = fields ? Unescape((*fields)[3]) : std::nullopt;
        // A row left out may have had no address at all; a row to send has one.
        if (!fields || (*fields)[0] != "ROW" || index != i || !address ||
            ((*fields)[2] != "TO-SEND" && (*fields)[2] != "SKIPPED") ||
            (address->empty() && (*fields)[2] != "SKIPPED"))
            Damaged(path, lineNumber, "seznam adresátů není celý");
        JournalRow row;
        row.address = std::move(*address);
        row.state = (*fields)[2] == "SKIPPED" ? RowState::Skipped : RowState::ToSend;
        state.rows.push_back(std::move(row));
    }
    state.durableLength = pos;

    // The changes: each was flushed before the next was written, so only the last can be torn.
    while (pos < bytes.size()) {
        const std::optional<std::string_view> record = next(whole);
        const std::optional<Change> change = record ? ParseChange(*record) : std::nullopt;
        if (!change) {
            if (pos >= bytes.size()) break;  // the torn last record: it never counted
            Damaged(path, lineNumber, "záznam je poškozený");
        }
        if (const std::string refusal = Refusal(state, *change); !refusal.empty())
            Damaged(path, lineNumber, refusal);
        Apply(state, std::move(*change));
        state.durableLength = pos;
    }
    return state;
}

RunJournal::RunJournal(std::filesystem::path path, FileHandle file, JournalState state)
    : path_(std::move(path)), file_(std::move(file)), state_(std::move(state)) {}

RunJournal RunJournal::Create(const std::filesystem::path& folder, const std::vector<NewRow>& rows,
                              sys_seconds now) {
    std::string text =
        JournalLine(std::string(kHeading) + " " + std::string(kVersion) + " " + std::to_string(rows.size()) +
                    " " + std::to_string(now.time_since_epoch().count()));
    JournalState state;
    state.created = now;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        // The reader takes a row to send without an address for damage: such a journal is not made.
        if (!rows[i].skipped && rows[i].address.empty())
            throw EJournalError(ProgramTextFromUtf8("Deník hromadného odeslání nelze založit: adresát č. " +
                                                    std::to_string(i + 1) + " nemá adresu."));
        text += JournalLine("ROW " + std::to_string(i) + (rows[i].skipped ? " SKIPPED " : " TO-SEND ") +
                            Escape(rows[i].address));
        JournalRow row;
        row.address = rows[i].address;
        row.state = rows[i].skipped ? RowState::Skipped : RowState::ToSend;
        state.rows.push_back(std::move(row));
    }
    state.durableLength = text.size();
    std::filesystem::path path;
    try {
        // Written whole under a temporary name and flushed, then linked to a name no file has.
        SpoolFile spool(folder);
        spool.Append(text);
        path = spool.Commit(FileName(now));
    } catch (const ESpoolFileError& error) {
        throw EJournalError(
            ProgramTextFromUtf8("Deník hromadného odeslání nelze založit: " + error.Message()));
    }
    FileHandle file(::open(path.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC | O_NOFOLLOW));
    if (!file.IsOpen()) Failure("Deník hromadného odeslání nelze otevřít:", path, errno);
    Lock(file, path);
    return RunJournal(path, std::move(file), std::move(state));
}

RunJournal RunJournal::Open(const std::filesystem::path& path) {
    FileHandle file(::open(path.c_str(), O_RDWR | O_APPEND | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK));
    if (!file.IsOpen()) Failure("Deník hromadného odeslání nelze otevřít:", path, errno);
    struct stat info {};
    if (::fstat(file.Get(), &info) != 0) Failure("Deník hromadného odeslání nelze přečíst:", path, errno);
    if (!S_ISREG(info.st_mode)) Failure("Deník hromadného odeslání nelze přečíst:", path, EINVAL);
    if (static_cast<std::uint64_t>(info.st_size) > kMaxJournalBytes)
        Failure("Deník hromadného odeslání nelze přečíst:", path, EFBIG);
    Lock(file, path);
    std::string bytes(static_cast<std::size_t>(info.st_size), '\0');
    std::size_t read = 0;
    while (read < bytes.size()) {
        const ssize_t got =
            ::pread(file.Get(), bytes.data() + read, bytes.size() - read, static_cast<off_t>(read));
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) Failure("Deník hromadného odeslání nelze přečíst:", path, errno);
        if (got == 0) break;
        read += static_cast<std::size_t>(got);
    }
    bytes.resize(read);
    JournalState state = ParseJournal(bytes, path);
    // A torn last record goes, so the next one starts on a line of its own.
    if (state.durableLength < bytes.size() &&
        (::ftruncate(file.Get(), static_cast<off_t>(state.durableLength)) != 0 || ::fsync(file.Get()) != 0))
        Failure("Deník hromadného odeslání nelze opravit:", path, errno);
    return RunJournal(path, std::move(file), std::move(state));
}

std::vector<std::filesystem::path> RunJournal::List(const std::filesystem::path& folder) {
    std::vector<std::filesystem::path> journals;
    std::error_code error;
    for (std::filesystem::directory_iterator entry(folder, error), end; !error && entry != end;
         entry.increment(error)) {
        const std::filesystem::path& path = entry->path();
        std::error_code typeError;
        if (path.extension() == kExtension && entry->is_regular_file(typeError)) journals.push_back(path);
    }
    std::sort(journals.begin(), journals.end());
    return journals;
}

void RunJournal::Record(std::string_view kind, std::size_t row, sys_seconds now, std::string_view reply) {
    if (broken_)
        throw EJournalError(ProgramTextFromUtf8("Do deníku hromadného odeslání " + Quoted(path_) +
                                                " se po chybě zápisu už nezapisuje"));
    Change change{kind, row, now, std::string(reply)};
    if (const std::string refusal = Refusal(state_, change); !refusal.empty())
        throw Exception(ProgramTextFromUtf8("Hromadné odeslání: " + refusal));
    const std::string line = JournalLine(ChangeRecord(change));
    if (!WriteFully(file_.Get(), line) || ::fsync(file_.Get()) != 0) {
        broken_ = true;
        Failure("Do deníku hromadného odeslání nelze zapsat:", path_, errno == 0 ? EIO : errno);
    }
    Apply(state_, std::move(change));
    state_.durableLength += line.size();
}

void RunJournal::Sending(std::size_t row, sys_seconds now) { Record(kSending, row, now, {}); }
void RunJournal::Delivered(std::size_t row, sys_seconds now, std::string_view reply) {
    Record(kDelivered, row, now, reply);
}
void RunJournal::Failed(std::size_t row, sys_seconds now, std::string_view reply) {
    Record(kFailed, row, now, reply);
}
void RunJournal::Retry(std::size_t row, sys_seconds now, std::string_view reply) {
    Record(kRetry, row, now, reply);
}
void RunJournal::Skip(std::size_t row, sys_seconds now) { Record(kSkipped, row, now, {}); }
void RunJournal::SendAgain(std::size_t row, sys_seconds now) { Record(kAgain, row, now, {}); }
void RunJournal::ConfirmDelivered(std::size_t row, sys_seconds now) { Record(kConfirmed, row, now, {}); }

}  // namespace quillory
