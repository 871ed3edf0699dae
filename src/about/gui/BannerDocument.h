#pragma once

#include <QByteArray>
#include <QHash>
#include <QImage>
#include <QString>
#include <QTextDocument>
#include <QUrl>

#include <cstdint>
#include <string_view>

namespace tw::about {

class MhtArchive;

// The banner's page: every resource comes from the archive it was made from, and only when
// the page asks for it. An image is decoded when the layout first needs it, and only when
// its size stays within the bounds; a name the archive does not hold, or an image that
// cannot or may not be decoded, gets an empty picture. Nothing is ever read from disk.
class BannerDocument : public QTextDocument {
    Q_OBJECT

public:
    // The largest picture decoded, and all pictures of one page together, in pixels.
    static constexpr std::int64_t MaxImagePixels = 2 * 1024 * 1024;
    static constexpr std::int64_t MaxPagePixels = 8 * 1024 * 1024;

    // Takes the archive's image parts (undecoded) under their Content-Location (also
    // resolved against the page's own location) and their "cid:" names.
    BannerDocument(const MhtArchive& archive, QObject* parent);

    // How many pictures have been decoded so far.
    int decodedImages() const { return m_decoded; }

protected:
    QVariant loadResource(int type, const QUrl& name) override;

private:
    QImage decode(const QByteArray& bytes);

    QHash<QString, QByteArray> m_images;
    std::int64_t m_pixelsLeft = MaxPagePixels;
    int m_decoded = 0;
};

// Bounds of a page the banner lays out: a banner is a few lines and pictures, and a page
// beyond these would keep the window busy for seconds to minutes.
struct PageBounds {
    std::size_t bytes = 512 * 1024;
    int elements = 4000; // tags of any kind
    int tables = 6;      // tables inside tables
    int blocks = 48;     // lists, quotes and divisions inside each other
};

// Whether a page is larger, has more elements or nests deeper than the bounds. The markup
// is scanned, not parsed; comments do not count.
bool tooCostlyToLayOut(std::string_view html, const PageBounds& bounds = {});

} // namespace tw::about
