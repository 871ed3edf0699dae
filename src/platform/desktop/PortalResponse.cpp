#include "platform/desktop/PortalResponse.h"

#include <QEventLoop>

namespace tw::platform {

PortalResponse::PortalResponse(QEventLoop* loop)
    : m_loop(loop) {}

void PortalResponse::Response(uint code, const QVariantMap& /*results*/) {
    m_code = code;
    m_loop->quit();
}

} // namespace tw::platform
