#pragma once

namespace bench {

/// Resident memory of this process in KiB.
long residentKiB();

}  // namespace bench
