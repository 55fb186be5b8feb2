// The plug-in's entry and start-up: the handshake with the host, then the
// setup function that binds the host and registers every callback.
#pragma once

#include "xthost.h"

#include <cstdint>

extern uint32_t gXP;          // host version word
extern char gXTPath[512];     // the plug-in's own file (Windows); empty elsewhere
extern uint8_t pdfActive;     // the PDF module is bound
extern uint8_t bleedAvail;    // the Bleed module is bound
extern int32_t pdfcbcode, gPDFBaseFuncGrpId;
extern int32_t gBleedBaseCBCode, gBleedBaseFuncGrpId;

// The body of XTActivateCallback (which runs it through guardEntry).
int32_t folantraActivate(xtactivaterec* rec);
// The start-up functions and life-cycle callbacks the host calls. Each runs
// through guardEntry (host/guard.h): an exception inside answers the host
// XT_ERR_STARTUP (start-up functions) or 0 (callbacks).
int32_t XTAPI folantraSetup(xtsetuprec* rec) noexcept;
int32_t XTAPI folantraRequestCodes(xtsetuprec* rec) noexcept;

int32_t XTAPI doLanguage(xtcbheader* rec) noexcept;
int32_t XTAPI doQuit(xtcbheader* rec) noexcept;
int32_t XTAPI doAbout1(xtcbheader* rec) noexcept;
