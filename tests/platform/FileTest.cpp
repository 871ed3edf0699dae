#include "platform/File.h"
#include "platform/FileError.h"

#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

namespace tw::platform {
namespace {

using test::TempFolder;

TEST(InputFile, MissingFileAndFolderThrowFileErrorWithPath) {
    TempFolder tmp;
    try {
        InputFile f(tmp / "missing.m3u");
        FAIL() << "no exception";
    } catch (const FileError& e) {
        EXPECT_EQ(e.path(), tmp / "missing.m3u");
    }
    EXPECT_THROW(InputFile{tmp.path()}, FileError);
    // A named pipe without a writer is refused at once instead of hanging the open.
    ASSERT_EQ(std::system(("mkfifo '" + tmp / "pipe.m3u" + "'").c_str()), 0);
    EXPECT_THROW(InputFile{tmp / "pipe.m3u"}, FileError);
}

TEST(InputFile, ReadOnlyFileIsReadAndStaysReadOnly) {
    TempFolder tmp;
    test::writeFile(tmp / "list.m3u", "abc");
    namespace fs = std::filesystem;
    fs::permissions(tmp / "list.m3u", fs::perms::owner_read);
    {
        InputFile f(tmp / "list.m3u");
        char buf[8];
        EXPECT_EQ(f.read(buf, sizeof buf), 3u);
        EXPECT_EQ(f.read(buf, sizeof buf), 0u);
        EXPECT_EQ(f.size(), 3);
    }
    EXPECT_EQ(fs::status(tmp / "list.m3u").permissions(), fs::perms::owner_read);
}

TEST(OutputFile, AppendKeepsEarlierBytesTruncateDropsThem) {
    TempFolder tmp;
    {
        OutputFile f(tmp / "log", OutputFile::Mode::Append);
        f.write("one\r\n");
        f.close();
    }
    {
        OutputFile f(tmp / "log", OutputFile::Mode::Append);
        f.write("two\r\n");
    }
    EXPECT_EQ(test::readFile(tmp / "log"), "one\r\ntwo\r\n");
    {
        OutputFile f(tmp / "log", OutputFile::Mode::Truncate);
        f.write("x");
    }
    EXPECT_EQ(test::readFile(tmp / "log"), "x");
    EXPECT_THROW(OutputFile(tmp / "no/such/folder/log", OutputFile::Mode::Append), FileError);
}

TEST(FileHandle, MoveLeavesOneOwner) {
    TempFolder tmp;
    test::writeFile(tmp / "f", "x");
    InputFile a(tmp / "f");
    InputFile b = std::move(a);
    char c = 0;
    EXPECT_EQ(b.read(&c, 1), 1u);
    EXPECT_EQ(c, 'x');
}

} // namespace
} // namespace tw::platform
