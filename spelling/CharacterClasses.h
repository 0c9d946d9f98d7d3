#pragma once

namespace quillory {

// What a UTF-16 code unit is to the spell checker's word rules, by its Unicode general category:
// a letter (L*), a combining mark (M*), a decimal digit (Nd), another number (Nl, No: "Ⅻ", "½"),
// white space (Z* and the control characters tab to carriage return and next line) or other
// (punctuation, symbols, controls, surrogate halves).
enum class CharacterClass : unsigned char { Other, Letter, Mark, Digit, Number, Space };

CharacterClass ClassOf(char16_t unit);

// A letter, a combining mark that may follow one, or a number.
inline bool IsWordCharacter(char16_t unit) {
    return ClassOf(unit) != CharacterClass::Other && ClassOf(unit) != CharacterClass::Space;
}
inline bool IsNumber(char16_t unit) {
    const CharacterClass kind = ClassOf(unit);
    return kind == CharacterClass::Digit || kind == CharacterClass::Number;
}
inline bool IsSpace(char16_t unit) { return ClassOf(unit) == CharacterClass::Space; }

}  // namespace quillory
