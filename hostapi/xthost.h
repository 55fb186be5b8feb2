/*
 * xthost.h - the contract between the page-layout host and an XTension.
 *
 * Plain C, shared by the plug-in and by every host that loads it. Every record
 * has a fixed layout; the offsets that either side relies on are checked below
 * with static assertions. Conventions:
 *
 *  - One calling convention, XTAPI, for every function pointer in this file.
 *  - Every table the host hands out begins with a version word, and every host
 *    function takes that table as its first argument, so a host needs no
 *    globals: it finds its own state in the table's `host` field.
 *  - Results are 0 for success unless a function says otherwise.
 *  - Fixed-point values are signed 16.16 (points = value / 65536).
 *  - Four-character codes are 32-bit values read from the most significant
 *    byte: 'KDIC' = 0x4B444943.
 *  - Ownership is stated per field: "host-owned" memory stays valid until the
 *    host call that produced it returns or until the stated release call;
 *    "caller-owned" memory is released by the plug-in through the named entry.
 *  - The host calls every entry of the plug-in on its main thread, one call at
 *    a time.
 */
#ifndef FOLANTRA_XTHOST_H
#define FOLANTRA_XTHOST_H

#include <stddef.h>
#include <stdint.h>

/* Errors and exceptions
 *
 * Failure crosses this interface as a result, never as a C++ exception. No
 * exception may leave an entry of this interface, in either direction: each
 * side calls the other from frames that cannot unwind one, so a side written
 * in C++ catches everything inside every entry it serves and answers that
 * entry's failure value instead:
 *
 *  - The plug-in's entries: XTActivateCallback and the start-up functions
 *    answer XT_ERR_STARTUP (start-up cannot go on); a callback answers 0, as
 *    it does after any call; the pane procedure answers 0 (the action was not
 *    carried out). The plug-in writes what it caught to its diagnostics log.
 *  - The host's functions (the entries of the activation and setup records
 *    and of every function group): a function with a status result answers a
 *    failure status, XT_ERR_NOTFOUND unless its own description names
 *    another, with its outputs as after any failed call; a function with a
 *    byte answer answers 0; one without a result just returns.
 *
 * A caller takes such an answer as it takes any other failure of that entry,
 * and may go on calling. */

