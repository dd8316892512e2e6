#pragma once

#include <QtCore/qglobal.h>

// spcommon is a shared library: the host and the component it loads must share
// its registry, error type and Ui port.
#if defined(SPCOMMON_BUILD)
#define SPCOMMON_EXPORT Q_DECL_EXPORT
#else
#define SPCOMMON_EXPORT Q_DECL_IMPORT
#endif
