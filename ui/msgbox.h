// Message boxes: a key of the string table doubles as the printf format of
// the primary text; an optional secondary text is set beforehand.
#pragma once

// Sets the secondary text of the next box only.
void setMsg2(const char* key, ...);
// Shows a box with an OK button; 1 = OK, 2 = closed another way.
int msgBox(const char* key, ...);

// The window system's part: show one box and answer 1 (first button) or 2.
// `secondary` is empty when there is none; `buttons` counts the buttons.
int showMessageBox(const char* title, const char* primary, const char* secondary, int buttons);
