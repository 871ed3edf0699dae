// The copy progress window measured offscreen (run by hand: it writes gigabytes).
//
//   tw_copywindow_bench [--work FOLDER] [--big-mib N] [--slow-mbps N] [--files N]
//                       [--file-mib N] [--reps N] [--only gaps|fast|devices|groups|speed]
//
// gaps:  one large file (1 GiB) copied through CopyProgressDialog, once at the disk's own speed and
// once
//        with every write slowed to a USB stick's pace (10 MB/s); prints the longest time
//        between two passes of the window's event queue while the run was on.
// fast:  the first half of gaps alone.
// devices: the large file copied through CopyProgressDialog to a loop-mounted ext4 image
//        and to an exFAT image mounted through FUSE (exfat-fuse), each a block device with
//        a writeback queue of its own, as a USB stick has; prints the longest gap and the
//        longest wait of a requested repaint. Needs root, loop devices and FUSE; says
//        "skipped" without them. Runs with gaps.
// groups: many smaller files (400 x 2 MiB) copied through CopyProgressDialog to the same two
//        images: the run waits for whole groups of them to reach the device at once, up to
//        512 MiB; prints the longest gap and the longest repaint wait. Runs with devices.
// speed: a playlist of many files (100 x 4 MiB) copied by `tunewagon-copy --flat --quiet`
//        and through CopyProgressDialog, alternately, into fresh folders; prints the medians and
//        the window's time over the command line's.

#include "copy/gui/CopyProgressDialog.h"
#include "i18n/StringTable.h"
#include "job/CopyJob.h"
#include "platform/ChunkedCopy.h"
#include "platform/FileCopy.h"
#include "platform/Path.h"
#include "support/ImageMount.h"

#include <QApplication>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QProcess>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using tw::platform::Path;

// Notes the time of every pass of the event queue while the copy run is on its stack.
class GapMeter : public QObject {
public:
    explicit GapMeter(tw::copy::CopyProgressDialog& form)
        : m_form(form) {
        form.installEventFilter(this);
        QCoreApplication::postEvent(this, new QEvent(QEvent::User));
        m_probe = std::thread([this] {
            while (!m_probeStop) {
                std::this_thread::sleep_for(kRepaintEvery);
                uncover();
            }
        });
    }
    ~GapMeter() override {
        m_probeStop = true;
        m_probe.join();
    }
    double longestMs() const { return m_longest.count() / 1e6; }
    // The longest time from asking the window to repaint to its paint event, while the run
    // was on: what a user sees when another window uncovers it.
    double longestRepaintMs() const { return m_longestRepaint.count() / 1e6; }
    // When the longest gap began, counted from the run's start.
    double longestAtS() const { return std::chrono::duration<double>(m_longestAt).count(); }
    long passes() const { return m_passes; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && m_form.runOnStack()) {
            const std::lock_guard lock(m_probeMutex);
            if (m_repaintAsked) {
                m_longestRepaint = std::max(m_longestRepaint, Clock::now() - *m_repaintAsked);
                m_repaintAsked.reset();
            }
        }
        return QObject::eventFilter(watched, event);
    }

    // From the probe thread: a covered spot uncovered, now; the window repaints it when its
    // event loop next runs.
    void uncover() {
        {
            const std::lock_guard lock(m_probeMutex);
            if (m_repaintAsked)
                return;
            m_repaintAsked = Clock::now();
        }
        QCoreApplication::postEvent(this, new QEvent(kUncover));
    }

    void customEvent(QEvent* event) override {
        if (event->type() == kUncover) {
            if (m_form.runOnStack()) {
                m_form.update();
            } else {
                const std::lock_guard lock(m_probeMutex);
                m_repaintAsked.reset();
            }
            return;
        }
        const auto now = Clock::now();
        if (m_form.runOnStack()) {
            if (!m_inRun)
                m_start = now;
            if (m_inRun && now - m_last > m_longest) {
                m_longest = now - m_last;
                m_longestAt = m_last - m_start;
            }
            m_inRun = true;
            ++m_passes;
        } else {
            m_inRun = false;
        }
        m_last = now;
        QCoreApplication::postEvent(this, new QEvent(QEvent::User));
    }

private:
    static constexpr std::chrono::milliseconds kRepaintEvery{20};
    static constexpr QEvent::Type kUncover = static_cast<QEvent::Type>(QEvent::User + 1);

    tw::copy::CopyProgressDialog& m_form;
    std::mutex m_probeMutex;
    std::optional<Clock::time_point> m_repaintAsked; // guarded by m_probeMutex
    Clock::duration m_longestRepaint{};
    std::atomic<bool> m_probeStop{false};
    std::thread m_probe;
    Clock::time_point m_last, m_start;
    Clock::duration m_longestAt{};
    Clock::duration m_longest{};
    bool m_inRun = false;
    long m_passes = 0;
};

