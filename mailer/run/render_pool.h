#pragma once
#include <cstddef>
#include <functional>

namespace run {

/// How many statements are rendered at once: the machine's cores, at least one.
int renderThreads();

/// Calls `task(worker, index)` once for each index from `first` to `last` - 1, in any order, on up
/// to `workers` threads of its own (numbered from 0), and returns when all are done. Meanwhile the
/// calling thread calls `whileWaiting` about every 100 ms. Neither may throw.
void runOnWorkers(int workers, size_t first, size_t last, const std::function<void(int, size_t)>& task,
                  const std::function<void()>& whileWaiting);

}  // namespace run
