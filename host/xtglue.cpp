#include "host/xtglue.h"

#include <cstring>

namespace {
// The first bytes of the host's setup record; the binding entries live there.
alignas(xtsetuprec) unsigned char sGlue[sizeof(xtsetuprec)];
bool sReady = false;

const xtsetuprec* glue() { return sReady ? reinterpret_cast<const xtsetuprec*>(sGlue) : nullptr; }
} // namespace

int32_t xtGlueSetup(const xtsetuprec* rec, int16_t kind, int16_t revision, uint32_t version)
{
    sReady = false;
    if (kind != XT_TRIPLE_KIND || revision != XT_TRIPLE_REVISION || version != XT_TRIPLE_VERSION)
        return XT_ERR_GLUE_TRIPLE;
    if (rec == nullptr || rec->version != XT_SETUP_VERSION || rec->size < XT_SETUP_GLUE_BYTES ||
        rec->tripleKind != kind || rec->tripleRevision != revision || rec->tripleVersion != version)
        return XT_ERR_GLUE_TRIPLE;
    std::memset(sGlue, 0, sizeof sGlue);
    std::memcpy(sGlue, rec, XT_SETUP_GLUE_BYTES);
    sReady = true;
    return 0;
}

bool xtGlueReady() { return sReady; }
void xtGlueReset() { sReady = false; }

int32_t xtGlueBindGroupById(int32_t groupId, const xtgroup** out)
{
    const xtsetuprec* g = glue();
    *out = nullptr;
    if (g == nullptr || g->bindGroupById == nullptr)
        return XT_ERR_NOTFOUND;
    int32_t err = g->bindGroupById(g, groupId, out);
    if (err == 0 && (*out == nullptr || (*out)->version != XT_GROUP_VERSION))
        err = XT_ERR_NOTFOUND;
    return err;
}

int32_t xtGlueBindGroupByName(const char* name, const xtgroup** out)
{
    const xtsetuprec* g = glue();
    *out = nullptr;
    if (g == nullptr || g->bindGroupByName == nullptr)
        return XT_ERR_NOTFOUND;
    int32_t err = g->bindGroupByName(g, name, out);
    if (err == 0 && (*out == nullptr || (*out)->version != XT_GROUP_VERSION))
        err = XT_ERR_NOTFOUND;
    return err;
}

int32_t xtGlueModuleCallbackCode(uint32_t module, int32_t* outCode)
{
    const xtsetuprec* g = glue();
    if (g == nullptr || g->moduleCallbackCode == nullptr)
        return XT_ERR_NOTFOUND;
    return g->moduleCallbackCode(g, module, outCode);
}

int32_t xtGlueModuleGroupId(int32_t code, int32_t* outGroupId)
{
    const xtsetuprec* g = glue();
    if (g == nullptr || g->moduleGroupId == nullptr)
        return XT_ERR_NOTFOUND;
    return g->moduleGroupId(g, code, outGroupId);
}
