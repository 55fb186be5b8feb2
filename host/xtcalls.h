// Wrappers of the host calls the rest of the plug-in relies on. Each checks
// that its group is bound and the entry offered; a missing entry answers like
// a failed call (non-zero, null or false).
#pragma once

#include "xthost.h"
#include "xtheadless.h"

// The setup record kept from start-up; callback registrations go through it.
extern xtsetuprec* xtsetupptr;

// Binds the host's groups in start-up order; false at the first that fails.
bool xtBindHostGroups();
// Forgets every bound group.
void xtUnbindHostGroups();

int32_t xtRegisterCallback(int32_t code, xtcallback handler, int32_t priority);

// Optional modules (bound at start-up when the host has them).
extern const xtgroup* gPDFFuncGrpHndl;
extern const xtgroup* gBleedFuncHndl;
bool xtPdfWantsOut();                         // PDF module: 1 = stay out of this job
bool xtBleedOfDocument(int32_t doc, xtfixed* bleed); // Bleed module's answer

// print
int32_t getSysPrVars(xtprintsettings* out); // cleared, then filled by the host
const xtpageranges* xtGetPageRanges();
int32_t xtPrintState();
// Makes a host file reference from a UTF-8 path; release with xtDisposeBlock.
xtfileref* xtMakeFileRef(const char* path);
// Sets the print job's output file: 0 or the host's error code.
int32_t XTSetFile(const xtfileref* file);
// output stream
int32_t xtWriteStream(const char* bytes, int32_t n);
void xtDisposeBlock(void* block);
// documents, pages, spreads
int32_t xtCurrentDoc();
bool xtDocPageWidth(int32_t doc, xtfixed* out);
bool xtDocPageHeight(int32_t doc, xtfixed* out);
int16_t xtPageCount(int32_t doc);
bool xtGetPageNumData(int16_t page, pagenumdata* out);
bool xtPageToSpread(const pagenumdata* pnd, fixedrect* rect);
// Pages of a spread: a list of 16-bit entries the caller releases with
// xtDisposeBlock; null when the host has none.
int16_t* xtSpreadToPages(int16_t spread, int32_t* bytes);
// fixed rectangles
void xtOffsetRect(fixedrect* r, xtfixed dh, xtfixed dv);
bool xtRectsMeet(const fixedrect* a, const fixedrect* b);
// boxes
bool xtFirstBox(int32_t doc, int16_t spread, xtboxref* out);
bool xtNextBox(xtboxref box, xtboxref* out);
bool xtBoxBounds(xtboxref box, fixedrect* out);
xtboxdesc* xtNewTextBoxDesc(int32_t doc);
void xtReleaseTextBoxDesc(xtboxdesc* desc);
bool xtCreateBox(int32_t doc, xtboxdesc* desc, int16_t spread, xtboxref* out);
void xtReleaseBoxFields(xtboxref box);
void xtDeleteBox(xtboxref box);
// document data (the current document unless a document is given)
void* xtGetDocData(int32_t doc, uint32_t code, int32_t* size); // release with xtDisposeBlock
bool xtSetDocData(int32_t doc, uint32_t code, const void* block, int32_t size);
void xtMarkDocChanged(int32_t doc, int32_t level);
bool xtDocPath(int32_t doc, char* out, int32_t cap);
bool xtDocName(int32_t doc, char* out, int32_t cap);
// output styles and XML nodes
bool xtStyleKind(xtstyleref style, uint32_t* kind);
xtxmlnode* xtStyleGetNode(xtstyleref style, uint32_t code); // dispose with xtXmlDispose
bool xtStyleSetNode(xtstyleref style, uint32_t code, const xtxmlnode* node);
xtxmlelem* xtXmlElement(xtxmlnode* node);
xtxmlelem* xtXmlFindChild(xtxmlelem* elem, const char* name);
xtxmlelem* xtXmlCreateChild(xtxmlelem* elem, const char* name);
int32_t xtXmlGetValue(xtxmlelem* elem, const char* name, char* out, int32_t cap); // length or -1
bool xtXmlSetValue(xtxmlelem* elem, const char* name, const char* value);
void xtXmlDispose(xtxmlnode* node);
// headless window system (Linux build); null when the host offers none
const xtgroup* xtHeadlessGroup();
// Windows dialog interface (pane registration, control announcements); null
// when the host offers none
const xtgroup* xtWinDialogGroup();
