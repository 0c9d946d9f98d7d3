#include "storage/Variant.h"

#include <charconv>

#include "storage/StrUtil.h"

namespace quillory {

namespace {

template <class... Ts>
struct TOverloaded : Ts... {
    using Ts::operator()...;
};
// Spelled out for compilers without class template argument deduction for aggregates (clang 14).
template <class... Ts>
TOverloaded(Ts...) -> TOverloaded<Ts...>;

}  // namespace

std::string VarToStr(const TVariant& value) {
    return std::visit(TOverloaded{
                          [](std::monostate) { return std::string(); },
                          [](TNull) { return std::string(); },
                          [](const std::string& text) { return text; },
                          [](bool flag) { return std::string(flag ? "True" : "False"); },
                          [](std::int64_t number) { return std::to_string(number); },
                      },
                      value);
}

bool VarToBool(const TVariant& value) {
    return std::visit(TOverloaded{
                          [](std::monostate) { return false; },
                          [](TNull) { return false; },
                          [](const std::string& text) {
                              const std::string_view trimmed = TrimBlanks(text);
                              if (SameText(trimmed, "true")) return true;
                              std::int64_t number = 0;
                              const auto [end, error] =
                                  std::from_chars(trimmed.data(), trimmed.data() + trimmed.size(), number);
                              return error == std::errc() && end == trimmed.data() + trimmed.size() &&
                                     number != 0;
                          },
                          [](bool flag) { return flag; },
                          [](std::int64_t number) { return number != 0; },
                      },
                      value);
}

}  // namespace quillory
