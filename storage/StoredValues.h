#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "storage/IniValueAccess.h"
#include "storage/Variant.h"

namespace quillory {

class TStoredValues;

// One named value kept by the form storage, written to its INI key scrambled with KeyString (in
// plain when KeyString is empty).
class TStoredValue {
public:
    using TEvent = std::function<void(TStoredValue& sender, TVariant& value)>;

    const std::string& Name() const { return name_; }
    // Raises Exception "String list does not allow duplicates" when another value of the same
    // collection has that name (ignoring case); the old name then stays.
    void SetName(std::string name);

    TVariant Value;
    std::string KeyString;
    TEvent OnSave;     // may change the copy that is written
    TEvent OnRestore;  // may change the value that is kept
    // Called before ReadStoredValue or WriteStoredValue reaches the value by name, so that a
    // restore that is slow (one put off from OnRestore) completes on its first use only.
    std::function<void(TStoredValue& sender)> OnUse;

    void WriteToIni(TIniValueAccess& ini) const;
    // After it the value is a text, whatever kind it held before.
    void ReadFromIni(TIniValueAccess& ini);

private:
    friend class TStoredValues;
    TStoredValue(TStoredValues& owner, std::string name) : owner_(owner), name_(std::move(name)) {}

    TStoredValues& owner_;
    std::string name_;
};

// The storage's values in order; each name unique ignoring case.
class TStoredValues {
public:
    TStoredValues() = default;
    TStoredValues(const TStoredValues&) = delete;
    TStoredValues& operator=(const TStoredValues&) = delete;

    // Raises Exception "String list does not allow duplicates" for a name already present.
    TStoredValue& Add(std::string name, TVariant value = {}, std::string keyString = {});
    TStoredValue* FindValue(std::string_view name);
    const TStoredValue* FindValue(std::string_view name) const;
    std::size_t Count() const { return items_.size(); }
    TStoredValue& operator[](std::size_t index) { return *items_[index]; }

    // A copy of the named value; a null variant when there is none. The INI file is not touched.
    TVariant ReadStoredValue(std::string_view name) const;
    // Sets the named value, adding it (with an empty KeyString) when there is none.
    void WriteStoredValue(std::string_view name, TVariant value);

    void WriteAllValues(TIniValueAccess& ini) const;
    void ReadAllValues(TIniValueAccess& ini);

private:
    std::vector<std::unique_ptr<TStoredValue>> items_;
};

}  // namespace quillory
