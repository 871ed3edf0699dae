#pragma once

#include "copy/ProgressDisplay.h"
#include "copy/RunControl.h"
#include "copy/RunFailureSink.h"
#include "copy/RunQuestions.h"
#include "errors/Guard.h"

#include <gtest/gtest.h>
#include <string_view>

#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace tw::copy::test {

// A front end that records what the run shows and answers from a script. Collision answers
// and stop answers are taken in order; an unscripted question fails the test. Cancel and
// pause write the run's flags, as a window's buttons do.
class ScriptedHost : public ProgressDisplay,
                     public RunControl,
                     public RunQuestions,
                     public RunFailureSink {
public:
    // The codes of the failures the run reported; each is also handed to the error reporter.
    std::vector<std::string> failureCodes;
    void reportCurrentFailure(std::string_view code) override {
        failureCodes.emplace_back(code);
        errors::reportCurrentException(code);
    }

    // The run's clock: sleepMs moves it on, and so may the hooks.
    std::uint32_t now = 0;

    std::vector<std::string> shownFiles, elapsedTexts, statuses;
    std::vector<std::pair<std::int64_t, std::int64_t>> gauges;
    std::vector<CollisionQuestion> questions;
    std::deque<CollisionAnswer> collisionAnswers;
    std::deque<bool> stopAnswers;
    int stopQuestions = 0;
    int notices = 0;
    int fileProgressCalls = 0;
    bool cancelFiles = false;
    RunFlags* flags = nullptr; // the run's flags, which the buttons write
    int pauseStepsLeft = 0;    // a pause ends after this many 100 ms steps

    void pressCancel() { flags->requestCancel(); }
    void pressPause(int steps) {
        flags->setPaused(true);
        pauseStepsLeft = steps;
    }

    // Called when the run shows a file name: lets a test press buttons "during" that file.
    std::function<void(ScriptedHost&, const std::string&)> onFile;
    // Called whenever the run waits for the user: in a pause step, a question, the notice.
    std::function<void()> onWait;
    void waited() {
        if (onWait)
            onWait();
    }

    TickClock clock() {
        return [this] { return now; };
    }

    void showCurrentFile(const std::string& fileName) override {
        shownFiles.push_back(fileName);
        if (onFile)
            onFile(*this, fileName);
    }
    void setElapsedText(const std::string& text) override { elapsedTexts.push_back(text); }
    void setGauge(std::int64_t position, std::int64_t maximum) override {
        gauges.emplace_back(position, maximum);
    }
    void setAnimation(bool) override {}
    void setStatus(const std::string& text) override { statuses.push_back(text); }
    void processEvents(RunFlags&) override {}
    void sleepMs(int ms) override {
        waited();
        now += static_cast<std::uint32_t>(ms);
        if (flags->paused() && --pauseStepsLeft <= 0)
            flags->setPaused(false);
    }
    // Called whenever the run lets the front end's events go on between two steps of its
    // work (a chunk of a file, a step of a flush).
    std::function<void(ScriptedHost&)> onContinueFile;
    bool continueFile() override {
        if (onContinueFile)
            onContinueFile(*this);
        return !cancelFiles;
    }
    bool askStop() override {
        waited();
        ++stopQuestions;
        if (stopAnswers.empty()) {
            ADD_FAILURE() << "unexpected stop question";
            return false;
        }
        const bool yes = stopAnswers.front();
        stopAnswers.pop_front();
        return yes;
    }
    CollisionAnswer askCollision(const CollisionQuestion& q) override {
        waited();
        questions.push_back(q);
        if (collisionAnswers.empty()) {
            ADD_FAILURE() << "unexpected collision dialog for " << q.target.path;
            return {};
        }
        CollisionAnswer answer = collisionAnswers.front();
        collisionAnswers.pop_front();
        return answer;
    }
    void showAutoRenameNotice() override {
        waited();
        ++notices;
    }
    void fileProgress(std::uint64_t, std::uint64_t) override { ++fileProgressCalls; }
};

inline CollisionAnswer answer(CollisionAction action, bool sameForRest = false,
                              std::string typedName = {}) {
    CollisionAnswer a;
    a.action = action;
    a.sameForRest = sameForRest;
    a.typedName = std::move(typedName);
    return a;
}

} // namespace tw::copy::test
