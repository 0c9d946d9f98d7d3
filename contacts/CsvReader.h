#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace quillory {

// One record of a CSV file: its fields as read (quotes removed, "" made one quote), the line where
// it starts, and whether it is malformed.
struct CsvRecord {
    std::vector<std::string> fields;
    std::size_t line = 0;
    bool bad = false;  // a quote left open, or text after a closing quote
};

// Whether every field of the record is blank.
bool IsBlank(const CsvRecord& record);
// Whether the record has a field that is not blank beyond the first `columns` (more than a header
// names).
bool HasFieldsBeyond(const CsvRecord& record, std::size_t columns);

// Reads the records of a CSV text (RFC 4180: quoted fields with "" for a quote and line breaks
// inside) one by one, counting lines. Fields are separated by commas, semicolons or tabs, whichever
// the first line uses most outside quotes. A malformed record is given as bad, and reading goes on at
// the line after its start (a quote left open may have taken in the rows after it).
class CsvReader {
public:
    explicit CsvReader(std::string_view text);

    bool AtEnd() const { return pos_ >= text_.size(); }
    CsvRecord Next();
    // The next record that is not blank (the header line); a blank one at the end of the text.
    CsvRecord NextNotBlank();

private:
    bool ReadQuoted(std::string& field);
    void SkipLineEnd();
    void SkipLine();

    std::string_view text_;
    char separator_;
    std::size_t pos_ = 0;
    std::size_t line_ = 1;
};

}  // namespace quillory
