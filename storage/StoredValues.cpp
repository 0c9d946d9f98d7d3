#include "storage/StoredValues.h"

#include "core/Exception.h"
#include "storage/Scramble.h"
#include "storage/StrUtil.h"

namespace quillory {

namespace {

[[noreturn]] void ThrowDuplicate() { throw Exception("String list does not allow duplicates"); }

}  // namespace

void TStoredValue::SetName(std::string name) {
    const TStoredValue* other = owner_.FindValue(name);
    if (other != nullptr && other != this) ThrowDuplicate();
    name_ = std::move(name);
}

void TStoredValue::WriteToIni(TIniValueAccess& ini) const {
    TVariant copy = Value;
    if (OnSave) OnSave(const_cast<TStoredValue&>(*this), copy);
    std::string text = VarToStr(copy);
    if (!KeyString.empty()) text = ScrambleHex(KeyString, text);
    ini.WriteIniValue(name_, text);
}

void TStoredValue::ReadFromIni(TIniValueAccess& ini) {
    std::string defaultText = VarToStr(Value);
    if (!KeyString.empty()) defaultText = ScrambleHex(KeyString, defaultText);
    std::string text = ini.ReadIniValue(name_, defaultText);
    if (!KeyString.empty()) text = UnscrambleHex(KeyString, text);
    TVariant restored = std::move(text);
    if (OnRestore) OnRestore(*this, restored);
    Value = std::move(restored);
}

TStoredValue& TStoredValues::Add(std::string name, TVariant value, std::string keyString) {
    if (FindValue(name) != nullptr) ThrowDuplicate();
    items_.push_back(std::unique_ptr<TStoredValue>(new TStoredValue(*this, std::move(name))));
    items_.back()->Value = std::move(value);
    items_.back()->KeyString = std::move(keyString);
    return *items_.back();
}

TStoredValue* TStoredValues::FindValue(std::string_view name) {
    for (const auto& item : items_) {
        if (SameText(item->Name(), name)) return item.get();
    }
    return nullptr;
}

const TStoredValue* TStoredValues::FindValue(std::string_view name) const {
    return const_cast<TStoredValues*>(this)->FindValue(name);
}

TVariant TStoredValues::ReadStoredValue(std::string_view name) const {
    TStoredValue* item = const_cast<TStoredValues*>(this)->FindValue(name);
    if (item == nullptr) return TVariant(TNull{});
    if (item->OnUse) item->OnUse(*item);
    return item->Value;
}

void TStoredValues::WriteStoredValue(std::string_view name, TVariant value) {
    if (TStoredValue* item = FindValue(name)) {
        if (item->OnUse) item->OnUse(*item);
        item->Value = std::move(value);
    } else {
        Add(std::string(name), std::move(value));
    }
}

void TStoredValues::WriteAllValues(TIniValueAccess& ini) const {
    for (const auto& item : items_) item->WriteToIni(ini);
}

void TStoredValues::ReadAllValues(TIniValueAccess& ini) {
    for (const auto& item : items_) item->ReadFromIni(ini);
}

}  // namespace quillory
