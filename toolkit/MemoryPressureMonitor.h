#pragma once

#include <QObject>

class QSocketNotifier;

namespace toolkit {

/// Turns the operating system's signals into Qt signals on the main thread: memory
/// warnings from the kernel's memory-pressure notification (where it offers one) and from
/// SIGUSR1 (the manual trigger), and requests to quit from SIGTERM and SIGINT.
class MemoryPressureMonitor : public QObject {
    Q_OBJECT

public:
    explicit MemoryPressureMonitor(QObject* parent = nullptr);
    ~MemoryPressureMonitor() override;

signals:
    void memoryWarning();
    void terminationRequested();

private:
    void readSignals();
    void readPressure();

    int m_pressureFd = -1;
    QSocketNotifier* m_signalNotifier = nullptr;
    QSocketNotifier* m_pressureNotifier = nullptr;
};

} // namespace toolkit
