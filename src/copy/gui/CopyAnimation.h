#pragma once

#include <QWidget>

class QTimer;

namespace tw::copy {

// The copy window's picture: a sheet of paper flying from one folder to another, drawn by
// the program itself. It moves only while running.
class CopyAnimation : public QWidget {
    Q_OBJECT

public:
    explicit CopyAnimation(QWidget* parent = nullptr);

    void setActive(bool on);
    bool isActive() const;
    // The step the picture shows; it advances only while running.
    int frame() const { return m_frame; }

    QSize sizeHint() const override { return {272, 60}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QTimer* m_timer;
    int m_frame = 0;
};

} // namespace tw::copy
