#pragma once

#include <string>
#include <string_view>

namespace quillory {

// Value access in the storage's own section, inside or outside a save or restore cycle: what the
// stored values and stored properties read and write through.
class TIniValueAccess {
public:
    virtual ~TIniValueAccess() = default;
    virtual std::string ReadIniValue(std::string_view key, std::string_view defaultValue) = 0;
    virtual void WriteIniValue(std::string_view key, std::string_view text) = 0;
};

}  // namespace quillory
