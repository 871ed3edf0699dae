#include "copy/CopyRun.h"

#include "copy/DeviceNames.h"
#include "copy/ElapsedText.h"
#include "copy/NumberedNames.h"
#include "copy/Renaming.h"
#include "copy/Transliteration.h"
#include "errors/ErrorCodes.h"
#include "errors/Guard.h"
#include "platform/DestinationFolder.h"
#include "platform/Drives.h"
#include "platform/File.h"
#include "platform/FileCopy.h"
#include "platform/FileError.h"
#include "platform/FileSystem.h"
#include "platform/NameRules.h"
#include "platform/RunWhilePumping.h"
#include "playlist/PlaylistReader.h"

#include <algorithm>
#include <chrono>
#include <exception>
#include <memory>
#include <utility>

namespace tw::copy {

namespace {

constexpr const char* destinationGoneReason = "the destination folder is gone";

} // namespace

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
    , m_policy(context.questions, context.renameNoticePending) {
    m_policy.setBeforeAsking([this] { beforeWaiting(); });
    // The front end's events go on while the files go to the device; a Pause or Cancel
    // pressed meanwhile is honoured after the flush, as after a file.
    m_batch.whileFlushing([this] { keepEventsGoing(); });
}

CopyRun::End CopyRun::run() {
    m_counters = RunCounters{};
    m_problems = RunProblems{};
    m_context.flags = RunFlags{};
    m_policy.reset();
    m_pausedMs = 0;
    m_processedKB = 0;
    m_failureReason.clear();
    m_playlistsWritten.clear();
    m_playlistsSettled = 0;
    m_playlist.reset();
    m_listsDone.clear();
    m_copied.clear();
    m_list = 0;
    m_unflushed.clear();
    m_flushError = 0;
    m_claims = ClaimedNames{};
    m_nextNumber.clear();
    m_place = 0;
    m_destinationGone = false;

    End end = End::Failed;
    bool finished = false;
    errors::stepNumber() = 0;
    try {
        walk(end);
        finished = true;
    } catch (...) {
        m_failureReason = errors::currentExceptionMessage();
        try {
            m_context.failures.reportCurrentFailure(errors::codes::CopyRun);
        } catch (...) {
            // The report itself failed; the files copied so far still go to the device.
            finish();
            throw;
        }
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
    settleNames();
    // The destination is let go, so that the device can be ejected.
    m_batch.holdDestination(nullptr);
    m_destination.reset();
    if (!m_flushError)
        return;
    // These playlists had their names given after the last flush that went well.
    for (std::size_t i = m_playlistsSettled; i < m_playlistsWritten.size(); ++i)
        failed(m_playlistsWritten[i], platform::errorText(m_flushError));
    m_playlistsWritten.resize(m_playlistsSettled);
}

void CopyRun::keepEventsGoing() {
    m_context.control.continueFile();
}

void CopyRun::settleNames() {
    const int error = platform::runWhilePumping(
        [this] {
            return m_destination ? m_destination->flush()
                                 : platform::flushFileSystem(m_setup.destination);
        },
        [this] { keepEventsGoing(); }, platform::CopyBatch::flushPumpEvery);
    m_flushError = error;
    if (error == 0) {
        m_unflushed.clear();
        m_playlistsSettled = m_playlistsWritten.size();
        return;
    }
    // Files named since the last flush that went well may not be on the device: they are
    // not reported as copied.
    for (const NamedFile& file : std::exchange(m_unflushed, {})) {
        if (file.flush != m_batch.flushes())
            continue;
        --*file.counter;
        m_copied.erase(copiedKey(file.source));
        if (m_playlist)
            m_playlist->place(file.slot, {});
        failed(file.source, platform::errorText(error));
    }
}

platform::Path CopyRun::nextAutomaticName(const platform::Path& target) {
    // Counting on from the last name given for this target: many files of one name cost
    // one look each, not a look at every name given before.
    std::int64_t& number = m_nextNumber.try_emplace(m_claims.key(target), 1).first->second;
    return automaticName(target, number, [this](const platform::Path& candidate) {
        return m_claims.claimed(candidate) || platform::nameInUse(candidate);
    });
}

void CopyRun::beforeWaiting() {
    // Whatever the gauge counts as done is on the destination under its name while the
    // user decides, and stays there if the device is pulled or the program killed meanwhile.
    m_batch.commit();
}

void CopyRun::walk(End& end) {
    end = End::Failed;
    m_context.display.setGauge(0, m_setup.listSizeKB);
    // Learnt once per run: what names the destination takes, and whether it folds case.
    m_names = platform::probeNameRules(m_setup.destination);
    // Held from here to the end of the run: every file goes below this very folder.
    m_destination = std::make_shared<platform::DestinationFolder>(m_setup.destination.str());
    m_destinationGone = !m_destination->isOpen();
    m_batch.holdDestination(m_destination);
    m_claims = ClaimedNames(m_names.foldsCase);

    for (m_list = 0; m_list < m_setup.playlists.size(); ++m_list) {
        // A stop answered while the list before wrote its playlist leaves the rest.
        if (m_context.flags.stopped() || walkList(m_list) == Step::EndCancelled) {
            end = End::Cancelled;
            return;
        }
    }
    end = End::Completed;
}

CopyRun::Step CopyRun::walkList(std::size_t list) {
    const RunPlaylist& current = m_setup.playlists[list];
    if (m_setup.options.writePlaylist)
        m_playlist.emplace(m_setup.destination);
    playlist::PlaylistReader reader(current.source, current.field);
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
            noteProblem(
                {RunProblem::Kind::Missing, platform::Path::fromEntry(entry->text).str(), {}});
            continue;
        }
        const platform::Path& source = entry->sourcePath;
        if (m_setup.options.onlyMp3 && !playlist::hasMp3Extension(source.str()))
            continue;
        m_context.display.showCurrentFile(source.fileName());

        const std::size_t slot = m_playlist ? m_playlist->addEntry(entryExtinf) : 0;
        // A file an earlier list of the run put on the destination is there already: this
        // list names it where it is. Its size was counted with the earlier list, as the scan
        // counts it.
        const auto earlier = m_copied.find(copiedKey(source));
        if (earlier != m_copied.end() && earlier->second.list != list && !m_destinationGone) {
            ++m_counters.identical;
            place(slot, earlier->second.target);
        } else {
            m_processedKB += playlist::kilobytesOf(entry->size);
            // Missing and filtered entries take no place, so numbered names leave no gaps.
            ++m_place;
            copyEntry(source, entry->relativePart, slot);
        }
        if (afterEntry() == Step::EndCancelled)
            return Step::EndCancelled;
    }
    if (m_playlist) {
        writePlaylist(current);
        m_listsDone.push_back(std::move(*m_playlist));
        m_playlist.reset();
    } else if (list + 1 < m_setup.playlists.size()) {
        // The next list sees every copy of this one under its name.
        m_batch.commit();
    }
    return Step::Next;
}