void writeData(const QString& path, qint64 bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        throw std::runtime_error("cannot write " + path.toStdString());
    std::vector<char> block(1 << 20);
    for (std::size_t i = 0; i < block.size(); ++i)
        block[i] = static_cast<char>(i * 7 + 3);
    for (qint64 left = bytes; left > 0;) {
        const qint64 n = std::min<qint64>(left, static_cast<qint64>(block.size()));
        file.write(block.data(), n);
        left -= n;
        block[0]++;
    }
}

// Copies the playlist into the empty folder through the window; returns the seconds taken
// and the longest gap between two event passes.
std::pair<double, double> copyThroughWindow(const QString& playlist, const QString& out,
                                            bool meterGaps = true,
                                            double* longestRepaintMs = nullptr) {
    QDir().mkpath(out);
    const tw::i18n::StringTable strings;
    tw::job::CopyJob job(strings);
    job.options().keepStructure = false;
    job.chooseDestination(Path(out.toStdString()));
    job.scanPlaylist(Path(playlist.toStdString()));
    const auto start = Clock::now();
    tw::copy::CopyProgressDialog form(
        strings,
        [&job](tw::copy::ProgressDisplay& d, tw::copy::RunControl& c, tw::copy::RunQuestions& q) {
            return job.run(d, c, q);
        },
        job.flags(), nullptr);
    std::unique_ptr<GapMeter> meter;
    if (meterGaps)
        meter = std::make_unique<GapMeter>(form);
    form.execRun();
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    if (job.counters().created == 0 || job.counters().failed != 0)
        throw std::runtime_error("the window's copy did not copy");
    // The 50 ms start timer is the window's design, not copy time.
    if (!meter)
        return {seconds - 0.05, 0.0};
    std::printf("  (longest gap began %.2f s into the run)\n", meter->longestAtS());
    if (longestRepaintMs)
        *longestRepaintMs = meter->longestRepaintMs();
    return {seconds - 0.05, meter->longestMs()};
}

