// The PostScript file name dialog.
#pragma once

// Shows the file name in its dialog on the destination folder; whatever the
// field holds when the dialog closes (at most 255 bytes) replaces `name`
// (a buffer of 256 bytes). Returns the dialog's result.
int getPSName(const char* folder, char* name);
