#include "copy/CollisionPolicy.h"

#include "platform/FileSystem.h"

namespace tw::copy {

bool& autoRenameNoticePending() {
    static bool pending = true;
    return pending;
}

namespace {

FileFacts factsOf(const std::string& path) {
    return FileFacts{path, platform::fileSize(path), platform::lastWriteTime(path)};
}

} // namespace

CollisionPolicy::CollisionPolicy(CopyHost& host)
    : m_host(host) {}

void CollisionPolicy::reset() {
    m_remembered = false;
    m_current = CollisionAction::None;
}

CollisionPolicy::Decision CollisionPolicy::decide(const std::string& source,
                                                  const std::string& target) {
    CollisionQuestion question{factsOf(target), factsOf(source), false};
    question.sameSize = m_remembered && m_current == CollisionAction::AutoRename &&
                        question.target.size == question.source.size;

    if (question.sameSize && autoRenameNoticePending()) {
        autoRenameNoticePending() = false;
        m_host.showAutoRenameNotice();
    }

    Decision decision;
    if (!m_remembered || m_current == CollisionAction::Rename || question.sameSize) {
        m_current = CollisionAction::None;
        const CollisionAnswer answer = m_host.askCollision(question);
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
