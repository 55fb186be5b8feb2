// Document information (title, author, keywords) written as DOCINFO entries.
#pragma once

#include "job/folantrarec.h"

// Writes the system record's metadata.
void writeMetaData();
// Writes the entries of one record through psPrintf: each non-empty field as
// a UTF-16BE hex string, then the closing pair of line ends.
void writeMetaData(const MetaData* meta);

// Runs the metadata dialog (window "MetaData") on the record: fields 3 to 5
// show title, author and keywords; OK reads them back (at most 255 bytes
// each). True when the user confirmed; after Cancel the record is unchanged.
bool getMetaData(MetaData* meta);
