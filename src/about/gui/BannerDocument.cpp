#include "about/gui/BannerDocument.h"

#include "about/MhtArchive.h"

#include <QBuffer>
#include <QImageReader>

#include <algorithm>
#include <cctype>
#include <string>

namespace tw::about {

namespace {

// A picture that stands for one that is missing or refused: never null, so that the
// document does not go looking for the name on disk.
QImage emptyPicture() {
    QImage picture(1, 1, QImage::Format_ARGB32);
    picture.fill(Qt::transparent);
    return picture;
}

std::string lowerName(std::string_view text) {
    std::string name(text);
    std::transform(name.begin(), name.end(), name.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return name;
}

} // namespace

BannerDocument::BannerDocument(const MhtArchive& archive, QObject* parent)
    : QTextDocument(parent) {
    const QUrl base(QString::fromStdString(archive.page().contentLocation));
    for (const MhtPart& part : archive.parts()) {
        if (!part.contentType.starts_with("image/"))
            continue;
        const QByteArray bytes(part.body.data(), static_cast<qsizetype>(part.body.size()));
        if (!part.contentLocation.empty()) {
            const QUrl location(QString::fromStdString(part.contentLocation));
            m_images.insert(location.toString(), bytes);
            if (!base.isEmpty())
                m_images.insert(base.resolved(location).toString(), bytes);
        }
        if (!part.contentId.empty())
            m_images.insert(QStringLiteral("cid:") + QString::fromStdString(part.contentId), bytes);
    }
    setBaseUrl(base);
}

QVariant BannerDocument::loadResource(int type, const QUrl& name) {
    if (type != QTextDocument::ImageResource)
        return QVariant(QByteArray());
    auto found = m_images.constFind(name.toString());
    if (found == m_images.constEnd() && !baseUrl().isEmpty())
        found = m_images.constFind(baseUrl().resolved(name).toString());
    const QImage image = found == m_images.constEnd() ? emptyPicture() : decode(found.value());
    // Kept, so that every later paint finds it without decoding again.
    addResource(type, name, image);
    return image;
}

QImage BannerDocument::decode(const QByteArray& bytes) {
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    reader.setDecideFormatFromContent(true);
    // Plain pictures only: no format that could refer to other files.
    const QByteArray format = reader.format();
    if (format != "png" && format != "jpeg" && format != "jpg" && format != "gif" &&
        format != "bmp")
        return emptyPicture();
    // The size from the header, before a single pixel is decoded.
    const QSize size = reader.size();
    const std::int64_t pixels = std::int64_t(size.width()) * size.height();
    if (!size.isValid() || pixels <= 0 || pixels > MaxImagePixels || pixels > m_pixelsLeft)
        return emptyPicture();
    QImage image;
    if (!reader.read(&image) || image.isNull() || image.size() != size)
        return emptyPicture();
    m_pixelsLeft -= pixels;
    ++m_decoded;
    return image;
}

bool tooCostlyToLayOut(std::string_view html, const PageBounds& bounds) {
    if (html.size() > bounds.bytes)
        return true;
    int elements = 0;
    int tables = 0;
    int blocks = 0;
    std::size_t at = 0;
    while ((at = html.find('<', at)) != std::string_view::npos) {
        ++at;
        if (html.substr(at).starts_with("!--")) {
            const std::size_t end = html.find("-->", at);
            if (end == std::string_view::npos)
                break;
            at = end + 3;
            continue;
        }
        const bool closing = at < html.size() && html[at] == '/';
        if (closing)
            ++at;
        std::size_t end = at;
        while (end < html.size() && std::isalnum(static_cast<unsigned char>(html[end])))
            ++end;
        const std::string name = lowerName(html.substr(at, end - at));
        at = end;
        if (!name.empty() && ++elements > bounds.elements)
            return true;
        int* depth = nullptr;
        if (name == "table")
            depth = &tables;
        else if (name == "ul" || name == "ol" || name == "dl" || name == "blockquote" ||
                 name == "div")
            depth = &blocks;
        if (depth == nullptr)
            continue;
        if (closing)
            *depth = std::max(0, *depth - 1);
        else if (++*depth > (depth == &tables ? bounds.tables : bounds.blocks))
            return true;
    }
    return false;
}

} // namespace tw::about
