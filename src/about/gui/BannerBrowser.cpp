#include "about/gui/BannerBrowser.h"

#include "about/MhtArchive.h"

#include <QImage>
#include <QPointer>
#include <QTextDocument>

namespace tw::about {

BannerBrowser::BannerBrowser(QWidget* parent)
    : QTextBrowser(parent) {
    setFocusPolicy(Qt::NoFocus);
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setOpenLinks(false);
    setOpenExternalLinks(false);
    setUndoRedoEnabled(false);
    setTextInteractionFlags(Qt::NoTextInteraction);
}

void BannerBrowser::showArchive(const MhtArchive& archive) {
    auto* document = new QTextDocument(this);
    const QUrl base(QString::fromStdString(archive.page().contentLocation));
    for (const MhtPart& part : archive.parts()) {
        if (!part.contentType.starts_with("image/"))
            continue;
        QImage image;
        if (!image.loadFromData(reinterpret_cast<const uchar*>(part.body.data()),
                                static_cast<int>(part.body.size())))
            continue;
        if (!part.contentLocation.empty()) {
            const QUrl location(QString::fromStdString(part.contentLocation));
            document->addResource(QTextDocument::ImageResource, location, image);
            if (!base.isEmpty())
                document->addResource(QTextDocument::ImageResource, base.resolved(location), image);
        }
        if (!part.contentId.empty())
            document->addResource(
                QTextDocument::ImageResource,
                QUrl(QStringLiteral("cid:") + QString::fromStdString(part.contentId)), image);
    }
    document->setBaseUrl(base);
    document->setHtml(QString::fromStdString(archive.pageHtml()));
    // The browser frees a document of its own making; one set here earlier goes here.
    const QPointer<QTextDocument> old = this->document();
    setDocument(document);
    if (old && old->parent() == this)
        old->deleteLater();
}

void BannerBrowser::showFile(const std::string& path) {
    const std::optional<MhtArchive> archive = MhtArchive::readFile(path);
    if (archive)
        showArchive(*archive);
    else
        clear();
}

QVariant BannerBrowser::loadResource(int /*type*/, const QUrl& /*name*/) {
    // An empty answer, not a null one: a null one would let the document read the name
    // from disk itself.
    return QVariant(QByteArray());
}

} // namespace tw::about
