#pragma once

// The library is built with hidden symbols; only what carries this mark is its interface.
#if defined(HOSTLENS_BUILDING_LIBRARY)
#define HOSTLENS_EXPORT __attribute__((visibility("default")))
#else
#define HOSTLENS_EXPORT
#endif
