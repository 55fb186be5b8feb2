// Opening a finished file with a named application.
#pragma once

// Starts `application` on the file at `path` without waiting for it; true
// when the start succeeded.
bool openDoc(const char* path, const char* application);