#ifdef __cplusplus
extern "C" {
#endif

/* The interface is defined for 64-bit targets only (Windows x64, macOS,
 * Linux): the record layouts asserted below are theirs, and each of them has
 * one C calling convention, so XTAPI, the convention of every function
 * pointer in this file, is empty. */
#if !defined(UINTPTR_MAX) || !defined(UINT64_MAX) || UINTPTR_MAX != UINT64_MAX
#error "xthost.h: only 64-bit targets are supported (Windows x64, macOS, Linux)"
#endif
#define XTAPI

#if defined(_WIN32)
#define XTEXPORT __declspec(dllexport)
#else
#define XTEXPORT __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
#define XT_STATIC_ASSERT(c, m) static_assert(c, m)
#else
#define XT_STATIC_ASSERT(c, m) _Static_assert(c, m)
#endif

/* ------------------------------------------------------------------------ */
/* Identifiers and status codes                                             */
/* ------------------------------------------------------------------------ */

#define XT_FOURCC(a, b, c, d) \
    (((uint32_t)(a) << 24) | ((uint32_t)(b) << 16) | ((uint32_t)(c) << 8) | (uint32_t)(d))

#define XT_PLUGIN_ID 0x4B444943u      /* 'KDIC': handshake, document data, style node */
#define XT_STYLE_KIND_PRINT 0x52545058u /* 'RTPX': kind code of print output styles */
#define XT_MODULE_PDF 0x46445058u     /* 'FDPX': the host's PDF module */
#define XT_MODULE_BLEED 0x4C424158u   /* 'LBAX': the host's Bleed module */

#define XT_ERR_STARTUP 0x51000401     /* start-up cannot go on */
#define XT_ERR_GLUE_TRIPLE 0x5100040F /* the glue was handed another interface triple */
#define XT_ERR_NOTFOUND (-1)          /* lookup failed / entry not offered */

/* The interface triple and handshake values. The macOS form is used by every
 * build that is not Windows (the Linux build follows macOS). */
#if defined(_WIN32)
#define XT_HANDSHAKE_KIND 11
#define XT_HANDSHAKE_VERSION 0x419A0014u
#define XT_TRIPLE_KIND 11
#define XT_TRIPLE_REVISION 193
#define XT_TRIPLE_VERSION 0x419A0000u
#define XT_REGISTER_FLAGS 5
#else
#define XT_HANDSHAKE_KIND 5
#define XT_HANDSHAKE_VERSION 0x40ED0014u
#define XT_TRIPLE_KIND 5
#define XT_TRIPLE_REVISION 623
#define XT_TRIPLE_VERSION 0x40ED0000u
#define XT_REGISTER_FLAGS 7
#endif

/* Versions of the tables below; a table of another version is not used. */
#define XT_ACTIVATE_VERSION 1u
#define XT_SETUP_VERSION 1u
#define XT_GROUP_VERSION 1u
#define XT_CALLBACK_VERSION 1u

/* ------------------------------------------------------------------------ */
/* Shared value records                                                     */
/* ------------------------------------------------------------------------ */

typedef int32_t xtfixed; /* 16.16 signed */

/* A rectangle in fixed point: top, left, bottom, right. In page and spread
 * coordinates y grows downwards. Plain value; owned by whoever declares it. */
typedef struct fixedrect {
    xtfixed top;    /* 0 */
    xtfixed left;   /* 4 */
    xtfixed bottom; /* 8 */
    xtfixed right;  /* 12 */
} fixedrect;
XT_STATIC_ASSERT(sizeof(fixedrect) == 16, "fixedrect is 16 bytes");
XT_STATIC_ASSERT(offsetof(fixedrect, left) == 4, "fixedrect.left at 4");
XT_STATIC_ASSERT(offsetof(fixedrect, bottom) == 8, "fixedrect.bottom at 8");
XT_STATIC_ASSERT(offsetof(fixedrect, right) == 12, "fixedrect.right at 12");

/* The page-number record (10 bytes). Filled by the host (page entry
 * XT_PAGE_NUMDATA) into caller-owned storage. */
typedef struct pagenumdata {
    int16_t spread;       /* 0: spread number, 1-based */
    int16_t pageInSpread; /* 2: position of the page in its spread, 0-based */
    int16_t docPage;      /* 4: absolute page number, 1-based */
    int16_t reserved1;    /* 6: 0 */
    int16_t reserved2;    /* 8: 0 */
} pagenumdata;
XT_STATIC_ASSERT(sizeof(pagenumdata) == 10, "pagenumdata is 10 bytes");
XT_STATIC_ASSERT(offsetof(pagenumdata, spread) == 0, "spread first");

/* A box on a spread: a handle the host hands out, valid until the box is
 * deleted. 0 is never a box. */
typedef uint32_t xtboxref;

/* The current print settings: 468 bytes, cleared and filled by the host
 * (print entry XT_PRINT_SETTINGS) into caller-owned storage. */
#define XT_PRINT_BLANKPAGES 0x4u /* prepare pages without items at job start */
#define XT_PRINT_SPREADS 0x8u    /* pages go out as whole spreads */
#define XT_PRINT_BLEEDMASK 0x600u /* a bleed is set in bleedAmount/bleedOffset */
#define XT_PRINT_BLEED_SYMMETRIC 0x200u
#define XT_PRINT_BLEED_ASYMMETRIC 0x400u

typedef struct xtprintsettings {
    uint32_t version;     /* 0: XT_GROUP_VERSION */
    uint32_t size;        /* 4: 468 */
    uint32_t flags;       /* 8: XT_PRINT_* bits */
    int32_t output;       /* 12: output kind; (output & 7) == 1 for output that may be scaled */
    uint8_t reserved[440];/* 16: host's own; 0 for plug-ins */
    xtfixed bleedAmount;  /* 456: bleed beyond the page edge */
    xtfixed reserved2;    /* 460 */
    xtfixed bleedOffset;  /* 464: bleed offset, added to the amount */
} xtprintsettings;
XT_STATIC_ASSERT(sizeof(xtprintsettings) == 468, "print settings are 468 bytes");
XT_STATIC_ASSERT(offsetof(xtprintsettings, flags) == 8, "flags word at 8");
XT_STATIC_ASSERT(offsetof(xtprintsettings, output) == 12, "output field at 12");
XT_STATIC_ASSERT(offsetof(xtprintsettings, bleedAmount) == 456, "bleed at 456");
XT_STATIC_ASSERT(offsetof(xtprintsettings, bleedOffset) == 464, "bleed offset at 464");

/* The printed page ranges (print entry XT_PRINT_PAGERANGES): a host-owned
 * block, valid until the current callback returns. */
typedef struct xtpagerange {
    int16_t first; /* 1-based, inclusive */
    int16_t last;  /* inclusive */
} xtpagerange;
typedef struct xtpageranges {
    int16_t count;          /* 0 */
    int16_t reserved;       /* 2 */
    xtpagerange ranges[1];  /* 4: `count` entries */
} xtpageranges;
XT_STATIC_ASSERT(offsetof(xtpageranges, ranges) == 4, "ranges at 4");
XT_STATIC_ASSERT(sizeof(xtpagerange) == 4, "range pair is 4 bytes");

/* A new-box description (text-box entries). Host-owned: made by
 * XT_TEXTBOX_NEWDESC, released by XT_TEXTBOX_RELEASEDESC. The plug-in may set
 * `bounds` and clear `frameWidth` and `runaround` before creating a box. */
#pragma pack(push, 2)
typedef struct xtboxdesc {
    uint32_t version;   /* 0 */
    uint32_t size;      /* 4 */
    fixedrect bounds;   /* 8: in spread coordinates */
    int32_t document;   /* 24 */
    int32_t shape;      /* 28: as requested (4) */
    int32_t content;    /* 32: as requested (5) */
    xtfixed fillShade;  /* 36: 0 = none */
    int16_t reserved;   /* 40 */
    int32_t frameWidth; /* 42: frame width, fixed; 0 = no frame */
    int16_t reserved2;  /* 46 */
    int16_t runaround;  /* 48: runaround kind; 0 = none */
    int16_t reserved3;  /* 50 */
} xtboxdesc;
#pragma pack(pop)
XT_STATIC_ASSERT(sizeof(xtboxdesc) == 52, "box description is 52 bytes");
XT_STATIC_ASSERT(offsetof(xtboxdesc, bounds) == 8, "bounds at 8");
XT_STATIC_ASSERT(offsetof(xtboxdesc, frameWidth) == 42, "32-bit field at 42");
XT_STATIC_ASSERT(offsetof(xtboxdesc, runaround) == 48, "16-bit field at 48");

/* The Bleed module's answer block (32 bytes, caller-owned, cleared by the
 * caller): the document's bleed as fixed at offset 8. */
typedef struct xtbleedanswer {
    uint32_t version;  /* 0 */
    uint32_t kind;     /* 4: the style kind asked for */
    xtfixed bleed;     /* 8 */
    uint8_t reserved[20];
} xtbleedanswer;
XT_STATIC_ASSERT(sizeof(xtbleedanswer) == 32, "bleed answer is 32 bytes");
XT_STATIC_ASSERT(offsetof(xtbleedanswer, bleed) == 8, "bleed at 8");

/* ------------------------------------------------------------------------ */
/* Function groups                                                          */
/* ------------------------------------------------------------------------ */

typedef void (XTAPI *xtproc)(void);

/* A bound function group. Host-owned; valid from binding until the host
 * unloads the plug-in. entries[n] is entry n of the group, or null when the
 * host does not offer it. */
typedef struct xtgroup {
    uint32_t version;       /* 0: XT_GROUP_VERSION */
    int32_t groupId;        /* 4: the identifier it was bound by */
    void* host;             /* 8: the host's own state; opaque to plug-ins */
    uint32_t count;         /* 16: number of entries */
    uint32_t reserved;      /* 20 */
    const xtproc* entries;  /* 24 */
} xtgroup;
XT_STATIC_ASSERT(offsetof(xtgroup, host) == 8, "group host at 8");
XT_STATIC_ASSERT(offsetof(xtgroup, entries) == 24, "group entries at 24");

/* Groups bound by identifier (in this order at start-up). */
#define XT_GROUPID_UNICODE 1
#define XT_GROUPID_GRAPHICS 2
#define XT_GROUPID_STRING 3
#define XT_GROUPID_OPENTYPE 4

/* Groups bound by name (in this order at start-up). */
#define XT_GROUP_PRINT "print"
#define XT_GROUP_UTILITY "utility"
#define XT_GROUP_DOCMEASURE "docmeasure"
#define XT_GROUP_PAGE "page"
#define XT_GROUP_SPREAD "spread"
#define XT_GROUP_FIXEDRECT "fixedrect"
#define XT_GROUP_BOX "box"
#define XT_GROUP_TEXTBOX "textbox"
#define XT_GROUP_BOXFIELDS "boxfields"
#define XT_GROUP_DOCDATA "docdata"
#define XT_GROUP_OUTPUTSTYLE "outputstyle"
#define XT_GROUP_XMLNODE "xmlnode"
/* The headless group of the Linux build is an extension of its own:
 * xtheadless.h. */

/* The identifiers a host gives the groups bound by name (their groupId).
 * A plug-in binds these groups by name and never needs the numbers; a host
 * hands them out so that a table names its group. */
#define XT_GROUPID_PRINT 10
#define XT_GROUPID_UTILITY 11
#define XT_GROUPID_DOCMEASURE 12
#define XT_GROUPID_PAGE 13
#define XT_GROUPID_SPREAD 14
#define XT_GROUPID_FIXEDRECT 15
#define XT_GROUPID_BOX 16
#define XT_GROUPID_TEXTBOX 17
#define XT_GROUPID_BOXFIELDS 18
#define XT_GROUPID_DOCDATA 20
#define XT_GROUPID_OUTPUTSTYLE 21
#define XT_GROUPID_XMLNODE 22

/* Each group below ends with the size of its table (XT_*_ENTRIES, the
 * group's `count`): entries 0 .. size - 1, of which those not named here are
 * null. A plug-in still checks an index against the bound group's count. */

/* print group */
#define XT_PRINT_STATE 11      /* int32_t (grp, int32_t* state): 3 = printing */
#define XT_PRINT_PAGERANGES 20 /* int32_t (grp, const xtpageranges** out): host-owned block or null */
#define XT_PRINT_SETTINGS 22   /* int32_t (grp, xtprintsettings* out) */
#define XT_PRINT_SETFILE 31    /* int32_t (grp, const xtfileref* file): the job's output file; only at
                                  job start; 0 or the host's error code */
typedef int32_t (XTAPI *xt_print_state_fn)(const xtgroup*, int32_t* state);
typedef int32_t (XTAPI *xt_print_pageranges_fn)(const xtgroup*, const xtpageranges** out);
typedef int32_t (XTAPI *xt_print_settings_fn)(const xtgroup*, xtprintsettings* out);
/* A host file reference: made by XT_UTIL_FILEREF, released with XT_UTIL_DISPOSE. */
typedef struct xtfileref xtfileref;
typedef int32_t (XTAPI *xt_print_setfile_fn)(const xtgroup*, const xtfileref* file);
#define XT_PRINT_ENTRIES 32

/* utility group */
#define XT_UTIL_WRITESTREAM 1  /* int32_t (grp, bytes, n): append to the job's PostScript */
#define XT_UTIL_DISPOSE 2      /* void (grp, block): release a block the host handed out */
#define XT_UTIL_FILEREF 3      /* int32_t (grp, const char* path, xtfileref** out): UTF-8 path */
typedef int32_t (XTAPI *xt_util_writestream_fn)(const xtgroup*, const char* bytes, int32_t n);
typedef void (XTAPI *xt_util_dispose_fn)(const xtgroup*, void* block);
typedef int32_t (XTAPI *xt_util_fileref_fn)(const xtgroup*, const char* path, xtfileref** out);
#define XT_UTIL_ENTRIES 4

/* document-measure group */
#define XT_DOC_CURRENT 1       /* int32_t (grp): current document reference, -1 when none */
#define XT_DOC_PAGEWIDTH 3     /* int32_t (grp, doc, xtfixed* out) */
#define XT_DOC_PAGEHEIGHT 4    /* int32_t (grp, doc, xtfixed* out) */
typedef int32_t (XTAPI *xt_doc_current_fn)(const xtgroup*);
typedef int32_t (XTAPI *xt_doc_measure_fn)(const xtgroup*, int32_t doc, xtfixed* out);
#define XT_DOC_ENTRIES 5

/* page group (pages of the current document) */
#define XT_PAGE_COUNT 11       /* int32_t (grp, doc, 0, int16_t* count) */
#define XT_PAGE_NUMDATA 21     /* int32_t (grp, page, pagenumdata* out); -1 for no such page */
typedef int32_t (XTAPI *xt_page_count_fn)(const xtgroup*, int32_t doc, int32_t zero, int16_t* count);
typedef int32_t (XTAPI *xt_page_numdata_fn)(const xtgroup*, int16_t page, pagenumdata* out);
#define XT_PAGE_ENTRIES 22

/* spread group (spreads of the current document) */
#define XT_SPREAD_PAGETOSPREAD 8 /* int32_t (grp, const pagenumdata*, fixedrect* inout) */
#define XT_SPREAD_PAGES 10       /* int32_t (grp, spread, int16_t** list, int32_t* bytes):
                                    caller-owned list, released with XT_UTIL_DISPOSE */
typedef int32_t (XTAPI *xt_spread_pagetospread_fn)(const xtgroup*, const pagenumdata*, fixedrect* inout);
typedef int32_t (XTAPI *xt_spread_pages_fn)(const xtgroup*, int16_t spread, int16_t** list, int32_t* bytes);
#define XT_SPREAD_ENTRIES 11

/* fixed-rectangle group */
#define XT_FIXEDRECT_OFFSET 3    /* void (grp, fixedrect* r, dh, dv): move by (dh, dv) */
#define XT_FIXEDRECT_INTERSECT 7 /* uint8_t (grp, a, b): 1 when the two meet */
typedef void (XTAPI *xt_fixedrect_offset_fn)(const xtgroup*, fixedrect* r, xtfixed dh, xtfixed dv);
typedef uint8_t (XTAPI *xt_fixedrect_intersect_fn)(const xtgroup*, const fixedrect* a, const fixedrect* b);
#define XT_FIXEDRECT_ENTRIES 8

/* box group (boxes of the current document) */
#define XT_BOX_FIRST 6           /* int32_t (grp, doc, spread, xtboxref* out); -1 when none */
#define XT_BOX_DELETE 10         /* int32_t (grp, box, 0) */
#define XT_BOX_CREATE 16         /* int32_t (grp, doc, desc, spread, 0, 0, xtboxref* out) */
#define XT_BOX_NEXT 8            /* int32_t (grp, box, xtboxref* out); -1 after the last */
#define XT_BOX_BOUNDS 42         /* int32_t (grp, box, fixedrect* out): spread coordinates */
typedef int32_t (XTAPI *xt_box_first_fn)(const xtgroup*, int32_t doc, int16_t spread, xtboxref* out);
typedef int32_t (XTAPI *xt_box_next_fn)(const xtgroup*, xtboxref box, xtboxref* out);
typedef int32_t (XTAPI *xt_box_bounds_fn)(const xtgroup*, xtboxref box, fixedrect* out);
typedef int32_t (XTAPI *xt_box_create_fn)(const xtgroup*, int32_t doc, xtboxdesc* desc, int16_t spread,
                                          int32_t zero1, int32_t zero2, xtboxref* out);
typedef int32_t (XTAPI *xt_box_delete_fn)(const xtgroup*, xtboxref box, int32_t zero);
#define XT_BOX_ENTRIES 43

/* text-box group */
#define XT_TEXTBOX_RELEASEDESC 1 /* int32_t (grp, desc, 1) */
#define XT_TEXTBOX_NEWDESC 2     /* int32_t (grp, doc, 4, 5, xtboxdesc** out) */
typedef int32_t (XTAPI *xt_textbox_releasedesc_fn)(const xtgroup*, xtboxdesc* desc, int32_t one);
typedef int32_t (XTAPI *xt_textbox_newdesc_fn)(const xtgroup*, int32_t doc, int32_t shape, int32_t content,
                                               xtboxdesc** out);
#define XT_TEXTBOX_ENTRIES 3

/* box-fields group */
#define XT_BOXFIELDS_RELEASE 1   /* int32_t (grp, box, 1): release the box's field record */
typedef int32_t (XTAPI *xt_boxfields_release_fn)(const xtgroup*, xtboxref box, int32_t one);
#define XT_BOXFIELDS_ENTRIES 3

/* document-data group: per-document XTension data, document name and path */
#define XT_DOCDATA_GET 1         /* int32_t (grp, doc, code, void** block, int32_t* size): caller-owned
                                    block, released with XT_UTIL_DISPOSE; -1 when there is none */
#define XT_DOCDATA_SET 2         /* int32_t (grp, doc, code, block, size): the host keeps a copy */
#define XT_DOCDATA_MARKCHANGED 3 /* int32_t (grp, doc, level) */
#define XT_DOCDATA_PATH 4        /* int32_t (grp, doc, char* out, cap): UTF-8 full path; -1 for a
                                    document never saved or a path that does not fit */
#define XT_DOCDATA_NAME 5        /* int32_t (grp, doc, char* out, cap): UTF-8 name, at most 255 bytes */
typedef int32_t (XTAPI *xt_docdata_get_fn)(const xtgroup*, int32_t doc, uint32_t code, void** block, int32_t* size);
typedef int32_t (XTAPI *xt_docdata_set_fn)(const xtgroup*, int32_t doc, uint32_t code, const void* block,
                                           int32_t size);
typedef int32_t (XTAPI *xt_docdata_markchanged_fn)(const xtgroup*, int32_t doc, int32_t level);
typedef int32_t (XTAPI *xt_docdata_text_fn)(const xtgroup*, int32_t doc, char* out, int32_t cap);
#define XT_DOCDATA_ENTRIES 6

/* Output styles and their XML nodes. A style is a host reference valid while
 * the host's dialog that named it is open. A node is a caller-owned copy of
 * the style's XTension data for one code: the caller disposes of it with
 * XT_XML_DISPOSE; storing it back hands the host a copy. Elements are
 * handles into a node, valid while the node lives. Texts are UTF-8. */
typedef int32_t xtstyleref;
typedef struct xtxmlnode xtxmlnode;
typedef struct xtxmlelem xtxmlelem;

#define XT_STYLE_KIND 1          /* int32_t (grp, style, uint32_t* kind) */
#define XT_STYLE_GETNODE 2       /* int32_t (grp, style, code, xtxmlnode** out): -1 when there is none */
#define XT_STYLE_SETNODE 3       /* int32_t (grp, style, code, const xtxmlnode* node) */
typedef int32_t (XTAPI *xt_style_kind_fn)(const xtgroup*, xtstyleref style, uint32_t* kind);
typedef int32_t (XTAPI *xt_style_getnode_fn)(const xtgroup*, xtstyleref style, uint32_t code, xtxmlnode** out);
typedef int32_t (XTAPI *xt_style_setnode_fn)(const xtgroup*, xtstyleref style, uint32_t code,
                                             const xtxmlnode* node);
#define XT_STYLE_ENTRIES 4

#define XT_XML_ELEMENT 1         /* int32_t (grp, node, xtxmlelem** out): the node's element */
#define XT_XML_FINDCHILD 2       /* int32_t (grp, elem, name, xtxmlelem** out): -1 when none */
#define XT_XML_CREATECHILD 3     /* int32_t (grp, elem, name, xtxmlelem** out) */
#define XT_XML_GETVALUE 4        /* int32_t (grp, elem, name, char* out, cap): the named value, cut to
                                    cap - 1 bytes; its length, or -1 when missing */
#define XT_XML_SETVALUE 5        /* int32_t (grp, elem, name, value) */
#define XT_XML_DISPOSE 6         /* void (grp, node) */
typedef int32_t (XTAPI *xt_xml_element_fn)(const xtgroup*, xtxmlnode* node, xtxmlelem** out);
typedef int32_t (XTAPI *xt_xml_child_fn)(const xtgroup*, xtxmlelem* elem, const char* name, xtxmlelem** out);
typedef int32_t (XTAPI *xt_xml_getvalue_fn)(const xtgroup*, xtxmlelem* elem, const char* name, char* out,
                                            int32_t cap);
typedef int32_t (XTAPI *xt_xml_setvalue_fn)(const xtgroup*, xtxmlelem* elem, const char* name, const char* value);
typedef void (XTAPI *xt_xml_dispose_fn)(const xtgroup*, xtxmlnode* node);
#define XT_XML_ENTRIES 7

/* The PDF module's group (bound by the identifier the host gives for it) */
#define XT_PDF_STAYOUT 12        /* int32_t (grp, uint8_t* answer): *answer = 1: keep out of the job */
typedef int32_t (XTAPI *xt_pdf_stayout_fn)(const xtgroup*, uint8_t* answer);
#define XT_PDF_ENTRIES 13

/* The Bleed module's group */
#define XT_BLEED_GET 0           /* int32_t (grp, doc, kind, xtbleedanswer* block) */
typedef int32_t (XTAPI *xt_bleed_get_fn)(const xtgroup*, int32_t doc, uint32_t kind, xtbleedanswer* block);
#define XT_BLEED_ENTRIES 1

/* A dialog of the host (the print dialog, an output-style editor), valid
 * while it is open. */
typedef int32_t xtdialogref;

/* windialog group: the Windows host's dialog interface. A plug-in adds its
 * options pane to the host's print dialog or output-style editor while the
 * host builds it, and the host drives the pane through the pane callback
 * registered under the code the host handed out for it (xtsetuprec
 * newCallbackCode). Native windows cross this interface as opaque pointers
 * (HWND). The sequence for one pane:
 *
 *  1. the host calls 164 (print dialog) or 728 (style editor); the plug-in
 *     calls XT_WINDLG_ADDPANE with the dialog and its pane code;
 *  2. the host sends XT_PANE_RESOURCE: the plug-in answers its module and the
 *     id of the pane's dialog resource; the host creates the pane window from
 *     it as a child of its dialog;
 *  3. XT_PANE_SETUP: the plug-in announces its controls (the calls below) and
 *     answers 1;
 *  4. XT_PANE_LOAD: the plug-in fills the controls;
 *  5. XT_PANE_CONTROL for every click on a button or check box of the pane;
 *     the plug-in answers 1 when it handled the control; it may run modal
 *     dialogs before it returns;
 *  6. XT_PANE_CONFIRMED when the host's dialog was confirmed, or
 *     XT_PANE_FORGET when it was cancelled; the pane window is destroyed
 *     after the call and the host sends nothing more to that pane. */
#define XT_GROUP_WINDIALOG "windialog"
#define XT_GROUPID_WINDIALOG 23  /* the groupId a host gives it */
#define XT_WINDLG_MAINWINDOW 1   /* int32_t (grp, void** hwnd): the host's main window */
#define XT_WINDLG_ADDPANE 2      /* int32_t (grp, xtdialogref dialog, int32_t paneCode): 0 when added */
#define XT_WINDLG_CHECKBOX 3     /* int32_t (grp, void* pane, int32_t id, int32_t value): announce a check box */
#define XT_WINDLG_BUTTON 4       /* int32_t (grp, void* pane, int32_t id, int32_t value): announce a push button */
#define XT_WINDLG_TEXT 5         /* int32_t (grp, void* pane, int32_t id, int32_t value): announce a static text */
#define XT_WINDLG_NUMFIELD 6     /* int32_t (grp, void* pane, int32_t id, int32_t a, int32_t min, int32_t max,
                                    int32_t b, int32_t c, int32_t d): announce a numeric field */
