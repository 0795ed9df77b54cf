#pragma once
// Symbols the control library offers to its hosts.
#include <QtCore/qglobal.h>

#if defined(LUMOTABPRT_BUILD)
#define LUMOTABPRT_EXPORT Q_DECL_EXPORT
#else
#define LUMOTABPRT_EXPORT Q_DECL_IMPORT
#endif
