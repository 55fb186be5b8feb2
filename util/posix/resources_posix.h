// The plug-in's resources folder without a bundle: for <dir>/Folantra.xnt it
// is <dir>/Folantra.resources. Both the resource lookup and the start-up
// check take it from here.
#pragma once

#include <string>

// The folder's path, or empty when the plug-in's own path is unknown.
std::string resourceFolderBesideModule();