#define XT_WINDLG_CONTROLSTATE 7 /* int32_t (grp, void* pane, int32_t id, int32_t state): XT_CTLSTATE_* */
#define XT_CTLSTATE_REFRESH 1    /* the host brings its own view of the control up to date */
#define XT_CTLSTATE_DISABLED 2
#define XT_CTLSTATE_ENABLED 4
typedef int32_t (XTAPI *xt_windlg_mainwindow_fn)(const xtgroup*, void** hwnd);
typedef int32_t (XTAPI *xt_windlg_addpane_fn)(const xtgroup*, xtdialogref dialog, int32_t paneCode);
typedef int32_t (XTAPI *xt_windlg_control_fn)(const xtgroup*, void* pane, int32_t id, int32_t value);
typedef int32_t (XTAPI *xt_windlg_numfield_fn)(const xtgroup*, void* pane, int32_t id, int32_t a, int32_t min,
                                               int32_t max, int32_t b, int32_t c, int32_t d);
#define XT_WINDLG_ENTRIES 8      /* the table's size: entries 0 .. 7; entry 0 is unused */

/* ------------------------------------------------------------------------ */
/* Callbacks                                                                */
/* ------------------------------------------------------------------------ */

/* Every callback record begins with this header. The record is host-owned
 * and valid only during the callback. */