std::string CopyRun::copiedKey(const platform::Path& source) const {
    // Only a run of several lists looks for its files again.
    return m_setup.playlists.size() < 2 ? std::string() : sourceKey(source);
}

void CopyRun::noteCopied(const platform::Path& source, const platform::Path& target,
                         std::size_t list) {
    if (std::string key = copiedKey(source); !key.empty())
        m_copied.try_emplace(std::move(key), CopiedFile{target, list});
}

platform::Path CopyRun::playlistTarget(const RunPlaylist& list) {
    const std::string& given = m_setup.options.playlistName;
    const platform::Path target =
        m_setup.destination /
        safeName(given.empty() ? defaultPlaylistName(platform::Path(list.source.path())) : given);
    // Two lists of one name (from two folders, say) do not write over each other: the later
    // one is numbered, by the names of this run alone, so that a second run of the same
    // lists finds the same names.
    const auto writtenByRun = [this](const platform::Path& candidate) {
        return std::any_of(m_playlistsWritten.begin(), m_playlistsWritten.end(),
                           [&](const platform::Path& written) {
                               return m_claims.key(written) == m_claims.key(candidate);
                           });
    };
    if (!writtenByRun(target))
        return target;
    std::int64_t number = 1;
    return automaticName(target, number, writtenByRun);
}

