// What the overlay pass keeps between passes so that it can repair only what changed:
// being written.
#pragma once

namespace cs {

struct OverlayCache {};

} // namespace cs
