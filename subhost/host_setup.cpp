// Set-up and registration: the handshake and the start-up functions
// (activation record), binding groups by id and by name, the optional
// modules' codes and groups, and callback registration (setup record).
#include "subhost/host_private.h"

#include <cstring>

namespace subhost {

namespace {

// ---- the activation record ----
uint8_t XTAPI actCompatible(xtactivaterec* rec, uint32_t id, int32_t, int32_t kind, uint32_t version, int32_t)
{
    Host* h = hostOf(rec);
    bool ok = !h->options().refuseHandshake && id == XT_PLUGIN_ID && kind == XT_HANDSHAKE_KIND &&
              version == XT_HANDSHAKE_VERSION;
    h->record("handshake", static_cast<int32_t>(id), kind, ok ? 1 : 0);
    return ok ? 1 : 0;
}

} // namespace

struct ActivateGlue {
    static void XTAPI announce(xtactivaterec* rec, int32_t value)
    {
        Host* h = hostOf(rec);
        h->mAnnounced = value;
        h->record("announce", 0, value);
    }
    static int32_t XTAPI registerStart(xtactivaterec* rec, xtstartproc fn, int32_t flags, int32_t value, int32_t)
    {
        Host* h = hostOf(rec);
        h->mStartProcs.push_back(fn);
        h->record("start-register", static_cast<int32_t>(h->mStartProcs.size()), flags, value);
        return 0;
    }
};

namespace {

// ---- the setup record ----
int32_t XTAPI setupBindById(const xtsetuprec* rec, int32_t id, const xtgroup** out)
{
    Host::Groups& g = hostOf(rec)->groups();
    *out = nullptr;
    switch (id) {
    case XT_GROUPID_UNICODE: *out = &g.unicode; break;
    case XT_GROUPID_GRAPHICS: *out = &g.graphics; break;
    case XT_GROUPID_STRING: *out = &g.string; break;
    case XT_GROUPID_OPENTYPE: *out = &g.opentype; break;
    case kPdfGroupId:
        if (hostOf(rec)->options().pdf.state == ModuleState::Present)
            *out = &g.pdf;
        break;
    case kBleedGroupId:
        if (hostOf(rec)->options().bleed.state == ModuleState::Present)
            *out = &g.bleed;
        break;
    default: break;
    }
    hostOf(rec)->record("bind-id", id, 0, *out ? 0 : -1);
    return *out ? 0 : -1;
}

int32_t XTAPI setupBindByName(const xtsetuprec* rec, const char* name, const xtgroup** out)
{
    Host::Groups& g = hostOf(rec)->groups();
    struct Named { const char* name; xtgroup* group; };
    const Named named[] = {{XT_GROUP_PRINT, &g.print},         {XT_GROUP_UTILITY, &g.utility},
                           {XT_GROUP_DOCMEASURE, &g.docmeasure}, {XT_GROUP_PAGE, &g.page},
                           {XT_GROUP_SPREAD, &g.spread},       {XT_GROUP_FIXEDRECT, &g.fixedrect},
                           {XT_GROUP_BOX, &g.box},             {XT_GROUP_TEXTBOX, &g.textbox},
                           {XT_GROUP_BOXFIELDS, &g.boxfields}, {XT_GROUP_DOCDATA, &g.docdata},
                           {XT_GROUP_OUTPUTSTYLE, &g.outputstyle}, {XT_GROUP_XMLNODE, &g.xmlnode},
                           {XT_GROUP_HEADLESS, &g.headless}};
    *out = nullptr;
    if (hostOf(rec)->options().missingGroup == name)
        return -1;
    for (const Named& n : named)
        if (std::strcmp(n.name, name) == 0)
            *out = n.group;
    // A platform's own groups (the Windows dialog interface).
    auto extra = hostOf(rec)->extraGroups.find(name);
    if (*out == nullptr && extra != hostOf(rec)->extraGroups.end())
        *out = extra->second;
    return *out ? 0 : -1;
}

int32_t XTAPI setupModuleCode(const xtsetuprec* rec, uint32_t module, int32_t* code)
{
    const HostOptions& o = hostOf(rec)->options();
    if (module == XT_MODULE_PDF && o.pdf.state != ModuleState::Absent) {
        *code = kPdfModuleCode;
        return 0;
    }
    if (module == XT_MODULE_BLEED && o.bleed.state != ModuleState::Absent) {
        *code = kBleedModuleCode;
        return 0;
    }
    return -1;
}

int32_t XTAPI setupModuleGroupId(const xtsetuprec*, int32_t code, int32_t* id)
{
    if (code == kPdfModuleCode) {
        *id = kPdfGroupId;
        return 0;
    }
    if (code == kBleedModuleCode) {
        *id = kBleedGroupId;
        return 0;
    }
    return -1;
}

int32_t XTAPI setupRegisterCallback(const xtsetuprec* rec, int32_t code, xtcallback handler, int32_t flags,
                                    int32_t priority, int32_t)
{
    return hostOf(rec)->registerCallback(code, handler, flags, priority);
}

int32_t XTAPI setupNewCode(const xtsetuprec* rec, int32_t, int32_t* out)
{
    *out = hostOf(rec)->newCallbackCode();
    return 0;
}

// ---- the optional modules' groups ----
int32_t XTAPI pdfStayOut(const xtgroup* g, uint8_t* answer)
{
    Host* h = hostOf(g);
    *answer = h->options().pdf.stayOut ? 1 : 0;
    h->record("pdf-asked", 0, *answer);
    return 0;
}

int32_t XTAPI bleedGet(const xtgroup* g, int32_t doc, uint32_t kind, xtbleedanswer* block)
{
    Host* h = hostOf(g);
    block->kind = kind;
    block->bleed = toFixed(h->options().bleed.bleed);
    h->record("bleed-asked", doc, static_cast<int32_t>(kind));
    return 0;
}

} // namespace

void installSetupGroups(Host::Groups& g, Host* h)
{
    initEmpty(g.unicode, h, XT_GROUPID_UNICODE);
    initEmpty(g.graphics, h, XT_GROUPID_GRAPHICS);
    initEmpty(g.string, h, XT_GROUPID_STRING);
    initEmpty(g.opentype, h, XT_GROUPID_OPENTYPE);
    g.pdfTable.set<XT_PDF_STAYOUT, pdfStayOut>();
    initGroup(g.pdf, h, kPdfGroupId, g.pdfTable);
    g.bleedTable.set<XT_BLEED_GET, bleedGet>();
    initGroup(g.bleed, h, kBleedGroupId, g.bleedTable);
}

void installSetupRecord(xtsetuprec& rec, Host* h, const HostOptions& options)
{
    rec.version = XT_SETUP_VERSION;
    rec.size = sizeof rec;
    rec.host = h;
    rec.bindGroupById = guarded<setupBindById, offsetof(xtsetuprec, bindGroupById)>();
    rec.bindGroupByName = guarded<setupBindByName, offsetof(xtsetuprec, bindGroupByName)>();
    rec.moduleCallbackCode = guarded<setupModuleCode, offsetof(xtsetuprec, moduleCallbackCode)>();
    rec.moduleGroupId = guarded<setupModuleGroupId, offsetof(xtsetuprec, moduleGroupId)>();
    rec.tripleKind = XT_TRIPLE_KIND;
    rec.tripleRevision = options.tripleRevision;
    rec.tripleVersion = XT_TRIPLE_VERSION;
    rec.registerCallback = guarded<setupRegisterCallback, offsetof(xtsetuprec, registerCallback)>();
    rec.newCallbackCode = guarded<setupNewCode, offsetof(xtsetuprec, newCallbackCode)>();
    rec.language = options.language;
}

void installActivationRecord(xtactivaterec& rec, Host* h)
{
    rec.version = XT_ACTIVATE_VERSION;
    rec.size = sizeof rec;
    rec.host = h;
    // A handshake that fails inside refuses the plug-in (0).
    rec.compatible = guarded<actCompatible, offsetof(xtactivaterec, compatible)>();
    rec.announce = guarded<&ActivateGlue::announce, offsetof(xtactivaterec, announce)>();
    rec.registerStart = guarded<&ActivateGlue::registerStart, offsetof(xtactivaterec, registerStart)>();
}

} // namespace subhost