bool CopyRun::isSourcePlaylist(const platform::Path& target, bool targetExists) const {
    return std::any_of(
        m_setup.playlists.begin(), m_setup.playlists.end(), [&](const RunPlaylist& list) {
            return isSource(platform::Path(list.source.path()), target, targetExists);
        });
}

void CopyRun::writePlaylist(const RunPlaylist& list) {
    // Every copied file has its real name, on the device, before the list names it.
    m_batch.commit();
    settleNames();
    const platform::Path target = playlistTarget(list);
    // The list is written by its path: once that no longer names the folder the files went
    // to (the drive was unmounted or replaced under the run), it would land elsewhere.
    if (m_destination && !m_destination->stillThere()) {
        failed(target, destinationGoneReason);
        return;
    }
    const std::string name = target.fileName();
    if (!playlistNameAcceptable(name)) {
        failed(target, "the name " + name + " cannot be used");
        return;
    }
    // Neither a source playlist of the run nor a file a list names is written over.
    const bool exists = platform::fileExists(target);
    const auto placedHere = [&](const DestinationPlaylist& done) {
        return done.placedAs(name, m_names.foldsCase);
    };
    if (placedHere(*m_playlist) ||
        std::any_of(m_listsDone.begin(), m_listsDone.end(), placedHere) ||
        isSourcePlaylist(target, exists)) {
        failed(target, "a copied file or a source playlist has this name");
        return;
    }
    // A file of the user's under that name is a collision like any other; the list an
    // earlier copy of this playlist wrote, word for word the same, is left as it is.
    const std::string text = m_playlist->text();
    if (platform::regularFileSize(target) == static_cast<std::int64_t>(text.size()) &&
        sameContent(target, text)) {
        m_playlistsWritten.push_back(target);
        notePlaylistLeftOut();
        return;
    }
    platform::Path written = target;
    bool replace = false;
    if (platform::nameInUse(target)) {
        const CollisionPolicy::Decision decision =
            m_policy.decide(platform::Path(list.source.path()), target, m_names);
        if (decision.stop)
            m_context.flags.confirmStop();
        switch (decision.action) {
        case CollisionAction::Replace:
            replace = true;
            break;
        case CollisionAction::Rename:
            if (!typedNameAcceptable(target.folder(), decision.typedName, m_names)) {
                failed(target, "the name " + decision.typedName + " cannot be used");
                return;
            }
            written = target.folder() / decision.typedName;
            break;
        case CollisionAction::AutoRename:
            written = nextAutomaticName(target);
            break;
        case CollisionAction::Skip:
        case CollisionAction::None:
            return;
        }
    }
    const platform::CopyResult result = platform::writeFile(
        written, text, replace, m_destination ? m_destination->workingFolder() : nullptr);
    if (!result.ok) {
        failed(written, platform::errorText(result.errorNumber));
        return;
    }
    m_playlistsWritten.push_back(written);
    notePlaylistLeftOut();
}

void CopyRun::notePlaylistLeftOut() {
    for (const std::string& path : m_playlist->unlisted())
        noteProblem({RunProblem::Kind::Failed, path,
                     "copied, but left out of the written playlist: its name holds a line break "
                     "or another control character"});
}

bool CopyRun::sameContent(const platform::Path& file, const std::string& text) {
    try {
        platform::InputFile in(file.str());
        std::string content(text.size() + 1, '\0');
        std::size_t done = 0;
        while (done < content.size()) {
            const std::size_t n = in.read(content.data() + done, content.size() - done);
            if (n == 0)
                break;
            done += n;
        }
        content.resize(done);
        return content == text;
    } catch (const std::exception&) {
        return false; // unreadable: not taken for the same
    }
}

