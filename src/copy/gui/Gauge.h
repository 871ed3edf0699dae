#pragma once

#include <QWidget>

#include <cstdint>

namespace tw::copy {

// A horizontal bar with its percentage printed in the middle: navy on the window colour,
// the figure in the window colour where the bar lies under it. Holds any 64-bit size.
class Gauge : public QWidget {
    Q_OBJECT

public:
    explicit Gauge(QWidget* parent = nullptr);

    void setMaximum(std::int64_t maximum);
    void setPosition(std::int64_t position);
    std::int64_t maximum() const { return m_maximum; }
    std::int64_t position() const { return m_position; }
    // Whole percent done; 0 while the maximum is 0.
    int percent() const;

    QSize sizeHint() const override { return {358, 20}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::int64_t m_maximum = 0;
    std::int64_t m_position = 0;
};

} // namespace tw::copy
