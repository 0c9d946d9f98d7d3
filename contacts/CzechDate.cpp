#include "contacts/CzechDate.h"

#include <array>
#include <ctime>
#include <string_view>

namespace quillory {

std::string CzechDate(int year, unsigned month, unsigned day) {
    static constexpr std::array<std::string_view, 12> kGenitiveMonths = {
        "ledna", "února", "března", "dubna", "května", "června",
        "července", "srpna", "září", "října", "listopadu", "prosince"};
    const std::string_view name = month >= 1 && month <= 12 ? kGenitiveMonths[month - 1] : "?";
    return std::to_string(day) + ". " + std::string(name) + " " + std::to_string(year);
}

std::string CzechDateToday() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return CzechDate(local.tm_year + 1900, static_cast<unsigned>(local.tm_mon + 1),
                     static_cast<unsigned>(local.tm_mday));
}

}  // namespace quillory
