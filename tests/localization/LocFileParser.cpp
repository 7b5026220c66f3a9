// The library's own file reader, compiled into the tests so that the shipped file is checked
// exactly as the library reads it.
#include "tools/orvloc/LocFile.cpp"
