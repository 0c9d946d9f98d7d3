#pragma once

namespace quillory::fuzz {

// Stops the run at once when a property of the reader does not hold (the fuzzer keeps the input).
inline void Check(bool condition) {
    if (!condition) __builtin_trap();
}

}  // namespace quillory::fuzz
