// NOT YET WRITTEN: handlers whose owners have still to fill them in. Each is
// an empty placeholder so the window builds and runs; moving a handler into
// its own file (frmMain_Panels.cpp, frmMain_Make.cpp, frmMain_File.cpp...)
// means deleting it here.

#include "ui/frmMain.h"

namespace tessaro {

// (nothing pending)

}  // namespace tessaro