typedef struct xtcbheader {
    int32_t code; /* 0: the callback code */
    int32_t size; /* 4: size of the whole record */
} xtcbheader;

/* A registered handler. `rec` may be null where a callback says so. */
typedef int32_t (XTAPI *xtcallback)(xtcbheader* rec);

/* Pane messages (the `message` of xtpanemsgrec) */
#define XT_PANE_LOAD 0                  /* fill the controls */
#define XT_PANE_CONTROL 2               /* `control` was clicked; answer 1 when handled */
#define XT_PANE_RESOURCE 0x80000000u    /* answer `module` and `resource` */
#define XT_PANE_SETUP 0x80000002u       /* announce the controls; answer 1 */
#define XT_PANE_CONFIRMED 0x8000001u    /* the host's dialog was confirmed */
#define XT_PANE_FORGET 0x8000004u       /* the host's dialog was cancelled */

/* The record of a pane callback. Host-owned, valid during the call; the
 * plug-in writes only the answer fields. */
typedef struct xtpanemsgrec {
    xtcbheader hdr;       /* 0: code = the pane's code */
    uint32_t message;     /* 8: XT_PANE_* */
    int32_t control;      /* 12: XT_PANE_CONTROL: the control's id */
    void* pane;           /* 16: the pane window (HWND); null before XT_PANE_SETUP */
    xtdialogref dialog;   /* 24: the host dialog holding the pane */
    int32_t answer;       /* 28: out: 1 = set up / handled */
    void* module;         /* 32: out (XT_PANE_RESOURCE): the module holding the resource (HMODULE) */
    int32_t resource;     /* 40: out (XT_PANE_RESOURCE): the dialog resource id */
    int32_t reserved;     /* 44 */
} xtpanemsgrec;
XT_STATIC_ASSERT(offsetof(xtpanemsgrec, message) == 8, "pane message at 8");
XT_STATIC_ASSERT(offsetof(xtpanemsgrec, pane) == 16, "pane window at 16");
XT_STATIC_ASSERT(offsetof(xtpanemsgrec, answer) == 28, "pane answer at 28");
XT_STATIC_ASSERT(offsetof(xtpanemsgrec, module) == 32, "pane module at 32");
XT_STATIC_ASSERT(sizeof(xtpanemsgrec) == 48, "pane record is 48 bytes");

