// The PostScript file name dialog.
#pragma once

// Shows the file name (a buffer of 256 bytes) in the dialog "PSName" with its
// file-name part selected. OK copies the field's text (at most 255 bytes)
// back into `name`; closing the window leaves `name` as it was. Returns the
// dialog's result (1 OK, 2 closed, 0 not shown).
int getPSName(const char* folder, char* name);
