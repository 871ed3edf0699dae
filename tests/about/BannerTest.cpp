// The About banner against hostile archives: names outside the archive, pictures too large
// to decode, pictures the page never shows, and pages nested too deep to lay out.
#include "about/gui/AboutDialog.h"
#include "about/gui/BannerBrowser.h"
#include "about/gui/BannerDocument.h"
#include "i18n/StringTable.h"

#include "support/TempFolder.h"

#include <QAbstractTextDocumentLayout>
#include <QBuffer>
#include <QElapsedTimer>
#include <QImage>
#include <QtTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <thread>
#include <utility>
#include <vector>

using tw::about::AboutDialog;
using tw::about::BannerBrowser;
using tw::about::BannerDocument;
using tw::test::TempFolder;

namespace {

QByteArray png(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::darkGreen);
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return buffer.data();
}

// A saved page: the HTML part under its location, then each picture as a base64 part.
std::string archive(const std::string& location, const std::string& html,
                    const std::vector<std::pair<std::string, QByteArray>>& images) {
    std::string text =
        "MIME-Version: 1.0\r\nContent-Type: multipart/related; boundary=\"b\"\r\n\r\n"
        "--b\r\nContent-Type: text/html; charset=utf-8\r\nContent-Location: " +
        location + "\r\n\r\n" + html + "\r\n";
    for (const auto& [name, bytes] : images)
        text += "--b\r\nContent-Type: image/png\r\nContent-Transfer-Encoding: base64\r\n"
                "Content-Location: " +
                name + "\r\n\r\n" + bytes.toBase64(QByteArray::Base64Encoding).toStdString() +
                "\r\n";
    return text + "--b--\r\n";
}

// Shows the archive in About as the program would, laid out; returns how long it took.
qint64 openAbout(const TempFolder& program, const std::string& mht, BannerDocument** document,
                 QString* text) {
    tw::test::writeFile(program / "Source/Temp.mht", mht);
    QElapsedTimer clock;
    clock.start();
    const tw::i18n::StringTable strings;
    AboutDialog form(strings, nullptr, program.path());
    form.show();
    auto* banner = form.findChild<BannerBrowser*>();
    banner->document()->documentLayout()->documentSize();
    static_cast<void>(QTest::qWaitForWindowExposed(&form));
    const qint64 took = clock.elapsed();
    *document = qobject_cast<BannerDocument*>(banner->document());
    *text = banner->toPlainText();
    if (*document != nullptr)
        (*document)->setParent(nullptr); // kept for the checks after the window has gone
    return took;
}

QSize pictureSize(QTextDocument* document, const QString& name) {
    return document->resource(QTextDocument::ImageResource, QUrl(name)).value<QImage>().size();
}

} // namespace

class BannerTest : public QObject {
    Q_OBJECT

private slots:
    // A file on disk, named by an absolute path, a file address or a path relative to the
    // page's own location, is never read; a pipe there would block the window for good.
    void namesOutsideTheArchiveAreNeverReadFromDisk() {
        TempFolder program;
        TempFolder elsewhere;
        tw::test::writeFile(elsewhere / "x.png", png(64, 64).toStdString());
        const std::string pipe = elsewhere / "pipe.png";
        QCOMPARE(::mkfifo(pipe.c_str(), 0600), 0);
        // Whoever opens the pipe is let go after three seconds: a read shows as the delay.
        std::thread release([pipe] {
            std::this_thread::sleep_for(std::chrono::seconds(3));
            const int fd = ::open(pipe.c_str(), O_WRONLY | O_NONBLOCK);
            if (fd >= 0)
                ::close(fd);
        });
        const std::string html = "<p>banner</p><img src=\"" + (elsewhere / "x.png") +
                                 "\"><img src=\"x.png\"><img src=\"pipe.png\"><img src=\"" + pipe +
                                 "\"><img src=\"file://" + (elsewhere / "x.png") +
                                 "\"><img src=\"wagon.png\">";
        BannerDocument* document = nullptr;
        QString text;
        const qint64 took = openAbout(
            program,
            archive("file://" + (elsewhere / "page.htm"), html, {{"wagon.png", png(8, 8)}}),
            &document, &text);
        release.join();
        QVERIFY(document != nullptr);
        std::unique_ptr<BannerDocument> owned(document);
        QVERIFY2(took < 2500, qPrintable(QString("About took %1 ms: the pipe was read").arg(took)));
        QVERIFY(text.contains("banner"));
        QCOMPARE(pictureSize(document, "wagon.png"), QSize(8, 8));
        for (const QString& name : {QString::fromStdString(elsewhere / "x.png"), QString("x.png"),
                                    QString::fromStdString("file://" + (elsewhere / "x.png"))})
            QCOMPARE(pictureSize(document, name), QSize(1, 1));
    }

    // Only the pictures the page shows are decoded, each and all together within a bound; a
    // page nested deeper or with more elements than a layout can take is not shown. Either way
    // About opens at once.
    void onlyNamedPicturesWithinBoundsAreDecodedAndCostlyPagesAreRefused() {
        TempFolder program;
        std::vector<std::pair<std::string, QByteArray>> images;
        const QByteArray picture = png(300, 200);
        for (int i = 0; i < 12; ++i)
            images.emplace_back("p" + std::to_string(i) + ".png", picture);
        images.emplace_back("huge.png", png(2000, 2000));
        BannerDocument* document = nullptr;
        QString text;
        qint64 took = openAbout(
            program,
            archive("http://tw.example/page.htm",
                    "<img src=\"p3.png\"><img src=\"p7.png\"><img src=\"huge.png\">", images),
            &document, &text);
        QVERIFY(document != nullptr);
        std::unique_ptr<BannerDocument> owned(document);
        QVERIFY2(took < 2000, qPrintable(QString("About took %1 ms").arg(took)));
        QCOMPARE(document->decodedImages(), 2);
        QCOMPARE(pictureSize(document, "p3.png"), QSize(300, 200));
        QCOMPARE(pictureSize(document, "huge.png"), QSize(1, 1));

        std::string tables;
        for (int i = 0; i < 22; ++i)
            tables += "<table><tr><td>";
        took = openAbout(program, archive("page.htm", tables + "deep", {}), &document, &text);
        QVERIFY2(took < 2000, qPrintable(QString("About took %1 ms").arg(took)));
        QVERIFY(!text.contains("deep"));
        delete document;

        // Nesting as real pages have it is shown.
        QVERIFY(!tw::about::tooCostlyToLayOut("<table><tr><td><table><tr><td>x</td></tr></table>"
                                              "</td></tr></table><div><ul><li>a</ul></div>"));
        QVERIFY(tw::about::tooCostlyToLayOut(tables));
        QVERIFY(!tw::about::tooCostlyToLayOut("<!-- " + tables + " -->x"));
        std::string closed;
        for (int i = 0; i < 40; ++i)
            closed += "<TABLE><tr><td>x</td></tr></TABLE>";
        QVERIFY(!tw::about::tooCostlyToLayOut(closed));
        // A flat table of many cells costs as much as a deep one.
        std::string cells = "<table>";
        for (int i = 0; i < 2000; ++i)
            cells += "<tr><td>a</td><td>b</td></tr>";
        QVERIFY(tw::about::tooCostlyToLayOut(cells + "</table>"));
        took = openAbout(program, archive("page.htm", cells + "</table>", {}), &document, &text);
        QVERIFY2(took < 2000, qPrintable(QString("About took %1 ms").arg(took)));
        QVERIFY(text.isEmpty());
        delete document;
    }
};

QTEST_MAIN(BannerTest)
#include "BannerTest.moc"
