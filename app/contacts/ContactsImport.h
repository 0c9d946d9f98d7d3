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
    QString group;    // the group every entry of the file joined; empty: none
    ImportCounts counts;
};

// Reads the contacts of the .vcf or .csv file at `path` (a file of another name is told by its
// content) and merges them into `store` by address; with a `group`, every entry the file holds joins
// it (also one already in the book).
ImportFileResult ImportContactsFile(AddressBookStore& store, const QString& path, const QString& group = {});

// The Czech summary of an import: per file what was added, merged and skipped.
QString ImportSummary(const std::vector<ImportFileResult>& results);

}  // namespace quillory
