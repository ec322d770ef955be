// What the link library TobrelComm3 exports: the classes and functions marked
// TOBRELCOMM3_EXPORT are its interface; everything else stays inside the library.
#pragma once

#include <QtGlobal>

#if defined(TOBRELCOMM3_LIBRARY)
#define TOBRELCOMM3_EXPORT Q_DECL_EXPORT
#else
#define TOBRELCOMM3_EXPORT Q_DECL_IMPORT
#endif
