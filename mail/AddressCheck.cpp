#include "mail/AddressCheck.h"

namespace quillory {

namespace {

enum class TState {
    Start,
    LocalAtom,
    Quoted,
    QuotedEscape,
    QuotedEnd,
    LocalDot,
    DomainStart,
    DomainLabel,
    DomainHyphen
};

// Atom bytes: 0x21 to 0xFF except the specials " ( ) , . / : ; < > @ [ \ ] and delete.
bool IsAtomByte(unsigned char c) {
    if (c < 0x21) return false;
    switch (c) {
    case '"':
    case '(':
    case ')':
    case ',':
    case '.':
    case '/':
    case ':':
    case ';':
    case '<':
    case '>':
    case '@':
    case '[':
    case '\\':
    case ']':
    case 0x7F:
        return false;
    default:
        return true;
    }
}

bool IsLetter(unsigned char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool IsDigit(unsigned char c) { return c >= '0' && c <= '9'; }

// The next state for `c`, or nothing to reject.
bool Step(TState& state, unsigned char c, int& dots) {
    switch (state) {
    case TState::Start:
    case TState::LocalDot:
        if (IsAtomByte(c)) state = TState::LocalAtom;
        else if (c == '"') state = TState::Quoted;
        else return false;
        return true;
    case TState::LocalAtom:
        if (c == '@') state = TState::DomainStart;
        else if (c == '.') state = TState::LocalDot;
        else if (!IsAtomByte(c)) return false;
        return true;
    case TState::Quoted:
        if (c == '\\') state = TState::QuotedEscape;
        else if (c == '"') state = TState::QuotedEnd;
        else if (c == '\r') return false;
        return true;
    case TState::QuotedEscape:
        state = TState::Quoted;
        return true;
    case TState::QuotedEnd:
        if (c == '@') state = TState::DomainStart;
        else if (c == '.') state = TState::LocalDot;
        else return false;
        return true;
    case TState::DomainStart:
        if (!IsLetter(c)) return false;
        state = TState::DomainLabel;
        return true;
    case TState::DomainLabel:
        if (c == '.') {
            ++dots;
            state = TState::DomainStart;
        } else if (c == '-') {
            state = TState::DomainHyphen;
        } else if (!IsLetter(c) && !IsDigit(c)) {
            return false;
        }
        return true;
    case TState::DomainHyphen:
        if (IsLetter(c) || IsDigit(c)) state = TState::DomainLabel;
        else if (c != '-') return false;
        return true;
    }
    return false;
}

}  // namespace

bool CheckEmailAddress(std::string_view text) {
    TState state = TState::Start;
    int dots = 1;
    for (const char c : text) {
        if (!Step(state, static_cast<unsigned char>(c), dots)) return false;
    }
    return state == TState::DomainLabel && dots >= 2;
}

}  // namespace quillory
