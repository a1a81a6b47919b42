#pragma once

#include <QObject>

class QSocketNotifier;

namespace toolkit {

/// Turns the operating system's signals into Qt signals on the main thread: memory
/// warnings from the kernel's memory-pressure notification (where it offers one) and from
/// SIGUSR1 (the manual trigger), and requests to quit from SIGTERM and SIGINT. A second
/// SIGTERM or SIGINT while the first is being honoured (the exit drain) quits at once,
/// after the emergency clean-up.
class MemoryPressureMonitor : public QObject {
    Q_OBJECT

public:
    /// `emergencyCleanup` is what a second termination signal runs before the process ends,
    /// while this monitor lives: it runs inside the signal handler, so only
    /// async-signal-safe calls (unlink, write).
    explicit MemoryPressureMonitor(void (*emergencyCleanup)() = nullptr, QObject* parent = nullptr);
    ~MemoryPressureMonitor() override;

    /// Makes SIGUSR1 harmless until a monitor listens (and after the last one goes): a
    /// memory warning must never end the process. First thing in main.
    static void ignoreWarningsUntilWatched();

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
