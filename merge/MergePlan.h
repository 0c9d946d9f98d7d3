#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

#include "contacts/Placeholders.h"

namespace quillory {

// A file that goes out with every message of the run.
struct SharedAttachment {
    std::string path;         // as the file system names it
    std::string contentType;  // "application/pdf"; empty: found from the name
    bool operator==(const SharedAttachment&) const = default;
};

// The message the main window composed, before its placeholders are filled. Texts are the
// program's 8-bit text (either form, core/ProgramText.h), exactly as the main window holds them.
struct MergeMessage {
    std::string sender;   // the sender field: "Jan Novák <jan@firma.cz>" or a bare address
    std::string subject;  // with its placeholders ("Faktura {číslo faktury}")
    // The preview's text as assembled (GenerateEmailText), not yet filled: lines joined by CR LF.
    std::string body;
    std::string copies;  // the copy field as typed ("a@b.cz; Jan <c@d.cz>"); empty: no copies
    std::vector<SharedAttachment> attachments;
    bool operator==(const MergeMessage&) const = default;
};

struct MergeOptions {
    // A commercial message: an unsubscribe line with the sender's address ends the text, and the
    // message carries "List-Unsubscribe: <mailto:…>". Off unless the user asks for it.
    bool unsubscribe = false;
    bool operator==(const MergeOptions&) const = default;
};

// One recipient of the run. Texts are UTF-8.
struct MergeRow {
    std::string address;  // trimmed; maybe no usable address (the check tells)
    std::string name;     // the display name for the To field ("Ing. Jan Novák"); empty: none
    // The row's placeholders: the book's entry of the address (or of none) and the CSV's columns
    // on top; {oslovení} is the greeting as it will read.
    PlaceholderValues values;
    // The recipient has a first name or a surname, so a neutral greeting is a fault of the data.
    bool named = false;
    // The row's own file, on top of the shared attachments (AssignFiles); empty: none.
    std::filesystem::path file;
    // Why no file could be given by the pattern or the column (UTF-8, Czech), for the check.
    std::string fileProblem;
    std::size_t csvLine = 0;   // the CSV line the row came from (1-based); 0: from the book
    int mergedDuplicates = 0;  // further rows of the same address merged into this one
    bool skipped = false;      // unticked in the check table: it gets no message
    bool operator==(const MergeRow&) const = default;
};

// Everything a run sends: the message and one row per recipient, in the order they go. The row
// index is the index of the run's journal row.
struct MergePlan {
    MergeMessage message;
    MergeOptions options;
    std::vector<MergeRow> rows;
    bool operator==(const MergePlan&) const = default;
};

// Appends `more` to `rows`; a row whose address (compared as AddressKey does) is there already is
// merged into that row and shown once: the first row keeps its values and takes from the later
// one only the placeholders it lacks or has empty (and its file when it has none), and counts it
// in mergedDuplicates. A row without a usable address is never merged.
void AddRows(std::vector<MergeRow>& rows, std::vector<MergeRow> more);

// Where each row's own file comes from.
struct RowFiles {
    enum class Kind {
        None,     // no file of its own
        Pattern,  // `folder` / `pattern` filled with the row's placeholders: "{firma}.pdf"
        Column,   // the path in the CSV column `column`; a relative one is taken from `folder`
    };
    Kind kind = Kind::None;
    std::filesystem::path folder;
    std::string pattern;  // UTF-8
    std::string column;   // UTF-8, the column's name as the header has it
};

// Gives every row its file as `files` says (clearing files given before). A name whose
// placeholder is empty, or whose value would lead out of the folder ("/", ".."), gives no file and
// a fileProblem instead.
void AssignFiles(std::vector<MergeRow>& rows, const RowFiles& files);

}  // namespace quillory
