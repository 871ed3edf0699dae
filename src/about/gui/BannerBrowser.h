#pragma once

#include <QTextBrowser>

#include <string>

namespace tw::about {

class MhtArchive;

// The banner at the top of the About window: the page of a saved web archive with its
// images. It shows only what the archive holds; it never reads other files or follows
// links.
class BannerBrowser : public QTextBrowser {
    Q_OBJECT

public:
    explicit BannerBrowser(QWidget* parent = nullptr);

    // Shows the archive's page in a BannerDocument, which answers the images the page names
    // from the archive alone; a page too large or nested too deep for its layout leaves the banner
    // empty.
    void showArchive(const MhtArchive& archive);

    // Shows the archive in the file; a missing or broken file leaves the banner empty.
    void showFile(const std::string& path);

    QVariant loadResource(int type, const QUrl& name) override;
};

} // namespace tw::about
