#include "about/MhtArchive.h"

#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

using tw::about::decodeBase64;
using tw::about::decodeQuotedPrintable;
using tw::about::MhtArchive;

namespace {

// A two-part archive: the page in quoted-printable, a picture in base64.
std::string archive(const std::string& boundaryParameter, const std::string& boundaryInBody,
                    const std::string& page) {
    return "MIME-Version: 1.0\r\n"
           "Content-Type: multipart/related;\r\n\tboundary=\"" +
           boundaryParameter +
           "\"; type=\"text/html\"\r\n"
           "\r\n"
           "preamble\r\n"
           "--" +
           boundaryInBody +
           "\r\n"
           "Content-Type: text/html; charset=\"utf-8\"\r\n"
           "Content-Transfer-Encoding: quoted-printable\r\n"
           "Content-Location: page.htm\r\n"
           "\r\n" +
           page +
           "\r\n"
           "--" +
           boundaryInBody +
           "\r\n"
           "content-type: IMAGE/PNG\r\n"
           "content-transfer-encoding: BASE64\r\n"
           "Content-Location: pic.png\r\n"
           "Content-ID: <pic@tunewagon>\r\n"
           "\r\n"
           "iVBORw0KGgo=\r\n"
           "--" +
           boundaryInBody + "--\r\n";
}

} // namespace

TEST(MhtArchiveTest, ShippedBannerHasPageWithNameAndDecodablePictureItRefersTo) {
    const auto banner = MhtArchive::readFile(TW_BANNER_FILE);
    ASSERT_TRUE(banner.has_value());
    const std::string html = banner->pageHtml();
    EXPECT_NE(html.find("<b>Tunewagon</b>"), std::string::npos);
    EXPECT_NE(html.find("src=\"wagon.png\""), std::string::npos); // soft breaks undone
    EXPECT_EQ(html.find("=3D"), std::string::npos);
    ASSERT_EQ(banner->parts().size(), 2u);
    const auto& picture = banner->parts()[1];
    EXPECT_EQ(picture.contentType, "image/png");
    EXPECT_EQ(picture.contentLocation, "file:///Tunewagon/Source/wagon.png");
    EXPECT_EQ(picture.body.substr(0, 8), std::string("\x89PNG\r\n\x1A\n", 8));
}

TEST(MhtArchiveTest, QuotedPrintableJoinsSoftBreaksAndDecodesEscapesOnly) {
    EXPECT_EQ(decodeQuotedPrintable("a=3Db=\r\nc=\nd=  \r\ne"), "a=bcde");
    EXPECT_EQ(decodeQuotedPrintable("=D0=9F=d1=80"), "\xD0\x9F\xD1\x80");
    // Malformed escapes stay as written; a trailing "=" is a soft break.
    EXPECT_EQ(decodeQuotedPrintable("5=ZZ=4"), "5=ZZ=4");
    EXPECT_EQ(decodeQuotedPrintable("end="), "end");
    EXPECT_EQ(decodeQuotedPrintable("line\r\nnext"), "line\r\nnext");
}

TEST(MhtArchiveTest, Base64SkipsLineBreaksAndStopsAtPadding) {
    EXPECT_EQ(decodeBase64("VHVu\r\nZXdh\nZ29u"), "Tunewagon");
    EXPECT_EQ(decodeBase64("YWI=\r\n"), "ab");
    EXPECT_EQ(decodeBase64("YQ==garbage"), "a");
    EXPECT_EQ(decodeBase64("  "), "");
}

TEST(MhtArchiveTest, PartsAreDecodedByTheirHeadersWhateverTheirCase) {
    const auto parsed = MhtArchive::parse(archive("b1", "b1", "<p>x=3D1 =\r\ny</p>"));
    ASSERT_TRUE(parsed.has_value());
    ASSERT_EQ(parsed->parts().size(), 2u);
    EXPECT_EQ(parsed->pageHtml(), "<p>x=1 y</p>");
    EXPECT_EQ(parsed->page().contentLocation, "page.htm");
    const auto& picture = parsed->parts()[1];
    EXPECT_EQ(picture.contentType, "image/png");
    EXPECT_EQ(picture.contentId, "pic@tunewagon");
    EXPECT_EQ(picture.body, std::string("\x89PNG\r\n\x1A\n", 8));
}

TEST(MhtArchiveTest, BrokenOrMissingStructureGivesNoArchiveAndNoCrash) {
    // The boundary of the header never occurs in the body.
    EXPECT_FALSE(MhtArchive::parse(archive("other", "b1", "<p>x</p>")));
    // A delimiter that only starts with the boundary is no delimiter.
    EXPECT_FALSE(MhtArchive::parse(archive("b", "bb", "<p>x</p>")));
    EXPECT_FALSE(MhtArchive::parse(""));
    EXPECT_FALSE(MhtArchive::parse("Content-Type: multipart/related\r\n\r\n--x\r\n"));
    EXPECT_FALSE(MhtArchive::parse("garbage without headers"));
    // No page among the parts.
    EXPECT_FALSE(MhtArchive::parse("Content-Type: multipart/related; boundary=z\r\n\r\n--z\r\n"
                                   "Content-Type: image/png\r\n\r\nxx\r\n--z--\r\n"));
    // Everything cut off after the first delimiter: the page runs to the end.
    std::string cut = archive("b1", "b1", "<p>cut</p>");
    cut.resize(cut.find("--b1\r\ncontent-type"));
    const auto truncated = MhtArchive::parse(cut);
    ASSERT_TRUE(truncated.has_value());
    EXPECT_EQ(truncated->pageHtml(), "<p>cut</p>\r\n");
}

TEST(MhtArchiveTest, StartParameterSinglePagesAndCharsetsChooseAndDecodeThePage) {
    const std::string twoPages = "Content-Type: multipart/related; boundary=q; start=\"<two>\"\n\n"
                                 "--q\nContent-Type: text/html\nContent-ID: <one>\n\none\n"
                                 "--q\nContent-Type: text/html; charset=windows-1251\n"
                                 "Content-ID: <two>\n\n\xCF\xF0\xE8\n--q--\n";
    const auto parsed = MhtArchive::parse(twoPages);
    ASSERT_TRUE(parsed.has_value());
    EXPECT_EQ(parsed->pageHtml(), "При");

    const auto single = MhtArchive::parse("Content-Type: text/html\r\n\r\n\xEF\xBB\xBF<b>x</b>");
    ASSERT_TRUE(single.has_value());
    EXPECT_EQ(single->pageHtml(), "<b>x</b>");
}

TEST(MhtArchiveTest, ReadFileRefusesMissingFoldersPipesAndOversizedFilesWithoutBlocking) {
    tw::test::TempFolder temp;
    EXPECT_FALSE(MhtArchive::readFile(temp / "missing.mht"));
    EXPECT_FALSE(MhtArchive::readFile(temp.path()));
    ASSERT_EQ(std::system(("mkfifo " + temp / "pipe.mht").c_str()), 0);
    EXPECT_FALSE(MhtArchive::readFile(temp / "pipe.mht")); // would block if opened
    std::string huge = archive("b1", "b1", "<p>x</p>");
    huge.append(MhtArchive::maxFileBytes, ' ');
    tw::test::writeFile(temp / "huge.mht", huge);
    EXPECT_FALSE(MhtArchive::readFile(temp / "huge.mht"));
    tw::test::writeFile(temp / "ok.mht", archive("b1", "b1", "<p>x</p>"));
    EXPECT_TRUE(MhtArchive::readFile(temp / "ok.mht"));
}