double copyThroughCommandLine(const QString& playlist, const QString& out) {
    QDir().mkpath(out);
    const auto start = Clock::now();
    const int status =
        QProcess::execute(QString(TW_COPY_PROGRAM), {"--flat", "--quiet", playlist, out});
    if (status != 0)
        throw std::runtime_error("tunewagon-copy failed");
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// A playlist copied to a file system in an image on a loop device: `what` names the case
// in the output line, `mib` is what the image must hold.
void copyToImage(tw::test::ImageMount::Kind kind, const char* device, const QString& work,
                 const QString& playlist, const std::string& what, qint64 mib) {
    const QString image = work + "/device.img";
    const QString mount = work + "/device";
    QDir().mkpath(mount);
    {
        // Room for the files, the file system's own and the temporary names.
        tw::test::ImageMount mounted(kind, image.toStdString(), mount.toStdString(),
                                     static_cast<int>(mib + mib / 8 + 64));
        if (!mounted.mounted()) {
            std::printf("%s to %s: skipped: %s\n", what.c_str(), device, mounted.reason().c_str());
            std::fflush(stdout);
        } else {
            double repaint = 0;
            const auto r = copyThroughWindow(playlist, mount + "/out", true, &repaint);
            std::printf("%s to %s: %.1f s, longest gap %.1f ms, longest repaint wait %.1f ms\n",
                        what.c_str(), device, r.first, r.second, repaint);
            std::fflush(stdout);
            mounted.unmount();
        }
    }
    QFile::remove(image);
    QDir(mount).removeRecursively();
}

constexpr const char* ext4Image = "a loop-mounted ext4 image";
constexpr const char* exfatImage = "an exFAT image (FUSE)";

// Many smaller files to both images: the run flushes them a group at a time.
void copyGroupsToImages(const QString& work, int files, qint64 fileMiB) {
    QDir().mkpath(work + "/src/groups");
    QString entries;
    for (int i = 0; i < files; ++i) {
        const QString name = QString("groups/part%1.mp3").arg(i, 3, 10, QChar('0'));
        writeData(work + "/src/" + name, fileMiB << 20);
        entries += name + "\r\n";
    }
    QFile list(work + "/src/groups.m3u");
    list.open(QIODevice::WriteOnly);
    list.write(entries.toUtf8());
    list.close();
    tw::platform::syncFileSystem(work.toStdString());
    const std::string what = std::to_string(files) + " x " + std::to_string(fileMiB) + " MiB";
    for (const auto& [kind, device] :
         {std::pair{tw::test::ImageMount::Kind::Ext4, ext4Image},
          std::pair{tw::test::ImageMount::Kind::FuseExfat, exfatImage}})
        copyToImage(kind, device, work, work + "/src/groups.m3u", what, files * fileMiB);
    QDir(work + "/src/groups").removeRecursively();
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QString work = QDir::tempPath() + "/tw-copywindow-bench";
    qint64 bigMiB = 1024, fileMiB = 4;
    int files = 100, reps = 3;
    double slowMBps = 10;
    std::string only;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string a = argv[i];
        if (a == "--work")
            work = argv[i + 1];
        else if (a == "--big-mib")
            bigMiB = std::stoll(argv[i + 1]);
        else if (a == "--slow-mbps")
            slowMBps = std::stod(argv[i + 1]);
        else if (a == "--files")
            files = std::stoi(argv[i + 1]);
        else if (a == "--file-mib")
            fileMiB = std::stoll(argv[i + 1]);
        else if (a == "--reps")
            reps = std::stoi(argv[i + 1]);
        else if (a == "--only")
            only = argv[i + 1];
    }
    QDir(work).removeRecursively();
    QDir().mkpath(work + "/src");

    try {
        if (only == "groups" || only == "devices" || only.empty())
            copyGroupsToImages(work, 400, 2);
        if (only == "groups") {
            QDir(work).removeRecursively();
            return 0;
        }
        if (only != "speed") {
            writeData(work + "/src/big.mp3", bigMiB << 20);
            QFile list(work + "/src/big.m3u");
            list.open(QIODevice::WriteOnly);
            list.write("big.mp3\r\n");
            list.close();
            // A user's music is on the disk already, not waiting in the cache to be written.
            tw::platform::syncFileSystem(work.toStdString());

            if (only == "devices" || only.empty()) {
                const std::string what = std::to_string(bigMiB) + " MiB";
                copyToImage(tw::test::ImageMount::Kind::Ext4, ext4Image, work,
                            work + "/src/big.m3u", what, bigMiB);
                copyToImage(tw::test::ImageMount::Kind::FuseExfat, exfatImage, work,
                            work + "/src/big.m3u", what, bigMiB);
            }
            if (only == "devices") {
                QFile::remove(work + "/src/big.mp3");
                QDir(work).removeRecursively();
                return 0;
            }
            auto fast = copyThroughWindow(work + "/src/big.m3u", work + "/out-fast");
            QDir(work + "/out-fast").removeRecursively();
            std::printf("%lld MiB at the disk's speed: %.1f s, longest gap %.1f ms\n",
                        static_cast<long long>(bigMiB), fast.first, fast.second);
            std::fflush(stdout);

            if (only == "fast") {
                QFile::remove(work + "/src/big.mp3");
                return 0;
            }
            // A USB stick: each write takes as long as the stick needs for it.
            tw::platform::ChunkedCopy::setWritePacer([slowMBps](std::uint64_t bytes) {
                std::this_thread::sleep_for(std::chrono::microseconds(
                    static_cast<long long>(static_cast<double>(bytes) / slowMBps)));
            });
            auto slow = copyThroughWindow(work + "/src/big.m3u", work + "/out-slow");
            tw::platform::ChunkedCopy::setWritePacer({});
            QDir(work + "/out-slow").removeRecursively();
            std::printf("%lld MiB at %.0f MB/s: %.1f s, longest gap %.1f ms\n",
                        static_cast<long long>(bigMiB), slowMBps, slow.first, slow.second);
            QFile::remove(work + "/src/big.mp3");
        }
        if (only != "gaps") {
            QString entries;
            for (int i = 0; i < files; ++i) {
                const QString name = QString("track%1.mp3").arg(i, 3, 10, QChar('0'));
                writeData(work + "/src/" + name, fileMiB << 20);
                entries += name + "\r\n";
            }
            QFile list(work + "/src/many.m3u");
            list.open(QIODevice::WriteOnly);
            list.write(entries.toUtf8());
            list.close();

            std::vector<double> cli, window;
            for (int r = 0; r < reps; ++r) {
                const QString tag = QString::number(r);
                cli.push_back(copyThroughCommandLine(work + "/src/many.m3u", work + "/cli" + tag));
                window.push_back(
                    copyThroughWindow(work + "/src/many.m3u", work + "/win" + tag, false).first);
                QDir(work + "/cli" + tag).removeRecursively();
                QDir(work + "/win" + tag).removeRecursively();
            }
            std::printf("%d x %lld MiB: tunewagon-copy %.2f s, window %.2f s (medians of %d), "
                        "ratio %.3f\n",
                        files, static_cast<long long>(fileMiB), median(cli), median(window), reps,
                        median(window) / median(cli));
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    QDir(work).removeRecursively();
    return 0;
}