bool CopyRun::roomFor(const platform::Path& source, const platform::Path& target,
                      std::size_t slot) const {
    const std::int64_t size = platform::fileSize(source);
    const std::int64_t free = platform::freeBytes(m_setup.destination);
    if (size < 0 || free < 0)
        return true; // the copy itself finds out
    // The list's own file, rounded up generously to the device's clusters.
    constexpr std::uint64_t slack = 64 * 1024;
    const std::uint64_t list =
        (m_playlist->bytesWith(slot, target) + slack - 1) / slack * slack + slack;
    return static_cast<std::uint64_t>(size) + list <= static_cast<std::uint64_t>(free);
}

std::string CopyRun::safeName(const std::string& name) const {
    return m_names.refusesWindowsCharacters ? deviceSafeName(name) : name;
}

platform::Path CopyRun::targetFor(const platform::Path& relativePart) const {
    const platform::Path& destination = m_setup.destination;
    const std::string name = relativePart.fileName();
    std::string newName = safeName(m_setup.options.transliterate ? transliterateName(name) : name);
    if (m_setup.options.number)
        newName = numberedName(newName, m_place, m_setup.fileCount, m_names);
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
    if (m_destinationGone) {
        failed(source, destinationGoneReason);
        return;
    }
    // Missing folders of the target are created by the copy itself.
    const platform::Path target = targetFor(relativePart);
    // The same file under another spelling (doubled separators, a link) is as identical as
    // the same text: copying it onto itself would destroy it.
    // A name the run has claimed, under any spelling the destination takes as the same, is
    // given first, so that it shows taken.
    if (m_claims.claimed(target))
        m_batch.commit();
    // Anything under the name takes it: a FIFO or a link, dangling or not, is not replaced
    // as if the name were free.
    const bool targetExists = platform::nameInUse(target);
    if (isSource(source, target, targetExists) ||
        (targetExists && m_setup.options.skipSame && sameAsBefore(source, target))) {
        ++m_counters.identical;
        place(slot, target);
        noteCopied(source, target, m_list);
        return;
    }
    if (!targetExists) {
        copyCounted(source, target, m_counters.created, slot);
        return;
    }

    // What the user sees in the question is what a replacement may replace.
    const std::optional<platform::FileIdentity> existing = platform::identityOf(target);
    const CollisionPolicy::Decision decision = m_policy.decide(source, target, m_names);
    if (decision.stop)
        m_context.flags.confirmStop();
    switch (decision.action) {
    case CollisionAction::Replace:
        // A playlist of the run is read again when its turn comes (and was read once): a
        // copy in its place would have the run read another list than the one scanned.
        if (isSourcePlaylist(target, targetExists))
            failed(source, "a source playlist of the run has this name");
        else
            copyCounted(source, target, m_counters.replaced, slot, existing);
        break;
    case CollisionAction::Skip:
        ++m_counters.skipped;
        place(slot, target);
        break;
    case CollisionAction::Rename: {
        const platform::Path folder = target.folder();
        // Checked by the dialog already; a name taken since then is not overwritten.
        if (typedNameAcceptable(folder, decision.typedName, m_names) &&
            !m_claims.claimed(folder / decision.typedName))
            copyCounted(source, folder / decision.typedName, m_counters.renamed, slot);
        else
            failed(source, "the name " + decision.typedName + " cannot be used");
        break;
    }
    case CollisionAction::AutoRename:
        copyCounted(source, nextAutomaticName(target), m_counters.autoRenamed, slot);
        break;
    case CollisionAction::None:
        break;
    }
}

