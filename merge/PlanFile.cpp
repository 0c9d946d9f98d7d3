#include "merge/PlanFile.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <system_error>

#include "core/ProgramText.h"
#include "merge/RecordLine.h"
#include "storage/RegularFile.h"
#include "storage/SpoolFile.h"

namespace quillory {
namespace {

using record::Fields;
using record::Number;

constexpr std::string_view kHeading = "QUILLORY-MERGE-PLAN";
// The first version has no pace: a plan without one is still written in it, so that it reads as
// it always did.
constexpr std::string_view kVersion = "1";
constexpr std::string_view kVersionWithPace = "2";
constexpr std::uint64_t kMaxLimit = 100'000'000;  // of a pace's figures
constexpr std::string_view kExtension = ".plan";
constexpr std::uint64_t kMaxRows = 1'000'000;
constexpr std::uint64_t kMaxCount = 100'000;  // attachments of the message, placeholders of a row
constexpr std::uint64_t kMaxLine = 100'000'000;
constexpr std::size_t kMaxPlanBytes = std::size_t(1) << 30;

// A text as one field of a record: "=" and the text escaped, blanks too, so that an empty text is
// a field as well.
std::string Field(std::string_view text) {
    std::string field = "=";
    for (const char ch : record::Escape(text)) {
        if (ch == ' ') field += "\\x20";
        else field += ch;
    }
    return field;
}

std::optional<std::string> Text(std::string_view field) {
    if (field.empty() || field.front() != '=') return std::nullopt;
    return record::Unescape(field.substr(1));
}

std::string Flag(bool value) { return value ? "1" : "0"; }

std::string Quoted(const std::filesystem::path& path) { return "„" + path.string() + "“"; }

// Reads the plan's records in order, each checked against its CRC-32; any defect is damage.
class PlanReader {
public:
    PlanReader(std::string_view bytes, const std::filesystem::path& path) : bytes_(bytes), path_(path) {}