#define XT_CB_QUIT 4             /* record: header only */
#define XT_CB_LANGUAGE 5         /* xtlanguagerec */
#define XT_CB_ABOUT 64           /* xtaboutrec, or null */
#define XT_CB_PSCOMMENT 145      /* xtcommentrec: while the host writes DSC comments */
#define XT_CB_DOCSETUP 148       /* header only: once before the first page */
#define XT_CB_PAGESCALE 150      /* xtpagerec: right before the page's own content */
#define XT_CB_PAGESETUP 155      /* xtpagerec: after the page's setup */
#define XT_CB_PRINTDIALOG 164    /* xtprintdlgrec: the print dialog is built */
#define XT_CB_JOBSTART 282       /* xtjobstartrec: first, before any PostScript of the job */
#define XT_CB_JOBEND 283         /* header only: last, after the job */
#define XT_CB_STYLEEDITOR 728    /* xtstyleeditrec: an output-style editor is built */
#define XT_CB_STYLECHANGED 765   /* xtstylerec: the print dialog's output style changed */
#define XT_CB_PRINTDIALOGCLOSE 768 /* xtprintdlgcloserec: the print dialog closes */
#define XT_CB_STYLEEDITORCLOSE 771 /* xtstyleeditcloserec: an output-style editor closes */

