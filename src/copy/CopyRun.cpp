#include "copy/CopyRun.h"

#include "copy/ElapsedText.h"
#include "copy/Renaming.h"
#include "copy/Translit.h"
#include "errors/ErrorCodes.h"
#include "errors/Guard.h"
#include "i18n/StringTable.h"
#include "platform/FileCopy.h"
#include "platform/FileSystem.h"
#include "playlist/PlaylistReader.h"

#include <algorithm>
#include <chrono>
#include <exception>
#include <limits>
#include <stdexcept>
#include <utility>

namespace tw::copy {

TickClock systemTickClock() {
    return [] {
        const auto now = std::chrono::steady_clock::now().time_since_epoch();
        return static_cast<std::uint32_t>(
            std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
    };
}

CopyPlayList::CopyPlayList(const RunSetup& setup, CopyHost& host, TickClock clock)
    : m_setup(setup)
    , m_host(host)
    , m_clock(std::move(clock))
    , m_startTick(m_clock())
    , m_policy(host) {}

CopyPlayList::End CopyPlayList::run() {
    m_counters = RunCounters{};
    m_policy.reset();
    m_pausedMs = 0;
    m_processedKB = 0;
    m_failureReason.clear();

    End end = End::Failed;
    bool finished = false;
    try {
        finished = errors::guarded(errors::codes::CopyPlayList, [&] {
            try {
                walk(end);
            } catch (const std::exception& e) {
                m_failureReason = e.what();
                throw;
            }
        });
    } catch (...) {
        // The report itself failed; the files copied so far still go to the device.
        finish();
        throw;
    }
    if (!finished) {
        end = End::Failed;
        if (m_failureReason.empty())
            m_failureReason = "unknown failure";
    }
    finish();
    return end;
}

void CopyPlayList::finish() {
    m_counters.cancelRequest = m_host.cancelRequested();
    // The report must mean that the files are on the device, not only in the page cache.
    m_host.setStatus(i18n::strings().StrCopyingCaption);
    m_batch.commit();
    platform::syncFileSystem(m_setup.destinationField);
}

void CopyPlayList::walk(End& end) {
    end = End::Failed;
    if (m_setup.listSizeKB > std::numeric_limits<std::int32_t>::max() ||
        m_setup.listSizeKB < std::numeric_limits<std::int32_t>::min())
        throw std::out_of_range("list size " + std::to_string(m_setup.listSizeKB) +
                                " KB does not fit the gauge");
    m_host.setGauge(0, m_setup.listSizeKB);

    playlist::PlaylistReader reader(m_setup.playlistPath, m_setup.playlistField);
    while (const auto entry = reader.next()) {
        if (!entry->found()) {
            ++m_counters.missing;
            continue;
        }
        const std::string& source = entry->sourcePath;
        if (m_setup.onlyMp3 && !playlist::hasMp3Extension(source))
            continue;
        m_processedKB += entry->size / 1024;
        m_host.showCurrentFile(playlist::fileNameOf(source));

        copyEntry(source, entry->relativePart);
        if (afterEntry() == Step::EndCancelled) {
            end = End::Cancelled;
            return;
        }
    }
    end = End::Completed;
}

std::string CopyPlayList::targetFor(const std::string& relativePart) const {
    const std::string& destination = m_setup.destinationField;
    const std::string name = playlist::fileNameOf(relativePart);
    const std::string newName = m_setup.transliterate ? TranslitName(name) : name;
    if (!m_setup.keepStructure)
        return destination + "\\" + newName;
    if (!m_setup.transliterate)
        return destination + relativePart;

    // Both options: the folders of the relative part as they are, the file name
    // transliterated, all below the destination.
    std::string folderPart = relativePart.substr(0, relativePart.size() - name.size());
    if (!folderPart.empty() && (folderPart.back() == '\\' || folderPart.back() == '/')) {
        folderPart.pop_back();
        folderPart += '/';
    }
    return destination + folderPart + newName;
}

void CopyPlayList::copyEntry(const std::string& source, const std::string& relativePart) {
    // Missing folders of the target are created by the copy itself.
    const std::string target = targetFor(relativePart);
    // The same file under another spelling ("\" or "/", doubled separators, a link) is as
    // identical as the same text: copying it onto itself would destroy it.
    // A file still waiting in the batch takes its name first, so that the name shows taken.
    if (m_batch.holds(target))
        m_batch.commit();
    const bool targetExists = platform::fileExists(target);
    if (source == target || (targetExists && platform::sameFile(source, target))) {
        ++m_counters.identical;
        return;
    }
    if (!targetExists) {
        copyCounted(source, target, m_counters.created);
        return;
    }

    const CollisionPolicy::Decision decision = m_policy.decide(source, target);
    if (decision.stop)
        m_counters.stop = true;
    switch (decision.action) {
    case CollisionAction::Replace:
        copyCounted(source, target, m_counters.replaced);
        break;
    case CollisionAction::Skip:
        ++m_counters.skipped;
        break;
    case CollisionAction::Rename: {
        m_batch.commit();
        const std::string folder = playlist::folderOf(target);
        // Checked by the dialog already; a name taken since then is not overwritten.
        if (typedNameAcceptable(folder, decision.typedName))
            copyCounted(source, folder + "\\" + decision.typedName, m_counters.renamed);
        else
            ++m_counters.failed;
        break;
    }
    case CollisionAction::AutoRename:
        m_batch.commit(); // the free name is chosen among every file copied so far
        copyCounted(source, automaticName(target), m_counters.autoRenamed);
        break;
    case CollisionAction::None:
        break;
    }
}

void CopyPlayList::copyCounted(const std::string& source, const std::string& target,
                               std::int32_t& counter) {
    // A file cancelled from the host is not on the destination, so it counts as failed; the
    // stop question follows at its usual point after this entry.
    // Counted when the file has its real name, after its group is on the device.
    m_batch.copy(
        source, target,
        [this](std::uint64_t done, std::uint64_t total) {
            return m_host.fileProgress(done, total);
        },
        [this, &counter](const platform::CopyResult& result) {
            ++(result.ok ? counter : m_counters.failed);
        });
}

void CopyPlayList::showElapsed() {
    const std::uint32_t elapsed = m_clock() - m_startTick - m_pausedMs;
    m_host.setElapsedText(i18n::strings().StrElapsed + " " + elapsedText(elapsed));
}

CopyPlayList::Step CopyPlayList::afterEntry() {
    if (m_counters.stop)
        return Step::EndCancelled;
    showElapsed();
    m_host.setGauge(std::min<std::int64_t>(m_processedKB, m_setup.listSizeKB), m_setup.listSizeKB);

    while (m_host.paused()) {
        m_host.setAnimation(false);
        m_host.sleepMs(100);
        m_pausedMs += 100;
        m_host.processEvents();
        if (m_host.cancelRequested()) {
            m_host.setAnimation(false);
            if (m_host.askStop()) {
                m_counters.stop = true;
                return Step::EndCancelled;
            }
            m_host.clearCancelRequest();
        }
    }

    m_host.processEvents();
    if (m_host.cancelRequested()) {
        m_host.setAnimation(false);
        if (m_host.askStop())
            return Step::EndCancelled;
        m_host.clearCancelRequest();
    }
    m_host.setAnimation(true);
    return Step::Next;
}

} // namespace tw::copy
