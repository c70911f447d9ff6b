// What the two stall benchmarks share: a 10 ms timer that records how late the event loop let
// it tick, and the process's CPU clock.
#pragma once

#include <QElapsedTimer>
#include <QTimer>

#include <sys/resource.h>

#include <algorithm>

class StallProbe {
public:
    StallProbe()
    {
        m_timer.setTimerType(Qt::PreciseTimer);
        m_timer.setInterval(kIntervalMs);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            const qint64 gap = m_sinceTick.restart();
            if (m_ticks++ > 0)
                m_worstLateMs = std::max(m_worstLateMs, gap - kIntervalMs);
        });
    }

    void start()
    {
        m_sinceTick.start();
        m_timer.start();
    }
    qint64 worstLateMs() const { return m_worstLateMs; }
    long ticks() const { return m_ticks; }

private:
    static constexpr int kIntervalMs = 10;
    QTimer m_timer;
    QElapsedTimer m_sinceTick;
    qint64 m_worstLateMs = 0;
    long m_ticks = 0;
};

struct CpuTimes {
    double user = 0;
    double system = 0;

    static CpuTimes now()
    {
        rusage usage{};
        getrusage(RUSAGE_SELF, &usage);
        return {usage.ru_utime.tv_sec + usage.ru_utime.tv_usec / 1e6,
                usage.ru_stime.tv_sec + usage.ru_stime.tv_usec / 1e6};
    }
    CpuTimes operator-(const CpuTimes& before) const { return {user - before.user, system - before.system}; }
};
