// The file copy's failures on a full or read-only destination, reached through the fault
// seam, so they run for every user and without mounts.
#include "platform/FaultInjection.h"
#include "platform/FileCopy.h"

#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <string>

namespace {

using tw::test::readFile;
using tw::test::TempFolder;
using tw::test::writeFile;
namespace fs = std::filesystem;
namespace pf = tw::platform;

class CopySeam : public ::testing::Test {
protected:
    void SetUp() override {
        writeFile(m_temp / "src/a.bin", std::string(3 * 1024 * 1024 + 17, 'a'));
        fs::create_directory(m_temp / "dest");
    }
    void TearDown() override { pf::clearFileFaults(); }
    std::size_t entriesInDest() const {
        std::size_t n = 0;
        for ([[maybe_unused]] const auto& e : fs::directory_iterator(m_temp / "dest"))
            ++n;
        return n;
    }

    TempFolder m_temp;
};

TEST_F(CopySeam, DiskFullMidCopyLeavesNothingAndKeepsAnOldTarget) {
    for (const bool replacing : {false, true}) {
        if (replacing)
            writeFile(m_temp / "dest/a.bin", "old");
        pf::injectFileFault(pf::FileOperation::Write, m_temp / "dest", ENOSPC);
        const pf::CopyResult r = pf::copyFile(m_temp / "src/a.bin", m_temp / "dest/a.bin");
        EXPECT_FALSE(r.ok);
        EXPECT_EQ(r.errorNumber, ENOSPC);
        EXPECT_EQ(entriesInDest(), replacing ? 1u : 0u) << "a temporary file was left";
        if (replacing) {
            EXPECT_EQ(readFile(m_temp / "dest/a.bin"), "old");
        }
    }
}

// The kernel tells of a failed write once: a large file written through to the device as it
// is copied must fail on it then, not be named because a later flush saw nothing.
TEST_F(CopySeam, WriteErrorSeenWhileALargeFileGoesToTheDeviceFailsItAndKeepsAnOldTarget) {
    writeFile(m_temp / "src/large.bin", std::string(pf::copyChunkBytes * 2 + 5, 'L'));
    writeFile(m_temp / "dest/large.bin", "old");
    pf::injectFileFault(pf::FileOperation::Flush, m_temp / "dest", EIO);
    const pf::CopyResult r = pf::copyFile(m_temp / "src/large.bin", m_temp / "dest/large.bin");
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.errorNumber, EIO);
    EXPECT_EQ(readFile(m_temp / "dest/large.bin"), "old");
    EXPECT_EQ(entriesInDest(), 1u) << "a temporary file was left";
}

TEST_F(CopySeam, ReadOnlyDestinationRefusesWithoutCreatingAnything) {
    pf::injectFileFault(pf::FileOperation::Open, m_temp / "dest", EROFS);
    const pf::CopyResult r = pf::copyFile(m_temp / "src/a.bin", m_temp / "dest/a.bin");
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.errorNumber, EROFS);
    EXPECT_EQ(entriesInDest(), 0u);
    // The fault is used up: the next copy goes through whole.
    EXPECT_TRUE(pf::copyFile(m_temp / "src/a.bin", m_temp / "dest/a.bin").ok);
    EXPECT_EQ(readFile(m_temp / "dest/a.bin"), readFile(m_temp / "src/a.bin"));
}

} // namespace
