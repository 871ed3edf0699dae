#pragma once

#include "platform/MailHandOver.h"

#include <memory>
#include <vector>

namespace tw::platform {

// Ways of handing over a message, tried in order until one takes it.
class MailChain : public MailHandOver {
public:
    void add(std::unique_ptr<MailHandOver> way);

    // A way that fails or throws passes the message on to the next. False when none took it.
    bool handOver(const MailMessage& message) override;

private:
    std::vector<std::unique_ptr<MailHandOver>> m_ways;
};

} // namespace tw::platform
