#pragma once

#include <QObject>
#include <QVariantMap>

#include <optional>

class QEventLoop;

namespace tw::platform {

// Receives the Response signal of one desktop-portal request.
class PortalResponse : public QObject {
    Q_OBJECT

public:
    // The loop is left when the response arrives.
    explicit PortalResponse(QEventLoop* loop);

    // 0 = done, 1 = cancelled by the user, 2 = failed; nothing before the response.
    std::optional<uint> code() const { return m_code; }

public slots:
    void Response(uint code, const QVariantMap& results);

private:
    QEventLoop* m_loop;
    std::optional<uint> m_code;
};

} // namespace tw::platform
