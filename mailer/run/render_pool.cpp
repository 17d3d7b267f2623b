#include "mailer/run/render_pool.h"

#include <QThread>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

namespace run {

int renderThreads()
{
    return std::max(1, QThread::idealThreadCount());
}

void runOnWorkers(int workers, size_t first, size_t last, const std::function<void(int, size_t)>& task,
                  const std::function<void()>& whileWaiting)
{
    std::atomic<size_t> next{first};
    std::mutex mutex;
    std::condition_variable finished;
    int running = 0;
    auto work = [&](int worker) {
        for (size_t i; (i = next++) < last;)
            task(worker, i);
    };
    std::vector<std::thread> threads;
    for (int w = 0; w < workers; ++w) {
        {
            std::lock_guard<std::mutex> hold(mutex);
            ++running;
        }
        try {
            threads.emplace_back([&, w] {
                work(w);
                std::lock_guard<std::mutex> hold(mutex);
                --running;
                finished.notify_one();
            });
        } catch (const std::system_error&) {
            std::lock_guard<std::mutex> hold(mutex);
            --running;
            break;  // the threads there are do the work
        }
    }
    if (threads.empty())
        work(0);
    std::unique_lock<std::mutex> hold(mutex);
    while (!finished.wait_for(hold, std::chrono::milliseconds(100), [&] { return running == 0; })) {
        hold.unlock();
        whileWaiting();
        hold.lock();
    }
    hold.unlock();
    for (std::thread& t : threads)
        t.join();
}

}  // namespace run
