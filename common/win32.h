#pragma once
// The one way this project includes <windows.h>: the lean header, no min/max macros, strict
// handle types. Every Windows-only file includes this instead of <windows.h>.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef STRICT
#define STRICT
#endif
#include <windows.h>
