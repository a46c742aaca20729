// The two ways of reading a whole file agree: the same bytes, the same
// refusals with the same reasons, whether the file is mapped or read.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <thread>

#include "io/ByteReader.h"
#include "support/TestSupport.h"

namespace pictoform {
namespace {

TEST(FileRead, MappedAndReadAgreeOnBytesLimitsAndFailures) {
    test::TempDir dir;
    std::vector<uint8_t> bytes(5000);
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(i * 7);
    test::WriteBytes(dir.File("five"), bytes);
    test::WriteBytes(dir.File("empty"), {});
    struct Case {
        std::string path;
        size_t limit;
        std::string reason; // empty: read
    };
    // /proc files say they are empty and are read to their end instead.
    const Case cases[] = {{dir.File("five"), 5000, ""},
                          {dir.File("five"), 4999, "file is larger than 4999 bytes"},
                          {dir.File("empty"), 10, ""},
                          {"/proc/self/cmdline", 1 << 20, ""},
                          {dir.File("none"), 10, "No such file or directory"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path + " limit " + std::to_string(c.limit));
        std::vector<uint8_t> read;
        std::string readReason, mappedReason;
        const bool readOk = ReadWholeFile(c.path, c.limit, read, readReason);
        MappedFile mapped;
        const bool mappedOk = mapped.Open(c.path, c.limit, mappedReason);
        EXPECT_EQ(std::pair(readOk, readReason), std::pair(c.reason.empty(), c.reason));
        EXPECT_EQ(std::pair(mappedOk, mappedReason), std::pair(c.reason.empty(), c.reason));
        const std::span<const uint8_t> got = mapped.Bytes();
        EXPECT_EQ(std::vector<uint8_t>(got.begin(), got.end()), read);
        if (c.path == dir.File("five") && readOk) {
            EXPECT_EQ(read, bytes);
        }
    }
}

// A pipe's bytes come once: the file that could not be mapped is read from
// the same opening.
TEST(FileRead, APipeIsReadFromTheOpeningThatFoundIt) {
    test::TempDir dir;
    const std::string fifo = dir.File("pipe");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::vector<uint8_t> sent(3000, 42);
    std::thread writer([&] { test::WriteBytes(fifo, sent); });
    MappedFile mapped;
    std::string reason;
    const bool ok = mapped.Open(fifo, 10000, reason);
    writer.join();
    ASSERT_TRUE(ok) << reason;
    EXPECT_EQ(std::vector<uint8_t>(mapped.Bytes().begin(), mapped.Bytes().end()), sent);
}

} // namespace
} // namespace pictoform