typedef struct xtjobstartrec {
    xtcbheader hdr; /* 0 */
    int32_t kind;   /* 8: job kind; 3 = print job */
    int32_t doc;    /* 12: document reference */
} xtjobstartrec;
XT_STATIC_ASSERT(offsetof(xtjobstartrec, kind) == 8, "job kind at 8");
XT_STATIC_ASSERT(offsetof(xtjobstartrec, doc) == 12, "job document at 12");

typedef struct xtpagerec {
    xtcbheader hdr;   /* 0 */
    int16_t page;     /* 8: absolute page number (the spread's first page when spreads print whole) */
    int16_t reserved; /* 10 */
} xtpagerec;
XT_STATIC_ASSERT(offsetof(xtpagerec, page) == 8, "page number at 8");

typedef struct xtcommentrec {
    xtcbheader hdr;       /* 0 */
    int32_t section;      /* 8: which comment section the host is writing */
    uint8_t mayAdd;       /* 12: 1 for the moment at which a plug-in may add its comment */
    uint8_t reserved[3];  /* 13 */
} xtcommentrec;
XT_STATIC_ASSERT(offsetof(xtcommentrec, mayAdd) == 12, "comment byte at 12");

typedef struct xtlanguagerec {
    xtcbheader hdr;    /* 0 */
    int16_t language;  /* 8: host language code */
    int16_t reserved;  /* 10 */
} xtlanguagerec;
XT_STATIC_ASSERT(offsetof(xtlanguagerec, language) == 8, "language code at 8");

