#include "copy/CopyRun.h"

#include "copy/DeviceNames.h"
#include "copy/ElapsedText.h"
#include "copy/Renaming.h"
#include "copy/Transliteration.h"
#include "errors/ErrorCodes.h"
#include "errors/Guard.h"
#include "platform/FileCopy.h"
#include "platform/FileError.h"
#include "platform/FileSystem.h"
#include "platform/NameRules.h"
#include "playlist/PlaylistReader.h"

#include <algorithm>
#include <chrono>
#include <exception>
#include <utility>

namespace tw::copy {

TickClock systemTickClock() {
    return [] {
        const auto now = std::chrono::steady_clock::now().time_since_epoch();
        return static_cast<std::uint32_t>(
            std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
    };
}

CopyRun::CopyRun(const RunSetup& setup, const RunContext& context, TickClock clock)
    : m_setup(setup)
    , m_context(context)
    , m_clock(std::move(clock))
    , m_startTick(m_clock())
    , m_policy(context.questions, context.renameNoticePending) {}

CopyRun::End CopyRun::run() {
    m_counters = RunCounters{};
    m_problems = RunProblems{};
    m_context.flags = RunFlags{};
    m_policy.reset();
    m_pausedMs = 0;
    m_processedKB = 0;
    m_failureReason.clear();
    m_playlistWritten = {};
    m_playlist.reset();
    if (m_setup.options.writePlaylist)
        m_playlist.emplace(m_setup.destination);

    End end = End::Failed;
    bool finished = false;
    try {
        finished = errors::guarded(errors::codes::CopyRun, [&] {
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

void CopyRun::finish() {
    // The report must mean that the files are on the device, not only in the page cache.
    m_context.display.setStatus(m_context.table.StrCopyingCaption);
    m_batch.commit();
    platform::syncFileSystem(m_setup.destination);
}

void CopyRun::walk(End& end) {
    end = End::Failed;
    m_context.display.setGauge(0, m_setup.listSizeKB);
    // Learnt once per run: what names the destination takes, and whether it folds case.
    m_names = platform::probeNameRules(m_setup.destination);

    playlist::PlaylistReader reader(m_setup.playlist, m_setup.playlistField);
    std::string extinf; // the "#EXTINF" line waiting for its entry
    std::optional<playlist::PlaylistEntry> entry;
    while (reader.readLine(entry)) {
        if (!entry) {
            if (std::string line = reader.extinfLine(); !line.empty())
                extinf = std::move(line);
            continue;
        }
        const std::string entryExtinf = std::exchange(extinf, {});
        if (!entry->found()) {
            ++m_counters.missing;
            noteProblem({RunProblem::Kind::Missing, platform::Path(entry->text).str(), {}});
            continue;
        }
        const platform::Path& source = entry->sourcePath;
        if (m_setup.options.onlyMp3 && !playlist::hasMp3Extension(source.str()))
            continue;
        m_processedKB += playlist::kilobytesOf(entry->size);
        m_context.display.showCurrentFile(source.fileName());

        const std::size_t slot = m_playlist ? m_playlist->addEntry(entryExtinf) : 0;
        copyEntry(source, entry->relativePart, slot);
        if (afterEntry() == Step::EndCancelled) {
            end = End::Cancelled;
            return;
        }
    }
    if (m_playlist)
        writePlaylist();
    end = End::Completed;
}

void CopyRun::writePlaylist() {
    m_batch.commit(); // every copied file has its real name before the list names it
    const std::string& given = m_setup.options.playlistName;
    const std::string name = safeName(
        given.empty() ? defaultPlaylistName(platform::Path(m_setup.playlist.path())) : given);
    const platform::Path target = m_setup.destination / name;
    if (!playlistNameAcceptable(name)) {
        failed(target, "the name " + name + " cannot be used");
        return;
    }
    // Neither the user's own playlist nor a file the list names is written over.
    const bool exists = platform::fileExists(target);
    if (m_playlist->placedAs(name, m_names.foldsCase) ||
        isSource(platform::Path(m_setup.playlist.path()), target, exists)) {
        failed(target, "a copied file or the source playlist has this name");
        return;
    }
    const platform::CopyResult result = platform::writeFile(target, m_playlist->text());
    if (!result.ok) {
        failed(target, platform::errorText(result.errorNumber));
        return;
    }
    m_playlistWritten = target;
}

std::string CopyRun::safeName(const std::string& name) const {
    return m_names.refusesWindowsCharacters ? deviceSafeName(name) : name;
}

platform::Path CopyRun::targetFor(const platform::Path& relativePart) const {
    const platform::Path& destination = m_setup.destination;
    const std::string name = relativePart.fileName();
    const std::string newName =
        safeName(m_setup.options.transliterate ? transliterateName(name) : name);
    if (!m_setup.options.keepStructure)
        return destination / newName;
    // The folders of the relative part as they are (but for what the device refuses), the
    // file name transliterated when asked, all below the destination.
    std::string folders;
    const std::string parts = relativePart.folder().str();
    for (std::size_t begin = 0; begin < parts.size();) {
        std::size_t end = parts.find('/', begin);
        if (end == std::string::npos)
            end = parts.size();
        if (end > begin)
            folders += "/" + safeName(parts.substr(begin, end - begin));
        begin = end + 1;
    }
    return destination / folders / newName;
}

bool CopyRun::isSource(const platform::Path& source, const platform::Path& target,
                       bool targetExists) const {
    if (source == target)
        return true;
    if (!targetExists)
        return false;
    if (platform::sameFile(source, target))
        return true;
    // A case-folding device may give two spellings of one file different inode numbers.
    if (!m_names.foldsCase || !platform::sameDevice(source, target))
        return false;
    const std::string resolvedSource = platform::resolvedPath(source);
    return !resolvedSource.empty() &&
           sameIgnoringCase(resolvedSource, platform::resolvedPath(target));
}

bool CopyRun::sameAsBefore(const platform::Path& source, const platform::Path& target) const {
    const std::int64_t size = platform::regularFileSize(target);
    if (size < 0 || size != platform::fileSize(source))
        return false;
    const auto sourceTime = platform::lastWriteTime(source);
    const auto targetTime = platform::lastWriteTime(target);
    // FAT keeps even seconds: a copy made earlier may be up to 2 s off its source.
    return sourceTime && targetTime && *sourceTime - *targetTime < 2 &&
           *targetTime - *sourceTime < 2;
}

void CopyRun::place(std::size_t slot, const platform::Path& target) {
    if (m_playlist)
        m_playlist->place(slot, target);
}

void CopyRun::copyEntry(const platform::Path& source, const platform::Path& relativePart,
                        std::size_t slot) {
    // Missing folders of the target are created by the copy itself.
    const platform::Path target = targetFor(relativePart);
    // The same file under another spelling (doubled separators, a link) is as identical as
    // the same text: copying it onto itself would destroy it.
    // A file still waiting in the batch takes its name first, so that the name shows taken.
    if (m_batch.holds(target))
        m_batch.commit();
    const bool targetExists = platform::fileExists(target);
    if (isSource(source, target, targetExists) ||
        (targetExists && m_setup.options.skipSame && sameAsBefore(source, target))) {
        ++m_counters.identical;
        place(slot, target);
        return;
    }
    if (!targetExists) {
        copyCounted(source, target, m_counters.created, slot);
        return;
    }

    const CollisionPolicy::Decision decision = m_policy.decide(source, target, m_names);
    if (decision.stop)
        m_context.flags.confirmStop();
    switch (decision.action) {
    case CollisionAction::Replace:
        copyCounted(source, target, m_counters.replaced, slot);
        break;
    case CollisionAction::Skip:
        ++m_counters.skipped;
        place(slot, target);
        break;
    case CollisionAction::Rename: {
        m_batch.commit();
        const platform::Path folder = target.folder();
        // Checked by the dialog already; a name taken since then is not overwritten.
        if (typedNameAcceptable(folder, decision.typedName, m_names))
            copyCounted(source, folder / decision.typedName, m_counters.renamed, slot);
        else
            failed(source, "the name " + decision.typedName + " cannot be used");
        break;
    }
    case CollisionAction::AutoRename:
        m_batch.commit(); // the free name is chosen among every file copied so far
        copyCounted(source, automaticName(target), m_counters.autoRenamed, slot);
        break;
    case CollisionAction::None:
        break;
    }
}

void CopyRun::copyCounted(const platform::Path& source, const platform::Path& target,
                          std::int32_t& counter, std::size_t slot) {
    // A file abandoned by the front end is not on the destination, so it counts as failed;
    // the stop question follows at its usual point after this entry.
    // Counted when the file has its real name, after its group is on the device.
    m_batch.copy(
        source, target,
        [this](std::uint64_t done, std::uint64_t total) {
            m_context.display.fileProgress(done, total);
            return m_context.control.continueFile();
        },
        [this, &counter, source, target, slot](const platform::CopyResult& result) {
            if (result.ok) {
                ++counter;
                place(slot, target);
            } else {
                failed(source,
                       result.cancelled ? "cancelled" : platform::errorText(result.errorNumber));
            }
        });
}

void CopyRun::failed(const platform::Path& source, std::string reason) {
    ++m_counters.failed;
    noteProblem({RunProblem::Kind::Failed, source.str(), std::move(reason)});
}

void CopyRun::noteProblem(RunProblem problem) {
    m_context.display.problem(problem);
    m_problems.add(std::move(problem));
}

void CopyRun::showElapsed() {
    const std::uint32_t elapsed = m_clock() - m_startTick - m_pausedMs;
    m_context.display.setElapsedText(m_context.table.StrElapsed + " " + elapsedText(elapsed));
}

// Asks whether to stop; a Yes is a confirmed stop, a No withdraws the cancel request.
bool CopyRun::askStop() {
    m_context.display.setAnimation(false);
    if (m_context.questions.askStop()) {
        m_context.flags.confirmStop();
        return true;
    }
    m_context.flags.withdrawCancel();
    return false;
}

CopyRun::Step CopyRun::afterEntry() {
    RunFlags& flags = m_context.flags;
    if (flags.stopped())
        return Step::EndCancelled;
    showElapsed();
    m_context.display.setGauge(std::min(m_processedKB, m_setup.listSizeKB), m_setup.listSizeKB);

    // A stop may also come from the front end itself (the session ending), paused or not,
    // and while the stop question is open.
    while (flags.paused()) {
        m_context.display.setAnimation(false);
        m_context.control.sleepMs(100);
        m_pausedMs += 100;
        m_context.control.processEvents(flags);
        if (flags.stopped() || (flags.cancelRequested() && askStop()))
            return Step::EndCancelled;
    }

    m_context.control.processEvents(flags);
    if (flags.stopped() || (flags.cancelRequested() && askStop()))
        return Step::EndCancelled;
    m_context.display.setAnimation(true);
    return Step::Next;
}

} // namespace tw::copy
