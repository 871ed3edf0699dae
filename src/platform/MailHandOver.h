#pragma once

#include <string>

namespace tw::platform {

// A message for the user's mail client, which shows it for review before anything is sent.
struct MailMessage {
    std::string recipient;
    std::string subject;
    std::string attachmentPath; // empty: nothing attached
};

// One way of handing a message to the user's mail client.
class MailHandOver {
public:
    virtual ~MailHandOver() = default;

    // Returns once the mail client has the message (or the user dismissed it on the way);
    // false when this way is not available here. May throw.
    virtual bool handOver(const MailMessage& message) = 0;
};

} // namespace tw::platform