typedef struct xtstylerec {
    xtcbheader hdr;    /* 0 */
    xtstyleref style;  /* 8: the output style now chosen (765) */
} xtstylerec;
XT_STATIC_ASSERT(offsetof(xtstylerec, style) == 8, "style at 8");

/* 164: the print dialog is being built. */
typedef struct xtprintdlgrec {
    xtcbheader hdr;       /* 0 */
    xtdialogref dialog;   /* 8: the print dialog; a pane is added to it */
} xtprintdlgrec;
XT_STATIC_ASSERT(offsetof(xtprintdlgrec, dialog) == 8, "print dialog at 8");

/* 728: an output-style editor is being built. The style sits where it sits
 * in xtstylerec. */
typedef struct xtstyleeditrec {
    xtcbheader hdr;       /* 0 */
    xtstyleref style;     /* 8: the edited style */
    xtdialogref dialog;   /* 12: the editor; a pane is added to it */
} xtstyleeditrec;
XT_STATIC_ASSERT(offsetof(xtstyleeditrec, style) == 8, "edited style at 8");
XT_STATIC_ASSERT(offsetof(xtstyleeditrec, dialog) == 12, "editor at 12");

/* 768: the print dialog closes; the pane goes with it. */
#define XT_PRINTDLG_CANCELLED 1
#define XT_PRINTDLG_CONFIRMED 2  /* the user confirmed: the job goes ahead */
typedef struct xtprintdlgcloserec {
    xtcbheader hdr;       /* 0 */
    xtdialogref dialog;   /* 8 */
    int32_t result;       /* 12: XT_PRINTDLG_CONFIRMED or XT_PRINTDLG_CANCELLED */
} xtprintdlgcloserec;
XT_STATIC_ASSERT(offsetof(xtprintdlgcloserec, result) == 12, "print dialog result at 12");

/* 771: an output-style editor closes; the pane goes with it. */
typedef struct xtstyleeditcloserec {
    xtcbheader hdr;       /* 0 */
    xtstyleref style;     /* 8: the edited style */
    xtdialogref dialog;   /* 12 */
    uint8_t cancelled;    /* 16: 0 when the user confirmed the editor, 1 when not */
    uint8_t reserved[3];  /* 17 */
} xtstyleeditcloserec;
XT_STATIC_ASSERT(offsetof(xtstyleeditcloserec, cancelled) == 16, "editor flag byte at 16");
XT_STATIC_ASSERT(sizeof(xtstyleeditcloserec) == 20, "editor close record is 20 bytes");

