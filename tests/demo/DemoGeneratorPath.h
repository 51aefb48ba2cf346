// Where the build put the demo generator, for the tests that make demo
// gateway roots with it; nullptr when the demo is not part of the build.
#pragma once

namespace gateway::testing {

#ifdef GATEWAY_DEMO_GENERATOR
inline constexpr const char* kDemoGenerator = GATEWAY_DEMO_GENERATOR;
#else
inline constexpr const char* kDemoGenerator = nullptr;
#endif

}  // namespace gateway::testing
