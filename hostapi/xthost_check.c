/*
 * Keeps the promise that xthost.h and xtheadless.h are plain C: every build compiles this file
 * as ISO C11 with -pedantic and warnings as errors, so a C++-only construct
 * or a compiler extension in a header breaks the build at once. The headers'
 * own static assertions run here in C as well.
 */
#include "xthost.h"
#include "xtheadless.h"

/* The four-character codes the header spells as numbers. */
XT_STATIC_ASSERT(XT_PLUGIN_ID == XT_FOURCC('K', 'D', 'I', 'C'), "plug-in id is 'KDIC'");
XT_STATIC_ASSERT(XT_STYLE_KIND_PRINT == XT_FOURCC('R', 'T', 'P', 'X'), "print style kind is 'RTPX'");
XT_STATIC_ASSERT(XT_MODULE_PDF == XT_FOURCC('F', 'D', 'P', 'X'), "PDF module is 'FDPX'");
XT_STATIC_ASSERT(XT_MODULE_BLEED == XT_FOURCC('L', 'B', 'A', 'X'), "Bleed module is 'LBAX'");