typedef struct xtaboutrec {
    xtcbheader hdr;      /* 0 */
    uint8_t handled;     /* 8: set to 1 by a plug-in that showed its about box */
    uint8_t reserved[3]; /* 9 */
} xtaboutrec;
XT_STATIC_ASSERT(offsetof(xtaboutrec, handled) == 8, "about byte at 8");

/* ------------------------------------------------------------------------ */
/* Start-up                                                                 */
/* ------------------------------------------------------------------------ */

typedef struct xtsetuprec xtsetuprec;
typedef struct xtactivaterec xtactivaterec;

/* A start-up function registered through the activation record. */
typedef int32_t (XTAPI *xtstartproc)(xtsetuprec* rec);

/* The setup record: host-owned, valid for the life of the plug-in. The host
 * calls the function registered second (the code-request function) and then
 * the setup function, both with this record. The first 56 bytes are what a
 * plug-in's group-binding glue copies. */
struct xtsetuprec {
    uint32_t version; /* 0: XT_SETUP_VERSION */
    uint32_t size;    /* 4: sizeof(xtsetuprec) */
    void* host;       /* 8: host's own state */
    /* 16: bind a group by identifier; *out is host-owned */
    int32_t (XTAPI *bindGroupById)(const xtsetuprec* rec, int32_t groupId, const xtgroup** out);
    /* 24: bind a named group */
    int32_t (XTAPI *bindGroupByName)(const xtsetuprec* rec, const char* name, const xtgroup** out);
    /* 32: the callback code of an optional module, by its four-character code */
    int32_t (XTAPI *moduleCallbackCode)(const xtsetuprec* rec, uint32_t module, int32_t* outCode);
    /* 40: the function-group identifier of a module, by its callback code */
    int32_t (XTAPI *moduleGroupId)(const xtsetuprec* rec, int32_t code, int32_t* outGroupId);
    /* 48: the interface triple the host speaks */
    int16_t tripleKind;      /* 48 */
    int16_t tripleRevision;  /* 50 */
    uint32_t tripleVersion;  /* 52 */
    /* ---- 56: beyond the glue's copy ---- */
    /* register a handler for a callback code; handlers of one code are called
       in ascending priority, equal priorities in registration order */
    int32_t (XTAPI *registerCallback)(const xtsetuprec* rec, int32_t code, xtcallback handler, int32_t flags,
                                      int32_t priority, int32_t zero);
    /* 64: hand out a fresh callback code (`one` is 1) */
    int32_t (XTAPI *newCallbackCode)(const xtsetuprec* rec, int32_t one, int32_t* outCode);
    int16_t language;        /* 72: the host's language code at start-up */
    int16_t reserved16;      /* 74 */
    uint32_t reserved32;     /* 76 */
};
XT_STATIC_ASSERT(offsetof(xtsetuprec, host) == 8, "setup host at 8");
XT_STATIC_ASSERT(offsetof(xtsetuprec, bindGroupById) == 16, "bindGroupById at 16");
XT_STATIC_ASSERT(offsetof(xtsetuprec, tripleKind) == 48, "triple at 48");
XT_STATIC_ASSERT(offsetof(xtsetuprec, registerCallback) == 56, "glue copies the first 56 bytes");
XT_STATIC_ASSERT(offsetof(xtsetuprec, language) == 72, "language at 72");
XT_STATIC_ASSERT(sizeof(xtsetuprec) == 80, "setup record is 80 bytes");
#define XT_SETUP_GLUE_BYTES 56

/* The activation record passed to XTActivateCallback: host-owned, valid only
 * during that call. */
struct xtactivaterec {
    uint32_t version; /* 0: XT_ACTIVATE_VERSION */
    uint32_t size;    /* 4 */
    void* host;       /* 8 */
    /* 16: compatibility check (id, 0, kind, version, 0): 1 = accepted */
    uint8_t (XTAPI *compatible)(xtactivaterec* rec, uint32_t id, int32_t zero1, int32_t kind, uint32_t version,
                                int32_t zero2);
    /* 24: the plug-in announces its callback budget (it passes 200) */
    void (XTAPI *announce)(xtactivaterec* rec, int32_t value);
    /* 32: register a start-up function (fn, flags, 200, 0); the first is the
       setup function, the second the code-request function */
    int32_t (XTAPI *registerStart)(xtactivaterec* rec, xtstartproc fn, int32_t flags, int32_t value, int32_t zero);
    /* 40: the host version word, host-owned */
    const uint32_t* hostVersion;
};
XT_STATIC_ASSERT(offsetof(xtactivaterec, compatible) == 16, "compatible at 16");
XT_STATIC_ASSERT(offsetof(xtactivaterec, hostVersion) == 40, "version pointer at 40");

/* The plug-in's one export. 0 = accepted, XT_ERR_STARTUP = refused. */
#define XT_ENTRY_NAME "XTActivateCallback"
typedef int32_t (XTAPI *xtactivateproc)(xtactivaterec* rec);

#ifdef __cplusplus
}
#endif

#endif /* FOLANTRA_XTHOST_H */
