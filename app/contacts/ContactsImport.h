#pragma once

#include <QString>

#include <vector>

#include "app/contacts/AddressBookStore.h"

namespace quillory {

// How the import of one file went.
struct ImportFileResult {
    QString fileName;  // without its folder
    bool vCard = false;
    QString problem;  // why nothing was imported; empty when the file was read
    ImportCounts counts;
};

// Reads the contacts of the .vcf or .csv file at `path` (a file of another name is told by its
// content) and merges them into `store` by address. Raises EFCreateError when the book's file cannot
// be written.
ImportFileResult ImportContactsFile(AddressBookStore& store, const QString& path);

// The Czech summary of an import: per file what was added, merged and skipped.
QString ImportSummary(const std::vector<ImportFileResult>& results);

}  // namespace quillory
