#pragma once

#include <filesystem>
#include <string>

#include "merge/RunJournal.h"

namespace quillory {

// The report of a run as a spreadsheet reads it: a header line, then one line per row with its
// address, its state in words, the time of its last change (local time, "2026-12-11 09:30:05";
// empty while untouched) and the server's reply. UTF-8 with a byte order mark, fields separated
// by ";" as a spreadsheet set to Czech expects, lines ended by CR LF; a field holding ";", a
// quote or a line end is quoted (RFC 4180).
std::string RunReportCsv(const JournalState& state);

// The state of a row in the report's words (UTF-8): "odesláno", "možná odesláno", …
std::string RowStateText(const JournalRow& row);

// Writes the report beside the journal, named as the journal with ".csv"
// ("hromadne-odeslani-20261211-093000.csv"), readable by the user only, replacing an earlier
// report of the same run whole. Returns its path; raises EJournalError when it cannot be written.
std::filesystem::path WriteRunReport(const RunJournal& journal);

}  // namespace quillory