void CopyRun::copyCounted(const platform::Path& source, const platform::Path& target,
                          std::int32_t& counter, std::size_t slot,
                          std::optional<platform::FileIdentity> replacing) {
    // A file abandoned by the front end is not on the destination, so it counts as failed;
    // the stop question follows at its usual point after this entry.
    // Counted when the file has its real name, after its group is on the device, by what was
    // decided for it then.
    // Copying as many files as fit leaves room for the playlist that lists them.
    if (m_playlist && m_setup.options.asManyAsFit && !roomFor(source, target, slot)) {
        failed(source, "no room is left for it and the written playlist");
        return;
    }
    auto outcome = std::make_shared<Outcome>(Outcome{&counter, target});
    m_claims.claim(target);
    m_batch.copy(
        source, target,
        [this](std::uint64_t done, std::uint64_t total) {
            m_context.display.fileProgress(done, total);
            return m_context.control.continueFile();
        },
        [this, outcome, source, slot, list = m_list](const platform::CopyResult& result) {
            m_claims.release(outcome->target);
            if (result.nameTaken)
                return; // counted when its name was found taken
            if (result.ok) {
                ++*outcome->counter;
                place(slot, outcome->target);
                noteCopied(source, outcome->target, list);
                // Only the files named since the last flush are kept.
                if (!m_unflushed.empty() && m_unflushed.back().flush != m_batch.flushes())
                    m_unflushed.clear();
                m_unflushed.push_back({m_batch.flushes(), source, outcome->counter, slot});
            } else {
                failed(source, failureReason(result));
            }
        },
        replacing.has_value(),
        [this, outcome, source, slot](const std::string& taken) {
            return nameTakenMeanwhile(source, platform::Path(taken), slot, *outcome);
        },
        replacing);
}

std::optional<platform::CopyBatch::NewTarget>
CopyRun::nameTakenMeanwhile(const platform::Path& source, const platform::Path& target,
                            std::size_t slot, Outcome& outcome) {
    // The copy is whole and on the device, but something took its name after the run chose
    // it (another program, or the user while the run waited): it is a collision now.
    struct Reclaim {
        ClaimedNames& claims;
        const Outcome& outcome;
        platform::Path before;
        ~Reclaim() {
            if (outcome.target.str() != before.str()) {
                claims.release(before);
                claims.claim(outcome.target);
            }
        }
    } reclaim{m_claims, outcome, outcome.target};
    const std::optional<platform::FileIdentity> existing = platform::identityOf(target);
    const CollisionPolicy::Decision decision = m_policy.decide(source, target, m_names);
    if (decision.stop)
        m_context.flags.confirmStop();
    switch (decision.action) {
    case CollisionAction::Replace:
        outcome = {&m_counters.replaced, target};
        return platform::CopyBatch::NewTarget{target.str(), true, existing};
    case CollisionAction::Skip:
        ++m_counters.skipped;
        place(slot, target);
        return std::nullopt;
    case CollisionAction::Rename:
        if (!typedNameAcceptable(target.folder(), decision.typedName, m_names) ||
            m_claims.claimed(target.folder() / decision.typedName)) {
            failed(source, "the name " + decision.typedName + " cannot be used");
            return std::nullopt;
        }
        outcome = {&m_counters.renamed, target.folder() / decision.typedName};
        return platform::CopyBatch::NewTarget{outcome.target.str(), false, {}};
    case CollisionAction::AutoRename:
        outcome = {&m_counters.autoRenamed, nextAutomaticName(target)};
        return platform::CopyBatch::NewTarget{outcome.target.str(), false, {}};
    case CollisionAction::None:
        break;
    }
    return std::nullopt;
}

std::string CopyRun::failureReason(const platform::CopyResult& result) {
    if (result.cancelled)
        return "cancelled";
    switch (result.errorNumber) {
    case platform::destinationGoneError:
        // Nothing more is copied: the rest of the list fails with this reason at once.
        m_destinationGone = true;
        return destinationGoneReason;
    case platform::leavesDestinationError:
        return "a link leads out of the destination folder";
    default:
        return platform::errorText(result.errorNumber);
    }
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
    beforeWaiting();
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

    // Every whole file has its name before the run waits for the user.
    if (flags.paused())
        beforeWaiting();
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
