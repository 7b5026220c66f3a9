// The one place the product's version is set.
#pragma once

#define PLUGIN_VERSION_NUMBERS 1, 0, 0, 1
#define PLUGIN_VERSION_TEXT "1.0.0.1"  // the dotted form the host shows
