// The plan file's reader on a file of any bytes: it either reports damage naming the file, or gives
// a plan that, written again, reads back as the same plan.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "merge/PlanFile.h"
#include "support/FuzzCheck.h"

using namespace quillory;
using quillory::fuzz::Check;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    MergePlan plan;
    try {
        plan = ParsePlan(bytes, "fuzz.plan");
    } catch (const EPlanDamaged& error) {
        Check(error.Message().find("fuzz.plan") != std::string::npos);
        return 0;
    }
    Check(ParsePlan(PlanBytes(plan), "fuzz.plan") == plan);
    return 0;
}
