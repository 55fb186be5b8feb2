// The function-group glue: keeps the binding part of the host's setup record
// and binds groups and optional modules through it.
#pragma once

#include "xthost.h"

// Takes the setup record for one interface triple. Returns 0, or
// XT_ERR_GLUE_TRIPLE when the triple is not the one this glue speaks or the
// host's record is of another kind.
int32_t xtGlueSetup(const xtsetuprec* rec, int16_t kind, int16_t revision, uint32_t version);
bool xtGlueReady();
// Each returns 0 on success.
int32_t xtGlueBindGroupById(int32_t groupId, const xtgroup** out);
int32_t xtGlueBindGroupByName(const char* name, const xtgroup** out);
int32_t xtGlueModuleCallbackCode(uint32_t module, int32_t* outCode);
int32_t xtGlueModuleGroupId(int32_t code, int32_t* outGroupId);
// Forgets the record (used when a host unloads and loads the plug-in again).
void xtGlueReset();
