#include "copy/CollisionPolicy.h"

#include "platform/FileSystem.h"

namespace tw::copy {

namespace {

FileFacts factsOf(const platform::Path& path) {
    return FileFacts{path, platform::fileSize(path), platform::lastWriteTime(path)};
}

} // namespace

CollisionPolicy::CollisionPolicy(RunQuestions& questions, bool& noticePending)
    : m_questions(questions)
    , m_noticePending(noticePending) {}

void CollisionPolicy::reset() {
    m_remembered = false;
    m_current = CollisionAction::None;
}

CollisionPolicy::Decision CollisionPolicy::decide(const platform::Path& source,
                                                  const platform::Path& target,
                                                  const platform::NameRules& targetNames) {
    CollisionQuestion question{factsOf(target), factsOf(source), false, targetNames};
    question.sameSize = m_remembered && m_current == CollisionAction::AutoRename &&
                        question.target.size == question.source.size;

    const auto beforeAsking = [this] {
        if (m_beforeAsking && !m_questions.answersAtOnce())
            m_beforeAsking();
    };
    if (question.sameSize && m_noticePending) {
        beforeAsking();
        m_noticePending = false;
        m_questions.showAutoRenameNotice();
    }

    Decision decision;
    if (!m_remembered || m_current == CollisionAction::Rename || question.sameSize) {
        m_current = CollisionAction::None;
        beforeAsking();
        const CollisionAnswer answer = m_questions.askCollision(question);
        m_current = answer.action;
        // A disabled box cannot have been ticked.
        m_remembered = answer.sameForRest && !question.sameSize;
        decision.typedName = answer.typedName;
        decision.stop = answer.stopConfirmed;
    }
    decision.action = decision.stop ? CollisionAction::None : m_current;

    if (question.sameSize) {
        m_remembered = true;
        m_current = CollisionAction::AutoRename;
    }
    return decision;
}

} // namespace tw::copy
