// Reading a whole file the user chose: only a regular file within the reader's limit is read, and
// a failure says which error number it stands for.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <string>

#include "storage/RegularFile.h"

namespace quillory {
namespace {

TEST(RegularFileTest, ReadsARegularFileWithinTheLimitAndNamesEachFailure) {
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("quillory-regular-" + std::to_string(::getpid()));
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    std::ofstream(folder / "ten", std::ios::binary) << "0123456789";
    ASSERT_EQ(::mkfifo((folder / "fifo").c_str(), 0600), 0);

    struct Case {
        const char* name;
        std::size_t limit;
        TReadResult::TFailure failure;
        int errorNumber;
        std::string bytes;
    };
    const Case cases[] = {
        {"ten", 10, TReadResult::TFailure::None, 0, "0123456789"},
        {"ten", 9, TReadResult::TFailure::TooLarge, EFBIG, ""},
        {"fifo", 10, TReadResult::TFailure::NotRegular, EINVAL, ""},  // never waits for a writer
        {"missing", 10, TReadResult::TFailure::System, ENOENT, ""},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(std::string(test.name) + " " + std::to_string(test.limit));
        std::string bytes = "stale";
        const TReadResult read = ReadRegularFile(folder / test.name, test.limit, bytes);
        EXPECT_EQ(read.failure, test.failure);
        EXPECT_EQ(read.ErrorNumber(), test.errorNumber);
        EXPECT_EQ(bytes, test.bytes);
    }
    std::filesystem::remove_all(folder);
}

}  // namespace
}  // namespace quillory
