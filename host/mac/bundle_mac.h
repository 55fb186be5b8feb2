// The macOS start-up's process-wide references: the plug-in's own bundle and
// the interface resources opened for it.
#pragma once

#include <cstdint>

// The plug-in's bundle (a cfseam::BundleRef), null when it was not found.
extern const void* gBundleRef;
// The host's resource reference for the bundle (0: none) and the nib
// reference "Main" (an NSNib, null: none).
extern std::int32_t gResourceRef;
extern void* gNib;

// The bundle's identifier.
inline constexpr const char* kFolantraBundleIdentifier = FOLANTRA_BUNDLE_IDENTIFIER;
