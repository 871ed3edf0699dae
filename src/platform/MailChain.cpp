#include "platform/MailChain.h"

#include <utility>

namespace tw::platform {

void MailChain::add(std::unique_ptr<MailHandOver> way) {
    m_ways.push_back(std::move(way));
}

bool MailChain::handOver(const MailMessage& message) {
    for (const auto& way : m_ways) {
        try {
            if (way->handOver(message))
                return true;
        } catch (...) {
            // This way is broken here; the next one may still work.
        }
    }
    return false;
}

} // namespace tw::platform
