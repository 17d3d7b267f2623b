#pragma once
#include "platform/error.h"

#include <optional>

namespace testing_support {

/// The platform::Error that `run` raises; none when it returns.
template <class F>
std::optional<platform::Error> errorOf(F run)
{
    try {
        run();
    } catch (const platform::Error& e) {
        return e;
    }
    return std::nullopt;
}

/// The number of the error that `run` raises, or 0.
template <class F>
int errorNumberOf(F run)
{
    const auto e = errorOf(run);
    return e ? e->number() : 0;
}

}  // namespace testing_support
