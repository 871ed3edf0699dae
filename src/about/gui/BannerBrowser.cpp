#include "about/gui/BannerBrowser.h"

#include "about/MhtArchive.h"
#include "about/gui/BannerDocument.h"

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
    const std::string html = archive.pageHtml();
    // A page too large or nested too deep would keep the layout busy for minutes: it is
    // not shown.
    if (tooCostlyToLayOut(html)) {
        clear();
        return;
    }
    auto* document = new BannerDocument(archive, this);
    document->setHtml(QString::fromStdString(html));
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
