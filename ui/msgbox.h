// Message boxes: a key of the string table doubles as the printf format of
// the primary text; an optional secondary text is set beforehand.
#pragma once

// Sets the secondary text of the next box only.
void setMsg2(const char* key, ...);
// Shows a box with an OK button; 1 = OK, 2 = closed another way.
int msgBox(const char* key, ...);
