#include "platform/stop_signals.h"

#include "platform/service_notifier.h"

#include <csignal>
#include <pthread.h>
#include <thread>

namespace platform {

void stopOnSignals(std::atomic<bool>& stop)
{
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGINT);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
    std::thread([stopSignals, &stop] {
        for (;;) {
            int taken = 0;
            if (sigwait(&stopSignals, &taken) != 0)
                continue;
            const bool first = !stop.exchange(true);
            if (first)
                notifyStopping();
        }
    }).detach();
}

}  // namespace platform
