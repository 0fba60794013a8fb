#pragma once
// The ODBC C API: Windows' sql.h needs the Windows types first; unixODBC's brings its own.
#ifdef _WIN32
#include "common/win32.h"
#endif
#include <sql.h>
#include <sqlext.h>