    // The next record split into `count` fields, the first being `kind`.
    std::vector<std::string_view> Next(std::string_view kind, std::size_t count) {
        ++line_;
        const std::size_t end = bytes_.find('\n', pos_);
        if (end == std::string_view::npos) Damaged("soubor není celý");
        const auto record = record::Checked(bytes_.substr(pos_, end - pos_));
        pos_ = end + 1;
        if (!record) Damaged("záznam je poškozený");
        auto fields = Fields(*record, count, false);
        if (!fields || (*fields)[0] != kind) Damaged("záznam je poškozený");
        return std::move(*fields);
    }
    std::string TextOf(std::string_view field) {
        auto text = Text(field);
        if (!text) Damaged("záznam je poškozený");
        return std::move(*text);
    }
    std::uint64_t NumberOf(std::string_view field, std::uint64_t max) {
        const auto number = Number(field, max);
        if (!number) Damaged("záznam je poškozený");
        return *number;
    }
    bool FlagOf(std::string_view field) { return NumberOf(field, 1) == 1; }
    void End() {
        if (pos_ != bytes_.size()) {
            ++line_;
            Damaged("za koncem plánu následuje další text");
        }
    }
    [[noreturn]] void Damaged(const std::string& reason) const {
        throw EPlanDamaged(ProgramTextFromUtf8(
            "Plán hromadného odeslání " + Quoted(path_) + " je poškozený na řádku " + std::to_string(line_) +
            " (" + reason + "). Soubor zůstává, jak je; rozeslání z něj nelze navázat"));
    }

private:
    std::string_view bytes_;
    const std::filesystem::path& path_;
    std::size_t pos_ = 0;
    std::size_t line_ = 0;
};

[[noreturn]] void Failure(const std::string& what, const std::filesystem::path& path, int error) {
    throw EPlanError(ProgramTextFromUtf8(what + " " + Quoted(path) + ": ") + std::strerror(error));
}

std::string ReadWhole(const std::filesystem::path& path) {
    std::string bytes;
    const TReadResult result = ReadRegularFile(path, kMaxPlanBytes, bytes);
    if (!result) Failure("Plán hromadného odeslání nelze přečíst:", path, result.ErrorNumber());
    return bytes;
}

}  // namespace

std::filesystem::path PlanPath(const std::filesystem::path& journalPath) {
    std::filesystem::path path = journalPath;
    return path.replace_extension(kExtension);
}

std::string PlanBytes(const MergePlan& plan) {
    const MergeMessage& message = plan.message;
    std::string bytes = record::Line(
        std::string(kHeading) + " " + std::string(plan.limits ? kVersionWithPace : kVersion) + " " +
        std::to_string(plan.rows.size()) + " " + std::to_string(message.attachments.size()));
    bytes += record::Line("MESSAGE " + Field(message.sender) + " " + Field(message.subject) + " " +
                          Field(message.copies) + " " + Flag(plan.options.unsubscribe));
    if (plan.limits) {
        const auto figure = [](int limit) {
            return std::to_string(std::clamp<long long>(limit, 0, kMaxLimit));
        };
        const SendingLimits& limits = *plan.limits;
        bytes +=
            record::Line("PACE " + figure(limits.messagesPerMinute) + " " + figure(limits.messagesPerHour) +
                         " " + figure(limits.messagesPerDay) + " " + figure(limits.recipientsPerDay));
    }
    bytes += record::Line("BODY " + Field(message.body));
    for (const SharedAttachment& file : message.attachments)
        bytes += record::Line("ATTACH " + Field(file.path) + " " + Field(file.contentType));
    for (std::size_t i = 0; i < plan.rows.size(); ++i) {
        const MergeRow& row = plan.rows[i];
        std::size_t count = 0;
        row.values.ForEach([&count](const std::string&, const std::string&) { ++count; });
        bytes +=
            record::Line("ROW " + std::to_string(i) + " " + Field(row.address) + " " + Field(row.name) + " " +
                         Field(row.file.string()) + " " + Field(row.fileProblem) + " " + Flag(row.named) +
                         " " + std::to_string(row.csvLine) + " " + std::to_string(row.mergedDuplicates) +
                         " " + Flag(row.skipped) + " " + std::to_string(count));
        row.values.ForEach([&bytes](const std::string& name, const std::string& value) {
            bytes += record::Line("VALUE " + Field(name) + " " + Field(value));
        });
    }
    bytes += record::Line("END " + std::to_string(plan.rows.size()));
    return bytes;
}

MergePlan ParsePlan(std::string_view bytes, const std::filesystem::path& path) {
    PlanReader reader(bytes, path);
    const auto heading = reader.Next(kHeading, 4);
    const bool paced = heading[1] == kVersionWithPace;
    if (heading[1] != kVersion && !paced) reader.Damaged("neznámá verze plánu");
    const std::uint64_t rows = reader.NumberOf(heading[2], kMaxRows);
    const std::uint64_t attachments = reader.NumberOf(heading[3], kMaxCount);

    MergePlan plan;
    MergeMessage& message = plan.message;
    const auto head = reader.Next("MESSAGE", 5);
    message.sender = reader.TextOf(head[1]);
    message.subject = reader.TextOf(head[2]);
    message.copies = reader.TextOf(head[3]);
    plan.options.unsubscribe = reader.FlagOf(head[4]);
    if (paced) {
        const auto pace = reader.Next("PACE", 5);
        const auto figure = [&](std::size_t i) {
            return static_cast<int>(reader.NumberOf(pace[i], kMaxLimit));
        };
        plan.limits = SendingLimits{figure(1), figure(2), figure(3), figure(4)};
    }
    message.body = reader.TextOf(reader.Next("BODY", 2)[1]);
    for (std::uint64_t i = 0; i < attachments; ++i) {
        const auto fields = reader.Next("ATTACH", 3);
        message.attachments.push_back({reader.TextOf(fields[1]), reader.TextOf(fields[2])});
    }
    for (std::uint64_t i = 0; i < rows; ++i) {
        const auto fields = reader.Next("ROW", 11);
        if (reader.NumberOf(fields[1], kMaxRows) != i) reader.Damaged("řádky nejsou v pořadí");
        MergeRow row;
        row.address = reader.TextOf(fields[2]);
        row.name = reader.TextOf(fields[3]);
        row.file = reader.TextOf(fields[4]);
        row.fileProblem = reader.TextOf(fields[5]);
        row.named = reader.FlagOf(fields[6]);
        row.csvLine = reader.NumberOf(fields[7], kMaxLine);
        row.mergedDuplicates = static_cast<int>(reader.NumberOf(fields[8], kMaxRows));
        row.skipped = reader.FlagOf(fields[9]);
        const std::uint64_t values = reader.NumberOf(fields[10], kMaxCount);
        for (std::uint64_t v = 0; v < values; ++v) {
            const auto value = reader.Next("VALUE", 3);
            std::string name = reader.TextOf(value[1]);
            if (row.values.Find(name)) reader.Damaged("zástupný údaj se opakuje");
            row.values.Set(std::move(name), reader.TextOf(value[2]));
        }
        plan.rows.push_back(std::move(row));
    }
    if (reader.NumberOf(reader.Next("END", 2)[1], kMaxRows) != rows)
        reader.Damaged("konec neodpovídá záhlaví");
    reader.End();
    return plan;
}

void SavePlan(const MergePlan& plan, const std::filesystem::path& journalPath) {
    const std::filesystem::path path = PlanPath(journalPath);
    std::filesystem::path written;
    try {
        // Written whole under a temporary name and flushed, then linked to a name no file has.
        SpoolFile spool(path.parent_path());
        spool.Append(PlanBytes(plan));
        written = spool.Commit(path.filename().string());
    } catch (const ESpoolFileError& error) {
        throw EPlanError(ProgramTextFromUtf8("Plán hromadného odeslání nelze uložit: " + error.Message()));
    }
    if (written != path) {
        // The name was taken: the file there stays, the new one goes.
        std::error_code ignored;
        std::filesystem::remove(written, ignored);
        Failure("Plán hromadného odeslání nelze uložit:", path, EEXIST);
    }
}

MergePlan LoadPlan(const std::filesystem::path& journalPath) {
    const std::filesystem::path path = PlanPath(journalPath);
    return ParsePlan(ReadWhole(path), path);
}

RunJournal CreateRun(const std::filesystem::path& folder, const MergePlan& plan,
                     std::chrono::sys_seconds now) {
    std::vector<RunJournal::NewRow> rows;
    rows.reserve(plan.rows.size());
    for (const MergeRow& row : plan.rows) rows.push_back({row.address, row.skipped});
    RunJournal journal = RunJournal::Create(folder, rows, now);
    try {
        SavePlan(plan, journal.Path());
    } catch (const EPlanError&) {
        // A journal without its plan could not go on: nothing was sent from it yet.
        std::error_code ignored;
        std::filesystem::remove(journal.Path(), ignored);
        throw;
    }
    return journal;
}

}  // namespace quillory
