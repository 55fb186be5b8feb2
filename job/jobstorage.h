// The job settings stored in documents (a block of INI text under 'KDIC') and
// in print output styles (the element "Folantra" of the style's 'KDIC' node).
#pragma once

#include "job/folantrarec.h"
#include "xthost.h"

// Loads the record from the current document's block; a document without one
// gives a cleared record. False when the document has a block that could not
// be read (no memory): the record is cleared then.
bool getJobHandle(FolantraRec* rec);
// Stores the record as the current document's block (does not mark the
// document changed). A line break in the title, author or keywords is stored
// as a blank, here and in a style.
void setJobHandle(const FolantraRec* rec);
// True when the record, in its stored form, differs byte for byte from what
// the document holds, or when the document's block cannot be read.
bool isJobModified(const FolantraRec* rec);
// Loads the record from an output style; without a node it stays cleared.
void getFolantraRecByStyle(xtstyleref style, FolantraRec* rec);
// Stores the record into an output style's node.
void setFolantraRec(xtstyleref style, const FolantraRec* rec);
// A folder that no longer exists is reported and replaced by the desktop.
void checkFolder(char* folder);
