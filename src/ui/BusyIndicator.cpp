#include "BusyIndicator.h"

#include <QPainter>

namespace {
constexpr int kSteps = 12;
}

BusyIndicator::BusyIndicator(QWidget* parent)
    : QWidget(parent)
{
    setFixedSize(32, 32);
    m_timer.setInterval(80);
    connect(&m_timer, &QTimer::timeout, this, [this] {
        m_step = (m_step + 1) % kSteps;
        update();
    });
}

void BusyIndicator::start()
{
    m_timer.start();
}

void BusyIndicator::stop()
{
    m_timer.stop();
    m_step = 0;
    update();
}

void BusyIndicator::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF globe = QRectF(rect()).adjusted(4, 4, -4, -4);
    const QColor ink = palette().color(QPalette::WindowText);
    painter.setPen(QPen(ink, 1.5));
    painter.drawEllipse(globe);
    // Meridians that move while loading, still when idle.
    const double phase = double(m_step) / kSteps;
    for (int i = 0; i < 2; ++i) {
        const double share = std::fmod(phase + i * 0.5, 1.0);
        const double width = globe.width() * std::abs(std::cos(share * M_PI));
        painter.drawEllipse(QRectF(globe.center().x() - width / 2, globe.top(), width, globe.height()));
    }
    painter.drawLine(QPointF(globe.left(), globe.center().y()), QPointF(globe.right(), globe.center().y()));
    if (isActive()) {
        painter.setPen(QPen(palette().color(QPalette::Highlight), 2.5));
        painter.drawArc(globe.adjusted(-2, -2, 2, 2), -m_step * 30 * 16, 90 * 16);
    }
}
