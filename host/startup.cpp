#include "host/startup.h"

#include "host/guard.h"
#include "host/xtcalls.h"
#include "host/xtglue.h"
#include "job/folantrarec.h"
#include "log/dump.h"
#include "postscript/psprocs.h"
#include "settings/mysettings.h"
#include "ui/msgbox.h"
#include "ui/toolkit.h"
#include "util/mystrings.h"
#include "util/platform.h"

#include <cstring>

uint32_t gXP = 0;
char gXTPath[512] = {};
uint8_t pdfActive = 0;
uint8_t bleedAvail = 0;
int32_t pdfcbcode = 0, gPDFBaseFuncGrpId = 0;
int32_t gBleedBaseCBCode = 0, gBleedBaseFuncGrpId = 0;

namespace {
constexpr int32_t kAnnounce = 200;

// When the host unloads the plug-in, the string table goes with it.
struct UnloadCleanup {
    ~UnloadCleanup() { cleanupMyStrings(); }
} sUnloadCleanup;

// Looks up an optional module: its callback code, its group id, its group.
bool bindModule(uint32_t module, int32_t* code, int32_t* groupId, const xtgroup** group)
{
    *group = nullptr;
    if (xtGlueModuleCallbackCode(module, code) != 0)
        return false;
    if (xtGlueModuleGroupId(*code, groupId) != 0)
        return false;
    return xtGlueBindGroupById(*groupId, group) == 0 && *group != nullptr;
}

void setupPreferences()
{
    gPrefs.setupWithinAppSupport(gXTPath, nullptr);
}

void writeLogHeader()
{
    setupDumpFromEnvironment();
    dprintf(PSEOL "\t####\tFolantra %s: ", kVersionText);
    dumpTime("", nullptr);
}
} // namespace

int32_t folantraActivate(xtactivaterec* rec)
{
    if (rec == nullptr || rec->version != XT_ACTIVATE_VERSION || rec->compatible == nullptr)
        return XT_ERR_STARTUP;
    uint8_t ok = rec->compatible(rec, XT_PLUGIN_ID, 0, XT_HANDSHAKE_KIND, XT_HANDSHAKE_VERSION, 0);
    if ((ok & 0xFF) != 1)
        return XT_ERR_STARTUP;
    gXP = rec->hostVersion ? *rec->hostVersion : 0;
    rec->announce(rec, kAnnounce);
    rec->registerStart(rec, folantraSetup, XT_REGISTER_FLAGS, kAnnounce, 0);
    rec->registerStart(rec, folantraRequestCodes, XT_REGISTER_FLAGS, kAnnounce, 0);
    return 0;
}

int32_t XTAPI folantraRequestCodes(xtsetuprec* rec) noexcept
{
    return guardEntry("folantraRequestCodes", int32_t{XT_ERR_STARTUP}, [rec] { return platformRequestCodes(rec); });
}

int32_t XTAPI folantraSetup(xtsetuprec* rec) noexcept
{
    return guardEntry("folantraSetup", int32_t{XT_ERR_STARTUP}, [rec]() -> int32_t {
        xtsetupptr = rec;
        if (xtGlueSetup(rec, XT_TRIPLE_KIND, XT_TRIPLE_REVISION, XT_TRIPLE_VERSION) != 0)
            return XT_ERR_STARTUP;
        if (!xtBindHostGroups())
            return XT_ERR_STARTUP;
        platformSetupPaths();     // Windows: module path; elsewhere: the bundle's resources
        setupPreferences();
        writeLogHeader();
        platformSetupInterface(); // interface resources / window classes

        pdfActive = bindModule(XT_MODULE_PDF, &pdfcbcode, &gPDFBaseFuncGrpId, &gPDFFuncGrpHndl) ? 1 : 0;
        if (!pdfActive)
            gPDFFuncGrpHndl = nullptr;
        bleedAvail = bindModule(XT_MODULE_BLEED, &gBleedBaseCBCode, &gBleedBaseFuncGrpId, &gBleedFuncHndl) ? 1 : 0;
        if (!bleedAvail)
            gBleedFuncHndl = nullptr;

        registerPSProcs();
        xtRegisterCallback(XT_CB_LANGUAGE, doLanguage, 200);
        xtRegisterCallback(XT_CB_QUIT, doQuit, 200);
        xtRegisterCallback(XT_CB_ABOUT, doAbout1, 200);
        platformSetupController(); // the options pane's callbacks
        setupLanguage(rec->language);
        setupMyStrings();
        return 0;
    });
}

int32_t XTAPI doLanguage(xtcbheader* rec) noexcept
{
    return guardEntry("doLanguage", int32_t{0}, [rec] {
        if (rec != nullptr) {
            setupLanguage(reinterpret_cast<xtlanguagerec*>(rec)->language);
            setupMyStrings();
        }
        return int32_t{0};
    });
}

int32_t XTAPI doQuit(xtcbheader*) noexcept
{
    return guardEntry("doQuit", int32_t{0}, [] {
        platformQuit();
        return int32_t{0};
    });
}

int32_t XTAPI doAbout1(xtcbheader* rec) noexcept
{
    return guardEntry("doAbout1", int32_t{0}, [rec] {
        msgBox("%s %s", kProductWord, kVersionText);
        if (rec != nullptr)
            reinterpret_cast<xtaboutrec*>(rec)->handled = 1;
        return int32_t{0};
    });
}
