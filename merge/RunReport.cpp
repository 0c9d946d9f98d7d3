#include "merge/RunReport.h"

#include <cstring>
#include <ctime>

#include "core/Win1250.h"
#include "storage/AtomicFile.h"

namespace quillory {
namespace {

std::string Field(const std::string& text) {
    if (text.find_first_of(";\"\r\n") == std::string::npos) return text;
    std::string quoted = "\"";
    for (const char c : text) {
        if (c == '"') quoted += '"';
        quoted += c;
    }
    return quoted + "\"";
}

std::string LocalTime(std::chrono::sys_seconds time) {
    if (time == std::chrono::sys_seconds{}) return {};
    const std::time_t seconds = std::chrono::system_clock::to_time_t(time);
    std::tm local{};
    localtime_r(&seconds, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
    return text;
}

}  // namespace

std::string RowStateText(const JournalRow& row) {
    switch (row.state) {
    case RowState::ToSend:
        return "neodesláno";
    case RowState::Sending:
        return "možná odesláno";
    case RowState::Delivered:
        return row.byUser ? "odesláno (potvrzeno uživatelem)" : "odesláno";
    case RowState::Failed:
        return "odmítnuto";
    case RowState::Skipped:
        return "vynecháno";
    }
    return {};
}

std::string RunReportCsv(const JournalState& state) {
    std::string csv =
        "\xEF\xBB\xBF"
        "Adresa;Stav;Čas;Odpověď serveru\r\n";
    for (const JournalRow& row : state.rows)
        csv += Field(row.address) + ";" + Field(RowStateText(row)) + ";" + LocalTime(row.time) + ";" +
               Field(row.reply) + "\r\n";
    return csv;
}

std::filesystem::path WriteRunReport(const RunJournal& journal) {
    std::filesystem::path path = journal.Path();
    path.replace_extension(".csv");
    TReplaceOptions options;
    options.mode = 0600;
    if (const TReplaceResult written = ReplaceFileWhole(path, RunReportCsv(journal.State()), options);
        !written)
        throw EJournalError(
            Utf8ToWin1250("Zprávu o hromadném odeslání " + path.string() + " nelze zapsat: ") +
            std::strerror(written.error));
    return path;
}

}  // namespace quillory
